// Updating a file over a tree: every run is checked against the whole tree it leaves behind.
#include "tools/files/updateFiles.h"

#include <gtest/gtest.h>

#include "files/tree.h"

namespace qb {
namespace {

namespace fs = std::filesystem;
using test::Tree;
using test::treeOf;

const std::string stamp = "7_9_2004 3_05_09 PM", backup = stamp + "_report.txt";
std::string fixedStamp() { return stamp; }

class UpdateFiles : public ::testing::Test {
protected:
    test::TempDir dir;
    const fs::path tree = dir.mkdir("tree");
    const fs::path newFile = dir.write("new/report.txt", "NEW");
    std::string line(std::string_view relative) const { return (tree / relative).string() + "\r\n"; }
};

TEST_F(UpdateFiles, ReplacesEverySameNamedFileInWalkOrderBackingUpEach)
{
    for (const char* name : {"report.txt", "a/deep/report.txt", "B/report.txt", "b2/REPORT.TXT"})
        dir.write("tree/" + std::string(name), name);
    const BulkRun run = updateFiles({newFile}, tree, fixedStamp);
    EXPECT_EQ(run.text, line("report.txt") + line("a/deep/report.txt") + line("B/report.txt"));
    EXPECT_TRUE(run.messages.empty());
    EXPECT_EQ(treeOf(tree), (Tree{{"report.txt", "NEW"}, {backup, "report.txt"}, {"a", "/"}, {"a/deep", "/"},
                                  {"a/deep/report.txt", "NEW"}, {"a/deep/" + backup, "a/deep/report.txt"},
                                  {"B", "/"}, {"B/report.txt", "NEW"}, {"B/" + backup, "B/report.txt"},
                                  {"b2", "/"}, {"b2/REPORT.TXT", "b2/REPORT.TXT"}}));
}

// Listed twice within one second, the second pass finds its backup name taken: the first backup
// is kept, the target is not touched, and that folder's subfolders are skipped. Two new files of
// one name a second apart leave the later, with the earlier in the second backup.
TEST_F(UpdateFiles, SecondPassOfOneNameDependsOnItsBackup)
{
    dir.write("tree/report.txt", "old");
    dir.write("tree/sub/report.txt", "old sub");
    const BulkRun sameSecond = updateFiles({newFile, newFile}, tree, fixedStamp);
    EXPECT_EQ(sameSecond.text, line("report.txt") + line("sub/report.txt") + line("report.txt"));
    ASSERT_EQ(sameSecond.messages.size(), 1u);
    EXPECT_TRUE(sameSecond.messages[0].starts_with("58 :: ")) << sameSecond.messages[0];
    EXPECT_EQ(treeOf(tree), (Tree{{"report.txt", "NEW"}, {backup, "old"}, {"sub", "/"},
                                  {"sub/report.txt", "NEW"}, {"sub/" + backup, "old sub"}}));

    const fs::path later = dir.write("later/report.txt", "LATER");
    const fs::path other = dir.write("other/report.txt", "old").parent_path();
    int calls = 0;
    updateFiles({newFile, later}, other, [&] { return "s" + std::to_string(++calls); });
    EXPECT_EQ(treeOf(other), (Tree{{"report.txt", "LATER"}, {"s1_report.txt", "old"}, {"s2_report.txt", "NEW"}}));
}

// The new file inside the tree used to be backed up and copied onto itself, and the failed copy
// cut off the rest of its folder: it is skipped, also when reached through a link.
TEST_F(UpdateFiles, NewFileInsideTheTreeIsNeverATarget)
{
    const fs::path inside = dir.write("tree/report.txt", "NEW");
    fs::create_symlink(inside, dir.mkdir("tree/linked") / "report.txt");
    dir.write("tree/sub/report.txt", "old");
    const BulkRun run = updateFiles({inside}, tree, fixedStamp);
    EXPECT_EQ(run.text, line("sub/report.txt"));
    EXPECT_TRUE(run.messages.empty());
    EXPECT_EQ(treeOf(tree), (Tree{{"report.txt", "NEW"}, {"linked", "/"}, {"linked/report.txt", "-> " + inside.string()},
                                  {"sub", "/"}, {"sub/report.txt", "NEW"}, {"sub/" + backup, "old"}}));
}

TEST_F(UpdateFiles, MissingFilesAndStartFoldersGiveOneMessageEachAndTheRunGoesOn)
{
    dir.write("tree/report.txt", "old");
    const fs::path missing = dir / "nowhere.txt", gone = dir / "gone";
    struct Row { std::vector<fs::path> list; fs::path start; std::vector<std::string> messages; std::string text; };
    const Row rows[] = {
        {{}, tree, {}, ""},
        {{missing, newFile}, tree, {"One of your selected files doesn't exist:\r\n" + missing.string()}, line("report.txt")},
        {{newFile, newFile}, gone, {"76 :: " + gone.string(), "76 :: " + gone.string()}, ""},
    };
    for (const Row& row : rows) {
        const BulkRun run = updateFiles(row.list, row.start, [] { return std::string("s"); });
        EXPECT_EQ(run.text, row.text);
        ASSERT_EQ(run.messages.size(), row.messages.size());
        for (std::size_t i = 0; i < run.messages.size(); ++i)
            EXPECT_TRUE(run.messages[i].starts_with(row.messages[i])) << run.messages[i];
    }
}

// A folder that vanishes between being listed and being entered costs one message and its own
// subtree; its sibling is still updated, a linked folder is not entered. Cancel stops the run.
TEST_F(UpdateFiles, FailingFolderIsSkippedAndCancelStopsTheRun)
{
    for (const char* name : {"a/report.txt", "b/report.txt", "c/report.txt"})
        dir.write("tree/" + std::string(name), "old");
    fs::create_directory_symlink(tree / "c", tree / "d-link");
    const BulkRun run = updateFiles({newFile}, tree, fixedStamp, [&](const fs::path& current, std::uint64_t) {
        return current != tree / "a/report.txt" || fs::remove_all(tree / "b");
    });
    EXPECT_EQ(run.text, line("a/report.txt") + line("c/report.txt"));
    ASSERT_EQ(run.messages.size(), 1u);
    EXPECT_NE(run.messages[0].find((tree / "b").string()), std::string::npos) << run.messages[0];

    // a/ now holds its backup, then report.txt: the run stops when c/ is reached.
    const BulkRun stopped = updateFiles({newFile, newFile}, tree, [] { return std::string("later"); },
                                        [](const fs::path&, std::uint64_t count) { return count < 2; });
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_EQ(stopped.text, line("a/report.txt"));
    EXPECT_FALSE(fs::exists(tree / "c/later_report.txt"));
}

}  // namespace
}  // namespace qb
