// Both scanner windows, opened from the chooser and driven as a user would.
#include "shell/cp1252.h"
#include "shell/pickers.h"
#include "shell/printing.h"
#include "tools/scan/scanTools.h"

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "scanTrees.h"
#include "support/toolWindow.h"

namespace qb {
namespace {

class ScanWindows : public test::ToolWindowTest {
protected:
    static void SetUpTestSuite() { registerScanTools(); }

    std::string resultBytes() const { return boxBytes(box("Text1")); }
};

TEST_F(ScanWindows, FindSubsScansTheFolderAndListsWhatItCouldNotRead)
{
    temp.write("tree/a.bas", "Public Sub A()\r\nSub Main()\r\n");
    temp.write("tree/b.gif", "Public Sub Skipped()\r\n");
    test::makeUnreadableFile(temp / "tree/c.bas");
    temp.write("tree/sub/c.cls", "  Private Function C()\r\n");
    temp.write("tree/sub/d.bas", "Dim x\r\n");
    ASSERT_TRUE(open(9, "frmFindSubNFuncts"));
    EXPECT_EQ(window->windowTitle(), "Find VB Subs and Functs in source");
    EXPECT_EQ(child<QLabel>("Label1_0")->text(), "Pick home dir of project:");
    EXPECT_EQ(child<QLabel>("Label1_1")->text(), "All funct or subs");
    EXPECT_EQ(child<QLabel>("Label2")->text(), "Or pick selected files and then...");
    EXPECT_EQ(child<QPushButton>("cmdPickNGo")->text(), "GO!!!");
    EXPECT_EQ(child<QMenu>("mnuFile")->title(), "&File");
    EXPECT_EQ(child<QAction>("mnuPrint")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    EXPECT_EQ(box("Text1")->pos(), QPoint(224, 20));
    EXPECT_GT(box("Text1")->width(), 469);  // maximised, the box has stretched

    runIn(temp / "tree", "cmdGo");
    EXPECT_EQ(resultBytes(), (temp / "tree/a.bas").string() + "\r\n\tPublic Sub A()\r\n" +
                                 (temp / "tree/sub/c.cls").string() + "\r\n\t  Private Function C()\r\n");
    EXPECT_EQ(window->windowTitle(), fromPath(temp / "tree/sub/d.bas"));
    ASSERT_EQ(recorder.messages.size(), 1);
    const QStringList lines = recorder.messages[0].split('\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], "This could not be read and was skipped:");
    EXPECT_TRUE(lines[1].startsWith("57 :: " + fromPath(temp / "tree/c.bas"))) << lines[1].toStdString();
}

TEST_F(ScanWindows, FindSubsScansPickedFilesInTheirOrder)
{
    const auto first = temp.write("z.bas", "Public Sub Z()\r\n");
    const auto second = temp.write("m.bas", "Sub Main()\r\n");
    const auto third = temp.write("a.cls", "Private Sub A()\r\n");
    const auto skipListed = temp.write("s.zip", "Public Sub S()\r\n");
    ASSERT_TRUE(open(9, "frmFindSubNFuncts"));
    box("Text1")->setPlainText("before");

    test::FileDialogScript dialog;  // cancelled: nothing happens
    click("cmdPickNGo");
    EXPECT_EQ(box("Text1")->toPlainText(), "before");

    dialog.answer = {fromPath(first), fromPath(temp.path()), fromPath(second), fromPath(temp / "missing.bas"),
                     fromPath(skipListed), fromPath(third)};
    click("cmdPickNGo");
    EXPECT_EQ(resultBytes(), first.string() + "\r\n\tPublic Sub Z()\r\n" + third.string() + "\r\n\tPrivate Sub A()\r\n");
    EXPECT_EQ(window->windowTitle(), fromPath(third));
    ASSERT_EQ(dialog.requests.size(), 2u);
    EXPECT_TRUE(dialog.requests[1].multiple);
    EXPECT_EQ(dialog.requests[1].filter, "everything (*)");
    EXPECT_TRUE(recorder.messages.isEmpty());
}

TEST_F(ScanWindows, FindTodosScansTheFolder)
{
    temp.write("tree/a.bas", "x ' TODO: a\r\n' more\r\n");
    temp.write("tree/logo.gif", "' TODO: skipped\r\n");
    temp.write("tree/sub/b.cpp", "// TODO: b\r\n// TODO: c\r\n");
    ASSERT_TRUE(open(7, "frmFindTodos"));
    EXPECT_EQ(window->windowTitle(), "Find lines in code with \"TODO\" in 'em");
    EXPECT_EQ(child<QLabel>("Label1_1")->text(), "All lines with TODO: at the start (TODO in caps)");
    EXPECT_EQ(child<QMenu>("mnuFile")->title(), "File");
    EXPECT_EQ(box("Text1")->pos(), QPoint(232, 28));

    runIn(temp / "tree", "cmdGo");
    const std::string separator = "*************************\r\n";
    EXPECT_EQ(resultBytes(), separator + "File: " + (temp / "tree/a.bas").string() + "\r\nx ' TODO: a\r\n' more\r\n\r\n\r\n" +
                                 separator + "\r\n" + separator + "File: " + (temp / "tree/sub/b.cpp").string() +
                                 "\r\n// TODO: b\r\n\r\n// TODO: c\r\n\r\n\r\n" + separator + "\r\n");
    EXPECT_EQ(window->windowTitle(), fromPath(temp / "tree/sub/b.cpp"));
    EXPECT_TRUE(recorder.messages.isEmpty());
}

// A scan runs off the window thread: while it goes, the window can be moved and repainted, its
// controls are disabled and the result box keeps its text; the report comes once, at the end.
TEST_F(ScanWindows, WindowStaysResponsiveWhileItScans)
{
    for (int i = 0; i < 60; ++i)
        temp.write("tree/d" + std::to_string(i % 6) + "/f" + std::to_string(i) + ".bas", "x ' TODO: x\r\n");
    ASSERT_TRUE(open(7, "frmFindTodos"));
    ASSERT_TRUE(child<FolderPicker>("Dir1")->setPath(fromPath(temp / "tree")));
    box("Text1")->setPlainText("before");
    QSignalSpy changes(box("Text1"), &QPlainTextEdit::textChanged);
    {
        test::RunGate gate;
        QTest::mouseClick(child<QPushButton>("cmdGo"), Qt::LeftButton);
        while (!gate.reached())
            QCoreApplication::processEvents();
        QMdiSubWindow* sub = frame.workspace()->activeSubWindow();
        sub->showNormal();
        sub->move(40, 30);
        QCoreApplication::processEvents();
        EXPECT_EQ(sub->pos(), QPoint(40, 30));
        EXPECT_FALSE(window->grab().isNull());
        EXPECT_FALSE(child<QPushButton>("cmdGo")->isEnabled());
        EXPECT_FALSE(child<FolderPicker>("Dir1")->isEnabled());
        EXPECT_EQ(changes.count(), 0);
        EXPECT_EQ(box("Text1")->toPlainText(), "before");
    }
    EXPECT_EQ(changes.count(), 1);
    EXPECT_TRUE(child<QPushButton>("cmdGo")->isEnabled());
    EXPECT_EQ(box("Text1")->toPlainText().count("File: "), 60);
    EXPECT_TRUE(recorder.messages.isEmpty());
}

// Both windows print with Ctrl+P: the key goes to the active one only, and the text is in the
// PDF by the time the user is told.
TEST_F(ScanWindows, QuickPrintOfTheActiveWindow)
{
    QWidget* todos = open(7, "frmFindTodos");
    QWidget* subs = open(9, "frmFindSubNFuncts");
    ASSERT_TRUE(todos && subs);
    child<QPlainTextEdit>(todos, "Text1")->setPlainText("' TODO: printed marker");
    auto* text = child<QPlainTextEdit>(subs, "Text1");
    text->setPlainText("Public Sub PrintedDeclaration()");
    text->setFocus();
    QTest::keyClick(text, Qt::Key_P, Qt::ControlModifier);
    const QString done = "Printin', yo\r\nPrinted to " + fromPath(temp / "print.pdf");
    EXPECT_EQ(recorder.messages, QStringList{done});
    EXPECT_NE(test::pdfText(temp / "print.pdf").find("Public Sub PrintedDeclaration()"), std::string::npos);
    child<QAction>(todos, "mnuPrint")->trigger();
    EXPECT_EQ(recorder.messages, QStringList(2, done));
    const std::string printed = test::pdfText(temp / "print.pdf");
    EXPECT_NE(printed.find("' TODO: printed marker"), std::string::npos) << printed;
    EXPECT_EQ(printed.find("PrintedDeclaration"), std::string::npos) << "each print is its own document";
}

TEST_F(ScanWindows, PrintFailureShowsTheError)
{
    setPrintToPdf(fromPath(temp / "missing" / "print.pdf"));
    ASSERT_TRUE(open(7, "frmFindTodos"));
    child<QAction>("mnuPrint")->trigger();
    ASSERT_EQ(recorder.messages.size(), 1);
    EXPECT_TRUE(recorder.messages[0].startsWith("57 :: ")) << recorder.messages[0].toStdString();
}

}  // namespace
}  // namespace qb
