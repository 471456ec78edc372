#include "tools/sql/seqTrig.h"

#include "support/recorder.h"

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
    struct Row {
        std::string table, singular, sequence, trigger, seqFile, trigFile;
    };
    const Row rows[] = {
        {"orders", "order",
         "create sequence seqOrders\r\n\tstart with 1\r\n\tincrement by 1\r\n\tnomaxvalue",
         "create or replace trigger trigOrders\r\n\tbefore insert on orders\r\n\tfor each row\r\n\tbegin\r\n"
         "\t    select seqOrders.nextval into :new.orderId from dual;\r\n\tEnd;",
         "seqOrders.sql", "trigOrders.sql"},
        {"", "", seq(""), trig("", "", ""), "seq.sql", "trig.sql"},
        {"s", "", seq("S"), trig("S", "s", ""), "seqS.sql", "trigS.sql"},
        {"ORDERS", "ORDERS", seq("ORDERS"), trig("ORDERS", "ORDERS", "ORDERS"), "seqORDERS.sql", "trigORDERS.sql"},
        {"_lines", "_line", seq("_lines"), trig("_lines", "_lines", "_line"), "seq_lines.sql", "trig_lines.sql"},
        {"order_items", "order_item", seq("Order_items"), trig("Order_items", "order_items", "order_item"),
         "seqOrder_items.sql", "trigOrder_items.sql"},
        {"addresses", "addresse", seq("Addresses"), trig("Addresses", "addresses", "addresse"),
         "seqAddresses.sql", "trigAddresses.sql"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.table);
        EXPECT_EQ(singularGuess(row.table), row.singular);
        EXPECT_EQ(sequenceScript(row.table), row.sequence);
        EXPECT_EQ(triggerScript(row.table, row.singular), row.trigger);
        EXPECT_EQ(scriptFileName(ScriptKind::Sequence, row.table), row.seqFile);
        EXPECT_EQ(scriptFileName(ScriptKind::Trigger, row.table), row.trigFile);
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

TEST(SeqTrig, AddOrReplaceFileWritesExactlyAndReplaces)
{
    test::TempDir dir;
    const fs::path file = dir.write("seqOrders.sql", "an older script, longer than the new one\r\n");
    ASSERT_TRUE(addOrReplaceFile(file, seq("Orders")).has_value());
    EXPECT_EQ(test::readBytes(file), seq("Orders"));
    // Nothing but the script is left in the folder (no temporary file).
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace qb
