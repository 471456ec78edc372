// The chunk repeater, rows-to-columns and combine windows, opened from the chooser in a frame and
// driven as a user would: controls found by name, clicks through QTest, messages recorded.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "shell/cp1252.h"
#include "shell/frmMain.h"
#include "shell/pickers.h"
#include "shell/printing.h"
#include "shell/windows.h"
#include "support/recorder.h"
#include "tools/text/carpalTunnel.h"
#include "tools/text/textTools.h"

namespace qb {
namespace {

QString qpath(const std::filesystem::path& path) { return fromPath(path); }

// A frame with the chooser, the program's folder pointed at a temporary folder.
class TextWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() { registerTextTools(); }
    void SetUp() override { frame->show(); }
    void TearDown() override
    {
        (void)endPrintDocument();
        setPrintToPdf({});
    }

    // Presses chooser button `index`; `window` becomes the tool window it opened, maximised.
    void open(int index, const char* className)
    {
        QTest::mouseClick(frame->findChild<QPushButton*>(QStringLiteral("cmdOpenForm_%1").arg(index)), Qt::LeftButton);
        window = findOpenWindow(className);
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(window->parentWidget()->isMaximized());
    }
    void closeWindow()
    {
        window->parentWidget()->close();
        QApplication::processEvents();
    }
    template <class T = QPlainTextEdit>
    T* child(const char* name) const
    {
        T* found = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QLineEdit* line(const char* name) const { return child<QLineEdit>(name); }
    void click(const char* button) const { QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton); }

    test::TempDir temp;
    test::ProgramFolderOverride programFolder{temp.path()};
    test::MessageRecorder recorder;
    std::unique_ptr<frmMain> frame = std::make_unique<frmMain>();
    QWidget* window = nullptr;
};

// Puts a folder of stand-in programs first on the PATH for as long as it lives.
class FakePrograms {
public:
    FakePrograms(const test::TempDir& temp, std::initializer_list<const char*> names)
        : folder_(temp.mkdir("bin")), previous_(qgetenv("PATH"))
    {
        for (const char* name : names) {
            const auto program = temp.write(std::string("bin/") + name, "#!/bin/sh\n");
            std::filesystem::permissions(program, std::filesystem::perms::owner_all);
        }
        qputenv("PATH", QByteArray::fromStdString(folder_.string()));
    }
    ~FakePrograms() { qputenv("PATH", previous_); }
    QString operator/(const char* name) const { return qpath(folder_ / name); }

private:
    std::filesystem::path folder_;
    QByteArray previous_;
};

// ---- Chunk repeater --------------------------------------------------------------------------

TEST_F(TextWindow, RepeaterRunsAndKeepsItsChunkAcrossCloseAndReopen)
{
    open(3, "frmCarpalTunnel");
    QPlainTextEdit* rich1 = child("rich1");
    EXPECT_EQ(window->windowTitle(), "Insert a bit into big chunks over and over.");
    EXPECT_EQ(line("txtFileName_0")->text(), qpath(temp / "in.txt"));
    EXPECT_EQ(line("txtFileName_1")->text(), qpath(temp / "out.txt"));
    EXPECT_EQ(boxBytes(child("txtChunk")), defaultChunk());
    EXPECT_EQ(child<QLabel>("Label1")->text(), QString::fromUtf8("Replace any occurances of ¢ in this chunk..."));
    EXPECT_TRUE(child<QLabel>("Label4")->text().endsWith("so that you can cut & paste quickly"));

    temp.write("in.txt", "roads\r\nrivers\r\nlakes\r\n");
    setBoxBytes(child("txtChunk"), "\xA2=\xED\r\n");
    click("cmdGo");
    EXPECT_EQ(recorder.messages, QStringList{"done"});
    EXPECT_EQ(test::readBytes(temp / "out.txt"), "roads=10\r\nrivers=11\r\nlakes=12\r\n");
    EXPECT_EQ(boxBytes(rich1), "roads=10\r\n\r\nrivers=11\r\n\r\nlakes=12\r\n\r\n");

    // Double-up with an odd number of lines: the pair before stays, then the error and its cause.
    child<QCheckBox>("chkDoubleUp")->setChecked(true);
    click("cmdGo");
    ASSERT_EQ(recorder.messages.size(), 2);
    EXPECT_TRUE(recorder.messages[1].startsWith(
        "Error detected -- did you double up with an in.txt with an odd number of lines?\r\n62 :: "));
    EXPECT_EQ(boxBytes(rich1), "roads=10\r\n\r\n");

    // The same file in both boxes is refused before anything is written.
    line("txtFileName_1")->setText(line("txtFileName_0")->text());
    click("cmdGo");
    ASSERT_EQ(recorder.messages.size(), 3);
    EXPECT_TRUE(recorder.messages[2].contains("same file"));
    EXPECT_EQ(test::readBytes(temp / "in.txt"), "roads\r\nrivers\r\nlakes\r\n");

    for (int round = 0; round < 2; ++round) {
        closeWindow();
        EXPECT_EQ(test::readBytes(temp / "last.txt"), "\xA2=\xED\r\n\r\n");
        open(3, "frmCarpalTunnel");
        EXPECT_EQ(boxBytes(child("txtChunk")), "\xA2=\xED\r\n") << "round " << round;
    }
    setBoxBytes(child("txtChunk"), "edited");
    frame->close();  // the frame closes its children, which save
    EXPECT_EQ(test::readBytes(temp / "last.txt"), "edited\r\n");
    EXPECT_EQ(recorder.messages.size(), 3);
}

TEST_F(TextWindow, RepeaterFailedSaveShowsOneMessageAndStillCloses)
{
    open(3, "frmCarpalTunnel");
    temp.mkdir("last.txt");  // a folder where the store should be
    closeWindow();
    EXPECT_EQ(findOpenWindow("frmCarpalTunnel"), nullptr);
    ASSERT_EQ(recorder.messages.size(), 1);
    EXPECT_TRUE(recorder.messages[0].startsWith("The chunk could not be saved."));
}

TEST_F(TextWindow, RepeaterChangeFileAndEditors)
{
    open(3, "frmCarpalTunnel");
    test::FileDialogScript dialog({qpath(temp / "other.txt")});
    click("cmdChangeFile_0");
    EXPECT_EQ(line("txtFileName_0")->text(), qpath(temp / "other.txt"));
    ASSERT_EQ(dialog.requests.size(), 1u);
    EXPECT_EQ(dialog.requests[0].folder, qpath(temp.path()));
    EXPECT_TRUE(dialog.requests[0].filter.startsWith("Text Files (*.txt)"));
    EXPECT_TRUE(dialog.requests[0].existingOnly);
    dialog.answer.clear();  // cancelled: the box keeps its path
    click("cmdChangeFile_1");
    EXPECT_EQ(line("txtFileName_1")->text(), qpath(temp / "out.txt"));

    test::LaunchRecorder launches;
    {
        FakePrograms none(temp, {});
        click("cmdVim");
        ASSERT_EQ(recorder.messages.size(), 1);
        EXPECT_TRUE(recorder.messages[0].startsWith("gvim could not be started"));
    }
    FakePrograms programs(temp, {"gvim", "mousepad"});
    click("cmdVim");
    click("cmdEditIn");
    ASSERT_EQ(launches.launches.size(), 2u);
    EXPECT_EQ(launches.launches[0], std::pair(programs / "gvim", QStringList{qpath(temp / "other.txt")}));
    // The Notepad button always opens the default input file.
    EXPECT_EQ(launches.launches[1], std::pair(programs / "mousepad", QStringList{qpath(temp / "in.txt")}));
    EXPECT_EQ(test::readBytes(temp / "other.txt"), "") << "the named in file is created empty";
    EXPECT_EQ(recorder.messages.size(), 1);
}

// ---- Rows to columns -------------------------------------------------------------------------

TEST_F(TextWindow, RowsToColsConvertsComplainsAndPrints)
{
    open(11, "frmTwoTabbedRowsToCols");
    QPlainTextEdit* richIn = child("richIn");
    QPlainTextEdit* richOut = child("richOut");
    EXPECT_EQ(window->windowTitle(), "Two tabbed rows to cols");
    const QFontMetrics metrics(richOut->font());
    EXPECT_EQ(metrics.horizontalAdvance('i'), metrics.horizontalAdvance('W')) << "a fixed-width font";
    EXPECT_EQ(richIn->x(), 0);
    EXPECT_EQ(richIn->width(), (window->parentWidget()->width() * 15 - 100) / 15);

    setBoxBytes(richIn, "id\tname\r\n7\tAnn");
    click("cmdGo");
    EXPECT_EQ(boxBytes(richOut), "id  \t7\r\nname\tAnn\r\n");

    const auto pdf = temp / "printed.pdf";
    setPrintToPdf(qpath(pdf));
    click("cmdPrint");
    EXPECT_TRUE(recorder.messages.isEmpty());
    QProcess pdftotext;
    pdftotext.start("pdftotext", {qpath(pdf), "-"});
    ASSERT_TRUE(pdftotext.waitForFinished(30000));
    EXPECT_TRUE(pdftotext.readAllStandardOutput().contains("Ann"));

    richIn->setPlainText("only one line");
    click("cmdGo");
    EXPECT_EQ(recorder.messages, QStringList{"ensure that you've got two lines"});
    EXPECT_EQ(richOut->toPlainText(), "");
    EXPECT_EQ(richIn->toPlainText(), "only one line");
}

// ---- Combine lines from two files ------------------------------------------------------------

// Opens `folder` in the folder picker `dir` and picks `name` in its file list.
void pick(QWidget* window, const char* dir, const char* list, const std::filesystem::path& folder, const char* name)
{
    window->findChild<FolderPicker*>(dir)->setPath(qpath(folder));
    QListWidget* files = window->findChild<QListWidget*>(list);
    const auto found = files->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << name;
    files->setCurrentItem(found.front());
}

TEST_F(TextWindow, CombinePicksBothFilesJoinsThemAndReportsAMissingOne)
{
    open(8, "frmCombineFiles");
    QPlainTextEdit* rich1 = child("rich1");
    EXPECT_EQ(window->windowTitle(), "Combine Text Files Line-by-Line");
    temp.write("one/b.txt", "a\r\nb\r\nc\r\n");
    temp.write("one/A.txt", "");
    temp.mkdir("one/sub");
    temp.write("two/numbers.txt", "1\r\n2\r\n");
    pick(window, "Dir1", "List1", temp / "one", "b.txt");
    EXPECT_EQ(child<QListWidget>("List1")->count(), 2) << "files only";
    EXPECT_EQ(line("Text1")->text(), qpath(temp / "one") + "/b.txt");
    pick(window, "Dir2", "List2", temp / "two", "numbers.txt");
    EXPECT_EQ(line("Text2")->text(), qpath(temp / "two") + "/numbers.txt");
    click("Command1");
    EXPECT_EQ(boxBytes(rich1), "a1\r\nb2\r\n");
    EXPECT_TRUE(recorder.messages.isEmpty());

    line("Text2")->setText(qpath(temp / "missing.txt"));
    click("Command1");
    ASSERT_EQ(recorder.messages.size(), 1);
    EXPECT_TRUE(recorder.messages[0].startsWith("53 :: ") && recorder.messages[0].contains("missing.txt"));
    line("Text2")->clear();
    click("Command1");
    EXPECT_EQ(recorder.messages.size(), 1);
    EXPECT_EQ(boxBytes(rich1), "a1\r\nb2\r\n");
}

}  // namespace
}  // namespace qb
