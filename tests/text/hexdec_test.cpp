// The hex/decimal converter as a pure function; its window is driven in textWindows_test.cpp.
#include "tools/text/hexdec.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

struct ConversionRow {
    const char* name;
    HexDirection direction;
    const char* input;
    const char* text;     // what the result box holds afterwards
    int errorNumber = 0;  // 0: no error
};

class HexDecConversion : public ::testing::TestWithParam<ConversionRow> {};

TEST_P(HexDecConversion, GivesTextAndError)
{
    const HexDecResult result = convertHexDec(GetParam().input, GetParam().direction);
    EXPECT_EQ(result.text, GetParam().text);
    EXPECT_EQ(result.error ? result.error->number : 0, GetParam().errorNumber);
}

constexpr auto H = HexDirection::HexToDec;
constexpr auto D = HexDirection::DecToHex;

INSTANTIATE_TEST_SUITE_P(
    Rows, HexDecConversion,
    ::testing::Values(
        ConversionRow{"HexList", H, "1F,ff", "31,255"},
        ConversionRow{"HexLargest", H, "7FFFFFFF", "2147483647"},
        ConversionRow{"HexPastLargestOverflows", H, "80000000", "", 6},
        ConversionRow{"HexLeadingZerosStayInRange", H, "0000000000000000000000007FFFFFFF", "2147483647"},
        ConversionRow{"HexEmptyItemsAreZero", H, "1,,2,", "1,0,2,0"},
        ConversionRow{"HexEmptyInput", H, "", ""},
        ConversionRow{"DecEmptyInput", D, "", ""},
        // A character that is no hexadecimal digit is a type mismatch, not a digit worth 16 or -16;
        // the items before it stay converted.
        ConversionRow{"HexLetterGIsTypeMismatch", H, "1G", "", 13},
        ConversionRow{"HexSpaceIsTypeMismatch", H, "1, 2", "1", 13},
        ConversionRow{"HexMinusIsTypeMismatch", H, "-1", "", 13},
        ConversionRow{"DecList", D, "255,16,-1", "FF,10,FFFF"},
        ConversionRow{"DecBounds", D, "-32768,32767,-32768.5", "8000,7FFF,8000"},
        ConversionRow{"DecPastLargest", D, "32768", "", 6},
        ConversionRow{"DecPastSmallest", D, "-32769", "", 6},
        ConversionRow{"DecRoundsIntoOverflow", D, "32767.5", "", 6},
        ConversionRow{"DecHalvesToEven", D, "2.5,3.5,-0.5", "2,4,0"},
        ConversionRow{"DecEmptyItemIsTypeMismatch", D, "1,,2", "1", 13},
        ConversionRow{"DecSurroundingSpaces", D, "  26 ", "1A"},
        ConversionRow{"DecExponents", D, "1e3,1e-400", "3E8,0"},
        ConversionRow{"DecHugeExponentOverflows", D, "1e400", "", 6},
        ConversionRow{"DecHexNotationIsTypeMismatch", D, "0x10", "", 13},
        ConversionRow{"DecInfinityIsTypeMismatch", D, "inf", "", 13},
        ConversionRow{"DecSpaceInsideIsTypeMismatch", D, "1 2", "", 13}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qb
