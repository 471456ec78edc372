// The chunk repeater, rows-to-columns and combine windows, opened from the chooser in a frame and
// driven as a user would: controls found by name, clicks through QTest, messages recorded.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <unistd.h>

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

    void SetUp() override
    {
        frame = std::make_unique<frmMain>();
        frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    }

    // Presses chooser button `index` and returns the tool window it opened.
    QWidget* openFromChooser(int index, const char* className)
    {
        QTest::mouseClick(frame->findChild<QPushButton*>(QStringLiteral("cmdOpenForm_%1").arg(index)),
                          Qt::LeftButton);
        QWidget* window = findOpenWindow(className);
        if (window) {
            auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget());
            EXPECT_TRUE(sub && sub->isMaximized() && frame->workspace()->activeSubWindow() == sub);
        }
        return window;
    }

    void closeWindow(QWidget* window)
    {
        qobject_cast<QMdiSubWindow*>(window->parentWidget())->close();
        QApplication::processEvents();
    }

    template <class T>
    static T* child(const QWidget* window, const char* name)
    {
        T* found = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    static void click(const QWidget* window, const char* button)
    {
        QTest::mouseClick(child<QPushButton>(window, button), Qt::LeftButton);
    }

    test::TempDir temp;
    test::ProgramFolderOverride programFolder{temp.path()};
    test::MessageRecorder recorder;
    std::unique_ptr<frmMain> frame;
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

class CarpalTunnelWindow : public TextWindow {
protected:
    void SetUp() override
    {
        TextWindow::SetUp();
        window = openFromChooser(3, "frmCarpalTunnel");
        ASSERT_NE(window, nullptr);
        chunk = child<QPlainTextEdit>(window, "txtChunk");
        inFile = child<QLineEdit>(window, "txtFileName_0");
        outFile = child<QLineEdit>(window, "txtFileName_1");
        rich1 = child<QPlainTextEdit>(window, "rich1");
    }
    QWidget* window = nullptr;
    QPlainTextEdit* chunk = nullptr;
    QLineEdit* inFile = nullptr;
    QLineEdit* outFile = nullptr;
    QPlainTextEdit* rich1 = nullptr;
};

TEST_F(CarpalTunnelWindow, LoadsWithDefaultsAndCaptions)
{
    EXPECT_EQ(window->windowTitle(), "Insert a bit into big chunks over and over.");
    EXPECT_EQ(inFile->text(), qpath(temp / "in.txt"));
    EXPECT_EQ(outFile->text(), qpath(temp / "out.txt"));
    EXPECT_EQ(boxBytes(chunk), defaultChunk());
    EXPECT_EQ(child<QLineEdit>(window, "txtCountStart")->text(), "10");
    EXPECT_FALSE(child<QCheckBox>(window, "chkDoubleUp")->isChecked());
    EXPECT_EQ(child<QCheckBox>(window, "chkDoubleUp")->text(), "Double-up");
    const std::pair<const char*, const char*> buttons[] = {
        {"cmdChangeFile_0", "<<< Change &in file"}, {"cmdChangeFile_1", "<<< Change &out file"},
        {"cmdGo", "&GO!"}, {"cmdEditIn", "&Edit in.txt"}, {"cmdVim", "Edit in.txt in g&VIm"}};
    for (const auto& [name, caption] : buttons)
        EXPECT_EQ(child<QPushButton>(window, name)->text(), caption);
    EXPECT_EQ(child<QLabel>(window, "Label1")->text(), QString::fromUtf8("Replace any occurances of ¢ in this chunk..."));
    EXPECT_TRUE(child<QLabel>(window, "Label4")->text().endsWith("just so that you can cut & paste quickly"));
    EXPECT_EQ(child<QLabel>(window, "Label5")->text(), QString::fromUtf8("í counter start (must be an int)"));
    EXPECT_TRUE(child<QLabel>(window, "Label6")->text().contains(QString::fromUtf8("then æ [alt-145]")));
    EXPECT_TRUE(recorder.messages.isEmpty());
}

TEST_F(CarpalTunnelWindow, RunWritesTheOutputAndShowsDone)
{
    temp.write("in.txt", "roads\r\nrivers\r\n");
    setBoxBytes(chunk, "\xA2=\xED\r\n");
    rich1->setPlainText("old");
    click(window, "cmdGo");
    EXPECT_EQ(recorder.messages, QStringList{"done"});
    EXPECT_EQ(test::readBytes(temp / "out.txt"), "roads=10\r\nrivers=11\r\n");
    EXPECT_EQ(boxBytes(rich1), "roads=10\r\n\r\nrivers=11\r\n\r\n");
    EXPECT_EQ(rich1->textCursor().selectionStart(), 0);
}

TEST_F(CarpalTunnelWindow, FailedRunKeepsEarlierRepetitionsAndSaysWhy)
{
    temp.write("in.txt", "a\r\nb\r\nc\r\n");
    setBoxBytes(chunk, "\xA2\xE6");
    child<QCheckBox>(window, "chkDoubleUp")->setChecked(true);
    click(window, "cmdGo");
    ASSERT_EQ(recorder.messages.size(), 1);
    EXPECT_TRUE(recorder.messages[0].startsWith(
        "Error detected -- did you double up with an in.txt with an odd number of lines?\r\n62 :: "))
        << recorder.messages[0].toStdString();
    EXPECT_EQ(boxBytes(rich1), "ab\r\n");
    EXPECT_EQ(test::readBytes(temp / "out.txt"), "ab");
}

TEST_F(CarpalTunnelWindow, MissingOrSameFileWritesNothing)
{
    const auto in = temp.write("in.txt", "keep\r\n");
    const auto out = temp.write("out.txt", "old output");
    inFile->setText(qpath(temp / "missing.txt"));
    rich1->setPlainText("old");
    click(window, "cmdGo");
    EXPECT_EQ(recorder.messages, QStringList{"Please select a valid in file."});
    EXPECT_EQ(rich1->toPlainText(), "");

    recorder.messages.clear();
    inFile->setText(qpath(in));
    outFile->setText(qpath(in));
    click(window, "cmdGo");
    ASSERT_EQ(recorder.messages.size(), 1);
    EXPECT_TRUE(recorder.messages[0].contains("same file"));
    EXPECT_EQ(test::readBytes(in), "keep\r\n");
    EXPECT_EQ(test::readBytes(out), "old output");
}

TEST_F(CarpalTunnelWindow, ChunkComesBackUnchangedAfterCloseAndReopen)
{
    for (int round = 0; round < 2; ++round) {
        closeWindow(window);
        EXPECT_EQ(findOpenWindow("frmCarpalTunnel"), nullptr);
        EXPECT_EQ(test::readBytes(temp / "last.txt"), defaultChunk() + "\r\n");
        window = openFromChooser(3, "frmCarpalTunnel");
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(boxBytes(child<QPlainTextEdit>(window, "txtChunk")), defaultChunk()) << "round " << round;
    }
    setBoxBytes(child<QPlainTextEdit>(window, "txtChunk"), "edited \xA2");
    frame->close();  // the frame closes its children, which save
    EXPECT_EQ(test::readBytes(temp / "last.txt"), "edited \xA2\r\n");
    EXPECT_TRUE(recorder.messages.isEmpty()) << recorder.messages.join("|").toStdString();
}

TEST_F(CarpalTunnelWindow, FailedSaveShowsOneMessageAndStillCloses)
{
    temp.mkdir("last.txt");  // a folder where the store should be
    closeWindow(window);
    EXPECT_EQ(findOpenWindow("frmCarpalTunnel"), nullptr);
    ASSERT_EQ(recorder.messages.size(), 1);
    EXPECT_TRUE(recorder.messages[0].startsWith("The chunk could not be saved.")) << recorder.messages[0].toStdString();
}

// A store that cannot be read is reported once and not overwritten by the default chunk.
TEST_F(CarpalTunnelWindow, UnreadableStoreIsKeptWhenTheChunkWasNotEdited)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind root";
    closeWindow(window);
    const auto store = temp.write("last.txt", "stored chunk\r\n");
    std::filesystem::permissions(store, std::filesystem::perms::none);
    window = openFromChooser(3, "frmCarpalTunnel");
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(recorder.messages.size(), 1);
    EXPECT_TRUE(recorder.messages[0].startsWith("The saved chunk could not be read"));
    EXPECT_EQ(boxBytes(child<QPlainTextEdit>(window, "txtChunk")), defaultChunk());
    closeWindow(window);
    std::filesystem::permissions(store, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(test::readBytes(store), "stored chunk\r\n");
}

TEST_F(CarpalTunnelWindow, ChangeFileAsksForAnExistingTextFileAndCancelKeepsThePath)
{
    test::FileDialogScript dialog({qpath(temp / "chosen.txt")});
    click(window, "cmdChangeFile_1");
    EXPECT_EQ(outFile->text(), qpath(temp / "chosen.txt"));
    EXPECT_EQ(inFile->text(), qpath(temp / "in.txt"));
    ASSERT_EQ(dialog.requests.size(), 1u);
    EXPECT_EQ(dialog.requests[0].folder, qpath(temp.path()));
    EXPECT_TRUE(dialog.requests[0].filter.startsWith("Text Files (*.txt)"));
    EXPECT_TRUE(dialog.requests[0].existingOnly);

    dialog.answer.clear();  // cancelled
    click(window, "cmdChangeFile_0");
    EXPECT_EQ(inFile->text(), qpath(temp / "in.txt"));
}

TEST_F(CarpalTunnelWindow, EditorsStartWithTheFileAsTheirOneArgument)
{
    FakePrograms programs(temp, {"gvim", "mousepad"});
    test::LaunchRecorder launches;
    inFile->setText(qpath(temp / "other.txt"));
    click(window, "cmdVim");
    click(window, "cmdEditIn");
    ASSERT_EQ(launches.launches.size(), 2u);
    EXPECT_EQ(launches.launches[0].first, programs / "gvim");
    EXPECT_EQ(launches.launches[0].second, QStringList{qpath(temp / "other.txt")});
    // The Notepad button always opens the default input file.
    EXPECT_EQ(launches.launches[1].first, programs / "mousepad");
    EXPECT_EQ(launches.launches[1].second, QStringList{qpath(temp / "in.txt")});
    EXPECT_EQ(test::readBytes(temp / "other.txt"), "") << "the named in file is created empty";
    EXPECT_TRUE(recorder.messages.isEmpty());
}

TEST_F(CarpalTunnelWindow, MissingEditorGivesOneClearMessage)
{
    FakePrograms programs(temp, {});
    test::LaunchRecorder launches;
    click(window, "cmdVim");
    click(window, "cmdEditIn");
    EXPECT_TRUE(launches.launches.empty());
    ASSERT_EQ(recorder.messages.size(), 2);
    EXPECT_TRUE(recorder.messages[0].startsWith("gvim could not be started")) << recorder.messages[0].toStdString();
    EXPECT_TRUE(recorder.messages[1].contains("gedit")) << recorder.messages[1].toStdString();

    recorder.messages.clear();
    FakePrograms gvim(temp, {"gvim"});
    launches.succeed = false;
    click(window, "cmdVim");
    ASSERT_EQ(recorder.messages.size(), 1);
    EXPECT_TRUE(recorder.messages[0].contains("could not be started"));
}

// ---- Rows to columns -------------------------------------------------------------------------

class RowsToColsWindow : public TextWindow {
protected:
    void SetUp() override
    {
        TextWindow::SetUp();
        window = openFromChooser(11, "frmTwoTabbedRowsToCols");
        ASSERT_NE(window, nullptr);
        richIn = child<QPlainTextEdit>(window, "richIn");
        richOut = child<QPlainTextEdit>(window, "richOut");
    }
    void TearDown() override
    {
        (void)endPrintDocument();
        setPrintToPdf({});
    }
    QWidget* window = nullptr;
    QPlainTextEdit* richIn = nullptr;
    QPlainTextEdit* richOut = nullptr;
};

TEST_F(RowsToColsWindow, ConvertsAndComplains)
{
    EXPECT_EQ(window->windowTitle(), "Two tabbed rows to cols");
    EXPECT_EQ(child<QPushButton>(window, "cmdGo")->text(), "&Go");
    EXPECT_EQ(child<QPushButton>(window, "cmdPrint")->text(), "&Print");
    for (const QPlainTextEdit* box : {richIn, richOut}) {
        const QFontMetrics metrics(box->font());
        EXPECT_EQ(metrics.horizontalAdvance('i'), metrics.horizontalAdvance('W')) << "a fixed-width font";
    }

    setBoxBytes(richIn, "id\tname\r\n7\tAnn");
    click(window, "cmdGo");
    EXPECT_EQ(boxBytes(richOut), "id  \t7\r\nname\tAnn\r\n");
    EXPECT_TRUE(recorder.messages.isEmpty());

    richIn->setPlainText("only one line");
    click(window, "cmdGo");
    EXPECT_EQ(recorder.messages, QStringList{"ensure that you've got two lines"});
    EXPECT_EQ(richOut->toPlainText(), "");
    EXPECT_EQ(richIn->toPlainText(), "only one line");
}

TEST_F(RowsToColsWindow, InputBoxSpansTheWindowFromTheLeftEdge)
{
    auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget());
    sub->showNormal();
    for (const int width : {500, 800}) {
        sub->resize(width, 500);
        EXPECT_EQ(richIn->x(), 0);
        EXPECT_EQ(richIn->width(), (width * 15 - 100) / 15) << width;
    }
}

TEST_F(RowsToColsWindow, PrintsTheOutputInAFixedFont)
{
    const auto pdf = temp / "printed.pdf";
    setPrintToPdf(qpath(pdf));
    setBoxBytes(richIn, "alpha\tbeta\r\n1\t2");
    click(window, "cmdGo");
    click(window, "cmdPrint");
    EXPECT_TRUE(recorder.messages.isEmpty());
    QProcess pdftotext;
    pdftotext.start("pdftotext", {qpath(pdf), "-"});
    ASSERT_TRUE(pdftotext.waitForFinished(30000));
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    EXPECT_TRUE(text.contains("alpha") && text.contains("beta")) << text.toStdString();

    setPrintToPdf(qpath(temp / "missing" / "printed.pdf"));
    click(window, "cmdPrint");
    ASSERT_EQ(recorder.messages.size(), 1);
    EXPECT_TRUE(recorder.messages[0].startsWith("error printing: 57 :: ")) << recorder.messages[0].toStdString();
}

// ---- Combine lines from two files ------------------------------------------------------------

class CombineWindow : public TextWindow {
protected:
    void SetUp() override
    {
        TextWindow::SetUp();
        window = openFromChooser(8, "frmCombineFiles");
        ASSERT_NE(window, nullptr);
        rich1 = child<QPlainTextEdit>(window, "rich1");
    }
    // Opens `folder` in the folder picker `dir` and picks `name` in its file list.
    void pick(const char* dir, const char* list, const std::filesystem::path& folder, const QString& name)
    {
        child<FolderPicker>(window, dir)->setProperty("path", qpath(folder));
        QListWidget* files = child<QListWidget>(window, list);
        const auto found = files->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << name.toStdString();
        files->setCurrentItem(found.front());
    }
    QWidget* window = nullptr;
    QPlainTextEdit* rich1 = nullptr;
};

TEST_F(CombineWindow, PicksBothFilesFromTheirListsAndJoinsThem)
{
    EXPECT_EQ(window->windowTitle(), "Combine Text Files Line-by-Line");
    EXPECT_EQ(child<QPushButton>(window, "Command1")->text(), "GO!!!!!");
    temp.write("one/b.txt", "a\r\nb\r\nc\r\n");
    temp.write("one/A.txt", "");
    temp.mkdir("one/sub");
    temp.write("two/numbers.txt", "1\r\n2\r\n");

    pick("Dir1", "List1", temp / "one", "b.txt");
    QStringList names;
    for (int i = 0; i < child<QListWidget>(window, "List1")->count(); ++i)
        names << child<QListWidget>(window, "List1")->item(i)->text();
    EXPECT_EQ(names, (QStringList{"A.txt", "b.txt"})) << "files only, in walk order";
    EXPECT_EQ(child<QLineEdit>(window, "Text1")->text(), qpath(temp / "one") + "/b.txt");
    pick("Dir2", "List2", temp / "two", "numbers.txt");
    EXPECT_EQ(child<QLineEdit>(window, "Text2")->text(), qpath(temp / "two") + "/numbers.txt");

    click(window, "Command1");
    EXPECT_EQ(boxBytes(rich1), "a1\r\nb2\r\n");
    EXPECT_TRUE(recorder.messages.isEmpty());
}

TEST_F(CombineWindow, EmptyPathOrMissingFileKeepsTheResult)
{
    const auto file = temp.write("a.txt", "a\r\n");
    rich1->setPlainText("earlier result");
    child<QLineEdit>(window, "Text1")->setText(qpath(file));
    click(window, "Command1");
    EXPECT_TRUE(recorder.messages.isEmpty());
    EXPECT_EQ(rich1->toPlainText(), "earlier result");

    child<QLineEdit>(window, "Text2")->setText(qpath(temp / "missing.txt"));
    click(window, "Command1");
    ASSERT_EQ(recorder.messages.size(), 1);
    EXPECT_TRUE(recorder.messages[0].startsWith("53 :: ")) << recorder.messages[0].toStdString();
    EXPECT_TRUE(recorder.messages[0].contains("missing.txt"));
    EXPECT_EQ(rich1->toPlainText(), "earlier result");
}

}  // namespace
}  // namespace qb
