// Byte-level text helpers, the window boundary's code-page conversion, and turning file bytes into
// text: the UTF-8 test, the Windows-1252 fallback, typed text back to bytes, and the binary test;
// and the compiled regular expression with the line test built on it.
#include "ui/cp1252.h"
#include "core/fileText.h"
#include "core/mdlText.h"
#include "core/regex.h"

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
    QPlainTextEdit box;  // any line end shows as a line break and comes back as CR LF
    setBoxBytes(&box, "one\r\ntwo\nthree\rfour\r\n");
    EXPECT_EQ(boxBytes(&box), "one\r\ntwo\r\nthree\r\nfour\r\n");
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

TEST(FileText, Utf8IsValidOnlyWhenEverySequenceIs)
{
    using namespace std::literals;
    struct Row { const char* name; std::string_view bytes; bool valid; };
    const Row rows[] = {
        {"empty", "", true},
        {"ascii with NUL", "long enough to take the eight-byte path\0"sv, true},
        {"two three four bytes", "\xC3\xAF \xE2\x82\xAC \xF0\x9F\x98\x80", true},
        {"highest code point", "\xF4\x8F\xBF\xBF", true},
        {"lone continuation", "abc\x80", false},
        {"cut off at the end", "abcdefgh\xE2\x82", false},
        {"overlong slash", "\xC0\xAF", false},
        {"overlong three bytes", "\xE0\x80\xAF", false},
        {"encoded surrogate", "\xED\xA0\x80", false},
        {"past U+10FFFF", "\xF4\x90\x80\x80", false},
        // The 32-byte stride: ending exactly on it, and sequences just after or across it.
        {"ascii of exactly 32 bytes", "0123456789abcdef0123456789abcdef", true},
        {"sequence after 32 ascii bytes", "0123456789abcdef0123456789abcdef\xC3\xAF", true},
        {"sequence across the stride", "0123456789abcdef0123456789abcde\xE2\x82\xAC", true},
        {"stray byte after 32 ascii bytes", "0123456789abcdef0123456789abcdef\x80", false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(isValidUtf8(row.bytes), row.valid) << row.name;
        // Read in parts, cut anywhere (a sequence split between parts), or a byte at a time.
        for (std::size_t cut = 0; cut <= row.bytes.size(); ++cut) {
            Utf8Check parts;
            parts.add(row.bytes.substr(0, cut));
            parts.add(row.bytes.substr(cut));
            EXPECT_EQ(parts.valid(), row.valid) << row.name << ", cut at " << cut;
        }
        Utf8Check bytes;
        for (char c : row.bytes)
            bytes.add(std::string_view(&c, 1));
        EXPECT_EQ(bytes.valid(), row.valid) << row.name << ", a byte at a time";
    }
}

TEST(FileText, FilesDecodeAsUtf8OrWindows1252AndTypedTextComesBack)
{
    EXPECT_EQ(decodeFileText("na\xC3\xAFve"), "na\xC3\xAFve");
    EXPECT_EQ(decodeFileText("caf\xE9 \x80 \x9F"), "caf\xC3\xA9 \xE2\x82\xAC \xC5\xB8");
    // A valid UTF-8 run inside a file that is not UTF-8 as a whole is still Windows-1252.
    EXPECT_EQ(decodeFileText("\xC3\xAF", false), "\xC3\x83\xC2\xAF");
    // Every byte survives Windows-1252 to UTF-8 and back; what the code page lacks becomes '?'.
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(cp1252FromUtf8(utf8FromCp1252(all)), all);
    EXPECT_EQ(cp1252FromUtf8("\xE2\x82\xAC \xE4\xB8\xAD \xFF"), "\x80 ? \xFF");
    // What the code page lacks, each character once; '?' itself it has.
    EXPECT_EQ(notInCp1252("caf\xC3\xA9 \xE2\x82\xAC ? \xE6\x97\xA5\xE6\x9C\xAC\xE6\x97\xA5 \xF0\x9F\x98\x80"),
              "\xE6\x97\xA5\xE6\x9C\xAC\xF0\x9F\x98\x80");
}

TEST(FileText, BinaryMeansANulInTheFirst64KiB)
{
    std::string bytes(binaryProbeSize, 'x');
    EXPECT_FALSE(looksBinary(bytes + '\0'));
    bytes[binaryProbeSize - 1] = '\0';
    EXPECT_TRUE(looksBinary(bytes));
    EXPECT_FALSE(looksBinary("caf\xE9\xFF\x01"));
    EXPECT_FALSE(looksBinary(""));
}

// As the scanners compile them: caseless, compiled to machine code.
TEST(Regex, MatchesBytesAnywhereUnlessAnchored)
{
    struct Row { const char* name; std::string pattern, subject; bool expected; };
    const Row rows[] = {
        {"literalInside", "sub", "Public Sub x", true},
        {"anchorOnlyAtStart", "^Sub", "x\nSub", false},  // no multi-line mode
        {"afterNulByte", "b", std::string("a\0b", 3), true},
        {"invalidUtf8IsJustBytes", "\xe9t\xe9", "caf\xe9t\xe9\xff", true},
        {"accentedNotFolded", "\xe9", "\xc9", false},  // caseless folds ASCII letters only
    };
    for (const Row& row : rows) {
        auto regex = Regex::compile(row.pattern, Regex::Options{.ignoreCase = true, .jit = true});
        ASSERT_TRUE(regex) << row.name;
        EXPECT_EQ(regex->matches(row.subject), row.expected) << row.name;
    }
}

TEST(Regex, FailuresAreErrorsNotNonMatches)
{
    const auto bad = matchesPattern("line", "Public (Sub");
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.error().number, err::InvalidProcedureCall);
    EXPECT_NE(bad.error().description.find("Public (Sub"), std::string::npos) << bad.error().description;

    // Catastrophic backtracking reaches the match limit long before an answer.
    const auto matched = Regex::compile("^(a+)+$").value().matches(std::string(40, 'a') + "b");
    ASSERT_FALSE(matched);
    EXPECT_EQ(matched.error().number, err::InvalidProcedureCall);
}

}  // namespace
}  // namespace qb
