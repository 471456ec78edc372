// The converters as pure functions: hexadecimal and decimal lists, rows to columns, and two files
// combined line by line from real files in a temporary folder. Their windows are driven in
// textWindows_test.cpp.
#include "tools/text/combineFiles.h"
#include "tools/text/hexdec.h"
#include "tools/text/rowToCol.h"

#include <gtest/gtest.h>

#include "support/recorder.h"

namespace qb {
namespace {

TEST(HexDec, ConvertsListsItemByItem)
{
    constexpr auto H = HexDirection::HexToDec;
    constexpr auto D = HexDirection::DecToHex;
    struct Row {
        const char* name;
        HexDirection direction;
        const char* input;
        const char* text;     // what the result box holds afterwards
        int errorNumber = 0;  // 0: no error
    };
    const Row rows[] = {
        {"HexList", H, "1F,ff", "31,255"},
        {"HexLargest", H, "7FFFFFFF", "2147483647"},
        {"HexPastLargestOverflows", H, "80000000", "", 6},
        {"HexLeadingZerosStayInRange", H, "0000000000000000000000007FFFFFFF", "2147483647"},
        {"HexEmptyItemsAreZero", H, "1,,2,", "1,0,2,0"},
        {"HexEmptyInput", H, "", ""},
        {"DecEmptyInput", D, "", ""},
        // A character that is no hexadecimal digit is a type mismatch, not a digit worth 16 or -16;
        // the items before it stay converted.
        {"HexLetterGIsTypeMismatch", H, "1G", "", 13},
        {"HexSpaceIsTypeMismatch", H, "1, 2", "1", 13},
        {"HexMinusIsTypeMismatch", H, "-1", "", 13},
        {"DecList", D, "255,16,-1", "FF,10,FFFF"},
        {"DecBounds", D, "-32768,32767,-32768.5", "8000,7FFF,8000"},
        {"DecPastLargest", D, "32768", "", 6},
        {"DecPastSmallest", D, "-32769", "", 6},
        {"DecRoundsIntoOverflow", D, "32767.5", "", 6},
        {"DecHalvesToEven", D, "2.5,3.5,-0.5", "2,4,0"},
        {"DecEmptyItemIsTypeMismatch", D, "1,,2", "1", 13},
        {"DecSurroundingSpaces", D, "  26 ", "1A"},
        {"DecExponents", D, "1e3,1e-400", "3E8,0"},
        {"DecHugeExponentOverflows", D, "1e400", "", 6},
        {"DecHexNotationIsTypeMismatch", D, "0x10", "", 13},
        {"DecInfinityIsTypeMismatch", D, "inf", "", 13},
        {"DecSpaceInsideIsTypeMismatch", D, "1 2", "", 13},
    };
    for (const Row& row : rows) {
        const HexDecResult result = convertHexDec(row.input, row.direction);
        EXPECT_EQ(result.text, row.text) << row.name;
        EXPECT_EQ(result.error ? result.error->number : 0, row.errorNumber) << row.name;
    }
}

TEST(RowsToColumns, ConvertOrComplain)
{
    const std::string tabs =
        "Must have same number of tabs in each line.  Make sure that you don't have tabs inside of values.";
    const auto repeated = [](std::string_view piece, int count) {
        std::string text;
        for (int i = 0; i < count; ++i)
            text += piece;
        return text;
    };
    // Two rows of `count` one-letter values: 32767 of them convert, one more overflows.
    const auto wide = [&](int count) { return repeated("n\t", count - 1) + "n\r\n" + repeated("v\t", count - 1) + "v"; };
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
        {wide(32767), repeated("n\tv\r\n", 32767)},
        {wide(32768), "frmTwoTabbedRowsToCols: 6 :: Overflow", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input.substr(0, 40));
        const auto result = rowToCol(row.input);
        EXPECT_EQ(result ? *result : rowToColMessage(result.error()), row.output);
        EXPECT_EQ(result.has_value(), row.converts);
    }
}

TEST(CombineFiles, JoinLineByLine)
{
    struct Row {
        std::string first, second, combined;
    };
    const Row rows[] = {
        {"a\r\nb\r\nc\r\n", "1\r\n2\r\n", "a1\r\nb2\r\n"},
        {"a\r\n", "1\r\n2\r\n", "a1\r\n"},
        {"left \r\n", "right\r\n", "left right\r\n"},
        {"", "1\r\n2\r\n", ""},
        {"a\r\nb", "1\r\n2", "a1\r\nb2\r\n"},
        {"a\nb\rc\r\n", "1\r2\n3", "a1\r\nb2\r\nc3\r\n"},
        {"\r\nb\r\n", "1\r\n\r\n", "1\r\nb\r\n"},
        {"\x80\xFF\t\r\n", std::string("\x00\xA2\r\n", 4), std::string("\x80\xFF\t\x00\xA2\r\n", 7)},
    };
    test::TempDir temp;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.first + " | " + row.second);
        const auto combined = combineFiles(temp.write("one.txt", row.first), temp.write("two.txt", row.second));
        ASSERT_TRUE(combined && *combined);
        EXPECT_EQ(**combined, row.combined);
    }
}

// An empty path does nothing and a doubled separator still opens; a file that cannot be read is
// an error naming it, never an empty result.
TEST(CombineFiles, EmptyPathDoesNothingAndAMissingOrUnreadableFileIsAnErrorNamingIt)
{
    test::TempDir temp;
    const auto file = temp.write("a.txt", "a\r\n");
    EXPECT_EQ(combineFiles(file, {}).value_or("error"), std::nullopt);
    EXPECT_EQ(combineFiles({}, file).value_or("error"), std::nullopt);
    EXPECT_EQ(combineFiles(temp.path().string() + "//a.txt", file).value_or("error"), "aa\r\n");
    const auto missing = temp / "missing.txt";
    for (const auto& [first, second, named, number] :
         {std::tuple{missing, file, missing, err::FileNotFound}, std::tuple{file, missing, missing, err::FileNotFound},
          std::tuple{file, temp.path(), temp.path(), 0}}) {
        const auto combined = combineFiles(first, second);
        ASSERT_FALSE(combined) << named;
        EXPECT_NE(combined.error().description.find(named.string()), std::string::npos) << combined.error().description;
        EXPECT_EQ(number ? combined.error().number : 0, number);
    }
}

}  // namespace
}  // namespace qb
