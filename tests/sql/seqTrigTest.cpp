#include "tools/sql/seqTrig.h"

#include "support/recorder.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace qb {
namespace {

namespace fs = std::filesystem;

struct ScriptRow {
    const char* name;
    std::string table;
    std::string expectedSingular;
    std::string sequence;
    std::string trigger;   // built with the guessed singular
    std::string seqFile;
    std::string trigFile;
};

std::string trig(const std::string& capitalised, const std::string& table, const std::string& singular)
{
    return "create or replace trigger trig" + capitalised + "\r\n"
           "\tbefore insert on " + table + "\r\n"
           "\tfor each row\r\n"
           "\tbegin\r\n"
           "\t    select seq" + capitalised + ".nextval into :new." + singular + "Id from dual;\r\n"
           "\tEnd;";
}

std::string seq(const std::string& capitalised)
{
    return "create sequence seq" + capitalised + "\r\n\tstart with 1\r\n\tincrement by 1\r\n\tnomaxvalue";
}

TEST(SeqTrig, ScriptsAndFileNames)
{
    const ScriptRow rows[] = {
        {"orders", "orders", "order",
         "create sequence seqOrders\r\n\tstart with 1\r\n\tincrement by 1\r\n\tnomaxvalue",
         "create or replace trigger trigOrders\r\n"
         "\tbefore insert on orders\r\n"
         "\tfor each row\r\n"
         "\tbegin\r\n"
         "\t    select seqOrders.nextval into :new.orderId from dual;\r\n"
         "\tEnd;",
         "seqOrders.sql", "trigOrders.sql"},
        {"empty", "", "", seq(""), trig("", "", ""), "seq.sql", "trig.sql"},
        {"single s", "s", "", seq("S"), trig("S", "s", ""), "seqS.sql", "trigS.sql"},
        {"final upper-case S", "ORDERS", "ORDERS", seq("ORDERS"), trig("ORDERS", "ORDERS", "ORDERS"),
         "seqORDERS.sql", "trigORDERS.sql"},
        {"non-letter first", "_orders", "_order", seq("_orders"), trig("_orders", "_orders", "_order"),
         "seq_orders.sql", "trig_orders.sql"},
        {"only the first changes", "order_items", "order_item", seq("Order_items"),
         trig("Order_items", "order_items", "order_item"), "seqOrder_items.sql", "trigOrder_items.sql"},
        {"one s only", "address", "addres", seq("Address"), trig("Address", "address", "addres"),
         "seqAddress.sql", "trigAddress.sql"},
        {"not trimmed", " orders ", " orders ", seq(" orders "), trig(" orders ", " orders ", " orders "),
         "seq orders .sql", "trig orders .sql"},
        {"accented letter", "\xE9t\xE9s", "\xE9t\xE9", seq("\xC9t\xE9s"), trig("\xC9t\xE9s", "\xE9t\xE9s", "\xE9t\xE9"),
         "seq\xC9t\xE9s.sql", "trig\xC9t\xE9s.sql"},
    };
    for (const ScriptRow& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string singular = singularGuess(row.table);
        EXPECT_EQ(singular, row.expectedSingular);
        EXPECT_EQ(sequenceScript(row.table), row.sequence);
        EXPECT_EQ(triggerScript(row.table, singular), row.trigger);
        EXPECT_EQ(scriptFileName(ScriptKind::Sequence, row.table), row.seqFile);
        EXPECT_EQ(scriptFileName(ScriptKind::Trigger, row.table), row.trigFile);
    }
}

TEST(SeqTrig, TriggerUsesTheSingularGiven)
{
    EXPECT_EQ(triggerScript("people", "person"), trig("People", "people", "person"));
}

TEST(SeqTrig, ScriptPathJoinsWithTheSeparator)
{
    for (const char* folder : {"/data/sql", "/data/sql/"}) {
        SCOPED_TRACE(folder);
        const auto joined = scriptPath(folder, "seqOrders.sql");
        ASSERT_TRUE(joined.has_value());
        EXPECT_EQ(*joined, fs::path("/data/sql/seqOrders.sql"));
    }
}

TEST(SeqTrig, ScriptPathRefusesNamesThatLeaveTheFolder)
{
    struct Row {
        const char* name;
        std::string folder;
        std::string fileName;
        int number;
    };
    const Row rows[] = {
        {"traversal", "/data", "seq../../etc/x.sql", err::BadFileName},
        {"absolute", "/data", "seq/tmp/x.sql", err::BadFileName},
        {"backslash", "/data", "seq..\\x.sql", err::BadFileName},
        {"NUL", "/data", std::string("seqa\0b.sql", 10), err::BadFileName},
        {"dot dot", "/data", "..", err::BadFileName},
        {"too long", "/data", "seq" + std::string(249, 'a') + ".sql", err::BadFileName},
        {"empty folder", "", "seqA.sql", err::PathNotFound},
        {"relative folder", "sql", "seqA.sql", err::PathNotFound},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto joined = scriptPath(row.folder, row.fileName);
        ASSERT_FALSE(joined.has_value());
        EXPECT_EQ(joined.error().number, row.number);
        EXPECT_FALSE(joined.error().description.empty());
    }
    // The longest name that fits is still accepted.
    EXPECT_TRUE(scriptPath("/data", "seq" + std::string(248, 'a') + ".sql").has_value());
}

TEST(SeqTrig, AddOrReplaceFileWritesExactlyAndReplaces)
{
    test::TempDir dir;
    const fs::path file = dir / "seqOrders.sql";
    ASSERT_TRUE(addOrReplaceFile(file, "first version, longer than the second\r\n").has_value());
    EXPECT_EQ(test::readBytes(file), "first version, longer than the second\r\n");

    const std::string script = seq("Orders");
    ASSERT_TRUE(addOrReplaceFile(file, script).has_value());
    EXPECT_EQ(test::readBytes(file), script);
    // Nothing but the script is left in the folder (no temporary file).
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(SeqTrig, AddOrReplaceFileInMissingFolderFailsNamingThePath)
{
    test::TempDir dir;
    const fs::path file = dir / "missing" / "seqOrders.sql";
    const auto written = addOrReplaceFile(file, "x");
    ASSERT_FALSE(written.has_value());
    EXPECT_TRUE(written.error().number == err::PathNotFound || written.error().number == err::FileNotFound)
        << written.error().number;
    EXPECT_NE(written.error().description.find((dir / "missing").string()), std::string::npos)
        << written.error().description;
    EXPECT_FALSE(fs::exists(dir / "missing"));
}

TEST(SeqTrig, FailedReplaceKeepsTheOldFile)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    test::TempDir dir;
    const fs::path file = dir.write("seqOrders.sql", "old script");
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    const auto written = addOrReplaceFile(file, "new script");
    fs::permissions(dir.path(), fs::perms::owner_all);
    ASSERT_FALSE(written.has_value());
    EXPECT_EQ(written.error().number, err::PermissionDenied);
    EXPECT_EQ(test::readBytes(file), "old script");
}

}  // namespace
}  // namespace qb
