// The unified diff: whatever the two versions, `git apply` and `patch -p1` of it turn a copy of
// the old file into the new one byte for byte; and the line counts that a review shows.
#include "tools/files/diff.h"

#include "ui/cp1252.h"

#include <gtest/gtest.h>

#include "support/process.h"
#include "support/recorder.h"

namespace qb {
namespace {

namespace fs = std::filesystem;

struct DiffRow {
    const char* name;
    std::string before, after;
    DiffCounts counts;
    std::string path = "dir/my file.txt";
};

// Lines "line 1" to "line N", each ended by `end`.
std::string numbered(int count, std::string_view end = "\n")
{
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += "line " + std::to_string(i) + std::string(end);
    return text;
}

std::string replaced(std::string text, std::string_view what, std::string_view with)
{
    text.replace(text.find(what), what.size(), with);
    return text;
}

const DiffRow diffRows[] = {
    {"one line changed", "a\nb\nc\n", "a\nB\nc\n", {1, 1}},
    {"line added at the end", "a\nb\n", "a\nb\nc\n", {0, 1}},
    {"first line removed", "a\nb\nc\n", "b\nc\n", {1, 0}},
    {"from empty", "", "a\nb\n", {0, 2}},
    {"to empty", "a\nb\n", "", {2, 0}},
    // The marker must follow the last line on each side that has no end.
    {"no final newline on either side", "a\nb", "a\nc", {1, 1}},
    {"final newline added", "a\nb", "a\nb\n", {1, 1}},
    {"final newline removed", "a\nb\n", "a\nb", {1, 1}},
    // CRs are bytes of their lines: the tools must see them as they are.
    {"CR LF lines", "a\r\nb\r\nc\r\n", "a\r\nx\r\nc\r\n", {1, 1}},
    {"only line ends change", "a\nb\n", "a\r\nb\r\n", {2, 2}},
    {"a lone CR inside a line", "a\rb\nc\n", "a\rB\nc\n", {1, 1}},
    // Two changes far apart make two hunks; close ones share one, and the ranges must add up.
    {"changes far apart", numbered(40), replaced(replaced(numbered(40), "line 3\n", "three\n"), "line 33\n", "x\ny\n"), {2, 3}},
    {"changes seven lines apart", numbered(20), replaced(replaced(numbered(20), "line 5\n", "five\n"), "line 12\n", ""), {2, 1}},
    {"changes six lines apart", numbered(20), replaced(replaced(numbered(20), "line 5\n", "five\n"), "line 12\n", "t\n"), {2, 2}},
    // Same length, but a one-for-one pairing of lines would change them all: the shortest script.
    {"a line moved from the top to the bottom", "a\nb\nc\nd\n", "b\nc\nd\na\n", {1, 1}},
    {"lines rewritten one for one", numbered(3000), replaced(replaced(numbered(3000), "line 7\n", "seven\n"), "line 2999\n", "x\n"), {2, 2}},
    // Too many changes for the Myers diff in good time: the changed middle goes as one hunk.
    {"every line of a long file changes", numbered(30000), numbered(30000, "\r\n"), {30000, 30000}},
    {"bytes that are not UTF-8", std::string("caf\xe9\n\x00\x01\n", 8), std::string("caf\xc3\xa9\n\x00\x01\n", 9), {1, 1}},
    // Names that patch would cut at the space, or that git writes in C quotes.
    {"a name with quotes and a backslash", "a\n", "b\n", {1, 1}, "sub dir/say \"hi\" \\ bye.txt"},
    {"a name with a tab", "a\n", "b\n", {1, 1}, "tab\there.txt"},
};

class Diff : public ::testing::TestWithParam<DiffRow> {};

TEST_P(Diff, IsTakenByGitApplyAndPatch)
{
    const DiffRow& row = GetParam();
    const std::string diff = unifiedDiff(row.before, row.after, row.path);
    EXPECT_EQ(diffCounts(row.before, row.after).removed, row.counts.removed);
    EXPECT_EQ(diffCounts(row.before, row.after).added, row.counts.added);
    const test::TempDir temp;
    temp.write("x.patch", diff);
    struct Tool { QString program; QStringList arguments; };
    for (const Tool& tool : {Tool{"git", {"apply", "--unsafe-paths", fromPath(temp / "x.patch")}},
                             Tool{"patch", {"-p1", "--quiet", "--batch", "-i", fromPath(temp / "x.patch")}}}) {
        SCOPED_TRACE(tool.program.toStdString());
        const fs::path tree = temp / tool.program.toStdString();
        temp.write(tool.program.toStdString() + "/" + row.path, row.before);
        const test::Ran ran = test::runProgram(tool.program, tool.arguments, {.folder = tree});
        EXPECT_EQ(ran.status, 0) << ran.out << ran.err << diff;
        if (fs::exists(tree / row.path))
            EXPECT_EQ(test::readBytes(tree / row.path), row.after) << diff;
        else
            EXPECT_EQ(row.after, "") << "patch removed the emptied file";
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, Diff, ::testing::ValuesIn(diffRows),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             std::ranges::replace_if(name, [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
                             return name;
                         });

TEST(DiffText, NamesBothSidesAndIsEmptyWithoutChange)
{
    EXPECT_EQ(unifiedDiff("a\n", "a\n", "x"), "");
    EXPECT_EQ(unifiedDiff("a\nb\n", "a\nc\n", "sub/x.txt"), "--- a/sub/x.txt\n+++ b/sub/x.txt\n@@ -1,2 +1,2 @@\n a\n-b\n+c\n");
}

}  // namespace
}  // namespace qb
