// The program's own dialogs as a user meets them: message boxes, "About Quillbox" and the editor
// command of the Options menu; and the shared window behaviours: pickers, and the lists and boxes
// that follow them.
#include "ui/about.h"
#include "ui/behaviours.h"
#include "ui/cp1252.h"
#include "ui/editor.h"
#include "ui/pickers.h"
#include "ui/services.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <optional>

#include "support/toolWindow.h"

namespace qb {
namespace {

// A message box is titled "Quillbox" and wide enough that the title is never cut short, however
// short its text.
TEST(Dialogs, MessageBoxTitleShowsWhole)
{
    QString title;
    int width = 0;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            title = box->windowTitle();
            width = box->width();
            box->accept();
        }
    });
    showMessage("done");
    EXPECT_EQ(title, "Quillbox");
    EXPECT_GE(width, 3 * QFontMetrics(QApplication::font()).horizontalAdvance("Quillbox"));
}

class FrameDialogs : public test::ToolWindowTest {
protected:
    template <class Dialog>
    Dialog* openFrom(const char* entry)
    {
        frame.findChild<QAction*>(entry)->trigger();
        return frame.findChild<Dialog*>();
    }
};

// About shows the version the caption shows, the data folder and where prints go; its button
// opens the folder in the file manager, or says why it could not.
TEST_F(FrameDialogs, AboutShowsTheDataFolderAndOpensIt)
{
    const QString folder = QDir::toNativeSeparators(fromPath(temp.path()));
    for (const bool starts : {true, false}) {
        SCOPED_TRACE(starts ? "file manager starts" : "file manager missing");
        recorder.messages.clear();
        const test::LaunchRecorder launcher(starts);
        std::unique_ptr<AboutDialog> about(openFrom<AboutDialog>("mnuAbout"));
        ASSERT_TRUE(about && about->isVisible());
        const auto label = [&](const char* name) { return about->findChild<QLabel*>(name)->text(); };
        EXPECT_TRUE(frame.windowTitle().startsWith("Quillbox v" + label("lblVersion") + " "));
        EXPECT_EQ(label("lblDataFolder"), folder);
        EXPECT_EQ(label("lblPrinting"), "the PDF file " + QDir::toNativeSeparators(fromPath(temp / "print.pdf")));
        QTest::mouseClick(about->findChild<QPushButton*>("cmdOpenDataFolder"), Qt::LeftButton);
        EXPECT_EQ(launcher.launches, (std::vector<std::pair<QString, QStringList>>{{fileManagerOpener(), {folder}}}));
        EXPECT_EQ(recorder.messages.size(), starts ? 0 : 1);
        EXPECT_TRUE(starts || recorder.messages.value(0).contains(folder));
    }
}

TEST(EditorCommand, PlaceholdersFillWordsAfterSplitting)
{
    struct Row { QString command, file, program; QStringList arguments; };
    const Row rows[] = {
        {"code -g {file}:{line}", "/a b/c.bas", "code", {"-g", "/a b/c.bas:12"}},
        {"\"/opt/my editor/ed\" \"+{line}\" {file}", "/x", "/opt/my editor/ed", {"+12", "/x"}},
        // A name that holds a placeholder or a quote is still the name, in one argument.
        {"ed {file} {line}", "/x/{line}\"q\".bas", "ed", {"/x/{line}\"q\".bas", "12"}},
        {"ed {file}{file}", "/x", "ed", {"/x/x"}},
    };
    for (const Row& row : rows) {
        const auto made = editorCommand(row.command, row.file, 12);
        ASSERT_TRUE(made) << row.command.toStdString();
        EXPECT_EQ(made->program, row.program);
        EXPECT_EQ(made->arguments, row.arguments) << row.command.toStdString();
    }
    EXPECT_FALSE(editorCommand("   ", "/x", 1));
}

// The dialog shows the command set, refuses one without {file}, and keeps what OK accepts; an
// empty command means the default again.
TEST_F(FrameDialogs, EditorDialogSetsTheRememberedCommand)
{
    setEditorTemplate("ed {file}");
    auto* dialog = openFrom<EditorDialog>("mnuEditor");
    ASSERT_TRUE(dialog);
    auto* box = dialog->findChild<QLineEdit*>("txtEditorCommand");
    EXPECT_EQ(box->text(), "ed {file}");
    EXPECT_EQ(box->placeholderText(), defaultEditorTemplate());
    box->setText("ed --line {line}");
    dialog->accept();
    EXPECT_EQ(recorder.messages, QStringList{"The command needs {file} where the file's name goes."});
    EXPECT_TRUE(dialog->isVisible());
    box->setText("  kate --line {line} {file} ");
    dialog->accept();
    EXPECT_EQ(editorTemplate(), "kate --line {line} {file}");
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    dialog = openFrom<EditorDialog>("mnuEditor");
    ASSERT_TRUE(dialog);
    dialog->findChild<QLineEdit*>("txtEditorCommand")->clear();
    dialog->accept();
    EXPECT_EQ(editorTemplate(), "");
    EXPECT_EQ(editorTemplateInUse(), defaultEditorTemplate());
}

class PickerFixture : public ::testing::Test {
protected:
    test::TempDir temp;
    const QString tempPath = QString::fromStdString(temp.path().string());
    test::MessageRecorder recorder;
    QWidget window;
    DrivePicker* drive = new DrivePicker(&window);
    FolderPicker* folder = new FolderPicker(&window);
};

// A drive change opens its folder and refills the file list (empty for a folder with only
// subfolders); a vanished folder gives one message and leaves the picker where it was.
TEST_F(PickerFixture, ADriveChangeRefillsTheFileListUnlessItsFolderVanished)
{
    EXPECT_EQ(folder->path(), QDir::currentPath());
    EXPECT_EQ(drive->itemText(0), "/");
    temp.write("b.txt", "");
    temp.write("A.txt", "");
    const std::filesystem::path gone = temp.mkdir("gone/child").parent_path();
    auto* list = new QListWidget(&window);
    auto* pathBox = new QLineEdit("design text", &window);
    pairDrive(drive, folder);
    listFolderFiles(folder, list);
    echoFolderPath(folder, pathBox);
    EXPECT_EQ(pathBox->text(), "design text");

    drive->setProperty("drive", tempPath);
    EXPECT_EQ(folder->path(), tempPath);
    EXPECT_EQ(pathBox->text(), folder->path());
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "A.txt");
    folder->setPath(QString::fromStdString(gone.string()));  // only a subfolder: none listed
    EXPECT_EQ(list->count(), 0);
    folder->setPath(tempPath);
    EXPECT_TRUE(recorder.messages.isEmpty());

    std::filesystem::remove_all(gone);
    QSignalSpy changes(folder, &FolderPicker::changed);
    drive->setDrive(QString::fromStdString(gone.string()));
    EXPECT_TRUE(recorder.only("76 :: "));
    EXPECT_EQ(folder->path(), tempPath);
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(drive->drive(), QString::fromStdString(gone.string()));
    EXPECT_EQ(list->count(), 2);  // still the listing of the folder it kept
}

// A folder typed into a path box and entered opens in the picker; anything else gets one message,
// stays in the box to be corrected and leaves the picker alone; leaving the box shows the
// picker's folder again.
TEST_F(PickerFixture, TypedFolderOpensOrGetsOneMessage)
{
    temp.mkdir("sub/inner");
    const auto file = temp.write("file.txt", "");
    std::filesystem::create_symlink("loop", temp / "loop");
    auto* pathBox = new QLineEdit(&window);
    auto* elsewhere = new QLineEdit(&window);
    echoFolderPath(folder, pathBox);
    window.show();
    QApplication::setActiveWindow(&window);
    struct Row { QString typed; QString opens; std::optional<QString> message; };
    const Row rows[] = {
        {tempPath, tempPath, std::nullopt},
        {"sub", tempPath + "/sub", std::nullopt},                    // from the picker's folder
        {"inner/ ", tempPath + "/sub/inner", std::nullopt},          // pasted with a stray space
        {"~", QDir::homePath(), std::nullopt},
        {tempPath + "/missing", QDir::homePath(), "76 :: "},
        // The real cause, as the command line words it.
        {QString::fromStdString(file.string()), QDir::homePath(), "76 :: " + tempPath + "/file.txt: is a file, not a folder"},
        {tempPath + "/loop", QDir::homePath(), "75 :: " + tempPath + "/loop: too many levels of links"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.typed.toStdString());
        pathBox->setFocus();
        pathBox->selectAll();
        QTest::keyClicks(pathBox, row.typed);
        QTest::keyClick(pathBox, Qt::Key_Return);
        EXPECT_EQ(folder->path(), row.opens);
        EXPECT_TRUE(row.message ? recorder.only(*row.message) : ::testing::AssertionResult(recorder.messages.isEmpty()));
        EXPECT_EQ(pathBox->text(), row.message ? row.typed : row.opens);
    }
    elsewhere->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(pathBox->text(), QDir::homePath());
}

}  // namespace
}  // namespace qb
