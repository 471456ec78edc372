// The erase-and-spew and pair-replacement windows, offscreen, from the button press to the end
// message.
#include "tools/files/frmEraseChunks.h"
#include "tools/files/frmReplaceLineFromFile.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
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

class EraseWindow : public ::testing::Test {
protected:
    test::TempDir program;
    test::TempDir base;
    test::ProgramFolderOverride home{program.path()};
    test::MessageRecorder recorder;
    frmEraseChunks window;
};

TEST_F(EraseWindow, LoadsWithItsDefaults)
{
    EXPECT_EQ(window.windowTitle(), "Erase a chunk of code");
    EXPECT_EQ(control<FolderPicker>(window, "Dir1")->path(), fromPath(program.path()));
    const std::string chunk = boxBytes(control<QPlainTextEdit>(window, "richChunk"));
    EXPECT_TRUE(chunk.starts_with("<SIMPLERENDERER>\r\n<SIMPLEPOLYGONSYMBOL boundarytransparency=\"1.0\" "));
    EXPECT_TRUE(chunk.ends_with("/>\r\n</SIMPLERENDERER>\r\n</LAYER>"));
    EXPECT_EQ(boxBytes(control<QPlainTextEdit>(window, "richSpew")), "smack\r\n");
    EXPECT_TRUE(control<QCheckBox>(window, "chkAllowWild")->isChecked());
    EXPECT_FALSE(control<QCheckBox>(window, "chkGoRecursive")->isChecked());
    EXPECT_EQ(control<QLabel>(window, "Label3_1")->text(), "Chunk to Spew");
    EXPECT_EQ(control<QPushButton>(window, "cmdBegin")->geometry(), QRect(272, 576, 81, 33));
    EXPECT_TRUE(recorder.messages.isEmpty());
}

TEST_F(EraseWindow, StartErasingWritesCopiesAndSaysDone)
{
    base.write("a.txt", "keep\n  <SIMPLERENDERER>\n</SIMPLERENDERER>\nlast");
    base.write("sub/b.txt", "<simplerenderer>\n</simplerenderer>\n");
    ASSERT_TRUE(control<FolderPicker>(window, "Dir1")->setPath(fromPath(base.path())));
    setBoxBytes(control<QPlainTextEdit>(window, "richChunk"), "<SIMPLERENDERER>\r\n\r\n</SIMPLERENDERER>");
    QTest::mouseClick(control<QCheckBox>(window, "chkGoRecursive"), Qt::LeftButton);
    QTest::mouseClick(control<QPushButton>(window, "cmdBegin"), Qt::LeftButton);
    EXPECT_EQ(recorder.messages, QStringList{"Done."});
    EXPECT_EQ(test::readBytes(base / "copies/a.txt"), "keep\r\nsmack\r\nlast\r\n");
    EXPECT_EQ(test::readBytes(base / "copies/sub/b.txt"), "smack\r\n");
}

TEST_F(EraseWindow, EraseOnlyHidesTheSpewAndErases)
{
    window.show();
    base.write("a.txt", "x\r\n<SIMPLERENDERER>\r\n");
    ASSERT_TRUE(control<FolderPicker>(window, "Dir1")->setPath(fromPath(base.path())));
    setBoxBytes(control<QPlainTextEdit>(window, "richChunk"), "<SIMPLERENDERER>");
    QTest::mouseClick(control<QCheckBox>(window, "chkEraseOnly"), Qt::LeftButton);
    EXPECT_FALSE(control<QPlainTextEdit>(window, "richSpew")->isVisible());
    EXPECT_TRUE(control<QLabel>(window, "Label3_1")->isVisible());
    QTest::mouseClick(control<QPushButton>(window, "cmdBegin"), Qt::LeftButton);
    EXPECT_EQ(recorder.messages, QStringList{"Done."});
    EXPECT_EQ(test::readBytes(base / "copies/a.txt"), "x\r\n");
}

TEST_F(EraseWindow, FailuresAreListedBeforeDone)
{
    base.write("a.txt", "a");
    base.write("copies", "a file in the way");
    ASSERT_TRUE(control<FolderPicker>(window, "Dir1")->setPath(fromPath(base.path())));
    QTest::mouseClick(control<QPushButton>(window, "cmdBegin"), Qt::LeftButton);
    ASSERT_EQ(recorder.messages.size(), 2);
    EXPECT_TRUE(recorder.messages[0].startsWith("Could not handle 2 files or folders:\n" + fromPath(base / "a.txt")
                                                + ": 58 :: "));
    EXPECT_EQ(recorder.messages[1], "Done.");
}

TEST_F(EraseWindow, EmptyChunkIsRefusedAndNothingIsWritten)
{
    base.write("a.txt", "a");
    ASSERT_TRUE(control<FolderPicker>(window, "Dir1")->setPath(fromPath(base.path())));
    setBoxBytes(control<QPlainTextEdit>(window, "richChunk"), "\r\n\r\n");
    QTest::mouseClick(control<QPushButton>(window, "cmdBegin"), Qt::LeftButton);
    ASSERT_EQ(recorder.messages.size(), 1);
    EXPECT_TRUE(recorder.messages[0].startsWith("There is no chunk to erase"));
    EXPECT_FALSE(fs::exists(base / "copies"));
}

class ReplaceWindow : public ::testing::Test {
protected:
    test::TempDir program;
    test::TempDir work;
    test::ProgramFolderOverride home{program.path()};
    test::MessageRecorder recorder;
    frmReplaceLineFromFile window;
};

TEST_F(ReplaceWindow, RunsThePairsAndSaysDoneWithSnp)
{
    EXPECT_EQ(window.windowTitle(), "Form2");
    EXPECT_EQ(control<QLineEdit>(window, "txtPath")->text(), "Text1");
    program.write("replaceLines.txt", "cat\r\ndog\r\n");
    work.write("a.txt", "cat\n");
    ASSERT_TRUE(control<FolderPicker>(window, "Dir1")->setPath(fromPath(work.path())));
    EXPECT_EQ(control<QLineEdit>(window, "txtPath")->text(), fromPath(work.path()));
    QTest::mouseClick(control<QPushButton>(window, "cmdBegin"), Qt::LeftButton);
    EXPECT_EQ(recorder.messages, QStringList{"done with snp"});
    EXPECT_EQ(test::readBytes(work / "copies/a.txt"), "dog\r\n");
}

TEST_F(ReplaceWindow, MissingPairFileGivesOneMessageNamingIt)
{
    work.write("a.txt", "cat\n");
    ASSERT_TRUE(control<FolderPicker>(window, "Dir1")->setPath(fromPath(work.path())));
    QTest::mouseClick(control<QPushButton>(window, "cmdBegin"), Qt::LeftButton);
    ASSERT_EQ(recorder.messages.size(), 1);
    EXPECT_TRUE(recorder.messages[0].startsWith("53 :: "));
    EXPECT_TRUE(recorder.messages[0].contains(fromPath(program / "replaceLines.txt")));
    EXPECT_FALSE(fs::exists(work / "copies"));
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
    // The chooser's button opens the same window, with what was typed kept.
    setBoxBytes(control<QPlainTextEdit>(*erase, "richChunk"), "typed");
    QTest::mouseClick(frame.findChild<QPushButton*>("cmdOpenForm_2"), Qt::LeftButton);
    EXPECT_EQ(findOpenWindow("frmEraseChunks"), erase);
    EXPECT_EQ(boxBytes(control<QPlainTextEdit>(*erase, "richChunk")), "typed");
    EXPECT_TRUE(recorder.messages.isEmpty());
}

}  // namespace
}  // namespace qb
