// A command and its window, given the same inputs, make the same report: the scanners' report box
// against `--format text`, and the same bytes: the repeater's out.txt.
#include "shell/cp1252.h"
#include "tools/tools.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include "runQuillbox.h"
#include "support/toolWindow.h"

namespace qb {
namespace {

using test::arg;
using test::runQuillbox;

class SameBytes : public test::ToolWindowTest {
protected:
    static void SetUpTestSuite() { registerAllTools(); }

    // A tree with declarations and TODO blocks in several line-end styles and encodings, files
    // the scanners skip by name, and a binary file.
    std::filesystem::path makeTree() const
    {
        temp.write("tree/a.bas", "Public Sub A() ' TODO: a\r\n' more\r\nSub Main()\r\n");
        temp.write("tree/B.cls", "  private function b()\n' TODO: caf\xE9\rx\r\n");
        temp.write("tree/logo.gif", "Public Sub Skipped() ' TODO: skipped\r\n");
        temp.write("tree/app.o", std::string_view("\x7F" "ELF\0\0Public Sub Bin() ' TODO: bin\n", 35));
        temp.write("tree/sub/c.vb", "Imports System\r\n  ' TODO: na\xC3\xAFve\r\n' last");
        temp.write("tree/sub/deeper/d.bas", "Shared Sub D()");
        return temp / "tree";
    }
};

TEST_F(SameBytes, ScannersPrintWhatTheirWindowsShow)
{
    const std::filesystem::path tree = makeTree();
    struct Row { int chooserButton; const char* window; const char* command; };
    for (const Row& row : {Row{7, "frmFindTodos", "todos"}, Row{9, "frmFindSubNFuncts", "subs"}}) {
        ASSERT_TRUE(open(row.chooserButton, row.window));
        runIn(tree, "cmdGo");
        const QString shown = box("Text1")->toPlainText();
        ASSERT_NE(shown, "") << row.window;
        const test::Ran ran = runQuillbox({row.command, arg(tree), "--format", "text"});
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
                                       "--out", arg(temp / "command.txt"), "--double-up", "--start", "-2"});
    EXPECT_EQ(ran.status, 0) << ran.err;
    EXPECT_EQ(test::readBytes(temp / "command.txt"), test::readBytes(temp / "window.txt"));
}

}  // namespace
}  // namespace qb
