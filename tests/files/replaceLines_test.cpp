// Search and replace lines from a pair file: the replacement rule, and runs over temporary folders.
#include "tools/files/replaceLines.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

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
    for (const std::string& expected : {once, once + once}) {
        const auto report = run();
        ASSERT_TRUE(report.has_value());
        EXPECT_EQ(report->counts.written, 2u);
        EXPECT_EQ(copy("a.txt"), "bird and bird\r\n");
        EXPECT_EQ(copy("b"), "");
        EXPECT_EQ(debug(), expected);
    }
    EXPECT_EQ(copy("kept.txt"), "kept");
    EXPECT_FALSE(fs::exists(work / "sub/copies"));
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
    EXPECT_EQ(copy("1.txt"), "b\r\n");
    EXPECT_EQ(copy("2.txt"), "old");
    EXPECT_FALSE(fs::exists(work / "copies/3.txt"));
    EXPECT_EQ(debug(), "\r\n\r\n\r\na\r\na\r\n");
}

}  // namespace
}  // namespace qb
