// Byte-level text helpers and the window boundary's code-page conversion.
#include "shell/cp1252.h"
#include "shell/mdlText.h"

#include <QLineEdit>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

namespace qb {
namespace {

TEST(CapFirst, UpperCasesOnlyALetterThatHasAnUpperForm)
{
    struct Row { std::string in, out; };
    const Row rows[] = {
        {"orders", "Orders"}, {"Orders", "Orders"}, {"", ""}, {"1abc", "1abc"}, {"_x", "_x"}, {"z", "Z"}, {"{", "{"},
        {"\xe9t\xe9", "\xc9t\xe9"}, {"\xff", "\x9f"}, {"\x9a", "\x8a"},  // é, ÿ and š have upper forms
        {"\xf7x", "\xf7x"}, {"\xdf", "\xdf"},                             // ÷ and ß have none here
    };
    for (const Row& row : rows)
        EXPECT_EQ(capFirst(row.in), row.out) << row.in;
}

TEST(SplitLines, EndsLinesAtEveryKindOfBreak)
{
    using V = std::vector<std::string_view>;
    EXPECT_EQ(splitLines(""), V{});
    EXPECT_EQ(splitLines("a\r\nb\nc\rd"), (V{"a", "b", "c", "d"}));
    EXPECT_EQ(splitLines("a\r\n"), V{"a"});
    EXPECT_EQ(splitLines("\r\n\r\n"), (V{"", ""}));
    EXPECT_EQ(splitLines("a\n\rb"), (V{"a", "", "b"}));  // LF then a lone CR: two breaks
    EXPECT_EQ(splitLines("a\r\r\nb"), (V{"a", "", "b"}));
}

TEST(Cp1252, EveryByteSurvivesABoxAndPathsKeepTheirBytes)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        if (b != '\r' && b != '\n')
            all.push_back(static_cast<char>(b));
    EXPECT_EQ(toCp1252(fromCp1252(all)), all);
    QLineEdit line;
    setLineBytes(&line, all);
    EXPECT_EQ(lineBytes(&line), all);
    EXPECT_EQ(fromCp1252("\x80\x99\xa2"), QString::fromUtf8("€™¢"));
    EXPECT_EQ(toCp1252(QString::fromUtf8("€ a ✓ 😀")), "\x80 a ? ?");  // what the code page cannot hold
    // Paths keep their bytes, valid UTF-8 or not (a Windows-1252 name, a stray continuation byte,
    // an overlong form, an encoded surrogate, a cut-off sequence, a character past U+FFFF).
    for (const char* bytes : {"/tmp/caf\xc3\xa9/x y.txt", "/tmp/caf\xe9/x\xff.txt", "a\x80" "b", "\xc0\xaf",
                              "\xed\xa0\x80", "end\xe2\x82", "\xf0\x9f\x98\x80"}) {
        const std::filesystem::path path = bytes;
        EXPECT_EQ(toPath(fromPath(path)), path) << bytes;
    }
    EXPECT_EQ(fromPath("/tmp/caf\xc3\xa9"), QString::fromUtf8("/tmp/café"));
    EXPECT_EQ(toPath(QString::fromUtf8("/tmp/café 😀")), std::filesystem::path("/tmp/caf\xc3\xa9 \xf0\x9f\x98\x80"));
}

TEST(Cp1252, BoxesUseCrLfBetweenLines)
{
    QPlainTextEdit box;
    setBoxBytes(&box, "one\r\ntwo\nthree\rfour");
    EXPECT_EQ(box.blockCount(), 4);
    EXPECT_EQ(boxBytes(&box), "one\r\ntwo\r\nthree\r\nfour");
    setBoxBytes(&box, "last\r\n");
    EXPECT_EQ(boxBytes(&box), "last\r\n");
}

}  // namespace
}  // namespace qb
