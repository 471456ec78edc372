// The two script builders, to the byte, and where the sequence-and-trigger scripts may go.
#include "tools/sql/linkTable.h"
#include "tools/sql/seqTrig.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

namespace fs = std::filesystem;

std::string seq(const std::string& capitalised)
{
    return "create sequence seq" + capitalised + "\r\n\tstart with 1\r\n\tincrement by 1\r\n\tnomaxvalue";
}

std::string trig(const std::string& capitalised, const std::string& table, const std::string& singular)
{
    return "create or replace trigger trig" + capitalised + "\r\n\tbefore insert on " + table
           + "\r\n\tfor each row\r\n\tbegin\r\n\t    select seq" + capitalised + ".nextval into :new."
           + singular + "Id from dual;\r\n\tEnd;";
}

TEST(SeqTrig, ScriptsAndFileNames)
{
    EXPECT_EQ(sequenceScript("orders"), "create sequence seqOrders\r\n\tstart with 1\r\n\tincrement by 1\r\n\tnomaxvalue");
    EXPECT_EQ(triggerScript("orders", "order"),
              "create or replace trigger trigOrders\r\n\tbefore insert on orders\r\n\tfor each row\r\n\tbegin\r\n"
              "\t    select seqOrders.nextval into :new.orderId from dual;\r\n\tEnd;");
    struct Row {
        std::string table, singular, capitalised;
    };
    const Row rows[] = {{"orders", "order", "Orders"}, {"", "", ""}, {"s", "", "S"}, {"ORDERS", "ORDERS", "ORDERS"},
                        {"_lines", "_line", "_lines"}, {"order_items", "order_item", "Order_items"},
                        {"addresses", "addresse", "Addresses"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.table);
        EXPECT_EQ(singularGuess(row.table), row.singular);
        EXPECT_EQ(sequenceScript(row.table), seq(row.capitalised));
        EXPECT_EQ(triggerScript(row.table, row.singular), trig(row.capitalised, row.table, row.singular));
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
        if (row.number == 0)
            EXPECT_EQ(joined.value_or(""), fs::path("/data/sql") / row.fileName);
        else
            EXPECT_EQ(joined.has_value() ? 0 : joined.error().number, row.number);
    }
}

// Everything after the table part of a link-table script.
std::string tail(const std::string& table, const std::string& capitalised)
{
    return "drop sequence seq" + capitalised + ";\r\ncreate sequence seq" + capitalised
           + "\r\n\tstart with 1\r\n\tincrement by 1\r\n\tnomaxvalue;\r\ncreate or replace trigger trig" + capitalised
           + "\r\n\tbefore insert on " + table + "\r\n\tfor each row\r\n\tbegin\r\n\t\tselect seq" + capitalised
           + ".nextval into :new." + table + "Id from dual;\r\n\tend;\r\n/";
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
    struct Row {
        std::string table;
        std::vector<std::string> ids;
        std::string columns, capitalised;
    };
    const Row rows[] = {
        {"order_items", {"customerId"}, "\torder_itemsId NUMBER,\r\n\tcustomerId NUMBER", "Order_items"},
        {"order_items", {}, "\torder_itemsId NUMBER", "Order_items"},
        {"links", {"aId", "aId", ""}, "\tlinksId NUMBER,\r\n\taId NUMBER,\r\n\taId NUMBER,\r\n\t NUMBER", "Links"},
        {"", {}, "\tId NUMBER", ""},
        {"Links", {}, "\tLinksId NUMBER", "Links"},
        {"2links", {}, "\t2linksId NUMBER", "2links"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.table + " with " + std::to_string(row.ids.size()) + " IDs");
        EXPECT_EQ(linkTableScript(row.table, row.ids), "drop table " + row.table + ";\r\ncreate table " + row.table
                                                           + " (\r\n" + row.columns + "\r\n);\r\n"
                                                           + tail(row.table, row.capitalised));
    }
}

}  // namespace
}  // namespace qb
