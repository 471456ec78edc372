// Search and replace lines from a pair file: the replacement rule, and runs over temporary folders.
#include "tools/files/replaceLines.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>

#include "tools/files/eraseChunks.h"

#include "files/tree.h"
#include "support/faults.h"
#include "support/recorder.h"

namespace qb {
namespace {

namespace fs = std::filesystem;

TEST(ReplaceAll, ReplacesLeftToRightWithoutRescanning)
{
    const struct { const char *line, *search, *replacement, *expected; } rows[] = {
        {"a cat, a cat, a cat", "cat", "dog", "a dog, a dog, a dog"},
        {"abc", "ABC", "x", "abc"},  // case-sensitive
        {"aaa", "aa", "b", "ba"},    // no overlaps
        {"a", "a", "aa", "aa"},      // the replacement is not searched again
        {"keep", "", "x", "keep"},   // an empty search changes nothing
    };
    for (const auto& row : rows) {
        std::string line = row.line;
        replaceAll(line, row.search, row.replacement);
        EXPECT_EQ(line, row.expected) << row.line << " / " << row.search;
    }
    EXPECT_EQ(parsePairs({"cat", "dog", "", "x", "odd"}), (std::vector<ReplacePair>{{"cat", "dog"}, {"", "x"}}));
}

// A line taken in parts of any size gives what the whole line gives, through a chain of pairs
// where each sees what the one before made.
TEST(PairChain, PartsGiveWhatTheWholeLineGives)
{
    const std::vector<ReplacePair> pairs{{"abc", "X"}, {"XX", "<>"}, {"", "never"}, {"b", "bb"}, {"aaa", "a"}};
    const struct { const char *line, *expected; } rows[] = {
        {"abcabc", "<>"},
        {"ababcc", "abbXc"},
        {"aaaaaaaaa", "aaa"},         // each pair once, left to right: the output is not searched again
        {"xabcabcabcy", "x<>Xy"},
        {"", ""},
    };
    for (const auto& row : rows)
        for (std::size_t part : {1, 2, 3, 100}) {
            PairChain chain(pairs);
            std::string out;
            const std::string_view line = row.line;
            for (std::size_t at = 0; at < line.size(); at += part)
                chain.push(line.substr(at, part), out);
            chain.endLine(out);
            EXPECT_EQ(out, row.expected) << row.line << " in parts of " << part;
        }

    // Traced, a line goes through whole, and a pair that finds nothing is passed over: the pairs
    // on either side of it must still each see what the one before made.
    test::TempDir dir;
    auto debug = FileSystemObject().CreateTextFile(dir / "trace.out");
    ASSERT_TRUE(debug.has_value());
    const std::vector<ReplacePair> skipping{{"a", "b"}, {"zz", "y"}, {"b", "c"}, {"cc", "d"}};
    PairChain chain(skipping);
    std::string out;
    ASSERT_TRUE(chain.line("aa", &*debug, out));
    EXPECT_EQ(out, "d");
    ASSERT_TRUE(debug->Close());
    EXPECT_EQ(test::readBytes(dir / "trace.out"), "\r\n\r\n\r\naa\r\na\r\n\r\n\r\n\r\nbb\r\nzz\r\n"
                                                   "\r\n\r\n\r\nbb\r\nb\r\n\r\n\r\n\r\ncc\r\ncc\r\n");
}

// Binary files (a NUL byte in the first 64 KiB) are copied byte for byte by Erase and Replace
// and counted; a NUL further on leaves a file text. A file of one line far longer than a block
// goes through the pairs whole, and a name of 255 bytes keeps its copy.
TEST(BinaryCopies, AreByteIdenticalAndCounted)
{
    test::TempDir dir;
    const std::string binary = std::string("MZ\r\x90\0\ncat\n", 10) + std::string(70000, 'b') + "\n";
    const std::string lateNul = std::string(70000, 'c') + std::string("\0\n", 2);
    const std::string longLine = std::string(1'000'000, 'c') + "at" + std::string(300'000, 'x') + "cat";
    dir.write("bin.dat", binary);
    dir.write("late.txt", lateNul);
    dir.write("long.txt", longLine);
    const std::string longest(255, 'n');
    dir.write(longest, "cat");
    const std::string lateCopy = std::string(70000, 'c') + std::string("\0\r\n", 3);
    const std::string afterFirst = std::string(999'999, 'c') + "dog" + std::string(300'000, 'x') + "dog";
    const std::string longCopy = std::string(999'999, 'c') + "D" + std::string(299'999, 'x') + "dog\r\n";
    dir.write("pairs.txt", "cat\ndog\ndogx\nD\n");
    // Keeping line ends, the long last line and the others keep theirs (none, LF, LF and NUL).
    const std::string longKept = longCopy.substr(0, longCopy.size() - 2);
    const auto replaceKeeping = [&](const fs::path& trace) {
        return runReplaceLinesFrom(dir.path(), dir / "pairs.txt", trace, {}, NamedBy::Tool, CopyMode::Write, LineEnds::Keep);
    };
    const struct { const char* name; std::function<Result<RunReport>()> run; std::string longCopy, longestCopy, pairsCopy, lateCopy; } runs[] = {
        {"erase", [&] { return runEraseChunks(dir.path(), {{"<A>"}, "S", {}, false}); }, longLine + "\r\n", "cat\r\n",
         "cat\r\ndog\r\ndogx\r\nD\r\n", lateCopy},
        {"replace", [&] { return runReplaceLinesFrom(dir.path(), dir / "pairs.txt", {}); }, longCopy, "dog\r\n", "dog\r\ndog\r\nD\r\nD\r\n", lateCopy},
        {"replace traced", [&] { return runReplaceLinesFrom(dir.path(), dir / "pairs.txt", dir / "trace.out"); }, longCopy,
         "dog\r\n", "dog\r\ndog\r\nD\r\nD\r\n", lateCopy},
        {"erase keeping line ends", [&] { return runEraseChunks(dir.path(), {{"<A>"}, "S", {}, false, CopyMode::Write, LineEnds::Keep}); },
         longLine, "cat", "cat\ndog\ndogx\nD\n", lateNul},
        {"replace keeping line ends", [&] { return replaceKeeping({}); }, longKept, "dog", "dog\ndog\nD\nD\n", lateNul},
        {"replace traced keeping line ends", [&] { return replaceKeeping(dir / "trace2.out"); }, longKept, "dog", "dog\ndog\nD\nD\n", lateNul},
    };
    for (const auto& row : runs) {
        SCOPED_TRACE(row.name);
        fs::remove_all(dir / "copies");
        const auto report = row.run();
        ASSERT_TRUE(report.has_value());
        EXPECT_EQ(report->counts.binary, 1u);
        EXPECT_NE(runNotes(*report).find("1 file binary, copied as is."), std::string::npos) << runNotes(*report);
        EXPECT_EQ(test::readBytes(dir / "copies/bin.dat"), binary);
        EXPECT_EQ(test::readBytes(dir / "copies/late.txt"), row.lateCopy);
        EXPECT_EQ(test::readBytes(dir / "copies/long.txt"), row.longCopy);
        EXPECT_EQ(test::readBytes(dir / "copies" / longest), row.longestCopy);
        EXPECT_EQ(test::readBytes(dir / "copies/pairs.txt"), row.pairsCopy);
    }
    // The trace has no entry for the binary file's bytes: seven lines of text were traced, two
    // pairs each, and the long line is traced whole, before each pair.
    const std::string trace = test::readBytes(dir / "trace.out");
    EXPECT_EQ(std::ranges::count(trace, '\n'), 7 * 2 * 5);
    EXPECT_NE(trace.find("\r\n\r\n\r\n" + longLine + "\r\ncat\r\n\r\n\r\n\r\n" + afterFirst + "\r\ndogx\r\n"), std::string::npos);
}

class ReplaceRun : public ::testing::Test {
protected:
    Result<RunReport> run() const { return runReplaceLines(work.path(), program.path()); }
    std::string copy(const char* name) const { return test::readBytes(work / "copies" / name); }
    std::string debug() const { return test::readBytes(program / "debug.out"); }

    test::TempDir program;
    test::TempDir work;
};

TEST_F(ReplaceRun, ChainsPairsAndAppendsTheSameDebugEntriesEachRun)
{
    program.write("replaceLines.txt", "cat\ndog\ndog\nbird\nodd");  // the odd last line does nothing
    work.write("a.txt", "cat and dog");
    work.write("b", "");  // no extension, no lines
    work.write("sub/c.txt", "cat");
    work.write("copies/kept.txt", "kept");
    const std::string once = "\r\n\r\n\r\ncat and dog\r\ncat\r\n\r\n\r\n\r\ndog and dog\r\ndog\r\n";
    const test::Tree done{{"a.txt", "cat and dog"}, {"b", ""}, {"sub", "/"}, {"sub/c.txt", "cat"}, {"copies", "/"},
                          {"copies/a.txt", "bird and bird\r\n"}, {"copies/b", ""}, {"copies/kept.txt", "kept"}};
    for (const std::string& expected : {once, once + once}) {
        EXPECT_EQ(run().value().counts.written, 2u);
        EXPECT_EQ(test::treeOf(work.path()), done);
        EXPECT_EQ(debug(), expected);
    }
}

TEST_F(ReplaceRun, MissingPairFileWritesNothingAndTheDebugFileIsNeverAnInput)
{
    work.write("a", "one\rtwo\n");
    const auto missing = run();
    ASSERT_FALSE(missing.has_value());
    EXPECT_EQ(missing.error().number, err::FileNotFound);
    EXPECT_NE(missing.error().description.find((program / "replaceLines.txt").string()), std::string::npos);
    EXPECT_FALSE(fs::exists(work / "copies"));
    EXPECT_FALSE(fs::exists(program / "debug.out"));
    program.write("replaceLines.txt", "");
    ASSERT_TRUE(run().has_value());
    EXPECT_EQ(copy("a"), "one\r\ntwo\r\n");
    EXPECT_EQ(debug(), "");

    // Run over the program's folder, the pair file is processed, the debug file not.
    program.write("replaceLines.txt", "a\r\nb\r\n");
    program.write("debug.out", "a\r\n");
    ASSERT_EQ(runReplaceLines(program.path(), program.path()).value().counts.written, 1u);
    EXPECT_EQ(test::readBytes(program / "copies/replaceLines.txt"), "b\r\nb\r\n");
    EXPECT_EQ(debug(), "a\r\n\r\n\r\n\r\na\r\na\r\n\r\n\r\n\r\nb\r\na\r\n");
}

TEST_F(ReplaceRun, FailureEndsTheRunAndKeepsWhatWasDone)
{
    program.write("replaceLines.txt", "a\r\nb\r\n");
    for (const char* name : {"1.txt", "2.txt", "3.txt"})
        work.write(name, "a");
    work.write("copies/2.txt", "old");
    ASSERT_EQ(::chmod((work / "copies/2.txt").c_str(), 0444), 0);
    const RunReport report = run().value();
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_EQ(report.failures[0].path, work / "2.txt");
    EXPECT_EQ(report.failures[0].error.number, err::PermissionDenied);
    EXPECT_EQ(report.counts.written, 1u);
    EXPECT_EQ(test::treeOf(work / "copies"), (test::Tree{{"1.txt", "b\r\n"}, {"2.txt", "old"}}));
    EXPECT_EQ(debug(), "\r\n\r\n\r\na\r\na\r\n");
}

// Whichever call fails, over copies an earlier run made, the sources are left alone, every copy
// is the earlier one or the new one, whole, and the failure is reported.
TEST(FaultSweep, ReplaceKeepsEveryEarlierCopyWhole)
{
    test::TempDir program, work;
    program.write("replaceLines.txt", "cat\r\ndog\r\n");
    const std::string big(300'000, 'c');
    const test::Tree pristine{{"a.txt", "cat\nx"}, {"b", big + "cat"}, {"c.bin", std::string("cat\0\n", 5)}, {"copies", "/"},
                              {"copies/a.txt", "old a"}, {"copies/b", "old b"}, {"copies/c.bin", "old c"}};
    const test::States states{{"a.txt", {"cat\nx"}}, {"b", {big + "cat"}}, {"c.bin", {std::string("cat\0\n", 5)}}, {"copies", {"/"}},
                              {"copies/a.txt", {"old a", "dog\r\nx\r\n"}}, {"copies/b", {"old b", big + "dog\r\n"}},
                              {"copies/c.bin", {"old c", std::string("cat\0\n", 5)}}};
    for (const fs::path& trace : {fs::path(), program / "debug.out"}) {  // without and with the trace
        SCOPED_TRACE(trace);
        const int runs = test::sweepFaults(
            [&] { test::writeTree(work.path(), pristine); },
            [&] {
                const auto report = runReplaceLinesFrom(work.path(), program / "replaceLines.txt", trace);
                return report && report->failures.empty();
            },
            [&](bool succeeded, const test::Fault&) {
                const test::Tree now = test::treeOf(work.path());
                test::expectStates(now, states);
                if (succeeded) {
                    EXPECT_EQ(now.at("copies/b"), big + "dog\r\n");
                }
            });
        EXPECT_GT(runs, 20);
    }
}

}  // namespace
}  // namespace qb
