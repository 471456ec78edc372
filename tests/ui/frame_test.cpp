// The frame, its menus and the chooser, driven as a user would: every window is found by name.
#include "ui/frmMain.h"
#include "ui/frmWhichGizmet.h"
#include "ui/windows.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScreen>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "support/recorder.h"

namespace qb {
namespace {

// A stand-in tool window with one text box; counts how often it was built (loaded).
int probeLoads = 0;

QWidget* makeProbe()
{
    ++probeLoads;
    auto* window = new QWidget;
    window->setWindowTitle("probe");
    auto* text = new QLineEdit(window);
    text->setObjectName("Text1");
    text->setFocus();  // as a window that puts the caret in its first box while it loads
    return window;
}

class Frame : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // Two stand-ins in the tools' places, and one tool whose window is not in this program.
        registerTool({"frmEraseChunks", "&Erase and Spew Chunks", 2,
                      ToolMenuEntry{"mnuEraseChunks", "&Erase Chunks", QKeySequence(Qt::Key_F3), 3}, makeProbe});
        registerTool({"frmHex2Dec", "Hex 2 &Dec 2 Hex 2...", 4, std::nullopt, makeProbe});
        registerTool({"frmFindTodos", "Find &TODOs", 7, std::nullopt, {}});
    }
    void SetUp() override
    {
        probeLoads = 0;
        frame->show();
        QApplication::setActiveWindow(frame.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    }

    QMdiSubWindow* active() const { return frame->workspace()->activeSubWindow(); }
    QString activeName() const { return active() ? active()->widget()->objectName() : QString(); }
    QLineEdit* activeText() const { return active()->widget()->findChild<QLineEdit*>("Text1"); }
    QStringList openNames() const
    {
        QStringList names;
        for (auto* sub : frame->workspace()->subWindowList())
            names << sub->widget()->objectName();
        return names;
    }
    void key(Qt::Key k, Qt::KeyboardModifiers m = {}) { QTest::keyClick(frame.get(), k, m); }
    QAction* action(const char* name) const { return frame->findChild<QAction*>(name); }
    // A new frame, as the next run of the program starts it.
    void restart()
    {
        frame->close();
        frame = std::make_unique<frmMain>();
        frame->show();
        QApplication::processEvents();
    }
    void click(int i)
    {
        QTest::mouseClick(frame->findChild<QPushButton*>("cmdOpenForm_" + QString::number(i)), Qt::LeftButton);
    }

    test::FreshSettings settings;
    test::MessageRecorder recorder;
    std::unique_ptr<frmMain> frame = std::make_unique<frmMain>();
};

// One window per class: opened again it comes back as it was, maximised; closed, the next
// opening builds it anew. Closing the frame deletes every child.
TEST_F(Frame, WindowsComeBackAsTheyWereUntilClosed)
{
    EXPECT_EQ(openNames(), QStringList{"frmWhichGizmet"});
    EXPECT_TRUE(active()->isMaximized());
    key(Qt::Key_F3);
    ASSERT_EQ(activeName(), "frmEraseChunks");
    QWidget* first = active()->widget();
    activeText()->setText("typed");
    key(Qt::Key_F1, Qt::ControlModifier);
    EXPECT_EQ(activeName(), "frmWhichGizmet");
    key(Qt::Key_F3);
    EXPECT_EQ(active()->widget(), first);
    EXPECT_TRUE(active()->isMaximized());
    EXPECT_EQ(activeText()->text(), "typed");
    EXPECT_EQ(openNames(), (QStringList{"frmWhichGizmet", "frmEraseChunks"}));

    active()->close();
    QApplication::processEvents();
    click(2);  // the chooser's button opens the same window anew
    ASSERT_EQ(activeName(), "frmEraseChunks");
    EXPECT_EQ(activeText()->text(), "");
    EXPECT_EQ(probeLoads, 2);

    QPointer<QWidget> tool = active()->widget();
    EXPECT_TRUE(frame->close());
    QApplication::processEvents();
    EXPECT_TRUE(frame->workspace()->subWindowList().isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(tool.isNull());
}

TEST_F(Frame, MissingToolsAnswerNotFoundAndChangeNothing)
{
    key(Qt::Key_F3);
    const QStringList before = openNames();
    key(Qt::Key_F1);
    key(Qt::Key_F2);
    for (int index : {0, 1, 7})  // 7: a tool whose window is not in this program
        click(index);
    frame->findChild<frmWhichGizmet*>()->cmdOpenForm_Click(13);
    frame->findChild<frmWhichGizmet*>()->cmdOpenForm_Click(-1);
    EXPECT_EQ(recorder.messages, QStringList(5, "not found") + QStringList(2, "That ain't no option"));
    EXPECT_EQ(openNames(), before);
}

// The first start fits the frame to the screen (here smaller than the frame's own size) and
// centres it; later starts put it back as it was left, maximised included, and the option
// "Remember folders and paths" (on at first) as it was set.
TEST_F(Frame, FitsTheScreenThenComesBackAsLeft)
{
    const QRect available = frame->screen()->availableGeometry();
    ASSERT_LT(available.width(), 1117) << "the test screen must be smaller than the frame";
    EXPECT_TRUE(available.contains(frame->frameGeometry()));
    EXPECT_NEAR(frame->geometry().center().x(), available.center().x(), 1);
    EXPECT_GT(frame->width(), available.width() * 9 / 10);
    ASSERT_TRUE(action("mnuRememberInputs")->isChecked());

    const QRect left(40, 50, 500, 400);
    frame->setGeometry(left);
    action("mnuRememberInputs")->trigger();
    restart();
    EXPECT_EQ(frame->geometry(), left);
    EXPECT_FALSE(frame->isMaximized());
    EXPECT_FALSE(action("mnuRememberInputs")->isChecked());
    frame->showMaximized();
    restart();
    EXPECT_TRUE(frame->isMaximized());
}

// Cascade and tile arrange every child, Ctrl+Tab and Ctrl+Shift+Tab move between them, the list
// shows them with the active one checked, and Ctrl+F4, Ctrl+W and Close All close them.
TEST_F(Frame, WindowMenuArrangesListsAndClosesTheChildren)
{
    key(Qt::Key_F3);
    click(4);
    QMdiArea* workspace = frame->workspace();
    ASSERT_EQ(openNames(), (QStringList{"frmWhichGizmet", "frmEraseChunks", "frmHex2Dec"}));
    QMenu* menu = frame->findChild<QMenu*>("mnuWindow");
    ASSERT_TRUE(menu);

    // Tiled, no two children overlap; cascaded, each starts further right.
    const auto places = [&] {
        QList<QRect> rects;
        for (QMdiSubWindow* sub : workspace->subWindowList())
            rects << sub->geometry();
        return rects;
    };
    action("mnuTile")->trigger();
    QList<QRect> at = places();
    EXPECT_FALSE(at[0].intersects(at[1]) || at[0].intersects(at[2]) || at[1].intersects(at[2]));
    action("mnuCascade")->trigger();
    at = places();
    EXPECT_EQ((QSet<int>{at[0].x(), at[1].x(), at[2].x()}.size()), 3);

    key(Qt::Key_Tab, Qt::ControlModifier);  // from the last opened, round to the first
    EXPECT_EQ(activeName(), "frmWhichGizmet");
    key(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(activeName(), "frmHex2Dec");

    frame->updateWindowMenu();
    QStringList entries;
    for (int i = 0; i < 3; ++i) {
        QAction* entry = action(QStringLiteral("mnuWindowList_%1").arg(i).toLatin1());
        ASSERT_TRUE(entry) << i;
        entries << entry->text() + (entry->isChecked() ? " *" : "");
    }
    // Each by its tool's name from the chooser (or the menu entry that opens it), then its caption.
    EXPECT_EQ(entries, (QStringList{"&1 Complete List - Gizmet Selection", "&2 Erase and Spew Chunks - probe",
                                    "&3 Hex 2 Dec 2 Hex 2... - probe *"}));
    action("mnuWindowList_0")->trigger();
    EXPECT_EQ(activeName(), "frmWhichGizmet");

    key(Qt::Key_F4, Qt::ControlModifier);
    key(Qt::Key_W, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_EQ(openNames().size(), 1);
    action("mnuCloseAll")->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(openNames().isEmpty());
    EXPECT_FALSE(action("mnuClose")->isEnabled());
}

}  // namespace
}  // namespace qb
