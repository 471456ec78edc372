// Commands against their windows, given the same inputs: the scanners print what their report
// box shows, the repeater writes the same bytes, and on the same tree each bulk file command makes
// the same files (and lists the same lines); --dry-run writes nothing; missing inputs stop a run
// before it starts. The scanners and the repeater run with no display at all.
#include "shell/cp1252.h"
#include "tools/tools.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include "files/tree.h"
#include "runQuillbox.h"
#include "support/toolWindow.h"

namespace qb {
namespace {

namespace fs = std::filesystem;
using test::arg;
using test::runQuillbox;

class BulkCommands : public test::ToolWindowTest {
protected:
    BulkCommands() : test::ToolWindowTest("program") {}
    static void SetUpTestSuite() { registerAllTools(); }

    // A tree of text files in several line-end styles and encodings, with the chunk and the
    // pairs' search texts in some of them.
    void makeTree() const
    {
        temp.write("work/a.txt", "keep\r\n  <CHUNK>\r\n  body\r\n</CHUNK>\r\nx <chunk> y\r\n  body\r\n</chunk>\r\ncat and dog\r\n");
        temp.write("work/NoDot", "<chunk>\nbody\n</chunk>\ncaf\xE9 cat");
        temp.write("work/sub/b.txt", "cat\rdog\r<CHUNK>\r\nbody\r\n");
        temp.write("work/sub/deep/c.txt", "<CHUNK>\r\nbody\r\n</CHUNK>");
        temp.write("work/sub/deep/Report", "old report\r\n");
    }

    // Runs `window` and then `command` on the same tree, each from the state before either ran,
    // and expects the same tree afterwards (each as `seen` shows it).
    void expectSameTree(const std::function<void()>& window, const QStringList& command,
                        const std::function<test::Tree(test::Tree)>& seen = std::identity()) const
    {
        const test::Tree before = test::treeOf(temp.path());
        window();
        const test::Tree byWindow = seen(test::treeOf(temp.path()));
        ASSERT_NE(byWindow, seen(before));
        fs::remove_all(temp / "work");
        fs::remove(program / "debug.out");
        for (const auto& [name, bytes] : before)
            if (bytes != "/")
                temp.write(name, bytes);
        const test::Ran ran = runQuillbox(command);
        EXPECT_EQ(ran.status, 0) << ran.err;
        EXPECT_EQ(seen(test::treeOf(temp.path())), byWindow) << command.join(' ').toStdString();
    }

    fs::path work() const { return temp / "work"; }
};

class SameBytes : public BulkCommands {};

// A tree with declarations and TODO blocks in several line-end styles and encodings, files the
// scanners skip by name, and a binary file.
TEST_F(SameBytes, ScannersPrintWhatTheirWindowsShow)
{
    temp.write("tree/a.bas", "Public Sub A() ' TODO: a\r\n' more\r\nSub Main()\r\n");
    temp.write("tree/B.cls", "  private function b()\n' TODO: caf\xE9\rx\r\n");
    temp.write("tree/logo.gif", "Public Sub Skipped() ' TODO: skipped\r\n");
    temp.write("tree/app.o", std::string_view("\x7F" "ELF\0\0Public Sub Bin() ' TODO: bin\n", 35));
    temp.write("tree/sub/c.vb", "Imports System\r\n  ' TODO: na\xC3\xAFve\r\n' last");
    temp.write("tree/sub/deeper/d.bas", "Shared Sub D()");
    const fs::path tree = temp / "tree";
    struct Row { int chooserButton; const char* window; const char* command; };
    for (const Row& row : {Row{7, "frmFindTodos", "todos"}, Row{9, "frmFindSubNFuncts", "subs"}}) {
        ASSERT_TRUE(open(row.chooserButton, row.window));
        runIn(tree, "cmdGo");
        const QString shown = box("Text1")->toPlainText();
        ASSERT_NE(shown, "") << row.window;
        const test::Ran ran = runQuillbox({row.command, arg(tree), "--format", "text"}, {.noDisplay = true});
        EXPECT_EQ(ran.status, 0) << ran.err;
        // The box shows each file's text decoded (here every line is all of one file's kind).
        QString printed = pathText(ran.out);
        printed.replace("\r\n", "\n").replace('\r', '\n');
        EXPECT_EQ(printed, shown) << row.command;
    }
}

TEST_F(SameBytes, RepeatWritesWhatTheWindowWrites)
{
    const std::string chunk = "<a \xA2 b=\"\xE6\" n=\xED>\r\n\tx\r\n";
    temp.write("template.txt", chunk);
    temp.write("in.txt", "roads\r\nrivers\nhills\r\ncaf\xE9\r\n");
    ASSERT_TRUE(open(3, "frmCarpalTunnel"));
    setBoxBytes(box("txtChunk"), chunk);
    line("txtFileName_0")->setText(arg(temp / "in.txt"));
    line("txtFileName_1")->setText(arg(temp / "window.txt"));
    line("txtCountStart")->setText("-2");
    child<QCheckBox>("chkDoubleUp")->setChecked(true);
    click("cmdGo");
    ASSERT_EQ(recorder.messages, QStringList{"done"});

    const test::Ran ran = runQuillbox({"repeat", "--template", arg(temp / "template.txt"), "--in", arg(temp / "in.txt"),
                                       "--out", arg(temp / "command.txt"), "--double-up", "--start", "-2"},
                                      {.noDisplay = true});
    EXPECT_EQ(ran.status, 0) << ran.err;
    EXPECT_EQ(test::readBytes(temp / "command.txt"), test::readBytes(temp / "window.txt"));
}

// On the same tree, erase and replace make the window's copies (replace its debug file in the
// data folder too), and addext the window's copies and listing.
TEST_F(BulkCommands, EraseReplaceAndAddExtensionMakeTheWindowsFiles)
{
    temp.write("chunk.txt", "<chunk>\r\n\r\n  body\r\n</chunk>\r\n");
    temp.write("spew.txt", "<!-- gone -->\r\n");
    temp.write("program/replaceLines.txt", "cat\r\ndog\r\ndog\r\nbird\r\nbody\r\n");
    const struct { const char *opener, *name; std::function<void()> window; QStringList command; } rows[] = {
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
         {"replace", arg(work())}},
        {"cmdOpenForm_5", "frmAddExtension", [&] { runIn(work(), "cmdGo"); }, {"addext", arg(work())}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(work());
        makeTree();
        ASSERT_TRUE(open(row.opener, row.name));
        expectSameTree(row.window, row.command);
    }
    // What an interrupted run left is removed, and stderr says so, as the window's end text does.
    temp.write("work/sub/.qbtmp-Aaaaaaa1", "left by a killed run");
    const test::Ran ran = runQuillbox({"addext", arg(work())});
    EXPECT_EQ(ran.out, boxBytes(box("rich1")));
    EXPECT_EQ(ran.status, 0);
    EXPECT_EQ(ran.err, "quillbox: Removed 1 temporary file left behind by an interrupted run.\n");
    EXPECT_FALSE(fs::exists(temp / "work/sub/.qbtmp-Aaaaaaa1"));
}

// Backup names hold the time, so the trees are compared with each backup's stamp taken out.
TEST_F(BulkCommands, UpdateReplacesWhatTheWindowReplacesAndDryRunWritesNothing)
{
    makeTree();
    const fs::path newFile = temp.write("new/Report", "new report\r\n");
    const test::Tree before = test::treeOf(work());
    const test::Ran dry = runQuillbox({"update", arg(work()), arg(newFile), "--dry-run"});
    EXPECT_EQ(dry.status, 0) << dry.err;
    EXPECT_EQ(dry.out, (work() / "sub/deep/Report").string() + "\r\n");
    EXPECT_EQ(test::treeOf(work()), before);

    ASSERT_TRUE(open("cmdOpenForm_6", "frmUpdateFiles"));
    const auto unstamped = [](test::Tree tree) {
        test::Tree seen;
        for (auto& [name, bytes] : tree) {
            const std::size_t stamp = name.rfind("_Report");
            seen[stamp == std::string::npos ? name : name.substr(0, name.rfind('/') + 1) + "BACKUP" + name.substr(stamp)] = bytes;
        }
        return seen;
    };
    expectSameTree(
        [&] {
            line("txtNewFilePath")->setText(arg(newFile));
            click("cmdAddFile_1");
            runIn(work(), "cmdGo");
        },
        {"update", arg(work()), arg(newFile)}, unstamped);
}

TEST_F(BulkCommands, MissingInputsStopARunBeforeItStartsAndFailuresAreListed)
{
    makeTree();
    const fs::path readOnly = temp.write("work/sub/ro/Report", "kept\r\n");
    fs::permissions(readOnly, fs::perms::owner_read);
    const fs::path newFile = temp.write("new/Report", "new\r\n");
    const std::string missing = (temp / "missing").string();
    const test::Tree before = test::treeOf(work());
    struct Row { QStringList args; int status; std::string err; };
    const Row rows[] = {
        {{"erase", arg(work())}, 2, "quillbox erase: --chunk FILE is needed\n"},
        {{"erase", arg(work()), "--chunk", arg(temp / "missing")}, 2, "quillbox: " + missing + ": 53 :: No such file or directory\n"},
        {{"erase", arg(temp / "missing"), "--chunk", arg(newFile)}, 2, "quillbox: " + missing + ": 76 :: No such file or directory\n"},
        {{"replace", arg(work()), "--pairs", arg(temp / "missing")}, 2, "quillbox: 53 :: The pair file " + missing + " does not exist.\n"},
        {{"update", arg(work()), arg(newFile), arg(temp / "missing")}, 2, "quillbox: " + missing + ": 53 :: No such file or directory\n"},
        {{"addext", arg(temp / "missing")}, 2, "quillbox: " + missing + ": 76 :: No such file or directory\n"},
    };
    for (const Row& row : rows) {
        const test::Ran ran = runQuillbox(row.args);
        EXPECT_EQ(ran.status, row.status) << row.args.join(' ').toStdString();
        EXPECT_EQ(ran.err.substr(0, row.err.size()), row.err) << row.args.join(' ').toStdString();
        EXPECT_EQ(test::treeOf(work()), before) << row.args.join(' ').toStdString();
    }
    // A read-only file is not replaced: the run goes on, lists it on stderr and ends with 1.
    const test::Ran ran = runQuillbox({"update", arg(work()), arg(newFile)});
    EXPECT_EQ(ran.status, 1);
    EXPECT_TRUE(ran.err.starts_with("quillbox: " + readOnly.string() + ": 70 :: ")) << ran.err;
    EXPECT_EQ(test::readBytes(work() / "sub/deep/Report"), "new\r\n");
    EXPECT_EQ(test::readBytes(readOnly), "kept\r\n");
}

}  // namespace
}  // namespace qb
