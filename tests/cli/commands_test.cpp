// Every command run as a separate process: output, exit statuses and stderr to the byte, and the
// same inputs through a command and through its window give the same bytes and the same files.
#include "ui/cp1252.h"
#include "tools/sql/linkTable.h"
#include "tools/sql/seqTrig.h"
#include "tools/registry.h"
#include "tools/scan/commentTodos.h"
#include "tools/scan/findSubs.h"
#include "tools/scan/findTodos.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include <csignal>

#include <sys/stat.h>

#include "files/tree.h"
#include "cli/quillbox.h"
#include "support/process.h"
#include "support/toolWindow.h"

namespace qb {
namespace {

namespace fs = std::filesystem;

using test::arg;
using test::runQuillbox;

class Commands : public ::testing::Test {
protected:
    test::TempDir temp;
};

// Results, bad usage, missing inputs, paths that are not what a command wants, a Ctrl+C before the
// first file and a full standard output: each run ends with its status, its output and its error
// lines to the byte, and none writes anything (a run that cannot start prints nothing either).
TEST_F(Commands, PrintTheirResultsAndErrorsToTheByteAndWriteNothing)
{
    temp.write("print/rows.txt", "id\tname\r\n7\tAnn\r\n");
    temp.write("print/one.txt", "a\r\nb\r\nc\r\n");
    temp.write("print/two.txt", "1\n2");
    temp.write("print/tree/a.bas", "x ' TODO: a\r\n");
    temp.write("print/tree/sub/b.bas", "' TODO: b\r\n");
    temp.write("print/first.bas", "Public Sub F()\r\n");
    temp.write("tree/a.bas", "' TODO: a\r\n");
    test::makeUnreadableFile(temp / "tree/b.bas");
    temp.write("one.txt", "one line");
    fs::create_symlink("loop", temp / "loop");
    fs::create_symlink("nowhere", temp / "dangling");
    const auto todo = [&](const char* file, const char* block) {
        return "*************************\r\nFile: " + (temp / "print" / file).string() + "\r\n" + block +
               "\r\n\r\n\r\n*************************\r\n\r\n";
    };
    const std::string missing = (temp / "missing").string(), file = (temp / "one.txt").string(),
                      tree = (temp / "tree").string(), loop = (temp / "loop").string(),
                      dangling = (temp / "dangling").string();
    const std::string general = "Usage: quillbox [COMMAND [ARGUMENTS...]]\nTry 'quillbox --help' for more information.\n";
    const std::string todosUsage = "Usage: quillbox todos PATH... [--format text|csv|json|markdown] [-o FILE] [-l [-0]] "
                                   "[-g GLOB]... [--fail-if-found]\n"
                                   "Try 'quillbox todos --help' for more information.\n";
    const std::string full = "quillbox: 61 :: standard output: No space left on device\n";
    // A text ending in "..." is how the output starts; any other is all of it.
    struct Row { QStringList args; int status; std::string err; std::string out = "..."; test::RunOptions options = {}; };
    const Row rows[] = {
        {{"hex2dec", "1F,ff"}, 0, "", "31,255\n"},
        {{"dec2hex", "255,16,-1"}, 0, "", "FF,10,FFFF\n"},
        {{"rows2cols", "--crlf"}, 0, "", "id  \t7\r\nname\tAnn\r\n", {.input = "id\tname\r\n7\tAnn\r\n"}},
        {{"rows2cols", arg(temp / "print/rows.txt"), "--crlf"}, 0, "", "id  \t7\r\nname\tAnn\r\n"},
        {{"combine", arg(temp / "print/one.txt"), arg(temp / "print/two.txt"), "--crlf"}, 0, "", "a1\r\nb2\r\n"},
        {{"linktable", "order_items", "customerId", "productId", "--crlf"}, 0, "",
         linkTableScript("order_items", {"customerId", "productId"}) + "\r\n"},
        {{"seqtrig", "orders", "--print-only", "--crlf"}, 0, "",
         sequenceScript("orders") + "\r\n\r\n" + triggerScript("orders", "order") + "\r\n"},
        // Typed text becomes the box's Windows-1252 bytes.
        {{"seqtrig", "--singular=Stra\u00DFe", "--print-only", "--crlf", "--", "stra\u00DFen"}, 0, "",
         sequenceScript("stra\xDF" "en") + "\r\n\r\n" + triggerScript("stra\xDF" "en", "Stra\xDF" "e") + "\r\n"},
        // Paths are scanned in the order given: the tree's files, then the file named after it.
        {{"todos", arg(temp / "print/tree/sub"), arg(temp / "print/tree/a.bas"), "--crlf"}, 0, "",
         todo("tree/sub/b.bas", "' TODO: b") + todo("tree/a.bas", "x ' TODO: a")},
        {{"subs", arg(temp / "print/first.bas"), arg(temp / "print/tree"), "--crlf"}, 0, "",
         (temp / "print/first.bas").string() + "\r\n\tPublic Sub F()\r\n"},
        {{"todos", "--help"}, 0, "", "Usage: quillbox todos PATH..."},
        {{"nope"}, 2, "quillbox: unknown command 'nope'\n" + general},
        {{"--nope"}, 2, "quillbox: unknown option '--nope'\n" + general},
        {{"todos"}, 2, "quillbox todos: missing arguments\n" + todosUsage},
        {{"todos", "x", "--format", "xml"}, 2, "quillbox todos: unknown format 'xml' (text, csv, json or markdown)\n" + todosUsage},
        {{"todos", "x", "--output"}, 2, "quillbox todos: option '--output' needs a value (FILE)\n" + todosUsage},
        {{"todos", "x", "--bad=1"}, 2, "quillbox todos: unknown option '--bad'\n" + todosUsage},
        {{"todos", arg(temp / "tree"), arg(temp / "missing")}, 2, "quillbox: " + missing + ": 53 :: No such file or directory\n"},
        {{"todos", arg(temp / "tree")}, 1, "quillbox: " + (temp / "tree/b.bas").string() + ": 57 :: Input/output error\n"},
        {{"combine", arg(temp / "one.txt"), arg(temp / "missing")}, 2, "quillbox: " + missing + ": 53 :: No such file or directory\n"},
        {{"rows2cols", arg(temp / "one.txt")}, 1, "quillbox: ensure that you've got two lines\n"},
        {{"dec2hex", "1,,2"}, 1, "quillbox: 13 :: an empty item is not a number\n"},
        {{"dec2hex", "40000"}, 1, "quillbox: 6 :: 40000 is more than 32767, the largest value a 16-bit number holds\n"},
        {{"hex2dec", "1,caf\u00E9"}, 1, "quillbox: 13 :: 'caf\xC3\xA9' is not a hexadecimal number\n"},
        // Missing inputs stop a bulk run before it starts.
        {{"erase", arg(temp / "tree")}, 2, "quillbox erase: --chunk FILE is needed\nUsage: quillbox erase FOLDER..."},
        {{"erase", arg(temp / "tree"), "--chunk", arg(temp / "missing")}, 2, "quillbox: " + missing + ": 53 :: No such file or directory\n"},
        {{"erase", arg(temp / "missing"), "--chunk", arg(temp / "one.txt")}, 2, "quillbox: " + missing + ": 76 :: No such file or directory\n"},
        {{"replace", arg(temp / "tree"), "--pairs", arg(temp / "missing")}, 2, "quillbox: 53 :: The pair file " + missing + " does not exist.\n"},
        // (a.bas is in the tree, so an update that went ahead would replace it)
        {{"update", arg(temp / "tree"), arg(temp / "print/tree/a.bas"), arg(temp / "missing")}, 2,
         "quillbox: " + missing + ": 53 :: No such file or directory\n"},
        {{"addext", arg(temp / "missing")}, 2, "quillbox: " + missing + ": 76 :: No such file or directory\n"},
        // What a path is, when it is not what the command wants.
        {{"erase", arg(temp / "one.txt"), "--chunk", arg(temp / "one.txt")}, 2, "quillbox: " + file + ": 76 :: is a file, not a folder\n"},
        {{"todos", arg(temp / "one.txt/x")}, 2, "quillbox: " + file + "/x: 76 :: " + file + " is a file, not a folder\n"},
        {{"combine", arg(temp / "tree"), arg(temp / "one.txt")}, 2, "quillbox: " + tree + ": 53 :: is a folder, not a file\n"},
        {{"subs", arg(temp / "loop")}, 2, "quillbox: " + loop + ": 75 :: too many levels of links\n"},
        {{"update", arg(temp / "tree"), arg(temp / "loop")}, 2, "quillbox: " + loop + ": 75 :: too many levels of links\n"},
        {{"repeat", "--in", arg(temp / "loop")}, 2, "quillbox: " + loop + ": 75 :: too many levels of links\n"},
        {{"rows2cols", arg(temp / "loop")}, 2, "quillbox: " + loop + ": 75 :: too many levels of links\n"},
        {{"addext", arg(temp / "dangling")}, 2, "quillbox: " + dangling + ": 76 :: is a link to nowhere, which does not exist\n"},
        {{"hex2dec", "1", "2"}, 2, "quillbox hex2dec: unexpected argument '2'\nUsage: quillbox hex2dec LIST\n"
                                   "Try 'quillbox hex2dec --help' for more information.\n"},
        {{"seqtrig", "a/b", "--folder", arg(temp.path())}, 2, "quillbox: 52 :: seqA/b.sql: a file name cannot hold a path separator\n"},
        // Ctrl+C before the first file: no report, no output file.
        {{"todos", arg(temp / "tree"), "--output", arg(temp / "report.txt")}, 130, "", "", {.interruptedAtStart = true}},
        // A result that does not fit on a full standard output is a failure, short or long.
        {{"hex2dec", "1F"}, 1, full, "", {.standardOutput = "/dev/full"}},
        {{"todos", arg(temp / "tree/a.bas")}, 1, full, "", {.standardOutput = "/dev/full"}},
    };
    const auto matches = [](const std::string& text, const std::string& expected) {
        return expected.ends_with("...") ? text.starts_with(expected.substr(0, expected.size() - 3)) : text == expected;
    };
    const test::Tree before = test::treeOf(temp.path());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args.join(' ').toStdString());
        const test::Ran ran = runQuillbox(row.args, row.options);
        EXPECT_EQ(ran.status, row.status);
        EXPECT_PRED2(matches, ran.err, row.err);
        EXPECT_PRED2(matches, ran.out, row.status < 2 ? row.out : "");
        EXPECT_EQ(test::treeOf(temp.path()), before);
    }
}

// The command line loads no GUI library, nor the libraries only some runs need (they are loaded on
// first use), and needs no display; with no command (or --window) the window program takes over
// its process and shows the chooser, or with no display to show it on, gives a hint.
TEST_F(Commands, TheCommandLineLoadsNoGuiAndHandsOverToTheWindows)
{
    const test::Ran ldd = test::runProgram(QStringLiteral("ldd"), {QStringLiteral(QUILLBOX_EXECUTABLE)});
    ASSERT_EQ(ldd.status, 0) << ldd.err;
    for (const char* library : {"libQt", "libcrypto", "libgit2"})
        EXPECT_EQ(ldd.out.find(library), std::string::npos) << ldd.out;
    EXPECT_NE(ldd.out.find("libc.so"), std::string::npos) << ldd.out;

    // Seqtrig writes into the working folder with no display at all.
    test::succeeded(runQuillbox({"seqtrig", "orders", "--singular", "ord"}, {.folder = temp.path(), .noDisplay = true}));
    EXPECT_EQ(test::readBytes(temp / "seqOrders.sql"), sequenceScript("orders"));
    EXPECT_EQ(test::readBytes(temp / "trigOrders.sql"), triggerScript("orders", "ord"));

    // Without arguments and without a display, or with one that cannot be reached: a hint and
    // the usage, not an abort.
    const std::string hint = "quillbox: no display to open the window on; give a command to run a tool without one, "
                             "or start Quillbox under xvfb-run\nUsage: quillbox [COMMAND";
    for (const QString& display : {QString(), QStringLiteral(":9731")}) {
        const test::Ran windowless = runQuillbox({}, {.noDisplay = true, .display = display});
        EXPECT_EQ(windowless.status, 2) << display.toStdString();
        EXPECT_NE(windowless.err.find(hint), std::string::npos) << windowless.err;
    }

    const test::EnvironmentOverride probe("QUILLBOX_STARTUP_PROBE", "1");
    for (const QStringList& args : {QStringList{}, QStringList{"--window"}}) {
        const test::Ran shown = test::succeeded(runQuillbox(args));
        EXPECT_NE(shown.err.find("shown "), std::string::npos) << shown.err;
    }
}

// Files `start`000.bas, `start`001.bas, ... (`count` of them), each costly to scan: the first line
// `first`, then half a million lines that each start like a declaration, so every one is tested
// whole. The others are hard links to the first.
void writeLongFiles(const test::TempDir& temp, const std::string& start, const std::string& first, int count)
{
    std::string lines = first + "\r\n";
    for (int i = 0; i < (1 << 19); ++i)
        lines += "Public Subtotal As Currency\r\n";
    const fs::path written = temp.write(start + "000.bas", lines);
    for (int i = 1; i < count; ++i)
        fs::create_hard_link(written, temp / (start + std::to_string(1000 + i).substr(1) + ".bas"));
}

// A stop signal while every file of a scan is already in the workers' hands (a few long files:
// links to one, each costly to scan): the run ends with 128 + the signal's number and leaves the
// output file as it was. On standard output it leaves at most the start of the report (the first
// file's part streams in pieces while it is read). A scan that did not stop would go on for
// minutes; it is killed after 20 seconds.
TEST_F(Commands, StopSignalsEndAScanWithNoReport)
{
    writeLongFiles(temp, "tree/f", "Public Sub First() ' TODO: first", 200);
    const fs::path report = temp.write("report.txt", "the report before\n");
    const QStringList output = {"--output", arg(report)};
    struct Row { int signal; QStringList args; };
    const Row rows[] = {
        {SIGINT, QStringList{"subs", arg(temp / "tree")} + output},
        {SIGTERM, {"subs", arg(temp / "tree")}},
        {SIGHUP, QStringList{"subs", arg(temp / "tree"), "--format", "json"} + output},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args.join(' ').toStdString());
        const test::Ran ran = runQuillbox(row.args, {.signal = row.signal,
                                                     .signalWhen = [&](qint64 pid) { return test::holdsFileBelow(pid, temp / "tree"); },
                                                     .secondsAfterSignal = 20});
        EXPECT_TRUE(ran.signalled && !ran.killed);
        EXPECT_EQ(ran.status, 128 + row.signal);
        const std::string start = (temp / "tree/f000.bas").string() + "\n\tPublic Sub First() ' TODO: first\n";
        EXPECT_TRUE(ran.out.empty() || (ran.out.starts_with(start) && ran.out.ends_with("\tPublic Subtotal As Currency\n")))
            << ran.out.substr(0, 200);
        EXPECT_EQ(ran.err, "");
        EXPECT_EQ(test::readBytes(report), "the report before\n");
        EXPECT_EQ(std::distance(fs::directory_iterator(temp.path()), fs::directory_iterator()), 2);  // tree, report
    }
}

// A text report streams. Every format gives the bytes of the report kept whole, on standard
// output and in an --output file, also with a file whose part goes out in pieces. A stop after
// the first lines came out ends the run with 130, and what was printed is the start of the whole
// report. A report to --output is published whole or not at all, also when the run is killed
// mid-way; the next run publishes it and removes what the killed one left.
TEST_F(Commands, StreamedReportsKeepTheirBytesAndAreWholeOrStopped)
{
    std::string longBlock = "' TODO: a long block\r\n";
    while (longBlock.size() < 3 * partHandOnSize)
        longBlock += "' goes on\r\n";
    for (int i = 0; i < 300; ++i)
        temp.write("tree/a/f" + std::to_string(1000 + i) + ".bas", i == 150 ? longBlock + "Public Sub Long()\r\n"
                                                                         : "Public Sub P() ' TODO: p\r\n' q\r\nx = 1\r\n");
    const fs::path small = temp / "tree/a";
    const auto lf = [](std::string text) { return QString::fromStdString(text).replace("\r\n", "\n").toStdString(); };
    const ScanReport todos = findTodosIn({small});
    const ScanReport todosByType = findTodosByTypeIn({small}, TodoTypeOptions());
    const ScanReport subs = findSubsIn({small}).value();
    struct Row { QStringList args; std::string expected; };
    std::vector<Row> rows = {
        {{"todos", "--crlf"}, todos.text}, {{"todos"}, lf(todos.text)}, {{"todos", "--lang", "auto"}, lf(todosByType.text)},
        {{"subs"}, lf(subs.text)},
    };
    for (const ReportFormat format : {ReportFormat::Csv, ReportFormat::Json, ReportFormat::Markdown}) {
        const QString name = format == ReportFormat::Csv ? "csv" : format == ReportFormat::Json ? "json" : "markdown";
        rows.push_back({{"todos", "--format", name}, writeReport({}, todos.found, format)});
        rows.push_back({{"subs", "--format", name}, writeReport({}, subs.found, format)});
    }
    const fs::path file = temp / "report.out";
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args.join(' ').toStdString());
        const test::Ran printed = test::succeeded(runQuillbox(QStringList{row.args.front(), arg(small)} + row.args.mid(1)));
        EXPECT_EQ(printed.out, row.expected);
        test::succeeded(runQuillbox(QStringList{row.args.front(), arg(small), "-o", arg(file)} + row.args.mid(1)));
        EXPECT_EQ(test::readBytes(file), row.expected);
    }

    // Long files after the small ones keep the run going once its first lines are out.
    writeLongFiles(temp, "tree/b/g", "Public Sub Big() ' TODO: big", 400);
    const QStringList scan = {"todos", arg(temp / "tree")};
    const test::Ran whole = runQuillbox(scan);
    ASSERT_EQ(whole.status, 0) << whole.err;
    const auto holdsBytes = [](const fs::path& path) {
        std::error_code ec;
        const auto size = fs::file_size(path, ec);
        return !ec && size > 0;
    };
    const fs::path printed = temp / "printed.txt";
    const test::Ran stopped = runQuillbox(scan, {.signal = SIGINT,
                                                 .signalWhen = [&](qint64) { return holdsBytes(printed); },
                                                 .secondsAfterSignal = 20,
                                                 .standardOutput = printed});
    EXPECT_TRUE(stopped.signalled && !stopped.killed);
    EXPECT_EQ(stopped.status, 130);
    const std::string part = test::readBytes(printed);
    EXPECT_TRUE(!part.empty() && part.size() < whole.out.size() && whole.out.starts_with(part)) << part.size();

    // Killed while the report is half written to its temporary file: the file stays as it was.
    temp.write("kept.txt", "the report before\n");
    const QStringList toFile = scan + QStringList{"--output", arg(temp / "kept.txt")};
    const auto halfWritten = [&](qint64) {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(temp.path(), ec))
            if (entry.path().filename().string().starts_with(".quillbox-") && holdsBytes(entry.path()))
                return true;
        return false;
    };
    const test::Ran killed = runQuillbox(toFile, {.signal = SIGKILL, .signalWhen = halfWritten});
    EXPECT_TRUE(killed.signalled);
    EXPECT_EQ(test::readBytes(temp / "kept.txt"), "the report before\n");
    const test::Ran again = runQuillbox(toFile);
    EXPECT_EQ(again.status, 0);
    EXPECT_EQ(again.err, "quillbox: Removed 1 temporary file left behind by an interrupted run.\n");
    EXPECT_EQ(test::readBytes(temp / "kept.txt"), whole.out);
}

// Failures are listed as the windows list them: the first 20, then how many more and how many
// in all. Unreadable files fail a scan and the copies of erase.
TEST_F(Commands, FailureListsStopAtTwenty)
{
    const fs::path chunk = temp.write("chunk.txt", "x\r\n");
    struct Row { QStringList args; int files; std::string folder; };
    const Row rows[] = {
        {{"todos", arg(temp / "scan")}, 25, "scan"},
        {{"erase", arg(temp / "erase"), "--chunk", arg(chunk)}, 21, "erase"},
        {{"erase", arg(temp / "few"), "--chunk", arg(chunk)}, 20, "few"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args.join(' ').toStdString());
        std::string expected;
        for (int i = 0; i < row.files; ++i) {
            const fs::path file = test::makeUnreadableFile(temp / row.folder / ("f" + std::to_string(100 + i) + ".txt"));
            if (i < 20)
                expected += "quillbox: " + file.string() + ": 57 :: Input/output error\n";
        }
        if (row.files > 20)
            expected += "quillbox: and " + std::to_string(row.files - 20) + " more.\nquillbox: Could not handle " +
                        std::to_string(row.files) + " files or folders.\n";
        const test::Ran ran = runQuillbox(row.args);
        EXPECT_EQ(ran.status, 1);
        EXPECT_EQ(ran.err, expected);
    }
}

// CSV, JSON and Markdown over records holding commas, quotes, pipes, line breaks, control
// characters, HTML's special characters and text of both encodings.
TEST_F(Commands, StructuredFormats)
{
    temp.write("tree/a.bas", "x\r\n' TODO: one, \"two\" | three\r\n' four\r\n");
    temp.write("tree/b.bas", "' TODO: na\xC3\xAFve\r\n");
    temp.write("tree/caf\xE9.bas", "' TODO: caf\xE9 \x01\x1F\\ <l> & m\r\n");
    const std::string a = (temp / "tree/a.bas").string(), b = (temp / "tree/b.bas").string(),
                      c = (temp / "tree/caf\xC3\xA9.bas").string();
    const auto run = [&](const char* format) {
        return test::succeeded(runQuillbox({"todos", arg(temp / "tree"), "--format", format})).out;
    };
    EXPECT_EQ(run("csv"), "path,line,kind,text\r\n" + a + ",2,todo,\"' TODO: one, \"\"two\"\" | three\n' four\"\r\n" +
                              b + ",1,todo,' TODO: na\xC3\xAFve\r\n" + c + ",1,todo,' TODO: caf\xC3\xA9 \x01\x1F\\ <l> & m\r\n");
    const std::string markdown = run("markdown");
    EXPECT_TRUE(markdown.starts_with("| path | line | kind | text |\n| --- | ---: | --- | --- |\n| " + a + " | 2 | todo | ' TODO: "
                                     "one, \"two\" \\| three<br>' four |\n")) << markdown;
    EXPECT_TRUE(markdown.ends_with(" | 1 | todo | ' TODO: caf\xC3\xA9 \x01\x1F\\\\ &lt;l> &amp; m |\n")) << markdown;

    // Read back by a strict parser, which refuses a raw control character inside a string (Qt's
    // takes it): the fields of every record, separated by NULs.
    const test::Ran json = test::runProgram(
        "python3",
        {"-c", "import json, sys\n"
               "records = json.loads(sys.stdin.buffer.read())\n"
               "fields = [str(r[f]) for r in records for f in ('path', 'line', 'kind', 'text')]\n"
               "sys.stdout.buffer.write('\\0'.join(fields).encode())\n"},
        {.input = run("json")});
    EXPECT_EQ(json.status, 0) << json.err;
    std::string fields;  // each field NUL-ended, as the output is with one more NUL
    for (const std::string& field : std::initializer_list<std::string>{a, "2", "todo", "' TODO: one, \"two\" | three\n' four", b, "1", "todo",
                                                                       "' TODO: na\xC3\xAFve", c, "1", "todo", "' TODO: caf\xC3\xA9 \x01\x1F\\ <l> & m"})
        fields += field + '\0';
    EXPECT_EQ(json.out + '\0', fields);

    // --output writes the same bytes to a file and nothing to stdout.
    const test::Ran saved = test::succeeded(runQuillbox({"subs", arg(temp / "tree"), "--output", arg(temp / "out.json"), "--format=json"}));
    EXPECT_EQ(saved.out, "");
    EXPECT_EQ(test::readBytes(temp / "out.json"), "[]\n");
}

class BulkCommands : public test::ToolWindowTest {
protected:
    BulkCommands() : test::ToolWindowTest("program") {}
    static void SetUpTestSuite() { registerAllTools(); }

    // Line ends and encodings of every kind, holding the chunk and the pairs' search texts.
    void makeTree() const
    {
        temp.write("work/a.txt", "keep\r\n  <CHUNK>\r\n  body\r\n</CHUNK>\r\nx <chunk> y\r\n  body\r\n</chunk>\r\ncat and dog\r\n");
        temp.write("work/NoDot", "<chunk>\nbody\n</chunk>\ncaf\xE9 cat");
        temp.write("work/sub/b.txt", "cat\rdog\r<CHUNK>\r\nbody\r\n");
        temp.write("work/sub/deep/c.txt", "<CHUNK>\r\nbody\r\n</CHUNK>");
        temp.write("work/sub/deep/Report", "old report\r\n");
    }

    // `window`, then `command` on the tree as it was before, leave the same tree (as `seen` shows it).
    void expectSameTree(const std::function<void()>& window, const QStringList& command,
                        const std::function<test::Tree(test::Tree)>& seen = std::identity()) const
    {
        const test::Tree before = test::treeOf(temp.path());
        window();
        const test::Tree byWindow = seen(test::treeOf(temp.path()));
        ASSERT_NE(byWindow, seen(before));
        test::writeTree(temp.path(), before);
        const test::Ran ran = test::succeeded(runQuillbox(command));
        EXPECT_EQ(seen(test::treeOf(temp.path())), byWindow) << command.join(' ').toStdString();
    }

    fs::path work() const { return temp / "work"; }
};

// Declarations and TODO blocks in every line-end style and encoding, files skipped by name, a binary.
TEST_F(BulkCommands, ScannersPrintWhatTheirWindowsShow)
{
    temp.write("tree/a.bas", "Public Sub A() ' TODO: a\r\n' more\r\nSub Main()\r\n");
    temp.write("tree/B.cls", "  private function b()\n' TODO: caf\xE9\rx\r\n");
    temp.write("tree/logo.gif", "Public Sub Skipped() ' TODO: skipped\r\n");
    temp.write("tree/app.o", std::string_view("\x7F" "ELF\0\0Public Sub Bin() ' TODO: bin\n", 35));
    temp.write("tree/sub/c.vb", "Imports System\r\n  ' TODO: na\xC3\xAFve\r\n' last");
    temp.write("tree/sub/deeper/d.bas", "Shared Sub D()");
    const fs::path tree = temp / "tree";
    struct Row { const char *opener, *window, *command; };
    for (const Row& row : {Row{"cmdOpenForm_7", "frmFindTodos", "todos"}, Row{"cmdOpenForm_9", "frmFindSubNFuncts", "subs"}}) {
        ASSERT_TRUE(open(row.opener, row.window));
        runIn(tree, "cmdGo");
        const QString shown = box("Text1")->toPlainText();
        ASSERT_NE(shown, "") << row.window;
        const test::Ran ran = test::succeeded(runQuillbox({row.command, arg(tree), "--format", "text", "--crlf"}, {.noDisplay = true}));
        // The box shows each file's text decoded (here every line is all of one file's kind).
        QString printed = pathText(ran.out);
        printed.replace("\r\n", "\n").replace('\r', '\n');
        EXPECT_EQ(printed, shown) << row.command;
    }
}

TEST_F(BulkCommands, RepeatWritesWhatTheWindowWrites)
{
    const std::string chunk = "<a \xA2 b=\"\xE6\" n=\xED>\r\n\tx\r\n";
    temp.write("template.txt", chunk);
    temp.write("in.txt", "roads\r\nrivers\nhills\r\ncaf\xE9\r\n");
    // The counter as typed, and as each starts when nothing is typed.
    for (const QString start : {"", "-2"}) {  // the untouched box first: a window keeps what was typed
        SCOPED_TRACE(start.toStdString());
        ASSERT_TRUE(open("cmdOpenForm_3", "frmCarpalTunnel"));
        setBoxBytes(box("txtChunk"), chunk);
        line("txtFileName_0")->setText(arg(temp / "in.txt"));
        line("txtFileName_1")->setText(arg(temp / "window.txt"));
        if (!start.isEmpty())
            line("txtCountStart")->setText(start);
        child<QCheckBox>("chkDoubleUp")->setChecked(true);
        click("cmdGo");
        ASSERT_EQ(recorder.messages, QStringList{"done"});
        recorder.messages.clear();
        window->close();

        QStringList args{"repeat", "--template", arg(temp / "template.txt"), "--in", arg(temp / "in.txt"),
                         "--out", arg(temp / "command.txt"), "--double-up"};
        if (!start.isEmpty())
            args << "--start" << start;
        test::succeeded(runQuillbox(args, {.noDisplay = true}));
        EXPECT_EQ(test::readBytes(temp / "command.txt"), test::readBytes(temp / "window.txt"));
    }
}

// Erase, replace (its debug file too, when asked for), update and addext make the window's files
// and listing.
TEST_F(BulkCommands, BulkCommandsMakeTheWindowsFiles)
{
    temp.write("chunk.txt", "<chunk>\r\n\r\n  body\r\n</chunk>\r\n");
    temp.write("spew.txt", "<!-- gone -->\r\n");
    temp.write("program/replaceLines.txt", "cat\r\ndog\r\ndog\r\nbird\r\nbody\r\n");
    const fs::path newFile = temp.write("new/Report", "new report\r\n");
    // Update's backups and each run's journal (below the data folder's applies) are named by the
    // time, so its trees are compared with each backup's stamp taken out.
    const auto unstamped = [](test::Tree tree) {
        test::Tree seen;
        for (auto& [name, bytes] : tree) {
            if (name.starts_with("program/applies"))
                continue;
            const std::size_t stamp = name.rfind("_Report");
            seen[stamp == std::string::npos ? name : name.substr(0, name.rfind('/') + 1) + "BACKUP" + name.substr(stamp)] = bytes;
        }
        return seen;
    };
    const struct {
        const char *opener, *name;
        std::function<void()> window;
        QStringList command;
        std::function<test::Tree(test::Tree)> seen = std::identity();
    } rows[] = {
        {"cmdOpenForm_2", "frmEraseChunks",
         [&] {
             setBoxBytes(box("richChunk"), test::readBytes(temp / "chunk.txt"));
             setBoxBytes(box("richSpew"), test::readBytes(temp / "spew.txt"));
             child<QCheckBox>("chkGoRecursive")->setChecked(true);
             runIn(work(), "cmdBegin");
             EXPECT_TRUE(recorder.only("Done."));
         },
         {"erase", arg(work()), "--chunk", arg(temp / "chunk.txt"), "--spew", arg(temp / "spew.txt"), "--recursive"}},
        {"mnuSNP", "frmReplaceLineFromFile",
         [&] {
             runIn(work(), "cmdBegin");
             EXPECT_TRUE(recorder.only("done with snp"));
         },
         {"replace", arg(work()), "--debug", arg(temp / "program" / "debug.out")}},
        {"cmdOpenForm_6", "frmUpdateFiles",
         [&] {
             line("txtNewFilePath")->setText(arg(newFile));
             click("cmdAddFile_1");
             runIn(work(), "cmdGo");
         },
         {"update", arg(work()), arg(newFile)}, unstamped},
        {"cmdOpenForm_5", "frmAddExtension", [&] { runIn(work(), "cmdGo"); }, {"addext", arg(work())}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(work());
        makeTree();
        ASSERT_TRUE(open(row.opener, row.name));
        expectSameTree(row.window, row.command, row.seen);
    }
    // What an interrupted run left is removed, and stderr says so, as the window's end text does.
    const fs::path debris = test::writeDebris(work() / "sub");
    const test::Ran ran = runQuillbox({"addext", arg(work()), "--crlf"});
    EXPECT_EQ(ran.out, boxBytes(box("rich1")));
    EXPECT_EQ(ran.status, 0);
    EXPECT_EQ(ran.err, "quillbox: Removed 1 temporary file left behind by an interrupted run.\n");
    EXPECT_FALSE(fs::exists(debris));

    // Without --debug, replace writes no trace.
    const std::string trace = test::readBytes(temp / "program" / "debug.out");
    ASSERT_NE(trace, "");
    EXPECT_EQ(runQuillbox({"replace", arg(work())}).status, 0);
    EXPECT_EQ(test::readBytes(temp / "program" / "debug.out"), trace);
}

// A failing file early in a folder with subfolders costs that file only: standard output lists
// exactly what was done, stderr says why each failure failed, and the status is 1. Binary files
// are copied byte for byte, and stderr counts them.
TEST_F(BulkCommands, AFailingFileCostsItsOwnFileAndBinariesStayBinary)
{
    const fs::path t = temp / "t";
    const std::string longName(247, 'L');  // its copy name would be 256 bytes
    temp.write("t/" + longName, "long");
    const fs::path readOnly = temp.write("t/Report", "old\r\n");
    fs::permissions(readOnly, fs::perms::owner_read);
    temp.write("t/sub/README", "r");
    temp.write("t/sub/Report", "old\r\n");
    ASSERT_EQ(::mkfifo((temp.mkdir("t/sub2") / "Report").c_str(), 0666), 0);
    const fs::path newFile = temp.write("new/Report", "new\r\n");
    const std::string binary("a\nb\0c\n", 6);
    temp.write("bin/x.dat", binary);
    temp.write("bin/y.txt", "x\ny");
    temp.write("bin/chunk.txt", "nothing like it\r\n");
    temp.write("program/replaceLines.txt", "");
    const auto line = [&](const char* path) { return (t / path).string() + "\r\n"; };
    const std::string refused = "quillbox: " + readOnly.string() + ": 70 :: the file is read-only\nquillbox: "
                                + (t / "sub2/Report").string() + ": 75 :: is a FIFO, not a regular file; nothing was written\n";
    struct Row { QStringList args; std::string out; std::string err; int status; };
    const Row rows[] = {
        {{"addext", arg(t), "--ext", ".txt", "--crlf"},
         "\t---" + line(longName.c_str()) + "\t---" + line("Report") + "\t" + line("sub") + "\t\t---" + line("sub/README")
             + "\t\t---" + line("sub/Report") + "\t" + line("sub2"),
         "quillbox: " + (t / longName).string() + ": 52 :: its copy name would be 256 bytes long, more than the 255 bytes a "
         "name may have, so the file was left as it was\n", 1},
        // A dry run lists and refuses what the run does, and exits as it does.
        {{"update", arg(t), arg(newFile), "--crlf", "--dry-run"}, line("sub/Report"), refused, 1},
        {{"update", arg(t), arg(newFile), "--crlf"}, line("sub/Report"), refused, 1},
        {{"erase", arg(temp / "bin"), "--chunk", arg(temp / "bin/chunk.txt")}, "", "quillbox: 1 file binary, copied as is.\n", 0},
        {{"replace", arg(temp / "bin")}, "", "quillbox: 1 file binary, copied as is.\n", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args.join(' ').toStdString());
        const test::Ran ran = runQuillbox(row.args);
        EXPECT_EQ(ran.status, row.status);
        EXPECT_EQ(ran.out, row.out);
        EXPECT_EQ(ran.err, row.err);
    }
    EXPECT_TRUE(fs::exists(t / "sub/Report_COPY.txt"));
    EXPECT_EQ(test::readBytes(t / "sub/Report"), "new\r\n");
    EXPECT_EQ(test::readBytes(readOnly), "old\r\n");
    // Erase's copies, then replace's over them.
    EXPECT_EQ(test::treeOf(temp / "bin/copies"), (test::Tree{{"chunk.txt", "nothing like it\r\n"}, {"x.dat", binary}, {"y.txt", "x\r\ny\r\n"}}));
}

}  // namespace
}  // namespace qb
