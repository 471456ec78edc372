// The four bulk file windows, opened from the menu or the chooser and driven as a user would, and
// the review of a copies run, opened from each tool that writes copies, with the applies behind
// it: apply, refusal, undo, the list of past applies, discard.
#include "ui/cp1252.h"
#include "ui/editor.h"
#include "ui/pickers.h"
#include "ui/windows.h"
#include "support/toolWindow.h"
#include "tools/files/apply.h"
#include "tools/files/filesTools.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "files/fileWindows.h"
#include "files/lineEndTree.h"
#include "files/tree.h"

namespace qb {
namespace {

namespace fs = std::filesystem;
using test::FileWindows;

TEST_F(FileWindows, EraseChunksRefusesAnEmptyChunkListsFailuresThenSpewsOrErases)
{
    ASSERT_TRUE(open("mnuEraseChunks", "frmEraseChunks"));
    EXPECT_EQ(child<FolderPicker>("Dir1")->path(), fromPath(program));
    temp.write("work/a.txt", "keep\n  <SIMPLERENDERER>\n</SIMPLERENDERER>\nlast");
    temp.write("work/sub/b.txt", "<simplerenderer>\n</simplerenderer>\n");
    temp.write("work/copies", "a file in the way");
    setBoxBytes(box("richChunk"), "\r\n\r\n");
    runIn(work, "cmdBegin");
    setBoxBytes(box("richChunk"), "x");
    click("cmdBegin");
    fs::remove(work / "copies");
    temp.write("work/sub/c.txt", "plain\n");
    setBoxBytes(box("richChunk"), "<SIMPLERENDERER>\r\n\r\n</SIMPLERENDERER>");
    click("chkGoRecursive");
    click("cmdBegin");
    EXPECT_EQ(test::readBytes(work / "copies/a.txt"), "keep\r\nsmack\r\nlast\r\n");

    EXPECT_EQ(status(), "Erase: 3 files read, 2 with chunks changed, 3 copies written below " +
                            fromPath(work / "copies"));

    click("chkEraseOnly");
    EXPECT_FALSE(box("richSpew")->isVisible());
    click("cmdBegin");
    EXPECT_EQ(test::readBytes(work / "copies/a.txt"), "keep\r\nlast\r\n");
    ASSERT_EQ(recorder.messages.size(), 5) << recorder.messages.join("|").toStdString();
    EXPECT_TRUE(recorder.messages[0].startsWith("There is no chunk to erase"));
    EXPECT_TRUE(recorder.messages[1].startsWith("Could not handle 2 files or folders:\n" + fromPath(work / "a.txt")
                                                + ": 58 :: "));
    EXPECT_EQ(recorder.messages.mid(2), QStringList({"Done.", "Done.", "Done."}));
}

TEST_F(FileWindows, ReplaceLinesNamesAMissingPairFileThenRunsThePairs)
{
    ASSERT_TRUE(open("mnuSNP", "frmReplaceLineFromFile"));
    temp.write("work/a.txt", "cat\n");
    runIn(work, "cmdBegin");
    EXPECT_TRUE(recorder.only("53 :: ", fromPath(program / "replaceLines.txt")));
    temp.write("program/replaceLines.txt", "cat\r\ndog\r\n");
    const std::string binary("cat\0\n", 5);
    temp.write("work/b.bin", binary);
    click("cmdBegin");
    EXPECT_EQ(recorder.messages, QStringList({"1 file binary, copied as is.", "done with snp"}));
    EXPECT_EQ(status(), "Search and Replace: 2 files read, 2 copies written below " + fromPath(work / "copies")
                            + ", 1 binary, copied as is");
    EXPECT_EQ(test::treeOf(work / "copies"), (test::Tree{{"a.txt", "dog\r\n"}, {"b.bin", binary}}));
}

// The chunk and spew typed in the window go into each file in its own encoding; a file that cannot
// hold a typed character is refused with the others' run going on, never given a '?'.
TEST_F(FileWindows, EraseChunksTypesTextIntoEachFileInItsEncoding)
{
    ASSERT_TRUE(open("mnuEraseChunks", "frmEraseChunks"));
    temp.write("work/utf8.txt", "caf\xC3\xA9\r\n");
    temp.write("work/cp.txt", "caf\xE9\r\n");
    box("richChunk")->setPlainText(QStringLiteral("caf\u00E9"));
    const struct { QString spew; std::string utf8Copy, cpCopy; } rows[] = {
        {QStringLiteral("th\u00E9\n"), "th\xC3\xA9\r\n", "th\xE9\r\n"},
        {QStringLiteral("\u65E5\u672C\n"), "\xE6\x97\xA5\xE6\x9C\xAC\r\n", "th\xE9\r\n"},  // refused: the last copy stays
    };
    for (const auto& row : rows) {
        box("richSpew")->setPlainText(row.spew);
        runIn(work, "cmdBegin");
        EXPECT_EQ(test::treeOf(work / "copies"), (test::Tree{{"cp.txt", row.cpCopy}, {"utf8.txt", row.utf8Copy}}));
    }
    ASSERT_EQ(recorder.messages.size(), 3) << recorder.messages.join("|").toStdString();
    EXPECT_TRUE(recorder.messages[1].startsWith("Could not handle 1 file or folder:\n" + fromPath(work / "cp.txt")
                                                + ": 13 :: ")) << recorder.messages[1].toStdString();
    EXPECT_EQ(recorder.messages[2], "Done.");
}

// "Keep line ends" in both windows gives the copies the bytes that the command's --keep-line-ends
// and --apply give: each line keeps its own end, each file its final-newline state. The box is off
// at first and remembered.
TEST_F(FileWindows, KeepLineEndsCopiesEachLineWithItsOwnEnd)
{
    temp.write("program/replaceLines.txt", "foo\r\nbar\r\n");
    const struct { const char* opener; const char* form; test::Tree edited; bool recursive; } rows[] = {
        {"mnuEraseChunks", "frmEraseChunks", test::erasedKeepingEnds, true},
        {"mnuSNP", "frmReplaceLineFromFile", test::replacedKeepingEnds, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.form);
        test::writeTree(work, test::lineEndTree);
        ASSERT_TRUE(open(row.opener, row.form));
        EXPECT_FALSE(child<QCheckBox>("chkKeepLineEnds")->isChecked());
        click("chkKeepLineEnds");
        if (row.recursive) {
            setBoxBytes(box("richChunk"), "foo");
            setBoxBytes(box("richSpew"), "SPEWED\r\n");
            click("chkGoRecursive");
        }
        runIn(work, "cmdBegin");
        EXPECT_EQ(test::treeOf(work / "copies"), test::copiesOf(row.edited, row.recursive));
        window->parentWidget()->close();
        QApplication::processEvents();
        ASSERT_TRUE(open(row.opener, row.form));
        EXPECT_TRUE(child<QCheckBox>("chkKeepLineEnds")->isChecked());
    }
}

// The list of files to update is edited in every way a user tries: the Delete key, the context
// menu's Remove and Clear, the Remove button; each takes the selected entry only, and what is
// left is what the window remembers for its next opening.
TEST_F(FileWindows, UpdateFilesListEntriesAreRemovedAndTheRememberedListFollows)
{
    ASSERT_TRUE(open("cmdOpenForm_6", "frmUpdateFiles"));
    auto* list = child<QListWidget>("List1");
    const auto entries = [list] {
        QStringList texts;
        for (int row = 0; row < list->count(); ++row)
            texts << list->item(row)->text();
        return texts;
    };
    QStringList files;
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"}) {
        files << fromPath(temp.write(std::string("program/") + name, "x"));
        line("txtNewFilePath")->setText(files.back());
        click("cmdAddFile_1");
    }
    list->setFocus();
    list->setCurrentRow(1);
    QTest::keyClick(list, Qt::Key_Delete);
    list->setCurrentRow(2);
    child<QAction>("mnuRemoveEntry")->trigger();
    list->setCurrentRow(0);
    click("cmdRemove");
    EXPECT_EQ(entries(), (QStringList{files[2], files[4]}));
    EXPECT_EQ(list->currentRow(), -1);
    QTest::keyClick(list, Qt::Key_Delete);  // nothing selected: nothing goes, nothing is offered
    EXPECT_EQ(list->count(), 2);
    EXPECT_FALSE(child<QPushButton>("cmdRemove")->isEnabled() || child<QAction>("mnuRemoveEntry")->isEnabled());
    EXPECT_TRUE(child<QAction>("mnuClearList")->isEnabled());
    EXPECT_EQ(list->contextMenuPolicy(), Qt::ActionsContextMenu);

    window->parentWidget()->close();
    QApplication::processEvents();
    ASSERT_TRUE(open("cmdOpenForm_6", "frmUpdateFiles"));
    list = child<QListWidget>("List1");
    EXPECT_EQ(entries(), (QStringList{files[2], files[4]}));
    child<QAction>("mnuClearList")->trigger();
    EXPECT_FALSE(child<QAction>("mnuClearList")->isEnabled());
    window->parentWidget()->close();
    QApplication::processEvents();
    ASSERT_TRUE(open("cmdOpenForm_6", "frmUpdateFiles"));
    EXPECT_EQ(child<QListWidget>("List1")->count(), 0);
}

TEST_F(FileWindows, UpdateFilesBrowsesListsAndReplaces)
{
    const fs::path newFile = temp.write("program/report.txt", "NEW na\xC3\xAFve");
    temp.write("work/sub/report.txt", "old");
    ASSERT_TRUE(open("cmdOpenForm_6", "frmUpdateFiles"));

    test::FileDialogScript dialog({fromPath(newFile)});
    click("cmdGetNewFile");
    dialog.answer.clear();  // a cancel keeps the file chosen last
    click("cmdGetNewFile");
    EXPECT_EQ(dialog.requests.at(0).folder, fromPath(program));
    click("cmdView");
    click("cmdAddFile_1");
    // A read-only match first in the walk is refused; the rest is done, and only that is listed.
    const fs::path readOnly = temp.write("work/report.txt", "kept");
    fs::permissions(readOnly, fs::perms::owner_read);
    // The preview lists what GO!!! then does, and says what it will refuse, writing nothing.
    const test::Tree before = test::treeOf(work);
    runIn(work, "cmdPreview");
    EXPECT_EQ(test::treeOf(work), before);
    EXPECT_EQ(status(), "Update Files preview, nothing written: 1 file would be replaced below " + fromPath(work)
                            + ", 2 files looked at, 1 failed");
    const QString previewed = box("richReplaced")->toPlainText();
    const QStringList foretold = std::exchange(recorder.messages, {});
    runIn(work, "cmdGo");
    EXPECT_EQ(box("richReplaced")->toPlainText(), previewed);
    EXPECT_EQ(recorder.messages, foretold);
    EXPECT_EQ(box("rich1")->toPlainText(), "NEW na\u00EFve");  // the viewed file in its own encoding
    EXPECT_EQ(box("richReplaced")->toPlainText(), fromPath(work / "sub/report.txt") + "\n");
    EXPECT_EQ(status(), "Update Files: 1 file replaced below " + fromPath(work) + ", 2 files looked at, 1 failed");
    EXPECT_TRUE(recorder.only("Could not handle 1 file or folder:\n" + fromPath(readOnly) + ": 70 :: "));
    EXPECT_EQ(test::readBytes(readOnly), "kept");
    fs::remove(readOnly);
    {
        test::LaunchRecorder launches;
        test::FakePrograms programs(temp / "bin", {"myedit"});
        setEditorTemplate("myedit {file}:{line}");
        doubleClickLine("richReplaced", 0);
        EXPECT_EQ(launches.launches, (decltype(launches.launches){{fromPath(temp / "bin/myedit"), {fromPath(work / "sub/report.txt") + ":1"}}}));
    }

    // A start folder removed since, and a program folder gone: one message each, nothing lost.
    fs::remove_all(work);
    click("cmdGo");
    test::ProgramFolderOverride gone(temp / "gone");
    click("cmdGetNewFile");
    ASSERT_EQ(recorder.messages.size(), 2) << recorder.messages.join("|").toStdString();
    EXPECT_TRUE(recorder.messages[0].startsWith("Could not handle 1 file or folder:\n" + fromPath(work) + ": 76 :: "));
    EXPECT_TRUE(recorder.messages[1].contains(fromPath(temp / "gone")));
    EXPECT_EQ(line("txtNewFilePath")->text(), fromPath(newFile));
}

TEST_F(FileWindows, AddExtensionAppendsEveryRunAndHonoursText1)
{
    temp.write("work/README", "read me");
    ASSERT_TRUE(open("cmdOpenForm_5", "frmAddExtension"));
    EXPECT_EQ(line("Text1")->text(), ".doc");
    line("Text1")->setText(".txt");
    runIn(work, "cmdGo");
    click("cmdGo");
    EXPECT_EQ(test::treeOf(work), (test::Tree{{"README", "read me"}, {"README_COPY.txt", "read me"}}));
    const QString line = "\t---" + fromPath(work / "README") + "\n";
    EXPECT_EQ(box("rich1")->toPlainText(), line + line);
    EXPECT_EQ(status(), "Add Extension: 2 files looked at, 0 copies written");
    EXPECT_TRUE(recorder.messages.isEmpty());

    // An extension that cannot end a file name is refused with a message, and nothing is walked.
    for (const auto& [refused, message] : {std::pair{QString(), "5 :: The extension to add is empty"},
                                           {QStringLiteral("x/y"), "52 :: The extension to add, x/y, holds a path separator"}}) {
        this->line("Text1")->setText(refused);
        click("cmdGo");
        EXPECT_TRUE(recorder.only(message));
    }
    EXPECT_EQ(box("rich1")->toPlainText(), line + line);

    // A copy name too long for the file system costs that file only, first in its folder or not.
    const fs::path tooLong = temp.write("work/" + std::string(247, 'L'), "long");
    this->line("Text1")->setText(".doc");
    click("cmdGo");
    EXPECT_EQ(box("rich1")->toPlainText(), line + line + "\t---" + fromPath(tooLong) + "\n" + line);
    EXPECT_TRUE(recorder.only("Could not handle 1 file or folder:\n" + fromPath(tooLong) + ": 52 :: "));
    EXPECT_EQ(test::readBytes(work / "README_COPY.doc"), "read me");
}

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
