// The shared window behaviours: pickers, and the lists and boxes that follow them.
#include "shell/behaviours.h"
#include "shell/pickers.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "support/recorder.h"

namespace qb {
namespace {

class PickerFixture : public ::testing::Test {
protected:
    test::TempDir temp;
    const QString tempPath = QString::fromStdString(temp.path().string());
    test::MessageRecorder recorder;
    QWidget window;
    DrivePicker* drive = new DrivePicker(&window);
    FolderPicker* folder = new FolderPicker(&window);
};

TEST_F(PickerFixture, StartOnTheCurrentFolderAndADriveChangeRefillsTheFileList)
{
    EXPECT_EQ(folder->path(), QDir::currentPath());
    EXPECT_EQ(drive->itemText(0), "/");
    temp.write("b.txt", "");
    temp.write("A.txt", "");
    temp.write("sub/inner.txt", "");
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
    EXPECT_EQ(list->item(1)->text(), "b.txt");

    // A folder with only subfolders gives an empty list.
    temp.mkdir("only/child");
    folder->setPath(QString::fromStdString((temp / "only").string()));
    EXPECT_EQ(list->count(), 0);
    EXPECT_TRUE(recorder.messages.isEmpty());
}

TEST_F(PickerFixture, VanishedFolderGivesOneMessageAndKeepsThePicker)
{
    const std::filesystem::path gone = temp.mkdir("gone");
    folder->setPath(tempPath);
    pairDrive(drive, folder);
    std::filesystem::remove(gone);
    QSignalSpy changes(folder, &FolderPicker::changed);
    drive->setDrive(QString::fromStdString(gone.string()));
    EXPECT_TRUE(recorder.only("76 :: "));
    EXPECT_EQ(folder->path(), tempPath);
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(drive->drive(), QString::fromStdString(gone.string()));
    drive->setDrive(tempPath);  // still usable afterwards
    EXPECT_TRUE(recorder.messages.isEmpty());
}

// A folder typed into a path box and entered opens in the picker; anything else gets one message,
// stays in the box to be corrected and leaves the picker alone; leaving the box shows the
// picker's folder again.
TEST_F(PickerFixture, TypedFolderOpensOrGetsOneMessage)
{
    temp.mkdir("sub/inner");
    const auto file = temp.write("file.txt", "");
    auto* pathBox = new QLineEdit(&window);
    auto* elsewhere = new QLineEdit(&window);
    echoFolderPath(folder, pathBox);
    window.show();
    QApplication::setActiveWindow(&window);
    struct Row { QString typed; QString opens; const char* message; };
    const Row rows[] = {
        {tempPath, tempPath, nullptr},
        {"sub", tempPath + "/sub", nullptr},                    // from the picker's folder
        {"inner/ ", tempPath + "/sub/inner", nullptr},          // pasted with a stray space
        {"~", QDir::homePath(), nullptr},
        {tempPath + "/missing", QDir::homePath(), "76 :: "},
        {QString::fromStdString(file.string()), QDir::homePath(), "76 :: "},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.typed.toStdString());
        pathBox->setFocus();
        pathBox->selectAll();
        QTest::keyClicks(pathBox, row.typed);
        QTest::keyClick(pathBox, Qt::Key_Return);
        EXPECT_EQ(folder->path(), row.opens);
        EXPECT_TRUE(row.message ? recorder.only(row.message) : ::testing::AssertionResult(recorder.messages.isEmpty()));
        EXPECT_EQ(pathBox->text(), row.message ? row.typed : row.opens);
    }
    elsewhere->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(pathBox->text(), QDir::homePath());
}

}  // namespace
}  // namespace qb
