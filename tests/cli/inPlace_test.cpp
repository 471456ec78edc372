// Erase and replace on the originals, run as a separate process: the printed diff, taken by git
// apply and by patch -p1, gives the same bytes as --apply; each line keeps its line end; a run
// killed at any moment leaves every original whole and `quillbox undo` brings back every byte.
#include "ui/cp1252.h"
#include "core/fs.h"
#include "tools/files/apply.h"

#include <gtest/gtest.h>

#include <csignal>
#include <random>

#include <sys/stat.h>

#include "cli/quillbox.h"
#include "files/lineEndTree.h"
#include "support/process.h"

namespace qb {
namespace {

namespace fs = std::filesystem;
using test::Tree;
using test::lineEndTree;

using test::arg;
using test::runQuillbox;

struct ToolRow {
    const char* name;
    QStringList args;  // after the folder
    Tree applied;      // what --apply makes of lineEndTree
};

const ToolRow toolRows[] = {
    {"replace", {"--pairs", "PAIRS", "--debug", "DEBUG"}, test::replacedKeepingEnds},
    {"erase", {"--chunk", "CHUNK", "--spew", "SPEW", "--recursive"}, test::erasedKeepingEnds},
};

QStringList withInputs(const ToolRow& row, const test::TempDir& temp)
{
    QStringList args = row.args;
    args.replaceInStrings("PAIRS", arg(temp.write("in/pairs.txt", "foo\r\nbar\r\n")));
    args.replaceInStrings("CHUNK", arg(temp.write("in/chunk.txt", "foo\r\n\r\n")));
    args.replaceInStrings("SPEW", arg(temp.write("in/spew.txt", "SPEWED\r\n")));
    args.replaceInStrings("DEBUG", arg(temp / "in/debug.out"));
    return args;
}

class InPlace : public ::testing::Test {
protected:
    InPlace() : data_(temp / "data") {}
    fs::path tree() const { return temp / "tree"; }
    // replace over the tree with `options` and its pair file.
    QStringList replace(const QStringList& options) const
    {
        return QStringList{"replace", arg(tree())} + options + withInputs(toolRows[0], temp);
    }

    test::TempDir temp;
    test::ProgramFolderOverride data_;
};

TEST_F(InPlace, DiffTakenByGitApplyAndPatchGivesTheBytesOfApplyAndToCrLfThoseOfTheCopies)
{
    for (const ToolRow& row : toolRows) {
        SCOPED_TRACE(row.name);
        const QStringList args = withInputs(row, temp);
        test::writeTree(tree(), lineEndTree);
        fs::remove_all(temp / "data");
        const test::Ran diff = test::succeeded(runQuillbox(QStringList{row.name, arg(tree()), "--diff"} + args));
        EXPECT_EQ(diff.err, "");
        EXPECT_EQ(test::treeOf(tree()), lineEndTree) << "--diff wrote to the tree";
        EXPECT_FALSE(fs::exists(temp / "data" / "applies")) << "--diff made an apply";
        const fs::path patchFile = temp.write("diff.patch", diff.out);

        const test::Ran applied = test::succeeded(runQuillbox(QStringList{row.name, arg(tree()), "--apply"} + args));
        EXPECT_EQ(applied.out, "");
        EXPECT_EQ(test::treeOf(tree()), row.applied);

        struct Tool { QString program; QStringList arguments; };
        for (const Tool& tool : {Tool{"git", {"apply", arg(patchFile)}}, Tool{"patch", {"-p1", "--quiet", "-i", arg(patchFile)}}}) {
            SCOPED_TRACE(tool.program.toStdString());
            const fs::path copy = temp / ("by " + tool.program.toStdString());
            test::writeTree(copy, lineEndTree);
            const test::Ran ran = test::runProgram(tool.program, tool.arguments, {.folder = copy});
            EXPECT_EQ(ran.status, 0) << ran.out << ran.err;
            EXPECT_EQ(test::treeOf(copy), row.applied);
        }

        // Nothing changes: no diff, and still success.
        const test::Ran again = runQuillbox(QStringList{row.name, arg(tree()), "--diff"} + args);
        EXPECT_EQ(again.status, 0);
        EXPECT_EQ(again.out, "");
        test::succeeded(runQuillbox({"undo"}));
        EXPECT_EQ(test::treeOf(tree()), lineEndTree);

        // --keep-line-ends gives the copies the bytes that --apply gives the files themselves.
        const test::Ran kept = runQuillbox(QStringList{row.name, arg(tree()), "--keep-line-ends"} + args);
        ASSERT_EQ(kept.status, 0) << kept.err;
        EXPECT_EQ(test::treeOf(tree() / "copies"), test::copiesOf(row.applied, row.args.contains("--recursive")));
        fs::remove_all(tree() / "copies");

        // --to-crlf gives each changed file the bytes of the copy the tool writes without --apply.
        const test::Ran copied = runQuillbox(QStringList{row.name, arg(tree())} + args);
        ASSERT_EQ(copied.status, 0) << copied.err;
        const Tree copies = test::treeOf(tree() / "copies");
        fs::remove_all(tree() / "copies");
        const test::Ran crlf = runQuillbox(QStringList{row.name, arg(tree()), "--apply", "--to-crlf"} + args);
        ASSERT_EQ(crlf.status, 0) << crlf.err;
        for (const auto& [name, bytes] : test::treeOf(tree()))
            if (bytes != "/" && bytes != lineEndTree.at(name)) {
                EXPECT_EQ(bytes, copies.at(name)) << name;
            }
    }
}

TEST_F(InPlace, ExitStatusAndListing)
{
    test::writeTree(tree(), lineEndTree);
    test::makeUnreadableFile(tree() / "broken.txt");
    const test::Ran diff = runQuillbox(replace({"--diff"}));
    EXPECT_EQ(diff.status, 1);
    EXPECT_NE(diff.err.find("broken.txt"), std::string::npos) << diff.err;
    EXPECT_NE(diff.out.find("+++ b/lf.txt\n"), std::string::npos) << "the other files are diffed";
    // A readable link is passed over with a note: neither diffed nor a failure.
    fs::remove(tree() / "broken.txt");
    fs::create_symlink("lf.txt", tree() / "link.txt");
    const test::Ran linked = test::succeeded(runQuillbox(replace({"--diff"})));
    EXPECT_EQ(linked.out.find("link.txt"), std::string::npos);
    EXPECT_NE(linked.err.find("link.txt: is a link"), std::string::npos) << linked.err;
    test::makeUnreadableFile(tree() / "broken.txt");
    EXPECT_EQ(runQuillbox(replace({"--diff", "--apply"})).status, 2);
    const test::Ran nothing = runQuillbox({"undo"});
    EXPECT_EQ(nothing.status, 2);
    EXPECT_EQ(nothing.err, "quillbox: 53 :: there is no apply left to undo\n");

    EXPECT_EQ(runQuillbox(replace({"--apply"})).status, 1) << "the unreadable file counts as a failure";
    const test::Ran listed = runQuillbox({"undo", "--list"});
    EXPECT_EQ(listed.status, 0);
    const auto applies = listApplies(temp / "data");
    ASSERT_EQ(applies.size(), 1u);
    const auto line = [&](const char* left) {
        return applies[0].time + "\treplace\t4\t" + left + "\t" + tree().string() + "\t" + applies[0].manifest.string() + "\n";
    };
    EXPECT_EQ(listed.out, line("4"));
    test::succeeded(runQuillbox({"undo", arg(applies[0].manifest)}));
    EXPECT_EQ(runQuillbox({"undo", "--list"}).out, line("0"));
}

// Many files, so that a kill lands anywhere: before the manifest, between a backup and its
// replace, between a replace and its mark.
Tree bigTree()
{
    Tree tree;
    for (int i = 0; i < 80; ++i)
        tree["f" + std::to_string(1000 + i) + ".txt"] = "line " + std::to_string(i) + "\nfoo\r\nend";
    return tree;
}

Tree applied(const Tree& tree)
{
    Tree out;
    for (const auto& [name, bytes] : tree)
        out[name] = "line " + bytes.substr(5, bytes.find('\n') - 5) + "\nbar\r\nend";
    return out;
}

// Each file as it was or as the apply makes it, and each file that the manifest marks as done
// (after an apply) or undone (after an undo) holds what the mark says. A temporary file that the
// kill left may be there; undo removes it.
// True when the kill left some files old and some new.
bool expectWhole(const fs::path& tree, const fs::path& data, bool undoing)
{
    const Tree before = bigTree(), after = applied(before);
    Tree now = test::treeOf(tree);
    std::erase_if(now, [](const auto& entry) { return isTempFileName(entry.first); });
    test::States states;
    for (const auto& [name, bytes] : before)
        states[name] = {bytes, after.at(name)};
    test::expectStates(now, states);
    const auto marked = undoing ? AppliedFile::State::Undone : AppliedFile::State::Done;
    for (const ApplyRecord& record : listApplies(data))
        for (const AppliedFile& file : record.files)
            if (file.state == marked) {
                EXPECT_EQ(now.at(file.path.filename().string()), (undoing ? before : after).at(file.path.filename().string()));
            }
    return now != before && now != after;
}

// How far the newest apply in `data` got: files marked done, or (undoing) marked undone.
int progressOf(const fs::path& data, bool undoing)
{
    std::error_code ec;
    int count = 0;
    const std::string mark = undoing ? "\nundone\t" : "\ndone\t";
    for (const auto& apply : fs::directory_iterator(data / "applies", ec)) {
        if (!fs::exists(apply.path() / "manifest.txt"))
            continue;
        const std::string manifest = test::readBytes(apply.path() / "manifest.txt");
        for (std::size_t at = 0; (at = manifest.find(mark, at)) != std::string::npos; ++at)
            ++count;
    }
    return count;
}

TEST_F(InPlace, KilledApplyOrUndoLeavesEveryFileWholeAndUndoRestoresEveryByte)
{
    const Tree before = bigTree();
    std::mt19937 random(23);
    for (const bool killUndo : {false, true}) {
        int halfway = 0;
        for (int round = 0; round < 5; ++round) {
            SCOPED_TRACE((killUndo ? "undo killed, round " : "apply killed, round ") + std::to_string(round));
            test::writeTree(tree(), before);
            fs::remove_all(temp / "data");
            if (killUndo) {
                ASSERT_EQ(runQuillbox(replace({"--apply"})).status, 0);
            }
            // Killed once it has done a random share of the files (the first round: at once).
            const int files = round == 0 ? 0 : std::uniform_int_distribution<int>(1, 70)(random);
            runQuillbox(killUndo ? QStringList{"undo"} : replace({"--apply"}),
                        {.signal = SIGKILL, .signalWhen = [&](qint64) { return progressOf(temp / "data", killUndo) >= files; }});
            halfway += expectWhole(tree(), temp / "data", killUndo);
            // Undo finishes from whatever the kill left; with no manifest yet nothing was touched.
            const test::Ran undone = runQuillbox({"undo"});
            EXPECT_TRUE(undone.status == 0 || (undone.status == 2 && test::treeOf(tree()) == before)) << undone.err;
            EXPECT_EQ(test::treeOf(tree()), before);
        }
        EXPECT_GT(halfway, 1) << "the kills did not land in the middle of the runs";
    }
}

// Ctrl+C stops an apply after the file at hand: the files done so far are marked, the rest are
// untouched, and undo takes back exactly the done ones.
TEST_F(InPlace, InterruptedApplyStopsAfterTheFileAtHand)
{
    const Tree before = bigTree(), after = applied(before);
    test::writeTree(tree(), before);
    const test::Ran stopped = runQuillbox(replace({"--apply"}), {.signal = SIGINT, .signalWhen = [&](qint64) {
                                                      return progressOf(temp / "data", false) >= 10;
                                                  }});
    ASSERT_TRUE(stopped.signalled);
    EXPECT_EQ(stopped.status, 130) << stopped.err;
    const auto applies = listApplies(temp / "data");
    ASSERT_EQ(applies.size(), 1u);
    const Tree now = test::treeOf(tree());
    std::size_t done = 0;
    for (const AppliedFile& file : applies[0].files) {
        const std::string name = file.path.filename().string();
        done += file.state == AppliedFile::State::Done;
        EXPECT_EQ(now.at(name), file.state == AppliedFile::State::Done ? after.at(name) : before.at(name)) << name;
    }
    EXPECT_GE(done, 10u);
    EXPECT_LT(done, 40u) << "the run did not stop after the file at hand";
    EXPECT_EQ(runQuillbox({"undo"}).status, 0);
    EXPECT_EQ(test::treeOf(tree()), before);
}

// Update Files joins the loop: its dry run foretells the run (the same standard output and error,
// nothing written), and `quillbox undo` takes the run back from the backups beside the files,
// leaving alone a file changed since.
TEST_F(InPlace, UpdateDryRunForetellsTheRunAndUndoTakesItBack)
{
    const fs::path newFile = temp.write("new/report.txt", "NEW");
    test::writeTree(tree(), {{"report.txt", "old 1"}, {"sub", "/"}, {"sub/report.txt", "old 2\r\n"}, {"sub/deep", "/"},
                             {"sub/deep/report.txt", "old 3"}, {"ro", "/"}, {"ro/report.txt", "read-only"}, {"fifo", "/"}, {"link", "/"}});
    fs::permissions(tree() / "ro/report.txt", fs::perms::owner_read);
    ASSERT_EQ(::mkfifo((tree() / "fifo/report.txt").c_str(), 0666), 0);
    fs::create_symlink("../report.txt", tree() / "link/report.txt");
    const Tree before = test::treeOf(tree());
    const test::Ran dry = runQuillbox({"update", arg(tree()), arg(newFile), "--dry-run"});
    EXPECT_EQ(test::treeOf(tree()), before);
    EXPECT_FALSE(fs::exists(temp / "data/applies"));
    const test::Ran ran = runQuillbox({"update", arg(tree()), arg(newFile)});
    EXPECT_EQ(dry.status, 1);
    EXPECT_EQ(ran.status, 1);
    EXPECT_EQ(dry.out, ran.out);
    EXPECT_EQ(dry.err, ran.err);
    const auto line = [&](const char* name) { return (tree() / name).string() + "\n"; };
    EXPECT_EQ(ran.out, line("report.txt") + line("sub/report.txt") + line("sub/deep/report.txt"));
    for (const auto& [name, refused] : {std::pair{"fifo/report.txt", err::PathFileAccess}, {"link/report.txt", err::PathFileAccess},
                                        {"ro/report.txt", err::PermissionDenied}})
        EXPECT_NE(ran.err.find((tree() / name).string() + ": " + std::to_string(refused) + " :: "), std::string::npos) << ran.err;

    // Changed after the run: undo leaves it.
    temp.write("tree/sub/deep/report.txt", "edited");
    const test::Ran undone = runQuillbox({"undo"});
    EXPECT_EQ(undone.status, 1);
    EXPECT_NE(undone.err.find((tree() / "sub/deep/report.txt").string() + ": 75 :: "), std::string::npos) << undone.err;
    // Everything else is as it was; the backups stay beside their files.
    Tree now = test::treeOf(tree()), backups;
    std::erase_if(now, [&](const auto& entry) {
        return entry.first.ends_with("_report.txt") && backups.insert(entry).second;
    });
    Tree want = before;
    want["sub/deep/report.txt"] = "edited";
    EXPECT_EQ(now, want);
    ASSERT_EQ(backups.size(), 3u);
    for (const auto& [name, bytes] : backups)
        EXPECT_EQ(bytes, before.at(fs::path(name).parent_path().empty() ? "report.txt" : (fs::path(name).parent_path() / "report.txt").string())) << name;
}

}  // namespace
}  // namespace qb
