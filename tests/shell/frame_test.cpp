// The frame, its menu and the chooser, driven as a user would: every window is found by name.
#include "shell/frmMain.h"
#include "shell/frmWhichGizmet.h"
#include "shell/windows.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include "support/recorder.h"

namespace qb {
namespace {

// A stand-in tool window: one text box, and a count of how often it was built (loaded).
int probeLoads = 0;

QWidget* makeProbe()
{
    ++probeLoads;
    auto* window = new QWidget;
    window->setWindowTitle("Probe");
    auto* text = new QLineEdit(window);
    text->setObjectName("Text1");
    text->setFocus();  // as a window that puts the caret in its first box while it loads
    return window;
}

class Frame : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        registerWindow("frmEraseChunks", makeProbe);
        registerWindow("frmHex2Dec", makeProbe);
    }

    void SetUp() override
    {
        probeLoads = 0;
        frame = std::make_unique<frmMain>();
        frame->show();
        QApplication::setActiveWindow(frame.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    }

    QMdiSubWindow* active() const { return frame->workspace()->activeSubWindow(); }
    QString activeName() const { return active() && active()->widget() ? active()->widget()->objectName() : QString(); }
    QStringList openNames() const
    {
        QStringList names;
        for (auto* sub : frame->workspace()->subWindowList())
            names << sub->widget()->objectName();
        return names;
    }
    QAction* menuEntry(const char* name) const { return frame->findChild<QAction*>(name); }
    QPushButton* chooserButton(int index) const
    {
        return frame->findChild<QPushButton*>(QStringLiteral("cmdOpenForm_%1").arg(index));
    }

    test::MessageRecorder recorder;
    std::unique_ptr<frmMain> frame;
};

TEST_F(Frame, StartsWithTheChooserMaximised)
{
    // A maximised child adds its own caption behind the frame's, as multiple-document frames do.
    EXPECT_TRUE(frame->windowTitle().startsWith(
        "Quillbox v1.0 - If you're expecting pretty, you're in the wrong place."))
        << frame->windowTitle().toStdString();
    EXPECT_EQ(openNames(), QStringList{"frmWhichGizmet"});
    EXPECT_EQ(activeName(), "frmWhichGizmet");
    EXPECT_TRUE(active()->isMaximized());
    EXPECT_EQ(active()->windowTitle(), "Gizmet Selection");
}

TEST_F(Frame, MenuEntriesHaveTheirCaptionsAndKeys)
{
    struct Entry { const char* name; const char* caption; QKeySequence key; };
    const Entry entries[] = {
        {"mnuWhichGizmet", "&Complete List", QKeySequence(Qt::CTRL | Qt::Key_F1)},
        {"mnuTags", "&Tag Insert", QKeySequence(Qt::Key_F1)},
        {"mnuInsert", "Property Insert (into tag)", QKeySequence(Qt::Key_F2)},
        {"mnuEraseChunks", "&Erase Chunks", QKeySequence(Qt::Key_F3)},
        {"mnuSNP", "Search and Replace from file", QKeySequence(Qt::Key_F4)},
    };
    for (const Entry& entry : entries) {
        QAction* action = menuEntry(entry.name);
        ASSERT_NE(action, nullptr) << entry.name;
        EXPECT_EQ(action->text(), entry.caption);
        EXPECT_EQ(action->shortcut(), entry.key) << entry.name;
    }
}

TEST_F(Frame, SecondOpenBringsTheSameWindowBackWithItsText)
{
    QTest::keyClick(frame.get(), Qt::Key_F3);
    ASSERT_EQ(activeName(), "frmEraseChunks");
    QWidget* first = active()->widget();
    first->findChild<QLineEdit*>("Text1")->setText("typed");

    QTest::keyClick(frame.get(), Qt::Key_F1, Qt::ControlModifier);
    EXPECT_EQ(activeName(), "frmWhichGizmet");
    QTest::keyClick(frame.get(), Qt::Key_F3);

    EXPECT_EQ(active()->widget(), first);
    EXPECT_TRUE(active()->isMaximized());
    EXPECT_EQ(first->findChild<QLineEdit*>("Text1")->text(), "typed");
    EXPECT_EQ(probeLoads, 1);
    EXPECT_EQ(openNames().count("frmEraseChunks"), 1);
}

TEST_F(Frame, ClosedWindowOpensAgainFresh)
{
    QTest::mouseClick(chooserButton(4), Qt::LeftButton);
    ASSERT_EQ(activeName(), "frmHex2Dec");
    active()->widget()->findChild<QLineEdit*>("Text1")->setText("typed");
    active()->close();
    QApplication::processEvents();
    EXPECT_FALSE(openNames().contains("frmHex2Dec"));

    QTest::mouseClick(chooserButton(4), Qt::LeftButton);
    ASSERT_EQ(activeName(), "frmHex2Dec");
    EXPECT_EQ(active()->widget()->findChild<QLineEdit*>("Text1")->text(), "");
    EXPECT_EQ(probeLoads, 2);
    EXPECT_TRUE(active()->isMaximized());

    // Opening another window right after one closed still maximises it.
    active()->close();
    QApplication::processEvents();
    QTest::keyClick(frame.get(), Qt::Key_F3);
    ASSERT_EQ(activeName(), "frmEraseChunks");
    EXPECT_TRUE(active()->isMaximized());
}

TEST_F(Frame, MissingToolsAnswerNotFoundAndChangeNothing)
{
    QTest::keyClick(frame.get(), Qt::Key_F3);
    const QStringList before = openNames();
    QTest::keyClick(frame.get(), Qt::Key_F1);
    QTest::keyClick(frame.get(), Qt::Key_F2);
    QTest::mouseClick(chooserButton(0), Qt::LeftButton);
    QTest::mouseClick(chooserButton(1), Qt::LeftButton);
    // A tool whose window is not in this program answers the same way.
    QTest::mouseClick(chooserButton(7), Qt::LeftButton);
    EXPECT_EQ(recorder.messages, QStringList(5, "not found"));
    EXPECT_EQ(openNames(), before);
}

TEST_F(Frame, ChooserStaysOpenAndAnswersUnknownIndex)
{
    QTest::mouseClick(chooserButton(2), Qt::LeftButton);
    EXPECT_EQ(activeName(), "frmEraseChunks");
    EXPECT_TRUE(openNames().contains("frmWhichGizmet"));
    auto* chooser = frame->findChild<frmWhichGizmet*>();
    chooser->cmdOpenForm_Click(13);
    chooser->cmdOpenForm_Click(-1);
    EXPECT_EQ(recorder.messages, QStringList(2, "That ain't no option"));
}

TEST_F(Frame, ClosingTheFrameClosesEveryChild)
{
    QTest::keyClick(frame.get(), Qt::Key_F3);
    QPointer<QWidget> tool = active()->widget();
    EXPECT_TRUE(frame->close());
    QApplication::processEvents();
    EXPECT_TRUE(frame->workspace()->subWindowList().isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(tool.isNull());
}

TEST(Chooser, ButtonGridFollowsTheIndex)
{
    frmWhichGizmet chooser;
    const char* captions[] = {"InsertLine", "Insert Property", "Erase and Spew Chunks", "&Carpal Tunnel Repeats",
                              "Hex 2 Dec 2 Hex 2...", "Add Extension to extensionless files",
                              "Update a file over multiple directories", "Find TODOs",
                              "Combine Lines from two files", "Find Subs and &Functs", "Make &Link Table",
                              "Two lines of cols to two rows", "Create Sequence and Trigger code in files"};
    QWidget* previous = nullptr;
    for (int i = 0; i <= 12; ++i) {
        auto* button = chooser.findChild<QPushButton*>(QStringLiteral("cmdOpenForm_%1").arg(i));
        ASSERT_NE(button, nullptr) << i;
        EXPECT_EQ(button->text(), captions[i]);
        // Two columns at 600 and 2700 twips (further right only when captions need wider buttons),
        // 600 twips apart, every button 1935 x 495 twips or wide enough for its caption.
        const QRect box = button->geometry();
        EXPECT_EQ(box.top(), i <= 10 ? 32 + 40 * i : 32 + 40 * (i - 11)) << i;
        EXPECT_EQ(box.height(), 33) << i;
        EXPECT_GE(box.width(), 129) << i;
        EXPECT_GE(box.width(), button->sizeHint().width()) << i;
        if (i <= 10)
            EXPECT_EQ(box.left(), 40) << i;
        else
            EXPECT_GE(box.left(), std::max(180, 40 + box.width() + 11)) << i;
        if (previous)
            EXPECT_EQ(previous->nextInFocusChain(), button) << i;
        previous = button;
    }
    EXPECT_EQ(chooser.findChildren<QPushButton*>().size(), 13);
}

}  // namespace
}  // namespace qb
