// Updating a file over a tree: every run is checked against the whole tree it leaves behind.
#include "tools/files/updateFiles.h"

#include <gtest/gtest.h>

#include "files/tree.h"

namespace qb {
namespace {

namespace fs = std::filesystem;
using test::treeOf;
using Tree = std::map<std::string, std::string>;

const std::string stamp = "7_9_2004 3_05_09 PM";
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
    for (const char* name : {"report.txt", "a/report.txt", "a/deep/report.txt", "B/report.txt"})
        dir.write("tree/" + std::string(name), std::string("old ") + name);
    dir.write("tree/b2/REPORT.TXT", "case differs");
    dir.write("tree/c/report.txt.bak", "longer name");
    const BulkRun run = updateFiles({newFile}, tree, fixedStamp);
    EXPECT_EQ(run.text, line("report.txt") + line("a/report.txt") + line("a/deep/report.txt") + line("B/report.txt"));
    EXPECT_TRUE(run.messages.empty());
    EXPECT_FALSE(run.cancelled);
    const std::string backup = stamp + "_report.txt";
    EXPECT_EQ(treeOf(tree), (Tree{{"report.txt", "NEW"}, {backup, "old report.txt"},
                                  {"a", "/"}, {"a/report.txt", "NEW"}, {"a/" + backup, "old a/report.txt"},
                                  {"a/deep", "/"}, {"a/deep/report.txt", "NEW"},
                                  {"a/deep/" + backup, "old a/deep/report.txt"},
                                  {"B", "/"}, {"B/report.txt", "NEW"}, {"B/" + backup, "old B/report.txt"},
                                  {"b2", "/"}, {"b2/REPORT.TXT", "case differs"},
                                  {"c", "/"}, {"c/report.txt.bak", "longer name"}}));
}

TEST_F(UpdateFiles, TwoNewFilesOfOneNameLeaveTheLaterWithTheEarlierBackedUp)
{
    dir.write("tree/sub/report.txt", "old");
    const fs::path later = dir.write("later/report.txt", "LATER");
    int calls = 0;
    const BulkRun run = updateFiles({newFile, later}, tree, [&] { return "s" + std::to_string(++calls); });
    EXPECT_EQ(run.text, line("sub/report.txt") + line("sub/report.txt"));
    EXPECT_EQ(treeOf(tree), (Tree{{"sub", "/"}, {"sub/report.txt", "LATER"},
                                  {"sub/s1_report.txt", "old"}, {"sub/s2_report.txt", "NEW"}}));
}

// Within one second the second pass finds its backup name taken: it must not overwrite the
// first backup, must leave the target alone, and skips that folder's subfolders.
TEST_F(UpdateFiles, BackupNameTakenStopsThatFolderAndKeepsTheFirstBackup)
{
    dir.write("tree/report.txt", "old");
    dir.write("tree/sub/report.txt", "old sub");
    const BulkRun run = updateFiles({newFile, newFile}, tree, fixedStamp);
    EXPECT_EQ(run.text, line("report.txt") + line("sub/report.txt") + line("report.txt"));
    ASSERT_EQ(run.messages.size(), 1u);
    EXPECT_TRUE(run.messages[0].starts_with("58 :: ")) << run.messages[0];
    const std::string backup = stamp + "_report.txt";
    EXPECT_EQ(treeOf(tree), (Tree{{"report.txt", "NEW"}, {backup, "old"}, {"sub", "/"},
                                  {"sub/report.txt", "NEW"}, {"sub/" + backup, "old sub"}}));
}

// The new file inside the tree used to be backed up and copied onto itself, and the failed copy
// cut off the rest of its folder: it is skipped, also when reached through a link.
TEST_F(UpdateFiles, NewFileInsideTheTreeIsNeverATarget)
{
    const fs::path inside = dir.write("tree/report.txt", "NEW");
    dir.mkdir("tree/linked");
    fs::create_symlink(inside, tree / "linked/report.txt");
    dir.mkdir("tree/hard");
    fs::create_hard_link(inside, tree / "hard/report.txt");
    dir.write("tree/sub/report.txt", "old");
    const Tree before = treeOf(tree);
    const BulkRun run = updateFiles({inside}, tree, fixedStamp);
    EXPECT_EQ(run.text, line("sub/report.txt"));
    EXPECT_TRUE(run.messages.empty());
    Tree expected = before;
    expected["sub/report.txt"] = "NEW";
    expected["sub/" + stamp + "_report.txt"] = "old";
    EXPECT_EQ(treeOf(tree), expected);
}

TEST_F(UpdateFiles, MissingFilesAndStartFoldersGiveOneMessageEachAndTheRunGoesOn)
{
    dir.write("tree/report.txt", "old");
    const fs::path missing = dir / "nowhere.txt";
    const fs::path gone = dir / "gone";
    struct Row { const char* name; std::vector<fs::path> list; fs::path start; std::vector<std::string> messages; std::string text; };
    const Row rows[] = {
        {"emptyList", {}, tree, {}, ""},
        {"missingFile", {missing}, tree, {"One of your selected files doesn't exist:\r\n" + missing.string()}, ""},
        {"startFolderGone", {newFile, newFile}, gone, {"76 :: ", "76 :: "}, ""},
        {"missingThenReal", {missing, newFile}, tree, {"One of"}, line("report.txt")},
    };
    for (const Row& row : rows) {
        const BulkRun run = updateFiles(row.list, row.start, [] { return std::string("s"); });
        EXPECT_EQ(run.text, row.text) << row.name;
        ASSERT_EQ(run.messages.size(), row.messages.size()) << row.name;
        for (std::size_t i = 0; i < run.messages.size(); ++i) {
            EXPECT_TRUE(run.messages[i].starts_with(row.messages[i])) << row.name << ": " << run.messages[i];
            if (row.start == gone) {
                EXPECT_NE(run.messages[i].find(gone.string()), std::string::npos) << row.name;
            }
        }
    }
    EXPECT_EQ(test::readBytes(tree / "report.txt"), "NEW");
}

// A folder that vanishes between being listed and being entered costs one message and its own
// subtree; its sibling is still updated. Cancelling stops after the current file.
TEST_F(UpdateFiles, FailingFolderIsSkippedAndCancelStopsTheRun)
{
    for (const char* name : {"a/report.txt", "b/report.txt", "c/report.txt"})
        dir.write("tree/" + std::string(name), "old");
    fs::create_directory_symlink(dir / "tree/c", tree / "d-link");
    const BulkRun run = updateFiles({newFile}, tree, fixedStamp, [&](const fs::path& current, std::uint64_t) {
        if (current == tree / "a/report.txt")
            fs::remove_all(tree / "b");
        return true;
    });
    EXPECT_EQ(run.text, line("a/report.txt") + line("c/report.txt"));
    ASSERT_EQ(run.messages.size(), 1u);
    EXPECT_NE(run.messages[0].find((tree / "b").string()), std::string::npos) << run.messages[0];

    // a/ now holds its backup, then report.txt: stop when c/ is reached.
    const BulkRun stopped = updateFiles({newFile, newFile}, tree, [] { return std::string("later"); },
                                        [](const fs::path&, std::uint64_t count) { return count < 2; });
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_EQ(stopped.text, line("a/report.txt"));
    EXPECT_FALSE(fs::exists(tree / "c/later_report.txt"));
}

}  // namespace
}  // namespace qb
