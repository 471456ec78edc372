// The converter, chunk repeater, rows-to-columns and combine windows, driven as a user would.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include "ui/cp1252.h"
#include "ui/editor.h"
#include "core/fsSys.h"
#include "ui/pickers.h"
#include "ui/printing.h"
#include "ui/windows.h"
#include "support/toolWindow.h"
#include "tools/text/carpalTunnel.h"
#include "tools/text/textTools.h"

namespace qb {
namespace {

class TextWindow : public test::ToolWindowTest {
protected:
    static void SetUpTestSuite() { registerTextTools(); }

    void closeWindow() { window->parentWidget()->close(), QApplication::processEvents(); }
    void pick(const char* dir, const char* list, const std::filesystem::path& folder, const char* name) const
    {
        child<FolderPicker>(dir)->setPath(fromPath(folder));
        const auto found = child<QListWidget>(list)->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << name;
        child<QListWidget>(list)->setCurrentItem(found.front());
    }
};

TEST_F(TextWindow, HexDecConvertsBothWaysAndAFailureKeepsEarlierItems)
{
    open("cmdOpenForm_4", "frmHex2Dec");
    line("Text1")->setText("1F,ff");  // Hex to Dec is the starting direction
    click("Command1");
    EXPECT_EQ(line("Text2")->text(), "31,255");

    // Decimal to hexadecimal, where an empty item is a type mismatch (it is 0 the other way).
    child<QRadioButton>("Option1_1")->setChecked(true);
    line("Text1")->setText("1,,2");
    child<QPushButton>("Command1")->setFocus();
    click("Command1");
    EXPECT_EQ(line("Text2")->text(), "1");
    const QString frame = "Something horrible has happened, like the value you're translating isn't a number.  Hell, I don't know.\r\n";
    EXPECT_EQ(recorder.messages, QStringList{frame + "an empty item is not a number :: 13"});
    EXPECT_TRUE(line("Text1")->hasFocus());

    // The description names the value in its own characters, inside the same frame.
    recorder.messages.clear();
    line("Text1")->setText("40000,caf\u00E9");
    click("Command1");
    child<QRadioButton>("Option1_0")->setChecked(true);
    line("Text1")->setText("1,caf\u00E9");
    click("Command1");
    EXPECT_EQ(line("Text2")->text(), "1");
    EXPECT_EQ(recorder.messages, (QStringList{frame + "40000 is more than 32767, the largest value a 16-bit number holds :: 6",
                                              frame + "'caf\u00E9' is not a hexadecimal number :: 13"}));
}

TEST_F(TextWindow, RepeaterRunsOpensItsFilesAndKeepsItsChunk)
{
    open("cmdOpenForm_3", "frmCarpalTunnel");
    EXPECT_EQ(line("txtFileName_0")->text(), fromPath(temp / "in.txt"));
    EXPECT_EQ(line("txtFileName_1")->text(), fromPath(temp / "out.txt"));
    EXPECT_EQ(boxBytes(box("txtChunk")), defaultChunk());

    // A UTF-8 input shows as it reads, and the out file keeps its bytes.
    temp.write("in.txt", "na\xC3\xAFve\r\nrivers\r\nlakes\r\n");
    setBoxBytes(box("txtChunk"), "\xA2=\xED\r\n");
    click("cmdGo");
    EXPECT_TRUE(recorder.only("done"));
    EXPECT_EQ(box("rich1")->toPlainText(), "na\u00EFve=10\n\nrivers=11\n\nlakes=12\n\n");
    EXPECT_EQ(status(), "Carpal Tunnel Repeats: 3 repetitions written to out.txt");

    // Double-up with an odd number of lines: the pair before stays.
    child<QCheckBox>("chkDoubleUp")->setChecked(true);
    click("cmdGo");
    EXPECT_TRUE(recorder.only("Error detected -- did you double up with an in.txt with an odd number of lines?\r\n62 :: "));
    EXPECT_EQ(box("rich1")->toPlainText(), "na\u00EFve=10\n\n");
    EXPECT_EQ(status(), "Carpal Tunnel Repeats: 1 repetition written to out.txt, then stopped by an error");
    EXPECT_EQ(test::readBytes(temp / "out.txt"), "na\xC3\xAFve=10\r\n");

    // A full disk: the box shows what was made, and a second message says out.txt was kept.
    child<QCheckBox>("chkDoubleUp")->setChecked(false);
    {
        const sys::FaultPlan full(sys::Call::Write, 1, ENOSPC);
        click("cmdGo");
    }
    ASSERT_EQ(recorder.messages.size(), 2) << recorder.messages.join("|").toStdString();
    EXPECT_TRUE(recorder.messages[0].startsWith("Error detected -- did you double up with an in.txt with an odd number of lines?\r\n61 :: "));
    EXPECT_EQ(recorder.messages[1], fromPath(temp / "out.txt") + " was not written: it holds what it held before the run.");
    recorder.messages.clear();
    EXPECT_EQ(status(), "Carpal Tunnel Repeats: stopped by an error, out.txt left as it was");
    EXPECT_EQ(box("rich1")->toPlainText(), "");  // nothing reached the file before the first write failed
    EXPECT_EQ(test::readBytes(temp / "out.txt"), "na\xC3\xAFve=10\r\n");

    line("txtFileName_1")->setText(line("txtFileName_0")->text());
    click("cmdGo");
    EXPECT_TRUE(recorder.only("", "same file"));

    // Change File picks a file; the editor buttons open the chosen or the default input file.
    test::FileDialogScript dialog({fromPath(temp / "other.txt")});
    click("cmdChangeFile_0");
    EXPECT_EQ(line("txtFileName_0")->text(), fromPath(temp / "other.txt"));
    ASSERT_EQ(dialog.requests.size(), 1u);
    EXPECT_TRUE(dialog.requests[0].filter.startsWith("Text Files (*.txt)") && dialog.requests[0].existingOnly);
    dialog.answer.clear();  // cancelled: the box keeps its path
    click("cmdChangeFile_1");
    EXPECT_EQ(line("txtFileName_1")->text(), fromPath(temp / "in.txt"));

    // Both editor buttons open their file with the editor chosen under Options > Editor; with none
    // to be found, the message says where to choose one.
    test::LaunchRecorder launches;
    test::FakePrograms editor(temp / "bin", {"myedit"});
    setEditorTemplate("myedit --line {line} {file}");
    click("cmdVim");
    click("cmdEditIn");  // always opens the default input file
    EXPECT_EQ(launches.launches, (std::vector<std::pair<QString, QStringList>>{
                                     {fromPath(temp / "bin/myedit"), {"--line", "1", fromPath(temp / "other.txt")}},
                                     {fromPath(temp / "bin/myedit"), {"--line", "1", fromPath(temp / "in.txt")}}}));
    test::FakePrograms none(temp / "none", {});
    setEditorTemplate({});
    click("cmdEditIn");
    EXPECT_TRUE(recorder.only("xdg-open could not be started", "Choose an editor under Options > Editor."));
    EXPECT_EQ(launches.launches.size(), 2u);
    EXPECT_EQ(test::readBytes(temp / "other.txt"), "") << "the named in file is created empty";

    closeWindow();
    EXPECT_EQ(test::readBytes(temp / "last.txt"), "\xA2=\xED\r\n\r\n");
    open("cmdOpenForm_3", "frmCarpalTunnel");
    EXPECT_EQ(boxBytes(box("txtChunk")), "\xA2=\xED\r\n");
    // A failed save shows one message and the window still closes.
    std::filesystem::remove(temp / "last.txt");
    temp.mkdir("last.txt");
    closeWindow();
    EXPECT_EQ(findOpenWindow("frmCarpalTunnel"), nullptr);
    EXPECT_TRUE(recorder.only("The chunk could not be saved."));
}

TEST_F(TextWindow, RowsToColsConvertsComplainsAndPrints)
{
    open("cmdOpenForm_11", "frmTwoTabbedRowsToCols");

    setBoxBytes(box("richIn"), "id\tname\r\n7\tAnn");
    click("cmdGo");
    EXPECT_EQ(boxBytes(box("richOut")), "id  \t7\r\nname\tAnn\r\n");
    EXPECT_EQ(status(), "Two lines of cols to two rows: 2 lines written");

    const auto pdf = temp / "printed.pdf";
    setPrintToPdf(fromPath(pdf));
    click("cmdPrint");
    EXPECT_EQ(recorder.messages, QStringList{"Printed to " + fromPath(pdf)});
    EXPECT_TRUE(QString::fromStdString(test::pdfText(pdf, {"-layout"})).simplified().startsWith("id 7 name Ann "));
    recorder.messages.clear();

    box("richIn")->setPlainText("only one line");
    click("cmdGo");
    EXPECT_EQ(recorder.messages, QStringList{"ensure that you've got two lines"});
    EXPECT_EQ(box("richOut")->toPlainText(), "");
}

TEST_F(TextWindow, CombinePicksBothFilesJoinsThemAndReportsAMissingOne)
{
    open("cmdOpenForm_8", "frmCombineFiles");
    // Each file's part of a line shows in that file's own encoding.
    temp.write("one/utf8.txt", "na\xC3\xAFve \r\n\xC3\xA9\r\nc\r\n");
    temp.write("two/cp1252.txt", "caf\xE9\r\nx\r\n");
    pick("Dir1", "List1", temp / "one", "utf8.txt");
    EXPECT_EQ(line("Text1")->text(), fromPath(temp / "one") + "/utf8.txt");
    pick("Dir2", "List2", temp / "two", "cp1252.txt");
    EXPECT_EQ(line("Text2")->text(), fromPath(temp / "two") + "/cp1252.txt");
    click("Command1");
    EXPECT_EQ(box("rich1")->toPlainText(), "na\u00EFve caf\u00E9\n\u00E9x\n");
    EXPECT_EQ(status(), "Combine: 2 lines combined, 1 line of file #1 (utf8.txt) left out");

    line("Text2")->setText(fromPath(temp / "missing.txt"));
    click("Command1");
    EXPECT_TRUE(recorder.only("53 :: ", "missing.txt"));
    // The real cause, in the command line's words.
    std::filesystem::create_symlink("loop", temp / "loop");
    for (const auto& [name, cause] : {std::pair{"loop", ": too many levels of links"}, std::pair{"two", ": is a folder, not a file"}}) {
        line("Text2")->setText(fromPath(temp / name));
        click("Command1");
        EXPECT_TRUE(recorder.only("75 :: " + fromPath(temp / name) + cause));
    }
    line("Text2")->clear();
    click("Command1");
    EXPECT_TRUE(recorder.messages.isEmpty());
    EXPECT_EQ(box("rich1")->toPlainText(), "na\u00EFve caf\u00E9\n\u00E9x\n");  // what failed changed nothing

    // The second file longer than the first.
    line("Text2")->setText(line("Text1")->text());
    line("Text1")->setText(fromPath(temp / "two/cp1252.txt"));
    click("Command1");
    EXPECT_EQ(status(), "Combine: 2 lines combined, 1 line of file #2 (utf8.txt) left out");
}

}  // namespace
}  // namespace qb
