// The erase-and-spew line filter as a table, and whole runs over temporary trees.
#include "tools/files/eraseChunks.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include <sys/stat.h>

#include "files/tree.h"

namespace qb {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const Lines tags = {"<A>", "<B x=\"1\" />", "</A>", "</L>"};

// Each row: chunk lines, input lines, the copy's bytes; the spew is "S\r\n" unless given.
struct FilterRow {
    const char* name;
    Lines chunk, input;
    std::string expected;
    ChunkOptions options = {};
    std::string spew = "S\r\n";
};

TEST(LineFilter, WritesTheCopy)
{
    const FilterRow rows[] = {
        {"IndentedChunkWithWildRule", tags, {"x", "  <A>", "\t<B x=\"1\" />", "  </A>", "</L>", "y"}, "x\r\nS\r\ny\r\n"},
        {"EraseOnly", tags, {"x", "<A>", "<B x=\"1\" />", "</A>", "</L>"}, "x\r\n", {true, true}},
        {"IndentedInputMissesChunkWithoutWild", {"<A>", "</A>"}, {"  <A>", "  </A>"}, "  <A>\r\n  </A>\r\n", {false}},
        {"MoreIndentedChunkWithoutWild", {"    <A>", "    </A>"}, {"  <a>", "  </a>"}, "S\r\n", {false}},
        {"TriggerAfterAFalseStart", {"<b>"}, {"<a <b>", "<a <"}, "S\r\n<a <\r\n"},
        {"WildRuleIsCaseExact", {"<A>", "<B>"}, {"x<A>y", "  <b>  "}, "x<A>y\r\n  <b>  \r\n"},
        {"EmptyInputLinePassesAnyChunkLine", {"A", "B", "C"}, {"A", "", "C"}, "S\r\n"},
        {"SpacesOnlyFirstLineMakesEveryLineATrigger", {"   ", "B"}, {"x", " ", "b", "y"}, "x\r\nS\r\ny\r\n"},
        {"SpewWithoutLineBreak", {"A"}, {"a", "next"}, "Snext\r\n", {}, "S"},
        // A failed walk writes the input as read: writing the chunk lines as typed would turn the
        // empty line into "B" and "a" into "A".
        {"FailedWalkKeepsInputLines", {"A", "B", "C"}, {"a", "", "x"}, "a\r\n\r\nx\r\n"},
        {"ChunkRightAfterFoundChunk", {"A", "B"}, {"A", "B", "A", "B"}, "S\r\nS\r\n"},
        {"ChunkStartingInsideFailedWalk", {"A", "B", "C"}, {"A", "B", "A", "B", "C", "z"}, "A\r\nB\r\nS\r\nz\r\n"},
        {"ChunkEndingOnLastLine", {"A", "B"}, {"x", "A", "B"}, "x\r\nS\r\n"},
        {"WalkCutShortByEndOfInput", {"A", "B", "C"}, {"x", "A", "B"}, "x\r\nA\r\nB\r\n"},
    };
    for (const FilterRow& row : rows)
        EXPECT_EQ(filterChunks(row.chunk, row.spew, row.options, row.input), row.expected) << row.name;
}

TEST(ChunkLines, DropEmptyLinesKeepSpacesAndPlaceCopiesKeepingCase)
{
    EXPECT_EQ(chunkLines("  A  \r\n\r\n   \r\nB\r\n"), (Lines{"  A  ", "   ", "B"}));
    // The base is removed once: "/p/q/pp" must not land in "copies/qp".
    EXPECT_EQ(copyPathFor("/p/q/pp/x", "/p"), fs::path("/p/copies/q/pp/x"));
    EXPECT_EQ(copyPathFor("/a.txt", "/"), fs::path("/copies/a.txt"));
}

class EraseRun : public ::testing::Test {
protected:
    RunReport run(bool recursive, ProgressCallback progress = {}) const
    {
        return runEraseChunks(dir.path(), {{"<A>", "</A>"}, "SPEW\r\n", {}, recursive}, std::move(progress)).value();
    }
    std::string copy(const char* relative) const { return test::readBytes(dir / "copies" / relative); }
    long copies() const { return std::distance(fs::directory_iterator(dir / "copies"), fs::directory_iterator()); }

    test::TempDir dir;
};

TEST_F(EraseRun, MirrorsTheTreeAndReplacesCopiesOnTheNextRun)
{
    dir.write("a.txt", std::string("x\n<A>\r</A>\r\n\xe9\0z", 15));
    dir.write("Sub/b.txt", "<a>\r\n</a>");
    dir.write("sub/c.txt", "c");  // differs from "Sub" only in case: must not share its copies
    dir.write("caf\xe9/p/d", "d");
    run(true);
    EXPECT_EQ(copy("a.txt"), std::string("x\r\nSPEW\r\n\xe9\0z\r\n", 14));
    EXPECT_EQ(copy("Sub/b.txt"), "SPEW\r\n");
    EXPECT_EQ(copy("caf\xe9/p/d"), "d\r\n");

    dir.write("sub/c.txt", "second");
    EXPECT_EQ(run(true).counts.written, 4u);  // the copies folder is not walked
    EXPECT_EQ(copy("sub/c.txt"), "second\r\n");
    EXPECT_EQ(copies(), 4);
}

// Without recursion, over the base folder's files only. A run that cannot start (an empty chunk,
// a missing base) writes nothing; failing files are reported and the run goes on, leaving no
// temporary file; cancel stops before the next file.
TEST_F(EraseRun, FailuresAreReportedOrStopTheRunBeforeAnythingIsWritten)
{
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt", "sub/e.txt"})
        dir.write(name, name);
    EXPECT_FALSE(runEraseChunks(dir.path(), EraseSettings{}).has_value());
    const auto missing = runEraseChunks(dir / "gone", EraseSettings{.chunk = {"A"}});
    ASSERT_FALSE(missing.has_value());
    EXPECT_EQ(missing.error().number, err::PathNotFound);
    EXPECT_FALSE(fs::exists(dir / "copies"));

    dir.write("copies/b.txt", "old");  // a read-only copy is not deleted
    ASSERT_EQ(::chmod((dir / "copies/b.txt").c_str(), 0444), 0);
    dir.mkdir("copies/c.txt");         // a folder where the copy should go
    const RunReport report = run(false);
    ASSERT_EQ(report.failures.size(), 2u);
    EXPECT_EQ(report.failures[0].path, dir / "b.txt");
    EXPECT_EQ(report.failures[0].error.number, err::PermissionDenied);
    EXPECT_EQ(report.failures[1].path, dir / "c.txt");
    EXPECT_EQ(copy("b.txt"), "old");
    EXPECT_EQ(copy("d.txt"), "d.txt\r\n");
    EXPECT_EQ(copies(), 4);

    fs::remove_all(dir / "copies");
    EXPECT_TRUE(run(false, test::stopAfter(1)).cancelled);
    EXPECT_EQ(copies(), 1);
}

// A relative base is the folder it names: copies mirror the tree below it, and its own copies
// folder is not walked.
TEST_F(EraseRun, RelativeBaseMirrorsTheTree)
{
    dir.write("a/x.txt", "a");
    dir.write("b/x.txt", "b");
    const fs::path relative = fs::relative(dir.path(), fs::current_path());
    ASSERT_TRUE(relative.is_relative());
    for (int pass = 0; pass < 2; ++pass)
        EXPECT_EQ(runEraseChunks(relative, {{"<A>"}, "", {}, true}).value().counts.written, 2u);
    EXPECT_EQ(copy("a/x.txt"), "a\r\n");
    EXPECT_EQ(copy("b/x.txt"), "b\r\n");
    EXPECT_EQ(copies(), 2);
}

// Another run that makes a copies folder, or removes the old copy, just before this one does is
// no failure; nor are two runs over one tree at once.
TEST_F(EraseRun, WorkThatAnotherRunDidMeanwhileIsNoFailure)
{
    dir.write("sub/a.txt", "a");
    dir.write("copies/sub/a.txt", "old copy");
    const struct { const char* name; sys::Call call; std::function<void()> other; } rows[] = {
        {"folder made", sys::Call::Mkdir, [&] { fs::create_directories(dir / "copies/sub"); }},
        {"old copy removed", sys::Call::Unlink, [&] { fs::remove(dir / "copies/sub/a.txt"); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.call == sys::Call::Mkdir)
            fs::remove_all(dir / "copies");
        const sys::FaultPlan meanwhile(row.call, 1, 0, row.other);
        EXPECT_TRUE(run(true).failures.empty());
        EXPECT_TRUE(meanwhile.fired());
        EXPECT_EQ(copy("sub/a.txt"), "a\r\n");
    }

    for (int i = 0; i < 100; ++i)
        dir.write("t/f" + std::to_string(i), "<A>\r\n</A>");
    fs::remove_all(dir / "copies");
    RunReport first, second;
    {
        std::jthread other([&] { first = run(true); });
        second = run(true);
    }
    EXPECT_EQ(listFailures(first.failures) + listFailures(second.failures), "");
    EXPECT_EQ(copy("t/f99"), "SPEW\r\n");
}

}  // namespace
}  // namespace qb
