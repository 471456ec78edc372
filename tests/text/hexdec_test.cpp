#include "tools/text/hexdec.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include "support/recorder.h"
#include "tools/text/frmHex2Dec.h"

namespace qb {
namespace {

struct ConversionRow {
    const char* name;
    HexDirection direction;
    const char* input;
    const char* text;       // what the result box holds afterwards
    int errorNumber = 0;    // 0: no error
};

class HexDecConversion : public ::testing::TestWithParam<ConversionRow> {};

TEST_P(HexDecConversion, GivesTextAndError)
{
    const ConversionRow& row = GetParam();
    const HexDecResult result = convertHexDec(row.input, row.direction);
    EXPECT_EQ(result.text, row.text);
    EXPECT_EQ(result.error ? result.error->number : 0, row.errorNumber);
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
        ConversionRow{"HexEmptyItemIsZero", H, "1,,2", "1,0,2"},
        ConversionRow{"HexTrailingCommaIsZero", H, "A,", "10,0"},
        ConversionRow{"EmptyInputGivesNothing", H, "", ""},
        ConversionRow{"DecEmptyInputGivesNothing", D, "", ""},
        // A character that is no hexadecimal digit is a type mismatch, not a digit worth 16 or -16.
        ConversionRow{"HexLetterGIsTypeMismatch", H, "1G", "", 13},
        ConversionRow{"HexSpaceIsTypeMismatch", H, "1, 2", "1", 13},
        ConversionRow{"HexMinusIsTypeMismatch", H, "-1", "", 13},
        ConversionRow{"HexStopsAtFailingItem", H, "10,zz,20", "16", 13},
        ConversionRow{"DecList", D, "255,16", "FF,10"},
        ConversionRow{"DecMinusOne", D, "-1", "FFFF"},
        ConversionRow{"DecZero", D, "0", "0"},
        ConversionRow{"DecSmallest", D, "-32768", "8000"},
        ConversionRow{"DecLargest", D, "32767", "7FFF"},
        ConversionRow{"DecPastLargest", D, "32768", "", 6},
        ConversionRow{"DecPastSmallest", D, "-32769", "", 6},
        ConversionRow{"DecFortyThousand", D, "40000", "", 6},
        ConversionRow{"DecEmptyItemIsTypeMismatch", D, "1,,2", "1", 13},
        ConversionRow{"DecSurroundingSpaces", D, "  26 ", "1A"},
        ConversionRow{"DecHalfToEvenDown", D, "2.5", "2"},
        ConversionRow{"DecHalfToEvenUp", D, "3.5", "4"},
        ConversionRow{"DecNegativeHalf", D, "-0.5", "0"},
        ConversionRow{"DecRoundsIntoOverflow", D, "32767.5", "", 6},
        ConversionRow{"DecRoundsToSmallest", D, "-32768.5", "8000"},
        ConversionRow{"DecPlusSign", D, "+12", "C"},
        ConversionRow{"DecExponent", D, "1e3", "3E8"},
        ConversionRow{"DecHugeExponentOverflows", D, "1e400", "", 6},
        ConversionRow{"DecTinyExponentIsZero", D, "1e-400", "0"},
        ConversionRow{"DecWordIsTypeMismatch", D, "abc", "", 13},
        ConversionRow{"DecHexNotationIsTypeMismatch", D, "0x10", "", 13},
        ConversionRow{"DecInfinityIsTypeMismatch", D, "inf", "", 13},
        ConversionRow{"DecDoubleSignIsTypeMismatch", D, "+-1", "", 13},
        ConversionRow{"DecSpaceInsideIsTypeMismatch", D, "1 2", "", 13}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HexDecMessage, PutsDescriptionBeforeNumber)
{
    EXPECT_EQ(hexDecErrorMessage(Error{6, "Overflow"}),
              "Something horrible has happened, like the value you're translating isn't a number.  "
              "Hell, I don't know.\r\nOverflow :: 6");
}

class Hex2DecWindow : public ::testing::Test {
protected:
    frmHex2Dec window;
    QLineEdit* text1 = window.findChild<QLineEdit*>("Text1");
    QLineEdit* text2 = window.findChild<QLineEdit*>("Text2");
    QPushButton* go = window.findChild<QPushButton*>("Command1");
    test::MessageRecorder recorder;

    void convert(const QString& input, const char* option)
    {
        window.findChild<QRadioButton*>(option)->setChecked(true);
        text1->setText(input);
        QTest::mouseClick(go, Qt::LeftButton);
    }
};

TEST_F(Hex2DecWindow, StartsWithHexToDecAndPlaceholderResult)
{
    ASSERT_TRUE(text1 && text2 && go);
    EXPECT_EQ(window.windowTitle(), "Form2");
    EXPECT_TRUE(window.findChild<QRadioButton*>("Option1_0")->isChecked());
    EXPECT_EQ(text2->text(), "Text2");
    EXPECT_EQ(go->text(), "go");
}

TEST_F(Hex2DecWindow, ConvertsBothWays)
{
    convert("1F,ff", "Option1_0");
    EXPECT_EQ(text2->text(), "31,255");
    convert("255,16", "Option1_1");
    EXPECT_EQ(text2->text(), "FF,10");
    EXPECT_TRUE(recorder.messages.isEmpty());
}

TEST_F(Hex2DecWindow, FailureKeepsEarlierItemsAndFocusesInput)
{
    window.show();
    QApplication::setActiveWindow(&window);
    go->setFocus();
    convert("1,,2", "Option1_1");
    EXPECT_EQ(text2->text(), "1");
    ASSERT_EQ(recorder.messages.size(), 1);
    EXPECT_TRUE(recorder.messages[0].endsWith("\r\nType mismatch :: 13"));
    EXPECT_TRUE(text1->hasFocus());
}

TEST_F(Hex2DecWindow, EmptyInputEmptiesResultSilently)
{
    convert("", "Option1_0");
    EXPECT_EQ(text2->text(), "");
    EXPECT_TRUE(recorder.messages.isEmpty());
}

}  // namespace
}  // namespace qb
