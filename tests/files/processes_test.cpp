// Runs in a child process that is killed, held to a file-size limit, or unprivileged: every file
// under its final name is whole.
#include "ui/cp1252.h"
#include "core/fs.h"

#include <gtest/gtest.h>

#include <functional>

#include <unistd.h>

#include "files/tree.h"
#include "support/process.h"

namespace qb {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> tempFilesIn(const fs::path& root)
{
    std::vector<fs::path> temps;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (isTempFileName(entry.path().filename().native()))
            temps.push_back(entry.path());
    return temps;
}

// Killed mid-run, a run leaves copies and backups whole or absent, targets old or new (new only
// with a full backup); the next run succeeds and removes, and counts, what the killed one left.
TEST(KilledRun, LeavesOnlyWholeFilesAndTheNextRunRemovesTheDebris)
{
    test::TempDir dir;
    constexpr std::size_t big = 8 << 20;
    const std::vector<std::string> names = {"a/BIG1", "a/BIG2", "b/BIG3", "b/c/BIG4"};
    for (std::size_t i = 0; i < names.size(); ++i)
        dir.write("copy/" + names[i], std::string(big, static_cast<char>('a' + i)));
    const std::string oldBytes(big, 'o'), newBytes(big, 'N');
    for (const char* folder : {"up/a", "up/b", "up/b/c"})
        dir.write(std::string(folder) + "/big", oldBytes);
    const fs::path newFile = dir.write("new/big", newBytes);

    const struct { const char* name; QStringList args; std::function<void(const test::Tree&)> checkWhole; } rows[] = {
        {"add extension", {"addext", fromPath(dir / "copy")},
         [&](const test::Tree& tree) {
             for (const auto& [name, bytes] : tree)
                 EXPECT_TRUE(!name.ends_with("_COPY.doc") || bytes == tree.at(name.substr(0, name.size() - 9)))
                     << name << " is cut short";
         }},
        {"update", {"update", fromPath(newFile), fromPath(dir / "up")},
         [&](const test::Tree& tree) {
             // A target or backup is whole (a later run backs up what an earlier put in).
             for (const auto& [name, bytes] : tree) {
                 EXPECT_TRUE(!name.ends_with("big") || bytes == oldBytes || bytes == newBytes) << name << " is neither old nor new";
                 const auto backup = tree.find(fs::path(name).parent_path().string() + "/stamp_big");
                 EXPECT_TRUE(!name.ends_with("/big") || bytes == oldBytes || (backup != tree.end() && backup->second == oldBytes))
                     << name << " has no full backup";
             }
         }},
    };
    for (const auto& row : rows) {
        const fs::path root = toPath(row.args.back());
        const test::Tree pristine = test::treeOf(root);
        std::size_t debrisSeen = 0;
        for (const std::string killAt : {"file 0", "file 1", "file 2"}) {
            SCOPED_TRACE(std::string(row.name) + ", killed after " + killAt);
            // Killed once the file's temporary file is there: mid-copy, or right after.
            const test::Ran killed = test::runProgram(QB_FILE_RUN, row.args, {.onLine = [&](const std::string& line) {
                for (int look = 0; line == killAt && look < 100000 && tempFilesIn(root).empty(); ++look) {
                }
                return line != killAt;
            }});
            ASSERT_TRUE(killed.killed);
            test::Tree tree = test::treeOf(root);
            for (const fs::path& temp : tempFilesIn(root))
                tree.erase(temp.lexically_relative(root).string());
            row.checkWhole(tree);

            const std::size_t debris = tempFilesIn(root).size();
            debrisSeen += debris;
            const test::Ran next = test::runProgram(QB_FILE_RUN, row.args);
            EXPECT_EQ(next.status, 0) << next.out;
            EXPECT_NE(next.out.find("debris " + std::to_string(debris) + "\n"), std::string::npos) << next.out;
            EXPECT_TRUE(tempFilesIn(root).empty());
            row.checkWhole(test::treeOf(root));

            test::writeTree(root, pristine);  // back to the tree as it was
        }
        EXPECT_GT(debrisSeen, 0u) << row.name << ": no kill left a temporary file to clean up";
    }
}

// A replacing write that fails part-way leaves the original as it was and no temporary file.
TEST(FailedWrite, LeavesTheOriginalWholeAndNoTemporaryFile)
{
    test::TempDir dir;
    const fs::path target = dir.write("keep.txt", "the original");
    const fs::path source = dir.write("big.bin", std::string(1 << 20, 'b'));
    // Failing while writing through, while flushing the last block on closing, and while copying.
    for (const QStringList& args : {QStringList{"--fsize-limit", "65536", "replace", fromPath(target), "1000000"},
                                    QStringList{"--fsize-limit", "1000", "replace", fromPath(target), "30000"},
                                    QStringList{"--fsize-limit", "65536", "copy", fromPath(source), fromPath(target)}}) {
        SCOPED_TRACE((args[2] + " over " + args[1] + " bytes").toStdString());
        const test::Ran run = test::runProgram(QB_FILE_RUN, args);
        EXPECT_EQ(run.status, 1) << run.out;
        EXPECT_NE(run.out.find("fail "), std::string::npos) << run.out;
        EXPECT_EQ(test::readBytes(target), "the original");
        EXPECT_TRUE(tempFilesIn(dir.path()).empty());
    }
}

// As nobody, a file nobody may not write is refused with 70 even in a writable folder, and
// nothing (a backup included) is made for it.
TEST(Unprivileged, RunsRefuseFilesTheUserMayNotWrite)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to make files that the unprivileged user may not write";
    const QStringList asNobody = {"--reuid=65534", "--regid=65534", "--clear-groups"};
    if (test::runProgram("setpriv", asNobody + QStringList{"true"}).status != 0)
        GTEST_SKIP() << "setpriv cannot run a command as nobody here";
    test::TempDir dir;
    fs::permissions(dir.path(), fs::perms::all);
    const fs::path newFile = dir.write("new/report.txt", "NEW");
    const struct { const char* name; std::string file; unsigned mode; QStringList args; } rows[] = {
        {"update", "tree/report.txt", 0644, {"update", fromPath(newFile), fromPath(dir / "tree")}},
        {"erase copy", "work/copies/a.txt", 0644, {"erase", fromPath(dir / "work")}},
        {"chunk store", "program/last.txt", 0644, {"chunk", fromPath(dir / "program/last.txt")}},
        {"read-only chunk store", "program2/last.txt", 0444, {"chunk", fromPath(dir / "program2/last.txt")}},
        {"script", "sql/seqX.sql", 0644, {"script", fromPath(dir / "sql/seqX.sql")}},
    };
    dir.write("work/a.txt", "<A>\r\n");
    for (const auto& row : rows) {
        const fs::path file = dir.write(row.file, "root's");
        fs::permissions(file, static_cast<fs::perms>(row.mode));
        for (fs::path folder = file.parent_path(); folder != dir.path(); folder = folder.parent_path())
            fs::permissions(folder, fs::perms::all);
    }
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const test::Tree before = test::treeOf(dir.path());
        const test::Ran run = test::runProgram("setpriv", asNobody + QStringList{QB_FILE_RUN} + row.args);
        EXPECT_EQ(run.status, 1) << run.out;
        EXPECT_NE(run.out.find("fail 70 :: "), std::string::npos) << run.out;
        EXPECT_EQ(test::treeOf(dir.path()), before);
    }
}

}  // namespace
}  // namespace qb
