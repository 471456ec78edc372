// Both bulk file windows, opened from the chooser and driven as a user would.
#include "shell/cp1252.h"
#include "shell/frmMain.h"
#include "tools/files/filesTools.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
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
    // Presses chooser button `index` and takes the window it opened.
    QWidget* openFromChooser(int index)
    {
        QTest::mouseClick(frame.findChild<QPushButton*>(QStringLiteral("cmdOpenForm_%1").arg(index)), Qt::LeftButton);
        return window = frame.workspace()->activeSubWindow()->widget();
    }
    template <class T>
    T* control(const QString& name) { return window->findChild<T*>(name); }
    void click(const QString& name) { QTest::mouseClick(control<QPushButton>(name), Qt::LeftButton); }

    test::MessageRecorder recorder;
    test::TempDir dir;
    frmMain frame;
    QWidget* window = nullptr;
};

TEST_F(FileWindows, UpdateFilesBrowsesListsAndReplaces)
{
    test::ProgramFolderOverride home(dir.mkdir("program"));
    const fs::path newFile = dir.write("program/report.txt", "NEW");
    const fs::path tree = dir.write("tree/sub/report.txt", "old").parent_path().parent_path();
    frame.show();
    QApplication::setActiveWindow(&frame);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));  // so that the focus can be checked
    ASSERT_EQ(openFromChooser(6)->objectName(), "frmUpdateFiles");
    EXPECT_EQ(window->windowTitle(), "Form1");
    EXPECT_EQ(QApplication::focusWidget(), control<QLineEdit>("txtNewFilePath"));

    test::FileDialogScript dialog({fromPath(newFile)});
    click("cmdGetNewFile");
    dialog.answer.clear();  // a cancel keeps the file chosen last
    click("cmdGetNewFile");
    EXPECT_EQ(dialog.requests.at(0).folder, fromPath(dir / "program"));
    EXPECT_EQ(control<QLineEdit>("txtNewFilePath")->text(), fromPath(newFile));
    click("cmdView");
    click("cmdAddFile_1");
    control<QWidget>("Dir1")->setProperty("path", fromPath(tree));
    click("cmdGo");
    EXPECT_EQ(control<QPlainTextEdit>("rich1")->toPlainText(), "NEW");
    EXPECT_EQ(control<QListWidget>("List1")->count(), 1);
    EXPECT_EQ(control<QPlainTextEdit>("richReplaced")->toPlainText(), fromPath(tree / "sub/report.txt") + "\n");
    const test::Tree after = test::treeOf(tree);
    ASSERT_EQ(after.size(), 3u);
    const auto backup = std::ranges::find_if(after, [](const auto& entry) { return entry.first.ends_with("_report.txt"); });
    ASSERT_NE(backup, after.end());
    EXPECT_EQ(backup->second, "old");
    EXPECT_EQ(after.at("sub/report.txt"), "NEW");

    // A start folder removed since it was picked, and a program folder that is gone: one message
    // each, and the window keeps what it showed.
    fs::remove_all(tree);
    click("cmdGo");
    test::ProgramFolderOverride gone(dir / "gone");
    click("cmdGetNewFile");
    ASSERT_EQ(recorder.messages.size(), 2) << recorder.messages.join("|").toStdString();
    EXPECT_TRUE(recorder.messages[0].startsWith("76 :: " + fromPath(tree)));
    EXPECT_TRUE(recorder.messages[1].contains(fromPath(dir / "gone")));
    EXPECT_EQ(control<QLineEdit>("txtNewFilePath")->text(), fromPath(newFile));
}

TEST_F(FileWindows, AddExtensionAppendsEveryRunAndIgnoresText1)
{
    const fs::path tree = dir.write("tree/README", "read me").parent_path();
    ASSERT_EQ(openFromChooser(5)->objectName(), "frmAddExtension");
    EXPECT_EQ(window->windowTitle(), "Form1");
    EXPECT_EQ(control<QLineEdit>("Text1")->text(), ".doc");
    control<QLineEdit>("Text1")->setText(".txt");
    control<QWidget>("Dir1")->setProperty("path", fromPath(tree));
    click("cmdGo");
    click("cmdGo");
    EXPECT_EQ(test::treeOf(tree), (test::Tree{{"README", "read me"}, {"README_COPY.doc", "read me"}}));
    fs::remove_all(tree);
    click("cmdGo");
    const QString line = "\t---" + fromPath(tree / "README") + "\n";
    EXPECT_EQ(control<QPlainTextEdit>("rich1")->toPlainText(), line + line);
    ASSERT_EQ(recorder.messages.size(), 1);
    EXPECT_TRUE(recorder.messages[0].startsWith("76 :: ")) << recorder.messages[0].toStdString();
}

}  // namespace
}  // namespace qb
