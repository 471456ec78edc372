// The review of a copies run, opened from each tool that writes copies, and the applies behind
// it: apply, refusal, undo, the list of past applies, discard.
#include "tools/files/apply.h"
#include "ui/cp1252.h"
#include "ui/windows.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "files/fileWindows.h"
#include "files/tree.h"

namespace qb {
namespace {

namespace fs = std::filesystem;

class ReviewWindows : public test::FileWindows {
protected:
    // The rows of the open review's list: file, removed, added, change, checked.
    QStringList rows() const
    {
        QStringList texts;
        auto* list = child<QTreeWidget>(review(), "lstChanges");
        for (int row = 0; row < list->topLevelItemCount(); ++row) {
            const QTreeWidgetItem* item = list->topLevelItem(row);
            texts << QStringLiteral("%1 -%2 +%3 %4%5")
                         .arg(item->text(0), item->text(1), item->text(2), item->text(3),
                              item->checkState(0) == Qt::Checked ? QStringLiteral(" [x]") : QString());
        }
        return texts;
    }
    QWidget* review() const { return findOpenWindow(QStringLiteral("frmReviewChanges")); }
    void clickIn(QWidget* in, const char* name) const
    {
        QTest::mouseClick(child<QWidget>(in, name), Qt::LeftButton);
        test::waitForRuns();
    }
    void setChecked(const char* file, bool on) const
    {
        auto* list = child<QTreeWidget>(review(), "lstChanges");
        const auto found = list->findItems(QString::fromLatin1(file), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << file;
        found.front()->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
    }
};

// Both tools turn a line "cat" into "dog" here (Erase through its chunk and spew, Search and
// Replace through its pair file), so one tree and one set of expectations serve both.
TEST_F(ReviewWindows, ReviewAppliesTheCheckedCopiesRefusesChangedOriginalsUndoesAndDiscards)
{
    const struct { const char *opener, *className; bool byKey; /* Ctrl+R, or the window's button */ } tools[] = {
        {"mnuEraseChunks", "frmEraseChunks", true},
        {"mnuSNP", "frmReplaceLineFromFile", false},
    };
    temp.write("program/replaceLines.txt", "cat\r\ndog\r\n");
    // Large enough that its diff is made off the window thread.
    std::string big;
    for (int line = 1; line <= 60000; ++line)
        big += line == 30001 ? "cat\r\n" : "0123456789\r\n";
    for (const auto& tool : tools) {
        SCOPED_TRACE(tool.className);
        test::writeTree(work, {{"a.txt", "one\r\ncat\r\ntwo\r\n"},
                               {"b.txt", "x\r\ncat\r\ny\r\ncat\r\nz\r\n"},
                               {"big.txt", big},
                               {"c.txt", "one\ntwo\n"},  // LF: its copy differs in line ends only
                               {"d.txt", "same\r\n"},
                               {"e.bin", std::string("cat\0\r\n", 6)},
                               {"f.txt", "cat\r\n"}});
        ASSERT_TRUE(open(tool.opener, tool.className));
        QTest::keyClick(window, Qt::Key_R, Qt::ControlModifier);
        EXPECT_TRUE(recorder.only("There is nothing to review yet"));
        if (std::string_view(tool.className) == "frmEraseChunks") {
            setBoxBytes(box("richChunk"), "cat");
            setBoxBytes(box("richSpew"), "dog\r\n");
        }
        runIn(work, "cmdBegin");
        recorder.messages.clear();
        EXPECT_FALSE(review());  // it opens only when asked
        if (tool.byKey) {
            // A slow run's progress dialog leaves no active window behind it offscreen (a window
            // manager gives the frame back): the frame is made active again, as SetUp makes it.
            QApplication::setActiveWindow(&frame);
            child<QWidget>("Dir1")->setFocus();
            QTest::keyClick(window, Qt::Key_R, Qt::ControlModifier);
        } else {
            click("cmdReview");
        }
        ASSERT_TRUE(review());
        EXPECT_EQ(rows(), QStringList({"a.txt -1 +1  [x]", "b.txt -2 +2  [x]", "big.txt -1 +1  [x]",
                                       "c.txt -2 +2 line ends only", "f.txt -1 +1  [x]"}));
        const QString summary = child<QLabel>(review(), "lblSummary")->text();
        EXPECT_TRUE(summary.endsWith(" in " + fromPath(work) + ": 5 files changed (1 only in line ends), 1 binary file copied as is "
                                         "(not compared), 1 copy the same as the original. 4 files checked.")) << summary.toStdString();
        // Both line numbers; the line ends are named where they are the change.
        auto* diff = child<QPlainTextEdit>(review(), "txtDiff");
        EXPECT_TRUE(diff->toPlainText().contains("     2        - cat\n            2 + dog\n")) << diff->toPlainText().toStdString();
        auto* list = child<QTreeWidget>(review(), "lstChanges");
        list->setCurrentItem(list->topLevelItem(2));
        test::waitForRuns();
        EXPECT_TRUE(diff->toPlainText().contains(" 30001        - cat\n        30001 + dog\n")) << diff->toPlainText().left(300).toStdString();
        list->setCurrentItem(list->topLevelItem(3));
        EXPECT_TRUE(diff->toPlainText().contains("     1        - one  [LF]\n     2        - two  [LF]\n            1 + one  [CR LF]"));

        // Chosen: a, b and c; c changes after the run, big and f are unchecked.
        setChecked("c.txt", true);
        setChecked("big.txt", false);
        setChecked("f.txt", false);
        temp.write("work/c.txt", "edited\n");
        clickIn(review(), "cmdApply");
        EXPECT_TRUE(recorder.only("Applied 2 of 3 files to their originals.\nCould not handle 1 file",
                                  fromPath(work / "c.txt") + ": was changed since the run read it"));
        for (const auto& [name, bytes] : test::Tree{{"a.txt", "one\r\ndog\r\ntwo\r\n"}, {"b.txt", "x\r\ndog\r\ny\r\ndog\r\nz\r\n"},
                                                   {"c.txt", "edited\n"}, {"f.txt", "cat\r\n"}, {"big.txt", big}})
            EXPECT_EQ(test::readBytes(work / name), bytes) << name;
        const std::vector<ApplyRecord> applies = listApplies(program);
        ASSERT_FALSE(applies.empty());
        EXPECT_EQ(applies.front().folder, work);
        EXPECT_EQ(applies.front().files.size(), 3);
        EXPECT_FALSE(child<QPushButton>(review(), "cmdApply")->isEnabled());  // nothing checked is left to apply

        // Opened again, the review offers no original that is not as the run read it.
        review()->parentWidget()->close();
        QApplication::processEvents();
        click("cmdReview");
        EXPECT_EQ(rows(), QStringList({"a.txt -1 +1 changed since the run", "b.txt -2 +2 changed since the run",
                                       "big.txt -1 +1  [x]", "c.txt -2 +2 changed since the run", "f.txt -1 +1  [x]"}));

        // b changes after the apply: a is undone, b is refused.
        temp.write("work/b.txt", "mine\r\n");
        clickIn(review(), "cmdUndoLast");
        EXPECT_TRUE(recorder.only("Restored 1 original of the apply of",
                                  fromPath(work / "b.txt") + ": was changed since the apply"));
        EXPECT_EQ(test::readBytes(work / "a.txt"), "one\r\ncat\r\ntwo\r\n");
        EXPECT_EQ(test::readBytes(work / "b.txt"), "mine\r\n");

        // Discard: every copy the run wrote goes, and the copies folder with them; one the user
        // changed since stays.
        clickIn(review(), "cmdDiscard");
        EXPECT_TRUE(recorder.only("Discarded 7 copies."));
        EXPECT_FALSE(fs::exists(work / "copies"));
        review()->parentWidget()->close();
        window->parentWidget()->close();
        QApplication::processEvents();
    }
}

// The frame's Edit menu: the list of past applies, newest first, from which an older one is
// undone; "Undo Last Apply" takes the newest that has anything left.
TEST_F(ReviewWindows, EditMenuListsAppliesAndUndoesAnOlderOneOrTheLast)
{
    const auto applyOnce = [&](const char* name, const char* bytes) {
        const fs::path file = temp.write(std::string("work/") + name, "old\n");
        std::string read;
        ApplyPlan plan{"replace", work, {{file, *recordOriginal(file, read), contentHash(bytes)}},
                       [bytes](const fs::path&, std::string_view) -> Result<std::string> { return std::string(bytes); }};
        ASSERT_TRUE(applyEdits(plan, program));
    };
    applyOnce("older.txt", "new\n");
    applyOnce("newer.txt", "new\n");
    ASSERT_TRUE(open("mnuPastApplies", "frmApplies"));
    auto* list = child<QTreeWidget>("lstApplies");
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(1), "replace");
    EXPECT_EQ(list->topLevelItem(0)->text(2), fromPath(work));
    list->setCurrentItem(list->topLevelItem(1));
    click("cmdUndoApply");
    EXPECT_TRUE(recorder.only("Restored 1 original of the apply of"));
    EXPECT_EQ(test::readBytes(work / "older.txt"), "old\n");
    EXPECT_EQ(test::readBytes(work / "newer.txt"), "new\n");
    EXPECT_EQ(list->topLevelItem(1)->text(4), "0");

    frame.findChild<QAction*>("mnuUndoLastApply")->trigger();
    test::waitForRuns();
    EXPECT_TRUE(recorder.only("Restored 1 original"));
    EXPECT_EQ(test::readBytes(work / "newer.txt"), "old\n");
    frame.findChild<QAction*>("mnuUndoLastApply")->trigger();
    test::waitForRuns();
    EXPECT_TRUE(recorder.only("There is no apply left to undo."));
}

}  // namespace
}  // namespace qb
