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

template <class T = QLineEdit>
T* child(QWidget& window, const char* name)
{
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        throw std::runtime_error(std::string("no control ") + name);
    return found;
}

void click(QWidget& window, const char* name)
{
    QTest::mouseClick(child<QPushButton>(window, name), Qt::LeftButton);
}

// Shown and active, so that focus moves as it does for a user.
void showActive(QWidget& window)
{
    window.show();
    QApplication::setActiveWindow(&window);
}

std::size_t entriesIn(const fs::path& folder)
{
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(SeqTrigWindow, SingularFollowsTheTableNameAndTheEditedOneIsUsed)
{
    test::TempDir dir;
    test::MessageRecorder recorder;
    frmOracleSeqTrigs window;
    auto* Text3 = child(window, "Text3");
    auto* Label2 = child<QLabel>(window, "Label2");
    EXPECT_EQ(child(window, "Text2")->text(), QDir::homePath());
    EXPECT_TRUE(Label2->isHidden());

    showActive(window);
    QTest::keyClicks(child(window, "Text1"), "peoples");
    EXPECT_EQ(Text3->text(), QStringLiteral("people"));
    // Tabbing into the singular leaves the caret at its end with nothing selected, so typing appends.
    Text3->setFocus(Qt::TabFocusReason);
    EXPECT_FALSE(Text3->hasSelectedText());
    QTest::keyClicks(Text3, "X");
    EXPECT_EQ(Text3->text(), QStringLiteral("peopleX"));
    // Every change of the table name guesses the singular again.
    QTest::keyClick(child(window, "Text1"), Qt::Key_Backspace);
    EXPECT_EQ(Text3->text(), QStringLiteral("people"));
    Text3->setText(QStringLiteral("person"));

    child(window, "Text2")->setText(fromPath(dir.path()));
    dir.write("seqPeople.sql", "an older and longer sequence script");
    click(window, "Command1");
    EXPECT_TRUE(recorder.messages.isEmpty()) << recorder.messages.join('\n').toStdString();
    EXPECT_EQ(boxBytes(child<QPlainTextEdit>(window, "RichTextBox1")), sequenceScript("people"));
    EXPECT_EQ(boxBytes(child<QPlainTextEdit>(window, "RichTextBox2")), triggerScript("people", "person"));
    EXPECT_EQ(test::readBytes(dir / "seqPeople.sql"), sequenceScript("people"));
    EXPECT_EQ(test::readBytes(dir / "trigPeople.sql"), triggerScript("people", "person"));
    EXPECT_EQ(entriesIn(dir.path()), 2u);
    EXPECT_FALSE(Label2->isHidden());
}

TEST(SeqTrigWindow, RefusedNameAndMissingFolderWriteNothing)
{
    struct Row {
        const char* table;
        const char* folder;      // below the temporary folder
        const char* messageStart;
        bool triggerShown;       // a failed first write never reaches the trigger
    };
    const Row rows[] = {
        {"/../../x", "inner", "52 :: ", true},
        {"orders", "missing", "76 :: ", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.table);
        test::TempDir dir;
        dir.mkdir("inner");
        test::MessageRecorder recorder;
        frmOracleSeqTrigs window;
        child(window, "Text2")->setText(fromPath(dir / row.folder));
        child(window, "Text1")->setText(QString::fromLatin1(row.table));
        click(window, "Command1");

        ASSERT_EQ(recorder.messages.size(), 1);
        EXPECT_TRUE(recorder.messages[0].startsWith(QLatin1String(row.messageStart)))
            << recorder.messages[0].toStdString();
        if (!row.triggerShown) {  // the write failure names the path
            EXPECT_TRUE(recorder.messages[0].contains(fromPath(dir / row.folder)))
                << recorder.messages[0].toStdString();
        }
        EXPECT_EQ(boxBytes(child<QPlainTextEdit>(window, "RichTextBox1")), sequenceScript(row.table));
        EXPECT_EQ(child<QPlainTextEdit>(window, "RichTextBox2")->toPlainText().isEmpty(), !row.triggerShown);
        EXPECT_EQ(entriesIn(dir.path()), 1u);  // only "inner", which is still empty
        EXPECT_EQ(entriesIn(dir / "inner"), 0u);
        EXPECT_TRUE(child<QLabel>(window, "Label2")->isHidden());
    }
}

TEST(LinkTableWindow, ListEditingAndScript)
{
    test::MessageRecorder recorder;
    frmMakeLinktables window;
    auto* Text1 = child(window, "Text1");
    auto* List1 = child<QListWidget>(window, "List1");
    auto* RichTextBox1 = child<QPlainTextEdit>(window, "RichTextBox1");
    const auto listed = [List1] {
        QStringList names;
        for (int i = 0; i < List1->count(); ++i)
            names << List1->item(i)->text();
        return names;
    };
    EXPECT_EQ(RichTextBox1->toPlainText(), QStringLiteral("RichTextBox1"));

    showActive(window);
    child(window, "txtName")->setText(QStringLiteral("order_items"));
    for (const char* id : {"customerId", "productId", "productId"}) {
        Text1->setText(QString::fromLatin1(id));
        click(window, "Command1");
        EXPECT_TRUE(Text1->hasFocus());
        EXPECT_EQ(Text1->selectedText(), QString::fromLatin1(id));  // typing replaces it
    }
    List1->setCurrentRow(-1);
    click(window, "cmdDelete");  // nothing selected: nothing happens
    EXPECT_EQ(listed().size(), 3);
    List1->setCurrentRow(2);
    click(window, "cmdDelete");
    click(window, "cmdDelete");  // the deletion left nothing selected
    EXPECT_EQ(listed(), (QStringList{"customerId", "productId"}));

    click(window, "Command2");
    EXPECT_EQ(boxBytes(RichTextBox1), linkTableScript("order_items", {"customerId", "productId"}));
    EXPECT_TRUE(RichTextBox1->hasFocus());
    EXPECT_EQ(RichTextBox1->textCursor().position(), 0);

    // T-SQL only answers with the message; the script stays.
    child<QRadioButton>(window, "optSql")->setChecked(true);
    click(window, "cmdClearAll");
    EXPECT_EQ(List1->count(), 0);
    EXPECT_TRUE(child(window, "txtName")->hasFocus());
    EXPECT_EQ(child(window, "txtName")->selectedText(), QStringLiteral("order_items"));
    click(window, "Command2");
    EXPECT_EQ(recorder.messages, QStringList{QStringLiteral("sql server not supported yet")});
    EXPECT_EQ(boxBytes(RichTextBox1), linkTableScript("order_items", {"customerId", "productId"}));
}

TEST(SqlTools, ChooserNamesOpenOneWindowEach)
{
    registerSqlTools();
    QMdiArea area;
    setWorkspace(&area);
    for (const char* name : {"frmOracleSeqTrigs", "frmMakeLinktables"}) {
        QWidget* opened = openWindow(QString::fromLatin1(name));
        ASSERT_NE(opened, nullptr) << name;
        EXPECT_EQ(opened->objectName(), QString::fromLatin1(name));
        EXPECT_EQ(openWindow(QString::fromLatin1(name)), opened);
    }
    setWorkspace(nullptr);
}

}  // namespace
}  // namespace qb
