// The erase-and-spew and pair-replacement windows, offscreen, from the button press to the end
// message.
#include "tools/files/frmEraseChunks.h"
#include "tools/files/frmReplaceLineFromFile.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "shell/cp1252.h"
#include "shell/frmMain.h"
#include "shell/windows.h"
#include "tools/files/filesTools.h"
#include "shell/pickers.h"
#include "support/recorder.h"

namespace qb {
namespace {

namespace fs = std::filesystem;

template <class T>
T* control(QWidget& window, const char* name)
{
    auto* found = window.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

// A tool window built over a temporary program folder, with its messages recorded.
template <class Window>
class ToolWindow : public ::testing::Test {
protected:
    // Opens the work folder in Dir1 and presses cmdBegin.
    void begin()
    {
        ASSERT_TRUE(control<FolderPicker>(window, "Dir1")->setPath(fromPath(work.path())));
        QTest::mouseClick(control<QPushButton>(window, "cmdBegin"), Qt::LeftButton);
    }
    QPlainTextEdit* box(const char* name) { return control<QPlainTextEdit>(window, name); }

    test::TempDir program;
    test::TempDir work;
    test::ProgramFolderOverride home{program.path()};
    test::MessageRecorder recorder;
    Window window;
};

using EraseWindow = ToolWindow<frmEraseChunks>;

TEST_F(EraseWindow, LoadsItsDefaultsThenSpewsOrErases)
{
    EXPECT_EQ(control<FolderPicker>(window, "Dir1")->path(), fromPath(program.path()));
    EXPECT_TRUE(boxBytes(box("richChunk")).starts_with("<SIMPLERENDERER>\r\n<SIMPLEPOLYGONSYMBOL boundary"));
    EXPECT_TRUE(boxBytes(box("richChunk")).ends_with("/>\r\n</SIMPLERENDERER>\r\n</LAYER>"));
    EXPECT_EQ(control<QPushButton>(window, "cmdBegin")->geometry(), QRect(272, 576, 81, 33));
    work.write("a.txt", "keep\n  <SIMPLERENDERER>\n</SIMPLERENDERER>\nlast");
    work.write("sub/b.txt", "<simplerenderer>\n</simplerenderer>\n");
    setBoxBytes(box("richChunk"), "<SIMPLERENDERER>\r\n\r\n</SIMPLERENDERER>");
    QTest::mouseClick(control<QCheckBox>(window, "chkGoRecursive"), Qt::LeftButton);
    begin();
    EXPECT_EQ(recorder.messages, QStringList{"Done."});
    EXPECT_EQ(test::readBytes(work / "copies/a.txt"), "keep\r\nsmack\r\nlast\r\n");
    EXPECT_EQ(test::readBytes(work / "copies/sub/b.txt"), "smack\r\n");

    window.show();
    QTest::mouseClick(control<QCheckBox>(window, "chkEraseOnly"), Qt::LeftButton);
    EXPECT_FALSE(box("richSpew")->isVisible());
    begin();
    EXPECT_EQ(test::readBytes(work / "copies/a.txt"), "keep\r\nlast\r\n");
}

TEST_F(EraseWindow, RefusesAnEmptyChunkAndListsFailuresBeforeDone)
{
    work.write("a.txt", "a");
    work.write("copies", "a file in the way");
    setBoxBytes(box("richChunk"), "\r\n\r\n");
    begin();
    ASSERT_EQ(recorder.messages.size(), 1);
    EXPECT_TRUE(recorder.messages[0].startsWith("There is no chunk to erase"));
    setBoxBytes(box("richChunk"), "x");
    begin();
    ASSERT_EQ(recorder.messages.size(), 3);
    EXPECT_TRUE(recorder.messages[1].startsWith("Could not handle 2 files or folders:\n" + fromPath(work / "a.txt")
                                                + ": 58 :: "));
    EXPECT_EQ(recorder.messages[2], "Done.");
}

using ReplaceWindow = ToolWindow<frmReplaceLineFromFile>;

TEST_F(ReplaceWindow, NamesAMissingPairFileThenRunsThePairs)
{
    work.write("a.txt", "cat\n");
    begin();
    EXPECT_EQ(control<QLineEdit>(window, "txtPath")->text(), fromPath(work.path()));
    ASSERT_EQ(recorder.messages.size(), 1);
    EXPECT_TRUE(recorder.messages[0].startsWith("53 :: "));
    EXPECT_TRUE(recorder.messages[0].contains(fromPath(program / "replaceLines.txt")));
    EXPECT_FALSE(fs::exists(work / "copies"));
    program.write("replaceLines.txt", "cat\r\ndog\r\n");
    QTest::mouseClick(control<QPushButton>(window, "cmdBegin"), Qt::LeftButton);
    EXPECT_EQ(recorder.messages.last(), "done with snp");
    EXPECT_EQ(test::readBytes(work / "copies/a.txt"), "dog\r\n");
}

TEST(FileToolWindows, OpenFromTheMenuAndTheChooser)
{
    test::TempDir program;
    test::ProgramFolderOverride home{program.path()};
    test::MessageRecorder recorder;
    registerFileTools();
    frmMain frame;
    frame.findChild<QAction*>("mnuSNP")->trigger();
    EXPECT_NE(qobject_cast<frmReplaceLineFromFile*>(findOpenWindow("frmReplaceLineFromFile")), nullptr);
    frame.findChild<QAction*>("mnuEraseChunks")->trigger();
    auto* erase = qobject_cast<frmEraseChunks*>(findOpenWindow("frmEraseChunks"));
    ASSERT_NE(erase, nullptr);
    erase->parentWidget()->close();
    QTest::mouseClick(frame.findChild<QPushButton*>("cmdOpenForm_2"), Qt::LeftButton);
    EXPECT_NE(qobject_cast<frmEraseChunks*>(findOpenWindow("frmEraseChunks")), nullptr);
    EXPECT_TRUE(recorder.messages.isEmpty());
}

}  // namespace
}  // namespace qb
