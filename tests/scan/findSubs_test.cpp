// The declaration scanner: the line test, the report over folder trees and picked files.
#include "tools/scan/findSubs.h"

#include "shell/mdlText.h"

#include <gtest/gtest.h>

#include <random>

#include "scanTrees.h"
#include "support/recorder.h"

namespace qb {
namespace {

SubOrFunctTest compiled()
{
    auto test = SubOrFunctTest::compile();
    EXPECT_TRUE(test);
    return std::move(*test);
}

// The line test without the quick first-letter check: every pattern through matchesPattern.
bool anyPatternMatches(std::string_view line)
{
    bool found = false;
    for (std::string_view pattern : subOrFunctPatterns) {
        const auto matched = matchesPattern(line, pattern);
        EXPECT_TRUE(matched) << pattern;
        found = found || (matched && *matched);
    }
    return found;
}

TEST(IsSubOrFunct, ListsDeclarationsOnly)
{
    struct Row { const char* line; bool listed; };
    const Row rows[] = {
        {"   private sub Form_Load()", true},
        {"Sub Main()", false},
        {"Friend Function Total() As Long", false},
        {"Private Property Get Name() As String", false},
        {"Public Shared Sub Run()", false},
        {"Imports System.IO", true},
        {" Imports System.IO", false},            // Imports only in the first column
        {"Shared Sub New()", true},
        {"\tShared Sub New()", true},
        {"Public Subtotal As Long", true},        // only the start of the line has to fit
        {"Public  Sub Twice()", false},           // two spaces
        {"PUBLIC FUNCTION Shout()", true},
        {"Private Function F()", true},
        {"  Public ReadOnly Property Count", true},
        {"Public Property Let Name(v)", true},
        {"\x0b\x0cPublic Sub VerticalTabAndFormFeed()", true},
        {"\xa0Public Sub NoBreakSpaceIsNotWhiteSpace()", false},
        {"' Public Sub commented()", false},
        {"x = 1 ' Public Sub", false},
        {"Pu", false},
        {"", false},
        {"   ", false},
    };
    SubOrFunctTest test = compiled();
    for (const Row& row : rows) {
        const auto listed = test.isSubOrFunct(row.line);
        ASSERT_TRUE(listed) << row.line;
        EXPECT_EQ(*listed, row.listed) << '"' << row.line << '"';
        EXPECT_EQ(anyPatternMatches(row.line), row.listed) << '"' << row.line << '"';
    }
}

// The quick check in front of the patterns must never change an answer: every byte value before
// or inside each pattern's words, answered both ways.
TEST(IsSubOrFunct, QuickCheckAgreesWithThePatternsForEveryByte)
{
    SubOrFunctTest test = compiled();
    const std::string words[] = {"Public Sub", "Private Function", "Public ReadOnly Property", "Imports", "Shared Sub"};
    int checked = 0;
    for (const std::string& word : words) {
        for (int b = 0; b < 256; ++b) {
            const char c = static_cast<char>(b);
            const std::string lines[] = {
                std::string(1, c) + word,                 // before the word
                std::string(1, c) + "  " + word,
                std::string(1, c) + word.substr(1),       // in place of the first letter
                word.substr(0, 1) + c + word.substr(2),   // in place of the second letter
                word.substr(0, 3) + c,
            };
            for (const std::string& line : lines) {
                ASSERT_EQ(*test.isSubOrFunct(line), anyPatternMatches(line)) << "byte " << b << " in \"" << line << '"';
                ++checked;
            }
        }
    }
    EXPECT_EQ(checked, 5 * 256 * 5);
}

TEST(AppendMatchingLines, KeepsLinesAsReadWhateverTheirEnds)
{
    struct Row { const char* name; std::string text, expected; };
    const Row rows[] = {
        {"crlf", "Public Sub A()\r\nx\r\nPrivate Sub B()\r\n", "\tPublic Sub A()\r\n\tPrivate Sub B()\r\n"},
        {"lfAndLoneCr", "  Public Sub A()\nx\rShared Sub C()\r", "\t  Public Sub A()\r\n\tShared Sub C()\r\n"},
        {"lastLineWithoutEnd", "x\r\n\tPublic Function F()", "\t\tPublic Function F()\r\n"},
        {"emptyLinesBetween", "\r\n\r\nImports A\r\n\r\n", "\tImports A\r\n"},
        {"noMatch", "Dim x\r\nSub Main()\r\n", ""},
        {"empty", "", ""},
        {"highBytesKept", "Public Sub Caf\xe9()\r\n", "\tPublic Sub Caf\xe9()\r\n"},
    };
    SubOrFunctTest test = compiled();
    for (const Row& row : rows) {
        std::string out;
        ASSERT_TRUE(test.appendMatchingLines(row.text, out)) << row.name;
        EXPECT_EQ(out, row.expected) << row.name;
    }
}

// Whole texts through the sifting search, against every line through every pattern.
TEST(AppendMatchingLines, AgreesWithTestingEveryLine)
{
    std::vector<Regex> plain;
    for (std::string_view pattern : subOrFunctPatterns)
        plain.push_back(std::move(*Regex::compile(pattern, Regex::Options{.ignoreCase = true})));
    const std::string pieces[] = {"\r\n", "\n", "\r", " ", "\t", "\v", "\xa0", "x", "Public Sub", "public  sub",
                                  "PRIVATE Function", "Imports", "Shared Sub", "Public ReadOnly Property", "Pu",
                                  "Sub", std::string(50, ' '), std::string(60, 'y')};
    std::mt19937 random(7);
    SubOrFunctTest test = compiled();
    for (int n = 0; n < 3000; ++n) {
        std::string text;
        for (int i = static_cast<int>(random() % 40); i > 0; --i)
            text += pieces[random() % std::size(pieces)];
        std::string expected;
        for (std::string_view line : splitLines(text)) {
            bool listed = false;
            for (Regex& pattern : plain)
                listed = listed || *pattern.matches(line);
            if (listed)
                expected += "\t" + std::string(line) + "\r\n";
        }
        std::string out;
        ASSERT_TRUE(test.appendMatchingLines(text, out));
        ASSERT_EQ(out, expected) << '"' << text << '"';
    }
}

class SubsTree : public ::testing::Test {
protected:
    std::string path(std::string_view relative) const { return (temp / relative).string(); }
    Folder root() const { return Folder(temp.path()); }
    test::TempDir temp;
};

TEST_F(SubsTree, ListsFilesBeforeSubfoldersInWalkOrder)
{
    temp.write("B.bas", "Public Sub B()\r\n");
    temp.write("A.cls", "Dim x\r\nPrivate Function A()\r\n  public property get P()\r\n");
    temp.write("none.bas", "Sub Main()\r\n");
    temp.write("sub1/z.vb", "Imports System\r\n");
    temp.write("sub1/deeper/d.bas", "Shared Sub D()");
    temp.write("Sub2/y.frm", "Private Sub Form_Load()\r\n");
    temp.write("a.frm", "Public Subtotal As Long\n");

    const auto report = findSubsAndFuncts(root());
    ASSERT_TRUE(report);
    EXPECT_EQ(report->text,
              path("A.cls") + "\r\n\tPrivate Function A()\r\n\t  public property get P()\r\n" +
              path("a.frm") + "\r\n\tPublic Subtotal As Long\r\n" +
              path("B.bas") + "\r\n\tPublic Sub B()\r\n" +
              path("sub1/z.vb") + "\r\n\tImports System\r\n" +
              path("sub1/deeper/d.bas") + "\r\n\tShared Sub D()\r\n" +
              path("Sub2/y.frm") + "\r\n\tPrivate Sub Form_Load()\r\n");
    EXPECT_TRUE(report->skipped.empty());
    EXPECT_FALSE(report->cancelled);
    EXPECT_EQ(report->lastRead, temp / "Sub2/y.frm");
}

TEST_F(SubsTree, SkipListRespectsCase)
{
    const std::string body = "Public Sub Found()\r\n";
    for (const char* name : {"a.bmp", "b.exe", "c.dll", "d.zip", "e.html", "readme.htm.txt", "f.gif", "g.jpg", "x.bmp.txt"})
        temp.write(name, body);
    temp.write("IMAGE.GIF", body);
    temp.write("PHOTO.JPG", body);

    std::vector<std::filesystem::path> read;
    const auto report = findSubsAndFuncts(root(), [&](const std::filesystem::path& p, std::uint64_t) {
        read.push_back(p);
        return true;
    });
    ASSERT_TRUE(report);
    EXPECT_EQ(report->text, path("IMAGE.GIF") + "\r\n\t" + body + path("PHOTO.JPG") + "\r\n\t" + body);
    EXPECT_EQ(read, (std::vector<std::filesystem::path>{temp / "IMAGE.GIF", temp / "PHOTO.JPG"}));
}

TEST_F(SubsTree, TreeWithoutMatchesGivesAnEmptyReport)
{
    temp.write("a.bas", "Sub Main()\r\n");
    temp.mkdir("empty");
    const auto report = findSubsAndFuncts(root());
    ASSERT_TRUE(report);
    EXPECT_EQ(report->text, "");
    EXPECT_EQ(report->lastRead, temp / "a.bas");
}

// A file that fails to read, and a folder that vanished before its turn, are passed over and
// listed; everything else is reported.
TEST_F(SubsTree, UnreadableFileAndVanishedFolderAreSkippedAndListed)
{
    temp.write("a.bas", "Public Sub A()\r\n");
    test::makeUnreadableFile(temp / "b.bas");
    temp.write("first/c.bas", "Public Sub C()\r\n");
    temp.write("gone/g.bas", "Public Sub G()\r\n");
    temp.write("kept/k.bas", "Public Sub K()\r\n");

    // "gone" is listed with its siblings, then removed while "first" is read.
    const auto report = findSubsAndFuncts(root(), [&](const std::filesystem::path& p, std::uint64_t) {
        if (p == temp / "first/c.bas")
            std::filesystem::remove_all(temp / "gone");
        return true;
    });
    ASSERT_TRUE(report);
    EXPECT_EQ(report->text, path("a.bas") + "\r\n\tPublic Sub A()\r\n" + path("first/c.bas") +
                                "\r\n\tPublic Sub C()\r\n" + path("kept/k.bas") + "\r\n\tPublic Sub K()\r\n");
    ASSERT_EQ(report->skipped.size(), 2u);
    EXPECT_EQ(report->skipped[0].number, err::DeviceIO);
    EXPECT_NE(report->skipped[0].description.find(path("b.bas")), std::string::npos);
    EXPECT_EQ(report->skipped[1].number, err::PathNotFound);
    EXPECT_NE(report->skipped[1].description.find(path("gone")), std::string::npos);
}

TEST_F(SubsTree, CancelStopsBeforeTheNextFileAndKeepsTheReportSoFar)
{
    temp.write("a.bas", "Public Sub A()\r\n");
    temp.write("b.bas", "Public Sub B()\r\n");
    temp.write("sub/c.bas", "Public Sub C()\r\n");
    const auto report = findSubsAndFuncts(root(), [](const std::filesystem::path&, std::uint64_t count) {
        return count < 1;  // Cancel pressed while the first file was read
    });
    ASSERT_TRUE(report);
    EXPECT_TRUE(report->cancelled);
    EXPECT_EQ(report->text, path("a.bas") + "\r\n\tPublic Sub A()\r\n");
    EXPECT_EQ(report->lastRead, temp / "a.bas");
}

TEST_F(SubsTree, PickedFilesKeepTheirOrderAndNonFilesArePassedOver)
{
    const auto first = temp.write("z.bas", "Public Sub Z()\r\n");
    const auto second = temp.write("m.bas", "Sub Main()\r\n");
    const auto third = temp.write("a.cls", "Private Sub A()\r\n");
    const auto skipped = temp.write("s.zip", "Public Sub S()\r\n");
    const auto report = findSubsInFiles({first, temp.path(), second, temp / "missing.bas", skipped, third, ""});
    ASSERT_TRUE(report);
    EXPECT_EQ(report->text, first.string() + "\r\n\tPublic Sub Z()\r\n" + third.string() + "\r\n\tPrivate Sub A()\r\n");
    EXPECT_TRUE(report->skipped.empty());
}

TEST_F(SubsTree, SearchOneFileReadsOnlyFilesOffTheSkipList)
{
    const auto listed = temp.write("a.bas", "x\r\nPublic Sub A()\r\n");
    const auto skipped = temp.write("a.html", "Public Sub A()\r\n");
    SubOrFunctTest test = compiled();
    ScanRun run;
    EXPECT_EQ(searchOneFile(File(listed), test, run), "\tPublic Sub A()\r\n");
    EXPECT_EQ(searchOneFile(File(skipped), test, run), "");
    EXPECT_EQ(run.finish().lastRead, listed);
}

}  // namespace
}  // namespace qb
