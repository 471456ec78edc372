// The erase-and-spew line filter as tables, and whole runs over temporary trees.
#include "tools/files/eraseChunks.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "support/recorder.h"

namespace qb {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const Lines tagChunk = {"<A>", "<B x=\"1\" />", "</A>", "</L>"};

struct FilterRow {
    const char* name;
    Lines chunk;
    Lines input;
    std::string expected;
    bool allowWild = true;
    bool eraseOnly = false;
    std::string spew = "S\r\n";
};

void PrintTo(const FilterRow& row, std::ostream* os)
{
    *os << row.name;
}

class LineFilter : public ::testing::TestWithParam<FilterRow> {};

TEST_P(LineFilter, WritesTheCopy)
{
    const FilterRow& row = GetParam();
    EXPECT_EQ(filterChunks(row.chunk, row.spew, {row.allowWild, row.eraseOnly}, row.input), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LineFilter,
    ::testing::Values(
        FilterRow{"IndentedChunkFoundWithWildRule", tagChunk,
                  {"before", "  <A>", "\t<B x=\"1\" />", "  </A>", "</L>", "after"}, "before\r\nS\r\nafter\r\n"},
        FilterRow{"EraseOnlyWritesNothingInItsPlace", tagChunk, {"before", "<A>", "<B x=\"1\" />", "</A>", "</L>", "after"},
                  "before\r\nafter\r\n", true, true},
        FilterRow{"NoTriggerCopiesEveryLine", tagChunk, {"one", "two"}, "one\r\ntwo\r\n"},
        FilterRow{"EmptyInputGivesEmptyCopy", tagChunk, {}, ""},
        // Without the wild rule the input line must lie within the chunk line.
        FilterRow{"IndentedInputMissesUnindentedChunkWithoutWild", tagChunk,
                  {"  <A>", "  <B x=\"1\" />", "  </A>", "  </L>"}, "  <A>\r\n  <B x=\"1\" />\r\n  </A>\r\n  </L>\r\n",
                  false},
        FilterRow{"MoreIndentedChunkFindsIndentedInputWithoutWild", {"    <A>", "    </A>"}, {"  <a>", "  </a>", "x"},
                  "S\r\nx\r\n", false},
        FilterRow{"CaseIsIgnored", {"Hello", "World"}, {"HELLO", "world"}, "S\r\n"},
        FilterRow{"EmptyInputLinePassesAnyChunkLine", {"A", "B", "C"}, {"A", "", "C", "x"}, "S\r\nx\r\n"},
        FilterRow{"SpacesOnlyFirstLineMakesEveryLineATrigger", {"   ", "B"}, {"x", " ", "b", "y"}, "x\r\nS\r\ny\r\n"},
        FilterRow{"SpewWithoutLineBreakRunsIntoNextLine", {"A"}, {"a", "next"}, "Snext\r\n", true, false, "S"},
        FilterRow{"OneLineChunkEveryOccurrence", {"A"}, {"A", "A", "x", "A"}, "S\r\nS\r\nx\r\nS\r\n"},
        FilterRow{"WildRuleMatchesTextInsideLongerLine", {"<A>", "<B>"}, {"x<A>y", "  <B>  "}, "S\r\n"},
        FilterRow{"WildRuleIsCaseExact", {"<A>", "<B>"}, {"x<A>y", "  <b>  "}, "x<A>y\r\n  <b>  \r\n"},
        // A failed walk writes the input as read: the empty line stays empty and the case stays,
        // where writing the chunk lines as typed would change them.
        FilterRow{"FailedWalkKeepsInputLines", {"A", "B", "C"}, {"a", "", "x"}, "a\r\n\r\nx\r\n"},
        // A chunk right after a found chunk is found too.
        FilterRow{"ChunkRightAfterFoundChunk", {"A", "B"}, {"A", "B", "A", "B"}, "S\r\nS\r\n"},
        // A chunk that starts inside a failed walk is found.
        FilterRow{"ChunkStartingInsideFailedWalk", {"A", "B"}, {"A", "A", "B", "z"}, "A\r\nS\r\nz\r\n"},
        FilterRow{"ChunkStartingInsideLongFailedWalk", {"A", "B", "C"}, {"A", "B", "A", "B", "C"}, "A\r\nB\r\nS\r\n"},
        // The end of the input inside a walk: a chunk ending on the last line is found.
        FilterRow{"ChunkEndingOnLastLine", {"A", "B"}, {"x", "A", "B"}, "x\r\nS\r\n"},
        FilterRow{"WalkCutShortByEndOfInput", {"A", "B", "C"}, {"x", "A", "B"}, "x\r\nA\r\nB\r\n"},
        FilterRow{"TriggerThatFailsLineOneIsCopied", {"A", "B"}, {"xAx", "B"}, "xAx\r\nB\r\n", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ChunkLines, DropsEmptyLinesAndKeepsSpaces)
{
    EXPECT_EQ(chunkLines("A\r\n\r\nB\r\n"), (Lines{"A", "B"}));
    EXPECT_EQ(chunkLines("  A  \r\n   \r\nB"), (Lines{"  A  ", "   ", "B"}));
    EXPECT_TRUE(chunkLines("\r\n\r\n").empty());
    // A chunk typed with empty lines between its lines matches the input without them.
    EXPECT_EQ(filterChunks(chunkLines("A\r\n\r\nB"), "S", {}, {"A", "B"}), "S");
}

TEST(ChunkFilter, HoldsNoMoreThanTheChunkWhileStreaming)
{
    // Output comes as soon as a line can no longer be part of a chunk.
    ChunkFilter filter({"A", "B"}, "S", {});
    std::string out;
    filter.push("x", out);
    EXPECT_EQ(out, "x\r\n");
    filter.push("A", out);
    EXPECT_EQ(out, "x\r\n");
    filter.push("q", out);
    EXPECT_EQ(out, "x\r\nA\r\nq\r\n");
    filter.push("A", out);
    filter.finish(out);
    EXPECT_EQ(out, "x\r\nA\r\nq\r\nA\r\n");
}

struct CopyPlacementRow {
    const char* file;
    const char* expected;
};

TEST(CopyPlacement, MirrorsTheFolderBelowTheBaseOnce)
{
    const CopyPlacementRow rows[] = {
        {"/p/a.txt", "/p/copies/a.txt"},
        {"/p/Sub/Deep/A.txt", "/p/copies/Sub/Deep/A.txt"},
        // The base name appearing again below the base stays.
        {"/p/q/pp/x", "/p/copies/q/pp/x"},
        {"/p/p/p/x", "/p/copies/p/p/x"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(copyPathFor(row.file, "/p"), fs::path(row.expected)) << row.file;
    EXPECT_EQ(copyPathFor("/a.txt", "/"), fs::path("/copies/a.txt"));
}

TEST(FailureList, ShowsTwentyAndCountsTheRest)
{
    std::vector<FileFailure> failures;
    for (int i = 0; i < 25; ++i)
        failures.push_back({"/d/f" + std::to_string(i), Error{70, "denied"}});
    const std::string text = listFailures(failures);
    EXPECT_NE(text.find("Could not handle 25 files or folders:\n/d/f0: 70 :: denied\n"), std::string::npos);
    EXPECT_NE(text.find("/d/f19: 70 :: denied\nand 5 more."), std::string::npos);
    EXPECT_EQ(text.find("/d/f20"), std::string::npos);
    EXPECT_EQ(listFailures({}), "");
}

// Whole runs over a temporary tree.
class EraseRun : public ::testing::Test {
protected:
    EraseSettings settings(bool recursive) const
    {
        EraseSettings s;
        s.chunk = {"<A>", "</A>"};
        s.spew = "SPEW\r\n";
        s.recursive = recursive;
        return s;
    }
    EraseReport run(bool recursive, ProgressCallback progress = {})
    {
        auto report = runEraseChunks(dir.path(), settings(recursive), std::move(progress));
        EXPECT_TRUE(report.has_value()) << (report ? "" : formatError(report.error()));
        return report ? *report : EraseReport{};
    }
    std::string copy(const char* relative) const { return test::readBytes(dir / "copies" / relative); }

    test::TempDir dir;
};

TEST_F(EraseRun, MirrorsFoldersKeepingTheirCase)
{
    dir.write("a.txt", "x\n<A>\n</A>\ny");
    dir.write("Sub/b.txt", "b");
    dir.write("sub/c.txt", "c");
    dir.write("Sub/Deep/d.txt", "<a>\r\n</a>\r\n");
    const EraseReport report = run(true);
    EXPECT_EQ(report.files, 4u);
    EXPECT_TRUE(report.failures.empty());
    EXPECT_EQ(copy("a.txt"), "x\r\nSPEW\r\ny\r\n");
    EXPECT_EQ(copy("Sub/b.txt"), "b\r\n");
    EXPECT_EQ(copy("sub/c.txt"), "c\r\n");
    EXPECT_EQ(copy("Sub/Deep/d.txt"), "SPEW\r\n");
}

TEST_F(EraseRun, BaseNameBelowTheBaseIsKept)
{
    // Removing every occurrence of the base text would put this copy somewhere else.
    const fs::path base = dir.mkdir("p");
    dir.write("p/q/pp/x.txt", "x");
    ASSERT_TRUE(runEraseChunks(base, settings(true)).has_value());
    EXPECT_EQ(test::readBytes(base / "copies/q/pp/x.txt"), "x\r\n");
}

TEST_F(EraseRun, WithoutRecursionOnlyTheBaseFilesAreCopied)
{
    dir.write("a.txt", "a");
    dir.write("sub/b.txt", "b");
    EXPECT_EQ(run(false).files, 1u);
    EXPECT_TRUE(fs::exists(dir / "copies/a.txt"));
    EXPECT_FALSE(fs::exists(dir / "copies/sub"));
}

TEST_F(EraseRun, SecondRunReplacesCopiesAndNeverCopiesThem)
{
    dir.write("a.txt", "first");
    dir.write("sub/b.txt", "b");
    run(true);
    dir.write("a.txt", "second");
    const EraseReport report = run(true);
    EXPECT_EQ(report.files, 2u);
    EXPECT_EQ(copy("a.txt"), "second\r\n");
    EXPECT_FALSE(fs::exists(dir / "copies/copies"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "copies"), fs::directory_iterator()), 2);
}

TEST_F(EraseRun, NormalisesLineEndsAndKeepsBytes)
{
    dir.write("mixed", std::string("a\nb\rc\r\n\xe9\x00z", 10));
    run(false);
    EXPECT_EQ(copy("mixed"), std::string("a\r\nb\r\nc\r\n\xe9\x00z\r\n", 14));
}

TEST_F(EraseRun, NonUtf8NameKeepsItsBytes)
{
    dir.write("caf\xe9.txt", "<A>\n</A>\n");
    dir.write("d\xe9j\xe0/x.txt", "x");
    run(true);
    EXPECT_EQ(copy("caf\xe9.txt"), "SPEW\r\n");
    EXPECT_EQ(copy("d\xe9j\xe0/x.txt"), "x\r\n");
}

TEST_F(EraseRun, FailingFileIsReportedAndTheRunGoesOn)
{
    dir.write("a.txt", "a");
    dir.write("b.txt", "b");
    dir.write("c.txt", "c");
    // A read-only copy from an earlier run is not deleted.
    dir.write("copies/b.txt", "old");
    ASSERT_EQ(::chmod((dir / "copies/b.txt").c_str(), 0444), 0);
    const EraseReport report = run(false);
    EXPECT_EQ(report.files, 2u);
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_EQ(report.failures[0].path, dir / "b.txt");
    EXPECT_EQ(report.failures[0].error.number, err::PermissionDenied);
    EXPECT_EQ(copy("a.txt"), "a\r\n");
    EXPECT_EQ(copy("b.txt"), "old");
    EXPECT_EQ(copy("c.txt"), "c\r\n");
}

TEST_F(EraseRun, FolderInTheCopysPlaceIsReportedAndLeftAlone)
{
    dir.write("a.txt", "a");
    dir.mkdir("copies/a.txt");  // a folder where the copy should go
    const EraseReport report = run(false);
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_TRUE(fs::is_directory(dir / "copies/a.txt"));
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "copies"), fs::directory_iterator()), 1);
}

TEST_F(EraseRun, FileWhereACopiesFolderShouldBeIsReported)
{
    dir.write("copies", "not a folder");
    dir.write("a.txt", "a");
    const EraseReport report = run(false);
    // Both files fail (the "copies" file itself too); neither is lost.
    EXPECT_EQ(report.files, 0u);
    EXPECT_EQ(report.failures.size(), 2u);
    EXPECT_EQ(test::readBytes(dir / "copies"), "not a folder");
}

TEST_F(EraseRun, CancelStopsBeforeTheNextFile)
{
    dir.write("a.txt", "a");
    dir.write("b.txt", "b");
    std::vector<fs::path> seen;
    const EraseReport report = run(false, [&](const fs::path& current, std::uint64_t) {
        seen.push_back(current);
        return seen.size() < 2;
    });
    EXPECT_TRUE(report.cancelled);
    EXPECT_EQ(report.files, 1u);
    EXPECT_EQ(seen, (std::vector<fs::path>{dir / "a.txt", dir / "b.txt"}));
    EXPECT_FALSE(fs::exists(dir / "copies/b.txt"));
}

TEST_F(EraseRun, EmptyChunkOrMissingBaseWritesNothing)
{
    dir.write("a.txt", "a");
    EraseSettings empty = settings(false);
    empty.chunk = chunkLines("\r\n\r\n");
    EXPECT_FALSE(runEraseChunks(dir.path(), empty).has_value());
    const auto missing = runEraseChunks(dir / "gone", settings(false));
    ASSERT_FALSE(missing.has_value());
    EXPECT_EQ(missing.error().number, err::PathNotFound);
    EXPECT_FALSE(fs::exists(dir / "copies"));
}

}  // namespace
}  // namespace qb
