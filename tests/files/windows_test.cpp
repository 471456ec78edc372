// Both bulk file windows, opened from the chooser and driven as a user would.
#include "shell/frmMain.h"
#include "shell/cp1252.h"
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

#include "files/tree.h"

namespace qb {
namespace {

namespace fs = std::filesystem;

class FileWindows : public ::testing::Test {
protected:
    static void SetUpTestSuite() { registerFileTools(); }

    void SetUp() override
    {
        frame = std::make_unique<frmMain>();
        frame->show();
        QApplication::setActiveWindow(frame.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    }

    QWidget* openFromChooser(int index)
    {
        auto* button = frame->findChild<QPushButton*>(QStringLiteral("cmdOpenForm_%1").arg(index));
        QTest::mouseClick(button, Qt::LeftButton);
        QMdiSubWindow* active = frame->workspace()->activeSubWindow();
        return active ? active->widget() : nullptr;
    }
    template <class T>
    T* control(QWidget* window, const char* name)
    {
        T* found = window->findChild<T*>(name);
        EXPECT_TRUE(found) << name;
        return found;
    }
    void click(QWidget* window, const char* name)
    {
        QTest::mouseClick(control<QPushButton>(window, name), Qt::LeftButton);
    }

    test::MessageRecorder recorder;
    test::TempDir dir;
    std::unique_ptr<frmMain> frame;
};

TEST_F(FileWindows, UpdateFilesBrowsesListsAndReplaces)
{
    const fs::path program = dir.mkdir("program");
    test::ProgramFolderOverride home(program);
    const fs::path newFile = dir.write("program/report.txt", "NEW");
    const fs::path tree = dir.mkdir("tree");
    dir.write("tree/sub/report.txt", "old");

    QWidget* window = openFromChooser(6);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->objectName(), "frmUpdateFiles");
    EXPECT_EQ(window->windowTitle(), "Form1");
    auto* path = control<QLineEdit>(window, "txtNewFilePath");
    EXPECT_EQ(QApplication::focusWidget(), path);

    test::FileDialogScript dialog({fromPath(newFile)});
    click(window, "cmdGetNewFile");
    dialog.answer.clear();  // a cancel keeps the file chosen last
    click(window, "cmdGetNewFile");
    ASSERT_EQ(dialog.requests.size(), 2u);
    EXPECT_EQ(dialog.requests[0].folder, fromPath(program));
    EXPECT_TRUE(dialog.requests[0].existingOnly);
    EXPECT_EQ(path->text(), fromPath(newFile));

    click(window, "cmdView");
    EXPECT_EQ(control<QPlainTextEdit>(window, "rich1")->toPlainText(), "NEW");
    click(window, "cmdAddFile_1");
    EXPECT_EQ(control<QListWidget>(window, "List1")->count(), 1);
    control<QWidget>(window, "Dir1")->setProperty("path", fromPath(tree));
    click(window, "cmdGo");
    auto* replaced = control<QPlainTextEdit>(window, "richReplaced");
    EXPECT_EQ(replaced->toPlainText(), fromPath(tree / "sub/report.txt") + "\n");
    const auto after = test::treeOf(tree);
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(after.at("sub/report.txt"), "NEW");
    const auto backup = std::next(after.begin());  // the stamp starts with a digit
    EXPECT_TRUE(backup->first.ends_with("_report.txt")) << backup->first;
    EXPECT_EQ(backup->second, "old");
    EXPECT_TRUE(recorder.messages.isEmpty()) << recorder.messages.join("|").toStdString();

    // A start folder removed since it was picked, a missing viewed file, a missing program folder:
    // one message each, and the window keeps what it showed.
    fs::remove_all(tree);
    click(window, "cmdGo");
    path->setText(fromPath(dir / "nowhere.txt"));
    click(window, "cmdView");
    test::ProgramFolderOverride gone(dir / "gone");
    click(window, "cmdGetNewFile");
    ASSERT_EQ(recorder.messages.size(), 3) << recorder.messages.join("|").toStdString();
    EXPECT_TRUE(recorder.messages[0].startsWith("76 :: ") && recorder.messages[0].contains(fromPath(tree)));
    EXPECT_TRUE(recorder.messages[1].startsWith("53 :: ")) << recorder.messages[1].toStdString();
    EXPECT_TRUE(recorder.messages[2].contains(fromPath(dir / "gone")));
    EXPECT_EQ(dialog.requests.size(), 2u);
    EXPECT_EQ(replaced->toPlainText(), "");
    EXPECT_EQ(control<QPlainTextEdit>(window, "rich1")->toPlainText(), "NEW");
}

TEST_F(FileWindows, AddExtensionAppendsEveryRunAndIgnoresText1)
{
    const fs::path tree = dir.mkdir("tree");
    dir.write("tree/README", "read me");
    QWidget* window = openFromChooser(5);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->objectName(), "frmAddExtension");
    EXPECT_EQ(window->windowTitle(), "Form1");
    auto* extension = control<QLineEdit>(window, "Text1");
    EXPECT_EQ(extension->text(), ".doc");
    extension->setText(".txt");
    control<QWidget>(window, "Dir1")->setProperty("path", fromPath(tree));
    click(window, "cmdGo");
    click(window, "cmdGo");
    const QString line = "\t---" + fromPath(tree / "README") + "\n";
    auto* listing = control<QPlainTextEdit>(window, "rich1");
    EXPECT_EQ(listing->toPlainText(), line + line);
    EXPECT_EQ(test::treeOf(tree), (std::map<std::string, std::string>{{"README", "read me"},
                                                                      {"README_COPY.doc", "read me"}}));
    fs::remove_all(tree);
    click(window, "cmdGo");
    ASSERT_EQ(recorder.messages.size(), 1);
    EXPECT_TRUE(recorder.messages[0].startsWith("76 :: ")) << recorder.messages[0].toStdString();
    EXPECT_EQ(listing->toPlainText(), line + line);
}

}  // namespace
}  // namespace qb
