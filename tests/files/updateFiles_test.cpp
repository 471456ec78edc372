// Updating a file over a tree: every run is checked against the whole tree it leaves behind.
#include "tools/files/updateFiles.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "files/tree.h"
#include "support/faults.h"

namespace qb {
namespace {

namespace fs = std::filesystem;
using test::Tree;
using test::treeOf;

const std::string stamp = "7_9_2004 3_05_09 PM", backup = stamp + "_report.txt";
std::string fixedStamp() { return stamp; }

// A run whose journal goes beside the tree, in "data".
RunReport update(const std::vector<fs::path>& list, const fs::path& start, const TimeStampSource& stamps,
                 ProgressCallback progress = {})
{
    return updateFiles(list, start, stamps, std::move(progress), start.parent_path() / "data");
}

class UpdateFiles : public ::testing::Test {
protected:
    test::TempDir dir;
    const fs::path tree = dir.mkdir("tree");
    const fs::path newFile = dir.write("new/report.txt", "NEW");
    std::string line(std::string_view relative) const { return (tree / relative).string() + "\r\n"; }
};

TEST_F(UpdateFiles, ReplacesEverySameNamedFileInWalkOrderBackingUpEachButTheNewFile)
{
    for (const char* name : {"report.txt", "a/deep/report.txt", "B/report.txt", "b2/REPORT.TXT"})
        dir.write("tree/" + std::string(name), name);
    fs::create_directory_symlink(tree / "B", tree / "c-link");  // not entered
    const RunReport run = update({newFile}, tree, fixedStamp);
    EXPECT_EQ(run.text, line("report.txt") + line("a/deep/report.txt") + line("B/report.txt"));
    EXPECT_TRUE(run.failures.empty());
    EXPECT_EQ(treeOf(tree), (Tree{{"report.txt", "NEW"}, {backup, "report.txt"}, {"a", "/"}, {"a/deep", "/"},
                                  {"a/deep/report.txt", "NEW"}, {"a/deep/" + backup, "a/deep/report.txt"},
                                  {"B", "/"}, {"B/report.txt", "NEW"}, {"B/" + backup, "B/report.txt"},
                                  {"b2", "/"}, {"b2/REPORT.TXT", "b2/REPORT.TXT"}, {"c-link", "-> " + (tree / "B").string()}}));

    // The new file inside the tree is skipped, never copied onto itself; a link to it is refused.
    fs::remove_all(tree);
    const fs::path inside = dir.write("tree/report.txt", "NEW");
    fs::create_symlink(inside, dir.mkdir("tree/linked") / "report.txt");
    dir.write("tree/sub/report.txt", "old");
    const RunReport inTree = update({inside}, tree, fixedStamp);
    EXPECT_EQ(inTree.text, line("sub/report.txt"));
    ASSERT_EQ(inTree.failures.size(), 1u);
    EXPECT_EQ(inTree.failures[0].path, tree / "linked/report.txt");
    EXPECT_EQ(treeOf(tree), (Tree{{"report.txt", "NEW"}, {"linked", "/"}, {"linked/report.txt", "-> " + inside.string()},
                                  {"sub", "/"}, {"sub/report.txt", "NEW"}, {"sub/" + backup, "old"}}));
}

// Listed twice in one second, the second pass finds each backup name taken: each of those files
// fails alone and is not listed; a second apart, the later file wins. A backup name another run
// took gets a counter.
TEST_F(UpdateFiles, BackupNamesAlreadyTaken)
{
    dir.write("tree/report.txt", "old");
    dir.write("tree/sub/report.txt", "old sub");
    const RunReport sameSecond = update({newFile, newFile}, tree, fixedStamp);
    EXPECT_EQ(sameSecond.text, line("report.txt") + line("sub/report.txt"));
    ASSERT_EQ(sameSecond.failures.size(), 2u);
    EXPECT_EQ(sameSecond.failures[1].path, tree / "sub/report.txt");
    EXPECT_EQ(sameSecond.failures[1].error.number, err::FileAlreadyExists);
    EXPECT_EQ(treeOf(tree), (Tree{{"report.txt", "NEW"}, {backup, "old"}, {"sub", "/"},
                                  {"sub/report.txt", "NEW"}, {"sub/" + backup, "old sub"}}));

    const fs::path later = dir.write("later/report.txt", "LATER");
    const fs::path other = dir.write("other/report.txt", "old").parent_path();
    int calls = 0;
    update({newFile, later}, other, [&] { return "s" + std::to_string(++calls); });
    EXPECT_EQ(treeOf(other), (Tree{{"report.txt", "LATER"}, {"s1_report.txt", "old"}, {"s2_report.txt", "NEW"}}));

    dir.write("taken/report.txt", "old");
    dir.write("taken/" + backup, "the other run's");
    const RunReport run = update({newFile}, dir / "taken", fixedStamp);
    EXPECT_TRUE(run.failures.empty());
    const std::string numbered = stamp + " (2)_report.txt";
    EXPECT_EQ(treeOf(dir / "taken"), (Tree{{"report.txt", "NEW"}, {backup, "the other run's"}, {numbered, "old"}}));
    ASSERT_EQ(run.notes.size(), 1u);
    EXPECT_NE(run.notes[0].find(numbered), std::string::npos) << run.notes[0];
}

// A missing listed file, an unopenable start folder, a FIFO as the new file (refused before the
// walk: its same-named file stays) and a vanishing subfolder cost one message each and the run
// goes on; cancel stops it.
TEST_F(UpdateFiles, FailuresCostOneMessageEachAndTheRunGoesOn)
{
    for (const char* name : {"a/report.txt", "b/report.txt", "c/report.txt", "fifo"})
        dir.write("tree/" + std::string(name), "old");
    const fs::path missing = dir / "nowhere.txt", gone = dir / "gone", fifo = dir / "new/fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    const std::string a = line("a/report.txt"), c = line("c/report.txt");
    const struct { std::vector<fs::path> list; fs::path start; std::vector<std::string> messages; std::string text;
                   ProgressCallback progress = {}; bool cancelled = false; } rows[] = {
        {{}, tree, {}, ""},
        {{missing, newFile}, tree, {}, a + line("b/report.txt") + c},
        {{newFile, newFile}, gone, {"76 :: " + gone.string(), "76 :: " + gone.string()}, ""},
        {{fifo}, tree, {std::to_string(err::PathFileAccess) + " :: " + fifo.string()}, ""},
        {{newFile}, tree, {"76 :: " + (tree / "b").string()}, a + c, test::removeOnReaching(tree / "a/report.txt", tree / "b")},
        // Stopped while the run plans: nothing is replaced. Stopped at its second match: the first stays replaced.
        {{newFile}, tree, {}, "", test::stopAfter(1), true},
        {{newFile}, tree, {}, a, [&, seen = std::set<fs::path>()](const fs::path& p, std::uint64_t) mutable {
             return seen.insert(p).second || p != tree / "c/report.txt"; }, true},
    };
    int stamps = 0;
    for (const auto& row : rows) {
        const RunReport run = update(row.list, row.start, [&] { return "s" + std::to_string(++stamps); }, row.progress);
        EXPECT_EQ(run.text, row.text);
        EXPECT_EQ(run.cancelled, row.cancelled);
        EXPECT_EQ(run.missingInputs, std::vector<fs::path>(&row == rows + 1, missing));
        ASSERT_EQ(run.failures.size(), row.messages.size());
        for (std::size_t i = 0; i < row.messages.size(); ++i)
            EXPECT_TRUE(formatError(run.failures[i].error).starts_with(row.messages[i])) << run.failures[i].error.description;
    }
    EXPECT_EQ(test::readBytes(tree / "fifo"), "old");
    for (const auto& [name, bytes] : treeOf(tree))
        EXPECT_FALSE(name.ends_with("_fifo")) << name << " is a backup of a file that was never to be replaced";
}

// A target that cannot be replaced is refused before any backup. The refused target comes first
// in the walk; everything after it (its folder's other files, its subfolders) is still done, and
// only what was really replaced is listed.
TEST_F(UpdateFiles, RefusalsCostTheirOwnFileAndTheRunGoesOn)
{
    const std::string fits(253, 'r'), tooLong(254, 'r');  // with the stamp "s", backups of 255 and 256 bytes
    const fs::path fitsNew = dir.write("new/" + fits, "NEW"), longNew = dir.write("new/" + tooLong, "NEW");
    const auto regular = [](const fs::path& p) { std::ofstream(p) << "old"; };
    const auto readOnly = [](const fs::path& p) { std::ofstream(p) << "old"; fs::permissions(p, fs::perms(0444)); };
    const struct Row {
        const char* name;
        fs::path newFile;
        std::function<void(const fs::path&)> make;  // the first same-named entry in the walk
        int number;                                 // its refusal; 0: none
        std::string held;                           // what it holds afterwards, as treeOf shows it
    } rows[] = {
        {"read-only, for root too", newFile, readOnly, err::PermissionDenied, "old"},
        {"FIFO", newFile, [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0666), 0); }, err::PathFileAccess, "(special)"},
        {"device (a FIFO where devices cannot be made)", newFile,
         [](const fs::path& p) { ASSERT_TRUE(::mknod(p.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0 || ::mkfifo(p.c_str(), 0666) == 0); },
         err::PathFileAccess, "(special)"},
        {"socket", newFile, [](const fs::path& p) { ASSERT_EQ(::mknod(p.c_str(), S_IFSOCK | 0666, 0), 0); }, err::PathFileAccess, "(special)"},
        {"link to a file outside", newFile, [&](const fs::path& p) { fs::create_symlink(dir.write("outside/x", "out"), p); },
         err::PathFileAccess, "-> " + (dir / "outside/x").string()},
        {"link to the new file", newFile, [&](const fs::path& p) { fs::create_symlink(newFile, p); },
         err::PathFileAccess, "-> " + newFile.string()},
        {"dangling link", newFile, [&](const fs::path& p) { fs::create_symlink(dir / "nowhere", p); },
         err::PathFileAccess, "-> " + (dir / "nowhere").string()},
        {"backup name of 255 bytes", fitsNew, regular, 0, "NEW"},
        {"backup name of 256 bytes", longNew, regular, err::BadFileName, "old"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(tree);
        const std::string name = row.newFile.filename().string();
        const fs::path first = dir.mkdir("tree/a") / name;
        row.make(first);
        dir.write("tree/a/zz.txt", "keep");
        const fs::path later = dir.write("tree/a/sub/" + name, "old");
        const RunReport run = update({row.newFile}, tree, [] { return std::string("s"); });
        // The later file is replaced (unless its own backup name is as long) and alone listed.
        const bool laterFits = row.number != err::BadFileName;
        EXPECT_EQ(run.text, (row.number == 0 ? first.string() + "\r\n" : "") + (laterFits ? later.string() + "\r\n" : ""));
        std::vector<std::string> failures, expected;
        for (const Failure& failure : run.failures) {  // each message names its file and says why
            failures.push_back(failure.path.string() + " " + std::to_string(failure.error.number));
            EXPECT_TRUE(failure.error.description.starts_with(failure.path.string() + ": ")) << failure.error.description;
        }
        if (row.number != 0)
            expected.push_back(first.string() + " " + std::to_string(row.number));
        if (!laterFits)
            expected.push_back(later.string() + " " + std::to_string(row.number));
        EXPECT_EQ(failures, expected);
        Tree want{{"a", "/"}, {"a/" + name, row.held}, {"a/zz.txt", "keep"}, {"a/sub", "/"}, {"a/sub/" + name, laterFits ? "NEW" : "old"}};
        if (laterFits)
            want["a/sub/s_" + name] = "old";
        if (row.number == 0)
            want["a/s_" + name] = "old";
        EXPECT_EQ(treeOf(tree), want);
    }
    EXPECT_EQ(test::readBytes(dir / "outside/x"), "out");  // never written through the link
}

// The backup and its folder entry reach the disk before the original is replaced (power cuts).
TEST_F(UpdateFiles, BackupIsOnDiskBeforeTheOriginalIsReplaced)
{
    dir.write("tree/report.txt", "old");
    const sys::FaultPlan tracing;
    ASSERT_TRUE(update({newFile}, tree, fixedStamp).failures.empty());
    std::vector<sys::Call> order;
    for (sys::Call call : tracing.trace())
        if (call == sys::Call::Fsync || call == sys::Call::Rename)
            order.push_back(call);
    // the run's manifest, its folder and the folder of applies; backup file, its name, its folder;
    // the new contents, then their name over the original
    using enum sys::Call;
    EXPECT_EQ(order, (std::vector<sys::Call>{Fsync, Fsync, Fsync, Fsync, Rename, Fsync, Fsync, Rename}));
}

// Whichever call fails, each original is kept, or replaced with its whole backup beside it.
TEST(FaultSweep, UpdateFilesKeepsEachOriginalOrReplacesItWithAWholeBackup)
{
    test::TempDir dir;
    const fs::path tree = dir / "tree", newFile = dir.write("new/report.txt", "NEW");
    const Tree pristine{{"report.txt", "old 1"}, {"sub", "/"}, {"sub/report.txt", "old 2"}, {"sub/keep.txt", "keep"}};
    const Tree done{{"report.txt", "NEW"}, {"s_report.txt", "old 1"}, {"sub", "/"}, {"sub/report.txt", "NEW"},
                    {"sub/s_report.txt", "old 2"}, {"sub/keep.txt", "keep"}};
    const int runs = test::sweepFaults(
        [&] { test::writeTree(tree, pristine); },
        [&] { return update({newFile}, tree, [] { return std::string("s"); }).failures.empty(); },
        [&](bool succeeded, const test::Fault&) {
            const Tree now = test::treeOf(tree);
            if (succeeded) {
                EXPECT_EQ(now, done);
                return;
            }
            // A target is old without a backup, or new with the whole old one beside it.
            for (const std::string folder : {"", "sub/"}) {
                const auto target = now.find(folder + "report.txt");
                const auto backup = now.find(folder + "s_report.txt");
                ASSERT_NE(target, now.end());
                const bool backedUp = backup != now.end() && backup->second == pristine.at(target->first);
                EXPECT_TRUE(target->second == "NEW" ? backedUp : target->second == pristine.at(target->first) && backup == now.end())
                    << target->first;
            }
            test::expectStates(now, {{"report.txt", {"old 1", "NEW"}}, {"s_report.txt", {"old 1", test::absent}}, {"sub", {"/"}},
                               {"sub/report.txt", {"old 2", "NEW"}}, {"sub/s_report.txt", {"old 2", test::absent}},
                               {"sub/keep.txt", {"keep"}}});
        });
    EXPECT_GT(runs, 50);
}

}  // namespace
}  // namespace qb
