// The scanners' commands by file type, run as a separate process: `quillbox todos` with a
// baseline (a CI step that fails only on new TODOs) and `quillbox subs` through universal-ctags.
#include "ui/cp1252.h"

#include <gtest/gtest.h>

#include "cli/quillbox.h"
#include "support/process.h"
#include "support/recorder.h"

namespace qb {
namespace {

namespace fs = std::filesystem;

// With --crlf: the reports are compared in the windows' line ends.
test::Ran quillbox(const QStringList& arguments)
{
    return test::runProgram(QStringLiteral(QUILLBOX_EXECUTABLE), arguments + QStringList{"--crlf"});
}

using test::arg;

const std::string source = "def f():\n    # TODO: retry on timeout\n    # with a back-off\n    return 1\n# FIXME: names\n";

// Each row changes the scanned tree after the baseline was written and says what is new.
TEST(TodoBaseline, OnlyNewBlocksAreReportedAndFail)
{
    // `file` below src/ is written with `text` (nothing is written without a file).
    struct Row { const char* name; const char* file; std::string text; std::vector<std::string> reported /* each new block's first line */; };
    const auto edited = [](std::string_view from, std::string_view to) { return std::string(source).replace(source.find(from), from.size(), to); };
    const Row rows[] = {
        {"nothing changed", nullptr, "", {}},
        {"moved down 50 lines", "a.py", "x = 0\n" + std::string(50, '\n') + source, {}},
        {"indented again", "a.py", "def f():\n        # TODO: retry on timeout\n        # with a back-off\n        return 1\n# FIXME: names\n", {}},
        {"text edited", "a.py", edited("timeout", "timeouts"), {"    # TODO: retry on timeouts"}},
        {"a second copy of a known block", "a.py", source + source, {"    # TODO: retry on timeout", "# FIXME: names"}},
        {"the same block in another file", "b.py", "# FIXME: names\n", {"# FIXME: names"}},
        {"marker changed", "a.py", edited("TODO", "HACK"), {"    # HACK: retry on timeout"}},
    };
    for (const Row& row : rows) {
        test::TempDir temp;
        temp.write("repo/src/a.py", source);
        const fs::path baseline = temp / "todo-baseline.txt";
        const test::Ran written = quillbox({"todos", "--lang", "auto", arg(temp / "repo"), "--write-baseline", arg(baseline)});
        ASSERT_EQ(written.status, 0) << row.name << written.err;
        if (row.file)
            temp.write(std::string("repo/src/") + row.file, row.text);
        // Scanned from another place too: the baseline holds paths below the scanned folder.
        fs::rename(temp / "repo", temp / "checkout");
        const test::Ran ran =
            quillbox({"todos", "--lang", "auto", arg(temp / "checkout"), "--baseline", arg(baseline), "--fail-if-found"});
        EXPECT_EQ(ran.status, row.reported.empty() ? 0 : 1) << row.name << ran.err;
        std::vector<std::string> firstLines;
        for (std::size_t at = ran.out.find("File: "); at != std::string::npos; at = ran.out.find("File: ", at + 1)) {
            // the block lines after the file's line, up to its empty line
            std::size_t pos = ran.out.find('\n', at) + 1;
            while (pos < ran.out.size() && ran.out.compare(pos, 2, "\r\n") != 0 && ran.out.compare(pos, 1, "*") != 0) {
                const std::size_t end = ran.out.find("\r\n", pos);
                firstLines.push_back(ran.out.substr(pos, end - pos));
                pos = ran.out.find("\r\n\r\n", pos) + 4;  // the next block
            }
        }
        EXPECT_EQ(firstLines, row.reported) << row.name << "\n" << ran.out;
    }
}

TEST(TodoBaseline, BadOptionsAndFilesDoNotStart)
{
    test::TempDir temp;
    temp.write("a.py", source);
    temp.write("bad.txt", "TODO things\n");
    struct Row { QStringList args; std::string err; };
    const std::string usage = "Try 'quillbox todos --help' for more information.\n";
    const Row rows[] = {
        {{"--lang", "python"}, "quillbox todos: unknown language mode 'python' (classic or auto)\n"},
        {{"--marker", "NOTE"}, "quillbox todos: --marker needs --lang auto\n"},
        {{"--baseline", arg(temp / "none.txt")}, "quillbox: " + (temp / "none.txt").string() + ": 53 :: "},
        {{"--baseline", arg(temp / "bad.txt")}, "quillbox: 13 :: " + (temp / "bad.txt").string() +
                                                  ", line 1: not a TODO baseline (it starts with \"# quillbox todo baseline 1\")\n"},
        {{"--write-baseline", arg(temp / "no/such/b.txt")}, "quillbox: " + (temp / "no/such").string() + ": 76 :: "},
    };
    for (const Row& row : rows) {
        const test::Ran ran = quillbox(QStringList{"todos", arg(temp / "a.py")} + row.args);
        EXPECT_EQ(ran.status, 2) << row.args.join(' ').toStdString();
        EXPECT_TRUE(ran.err.starts_with(row.err)) << ran.err;
        EXPECT_EQ(ran.out, "");
    }
}

// Classic stays the default, byte for byte; auto reads comments, and --marker changes the words.
// Without a baseline, --fail-if-found fails on any block and only on one.
TEST(TodoLanguageMode, ClassicIsTheDefaultAndAutoReadsComments)
{
    test::TempDir temp;
    const fs::path file = temp.write("a.py", "s = 'TODO: in a string'\n# FIXME first\n# NOTE: mine\n");
    const fs::path clean = temp.write("b.py", "x = 1\n");
    const std::string head = "*************************\r\nFile: " + file.string() + "\r\n";
    const std::string tail = "\r\n*************************\r\n\r\n";
    struct Row { QStringList args; std::string out; int status = 0; };
    const Row rows[] = {
        {{arg(file)}, head + "s = 'TODO: in a string'\r\n\r\n" + tail},
        {{arg(file), "--lang", "classic"}, head + "s = 'TODO: in a string'\r\n\r\n" + tail},
        {{arg(file), "--lang", "auto"}, head + "# FIXME first\r\n# NOTE: mine\r\n\r\n" + tail},
        {{arg(file), "--lang", "auto", "--marker", "NOTE,TODO"}, head + "# NOTE: mine\r\n\r\n" + tail},
        {{arg(file), "--lang", "auto", "--fail-if-found"}, head + "# FIXME first\r\n# NOTE: mine\r\n\r\n" + tail, 1},
        {{arg(clean), "--lang", "auto", "--fail-if-found"}, ""},
    };
    for (const Row& row : rows) {
        const test::Ran ran = quillbox(QStringList{"todos"} + row.args);
        EXPECT_EQ(ran.status, row.status) << ran.err;
        EXPECT_EQ(ran.out, row.out) << row.args.join(' ').toStdString();
    }
    const test::Ran json = quillbox({"todos", arg(file), "--lang", "auto", "--format", "json"});
    EXPECT_NE(json.out.find("\"kind\": \"fixme\""), std::string::npos) << json.out;
}

// languages.txt in the data folder adds a file type; a broken one stops the run.
TEST(TodoLanguageMode, ReadsTheUsersLanguages)
{
    test::TempDir temp;
    test::ProgramFolderOverride data(temp / "data");
    fs::create_directories(temp / "data");
    const fs::path file = temp.write("a.note", "; TODO mine\n");
    EXPECT_EQ(quillbox({"todos", "--lang", "auto", arg(file)}).out, "");
    temp.write("data/languages.txt", "language Notes\nextensions note\nline ;\n");
    EXPECT_NE(quillbox({"todos", "--lang", "auto", arg(file)}).out.find("; TODO mine\r\n"), std::string::npos);
    temp.write("data/languages.txt", "language Notes\nline\n");
    const test::Ran broken = quillbox({"todos", "--lang", "auto", arg(file)});
    EXPECT_EQ(broken.status, 2);
    EXPECT_NE(broken.err.find("languages.txt, line 2: \"line\" needs at least one opener"), std::string::npos) << broken.err;
}

TEST(SubsLanguageMode, AutoListsCtagsDeclarationsAndNeedsCtags)
{
    test::TempDir temp;
    const fs::path file = temp.write("a.cpp", "namespace N {\nint x;\nvoid f() {}\n}\nPublic Sub P()\n");
    struct Row { QStringList args; std::string out; int status = 0; };
    const Row rows[] = {
        {{}, file.string() + "\r\n\tPublic Sub P()\r\n"},
        {{"--lang", "auto"}, file.string() + "\r\n\tnamespace N {\r\n\tvoid f() {}\r\n"},
        {{"--lang", "vb"}, "", 2},
    };
    for (const Row& row : rows) {
        const test::Ran ran = quillbox(QStringList{"subs", arg(file)} + row.args);
        EXPECT_EQ(ran.status, row.status) << ran.err;
        EXPECT_EQ(ran.out, row.out);
    }

    test::EnvironmentOverride missing("QUILLBOX_CTAGS", "/nonexistent/ctags");
    const test::Ran ran = quillbox({"subs", arg(file), "--lang", "auto"});
    EXPECT_EQ(ran.status, 2);
    EXPECT_EQ(ran.err, "quillbox: 53 :: universal-ctags is not installed; install the Debian package universal-ctags to "
                       "find declarations by file type\n");
    EXPECT_EQ(ran.out, "");
    EXPECT_EQ(quillbox({"subs", arg(file)}).status, 0);  // Classic needs no ctags
}

}  // namespace
}  // namespace qb
