// The TODO scanner: the blocks of one text, and the report over a folder tree.
#include "tools/scan/findTodos.h"

#include <gtest/gtest.h>

#include "support/recorder.h"

namespace qb {
namespace {

TEST(TodoBlocks, CollectMarkerLinesAndTheCommentsThatFollow)
{
    struct Row { const char* name; std::string text, expected; };
    const Row rows[] = {
        {"markerAfterCode", "x = 1 ' TODO: fix\r\ny = 2\r\n", "x = 1 ' TODO: fix\r\n\r\n"},
        {"lowerCaseOrNoColonIsNoMarker", "' todo: a\r\n' TODO b\r\n' ToDo: c\r\n", ""},
        {"twoCommentsThenCode", "' TODO: a\r\n' more\r\n' and more\r\ncode\r\n' later\r\n",
         "' TODO: a\r\n' more\r\n' and more\r\n\r\n"},
        {"markerOnLastLine", "x\r\n' TODO: last", "' TODO: last\r\n\r\n"},
        {"twoVbMarkersShareABlock", "' TODO: one\r\n' TODO: two\r\nx\r\n", "' TODO: one\r\n' TODO: two\r\n\r\n"},
        {"twoBlocks", "' TODO: a\r\nx\r\ny\r\n  ' TODO: b\r\n", "' TODO: a\r\n\r\n  ' TODO: b\r\n\r\n"},
        {"emptyLineEndsABlock", "' TODO: a\r\n\r\n' b\r\n", "' TODO: a\r\n\r\n"},
        {"bareApostropheContinues", "' TODO: a\r\n'\r\nx\r\n", "' TODO: a\r\n'\r\n\r\n"},
        {"lfAndLoneCrEnds", "a\n' TODO: b\r' c\nd", "' TODO: b\r\n' c\r\n\r\n"},
        {"lineKeptAsRead", "\t  Dim x ' TODO:\xe9 \r\n", "\t  Dim x ' TODO:\xe9 \r\n\r\n"},
        {"empty", "", ""},
        // Lines the block rule used to lose:
        {"lastLineContinuationKept", "' TODO: a\r\n' b", "' TODO: a\r\n' b\r\n\r\n"},
        {"lastLineContinuationWithEndKept", "' TODO: a\r\n' b\r\n", "' TODO: a\r\n' b\r\n\r\n"},
        {"cMarkersInARow", "// TODO: one\r\n// TODO: two\r\nint x;\r\n", "// TODO: one\r\n\r\n// TODO: two\r\n\r\n"},
        {"lineEndingABlockIsTested", "' TODO: a\r\n' b\r\nx++; // TODO: c\r\n", "' TODO: a\r\n' b\r\n\r\nx++; // TODO: c\r\n\r\n"},
        {"cMarkerOnLastLineAfterAnother", "// TODO: one\r\n// TODO: two", "// TODO: one\r\n\r\n// TODO: two\r\n\r\n"},
        // The continuation mark may stand anywhere in the line, not only in its first column:
        {"indentedCommentsContinue", "  ' TODO: a\r\n    ' b\r\n\t' c\r\nx\r\n", "  ' TODO: a\r\n    ' b\r\n\t' c\r\n\r\n"},
        {"codeWithTrailingCommentContinues", "' TODO: a\r\nx = 1 ' b\r\n  y = 2 ' c\r\nz = 3\r\n",
         "' TODO: a\r\nx = 1 ' b\r\n  y = 2 ' c\r\n\r\n"},
        {"markAtLineEndContinues", "x ' TODO: a\r\nMsgBox \"it'\r\nend\r\n", "x ' TODO: a\r\nMsgBox \"it'\r\n\r\n"},
    };
    for (const Row& row : rows) {
        ScanPart part;
        appendTodoBlocks(row.text, part);
        EXPECT_EQ(part.text, row.expected) << row.name;
    }
}

class TodoTree : public ::testing::Test {
protected:
    Folder root() const { return Folder(temp.path()); }
    // One file's part of the report.
    std::string fileBlock(std::string_view relative, std::string_view blocks) const
    {
        return "*************************\r\nFile: " + (temp / relative).string() + "\r\n" + std::string(blocks) +
               "\r\n*************************\r\n\r\n";
    }
    test::TempDir temp;
};

TEST_F(TodoTree, SkipListRespectsCase)
{
    const std::string body = "' TODO: here\r\n";
    for (const char* name : {"logo.gif", "archive.zip", "a.bmp.txt", "photo.jpg.bak"})
        temp.write(name, body);
    temp.write("LOGO.GIF", body);
    temp.write("page.html", body);  // not on this scanner's list
    temp.write("none.bas", "' todo: later\r\n");
    temp.mkdir("empty/deeper");
    const ScanReport report = findTodos(root());
    EXPECT_EQ(report.text, fileBlock("LOGO.GIF", body + "\r\n") + fileBlock("page.html", body + "\r\n"));
}

TEST(ScanProblemsMessage, ListsWhatWasSkippedAndSaysWhenCancelled)
{
    ScanReport report;
    EXPECT_EQ(scanProblemsMessage(report), "");
    report.binarySkipped = 1;
    EXPECT_EQ(scanProblemsMessage(report), "1 binary file skipped");
    report.skipped = {{"/p/a", Error{53, "/p/a: No such file or directory"}}, {"/p/b", Error{70, "/p/b: Permission denied"}}};
    report.binarySkipped = 0;
    EXPECT_EQ(scanProblemsMessage(report), "These could not be read and were skipped:\n"
                                           "53 :: /p/a: No such file or directory\n70 :: /p/b: Permission denied");
    report.cancelled = true;
    report.skipped.assign(45, {"/p/x", Error{57, "x"}});
    report.binarySkipped = 3;
    const std::string many = scanProblemsMessage(report);
    EXPECT_TRUE(many.starts_with("The scan was cancelled; the report holds the files read before that.\n"));
    EXPECT_EQ(std::count(many.begin(), many.end(), '\n'), 33);  // 30 listed, a count of the rest, the binaries
    EXPECT_TRUE(many.ends_with("57 :: x\n... and 15 more.\n3 binary files skipped"));
}

}  // namespace
}  // namespace qb
