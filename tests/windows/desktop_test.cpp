// The frame as a desktop user drives it with the keyboard: access keys that reach the active
// tool's own controls, Ctrl+Q, a status bar whose summary outlasts the menus, and runs that block
// only their own window.
#include "ui/backgroundRun.h"
#include "ui/cp1252.h"
#include "ui/pickers.h"
#include "ui/windows.h"
#include "support/toolWindow.h"
#include "tools/registry.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

namespace qb {
namespace {

class Desktop : public test::ToolWindowTest {
protected:
    static void SetUpTestSuite() { registerAllTools(); }

    QMenu* menu(const QWidget* in, const char* name) const { return child<QMenu>(in, name); }
};

// Alt and a letter goes to the active tool's own button, check box or menu with that access key,
// even where the frame's menu bar has the letter too ("&Gizmets", "&File", "&Options"), and a
// text box holding the focus never takes the letter as typing. A letter the tool does not use
// still opens the frame's menu.
TEST_F(Desktop, AccessKeysReachTheActiveToolsOwnControls)
{
    temp.write("in.txt", "a\r\nb\r\n");
    struct Row {
        const char *opener, *name, *focus;
        Qt::Key key;
        std::function<bool()> happened;
        std::function<void()> before = {};
    };
    const Row rows[] = {
        {"cmdOpenForm_3", "frmCarpalTunnel", "txtChunk", Qt::Key_G,
         [this] { return status().startsWith("Carpal Tunnel Repeats: 2 repetitions"); }},
        {"cmdOpenForm_4", "frmHex2Dec", "Text1", Qt::Key_G,
         [this] { return line("Text2")->text() == "31" && line("Text1")->text() == "1F"; },
         [this] { line("Text1")->setText("1F"); }},
        {"cmdOpenForm_10", "frmMakeLinktables", "txtName", Qt::Key_O,  // "&Options" in the frame
         [this] { return child<QAbstractButton>("optOracle")->isChecked(); },
         [this] { child<QAbstractButton>("optSql")->setChecked(true); }},
        {"cmdOpenForm_6", "frmUpdateFiles", "List1", Qt::Key_R,
         [this] { return child<QListWidget>("List1")->count() == 0; },
         [this] {
             child<QListWidget>("List1")->addItem("x");
             child<QListWidget>("List1")->setCurrentRow(0);
         }},
        {"cmdOpenForm_9", "frmFindSubNFuncts", "Dir1", Qt::Key_F,  // its own "&File", not the frame's
         [this] { return menu(window, "mnuFile")->isVisible() && !menu(&frame, "mnuFrameFile")->isVisible(); }},
        {"mnuWhichGizmet", "frmWhichGizmet", "cmdOpenForm_0", Qt::Key_D,
         [this] { return findOpenWindow("frmHex2Dec") && frame.workspace()->activeSubWindow()->widget()
                                                                      == findOpenWindow("frmHex2Dec"); }},
        {"cmdOpenForm_4", "frmHex2Dec", "Text1", Qt::Key_W,  // no control of its own: the frame's menu
         [this] { return menu(&frame, "mnuWindow")->isVisible() && line("Text1")->text().isEmpty(); },
         [this] { line("Text1")->clear(); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.name) + " Alt+" + QKeySequence(row.key).toString().toStdString());
        ASSERT_TRUE(open(row.opener, row.name));
        recorder.messages.clear();
        if (row.before)
            row.before();
        QWidget* focus = child<QWidget>(row.focus);
        focus->setFocus();
        QTest::keyClick(focus, row.key, Qt::AltModifier);
        EXPECT_TRUE(QTest::qWaitFor([&] { return row.happened(); }, 2000));
        while (QWidget* popup = QApplication::activePopupWidget())  // whatever menu popped up is closed again
            popup->close();
        test::waitForRuns();
    }
}

// File > Exit (Ctrl+Q) closes every tool window as its own close would, so each keeps what it
// keeps (the repeater its chunk, every window its inputs), and the frame closes.
TEST_F(Desktop, CtrlQClosesEveryWindowTheUsualWayAndTheFrame)
{
    ASSERT_TRUE(open("cmdOpenForm_3", "frmCarpalTunnel"));
    setBoxBytes(box("txtChunk"), "kept \xA2");
    ASSERT_TRUE(open("cmdOpenForm_6", "frmUpdateFiles"));
    const QString listed = fromPath(temp.write("new.txt", "x"));
    child<QListWidget>("List1")->addItem(listed);
    QPointer<QWidget> repeater = findOpenWindow("frmCarpalTunnel");

    line("txtNewFilePath")->setFocus();
    QTest::keyClick(line("txtNewFilePath"), Qt::Key_Q, Qt::ControlModifier);
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(frame.isVisible());
    EXPECT_TRUE(frame.workspace()->subWindowList().isEmpty());
    EXPECT_TRUE(repeater.isNull());
    EXPECT_EQ(test::readBytes(temp / "last.txt"), "kept \xA2\r\n");
    EXPECT_EQ(frame.findChild<QAction*>("mnuExit")->text(), "E&xit");

    frmMain next;  // the next start of the program
    next.show();
    QWidget* update = openWindow("frmUpdateFiles");
    ASSERT_TRUE(update);
    ASSERT_EQ(child<QListWidget>(update, "List1")->count(), 1);
    EXPECT_EQ(child<QListWidget>(update, "List1")->item(0)->text(), listed);
}

// A run's summary stays in the status bar while menus come and go and show their tips.
TEST_F(Desktop, StatusBarKeepsTheSummaryWhileMenusShowTheirTips)
{
    ASSERT_TRUE(open("cmdOpenForm_4", "frmHex2Dec"));
    line("Text1")->setText("1F,ff");
    click("Command1");
    const QString summary = "Hex 2 Dec 2 Hex 2...: 2 numbers converted";
    ASSERT_EQ(status(), summary);
    for (const char* name : {"mnuFrameFile", "mnuGizmets"}) {
        QMenu* opened = menu(&frame, name);
        frame.menuBar()->setActiveAction(opened->menuAction());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(opened));
        opened->setActiveAction(opened->actions().first());  // as the pointer resting on it
        QApplication::processEvents();
        if (opened->actions().first()->objectName() == "mnuExit") {
            EXPECT_EQ(frame.statusBar()->currentMessage(), "Close every tool window and end Quillbox");
        }
        opened->close();
        QApplication::processEvents();
        EXPECT_EQ(status(), summary) << name;
    }
}

// While one tool runs, only its window is blocked: its progress dialog blocks nothing else and
// steps aside while another tool is worked in. Closing the running window stops the run at once
// and safely, and the frame goes on.
TEST_F(Desktop, ARunBlocksOnlyItsOwnWindowAndStopsWhenItIsClosed)
{
    constexpr int files = 1000;  // at 10 ms each, far longer than the test needs
    for (int i = 0; i < files; ++i)
        temp.write("tree/f" + std::to_string(i) + ".bas", "' TODO: x\r\n");
    std::atomic<int> handled = 0;
    BackgroundRun::setProgressHook([&handled] {
        ++handled;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    });
    struct Unhook { ~Unhook() { BackgroundRun::setProgressHook({}); } } unhook;

    ASSERT_TRUE(open("cmdOpenForm_7", "frmFindTodos"));
    QWidget* todos = window;
    ASSERT_TRUE(child<FolderPicker>("Dir1")->setPath(fromPath(temp / "tree")));
    QTest::mouseClick(child<QPushButton>("cmdGo"), Qt::LeftButton);
    QPointer<QProgressDialog> dialog;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (dialog = todos->findChild<QProgressDialog*>()) && dialog->isVisible(); }));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_FALSE(child<QPushButton>("cmdGo")->isEnabled());

    QTest::keyClick(&frame, Qt::Key_F3);  // another tool, usable meanwhile
    ASSERT_EQ(frame.workspace()->activeSubWindow()->widget(), findOpenWindow("frmEraseChunks"));
    QPlainTextEdit* chunk = child<QPlainTextEdit>(findOpenWindow("frmEraseChunks"), "richChunk");
    chunk->clear();
    chunk->setFocus();
    QTest::keyClicks(chunk, "typed");
    EXPECT_EQ(chunk->toPlainText(), "typed");
    ASSERT_TRUE(dialog);
    EXPECT_FALSE(dialog->isVisible());
    frame.workspace()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(todos->parentWidget()));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(BackgroundRun::active(), 1);

    QTest::keyClick(&frame, Qt::Key_W, Qt::ControlModifier);  // closes the running window
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(BackgroundRun::active(), 0);
    const int atClose = handled;
    EXPECT_LT(atClose, files);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(handled, atClose);  // nothing goes on behind the closed window
    EXPECT_EQ(findOpenWindow("frmFindTodos"), nullptr);
    EXPECT_EQ(chunk->toPlainText(), "typed");
    EXPECT_TRUE(recorder.messages.isEmpty());

    // Ctrl+Q in the middle of a run ends it the same way.
    ASSERT_TRUE(open("cmdOpenForm_7", "frmFindTodos"));
    ASSERT_TRUE(child<FolderPicker>("Dir1")->setPath(fromPath(temp / "tree")));
    handled = 0;
    QTest::mouseClick(child<QPushButton>("cmdGo"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return handled > 0; }));
    QTest::keyClick(&frame, Qt::Key_Q, Qt::ControlModifier);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(frame.isVisible());
    EXPECT_EQ(BackgroundRun::active(), 0);
    EXPECT_LT(handled, files);
}

}  // namespace
}  // namespace qb
