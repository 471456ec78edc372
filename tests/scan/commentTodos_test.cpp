// TODO blocks by file type: the labelled corpus (one file per language), the block rules, the
// markers, the syntax table's lookups and its user file.
#include "tools/scan/commentTodos.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "support/recorder.h"

namespace qb {
namespace {

const std::filesystem::path corpus = QB_SCAN_CORPUS;

// MATLAB shares .m with Objective-C; the corpus's MATLAB file is named to it as a user would.
std::shared_ptr<const SyntaxTable> corpusTable()
{
    return std::make_shared<const SyntaxTable>(SyntaxTable::withUserText("language MATLAB\nnames matlab.m\n", "test").value());
}

// "line kind count" for each record of the scan of `file` alone.
std::vector<std::string> blocksOf(const std::filesystem::path& file, const TodoTypeOptions& options)
{
    const ScanReport report = findTodosByTypeIn({file}, options);
    EXPECT_TRUE(report.skipped.empty()) << file;
    std::vector<std::string> out;
    for (const Record& record : report.found.items) {
        const auto lines = 1 + std::ranges::count(record.text, '\n');
        out.push_back(std::to_string(record.line) + " " + (record.tag.empty() ? "todo" : record.tag) + " " + std::to_string(lines));
    }
    return out;
}

TEST(CommentTodos, CorpusBlocksEqualTheirLabels)
{
    std::map<std::string, std::vector<std::string>> labels;
    std::set<std::string> files, labelled;
    std::ifstream in(corpus / "labels.txt");
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line.front() == '#')
            continue;
        std::istringstream row(line);
        std::string file, start, kind, count;
        row >> file >> start >> kind >> count;
        labels[file].push_back(start + " " + kind + " " + count);
        labelled.insert(file);
    }
    // Every file of the corpus is labelled, so none is silently left out.
    for (const auto& entry : std::filesystem::directory_iterator(corpus))
        if (entry.path().filename() != "labels.txt")
            files.insert(entry.path().filename().native());
    ASSERT_EQ(files, labelled);
    ASSERT_GE(files.size(), 40u);

    const TodoTypeOptions options{.table = corpusTable()};
    for (const auto& [file, expected] : labels)
        EXPECT_EQ(blocksOf(corpus / file, options), expected) << file;
}

// The report keeps the file's lines byte for byte, in the Classic report's shape, and each
// record's text is its lines.
TEST(CommentTodos, ReportLinesAreTheFilesLines)
{
    const TodoTypeOptions options{.table = corpusTable()};
    const ScanReport report = findTodosByTypeIn({corpus / "c.c"}, options);
    const std::string path = (corpus / "c.c").native();
    EXPECT_EQ(report.text, "*************************\r\nFile: " + path +
                               "\r\n// TODO: free the buffer\r\n// when the caller is done\r\n\r\n"
                               "int TODO = 1; /* FIXME(ann): check the size */\r\n\r\n"
                               " * HACK: the block goes on\r\n * over two lines\r\n\r\n"
                               "char c = '\"'; // XXX after a char quote\r\n\r\n\r\n*************************\r\n\r\n");
    ASSERT_EQ(report.found.items.size(), 4u);
    EXPECT_EQ(report.found.items[2].text, " * HACK: the block goes on\n * over two lines");
    EXPECT_EQ(writeReport(report.text, report.found, ReportFormat::Csv).substr(0, 40), "path,line,kind,text\r\n" + path.substr(0, 19));
    EXPECT_NE(writeReport(report.text, report.found, ReportFormat::Json).find("\"kind\": \"fixme\""), std::string::npos);
}

// Where a block starts and ends, on C's comments (or the row's file's): "line count" of each block.
TEST(CommentTodos, BlockRules)
{
    struct Row {
        const char* name;
        const char* text;
        std::vector<std::string> blocks;
        std::vector<std::string> markers = defaultTodoMarkers();
        const char* file = "a.c";
    };
    const Row rows[] = {
        {"code ends a block", "// TODO a\n// b\nx();\n// c\n", {"1 todo 2"}},
        {"an empty comment line ends it", "// TODO a\n//\n// c\n", {"1 todo 1"}},
        {"a decoration line ends it", "// TODO a\n// ----\n// c\n", {"1 todo 1"}},
        {"a blank line ends it", "// TODO a\n\n// c\n", {"1 todo 1"}},
        {"a new marker starts the next", "// TODO a\n// FIXME b\n// c\n", {"1 todo 1", "2 fixme 2"}},
        {"a block comment line ends a line block", "// TODO a\n/* b */\n", {"1 todo 1"}},
        {"the end of a block comment ends it", "/* TODO a\n b */\n// c\n", {"1 todo 2"}},
        {"a block comment's closing line alone is not reported", "/* TODO a\n*/\n", {"1 todo 1"}},
        {"trailing comment after code", "x(); // HACK a\n// b\ny();\n", {"1 hack 2"}},
        {"code after a closed block comment", "/* XXX a */ x();\n// b\n", {"1 xxx 1"}},
        {"first of two markers on a line names the block", "// BUG then TODO\n", {"1 bug 1"}},
        {"owner and colon", "// TODO(ann): a\n// FIXME:b\n", {"1 todo 1", "2 fixme 1"}},
        {"whole words only", "// TODOS, @todo, xTODO, TODO_1, todo\n", {}},
        {"a word after a name that holds a marker", "DEBUG(); /* BUGS */ // BUG a\n// b\n", {"1 bug 2"}},
        {"a marker right after an opener that ends in a letter", "=beginTODO a\n=end\n", {"1 todo 1"}, defaultTodoMarkers(), "a.rb"},
        {"a marker in a string", "s = \"// TODO\"; t = '/*'; // ok\n", {}},
        {"a marker in code", "int TODO = FIXME;\n", {}},
        {"an unclosed string ends with its line", "s = \"abc\n// TODO a\n", {"2 todo 1"}},
        {"the last line has no end", "// TODO a\n// b", {"1 todo 2"}},
        {"CR LF and lone CR line ends", "// TODO a\r\n// b\r// c\r\nx\r\n", {"1 todo 3"}},
        {"markers of the user's own", "// NOTE a\n// TODO b\n", {"1 note 2"}, {"NOTE"}},
    };
    const test::TempDir dir;
    for (const Row& row : rows)
        EXPECT_EQ(blocksOf(dir.write(row.file, row.text), {.table = nullptr, .markers = row.markers}), row.blocks) << row.name;
}

// A file comes to the scanner in runs of whole lines; comments and blocks go on across runs.
TEST(CommentTodos, RunsOfLinesGiveTheSameBlocks)
{
    const TodoTypeOptions options{.table = corpusTable()};
    for (const char* name : {"scala.scala", "lua.lua", "rust.rs", "ruby.rb", "perl.pl", "c.c"}) {
        const std::string text = test::readBytes(corpus / name);
        const auto scanInRuns = [&](std::size_t linesPerRun) {
            const auto scanner = todoScannerByType(options);
            const std::filesystem::path path = corpus / name;
            ScanPart part;
            scanner->start(path, part);
            std::size_t pos = 0;
            while (pos < text.size()) {
                std::size_t end = pos;
                for (std::size_t n = 0; n < linesPerRun && end < text.size(); ++n)
                    end = text.find('\n', end) + 1;
                EXPECT_TRUE(scanner->scan(std::string_view(text).substr(pos, end - pos), end >= text.size(), part));
                pos = end;
            }
            scanner->finish(part);
            return part.text;
        };
        const std::string whole = scanInRuns(1000);
        EXPECT_FALSE(whole.empty()) << name;
        for (std::size_t n = 1; n < 4; ++n)
            EXPECT_EQ(scanInRuns(n), whole) << name << " in runs of " << n;
    }
}

TEST(SyntaxTable, FindsTheLanguageByNameExtensionAndShebang)
{
    struct Row { const char* name; const char* firstLine; const char* language; };
    const Row rows[] = {
        {"main.CPP", "", "C++"},
        {"x.h", "", "C++"},
        {"Makefile", "", "Makefile"},
        {"cmakelists.txt", "", "CMake"},
        {"notes.txt", "", nullptr},
        {"run", "#!/usr/bin/env -S python3.11 -u", "Python"},
        {"run", "#!/bin/bash -e", "Shell"},
        {"run", "#! /usr/bin/perl -w", "Perl"},
        {"run", "#!/usr/bin/env VAR=1 node", "JavaScript"},
        {"run", "#!/usr/bin/env", nullptr},
        {"run", "# not a shebang", nullptr},
        {"run.py", "#!/bin/sh", "Python"},  // the name decides first
        {"a.", "", nullptr},
    };
    const SyntaxTable& table = SyntaxTable::builtIn();
    for (const Row& row : rows) {
        const CommentSyntax* found = table.find(row.name, row.firstLine);
        EXPECT_EQ(found ? found->name : "none", row.language ? row.language : "none") << row.name << " / " << row.firstLine;
    }
}

TEST(SyntaxTable, UserEntriesAddAndReplace)
{
    const SyntaxTable table = SyntaxTable::withUserText(
        "# mine\nlanguage python\nline //\n\nlanguage Jsonnet\nextensions jsonnet libsonnet\nline // #\nblock /* */\n"
        "language Notes\nnames TODO.txt\nextensions py\n", "languages.txt").value();
    // Python keeps its names but has only the comments given.
    const CommentSyntax* python = table.named("Python");
    ASSERT_NE(python, nullptr);
    ASSERT_EQ(python->forms.size(), 1u);
    EXPECT_EQ(python->forms[0].open, "//");
    EXPECT_EQ(table.byFirstLine("#!/usr/bin/python3"), python);
    EXPECT_EQ(table.byName("a.libsonnet")->name, "Jsonnet");
    EXPECT_EQ(table.byName("todo.txt")->name, "Notes");
    EXPECT_EQ(table.byName("a.py")->name, "Notes");  // the last to name an extension has it
    EXPECT_EQ(SyntaxTable::builtIn().byName("a.py")->name, "Python");  // the built-in table is untouched
    // A section that only maps names keeps the language's comments.
    const SyntaxTable mapped = SyntaxTable::withUserText("language Python\nextensions pyx\n", "languages.txt").value();
    EXPECT_EQ(mapped.byName("a.pyx")->forms.size(), SyntaxTable::builtIn().named("python")->forms.size());
}

TEST(SyntaxTable, BadEntriesNameTheirLine)
{
    struct Row { const char* text; const char* message; };
    const Row rows[] = {
        {"line #\n", "mine, line 1: \"line\" before the first language"},
        {"language\n", "mine, line 1: a language needs a name"},
        {"language X\n\nblock /*\n", "mine, line 3: \"block\" needs an opener and a closer"},
        {"language X\nstring \" \" xx\n", "mine, line 2: the escape must be one character, \"double\" or \"none\", not \"xx\""},
        {"language X\nraw R\" any (\n", "mine, line 2: \"raw\" needs an opener, delimiter characters, a stop, a closer and an end"},
        {"language X\ncomment #\n", "mine, line 2: unknown entry \"comment\""},
        {"language X\nline\n", "mine, line 2: \"line\" needs at least one opener"},
    };
    for (const Row& row : rows) {
        const auto table = SyntaxTable::withUserText(row.text, "mine");
        ASSERT_FALSE(table) << row.text;
        EXPECT_EQ(table.error().number, 13);
        EXPECT_EQ(table.error().description, row.message);
    }
}

TEST(SyntaxTable, LoadsTheUsersFileWhenThereIsOne)
{
    test::TempDir dir;
    EXPECT_EQ(SyntaxTable::load(dir / "languages.txt").value().get(), &SyntaxTable::builtIn());
    dir.write("languages.txt", "language Foo\nextensions foo\nline ;;\n");
    const auto table = SyntaxTable::load(dir / "languages.txt").value();
    EXPECT_EQ(table->byName("x.foo")->name, "Foo");
    dir.write("languages.txt", "language Foo\nnonsense\n");
    EXPECT_FALSE(SyntaxTable::load(dir / "languages.txt"));
}

TEST(TodoMarkers, ReadFromABox)
{
    struct Row { const char* text; std::vector<std::string> markers; };
    const Row rows[] = {
        {"", defaultTodoMarkers()},
        {"  , ", defaultTodoMarkers()},
        {"NOTE", {"NOTE"}},
        {"TODO, FIXME\tNOTE  TODO", {"TODO", "FIXME", "NOTE"}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(todoMarkersFrom(row.text), row.markers) << row.text;
}

}  // namespace
}  // namespace qb
