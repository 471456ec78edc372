// Rows to columns as a pure function: text in, columns or a message out.
#include "tools/text/rowToCol.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

constexpr const char* tabMessage =
    "Must have same number of tabs in each line.  Make sure that you don't have tabs inside of values.";

struct RowsRow {
    const char* name;
    std::string input;
    std::string output;
    std::string message = {};  // empty: converted without a message
};

class RowsToColumns : public ::testing::TestWithParam<RowsRow> {};

TEST_P(RowsToColumns, ConvertOrComplain)
{
    const RowsRow& row = GetParam();
    const auto result = rowToCol(row.input);
    if (row.message.empty()) {
        ASSERT_TRUE(result) << rowToColMessage(result.error());
        EXPECT_EQ(*result, row.output);
    } else {
        ASSERT_FALSE(result);
        EXPECT_EQ(rowToColMessage(result.error()), row.message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RowsToColumns,
    ::testing::Values(
        RowsRow{"PadsTheFirstColumn", "id\tname\tdescription\r\n7\tAnn\tx",
                "id         \t7\r\nname       \tAnn\r\ndescription\tx\r\n"},
        RowsRow{"OneValueEach", "a\r\nb", "a\tb\r\n"},
        RowsRow{"LoneCarriageReturns", "a\tbb\rc\td", "a \tc\r\nbb\td\r\n"},
        RowsRow{"LoneLineFeeds", "a\tbb\nc\td\n", "a \tc\r\nbb\td\r\n"},
        // CR LF is tried first: a lone LF inside a line then stays part of a value.
        RowsRow{"CrLfBeforeOtherEnds", "a\nb\r\nc", "a\nb\tc\r\n"},
        RowsRow{"LaterLinesIgnored", "a\r\nb\r\nc\td\r\ne", "a\tb\r\n"},
        RowsRow{"EmptyValuesKept", "a\t\tc\r\n1\t2\t", "a\t1\r\n \t2\r\nc\t\r\n"},
        RowsRow{"SecondColumnUnchanged", "k\r\n  spaced  ", "k\t  spaced  \r\n"},
        RowsRow{"TwoEmptyLines", "\r\n", ""},
        RowsRow{"HighBytesCountAsOneCharacter", "\xE9t\xE9\tx\r\n1\t2", "\xE9t\xE9\t1\r\nx  \t2\r\n"},
        RowsRow{"OneLine", "a\tb", "", "ensure that you've got two lines"},
        RowsRow{"OneLineAndABreak", "a\tb\r\n", "", tabMessage},
        RowsRow{"DifferentCounts", "a\tb\r\n1", "", tabMessage},
        RowsRow{"EmptyText", "", "", "frmTwoTabbedRowsToCols: 9 :: Subscript out of range"}),
    [](const auto& info) { return std::string(info.param.name); });

std::string valuesRow(int count, const char* value)
{
    std::string row;
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            row += '\t';
        row += value;
    }
    return row;
}

TEST(RowsToColumnsLimits, At32767ValuesConvertsAndOneMoreOverflows)
{
    const auto largest = rowToCol(valuesRow(32767, "n") + "\r\n" + valuesRow(32767, "v"));
    ASSERT_TRUE(largest);
    EXPECT_EQ(largest->size(), 32767u * 5);  // "n", a tab, "v", CR LF
    EXPECT_TRUE(largest->ends_with("n\tv\r\n"));

    const auto tooMany = rowToCol(valuesRow(32768, "n") + "\r\n" + valuesRow(32768, "v"));
    ASSERT_FALSE(tooMany);
    EXPECT_EQ(rowToColMessage(tooMany.error()), "frmTwoTabbedRowsToCols: 6 :: Overflow");
}

}  // namespace
}  // namespace qb
