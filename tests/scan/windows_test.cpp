// Both scanner windows, opened from the chooser and driven as a user would.
#include "shell/frmMain.h"
#include "shell/pickers.h"
#include "shell/printing.h"
#include "shell/cp1252.h"
#include "tools/scan/scanTools.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "scanTrees.h"
#include "support/recorder.h"

namespace qb {
namespace {

std::string pdfText(const std::filesystem::path& pdf)
{
    QProcess pdftotext;
    pdftotext.start("pdftotext", {fromPath(pdf), "-"});
    if (!pdftotext.waitForFinished(30000) || pdftotext.exitCode() != 0)
        return "<pdftotext failed>";
    return pdftotext.readAllStandardOutput().toStdString();
}

class ScanWindows : public ::testing::Test {
protected:
    static void SetUpTestSuite() { registerScanTools(); }

    void SetUp() override
    {
        frame = std::make_unique<frmMain>();
        frame->show();
        QApplication::setActiveWindow(frame.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
        setPrintToPdf(fromPath(temp / "print.pdf"));
    }
    void TearDown() override
    {
        (void)endPrintDocument();
        setPrintToPdf({});
    }

    // Opens a tool by its chooser button and checks it came up by the opening rule.
    QWidget* openByChooser(int index, const char* name)
    {
        auto* button = frame->findChild<QPushButton*>(QStringLiteral("cmdOpenForm_%1").arg(index));
        EXPECT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
        QMdiSubWindow* sub = frame->workspace()->activeSubWindow();
        EXPECT_TRUE(sub && sub->widget() && sub->widget()->objectName() == name);
        EXPECT_TRUE(sub && sub->isMaximized());
        return sub ? sub->widget() : nullptr;
    }

    template <class T>
    static T* child(QWidget* window, const char* name)
    {
        T* found = window->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    static void scanFolder(QWidget* window, const std::filesystem::path& folder)
    {
        ASSERT_TRUE(child<FolderPicker>(window, "Dir1")->setPath(fromPath(folder)));
        QTest::mouseClick(child<QPushButton>(window, "cmdGo"), Qt::LeftButton);
    }

    static std::string resultBytes(QWidget* window) { return boxBytes(child<QPlainTextEdit>(window, "Text1")); }

    test::TempDir temp;
    test::MessageRecorder recorder;
    std::unique_ptr<frmMain> frame;
};

TEST_F(ScanWindows, FindSubsScansTheFolderAndListsWhatItCouldNotRead)
{
    temp.write("tree/a.bas", "Public Sub A()\r\nSub Main()\r\n");
    temp.write("tree/b.gif", "Public Sub Skipped()\r\n");
    test::makeUnreadableFile(temp / "tree/c.bas");
    temp.write("tree/sub/c.cls", "  Private Function C()\r\n");
    temp.write("tree/sub/d.bas", "Dim x\r\n");
    QWidget* window = openByChooser(9, "frmFindSubNFuncts");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Find VB Subs and Functs in source");
    EXPECT_EQ(child<QLabel>(window, "Label1_0")->text(), "Pick home dir of project:");
    EXPECT_EQ(child<QLabel>(window, "Label1_1")->text(), "All funct or subs");
    EXPECT_EQ(child<QLabel>(window, "Label2")->text(), "Or pick selected files and then...");
    EXPECT_EQ(child<QPushButton>(window, "cmdPickNGo")->text(), "GO!!!");
    EXPECT_EQ(child<QMenu>(window, "mnuFile")->title(), "&File");
    EXPECT_EQ(child<QAction>(window, "mnuPrint")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    auto* box = child<QPlainTextEdit>(window, "Text1");
    EXPECT_EQ(box->pos(), QPoint(224, 20));
    EXPECT_GT(box->width(), 469);  // maximised, the box has stretched

    scanFolder(window, temp / "tree");
    EXPECT_EQ(resultBytes(window), (temp / "tree/a.bas").string() + "\r\n\tPublic Sub A()\r\n" +
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
    QWidget* window = openByChooser(9, "frmFindSubNFuncts");
    ASSERT_NE(window, nullptr);
    auto* box = child<QPlainTextEdit>(window, "Text1");
    box->setPlainText("before");

    test::FileDialogScript dialog;  // cancelled: nothing happens
    QTest::mouseClick(child<QPushButton>(window, "cmdPickNGo"), Qt::LeftButton);
    EXPECT_EQ(box->toPlainText(), "before");

    dialog.answer = {fromPath(first), fromPath(temp.path()), fromPath(second), fromPath(temp / "missing.bas"),
                     fromPath(skipListed), fromPath(third)};
    QTest::mouseClick(child<QPushButton>(window, "cmdPickNGo"), Qt::LeftButton);
    EXPECT_EQ(resultBytes(window), first.string() + "\r\n\tPublic Sub Z()\r\n" + third.string() + "\r\n\tPrivate Sub A()\r\n");
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
    QWidget* window = openByChooser(7, "frmFindTodos");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Find lines in code with \"TODO\" in 'em");
    EXPECT_EQ(child<QLabel>(window, "Label1_1")->text(), "All lines with TODO: at the start (TODO in caps)");
    EXPECT_EQ(child<QMenu>(window, "mnuFile")->title(), "File");
    EXPECT_EQ(child<QPlainTextEdit>(window, "Text1")->pos(), QPoint(232, 28));

    scanFolder(window, temp / "tree");
    const std::string separator = "*************************\r\n";
    EXPECT_EQ(resultBytes(window), separator + "File: " + (temp / "tree/a.bas").string() + "\r\nx ' TODO: a\r\n' more\r\n\r\n\r\n" +
                                       separator + "\r\n" + separator + "File: " + (temp / "tree/sub/b.cpp").string() +
                                       "\r\n// TODO: b\r\n\r\n// TODO: c\r\n\r\n\r\n" + separator + "\r\n");
    EXPECT_EQ(window->windowTitle(), fromPath(temp / "tree/sub/b.cpp"));
    EXPECT_TRUE(recorder.messages.isEmpty());
}

// Both windows print with Ctrl+P: the key goes to the active one only, and the text reaches the
// print document.
TEST_F(ScanWindows, QuickPrintOfTheActiveWindow)
{
    QWidget* todos = openByChooser(7, "frmFindTodos");
    QWidget* subs = openByChooser(9, "frmFindSubNFuncts");
    ASSERT_TRUE(todos && subs);
    child<QPlainTextEdit>(todos, "Text1")->setPlainText("' TODO: printed marker");
    auto* box = child<QPlainTextEdit>(subs, "Text1");
    box->setPlainText("Public Sub PrintedDeclaration()");
    box->setFocus();
    QTest::keyClick(box, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(recorder.messages, QStringList{"Printin', yo"});
    child<QAction>(todos, "mnuPrint")->trigger();
    EXPECT_EQ(recorder.messages, QStringList(2, "Printin', yo"));

    ASSERT_TRUE(endPrintDocument());
    const std::string printed = pdfText(temp / "print.pdf");
    EXPECT_NE(printed.find("Public Sub PrintedDeclaration()\n' TODO: printed marker"), std::string::npos) << printed;
}

TEST_F(ScanWindows, PrintFailureShowsTheError)
{
    setPrintToPdf(fromPath(temp / "missing" / "print.pdf"));
    QWidget* todos = openByChooser(7, "frmFindTodos");
    ASSERT_NE(todos, nullptr);
    child<QAction>(todos, "mnuPrint")->trigger();
    ASSERT_EQ(recorder.messages.size(), 1);
    EXPECT_TRUE(recorder.messages[0].startsWith("57 :: ")) << recorder.messages[0].toStdString();
}

}  // namespace
}  // namespace qb
