// The scanner windows' "Language" choice and the TODO window's "Markers" box, driven as a user would.
#include "ui/cp1252.h"
#include "tools/scan/scanTools.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include "support/toolWindow.h"

namespace qb {
namespace {

class ScanLanguageWindows : public test::ToolWindowTest {
protected:
    static void SetUpTestSuite() { registerScanTools(); }

    std::string resultBytes() const { return boxBytes(box("Text1")); }
    std::string reportOf(const std::filesystem::path& file, const std::string& blocks) const
    {
        return "*************************\r\nFile: " + file.string() + "\r\n" + blocks + "\r\n*************************\r\n\r\n";
    }
};

TEST_F(ScanLanguageWindows, FindTodosByFileTypeWithTheUsersMarkers)
{
    const auto file = temp.write("tree/a.py", "s = 'TODO: in a string'\n# FIXME first\n# NOTE: mine\n");
    ASSERT_TRUE(open("cmdOpenForm_7", "frmFindTodos"));
    EXPECT_TRUE(child<QRadioButton>("optLanguage_0")->isChecked());
    EXPECT_EQ(child<QRadioButton>("optLanguage_1")->text(), "By file t&ype");

    runIn(temp / "tree", "cmdGo");
    EXPECT_EQ(resultBytes(), reportOf(file, "s = 'TODO: in a string'\r\n\r\n"));

    child<QRadioButton>("optLanguage_1")->click();
    ASSERT_TRUE(child<QRadioButton>("optLanguage_1")->isChecked());
    runIn(temp / "tree", "cmdGo");
    EXPECT_EQ(resultBytes(), reportOf(file, "# FIXME first\r\n# NOTE: mine\r\n\r\n"));

    QTest::keyClicks(line("txtMarkers"), "NOTE, HACK");
    runIn(temp / "tree", "cmdGo");
    EXPECT_EQ(resultBytes(), reportOf(file, "# NOTE: mine\r\n\r\n"));
    EXPECT_TRUE(recorder.messages.isEmpty());

    // The markers come back with the window.
    window->parentWidget()->close();
    QCoreApplication::processEvents();
    ASSERT_TRUE(open("cmdOpenForm_7", "frmFindTodos"));
    EXPECT_EQ(line("txtMarkers")->text(), "NOTE, HACK");
    EXPECT_TRUE(child<QRadioButton>("optLanguage_1")->isChecked());
}

// A broken languages.txt in the data folder is one message; the result box keeps its text.
TEST_F(ScanLanguageWindows, ABrokenLanguagesFileIsOneMessage)
{
    temp.write("tree/a.py", "# TODO: x\n");
    std::filesystem::create_directories(program);
    temp.write(std::filesystem::relative(program / "languages.txt", temp.path()).string(), "language X\nblock /*\n");
    ASSERT_TRUE(open("cmdOpenForm_7", "frmFindTodos"));
    box("Text1")->setPlainText("before");
    child<QRadioButton>("optLanguage_1")->click();
    runIn(temp / "tree", "cmdGo");
    EXPECT_EQ(box("Text1")->toPlainText(), "before");
    EXPECT_EQ(recorder.messages,
              QStringList{"13 :: " + fromPath(program / "languages.txt") + ", line 2: \"block\" needs an opener and a closer"});
}

// Find Subs and Functs by file type: ctags' declarations, or one message naming the package.
TEST_F(ScanLanguageWindows, FindSubsByFileTypeNeedsCtags)
{
    const auto file = temp.write("tree/a.py", "class K:\n    def m(self):\n        pass\nPublic Sub P()\n");
    ASSERT_TRUE(open("cmdOpenForm_9", "frmFindSubNFuncts"));
    EXPECT_TRUE(child<QRadioButton>("optLanguage_0")->isChecked());
    runIn(temp / "tree", "cmdGo");
    EXPECT_EQ(resultBytes(), file.string() + "\r\n\tPublic Sub P()\r\n");
    child<QRadioButton>("optLanguage_1")->click();
    runIn(temp / "tree", "cmdGo");
    EXPECT_EQ(resultBytes(), file.string() + "\r\n\tclass K:\r\n\t    def m(self):\r\n");
    EXPECT_TRUE(recorder.messages.isEmpty());

    test::EnvironmentOverride missing("QUILLBOX_CTAGS", "/nonexistent/ctags");
    runIn(temp / "tree", "cmdGo");
    EXPECT_EQ(resultBytes(), file.string() + "\r\n\tclass K:\r\n\t    def m(self):\r\n");
    EXPECT_EQ(recorder.messages, QStringList{"53 :: universal-ctags is not installed; install the Debian package universal-ctags "
                                             "to find declarations by file type"});
}

}  // namespace
}  // namespace qb
