// Every command run as a separate process: output to the byte, exit statuses, error lines on
// stderr, the structured formats, Ctrl+C, and running with no display at all.
#include "tools/sql/linkTable.h"
#include "tools/sql/seqTrig.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include "runQuillbox.h"
#include "support/recorder.h"

namespace qb {
namespace {

using test::arg;
using test::runQuillbox;

class Commands : public ::testing::Test {
protected:
    test::TempDir temp;
};

TEST_F(Commands, PrintTheirResultsToTheByte)
{
    temp.write("rows.txt", "id\tname\r\n7\tAnn\r\n");
    temp.write("one.txt", "a\r\nb\r\nc\r\n");
    temp.write("two.txt", "1\n2");
    temp.write("tree/a.bas", "x ' TODO: a\r\n");
    temp.write("tree/sub/b.bas", "' TODO: b\r\n");
    temp.write("first.bas", "Public Sub F()\r\n");
    const auto todo = [&](const char* file, const char* block) {
        return "*************************\r\nFile: " + (temp / file).string() + "\r\n" + block +
               "\r\n\r\n\r\n*************************\r\n\r\n";
    };
    struct Row { QStringList args; std::string input, expected; };
    const Row rows[] = {
        {{"hex2dec", "1F,ff"}, "", "31,255\n"},
        {{"dec2hex", "255,16,-1"}, "", "FF,10,FFFF\n"},
        {{"rows2cols"}, "id\tname\r\n7\tAnn\r\n", "id  \t7\r\nname\tAnn\r\n"},
        {{"rows2cols", arg(temp / "rows.txt")}, "", "id  \t7\r\nname\tAnn\r\n"},
        {{"combine", arg(temp / "one.txt"), arg(temp / "two.txt")}, "", "a1\r\nb2\r\n"},
        {{"linktable", "order_items", "customerId", "productId"}, "",
         linkTableScript("order_items", {"customerId", "productId"}) + "\r\n"},
        {{"seqtrig", "orders", "--print-only"}, "",
         sequenceScript("orders") + "\r\n\r\n" + triggerScript("orders", "order") + "\r\n"},
        // Typed text becomes the box's Windows-1252 bytes.
        {{"seqtrig", "--singular=Stra\u00DFe", "--print-only", "--", "stra\u00DFen"}, "",
         sequenceScript("stra\xDF" "en") + "\r\n\r\n" + triggerScript("stra\xDF" "en", "Stra\xDF" "e") + "\r\n"},
        // Paths are scanned in the order given: the tree's files, then the file named after it.
        {{"todos", arg(temp / "tree/sub"), arg(temp / "tree/a.bas")}, "", todo("tree/sub/b.bas", "' TODO: b") + todo("tree/a.bas", "x ' TODO: a")},
        {{"subs", arg(temp / "first.bas"), arg(temp / "tree")}, "",
         (temp / "first.bas").string() + "\r\n\tPublic Sub F()\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args.join(' ').toStdString());
        const test::Ran ran = runQuillbox(row.args, {.input = row.input});
        EXPECT_EQ(ran.status, 0);
        EXPECT_EQ(ran.out, row.expected);
        EXPECT_EQ(ran.err, "");
    }
}

TEST_F(Commands, ExitStatusAndErrorLines)
{
    temp.write("tree/a.bas", "' TODO: a\r\n");
    test::makeUnreadableFile(temp / "tree/b.bas");
    temp.write("one.txt", "one line");
    const std::string missing = (temp / "missing").string();
    const std::string general = "Usage: quillbox [COMMAND [ARGUMENTS...]]\nTry 'quillbox --help' for more information.\n";
    const std::string todosUsage = "Usage: quillbox todos PATH... [--format text|csv|json|markdown] [--output FILE]\n"
                                   "Try 'quillbox todos --help' for more information.\n";
    struct Row { QStringList args; int status; std::string err; };
    const Row rows[] = {
        {{"nope"}, 2, "quillbox: unknown command 'nope'\n" + general},
        {{"--nope"}, 2, "quillbox: unknown option '--nope'\n" + general},
        {{"todos"}, 2, "quillbox todos: missing arguments\n" + todosUsage},
        {{"todos", "x", "--format", "xml"}, 2, "quillbox todos: unknown format 'xml' (text, csv, json or markdown)\n" + todosUsage},
        {{"todos", "x", "--output"}, 2, "quillbox todos: option '--output' needs a value (FILE)\n" + todosUsage},
        {{"todos", "x", "--bad=1"}, 2, "quillbox todos: unknown option '--bad'\n" + todosUsage},
        {{"todos", arg(temp / "tree"), arg(temp / "missing")}, 2, "quillbox: " + missing + ": 53 :: No such file or directory\n"},
        {{"todos", arg(temp / "tree")}, 1, "quillbox: " + (temp / "tree/b.bas").string() + ": 57 :: Input/output error\n"},
        {{"combine", arg(temp / "one.txt"), arg(temp / "missing")}, 2, "quillbox: " + missing + ": 53 :: No such file or directory\n"},
        {{"rows2cols", arg(temp / "missing")}, 2, "quillbox: " + missing + ": 53 :: No such file or directory\n"},
        {{"rows2cols", arg(temp / "one.txt")}, 1, "quillbox: ensure that you've got two lines\n"},
        {{"dec2hex", "1,,2"}, 1, "quillbox: 13 :: Type mismatch\n"},
        {{"hex2dec", "1", "2"}, 2, "quillbox hex2dec: unexpected argument '2'\nUsage: quillbox hex2dec LIST\n"
                                   "Try 'quillbox hex2dec --help' for more information.\n"},
        {{"seqtrig", "a/b", "--folder", arg(temp.path())}, 2, "quillbox: 52 :: seqA/b.sql: a file name cannot hold a path separator\n"},
        {{"--version"}, 0, ""},
        {{"todos", "--help"}, 0, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args.join(' ').toStdString());
        const test::Ran ran = runQuillbox(row.args);
        EXPECT_EQ(ran.status, row.status);
        EXPECT_EQ(ran.err, row.err);
    }
    EXPECT_TRUE(runQuillbox({"todos", "--help"}).out.starts_with("Usage: quillbox todos PATH..."));
}

// One tree as CSV, JSON and Markdown: a TODO block holding a comma, quotes, a pipe and a line
// break, a UTF-8 file, and a Windows-1252 file with a Windows-1252 name holding control characters,
// a backslash and HTML's special characters.
TEST_F(Commands, StructuredFormats)
{
    temp.write("tree/a.bas", "x\r\n' TODO: one, \"two\" | three\r\n' four\r\n");
    temp.write("tree/b.bas", "' TODO: na\xC3\xAFve\r\n");
    temp.write("tree/caf\xE9.bas", "' TODO: caf\xE9 \x01\x1F\\ <l> & m\r\n");
    const std::string a = (temp / "tree/a.bas").string(), b = (temp / "tree/b.bas").string(),
                      c = (temp / "tree/caf\xC3\xA9.bas").string();
    const auto run = [&](const char* format) {
        const test::Ran ran = runQuillbox({"todos", arg(temp / "tree"), "--format", format});
        EXPECT_EQ(ran.status, 0) << ran.err;
        return ran.out;
    };
    EXPECT_EQ(run("csv"), "path,line,kind,text\r\n" + a + ",2,todo,\"' TODO: one, \"\"two\"\" | three\n' four\"\r\n" +
                              b + ",1,todo,' TODO: na\xC3\xAFve\r\n" + c + ",1,todo,' TODO: caf\xC3\xA9 \x01\x1F\\ <l> & m\r\n");
    const std::string markdown = run("markdown");
    EXPECT_TRUE(markdown.starts_with("| path | line | kind | text |\n| --- | ---: | --- | --- |\n| " + a + " | 2 | todo | ' TODO: "
                                     "one, \"two\" \\| three<br>' four |\n")) << markdown;
    EXPECT_TRUE(markdown.ends_with(" | 1 | todo | ' TODO: caf\xC3\xA9 \x01\x1F\\ &lt;l> &amp; m |\n")) << markdown;

    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(QByteArray::fromStdString(run("json")), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    QStringList records;
    for (const QJsonValue& record : json.array())
        for (const char* field : {"path", "line", "kind", "text"})
            records << record.toObject()[field].toVariant().toString();
    EXPECT_EQ(records, (QStringList{QString::fromStdString(a), "2", "todo", "' TODO: one, \"two\" | three\n' four",
                                    QString::fromStdString(b), "1", "todo", "' TODO: na\u00EFve",
                                    QString::fromStdString(c), "1", "todo", "' TODO: caf\u00E9 \x01\x1F\\ <l> & m"}));

    // --output writes the same bytes to a file and nothing to stdout.
    const test::Ran saved = runQuillbox({"subs", arg(temp / "tree"), "--output", arg(temp / "out.json"), "--format=json"});
    EXPECT_EQ(saved.status, 0) << saved.err;
    EXPECT_EQ(saved.out, "");
    EXPECT_EQ(test::readBytes(temp / "out.json"), "[]\n");
}

// Seqtrig writes both scripts into the working folder, with no display at all. A Ctrl+C that
// arrives before the first file stops a run: exit status 130, no report printed, no output file.
TEST_F(Commands, WriteFilesWithoutAnyDisplayAndNothingAfterCtrlC)
{
    temp.write("tree/a.bas", "' TODO: a\r\n");
    const test::Ran seqtrig = runQuillbox({"seqtrig", "orders", "--singular", "ord"}, {.folder = temp.path(), .noDisplay = true});
    EXPECT_EQ(seqtrig.status, 0) << seqtrig.err;
    EXPECT_EQ(test::readBytes(temp / "seqOrders.sql"), sequenceScript("orders"));
    EXPECT_EQ(test::readBytes(temp / "trigOrders.sql"), triggerScript("orders", "ord"));

    const test::Ran stopped =
        runQuillbox({"todos", arg(temp / "tree"), "--output", arg(temp / "report.txt")}, {.interruptedAtStart = true});
    EXPECT_EQ(stopped.status, 130);
    EXPECT_EQ(stopped.out, "");
    EXPECT_FALSE(std::filesystem::exists(temp / "report.txt"));
}

}  // namespace
}  // namespace qb
