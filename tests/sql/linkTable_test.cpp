#include "tools/sql/linkTable.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

// Everything after the table part.
std::string tail(const std::string& table, const std::string& capitalised)
{
    return "drop sequence seq" + capitalised + ";\r\ncreate sequence seq" + capitalised
           + "\r\n\tstart with 1\r\n\tincrement by 1\r\n\tnomaxvalue;\r\ncreate or replace trigger trig" + capitalised
           + "\r\n\tbefore insert on " + table + "\r\n\tfor each row\r\n\tbegin\r\n\t\tselect seq" + capitalised
           + ".nextval into :new." + table + "Id from dual;\r\n\tend;\r\n/";
}

TEST(LinkTable, Scripts)
{
    struct Row {
        std::string table;
        std::vector<std::string> ids;
        std::string expected;
    };
    const Row rows[] = {
        {"order_items", {"customerId", "productId"},
         "drop table order_items;\r\ncreate table order_items (\r\n"
         "\torder_itemsId NUMBER,\r\n\tcustomerId NUMBER,\r\n\tproductId NUMBER\r\n);\r\n"
         "drop sequence seqOrder_items;\r\ncreate sequence seqOrder_items\r\n"
         "\tstart with 1\r\n\tincrement by 1\r\n\tnomaxvalue;\r\n"
         "create or replace trigger trigOrder_items\r\n\tbefore insert on order_items\r\n"
         "\tfor each row\r\n\tbegin\r\n"
         "\t\tselect seqOrder_items.nextval into :new.order_itemsId from dual;\r\n\tend;\r\n/"},
        {"order_items", {"customerId"},
         "drop table order_items;\r\ncreate table order_items (\r\n\torder_itemsId NUMBER,\r\n"
         "\tcustomerId NUMBER\r\n);\r\n" + tail("order_items", "Order_items")},
        {"order_items", {},
         "drop table order_items;\r\ncreate table order_items (\r\n\torder_itemsId NUMBER\r\n);\r\n"
             + tail("order_items", "Order_items")},
        {"links", {"aId", "aId", ""},
         "drop table links;\r\ncreate table links (\r\n\tlinksId NUMBER,\r\n\taId NUMBER,\r\n\taId NUMBER,\r\n"
         "\t NUMBER\r\n);\r\n" + tail("links", "Links")},
        {"", {}, "drop table ;\r\ncreate table  (\r\n\tId NUMBER\r\n);\r\n" + tail("", "")},
        {"Links", {}, "drop table Links;\r\ncreate table Links (\r\n\tLinksId NUMBER\r\n);\r\n" + tail("Links", "Links")},
        {"2links", {}, "drop table 2links;\r\ncreate table 2links (\r\n\t2linksId NUMBER\r\n);\r\n" + tail("2links", "2links")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.table + " with " + std::to_string(row.ids.size()) + " IDs");
        EXPECT_EQ(linkTableScript(row.table, row.ids), row.expected);
    }
}

}  // namespace
}  // namespace qb
