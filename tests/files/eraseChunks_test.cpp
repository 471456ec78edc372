// The erase-and-spew line filter as a table, and whole runs over temporary trees.
#include "tools/files/eraseChunks.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "support/recorder.h"

namespace qb {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const Lines tags = {"<A>", "<B x=\"1\" />", "</A>", "</L>"};

struct FilterRow {
    const char* name;
    Lines chunk;
    Lines input;
    std::string expected;
    bool allowWild = true;
    bool eraseOnly = false;
    std::string spew = "S\r\n";
};

void PrintTo(const FilterRow& row, std::ostream* os) { *os << row.name; }

class LineFilter : public ::testing::TestWithParam<FilterRow> {};

TEST_P(LineFilter, WritesTheCopy)
{
    const FilterRow& row = GetParam();
    EXPECT_EQ(filterChunks(row.chunk, row.spew, {row.allowWild, row.eraseOnly}, row.input), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LineFilter,
    ::testing::Values(
        FilterRow{"IndentedChunkWithWildRule", tags, {"x", "  <A>", "\t<B x=\"1\" />", "  </A>", "</L>", "y"},
                  "x\r\nS\r\ny\r\n"},
        FilterRow{"EraseOnly", tags, {"x", "<A>", "<B x=\"1\" />", "</A>", "</L>"}, "x\r\n", true, true},
        FilterRow{"IndentedInputMissesChunkWithoutWild", {"<A>", "</A>"}, {"  <A>", "  </A>"}, "  <A>\r\n  </A>\r\n",
                  false},
        FilterRow{"MoreIndentedChunkWithoutWild", {"    <A>", "    </A>"}, {"  <a>", "  </a>"}, "S\r\n", false},
        FilterRow{"TriggerAfterAFalseStart", {"<b>"}, {"<a <b>", "<a <"}, "S\r\n<a <\r\n"},
        FilterRow{"WildRuleIsCaseExact", {"<A>", "<B>"}, {"x<A>y", "  <b>  "}, "x<A>y\r\n  <b>  \r\n"},
        FilterRow{"EmptyInputLinePassesAnyChunkLine", {"A", "B", "C"}, {"A", "", "C"}, "S\r\n"},
        FilterRow{"SpacesOnlyFirstLineMakesEveryLineATrigger", {"   ", "B"}, {"x", " ", "b", "y"}, "x\r\nS\r\ny\r\n"},
        FilterRow{"SpewWithoutLineBreak", {"A"}, {"a", "next"}, "Snext\r\n", true, false, "S"},
        FilterRow{"EmptyInput", tags, {}, ""},
        // A failed walk writes the input as read, where writing the chunk lines as typed
        // would turn the empty line into "B" and "a" into "A".
        FilterRow{"FailedWalkKeepsInputLines", {"A", "B", "C"}, {"a", "", "x"}, "a\r\n\r\nx\r\n"},
        FilterRow{"ChunkRightAfterFoundChunk", {"A", "B"}, {"A", "B", "A", "B"}, "S\r\nS\r\n"},
        FilterRow{"ChunkStartingInsideFailedWalk", {"A", "B", "C"}, {"A", "B", "A", "B", "C", "z"},
                  "A\r\nB\r\nS\r\nz\r\n"},
        FilterRow{"ChunkEndingOnLastLine", {"A", "B"}, {"x", "A", "B"}, "x\r\nS\r\n"},
        FilterRow{"WalkCutShortByEndOfInput", {"A", "B", "C"}, {"x", "A", "B"}, "x\r\nA\r\nB\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ChunkLines, DropsEmptyLinesAndKeepsSpaces)
{
    EXPECT_EQ(chunkLines("  A  \r\n\r\n   \r\nB\r\n"), (Lines{"  A  ", "   ", "B"}));
    EXPECT_TRUE(chunkLines("\r\n\r\n").empty());
}

TEST(CopyPlacement, RemovesTheBaseOnceAndKeepsCase)
{
    EXPECT_EQ(copyPathFor("/p/a.txt", "/p"), fs::path("/p/copies/a.txt"));
    EXPECT_EQ(copyPathFor("/p/q/pp/x", "/p"), fs::path("/p/copies/q/pp/x"));
    EXPECT_EQ(copyPathFor("/p/P/p/x", "/p"), fs::path("/p/copies/P/p/x"));
    EXPECT_EQ(copyPathFor("/a.txt", "/"), fs::path("/copies/a.txt"));
}

TEST(FailureList, ShowsTwentyAndCountsTheRest)
{
    std::vector<FileFailure> failures(25, {"/d/f", Error{70, "denied"}});
    failures[19].path = "/d/last";
    const std::string text = listFailures(failures);
    EXPECT_TRUE(text.starts_with("Could not handle 25 files or folders:\n/d/f: 70 :: denied\n")) << text;
    EXPECT_TRUE(text.ends_with("/d/last: 70 :: denied\nand 5 more.")) << text;
}

class EraseRun : public ::testing::Test {
protected:
    EraseReport run(bool recursive, ProgressCallback progress = {})
    {
        const EraseSettings settings{{"<A>", "</A>"}, "SPEW\r\n", {}, recursive};
        auto report = runEraseChunks(dir.path(), settings, std::move(progress));
        EXPECT_TRUE(report.has_value()) << (report ? "" : formatError(report.error()));
        return report.value_or(EraseReport{});
    }
    std::string copy(const char* relative) const { return test::readBytes(dir / "copies" / relative); }
    int copiesIn(const char* relative) const
    {
        return static_cast<int>(std::distance(fs::directory_iterator(dir / relative), fs::directory_iterator()));
    }

    test::TempDir dir;
};

TEST_F(EraseRun, MirrorsTheTreeAndReplacesCopiesOnTheNextRun)
{
    dir.write("a.txt", std::string("x\n<A>\r</A>\r\n\xe9\0z", 15));
    dir.write("Sub/b.txt", "<a>\r\n</a>");
    dir.write("sub/c.txt", "c");  // differs from "Sub" only in case: must not share its copies
    dir.write("caf\xe9/p/d", "d");
    EXPECT_EQ(run(true).files, 4u);
    EXPECT_EQ(copy("a.txt"), std::string("x\r\nSPEW\r\n\xe9\0z\r\n", 14));
    EXPECT_EQ(copy("Sub/b.txt"), "SPEW\r\n");
    EXPECT_EQ(copy("sub/c.txt"), "c\r\n");
    EXPECT_EQ(copy("caf\xe9/p/d"), "d\r\n");

    dir.write("sub/c.txt", "second");
    const EraseReport again = run(true);
    EXPECT_EQ(again.files, 4u);  // the copies folder is not walked
    EXPECT_EQ(copy("sub/c.txt"), "second\r\n");
    EXPECT_EQ(copiesIn("copies"), 4);
}

TEST_F(EraseRun, WithoutRecursionOnlyTheBaseFilesAreCopied)
{
    dir.write("a.txt", "a");
    dir.write("sub/b.txt", "b");
    EXPECT_EQ(run(false).files, 1u);
    EXPECT_EQ(copiesIn("copies"), 1);
}

TEST_F(EraseRun, FailingFilesAreReportedAndTheRunGoesOn)
{
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"})
        dir.write(name, name);
    dir.write("copies/b.txt", "old");  // a read-only copy is not deleted
    ASSERT_EQ(::chmod((dir / "copies/b.txt").c_str(), 0444), 0);
    dir.mkdir("copies/c.txt");         // a folder where the copy should go
    const EraseReport report = run(false);
    EXPECT_EQ(report.files, 2u);
    ASSERT_EQ(report.failures.size(), 2u);
    EXPECT_EQ(report.failures[0].path, dir / "b.txt");
    EXPECT_EQ(report.failures[0].error.number, err::PermissionDenied);
    EXPECT_EQ(report.failures[1].path, dir / "c.txt");
    EXPECT_EQ(copy("b.txt"), "old");
    EXPECT_EQ(copy("d.txt"), "d.txt\r\n");
    EXPECT_EQ(copiesIn("copies"), 4);  // no temporary file left
}

TEST_F(EraseRun, CancelStopsBeforeTheNextFile)
{
    dir.write("a.txt", "a");
    dir.write("b.txt", "b");
    const EraseReport report = run(false, [](const fs::path&, std::uint64_t count) { return count == 0; });
    EXPECT_TRUE(report.cancelled);
    EXPECT_EQ(report.files, 1u);
    EXPECT_EQ(copiesIn("copies"), 1);
}

TEST_F(EraseRun, EmptyChunkOrMissingBaseWritesNothing)
{
    dir.write("a.txt", "a");
    EraseSettings settings;
    EXPECT_FALSE(runEraseChunks(dir.path(), settings).has_value());
    settings.chunk = {"A"};
    const auto missing = runEraseChunks(dir / "gone", settings);
    ASSERT_FALSE(missing.has_value());
    EXPECT_EQ(missing.error().number, err::PathNotFound);
    EXPECT_FALSE(fs::exists(dir / "copies"));
}

}  // namespace
}  // namespace qb
