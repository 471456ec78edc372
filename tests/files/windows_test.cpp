// The four bulk file windows, opened from the menu or the chooser and driven as a user would.
#include "ui/cp1252.h"
#include "ui/editor.h"
#include "ui/pickers.h"
#include "support/toolWindow.h"
#include "tools/files/filesTools.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

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

}  // namespace
}  // namespace qb
