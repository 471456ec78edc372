// Both scanner windows, opened from the chooser and driven as a user would.
#include "ui/cp1252.h"
#include "ui/editor.h"
#include "ui/pickers.h"
#include "tools/scan/scanTools.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTest>

#include <gtest/gtest.h>

#include "support/process.h"
#include "support/toolWindow.h"

namespace qb {
namespace {

class ScanWindows : public test::ToolWindowTest {
protected:
    static void SetUpTestSuite() { registerScanTools(); }

    std::string resultBytes() const { return boxBytes(box("Text1")); }

    void enterOnLine(int n) const
    {
        QPlainTextEdit* text = box("Text1");
        text->setTextCursor(QTextCursor(text->document()->findBlockByNumber(n)));
        QTest::keyClick(text, Qt::Key_Return);
    }
};

TEST_F(ScanWindows, FindSubsScansPickedFilesInTheirOrder)
{
    const auto first = temp.write("z.bas", "Public Sub Z()\r\n");
    const auto second = temp.write("m.bas", "Sub Main()\r\n");
    const auto third = temp.write("a.cls", "Private Sub A()\r\n");
    const auto skipListed = temp.write("s.zip", "Public Sub S()\r\n");
    ASSERT_TRUE(open("cmdOpenForm_9", "frmFindSubNFuncts"));
    box("Text1")->setPlainText("before");

    test::FileDialogScript dialog;  // cancelled: nothing happens
    click("cmdPickNGo");
    EXPECT_EQ(box("Text1")->toPlainText(), "before");

    dialog.answer = {fromPath(first), fromPath(temp.path()), fromPath(second), fromPath(temp / "missing.bas"),
                     fromPath(skipListed), fromPath(third)};
    click("cmdPickNGo");
    EXPECT_EQ(resultBytes(), first.string() + "\r\n\tPublic Sub Z()\r\n" + third.string() + "\r\n\tPrivate Sub A()\r\n");
    EXPECT_EQ(window->windowTitle(), fromPath(third));
    ASSERT_EQ(dialog.requests.size(), 2u);
    EXPECT_TRUE(dialog.requests[1].multiple);
    EXPECT_TRUE(recorder.messages.isEmpty());
}

// The window's filter reaches the walk: with "Skip files git ignores" on, what git ignores is left
// out; the Files patterns choose among the rest; a pattern that does not close stops the run with
// a message. Both off, every file is scanned as before.
TEST_F(ScanWindows, FilterControlsChooseTheFilesAScanWalks)
{
    const test::EnvironmentOverride home("HOME", (temp / "home").native());
    const test::EnvironmentOverride config("XDG_CONFIG_HOME", (temp / "home/.config").native());
    for (const char* file : {"repo/a.bas", "repo/c.txt", "repo/ignored/b.bas", "repo/sub/d.bas"})
        temp.write(file, "' TODO: here\r\n");
    temp.write("repo/.gitignore", "ignored/\r\n");
    ASSERT_EQ(test::runProgram("git", {"init", "-q"}, {.folder = temp / "repo"}).status, 0);
    ASSERT_TRUE(open("cmdOpenForm_7", "frmFindTodos"));
    auto* skip = child<QCheckBox>("chkSkipGitIgnored");
    QLineEdit* files = line("txtFiles");
    const auto scanned = [&] {
        runIn(temp / "repo", "cmdGo");
        std::vector<std::string> found;
        for (const char* file : {"a.bas", "c.txt", "ignored/b.bas", "sub/d.bas"})
            if (resultBytes().find((temp / "repo" / file).string()) != std::string::npos)
                found.push_back(file);
        return found;
    };
    EXPECT_EQ(scanned(), (std::vector<std::string>{"a.bas", "c.txt", "ignored/b.bas", "sub/d.bas"}));
    skip->setChecked(true);
    EXPECT_EQ(scanned(), (std::vector<std::string>{"a.bas", "c.txt", "sub/d.bas"}));
    QTest::keyClicks(files, "*.bas !sub/");
    EXPECT_EQ(scanned(), (std::vector<std::string>{"a.bas"}));
    skip->setChecked(false);
    EXPECT_EQ(scanned(), (std::vector<std::string>{"a.bas", "ignored/b.bas"}));
    EXPECT_TRUE(recorder.messages.isEmpty());

    files->setText("{a");
    const std::string before = resultBytes();
    EXPECT_EQ(scanned(), (std::vector<std::string>{"a.bas", "ignored/b.bas"}));
    EXPECT_EQ(resultBytes(), before);
    EXPECT_TRUE(recorder.only("5 :: '{a' is not a glob"));
}

// The scan runs off the window thread: its button is disabled meanwhile, the report comes once.
TEST_F(ScanWindows, WindowStaysResponsiveWhileItScans)
{
    for (int i = 0; i < 60; ++i)
        temp.write("tree/d" + std::to_string(i % 6) + "/f" + std::to_string(i) + ".bas", "x ' TODO: x\r\n");
    ASSERT_TRUE(open("cmdOpenForm_7", "frmFindTodos"));
    ASSERT_TRUE(child<FolderPicker>("Dir1")->setPath(fromPath(temp / "tree")));
    QSignalSpy changes(box("Text1"), &QPlainTextEdit::textChanged);
    {
        test::RunGate gate;
        QTest::mouseClick(child<QPushButton>("cmdGo"), Qt::LeftButton);
        while (!gate.reached())
            QCoreApplication::processEvents();
        EXPECT_FALSE(child<QPushButton>("cmdGo")->isEnabled());
        EXPECT_EQ(changes.count(), 0);
    }
    EXPECT_EQ(changes.count(), 1);
    EXPECT_TRUE(child<QPushButton>("cmdGo")->isEnabled());
    EXPECT_EQ(box("Text1")->toPlainText().count("File: "), 60);
    EXPECT_TRUE(recorder.messages.isEmpty());
}

// A double-click or Enter on a result line starts the user's editor command (each placeholder one
// argument), else the first default editor on the PATH, at that line; a missing one is one message.
// A paragraph separator in a line does not shift the lines after it.
TEST_F(ScanWindows, ResultLinesOpenTheirFileInTheEditor)
{
    const std::filesystem::path file = temp.write("tree/my \"odd\" a.bas", "code\r\n' TODO: a\xE2\x80\xA9 b\r\n' more\r\n");
    const QString F = fromPath(file);
    ASSERT_TRUE(open("cmdOpenForm_7", "frmFindTodos"));
    runIn(temp / "tree", "cmdGo");
    ASSERT_EQ(box("Text1")->document()->findBlockByNumber(3).text(), "' more");
    const std::vector<const char*> all = {"code", "kate", "gedit", "gvim", "xdg-open"};
    // No program: nothing starts, and the message is shown.
    struct Row { const char* name; std::vector<const char*> onPath; QString chosen; const char* program; QStringList arguments; QString message; };
    const Row rows[] = {
        {"chosen", {"myedit"}, "myedit --at={line} \"{file}\"", "myedit", {"--at=3", F}, {}},
        {"code", all, {}, "code", {"-g", F + ":3"}, {}},
        {"gvim", {all.begin() + 3, all.end()}, {}, "gvim", {"+3", F}, {}},
        {"opener", {"xdg-open"}, {}, "xdg-open", {F}, {}},
        {"none", {}, {}, nullptr, {},
         "xdg-open could not be started: it was not found on the PATH. Choose an editor under Options > Editor."},
        {"chosen missing", {}, "myedit {file}", nullptr, {},
         "myedit could not be started: it was not found on the PATH. Choose an editor under Options > Editor."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::filesystem::path bin = temp / row.name;
        test::FakePrograms programs(bin, row.onPath);
        setEditorTemplate(row.chosen);
        test::LaunchRecorder launches;
        recorder.messages.clear();
        doubleClickLine("Text1", 3);
        decltype(launches.launches) expected;
        if (row.program)
            expected.emplace_back(fromPath(bin / row.program), row.arguments);
        EXPECT_EQ(launches.launches, expected);
        EXPECT_EQ(recorder.messages, row.program ? QStringList{} : QStringList{row.message});
    }

    // Enter on the file's header opens it at its first line; on the separator, nothing opens and
    // the report stays as it is. Once the user edits the report, Enter is a line break again.
    test::FakePrograms programs(temp / "bin", {"myedit"});
    setEditorTemplate("myedit {file}:{line}");
    test::LaunchRecorder launches;
    enterOnLine(1);
    enterOnLine(0);
    EXPECT_EQ(launches.launches, (decltype(launches.launches){{fromPath(temp / "bin/myedit"), {F + ":1"}}}));
    const QString report = box("Text1")->toPlainText();
    QTest::keyClick(box("Text1"), Qt::Key_X);
    enterOnLine(3);
    EXPECT_EQ(launches.launches.size(), 1u);
    EXPECT_EQ(box("Text1")->toPlainText().size(), report.size() + 2);
}

// "Save Report As" writes the format that a known extension typed in the name gives, in any case,
// and otherwise the format of the file type chosen (the writers are proven to the byte through the
// command line); a failed save is one message naming the file.
TEST_F(ScanWindows, SaveReportAsInEachFormat)
{
    temp.write("tree/a.bas", "x\r\n' TODO: a, \"b\" | c\r\n' more\r\n");
    ASSERT_TRUE(open("cmdOpenForm_7", "frmFindTodos"));
    auto* save = child<QAction>("mnuSaveReport");
    EXPECT_FALSE(save->isEnabled());  // nothing to save before a scan
    runIn(temp / "tree", "cmdGo");
    ASSERT_TRUE(save->isEnabled());
    const std::string csv = "path,line,kind,text\r\n" + (temp / "tree/a.bas").string() + ",2,todo,\"' TODO: a, \"\"b";
    struct Row { int type; const char* name; std::string start; };
    const std::string json = "[\n  {\"path\": \"", markdown = "| path | line | kind | text |\n";
    const Row rows[] = {{0, "report.txt", resultBytes()}, {1, "report.csv", csv}, {2, "report.json", json},
                        {0, "todos.JSON", json}, {3, "typed.Csv", csv}, {1, "typed.txt", resultBytes()},
                        {2, "typed.log", json}, {0, "typed.md.bak", resultBytes()}, {3, "report.md", markdown}};
    for (const Row& row : rows) {
        test::SaveDialogScript dialog(SaveDialogAnswer{fromPath(temp / row.name), row.type});
        save->trigger();
        ASSERT_EQ(dialog.requests.size(), 1u);
        const std::string saved = test::readBytes(temp / row.name);
        EXPECT_TRUE(saved.starts_with(row.start) && (row.start != resultBytes() || saved == row.start)) << row.name;
    }
    EXPECT_EQ(status(), "Report saved as " + fromPath(temp / "report.md"));

    test::SaveDialogScript failing(SaveDialogAnswer{fromPath(temp / "missing/report.csv"), 1});
    save->trigger();
    EXPECT_TRUE(recorder.only("The report could not be saved.\r\n", fromPath(temp / "missing")));
    EXPECT_FALSE(std::filesystem::exists(temp / "missing"));
}

// The status bar sums up each scan; the message at the end lists what could not be read.
TEST_F(ScanWindows, StatusBarSummarisesEachScanAndEachFileShowsInItsOwnEncoding)
{
    temp.write("tree/a.bas", "' TODO: a\r\nx\r\n' TODO: b\r\n");
    temp.write("tree/b.bas", "plain\r\n");
    temp.write("tree/app", std::string("\x7F" "ELF\0\0", 6));
    const QString unreadable = fromPath(test::makeUnreadableFile(temp / "tree/c\xC3\xA9.bas"));
    struct Row { const char *opener, *window, *summary; };
    const Row rows[] = {
        {"cmdOpenForm_7", "frmFindTodos", "Find TODOs: 2 blocks in 1 file, 1 binary file skipped, 1 could not be read, "},
        {"cmdOpenForm_9", "frmFindSubNFuncts", "No declarations found in 4 files, 1 binary file skipped, 1 could not be read, "},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(open(row.opener, row.window));
        runIn(temp / "tree", "cmdGo");
        EXPECT_TRUE(status().startsWith(row.summary)) << status().toStdString();
        EXPECT_TRUE(status().endsWith(" s")) << status().toStdString();
        EXPECT_TRUE(recorder.only("This could not be read and was skipped:\n57 :: " + unreadable, "\n1 binary file skipped"));
    }

    // Each file shows in its own encoding (a UTF-8 name too).
    temp.write("enc/a.bas", "' TODO: na\xC3\xAFve\r\n");
    temp.write("enc/b.bas", "' TODO: caf\xE9\r\n");
    temp.write("enc/c\xC3\xA9.bas", "' TODO: \xE9t\xE9\r\n");
    ASSERT_TRUE(open("cmdOpenForm_7", "frmFindTodos"));
    runIn(temp / "enc", "cmdGo");
    const QStringList lines = box("Text1")->toPlainText().split('\n');
    for (const QString& shown : {QString("' TODO: na\u00EFve"), QString("' TODO: caf\u00E9"), QString("' TODO: \u00E9t\u00E9"),
                                 "File: " + fromPath(temp / "enc/c\xC3\xA9.bas")})
        EXPECT_TRUE(lines.contains(shown)) << shown.toStdString();
}

// Ctrl+P prints the active window only, each print its own document, done by the time it is told.
TEST_F(ScanWindows, QuickPrintOfTheActiveWindow)
{
    QWidget* todos = open("cmdOpenForm_7", "frmFindTodos");
    QWidget* subs = open("cmdOpenForm_9", "frmFindSubNFuncts");
    ASSERT_TRUE(todos && subs);
    child<QPlainTextEdit>(todos, "Text1")->setPlainText("' TODO: printed na\u00EFve marker");
    auto* text = child<QPlainTextEdit>(subs, "Text1");
    text->setPlainText("Public Sub PrintedDeclaration()");
    text->setFocus();
    QTest::keyClick(text, Qt::Key_P, Qt::ControlModifier);
    const QString done = "Printin', yo\r\nPrinted to " + fromPath(temp / "print.pdf");
    EXPECT_EQ(recorder.messages, QStringList{done});
    EXPECT_NE(test::pdfText(temp / "print.pdf").find("Public Sub PrintedDeclaration()"), std::string::npos);
    child<QAction>(todos, "mnuPrint")->trigger();
    EXPECT_EQ(recorder.messages, QStringList(2, done));
    const std::string printed = test::pdfText(temp / "print.pdf");
    EXPECT_NE(printed.find("' TODO: printed na\xC3\xAFve marker"), std::string::npos) << printed;
    EXPECT_EQ(printed.find("PrintedDeclaration"), std::string::npos) << "each print is its own document";
}

}  // namespace
}  // namespace qb
