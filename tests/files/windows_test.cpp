// The four bulk file windows, opened from the menu or the chooser and driven as a user would.
#include "shell/cp1252.h"
#include "shell/frmMain.h"
#include "shell/pickers.h"
#include "tools/files/filesTools.h"

#include <QAction>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

#include "files/tree.h"

namespace qb {
namespace {

namespace fs = std::filesystem;

class FileWindows : public ::testing::Test {
protected:
    static void SetUpTestSuite() { registerFileTools(); }
    // Triggers a menu entry or presses a chooser button, and takes the window it opened.
    QWidget* open(const char* opener)
    {
        if (auto* action = frame.findChild<QAction*>(opener))
            action->trigger();
        else
            QTest::mouseClick(frame.findChild<QPushButton*>(opener), Qt::LeftButton);
        return window = frame.workspace()->activeSubWindow()->widget();
    }
    template <class T>
    T* control(const char* name) { return window->findChild<T*>(name); }
    QPlainTextEdit* box(const char* name) { return control<QPlainTextEdit>(name); }
    void click(const char* name) { QTest::mouseClick(control<QWidget>(name), Qt::LeftButton); }
    // Opens `folder` in Dir1 and presses `button`.
    void runIn(const fs::path& folder, const char* button)
    {
        ASSERT_TRUE(control<FolderPicker>("Dir1")->setPath(fromPath(folder)));
        click(button);
    }

    test::MessageRecorder recorder;
    test::TempDir dir;
    const fs::path program = dir.mkdir("program"), work = dir.mkdir("work");
    test::ProgramFolderOverride home{program};
    frmMain frame;
    QWidget* window = nullptr;
};

TEST_F(FileWindows, EraseChunksRefusesAnEmptyChunkListsFailuresThenSpewsOrErases)
{
    QWidget* fromMenu = open("mnuEraseChunks");
    ASSERT_EQ(fromMenu->objectName(), "frmEraseChunks");
    EXPECT_EQ(open("cmdOpenForm_2"), fromMenu);
    EXPECT_EQ(control<FolderPicker>("Dir1")->path(), fromPath(program));
    dir.write("work/a.txt", "keep\n  <SIMPLERENDERER>\n</SIMPLERENDERER>\nlast");
    dir.write("work/sub/b.txt", "<simplerenderer>\n</simplerenderer>\n");
    dir.write("work/copies", "a file in the way");
    setBoxBytes(box("richChunk"), "\r\n\r\n");
    runIn(work, "cmdBegin");
    setBoxBytes(box("richChunk"), "x");
    click("cmdBegin");
    fs::remove(work / "copies");
    setBoxBytes(box("richChunk"), "<SIMPLERENDERER>\r\n\r\n</SIMPLERENDERER>");
    click("chkGoRecursive");
    click("cmdBegin");
    EXPECT_EQ(test::readBytes(work / "copies/a.txt"), "keep\r\nsmack\r\nlast\r\n");
    EXPECT_EQ(test::readBytes(work / "copies/sub/b.txt"), "smack\r\n");

    frame.show();
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
    ASSERT_EQ(open("mnuSNP")->objectName(), "frmReplaceLineFromFile");
    dir.write("work/a.txt", "cat\n");
    runIn(work, "cmdBegin");
    ASSERT_EQ(recorder.messages.size(), 1);
    EXPECT_TRUE(recorder.messages[0].startsWith("53 :: "));
    EXPECT_TRUE(recorder.messages[0].contains(fromPath(program / "replaceLines.txt")));
    dir.write("program/replaceLines.txt", "cat\r\ndog\r\n");
    click("cmdBegin");
    EXPECT_EQ(recorder.messages.last(), "done with snp");
    EXPECT_EQ(test::readBytes(work / "copies/a.txt"), "dog\r\n");
}

TEST_F(FileWindows, UpdateFilesBrowsesListsAndReplaces)
{
    const fs::path newFile = dir.write("program/report.txt", "NEW");
    dir.write("work/sub/report.txt", "old");
    ASSERT_EQ(open("cmdOpenForm_6")->objectName(), "frmUpdateFiles");

    test::FileDialogScript dialog({fromPath(newFile)});
    click("cmdGetNewFile");
    dialog.answer.clear();  // a cancel keeps the file chosen last
    click("cmdGetNewFile");
    EXPECT_EQ(dialog.requests.at(0).folder, fromPath(program));
    click("cmdView");
    click("cmdAddFile_1");
    runIn(work, "cmdGo");
    EXPECT_EQ(box("rich1")->toPlainText(), "NEW");
    EXPECT_EQ(box("richReplaced")->toPlainText(), fromPath(work / "sub/report.txt") + "\n");
    const test::Tree after = test::treeOf(work);  // the backup's name holds the time
    EXPECT_EQ(after.size(), 3u);
    EXPECT_EQ(after.at("sub/report.txt"), "NEW");
    EXPECT_EQ(std::ranges::count_if(after, [](const auto& e) { return e.second == "old"; }), 1);

    // A start folder removed since it was picked, and a program folder that is gone: one message
    // each, and the window keeps what it showed.
    fs::remove_all(work);
    click("cmdGo");
    test::ProgramFolderOverride gone(dir / "gone");
    click("cmdGetNewFile");
    ASSERT_EQ(recorder.messages.size(), 2) << recorder.messages.join("|").toStdString();
    EXPECT_TRUE(recorder.messages[0].startsWith("76 :: " + fromPath(work)));
    EXPECT_TRUE(recorder.messages[1].contains(fromPath(dir / "gone")));
    EXPECT_EQ(control<QLineEdit>("txtNewFilePath")->text(), fromPath(newFile));
}

TEST_F(FileWindows, AddExtensionAppendsEveryRunAndIgnoresText1)
{
    dir.write("work/README", "read me");
    ASSERT_EQ(open("cmdOpenForm_5")->objectName(), "frmAddExtension");
    control<QLineEdit>("Text1")->setText(".txt");
    runIn(work, "cmdGo");
    click("cmdGo");
    EXPECT_EQ(test::treeOf(work), (test::Tree{{"README", "read me"}, {"README_COPY.doc", "read me"}}));
    const QString line = "\t---" + fromPath(work / "README") + "\n";
    EXPECT_EQ(box("rich1")->toPlainText(), line + line);
    EXPECT_TRUE(recorder.messages.isEmpty());
}

}  // namespace
}  // namespace qb
