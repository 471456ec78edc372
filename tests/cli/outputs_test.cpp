// Writes stay where the user sent them, run as a separate process: a hostile tree's links are
// refused and nothing behind them changes; outputs named on the command line go to the stream the
// user named (appending when the shell appends) and never over an input; debris of killed runs is
// removed by the next writer in its folder, and a user's file that only looks like it survives.
#include "ui/cp1252.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "files/tree.h"
#include "cli/quillbox.h"
#include "support/process.h"

namespace qb {
namespace {

namespace fs = std::filesystem;

// `quillbox ARGUMENTS... >> log`, the redirection made by a shell.
test::Ran runAppendingTo(const fs::path& log, const QStringList& arguments)
{
    const QString script = QStringLiteral("exec \"$0\" \"$@\" >> '%1'").arg(fromPath(log));
    return test::runProgram(QStringLiteral("/bin/sh"), QStringList{"-c", script, QStringLiteral(QUILLBOX_EXECUTABLE)} + arguments);
}

using test::arg;
using test::runQuillbox;

class Writes : public ::testing::Test {
protected:
    test::TempDir temp;
};

// A cloned tree with links where copies and targets go: every writer refuses the link with one
// line naming it, exits 1, and the folder outside is byte for byte as it was.
TEST_F(Writes, AHostileTreeCannotSendAWriteOutsideIt)
{
    const fs::path outside = temp / "v", repo = temp / "repo";
    const test::Tree theirs{{"authorized_keys", "theirs"}, {"a.txt", "theirs"}, {"sub", "/"}, {"sub/b.txt", "theirs"},
                            {"report.txt", "theirs"}};
    temp.write("chunk.txt", "<chunk>\r\n");
    temp.write("pairs.txt", "cat\r\ndog\r\n");
    const fs::path newReport = temp.write("new/report.txt", "NEW");
    const QStringList erase{"erase", arg(repo), "--chunk", arg(temp / "chunk.txt"), "--recursive"},
        replace{"replace", arg(repo), "--pairs", arg(temp / "pairs.txt"), "--debug", arg(temp / "debug.out")};
    const struct {
        const char* name;
        std::function<void()> plant;  // the links, into a tree that holds the user's files
        QStringList args;
        fs::path link;                // the link the one error line names
    } rows[] = {
        {"erase, copies a link to a folder outside", [&] { fs::create_directory_symlink("../v", repo / "copies"); }, erase, repo / "copies"},
        {"erase, a link to a folder inside the copies", [&] {
             fs::create_directories(repo / "copies");
             fs::create_directory_symlink(outside / "sub", repo / "copies/sub");
             fs::remove(repo / "authorized_keys");
         },
         erase, repo / "copies/sub"},
        {"erase, a copy that is a link", [&] {
             fs::create_directories(repo / "copies");
             fs::create_symlink(outside / "authorized_keys", repo / "copies/authorized_keys");
             fs::remove_all(repo / "sub");
         },
         erase, repo / "copies/authorized_keys"},
        {"replace, copies a link to a folder outside", [&] { fs::create_directory_symlink(outside, repo / "copies"); }, replace, repo / "copies"},
        {"replace, a copy that is a link", [&] {
             fs::create_directories(repo / "copies");
             fs::create_symlink(outside / "a.txt", repo / "copies/authorized_keys");
         },
         replace, repo / "copies/authorized_keys"},
        {"update, a same-named link", [&] { fs::create_symlink(outside / "report.txt", repo / "sub/report.txt"); },
         {"update", arg(repo), arg(newReport)}, repo / "sub/report.txt"},
        {"addext, a copy name that is a link to nothing", [&] {
             fs::create_symlink(outside / "gone_COPY.doc", repo / "authorized_keys_COPY.doc");
         },
         {"addext", arg(repo)}, repo / "authorized_keys_COPY.doc"},
        {"addext, a copy name that is a link to a file outside", [&] {
             fs::create_symlink(outside / "authorized_keys", repo / "authorized_keys_COPY.doc");
         },
         {"addext", arg(repo)}, repo / "authorized_keys_COPY.doc"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        test::writeTree(outside, theirs);
        test::writeTree(repo, {{"authorized_keys", "ssh-ed25519 mine"}, {"sub", "/"}, {"sub/c.txt", "cat <chunk>"}});
        row.plant();
        const test::Ran ran = runQuillbox(row.args);
        EXPECT_EQ(ran.status, 1);
        // One line: the link itself failed, or a file whose copy it is, with the link named.
        EXPECT_EQ(std::count(ran.err.begin(), ran.err.end(), '\n'), 1) << ran.err;
        EXPECT_NE(ran.err.find(": 75 :: "), std::string::npos) << ran.err;
        EXPECT_NE(ran.err.find(row.link.string() + ": "), std::string::npos) << ran.err;
        EXPECT_NE(ran.err.find("link; nothing is"), std::string::npos) << ran.err;
        EXPECT_EQ(test::treeOf(outside), theirs);
        EXPECT_TRUE(fs::is_symlink(row.link));
    }
}

// Outputs named on the command line: the shell's file opened for appending keeps what it had, a
// pipe and a FIFO get the report as it is, /dev/null takes it, /dev/full fails, and an output
// that is one of the inputs is refused before anything is read or written.
TEST_F(Writes, OutputsGoToTheStreamTheUserNamedAndNeverOverAnInput)
{
    const fs::path source = temp.write("a.bas", "x ' TODO: a\r\n");
    fs::create_hard_link(source, temp / "hard.bas");
    temp.write("in.txt", "one\r\ntwo\r\n");
    const fs::path tpl = temp.write("row.tpl", "<\xA2>");
    const std::string report = runQuillbox({"todos", arg(source)}).out;
    ASSERT_NE(report, "");

    const fs::path log = temp.write("build.log", "earlier lines\n");
    for (const char* named : {"/dev/stdout", "-", "/dev/fd/1", "/proc/self/fd/1"}) {
        SCOPED_TRACE(named);
        EXPECT_EQ(runAppendingTo(log, {"todos", arg(source), "--output", named}).status, 0);
    }
    EXPECT_EQ(runAppendingTo(log, {"repeat", "--template", arg(tpl), "--in", arg(temp / "in.txt"), "--out", "-"}).status, 0);
    EXPECT_EQ(test::readBytes(log), "earlier lines\n" + report + report + report + report + "<one><two>");

    const test::Ran piped = runQuillbox({"todos", arg(source), "--output", "/dev/stdout"});
    EXPECT_EQ(piped.status, 0);
    EXPECT_EQ(piped.out, report);
    const test::Ran toStderr = runQuillbox({"repeat", "--template", arg(tpl), "--in", arg(temp / "in.txt"), "--out", "/dev/stderr"});
    EXPECT_EQ(toStderr.err, "<one><two>");
    EXPECT_EQ(runQuillbox({"todos", arg(source), "--output", "/dev/null"}).status, 0);
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    const test::Ran full = runQuillbox({"todos", arg(source), "--output", "/dev/full"});
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err, "quillbox: /dev/full: 61 :: No space left on device\n");

    // A FIFO and a listening socket get the report as a stream, and stay what they were.
    const fs::path fifo = temp / "fifo", socket = temp / "socket";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int listening = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socket.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(listening, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listening, 1), 0);
    const struct { fs::path path; std::function<int()> open; } streams[] = {
        {fifo, [&] { return ::open(fifo.c_str(), O_RDONLY); }},
        {socket, [&] { return ::accept(listening, nullptr, nullptr); }},
    };
    for (const auto& stream : streams) {
        SCOPED_TRACE(stream.path.string());
        std::string received;
        std::thread reader([&] {
            const int fd = stream.open();
            char block[4096];
            for (ssize_t n; (n = ::read(fd, block, sizeof block)) > 0;)
                received.append(block, static_cast<std::size_t>(n));
            ::close(fd);
        });
        const test::Ran ran = runQuillbox({"todos", arg(source), "--output", arg(stream.path)});
        reader.join();
        EXPECT_EQ(ran.status, 0) << ran.err;
        EXPECT_EQ(received, report);
        EXPECT_FALSE(fs::is_regular_file(fs::symlink_status(stream.path)));
    }
    ::close(listening);
    fs::remove(socket);

    fs::remove(fifo);
    fs::create_directory(temp / "new");
    const test::Tree before = test::treeOf(temp.path());
    const struct { QStringList args; fs::path output; } inputs[] = {
        {{"todos", arg(source), "--output", arg(source)}, source},
        {{"subs", arg(temp / "in.txt"), arg(source), "--output", arg(temp / "hard.bas")}, temp / "hard.bas"},
        {{"repeat", "--template", arg(tpl), "--in", arg(temp / "in.txt"), "--out", arg(tpl)}, tpl},
        {{"replace", arg(temp / "new"), "--pairs", arg(temp / "in.txt"), "--debug", arg(temp / "in.txt")}, temp / "in.txt"},
    };
    for (const auto& row : inputs) {
        SCOPED_TRACE(row.args.join(' ').toStdString());
        const test::Ran ran = runQuillbox(row.args);
        EXPECT_EQ(ran.status, 2);
        EXPECT_TRUE(ran.err.starts_with("quillbox: ") && ran.err.find(row.output.string()) != std::string::npos
                    && ran.err.find("75 :: ") != std::string::npos && ran.err.find("is the input file ") != std::string::npos)
            << ran.err;
    }
    EXPECT_EQ(test::treeOf(temp.path()), before);
}

// Killed runs' temporary files beside an output, a script or a copy go with the next writer there,
// which says so; a user's files named like today's or yesterday's temporary files, and a folder
// named like one, survive every tool, and the folder is walked like any other.
TEST_F(Writes, DebrisGoesWithTheNextWriterAndLookAlikesSurviveEveryTool)
{
    const std::string removedOne = "quillbox: Removed 1 temporary file left behind by an interrupted run.\n";
    const fs::path out = temp.mkdir("out"), source = temp.write("a.bas", "' TODO: a\r\n");
    temp.write("in.txt", "one\r\n");
    temp.write("tpl.txt", "<\xA2>");
    const struct { const char* name; QStringList args; } writers[] = {
        {"--output", {"todos", arg(source), "--output", arg(out / "report.txt")}},
        {"repeat", {"repeat", "--template", arg(temp / "tpl.txt"), "--in", arg(temp / "in.txt"), "--out", arg(out / "rows.txt")}},
        {"seqtrig", {"seqtrig", "orders", "--folder", arg(out)}},
    };
    for (const auto& writer : writers) {
        SCOPED_TRACE(writer.name);
        const fs::path debris = test::writeDebris(out);
        const fs::path users = temp.write("out/.qbtmp-Aaaaaaa1", "mine");
        const test::Ran ran = runQuillbox(writer.args);
        EXPECT_EQ(ran.status, 0);
        EXPECT_EQ(ran.err, removedOne);
        EXPECT_FALSE(fs::exists(debris));
        EXPECT_EQ(test::readBytes(users), "mine");
    }

    const fs::path work = temp / "work";
    const std::string lookAlike = ".quillbox-12-AbCdEfGhIjKl.tmp";
    test::writeTree(work, {{".qbtmp-Aaaaaaa1", "mine cat\r\n"}, {"NoDot", "cat\r\n"}, {lookAlike, "/"},
                           {lookAlike + "/inner.bas", "' TODO: inner\r\n"}});
    test::backdate(work / ".qbtmp-Aaaaaaa1");
    temp.write("chunk.txt", "cat\r\n");
    temp.write("pairs.txt", "cat\r\ndog\r\n");
    const fs::path newFile = temp.write("new/.qbtmp-Aaaaaaa1", "theirs");
    const QStringList tools[] = {
        {"erase", arg(work), "--chunk", arg(temp / "chunk.txt"), "--recursive"},
        {"replace", arg(work), "--pairs", arg(temp / "pairs.txt"), "--debug", arg(temp / "debug.out")},
        {"addext", arg(work)},
        {"update", arg(work), arg(newFile), "--dry-run"},
        {"todos", arg(work)},
        {"subs", arg(work)},
    };
    for (const QStringList& tool : tools) {
        SCOPED_TRACE(tool.front().toStdString());
        const test::Ran ran = runQuillbox(tool);
        EXPECT_EQ(ran.status, 0) << ran.err;
        EXPECT_EQ(ran.err, "");
        EXPECT_EQ(test::readBytes(work / ".qbtmp-Aaaaaaa1"), "mine cat\r\n");
        if (tool.front() == "update") {  // the user's file, and erase's and replace's copies of it
            EXPECT_EQ(ran.out, (work / ".qbtmp-Aaaaaaa1").string() + "\n" + (work / "copies/.qbtmp-Aaaaaaa1").string() + "\n");
        }
        if (tool.front() == "todos") {
            EXPECT_NE(ran.out.find(lookAlike + "/inner.bas"), std::string::npos) << ran.out;
        }
    }
    EXPECT_EQ(test::readBytes(work / "copies/.qbtmp-Aaaaaaa1"), "mine dog\r\n");  // replace's copy, after erase's
    EXPECT_EQ(test::readBytes(work / "copies" / lookAlike / "inner.bas"), "' TODO: inner\r\n");
    EXPECT_EQ(test::readBytes(work / "NoDot_COPY.doc"), "cat\r\n");
}

}  // namespace
}  // namespace qb
