// The command line in pipes and scripts, run as a separate process: standard input and streams as
// inputs, LF or CR LF line ends, NUL-ended lists parsed back, paths spelled as given, --dry-run
// leaving every tree byte for byte as it was, --fail-if-found, globs, and structured output that
// keeps every path's bytes and renders safely.
#include "core/fs.h"
#include "core/glob.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "files/tree.h"
#include "support/process.h"
#include "support/recorder.h"

namespace qb {
namespace {

namespace fs = std::filesystem;

const QString quillbox = QStringLiteral(QUILLBOX_EXECUTABLE);

class Scripting : public ::testing::Test {
protected:
    test::TempDir temp;

    // quillbox in the temporary folder.
    test::Ran run(const QStringList& arguments, std::string input = {}) const
    {
        return test::runProgram(quillbox, arguments, {.input = std::move(input), .folder = temp.path()});
    }
    // A bash line in the temporary folder, $Q being quillbox: for <(...), FIFOs and terminals.
    test::Ran shell(const QString& line, std::string input = {}) const
    {
        return test::runProgram("bash", {"-c", "Q=\"" + quillbox + "\"; " + line}, {.input = std::move(input), .folder = temp.path()});
    }
    void makeTree() const
    {
        temp.write("tree/a.bas", "x ' TODO: a\r\n");
        temp.write("tree/NoDot", "plain\r\n");
        temp.write("tree/sub/b.bas", "' TODO: b\r\nPublic Sub B()\r\n");
        temp.write("tree/sub/c.txt", "nothing\r\n");
    }
};

std::vector<std::string> splitAtNul(const std::string& out)
{
    std::vector<std::string> parts;
    for (std::size_t from = 0; from < out.size();) {
        const std::size_t end = out.find('\0', from);
        if (end == std::string::npos) {
            parts.push_back("unended:" + out.substr(from));
            break;
        }
        parts.push_back(out.substr(from, end - from));
        from = end + 1;
    }
    return parts;
}

// Standard input, <(...), /dev/stdin and named FIFOs are read as cat reads them; output lines end
// in LF unless --crlf is given. A FIFO met in a walk is never opened: the scan ends instead of
// waiting for a writer.
TEST_F(Scripting, StreamsInAndLineEndsOut)
{
    temp.write("two.txt", "1\r\n2\r\n");
    temp.write("tpl.txt", "<\xA2>\r\n");
    temp.write("w/a.txt", "keep\r\n<c>\r\nbody\r\n</c>\r\n");
    temp.write("walk/a.bas", "' TODO: here\r\n");
    ASSERT_EQ(::mkfifo((temp / "fifo").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((temp / "walk/pipe.bas").c_str(), 0600), 0);
    struct Row { QString line; std::string input, out; };
    const Row rows[] = {
        {"$Q combine - two.txt", "a\nb\nc\n", "a1\nb2\n"},
        {"$Q combine two.txt -", "a\r\nb", "1a\n2b\n"},
        {"$Q combine --crlf - two.txt", "a\nb\n", "a1\r\nb2\r\n"},
        {"$Q combine <(printf 'p\\nq\\n') two.txt", "", "p1\nq2\n"},
        {"$Q rows2cols /dev/stdin", "id\tname\r\n7\tAnn\r\n", "id  \t7\nname\tAnn\n"},
        {"$Q rows2cols --crlf", "id\tname\n7\tAnn\n", "id  \t7\r\nname\tAnn\r\n"},
        {"(printf 'f\\ng\\n' > fifo &) ; $Q combine fifo two.txt", "", "f1\ng2\n"},
        // A FIFO whose writer comes late is waited for, not read as empty.
        {"$Q combine fifo two.txt & sleep 0.3; printf 'f\\ng\\n' > fifo; wait", "", "f1\ng2\n"},
        {"$Q repeat --in - --template tpl.txt -o out.txt && cat out.txt", "x\ny\n", "<x>\r\n<y>\r\n"},
        {"$Q repeat --template - --in two.txt --out out.txt && cat out.txt", "[\xA2]", "[1][2]"},
        {"$Q linktable t a | tr -d -c '\\r' | wc -c", "", "0\n"},
        {"$Q hex2dec ff --crlf", "", "255\r\n"},
        {"$Q todos -l - <(printf \"' TODO: x\")", "x ' TODO: in\n", "/dev/stdin\n/dev/fd/63\n"},
        // Erase takes its chunk from a pipe; the copies lose the chunk.
        {"$Q erase w --chunk - --erase-only && cat w/copies/a.txt", "<c>\nbody\n</c>\n", "keep\r\n"},
        {"$Q todos -l walk", "", "walk/a.bas\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line.toStdString());
        const test::Ran ran = shell(row.line, row.input);
        EXPECT_EQ(ran.status, 0) << ran.err;
        EXPECT_EQ(ran.out, row.out);
    }
}

// Waiting on a terminal is said on stderr, and control characters from file names reach a
// terminal escaped, while a pipe gets the bytes as they are.
TEST_F(Scripting, TerminalsAreToldAndNotDriven)
{
    temp.write("t/red\x1b[31m.bas", "' TODO: x\r\n");
    const test::Ran piped = run({"todos", "-l", "t"});
    EXPECT_EQ(piped.out, "t/red\x1b[31m.bas\n");
    const test::Ran onTerminal = shell("script -qec \"$Q todos -l t\" /dev/null");
    EXPECT_NE(onTerminal.out.find("t/red\\033[31m.bas"), std::string::npos) << onTerminal.out;
    EXPECT_EQ(onTerminal.out.find("\x1b[31m"), std::string::npos);  // the progress line's own \x1b[K may stand
    const test::Ran waiting = shell("timeout -s KILL 5 script -qc \"$Q rows2cols\" /dev/null < /dev/null; true");
    EXPECT_NE(waiting.out.find("reading standard input from the terminal"), std::string::npos) << waiting.out;
}

// Lists for xargs -0, paths as the folder was given, and what --dry-run says it would write,
// with the tree byte for byte as it was.
TEST_F(Scripting, ListsPathsAsGivenAndDryRunsWriteNothing)
{
    makeTree();
    temp.write("new/NoDot", "new\r\n");
    temp.write("chunk.txt", "TODO\r\n");
    temp.write("data/replaceLines.txt", "a\r\nb\r\n");
    struct Row { QStringList args; std::vector<std::string> listed; };
    const Row rows[] = {
        {{"todos", "-l0", "tree"}, {"tree/a.bas", "tree/sub/b.bas"}},
        {{"subs", "--files-with-matches", "--null", "./tree/"}, {"./tree/sub/b.bas"}},
        {{"todos", "-0l", "tree/sub/b.bas", "./tree/a.bas"}, {"tree/sub/b.bas", "./tree/a.bas"}},
        {{"update", "tree", "new/NoDot", "-n0"}, {"tree/NoDot"}},
        {{"addext", "-n0", "tree"}, {"tree/NoDot_COPY.doc"}},
        {{"erase", "tree", "--chunk", "chunk.txt", "-rn0"}, {"tree/copies/a.bas", "tree/copies/NoDot", "tree/copies/sub/b.bas", "tree/copies/sub/c.txt"}},
        {{"erase", "tree", "--chunk", "chunk.txt", "--dry-run", "-0"}, {"tree/copies/a.bas", "tree/copies/NoDot"}},
        {{"replace", "tree", "--pairs", "data/replaceLines.txt", "--debug", "data/debug.out", "-n0"},
         {"tree/copies/a.bas", "tree/copies/NoDot", "data/debug.out"}},
        {{"repeat", "--in", "chunk.txt", "-o", "data/out.txt", "-n0"}, {"data/out.txt"}},
        {{"seqtrig", "orders", "-o", "data", "-n0"}, {"data/seqOrders.sql", "data/trigOrders.sql"}},
        {{"seqtrig", "orders", "--folder", "data", "--dry-run", "-0"}, {"data/seqOrders.sql", "data/trigOrders.sql"}},
        {{"todos", "-l0", "-g", "*.bas", "-g", "!sub/", "tree"}, {"tree/a.bas"}},
        {{"erase", "tree", "--chunk", "chunk.txt", "-rn0", "-g", "**/*.{bas,txt}", "-g", "!a.*"}, {"tree/copies/sub/b.bas", "tree/copies/sub/c.txt"}},
        {{"addext", "-n0", "--glob=!NoDot", "tree"}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args.join(' ').toStdString());
        const test::Tree before = test::treeOf(temp.path());
        const test::Ran ran = run(row.args);
        EXPECT_EQ(ran.status, 0) << ran.err;
        EXPECT_EQ(splitAtNul(ran.out), row.listed);
        EXPECT_EQ(test::treeOf(temp.path()), before);
    }
    // The same listing ends its lines in LF, or CR LF with --crlf; --quiet prints nothing.
    EXPECT_EQ(run({"update", "tree", "new/NoDot", "--dry-run"}).out, "tree/NoDot\n");
    EXPECT_EQ(run({"update", "tree", "new/NoDot", "--dry-run", "--crlf"}).out, "tree/NoDot\r\n");
    EXPECT_EQ(run({"update", "tree", "new/NoDot", "-nq"}).out, "");
    EXPECT_EQ(run({"addext", "-0", "tree"}).out, std::string("tree/NoDot\0", 11));
    EXPECT_EQ(run({"addext", "tree"}).out, "\t---tree/NoDot\n\ttree/sub\n");
}

// --fail-if-found gates a CI step: 1 when a record is found, 0 when none is; --quiet keeps stdout empty.
TEST_F(Scripting, FailIfFoundAndQuiet)
{
    makeTree();
    struct Row { QStringList args; int status; bool printed; };
    const Row rows[] = {
        {{"todos", "tree", "--fail-if-found"}, 1, true},
        {{"todos", "tree/sub/c.txt", "--fail-if-found"}, 0, false},
        {{"subs", "tree", "--fail-if-found", "-q"}, 1, false},
        {{"subs", "tree/a.bas", "--fail-if-found", "--format", "json"}, 0, true},
        {{"todos", "tree", "--format", "csv", "--fail-if-found"}, 1, true},
        {{"todos", "tree", "-g", "*.txt", "--fail-if-found", "-l"}, 0, false},
        {{"todos", "tree"}, 0, true},
        {{"todos", "tree", "--quiet"}, 0, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args.join(' ').toStdString());
        const test::Ran ran = run(row.args);
        EXPECT_EQ(ran.status, row.status) << ran.err;
        EXPECT_EQ(!ran.out.empty(), row.printed) << ran.out;
        EXPECT_EQ(ran.err, "");
    }
}

// A name that is not UTF-8 keeps its bytes in path_bytes; the rest of the path decodes as it is.
TEST_F(Scripting, PathBytesGiveBackTheExactName)
{
    const std::string names[] = {"donn\xC3\xA9" "es/caf\xE9.bas", "plain/na\xEF" "ve\x80/a.bas", "utf8/\xC3\xA6.bas"};
    const std::string decoded[] = {"donn\xC3\xA9" "es/caf\xC3\xA9.bas", "plain/na\xC3\xAF" "ve\xE2\x82\xAC/a.bas", "utf8/\xC3\xA6.bas"};
    for (const std::string& name : names)
        temp.write("t/" + name, "' TODO: x\r\n");
    const test::Ran ran = run({"todos", "t", "--format", "json"});
    ASSERT_EQ(ran.status, 0) << ran.err;
    const QJsonArray records = QJsonDocument::fromJson(QByteArray::fromStdString(ran.out)).array();
    ASSERT_EQ(records.size(), 3);
    for (const QJsonValue& value : records) {
        const QJsonObject record = value.toObject();
        const std::string path = record["path"].toString().toStdString();
        const auto row = std::ranges::find(decoded, path.substr(2));
        ASSERT_NE(row, std::end(decoded)) << path;
        const std::string& raw = names[row - std::begin(decoded)];
        if (row == std::end(decoded) - 1) {
            EXPECT_FALSE(record.contains("path_bytes"));
        } else {
            EXPECT_EQ(QByteArray::fromBase64(record["path_bytes"].toString().toLatin1()).toStdString(), "t/" + raw);
        }
    }
}

// Rendered by a real CommonMark renderer, every cell shows its text literally: no emphasis, code,
// link, HTML tag or split cell comes from a file name or a TODO's text.
TEST_F(Scripting, MarkdownRendersLiterally)
{
    temp.write("t/a_b*c*_[x](y)`z`\\.bas", "' TODO: <b>bold</b> | *em* _u_ [l](u) `c` a\\*b & c\r\n");
    const test::Ran md = run({"todos", "t", "--format", "markdown"});
    ASSERT_EQ(md.status, 0) << md.err;
    temp.write("table.md", md.out);
    const test::Ran html = test::runProgram("cmark-gfm", {"-e", "table", "table.md"}, {.folder = temp.path()});
    ASSERT_EQ(html.status, 0) << html.err;
    EXPECT_NE(html.out.find("<td>t/a_b*c*_[x](y)`z`\\.bas</td>"), std::string::npos) << html.out;
    EXPECT_NE(html.out.find("<td>' TODO: &lt;b&gt;bold&lt;/b&gt; | *em* _u_ [l](u) `c` a\\*b &amp; c</td>"), std::string::npos)
        << html.out;
    for (const char* tag : {"<em>", "<strong>", "<code>", "<a ", "<b>"})
        EXPECT_EQ(html.out.find(tag), std::string::npos) << tag;
}

// -h, -V, help COMMAND, the environment and files in the help, and every shared option's spelling.
TEST_F(Scripting, HelpAndVocabulary)
{
    const std::string todosHelp = run({"todos", "--help"}).out;
    EXPECT_EQ(run({"help", "todos"}).out, todosHelp);
    EXPECT_EQ(run({"todos", "-h"}).out, todosHelp);
    EXPECT_EQ(run({"-V"}).out, run({"--version"}).out);
    const std::string help = run({"--help"}).out;
    for (const char* part : {"QUILLBOX_DATA_DIR", "Quillbox.ini", "data folder", "help COMMAND"})
        EXPECT_NE(help.find(part), std::string::npos) << part;
    struct Row { const char* command; std::vector<const char*> options; };
    const Row rows[] = {
        {"todos", {"-o, --output FILE", "-g, --glob PATTERN", "-0, --null", "-l, --files-with-matches", "--fail-if-found", "-r, --recursive"}},
        {"erase", {"-r, --recursive", "-n, --dry-run", "-g, --glob"}},
        {"replace", {"-n, --dry-run", "-g, --glob"}},
        {"update", {"-n, --dry-run", "-0, --null", "-r, --recursive", "-g, --glob"}},
        {"addext", {"-n, --dry-run", "-0, --null", "-r, --recursive", "-g, --glob"}},
        {"repeat", {"-o, --output FILE", "--out FILE", "-n, --dry-run"}},
        {"seqtrig", {"-o, --output DIR", "--folder DIR", "-n, --dry-run"}},
        {"combine", {"--crlf", "-q, --quiet"}},
    };
    for (const Row& row : rows) {
        const std::string text = run({"help", row.command}).out;
        for (const char* option : row.options)
            EXPECT_NE(text.find(option), std::string::npos) << row.command << ": " << option;
    }
    const test::Ran bad = run({"todos", "x", "-g", "{a"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_TRUE(bad.err.starts_with("quillbox todos: '{a' is not a glob")) << bad.err;
}

// Only a stream the command line names is read; every other FIFO stays refused, as the windows
// and walks need.
TEST(StreamInputs, OnlyTheNamedOnesAreRead)
{
    test::TempDir temp;
    for (const char* name : {"named", "other"})
        ASSERT_EQ(::mkfifo((temp / name).c_str(), 0600), 0);
    const FileSystemObject fso;
    EXPECT_EQ(fso.checkInput(temp / "named").error().number, 75);
    acceptStreamInput(temp / "named");
    EXPECT_TRUE(fso.checkInput(temp / "named"));
    EXPECT_EQ(fso.checkInput(temp / "other").error().number, 75);
    EXPECT_EQ(fso.OpenTextFile(temp / "other").error().number, 75);
}

// The manual page has the help's environment and files as sections of its own, and its non-ASCII
// text as written.
TEST(ManualPage, HasEnvironmentFilesAndItsCharacters)
{
#ifndef QUILLBOX_MAN_PAGE
    GTEST_SKIP() << "help2man is missing: no manual page is made";
#else
    const std::string page = test::readBytes(QUILLBOX_MAN_PAGE);
    for (const char* part : {".SH ENVIRONMENT", ".SH FILES", "QUILLBOX_DATA_DIR", "Quillbox.ini", "\xC2\xA2", "\xC3\xAD", "\xC3\xA6"})
        EXPECT_NE(page.find(part), std::string::npos) << part;
    EXPECT_EQ(page.find("??"), std::string::npos);
#endif
}

TEST(GlobSelection, ChoosesAsRipgrepDoes)
{
    struct Row { std::vector<const char*> globs; const char* path; bool folder, chosen; };
    const Row rows[] = {
        {{"*.bas"}, "a.bas", false, true},
        {{"*.bas"}, "deep/er/a.bas", false, true},
        {{"*.bas"}, "a.cls", false, false},
        {{"*.bas"}, "sub", true, true},             // including globs never keep a walk out of a folder
        {{"!*.bas"}, "a.cls", false, true},
        {{"!*.bas"}, "x/a.bas", false, false},
        {{"*.bas", "!b*"}, "b.bas", false, false},  // the last match decides
        {{"!b*", "*.bas"}, "b.bas", false, true},
        {{"src/*.bas"}, "src/a.bas", false, true},
        {{"src/*.bas"}, "x/src/a.bas", false, false},  // a slash anchors at the start
        {{"/a.bas"}, "sub/a.bas", false, false},
        {{"**/t/*.c"}, "t/x.c", false, true},
        {{"**/t/*.c"}, "a/b/t/x.c", false, true},
        {{"a/**"}, "a/b/c/d.txt", false, true},
        {{"*.{bas,cls}"}, "m.cls", false, true},
        {{"*.{bas,c{,pp}}"}, "m.cpp", false, true},
        {{"*.{bas,c{,pp}}"}, "m.cp", false, false},
        {{"[ab].txt"}, "b.txt", false, true},
        {{"[!ab].txt"}, "b.txt", false, false},
        {{"\\*.txt"}, "x.txt", false, false},
        {{"*.txt"}, ".hidden.txt", false, true},
        {{"!build/"}, "build", true, false},
        {{"!build/"}, "build", false, true},       // a trailing slash: folders only
        {{"!node_modules"}, "web/node_modules", true, false},
        {{"*"}, "a/b", false, true},
    };
    for (const Row& row : rows) {
        GlobSelection selection;
        for (const char* glob : row.globs)
            ASSERT_TRUE(selection.add(glob)) << glob;
        EXPECT_EQ(row.folder ? selection.entersFolder(row.path) : selection.selectsFile(row.path), row.chosen)
            << row.globs.front() << " " << row.path;
    }
    for (const char* bad : {"{a", "a}", "[ab", "!", "{[}]"})
        EXPECT_FALSE(GlobSelection().add(bad)) << bad;
}

}  // namespace
}  // namespace qb
