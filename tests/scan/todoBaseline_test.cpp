// The TODO baseline file: what it keeps, how it is read back, and what it refuses.
#include "tools/scan/todoBaseline.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

TEST(TodoBaselineFile, KeepsAnyBytesThroughWritingAndReading)
{
    const std::vector<BaselineBlock> blocks = {
        {"src/a.py", "todo", "# TODO: a\n# b"},
        {"odd\\name\twith tab", "fixme", "// FIXME \\n is not a line end\r"},
        {"src/a.py", "todo", "# TODO: a\n# b"},  // twice: counted twice
        {"\xe9t\xe9.c", "hack", ""},
    };
    const std::string written = writeBaseline(blocks);
    EXPECT_TRUE(written.starts_with("# quillbox todo baseline 1\nsrc/a.py\ttodo\t# TODO: a\\n# b\n"));
    const Baseline read = readBaseline(written, "b.txt").value();
    EXPECT_EQ(read, (Baseline{{blocks[0], 2}, {blocks[1], 1}, {blocks[3], 1}}));
    // CR LF line ends, as an editor on another system may leave them, read the same.
    std::string crlf;
    for (char c : written)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(readBaseline(crlf, "b.txt").value(), read);
}

TEST(TodoBaselineFile, RefusesWhatIsNotABaseline)
{
    struct Row { std::string text; std::string message; };
    const Row rows[] = {
        {"", "b.txt: not a TODO baseline (it is empty)"},
        {"TODO: x\n", "b.txt, line 1: not a TODO baseline (it starts with \"# quillbox todo baseline 1\")"},
        {"# quillbox todo baseline 1\na\tb\n", "b.txt, line 2: a block is a path, a kind and a text, split by tabs"},
        {"# quillbox todo baseline 1\na\tb\tc\td\n", "b.txt, line 2: a block is a path, a kind and a text, split by tabs"},
        {"# quillbox todo baseline 1\n\na\tb\tc\\x\n", "b.txt, line 3: a backslash not followed by \\, t, r or n"},
        {"# quillbox todo baseline 1\na\tb\tc\\\n", "b.txt, line 2: a backslash not followed by \\, t, r or n"},
    };
    for (const Row& row : rows) {
        const auto read = readBaseline(row.text, "b.txt");
        ASSERT_FALSE(read) << row.text;
        EXPECT_EQ(read.error().number, 13);
        EXPECT_EQ(read.error().description, row.message);
    }
}

// Paths are relative to the scanned path that holds them, however it was spelled.
TEST(TodoBaselineFile, PathsAreRelativeToTheScannedFolder)
{
    ScanReport report;
    const std::filesystem::path cwd = std::filesystem::current_path();
    report.found.files = {{cwd / "repo/src/a.c"}, {"repo/../repo/b.c"}, {cwd / "single.c"}, {"/elsewhere/c.c"}};
    for (std::size_t i = 0; i < 4; ++i)
        report.found.items.push_back(Record{.file = i, .line = 1, .kind = RecordKind::Todo, .text = "  // TODO: x  \n\t// y"});
    const auto blocks = baselineBlocks(report, {"repo", cwd / "single.c"});
    const std::string text = "// TODO: x\n// y";
    EXPECT_EQ(blocks, (std::vector<BaselineBlock>{{"src/a.c", "todo", text}, {"b.c", "todo", text}, {"single.c", "todo", text},
                                                  {"/elsewhere/c.c", "todo", text}}));
}

}  // namespace
}  // namespace qb
