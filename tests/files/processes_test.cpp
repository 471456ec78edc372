// Runs in a child process that is killed, held to a file-size limit, or run as an unprivileged
// user: whatever happens to the run, every file under its final name is whole.
#include "shell/fs.h"

#include <gtest/gtest.h>

#include <QProcess>

#include <functional>

#include <unistd.h>

#include "files/tree.h"

namespace qb {
namespace {

namespace fs = std::filesystem;

struct ChildRun {
    bool killed = false;
    int exitCode = -1;
    std::string output;
};

// Runs `argv`; `onLine` sees each line of its output and answers false to have the child killed
// (SIGKILL) at that point.
ChildRun runChild(const std::vector<std::string>& argv, const std::function<bool(const std::string&)>& onLine = {})
{
    QStringList arguments;
    for (std::size_t i = 1; i < argv.size(); ++i)
        arguments << QString::fromStdString(argv[i]);
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QString::fromStdString(argv[0]), arguments);
    if (!child.waitForStarted(-1))
        throw std::runtime_error("cannot start " + argv[0]);
    ChildRun run;
    do {
        while (child.canReadLine()) {
            const std::string line = child.readLine().chopped(1).toStdString();
            run.output += line + "\n";
            if (!run.killed && onLine && !onLine(line)) {
                child.kill();
                run.killed = true;
            }
        }
    } while (child.waitForReadyRead(-1) || child.canReadLine());
    child.waitForFinished(-1);
    run.exitCode = child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
    return run;
}

std::vector<std::string> fileRun(std::vector<std::string> args)
{
    args.insert(args.begin(), QB_FILE_RUN);
    return args;
}

// The temporary files below `root`.
std::vector<fs::path> tempFilesIn(const fs::path& root)
{
    std::vector<fs::path> temps;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (isTempFileName(entry.path().filename().native()))
            temps.push_back(entry.path());
    return temps;
}

// Killed at several points of a run over big files, a run leaves each file under its final name
// whole: a copy or a backup complete or absent, a target old or new (and new only with a full
// backup). The next run succeeds, removes every temporary file the killed one left and says so.
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

    const struct {
        const char* name;
        std::vector<std::string> args;
        std::function<void(const test::Tree&)> checkWhole;
    } rows[] = {
        {"add extension", fileRun({"addext", (dir / "copy").string()}),
         [&](const test::Tree& tree) {
             for (const auto& [name, bytes] : tree) {
                 if (name.ends_with("_COPY.doc")) {
                     EXPECT_TRUE(bytes == tree.at(name.substr(0, name.size() - 9))) << name << " is cut short";
                 }
             }
         }},
        {"update", fileRun({"update", newFile.string(), (dir / "up").string()}),
         [&](const test::Tree& tree) {
             for (const auto& [name, bytes] : tree) {
                 // A target, or a backup (a later run backs up what an earlier one put in), is whole.
                 if (name.ends_with("/big") || name.ends_with("_big")) {
                     EXPECT_TRUE(bytes == oldBytes || bytes == newBytes) << name << " is neither old nor new";
                 }
                 if (name.ends_with("/big") && bytes == newBytes) {
                     const auto backup = tree.find(fs::path(name).parent_path().string() + "/stamp_big");
                     EXPECT_TRUE(backup != tree.end() && backup->second == oldBytes) << name << " has no full backup";
                 }
             }
         }},
    };
    for (const auto& row : rows) {
        const fs::path root = row.args.back();
        const test::Tree pristine = test::treeOf(root);
        std::size_t debrisSeen = 0;
        for (const std::string killAt : {"file 0", "file 1", "file 2"}) {
            SCOPED_TRACE(std::string(row.name) + ", killed after " + killAt);
            // Killed once the file's temporary file is there, so mid-copy (or, should the copy be
            // done before it is seen, right after).
            const ChildRun killed = runChild(row.args, [&](const std::string& line) {
                for (int look = 0; line == killAt && look < 100000 && tempFilesIn(root).empty(); ++look) {
                }
                return line != killAt;
            });
            ASSERT_TRUE(killed.killed);
            test::Tree tree = test::treeOf(root);
            for (const fs::path& temp : tempFilesIn(root))
                tree.erase(temp.lexically_relative(root).string());
            row.checkWhole(tree);

            const std::size_t debris = tempFilesIn(root).size();
            debrisSeen += debris;
            const ChildRun next = runChild(row.args);
            EXPECT_EQ(next.exitCode, 0) << next.output;
            EXPECT_NE(next.output.find("debris " + std::to_string(debris) + "\n"), std::string::npos) << next.output;
            EXPECT_TRUE(tempFilesIn(root).empty());
            row.checkWhole(test::treeOf(root));

            test::writeTree(root, pristine);  // back to the tree as it was
        }
        EXPECT_GT(debrisSeen, 0u) << row.name << ": no kill left a temporary file to clean up";
    }
}

// A replacing write that fails part-way (here at a file-size limit) leaves the file it was to
// replace byte for byte as it was, and no temporary file.
TEST(FailedWrite, LeavesTheOriginalWholeAndNoTemporaryFile)
{
    test::TempDir dir;
    const fs::path target = dir.write("keep.txt", "the original");
    const fs::path source = dir.write("big.bin", std::string(1 << 20, 'b'));
    // Failing while writing through, while flushing the last block on closing, and while copying.
    for (const auto& args : {fileRun({"--fsize-limit", "65536", "replace", target.string(), "1000000"}),
                             fileRun({"--fsize-limit", "1000", "replace", target.string(), "30000"}),
                             fileRun({"--fsize-limit", "65536", "copy", source.string(), target.string()})}) {
        SCOPED_TRACE(args[3] + " over " + args[2] + " bytes");
        const ChildRun run = runChild(args);
        EXPECT_EQ(run.exitCode, 1) << run.output;
        EXPECT_NE(run.output.find("fail "), std::string::npos) << run.output;
        EXPECT_EQ(test::readBytes(target), "the original");
        EXPECT_TRUE(tempFilesIn(dir.path()).empty());
    }
}

// Run as nobody, a run may not replace or remove what nobody may not write, even in a folder
// that nobody may write: it is refused with 70, and nothing (a backup included) is made for it.
TEST(Unprivileged, RunsRefuseFilesTheUserMayNotWrite)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to make files that the unprivileged user may not write";
    if (runChild({"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "true"}).exitCode != 0)
        GTEST_SKIP() << "setpriv cannot run a command as nobody here";
    test::TempDir dir;
    fs::permissions(dir.path(), fs::perms::all);
    const fs::path newFile = dir.write("new/report.txt", "NEW");
    const struct {
        const char* name;
        std::string file;
        unsigned mode;
        std::vector<std::string> args;
    } rows[] = {
        {"update", "tree/report.txt", 0644, {"update", newFile.string(), (dir / "tree").string()}},
        {"erase copy", "work/copies/a.txt", 0644, {"erase", (dir / "work").string()}},
        {"chunk store", "program/last.txt", 0644, {"chunk", (dir / "program/last.txt").string()}},
        {"read-only chunk store", "program2/last.txt", 0444, {"chunk", (dir / "program2/last.txt").string()}},
        {"script", "sql/seqX.sql", 0644, {"script", (dir / "sql/seqX.sql").string()}},
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
        std::vector<std::string> args = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", QB_FILE_RUN};
        args.insert(args.end(), row.args.begin(), row.args.end());
        const ChildRun run = runChild(args);
        EXPECT_EQ(run.exitCode, 1) << run.output;
        EXPECT_NE(run.output.find("fail 70 :: "), std::string::npos) << run.output;
        EXPECT_EQ(test::treeOf(dir.path()), before);
    }
}

}  // namespace
}  // namespace qb
