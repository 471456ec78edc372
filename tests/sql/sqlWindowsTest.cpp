#include "tools/sql/frmMakeLinktables.h"
#include "tools/sql/frmOracleSeqTrigs.h"
#include "tools/sql/linkTable.h"
#include "tools/sql/seqTrig.h"
#include "tools/sql/sqlTools.h"

#include "shell/cp1252.h"
#include "shell/windows.h"
#include "support/recorder.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

namespace qb {
namespace {

namespace fs = std::filesystem;

template <class T>
T* child(QWidget& window, const char* name)
{
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        ADD_FAILURE() << "no control " << name;
    return found;
}

// Shows the window and makes it active so that focus moves as it does for a user.
void showActive(QWidget& window)
{
    window.show();
    QApplication::setActiveWindow(&window);
    window.activateWindow();
}

std::size_t entriesIn(const fs::path& folder)
{
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

class SeqTrigWindow : public ::testing::Test {
protected:
    frmOracleSeqTrigs window;
    QLineEdit* Text1 = child<QLineEdit>(window, "Text1");
    QLineEdit* Text2 = child<QLineEdit>(window, "Text2");
    QLineEdit* Text3 = child<QLineEdit>(window, "Text3");
    QPushButton* Command1 = child<QPushButton>(window, "Command1");
    QPlainTextEdit* RichTextBox1 = child<QPlainTextEdit>(window, "RichTextBox1");
    QPlainTextEdit* RichTextBox2 = child<QPlainTextEdit>(window, "RichTextBox2");
    QLabel* Label2 = child<QLabel>(window, "Label2");
    test::TempDir dir;
    test::MessageRecorder recorder;
};

TEST_F(SeqTrigWindow, OpensWithHomeFolderAndHiddenNote)
{
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Form1"));
    EXPECT_EQ(Text2->text(), QDir::homePath());
    EXPECT_TRUE(Text1->text().isEmpty());
    EXPECT_TRUE(Text3->text().isEmpty());
    EXPECT_TRUE(Label2->isHidden());
    EXPECT_EQ(child<QLabel>(window, "Label1_2")->text(), QStringLiteral("In Singular:"));
}

TEST_F(SeqTrigWindow, SingularFollowsEveryChangeOfTheTableName)
{
    showActive(window);
    QTest::keyClicks(Text1, "orders");
    EXPECT_EQ(Text3->text(), QStringLiteral("order"));
    // Tabbing into the singular puts the caret at its end, nothing selected.
    Text3->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(Text3->hasFocus());
    EXPECT_EQ(Text3->cursorPosition(), 5);
    EXPECT_FALSE(Text3->hasSelectedText());
    QTest::keyClicks(Text3, "Line");
    EXPECT_EQ(Text3->text(), QStringLiteral("orderLine"));
    // A further change of the table name replaces what was typed into the singular.
    QTest::keyClick(Text1, Qt::Key_Backspace);
    EXPECT_EQ(Text3->text(), QStringLiteral("order"));
}

TEST_F(SeqTrigWindow, WritesBothFilesWithTheEditedSingular)
{
    Text2->setText(fromPath(dir.path()));
    Text1->setText(QStringLiteral("people"));
    Text3->setText(QStringLiteral("person"));  // only the singular edited afterwards
    dir.write("seqPeople.sql", "an older and longer sequence script");

    QTest::mouseClick(Command1, Qt::LeftButton);

    EXPECT_TRUE(recorder.messages.isEmpty()) << recorder.messages.join('\n').toStdString();
    EXPECT_EQ(boxBytes(RichTextBox1), sequenceScript("people"));
    EXPECT_EQ(boxBytes(RichTextBox2), triggerScript("people", "person"));
    EXPECT_EQ(test::readBytes(dir / "seqPeople.sql"), sequenceScript("people"));
    EXPECT_EQ(test::readBytes(dir / "trigPeople.sql"), triggerScript("people", "person"));
    EXPECT_EQ(entriesIn(dir.path()), 2u);
    EXPECT_FALSE(Label2->isHidden());
}

TEST_F(SeqTrigWindow, TraversalNameShowsScriptsButWritesNothing)
{
    const test::TempDir outside;
    const fs::path inner = dir.mkdir("inner");
    Text2->setText(fromPath(inner));
    Text1->setText(QStringLiteral("/../../x"));

    QTest::mouseClick(Command1, Qt::LeftButton);

    ASSERT_EQ(recorder.messages.size(), 1);
    EXPECT_TRUE(recorder.messages[0].startsWith(QStringLiteral("52 :: "))) << recorder.messages[0].toStdString();
    EXPECT_EQ(boxBytes(RichTextBox1), sequenceScript("/../../x"));
    EXPECT_EQ(boxBytes(RichTextBox2), triggerScript("/../../x", "/../../x"));
    EXPECT_EQ(entriesIn(dir.path()), 1u);  // only "inner"
    EXPECT_EQ(entriesIn(inner), 0u);
    EXPECT_TRUE(Label2->isHidden());
}

TEST_F(SeqTrigWindow, MissingFolderGivesOneMessageAndStopsAtTheFirstFile)
{
    const fs::path missing = dir / "missing";
    Text2->setText(fromPath(missing));
    Text1->setText(QStringLiteral("orders"));

    QTest::mouseClick(Command1, Qt::LeftButton);

    ASSERT_EQ(recorder.messages.size(), 1);
    const QString message = recorder.messages[0];
    EXPECT_TRUE(message.startsWith(QStringLiteral("76 :: ")) || message.startsWith(QStringLiteral("53 :: ")))
        << message.toStdString();
    EXPECT_TRUE(message.contains(fromPath(missing))) << message.toStdString();
    // The sequence box shows its script; the trigger was never reached.
    EXPECT_EQ(boxBytes(RichTextBox1), sequenceScript("orders"));
    EXPECT_TRUE(RichTextBox2->toPlainText().isEmpty());
    EXPECT_FALSE(fs::exists(missing));
    EXPECT_TRUE(Label2->isHidden());
}

class LinkTableWindow : public ::testing::Test {
protected:
    frmMakeLinktables window;
    QLineEdit* txtName = child<QLineEdit>(window, "txtName");
    QLineEdit* Text1 = child<QLineEdit>(window, "Text1");
    QPushButton* Command1 = child<QPushButton>(window, "Command1");
    QPushButton* Command2 = child<QPushButton>(window, "Command2");
    QPushButton* cmdDelete = child<QPushButton>(window, "cmdDelete");
    QPushButton* cmdClearAll = child<QPushButton>(window, "cmdClearAll");
    QListWidget* List1 = child<QListWidget>(window, "List1");
    QRadioButton* optSql = child<QRadioButton>(window, "optSql");
    QRadioButton* optOracle = child<QRadioButton>(window, "optOracle");
    QPlainTextEdit* RichTextBox1 = child<QPlainTextEdit>(window, "RichTextBox1");
    test::MessageRecorder recorder;

    QStringList listed() const
    {
        QStringList names;
        for (int i = 0; i < List1->count(); ++i)
            names << List1->item(i)->text();
        return names;
    }
    void add(const QString& name)
    {
        Text1->setText(name);
        QTest::mouseClick(Command1, Qt::LeftButton);
    }
};

TEST_F(LinkTableWindow, BuildsTheScriptFromTheList)
{
    showActive(window);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Make Link Tables"));
    EXPECT_TRUE(optOracle->isChecked());
    EXPECT_EQ(RichTextBox1->toPlainText(), QStringLiteral("RichTextBox1"));

    txtName->setText(QStringLiteral("order_items"));
    add(QStringLiteral("customerId"));
    EXPECT_TRUE(Text1->hasFocus());
    EXPECT_EQ(Text1->selectedText(), QStringLiteral("customerId"));
    add(QStringLiteral("productId"));
    add(QStringLiteral("productId"));
    EXPECT_EQ(listed(), (QStringList{"customerId", "productId", "productId"}));

    // Nothing selected: Delete leaves the list alone.
    List1->clearSelection();
    List1->setCurrentRow(-1);
    QTest::mouseClick(cmdDelete, Qt::LeftButton);
    EXPECT_EQ(listed().size(), 3);
    List1->setCurrentRow(2);
    QTest::mouseClick(cmdDelete, Qt::LeftButton);
    EXPECT_EQ(listed(), (QStringList{"customerId", "productId"}));
    QTest::mouseClick(cmdDelete, Qt::LeftButton);  // the deletion left nothing selected
    EXPECT_EQ(listed().size(), 2);

    QTest::mouseClick(Command2, Qt::LeftButton);
    EXPECT_EQ(boxBytes(RichTextBox1), linkTableScript("order_items", {"customerId", "productId"}));
    EXPECT_TRUE(RichTextBox1->hasFocus());
    EXPECT_EQ(RichTextBox1->textCursor().position(), 0);
    EXPECT_TRUE(recorder.messages.isEmpty());
}

TEST_F(LinkTableWindow, TsqlOnlyAnswersWithAMessage)
{
    txtName->setText(QStringLiteral("links"));
    QTest::mouseClick(Command2, Qt::LeftButton);
    const QString oracle = RichTextBox1->toPlainText();

    optSql->setChecked(true);
    add(QStringLiteral("aId"));
    QTest::mouseClick(Command2, Qt::LeftButton);
    EXPECT_EQ(recorder.messages, QStringList{QStringLiteral("sql server not supported yet")});
    EXPECT_EQ(RichTextBox1->toPlainText(), oracle);
}

TEST_F(LinkTableWindow, ClearAllKeepsAndSelectsTheTableName)
{
    showActive(window);
    txtName->setText(QStringLiteral("links"));
    add(QStringLiteral("aId"));
    add(QStringLiteral("bId"));
    QTest::mouseClick(cmdClearAll, Qt::LeftButton);
    EXPECT_EQ(List1->count(), 0);
    EXPECT_TRUE(txtName->hasFocus());
    EXPECT_EQ(txtName->selectedText(), QStringLiteral("links"));
    EXPECT_EQ(Text1->text(), QStringLiteral("bId"));
}

TEST(SqlTools, ChooserNamesOpenTheirWindows)
{
    registerSqlTools();
    QMdiArea area;
    setWorkspace(&area);
    for (const char* name : {"frmOracleSeqTrigs", "frmMakeLinktables"}) {
        SCOPED_TRACE(name);
        QWidget* opened = openWindow(QString::fromLatin1(name));
        ASSERT_NE(opened, nullptr);
        EXPECT_EQ(opened->objectName(), QString::fromLatin1(name));
        EXPECT_EQ(openWindow(QString::fromLatin1(name)), opened);  // one instance
    }
    setWorkspace(nullptr);
}

}  // namespace
}  // namespace qb
