// Rows to columns as a pure function: text in, columns or a message out.
#include "tools/text/rowToCol.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

TEST(RowsToColumns, ConvertOrComplain)
{
    const std::string tabs =
        "Must have same number of tabs in each line.  Make sure that you don't have tabs inside of values.";
    struct Row {
        std::string input;
        std::string output;  // or, when the conversion fails, the message
        bool converts = true;
    };
    const Row rows[] = {
        {"id\tname\tdescription\r\n7\tAnn\tx", "id         \t7\r\nname       \tAnn\r\ndescription\tx\r\n"},
        {"a\r\nb", "a\tb\r\n"},
        {"a\tbb\rc\td", "a \tc\r\nbb\td\r\n"},
        {"a\tbb\nc\td\n", "a \tc\r\nbb\td\r\n"},
        {"a\nb\r\nc", "a\nb\tc\r\n"},  // CR LF is tried first: a lone LF then stays inside a value
        {"a\r\nb\r\nc\td\r\ne", "a\tb\r\n"},
        {"a\t\tc\r\n 1 \t2\t", "a\t 1 \r\n \t2\r\nc\t\r\n"},  // empty values kept, later values as they are
        {"\r\n", ""},
        {"\xE9t\xE9\tx\r\n1\t2", "\xE9t\xE9\t1\r\nx  \t2\r\n"},  // a high byte is one character
        {"a\tb", "ensure that you've got two lines", false},
        {"a\tb\r\n", tabs, false},
        {"a\tb\r\n1", tabs, false},
        {"", "frmTwoTabbedRowsToCols: 9 :: Subscript out of range", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        const auto result = rowToCol(row.input);
        EXPECT_EQ(result ? *result : rowToColMessage(result.error()), row.output);
        EXPECT_EQ(result.has_value(), row.converts);
    }
}

// `count` one-letter values separated by tabs.
std::string valuesRow(int count, char value)
{
    std::string row(2 * count - 1, '\t');
    for (std::size_t i = 0; i < row.size(); i += 2)
        row[i] = value;
    return row;
}

TEST(RowsToColumns, At32767ValuesConvertsAndOneMoreOverflows)
{
    const auto largest = rowToCol(valuesRow(32767, 'n') + "\r\n" + valuesRow(32767, 'v'));
    ASSERT_TRUE(largest);
    EXPECT_EQ(largest->size(), 32767u * 5);  // "n", a tab, "v", CR LF
    EXPECT_TRUE(largest->ends_with("n\tv\r\n"));
    const auto tooMany = rowToCol(valuesRow(32768, 'n') + "\r\n" + valuesRow(32768, 'v'));
    EXPECT_EQ(tooMany ? "converted" : rowToColMessage(tooMany.error()), "frmTwoTabbedRowsToCols: 6 :: Overflow");
}

}  // namespace
}  // namespace qb
