// The erase-and-spew line filter, the block copier against it, and whole runs over trees.
#include "tools/files/eraseChunks.h"

#include "core/mdlText.h"
#include "tools/files/inPlace.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include <sys/stat.h>

#include "files/tree.h"
#include "support/faults.h"

namespace qb {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using test::Tree;

const Lines tags = {"<A>", "<B x=\"1\" />", "</A>", "</L>"};

// Each row: chunk lines, input lines, the copy's bytes; the spew is "S\r\n" unless given.
struct FilterRow { const char* name; Lines chunk, input; std::string expected; ChunkOptions options = {}; std::string spew = "S\r\n"; };

TEST(LineFilter, WritesTheCopyFromTheChunkLinesAndPlacesIt)
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
        // A failed walk writes the input as read, not the chunk lines as typed.
        {"FailedWalkKeepsInputLines", {"A", "B", "C"}, {"a", "", "x"}, "a\r\n\r\nx\r\n"},
        {"ChunkRightAfterFoundChunk", {"A", "B"}, {"A", "B", "A", "B"}, "S\r\nS\r\n"},
        {"ChunkStartingInsideFailedWalk", {"A", "B", "C"}, {"A", "B", "A", "B", "C", "z"}, "A\r\nB\r\nS\r\nz\r\n"},
        {"ChunkEndingOnLastLine", {"A", "B"}, {"x", "A", "B"}, "x\r\nS\r\n"},
        {"WalkCutShortByEndOfInput", {"A", "B", "C"}, {"x", "A", "B"}, "x\r\nA\r\nB\r\n"},
    };
    for (const FilterRow& row : rows)
        EXPECT_EQ(filterChunks(row.chunk, row.spew, row.options, row.input), row.expected) << row.name;

    EXPECT_EQ(chunkLines("  A  \r\n\r\n   \r\nB\r\n"), (Lines{"  A  ", "   ", "B"}));  // empty lines dropped
    // The base is removed once: "/p/q/pp" must not land in "copies/qp".
    EXPECT_EQ(copyPathFor("/p/q/pp/x", "/p"), fs::path("/p/copies/q/pp/x"));
    EXPECT_EQ(copyPathFor("/a.txt", "/"), fs::path("/copies/a.txt"));
}

// Seeded texts of chunk lines (whole, indented, cut short, other case), other and long lines and
// every line end; some all CR LF without a trigger, so whole blocks are written as read.
std::vector<std::string> generatedTexts()
{
    const std::string lines[] = {
        "<A>", "  <A>", "<a>", "x <A> y", "<B x=\"1\" />", "\t<B x=\"1\" />", "</A>", "</L>", "</l>", "<B",
        "plain words", "", " ", std::string(3000, 'z'), std::string(2000, 'y') + "<A>" + std::string(2000, 'y'),
        std::string(2500, 'w') + "<B x=\"1\" />",
    };
    std::vector<std::string> mixed, plain;  // each line with each end, CR LF most often; numbered lines
    for (const std::string& line : lines) {
        for (const char* end : {"\r\n", "\r\n", "\r\n", "\r\n", "\n", "\r"})
            mixed.push_back(line + end);
        plain.push_back("line " + std::to_string(plain.size()) + "\r\n");
    }
    std::vector<std::string> texts = test::randomTexts(plain, 40, 300, 23);  // no trigger: the copy is the file
    for (const std::string& text : test::randomTexts(mixed, 80, 300, 24))
        texts.push_back(text.size() % 2 ? text + "no end" : text);
    // A line far longer than a block that holds chunk line 1 still starts a chunk.
    const std::string longLine = std::string(5000, 'x') + "<A>" + std::string(5000, 'x');
    texts.push_back("a\r\n" + longLine + "\r\n<B x=\"1\" />\r\n</A>\r\n</L>\r\n" + longLine + "\nb");
    return texts;
}

// Copies made a block at a time are byte for byte the line filter's copies; keeping line ends,
// byte for byte what the edit in place makes.
TEST(EraseCopy, BlockCopiesAreTheLineFiltersCopies)
{
    test::TempDir temp;
    const FileSystemObject fso;
    std::vector<std::string> texts = generatedTexts();
    // Stretches longer than the output block, which skip it when nothing waits: after a spew, alone.
    std::string plainLines;
    for (int i = 0; plainLines.size() < 300 * 1024; ++i)
        plainLines += "plain line " + std::to_string(i) + "\r\n";
    const std::size_t smallTexts = texts.size();
    texts.push_back("<A>\r\n<B x=\"1\" />\r\n</A>\r\n</L>\r\n" + plainLines + "<A>\r\n");
    texts.push_back(plainLines);
    std::vector<fs::path> inputs;
    for (std::size_t t = 0; t < texts.size(); ++t)
        inputs.push_back(temp.write("in" + std::to_string(t) + ".txt", texts[t]));
    const ChunkOptions optionSets[] = {{}, {.allowWild = false}, {.allowWild = true, .eraseOnly = true}};
    for (const LineEnds ends : {LineEnds::CrLf, LineEnds::Keep})
    for (const ChunkOptions& options : optionSets) {
        const EraseSettings settings{.chunk = tags, .spew = "S\r\n", .options = options, .ends = ends};
        const EditBytes kept = eraseEdit(settings, LineEnds::Keep);  // the edit in place: the same rule
        for (const std::size_t blockSize : {1, 16, 100, 1000, 70000, 1 << 20}) {
            EraseCopier copier(settings, blockSize);  // one for all files, as a run keeps it
            const std::size_t count = blockSize < 70000 ? smallTexts : texts.size();
            for (std::size_t t = 0; t < count; ++t) {
                const fs::path copy = temp / "copy.txt";
                fs::remove(copy);  // a new file: nothing to sync
                ASSERT_TRUE(copier.open(inputs[t]));
                auto output = fso.CreateReplacingTextFile(copy);
                ASSERT_TRUE(output && copier.copyTo(*output) && output->Close());
                Lines inputLines;
                for (std::string_view line : splitLines(texts[t]))
                    inputLines.emplace_back(line);
                ASSERT_EQ(test::readBytes(copy), ends == LineEnds::Keep ? *kept(inputs[t], texts[t])
                                                                         : filterChunks(tags, settings.spew, options, inputLines))
                    << "text " << t << ", blocks of " << blockSize << ", wild " << options.allowWild << ", keep "
                    << (ends == LineEnds::Keep);
            }
        }
    }
}

// Typed text goes into each file in the file's own encoding, in copies and in place alike: as
// UTF-8 into a file that is valid UTF-8, as Windows-1252 into any other. A file that cannot hold a
// typed character is refused on its own, never given a '?', and the others go on.
TEST(TypedText, GoesIntoEachFileInItsOwnEncoding)
{
    test::TempDir dir;
    const std::string nihon = "\xE6\x97\xA5\xE6\x9C\xAC";
    const Tree files{{"utf8.txt", "a\r\ncaf\xC3\xA9\r\nz\r\n"}, {"cp.txt", "a\r\ncaf\xE9\r\nz\r\n"}, {"ascii.txt", "a\r\ncafe\r\n"}};
    const struct Row {
        const char* name;
        std::string chunk, spew;
        Tree copies;  // a file left out was refused
    } rows[] = {
        {"\xC3\xA9 into both encodings", "caf\xC3\xA9", "th\xC3\xA9\r\n",
         {{"utf8.txt", "a\r\nth\xC3\xA9\r\nz\r\n"}, {"cp.txt", "a\r\nth\xE9\r\nz\r\n"}, {"ascii.txt", "a\r\ncafe\r\n"}}},
        {"a character Windows-1252 lacks", "caf\xC3\xA9", nihon + "\r\n",
         {{"utf8.txt", "a\r\n" + nihon + "\r\nz\r\n"}, {"ascii.txt", "a\r\ncafe\r\n"}}},
        {"in the chunk too", nihon, "x", {{"utf8.txt", files.at("utf8.txt")}, {"ascii.txt", "a\r\ncafe\r\n"}}},
        {"plain ASCII: the same bytes everywhere", "z", "y\r\n",
         {{"utf8.txt", "a\r\ncaf\xC3\xA9\r\ny\r\n"}, {"cp.txt", "a\r\ncaf\xE9\r\ny\r\n"}, {"ascii.txt", "a\r\ncafe\r\n"}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EraseSettings settings;
        setTypedText(settings, row.chunk, row.spew);
        test::writeTree(dir.path(), files);
        const RunReport run = runEraseChunks(dir.path(), settings).value();
        Tree copies = test::treeOf(dir / "copies"), edited;
        const EditBytes edit = eraseEdit(settings, LineEnds::CrLf);
        for (const auto& [name, bytes] : files) {
            const auto after = edit(dir / name, bytes);
            if (after)
                edited[name] = *after;
        }
        EXPECT_EQ(copies, row.copies);
        EXPECT_EQ(edited, row.copies);
        const std::string cp = (dir / "cp.txt").string();
        EXPECT_EQ(listFailures(run.failures), row.copies.contains("cp.txt") ? "" : "Could not handle 1 file or folder:\n" + cp + ": 13 :: "
                  + cp + ": is not UTF-8 text, and Windows-1252, which it is read as, cannot hold \"" + nihon + "\" of the typed text; "
                  "nothing was written for it");
    }
}

class EraseRun : public ::testing::Test {
protected:
    RunReport run(bool recursive, ProgressCallback progress = {}) const
    {
        return runEraseChunks(dir.path(), {{"<A>", "</A>"}, "SPEW\r\n", {}, recursive}, std::move(progress)).value();
    }
    std::string copy(const char* relative) const { return test::readBytes(dir / "copies" / relative); }

    test::TempDir dir;
};

TEST_F(EraseRun, MirrorsTheTreeAndReplacesCopiesOnTheNextRun)
{
    dir.write("a.txt", "x\n<A>\r</A>\r\n\xe9z");
    dir.write("Sub/b.txt", "<a>\r\n</a>");
    dir.write("sub/c.txt", "c");  // differs from "Sub" only in case: must not share its copies
    dir.write("caf\xe9/p/d", "d");
    EXPECT_EQ(run(true).counts.binary, 0u);
    Tree copies{{"a.txt", "x\r\nSPEW\r\n\xe9z\r\n"}, {"Sub", "/"}, {"Sub/b.txt", "SPEW\r\n"}, {"sub", "/"}, {"sub/c.txt", "c\r\n"},
                {"caf\xe9", "/"}, {"caf\xe9/p", "/"}, {"caf\xe9/p/d", "d\r\n"}};
    EXPECT_EQ(test::treeOf(dir / "copies"), copies);

    // The next run, given the base as a relative path, walks the same tree but not its copies.
    dir.write("sub/c.txt", "second");
    const fs::path relative = fs::relative(dir.path(), fs::current_path());
    ASSERT_TRUE(relative.is_relative());
    EXPECT_EQ(runEraseChunks(relative, {{"<A>", "</A>"}, "SPEW\r\n", {}, true}).value().counts.written, 4u);
    copies["sub/c.txt"] = "second\r\n";
    EXPECT_EQ(test::treeOf(dir / "copies"), copies);
}

// A run that cannot start writes nothing; failing files are reported and the run goes on;
// cancel stops before the next file. Without recursion, the base folder's files only.
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
    EXPECT_EQ(test::treeOf(dir / "copies"), (Tree{{"a.txt", "a.txt\r\n"}, {"b.txt", "old"}, {"c.txt", "/"}, {"d.txt", "d.txt\r\n"}}));

    fs::remove_all(dir / "copies");
    EXPECT_TRUE(run(false, test::stopAfter(1)).cancelled);
    EXPECT_EQ(test::treeOf(dir / "copies"), (Tree{{"a.txt", "a.txt\r\n"}}));
}

// Another run that makes a copies folder, or removes the old copy, just before this one would is
// no failure; nor are two runs over one tree at once.
TEST_F(EraseRun, WorkThatAnotherRunDidMeanwhileIsNoFailure)
{
    dir.write("sub/a.txt", "a");
    dir.write("copies/sub/a.txt", "old copy");
    const struct { const char* name; sys::Call call; std::function<void()> other; } rows[] = {
        {"folder made", sys::Call::Mkdir, [&] { fs::create_directories(dir / "copies/sub"); }},
        {"old copy removed", sys::Call::Rename, [&] { fs::remove(dir / "copies/sub/a.txt"); }},
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

// Whichever call fails, the sources are left alone and every copy is whole: the new one, or the one
// an earlier run made, or none where there was none.
TEST(FaultSweep, EraseLeavesSourcesAloneAndEveryCopyWholeOrAbsent)
{
    test::TempDir dir;
    const Tree pristine{{"a.txt", "x\n<A>\n</A>\ny"}, {"sub", "/"}, {"sub/b.txt", "<A>\r\n</A>"},
                        {"copies", "/"}, {"copies/a.txt", "old copy"}, {"copies/sub", "/"}, {"copies/sub/b.txt", "old b"}};
    const test::States failed{{"a.txt", {"x\n<A>\n</A>\ny"}}, {"sub", {"/"}}, {"sub/b.txt", {"<A>\r\n</A>"}}, {"copies", {"/"}},
                        {"copies/a.txt", {"old copy", "x\r\nS\r\ny\r\n"}}, {"copies/sub", {"/"}},
                        {"copies/sub/b.txt", {"old b", "S\r\n"}}};
    const int runs = test::sweepFaults(
        [&] { test::writeTree(dir.path(), pristine); },
        [&] {
            const auto report = runEraseChunks(dir.path(), {{"<A>", "</A>"}, "S\r\n", {}, true});
            return report && report->failures.empty();
        },
        [&](bool succeeded, const test::Fault&) {
            const Tree now = test::treeOf(dir.path());
            if (succeeded) {
                EXPECT_EQ(now, (Tree{{"a.txt", "x\n<A>\n</A>\ny"}, {"sub", "/"}, {"sub/b.txt", "<A>\r\n</A>"}, {"copies", "/"},
                                     {"copies/a.txt", "x\r\nS\r\ny\r\n"}, {"copies/sub", "/"}, {"copies/sub/b.txt", "S\r\n"}}));
            } else {
                test::expectStates(now, failed);
            }
        });
    EXPECT_GT(runs, 20);
}

}  // namespace
}  // namespace qb
