// The two script builders, to the byte, and where the sequence-and-trigger scripts may go.
#include "tools/sql/linkTable.h"
#include "tools/sql/seqTrig.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

namespace fs = std::filesystem;

// The table's name as written, its first letter capitalised in the object and file names, and
// the guess at its singular that names the ID column.
TEST(SeqTrig, ScriptsAndFileNames)
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
}

TEST(SeqTrig, ScriptPathStaysInsideTheFolder)
{
    struct Row {
        std::string folder, fileName;
        int number;  // 0: accepted as /data/sql/ + fileName
    };
    const Row rows[] = {
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
    for (const Row& row : rows) {
        SCOPED_TRACE(row.folder + " + " + row.fileName);
        const auto joined = scriptPath(row.folder, row.fileName);
        EXPECT_EQ(joined.has_value() ? 0 : joined.error().number, row.number);
        EXPECT_TRUE(!joined || *joined == fs::path("/data/sql") / row.fileName);
    }
}

TEST(LinkTable, Scripts)
{
    EXPECT_EQ(linkTableScript("order_items", {"customerId", "productId"}),
              "drop table order_items;\r\ncreate table order_items (\r\n"
              "\torder_itemsId NUMBER,\r\n\tcustomerId NUMBER,\r\n\tproductId NUMBER\r\n);\r\n"
              "drop sequence seqOrder_items;\r\ncreate sequence seqOrder_items\r\n"
              "\tstart with 1\r\n\tincrement by 1\r\n\tnomaxvalue;\r\n"
              "create or replace trigger trigOrder_items\r\n\tbefore insert on order_items\r\n"
              "\tfor each row\r\n\tbegin\r\n"
              "\t\tselect seqOrder_items.nextval into :new.order_itemsId from dual;\r\n\tend;\r\n/");
    struct Row { std::string table; std::vector<std::string> ids; std::string columns, capitalised; };
    const Row rows[] = {
        {"order_items", {}, "\torder_itemsId NUMBER", "Order_items"},
        {"links", {"aId", "aId", ""}, "\tlinksId NUMBER,\r\n\taId NUMBER,\r\n\taId NUMBER,\r\n\t NUMBER", "Links"},
        {"", {}, "\tId NUMBER", ""},
        {"2links", {}, "\t2linksId NUMBER", "2links"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.table + " with " + std::to_string(row.ids.size()) + " IDs");
        const std::string script = linkTableScript(row.table, row.ids);
        EXPECT_TRUE(script.starts_with("drop table " + row.table + ";\r\ncreate table " + row.table + " (\r\n"
                                       + row.columns + "\r\n);\r\ndrop sequence seq" + row.capitalised + ";\r\n"))
            << script;
        EXPECT_TRUE(script.ends_with(" seq" + row.capitalised + ".nextval into :new." + row.table + "Id from dual;\r\n\tend;\r\n/"));
    }
}

}  // namespace
}  // namespace qb
