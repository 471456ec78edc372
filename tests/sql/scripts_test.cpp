// The two SQL script generators: their scripts, where they may be written, and their windows.
#include "tools/sql/linkTable.h"
#include "tools/sql/seqTrig.h"
#include "tools/sql/sqlTools.h"

#include "ui/cp1252.h"
#include "support/toolWindow.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include "files/tree.h"

namespace qb {
namespace {

namespace fs = std::filesystem;

// The table's name as written, capitalised in object and file names, its singular naming the ID.
TEST(Scripts, SeqTrigScriptsFileNamesAndPathsAndLinkTableScripts)
{
    EXPECT_EQ(sequenceScript("orders"), "create sequence seqOrders\r\n\tstart with 1\r\n\tincrement by 1\r\n\tnomaxvalue");
    EXPECT_EQ(triggerScript("orders", "order"),
              "create or replace trigger trigOrders\r\n\tbefore insert on orders\r\n\tfor each row\r\n\tbegin\r\n"
              "\t    select seqOrders.nextval into :new.orderId from dual;\r\n\tEnd;");
    struct Row { std::string table, singular, capitalised; };
    const Row rows[] = {{"", "", ""}, {"s", "", "S"}, {"ORDERS", "ORDERS", "ORDERS"}, {"_lines", "_line", "_lines"},
                        {"order_items", "order_item", "Order_items"}, {"addresses", "addresse", "Addresses"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.table);
        EXPECT_EQ(singularGuess(row.table), row.singular);
        EXPECT_TRUE(sequenceScript(row.table).starts_with("create sequence seq" + row.capitalised + "\r\n"));
        const std::string trigger = triggerScript(row.table, row.singular);
        EXPECT_TRUE(trigger.starts_with("create or replace trigger trig" + row.capitalised + "\r\n\tbefore insert on "
                                        + row.table + "\r\n"));
        EXPECT_NE(trigger.find(" seq" + row.capitalised + ".nextval into :new." + row.singular + "Id "), std::string::npos);
        EXPECT_EQ(scriptFileName(ScriptKind::Sequence, row.table), "seq" + row.capitalised + ".sql");
        EXPECT_EQ(scriptFileName(ScriptKind::Trigger, row.table), "trig" + row.capitalised + ".sql");
    }

    // The script's path stays inside the folder.
    struct PathRow { std::string folder, fileName; int number /* 0: accepted as /data/sql/ + fileName */; };
    const PathRow paths[] = {
        {"/data/sql", "seqOrders.sql", 0},
        {"/data/sql/", "seqOrders.sql", 0},
        {"/data/sql", "seq" + std::string(248, 'a') + ".sql", 0},  // the longest name that fits
        {"/data/sql", "seq" + std::string(249, 'a') + ".sql", err::BadFileName},
        {"/data/sql", "seq../../etc/x.sql", err::BadFileName},
        {"/data/sql", "seq..\\x.sql", err::BadFileName},
        {"/data/sql", std::string("seqa\0b.sql", 10), err::BadFileName},
        {"/data/sql", "..", err::BadFileName},
        {"", "seqA.sql", err::PathNotFound},  // would land in whatever the working folder is
        {"sql", "seqA.sql", err::PathNotFound},
    };
    for (const PathRow& row : paths) {
        SCOPED_TRACE(row.folder + " + " + row.fileName);
        const auto joined = scriptPath(row.folder, row.fileName);
        EXPECT_EQ(joined.has_value() ? 0 : joined.error().number, row.number);
        EXPECT_TRUE(!joined || *joined == fs::path("/data/sql") / row.fileName);
    }

    EXPECT_EQ(linkTableScript("order_items", {"customerId", "productId"}),
              "drop table order_items;\r\ncreate table order_items (\r\n"
              "\torder_itemsId NUMBER,\r\n\tcustomerId NUMBER,\r\n\tproductId NUMBER\r\n);\r\n"
              "drop sequence seqOrder_items;\r\ncreate sequence seqOrder_items\r\n"
              "\tstart with 1\r\n\tincrement by 1\r\n\tnomaxvalue;\r\n"
              "create or replace trigger trigOrder_items\r\n\tbefore insert on order_items\r\n"
              "\tfor each row\r\n\tbegin\r\n"
              "\t\tselect seqOrder_items.nextval into :new.order_itemsId from dual;\r\n\tend;\r\n/");
    struct LinkRow { std::string table; std::vector<std::string> ids; std::string columns, capitalised; };
    const LinkRow links[] = {
        {"order_items", {}, "\torder_itemsId NUMBER", "Order_items"},
        {"links", {"aId", "aId", ""}, "\tlinksId NUMBER,\r\n\taId NUMBER,\r\n\taId NUMBER,\r\n\t NUMBER", "Links"},
        {"", {}, "\tId NUMBER", ""},
        {"2links", {}, "\t2linksId NUMBER", "2links"},
    };
    for (const LinkRow& row : links) {
        SCOPED_TRACE(row.table + " with " + std::to_string(row.ids.size()) + " IDs");
        const std::string script = linkTableScript(row.table, row.ids);
        EXPECT_TRUE(script.starts_with("drop table " + row.table + ";\r\ncreate table " + row.table + " (\r\n"
                                       + row.columns + "\r\n);\r\ndrop sequence seq" + row.capitalised + ";\r\n"))
            << script;
        EXPECT_TRUE(script.ends_with(" seq" + row.capitalised + ".nextval into :new." + row.table + "Id from dual;\r\n\tend;\r\n/"));
    }
}

class SqlWindow : public test::ToolWindowTest {
protected:
    static void SetUpTestSuite() { registerSqlTools(); }
};

// A missing folder or a refused name writes nothing; the singular follows the table name until edited.
TEST_F(SqlWindow, SeqTrigsWriteNothingWhenRefusedAndUseTheEditedSingular)
{
    open("cmdOpenForm_12", "frmOracleSeqTrigs");
    QLineEdit* Text1 = line("Text1");
    QLineEdit* Text3 = line("Text3");
    EXPECT_EQ(line("Text2")->text(), QDir::homePath());
    temp.mkdir("inner");
    // A failed first write names the folder and never reaches the trigger.
    struct Row { const char *table, *folder, *messageStart; bool writeFailed; };
    for (const Row& row : {Row{"orders", "missing", "76 :: ", true}, Row{"/../../x", "inner", "52 :: ", false}}) {
        SCOPED_TRACE(row.table);
        line("Text2")->setText(fromPath(temp / row.folder));
        Text1->setText(QString::fromLatin1(row.table));
        click("Command1");
        EXPECT_TRUE(recorder.only(row.messageStart, row.writeFailed ? fromPath(temp / row.folder) : QString()));
        EXPECT_EQ(boxBytes(box("RichTextBox1")), sequenceScript(row.table));
        EXPECT_EQ(box("RichTextBox2")->toPlainText().isEmpty(), row.writeFailed);
        EXPECT_EQ(test::treeOf(temp.path()), (test::Tree{{"inner", "/"}}));
        EXPECT_TRUE(child<QLabel>("Label2")->isHidden());
        EXPECT_EQ(status(), "");  // no summary claims a file that was not written
    }

    Text1->clear();
    QTest::keyClicks(Text1, "peoples");
    EXPECT_EQ(Text3->text(), "people");
    // Tabbing into the singular leaves the caret at its end with nothing selected, so typing appends.
    Text3->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(Text3, "X");
    EXPECT_EQ(Text3->text(), "peopleX");
    QTest::keyClick(Text1, Qt::Key_Backspace);  // every change of the table name guesses again
    EXPECT_EQ(Text3->text(), "people");
    Text3->setText("person");
    line("Text2")->setText(fromPath(temp.path()));
    temp.write("seqPeople.sql", "an older and longer sequence script");
    click("Command1");
    EXPECT_TRUE(recorder.messages.isEmpty()) << recorder.messages.join('\n').toStdString();
    EXPECT_EQ(boxBytes(box("RichTextBox1")), sequenceScript("people"));
    EXPECT_EQ(boxBytes(box("RichTextBox2")), triggerScript("people", "person"));
    EXPECT_EQ(test::treeOf(temp.path()), (test::Tree{{"inner", "/"}, {"seqPeople.sql", sequenceScript("people")},
                                                     {"trigPeople.sql", triggerScript("people", "person")}}));
    EXPECT_FALSE(child<QLabel>("Label2")->isHidden());
    EXPECT_EQ(status(), "Create Sequence and Trigger: wrote seqPeople.sql and trigPeople.sql");
}

TEST_F(SqlWindow, LinkTablesListEditingAndScript)
{
    open("cmdOpenForm_10", "frmMakeLinktables");
    QLineEdit* Text1 = line("Text1");
    QPlainTextEdit* RichTextBox1 = box("RichTextBox1");

    line("txtName")->setText("order_items");
    for (const char* id : {"customerId", "productId", "productId"}) {
        Text1->setText(id);
        click("Command1");
        EXPECT_TRUE(Text1->hasFocus());
        EXPECT_EQ(Text1->selectedText(), id);  // typing replaces it
    }
    child<QListWidget>("List1")->setCurrentRow(-1);
    click("cmdDelete");  // nothing selected: nothing happens
    child<QListWidget>("List1")->setCurrentRow(2);
    click("cmdDelete");
    click("cmdDelete");  // the deletion left nothing selected
    click("Command2");
    const std::string script = linkTableScript("order_items", {"customerId", "productId"});
    EXPECT_EQ(boxBytes(RichTextBox1), script);
    EXPECT_EQ(status(), "Make Link Table: script for order_items with 2 ID columns");
    EXPECT_TRUE(RichTextBox1->hasFocus());
    EXPECT_EQ(RichTextBox1->textCursor().position(), 0);

    // T-SQL only answers with the message; the script stays.
    child<QRadioButton>("optSql")->setChecked(true);
    click("cmdClearAll");
    EXPECT_EQ(child<QListWidget>("List1")->count(), 0);
    EXPECT_TRUE(line("txtName")->hasFocus());
    EXPECT_EQ(line("txtName")->selectedText(), "order_items");
    click("Command2");
    EXPECT_EQ(recorder.messages, QStringList{"sql server not supported yet"});
    EXPECT_EQ(boxBytes(RichTextBox1), script);
}

}  // namespace
}  // namespace qb
