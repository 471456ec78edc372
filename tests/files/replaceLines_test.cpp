// Search and replace lines from a pair file: the replacement rule, and runs over a temporary
// program folder and work folder.
#include "tools/files/replaceLines.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "support/recorder.h"

namespace qb {
namespace {

namespace fs = std::filesystem;

struct ReplaceRow {
    const char* line;
    const char* search;
    const char* replacement;
    const char* expected;
};

TEST(ReplaceAll, ReplacesLeftToRightWithoutRescanning)
{
    const ReplaceRow rows[] = {
        {"a cat, a cat, a cat", "cat", "dog", "a dog, a dog, a dog"},  // three occurrences
        {"abc", "ABC", "x", "abc"},                                    // case-sensitive
        {"aaa", "aa", "b", "ba"},                                      // no overlaps
        {"a", "a", "aa", "aa"},                                        // replacement not searched again
        {"keep", "", "x", "keep"},                                     // empty search changes nothing
        {"tail cat", "cat", "", "tail "},
        {"", "x", "y", ""},
    };
    for (const auto& row : rows) {
        std::string line = row.line;
        replaceAll(line, row.search, row.replacement);
        EXPECT_EQ(line, row.expected) << row.line << " / " << row.search;
    }
}

TEST(ParsePairs, PairsLinesInOrderAndIgnoresAnOddLastLine)
{
    EXPECT_EQ(parsePairs({"cat", "dog", "", "x", "odd"}),
              (std::vector<ReplacePair>{{"cat", "dog"}, {"", "x"}}));
    EXPECT_TRUE(parsePairs({"alone"}).empty());
    EXPECT_TRUE(parsePairs({}).empty());
}

class ReplaceRun : public ::testing::Test {
protected:
    Result<ReplaceReport> run(ProgressCallback progress = {})
    {
        return runReplaceLines(work.path(), program.path(), std::move(progress));
    }
    void pairs(std::string_view bytes) const { program.write("replaceLines.txt", bytes); }
    std::string copy(const char* name) const { return test::readBytes(work / "copies" / name); }
    std::string debug() const { return test::readBytes(program / "debug.out"); }

    test::TempDir program;
    test::TempDir work;
};

TEST_F(ReplaceRun, LaterPairsSeeEarlierResults)
{
    pairs("cat\r\ndog\r\ndog\r\nbird\r\n");
    work.write("a.txt", "cat and dog\nno pets");
    const auto report = run();
    ASSERT_TRUE(report.has_value());
    EXPECT_EQ(report->files, 1u);
    EXPECT_EQ(copy("a.txt"), "bird and bird\r\nno pets\r\n");
}

TEST_F(ReplaceRun, DebugFileGrowsByTheSameEntriesEachRun)
{
    pairs("cat\ndog\ndog\nbird\n");
    work.write("a.txt", "cat and dog\r\n");
    const std::string once = "\r\n\r\n\r\ncat and dog\r\ncat\r\n"
                             "\r\n\r\n\r\ndog and dog\r\ndog\r\n";
    ASSERT_TRUE(run().has_value());
    EXPECT_EQ(debug(), once);
    work.write("a.txt", "cat and dog");
    ASSERT_TRUE(run().has_value());
    EXPECT_EQ(debug(), once + once);
    EXPECT_EQ(copy("a.txt"), "bird and bird\r\n");
}

TEST_F(ReplaceRun, OddLastPairLineHasNoEffectAndNoEntry)
{
    pairs("cat\r\ndog\r\nfish");
    work.write("a.txt", "cat fish");
    ASSERT_TRUE(run().has_value());
    EXPECT_EQ(copy("a.txt"), "dog fish\r\n");
    EXPECT_EQ(debug(), "\r\n\r\n\r\ncat fish\r\ncat\r\n");
}

TEST_F(ReplaceRun, EmptyPairFileCopiesLinesAndCreatesAnEmptyDebugFile)
{
    pairs("");
    work.write("a", "one\rtwo");  // no extension: the copy keeps the name
    work.write("empty.txt", "");
    ASSERT_TRUE(run().has_value());
    EXPECT_EQ(copy("a"), "one\r\ntwo\r\n");
    EXPECT_EQ(copy("empty.txt"), "");
    EXPECT_TRUE(fs::exists(program / "debug.out"));
    EXPECT_EQ(debug(), "");
}

TEST_F(ReplaceRun, SubfoldersAndEarlierCopiesAreLeftAlone)
{
    pairs("a\r\nb\r\n");
    work.write("x.txt", "a");
    work.write("sub/y.txt", "a");
    work.write("copies/other.txt", "kept");
    const auto report = run();
    ASSERT_TRUE(report.has_value());
    EXPECT_EQ(report->files, 1u);
    EXPECT_EQ(copy("x.txt"), "b\r\n");
    EXPECT_EQ(copy("other.txt"), "kept");
    EXPECT_FALSE(fs::exists(work / "sub/copies"));
}

TEST_F(ReplaceRun, EmptyFolderWritesNothing)
{
    pairs("a\r\nb\r\n");
    const auto report = run();
    ASSERT_TRUE(report.has_value());
    EXPECT_EQ(report->files, 0u);
    EXPECT_FALSE(fs::exists(program / "debug.out"));
    EXPECT_FALSE(fs::exists(work / "copies"));
}

TEST_F(ReplaceRun, MissingPairFileIsReportedBeforeAnythingIsWritten)
{
    work.write("empty.txt", "");
    work.write("a.txt", "a");
    const auto report = run();
    ASSERT_FALSE(report.has_value());
    EXPECT_EQ(report.error().number, err::FileNotFound);
    EXPECT_NE(report.error().description.find((program / "replaceLines.txt").string()), std::string::npos);
    EXPECT_FALSE(fs::exists(work / "copies"));
    EXPECT_FALSE(fs::exists(program / "debug.out"));
}

TEST_F(ReplaceRun, DebugFileIsNeverAnInput)
{
    // The chosen folder is the program's folder: the pair file is processed, the debug file not.
    pairs("a\r\nb\r\n");
    program.write("debug.out", "a\r\n");
    const auto report = runReplaceLines(program.path(), program.path());
    ASSERT_TRUE(report.has_value());
    EXPECT_EQ(report->files, 1u);
    EXPECT_FALSE(fs::exists(program / "copies/debug.out"));
    EXPECT_EQ(test::readBytes(program / "copies/replaceLines.txt"), "b\r\nb\r\n");
    EXPECT_EQ(debug(), "a\r\n\r\n\r\n\r\na\r\na\r\n\r\n\r\n\r\nb\r\na\r\n");
}

TEST_F(ReplaceRun, FailureEndsTheRunAndKeepsWhatWasDone)
{
    pairs("a\r\nb\r\n");
    work.write("1.txt", "a");
    work.write("2.txt", "a");
    work.write("3.txt", "a");
    work.write("copies/2.txt", "old");
    ASSERT_EQ(::chmod((work / "copies/2.txt").c_str(), 0444), 0);
    const auto report = run();
    ASSERT_FALSE(report.has_value());
    EXPECT_EQ(report.error().number, err::PermissionDenied);
    EXPECT_NE(report.error().description.find("2.txt"), std::string::npos);
    EXPECT_EQ(copy("1.txt"), "b\r\n");
    EXPECT_EQ(copy("2.txt"), "old");
    EXPECT_FALSE(fs::exists(work / "copies/3.txt"));
    EXPECT_EQ(debug(), "\r\n\r\n\r\na\r\na\r\n");
    // Nothing but the finished copy, the old one and no temporary file.
    EXPECT_EQ(std::distance(fs::directory_iterator(work / "copies"), fs::directory_iterator()), 2);
}

TEST_F(ReplaceRun, CancelStopsBeforeTheNextFile)
{
    pairs("a\r\nb\r\n");
    work.write("1.txt", "a");
    work.write("2.txt", "a");
    const auto report = run([](const fs::path&, std::uint64_t count) { return count < 1; });
    ASSERT_TRUE(report.has_value());
    EXPECT_TRUE(report->cancelled);
    EXPECT_EQ(report->files, 1u);
    EXPECT_FALSE(fs::exists(work / "copies/2.txt"));
}

}  // namespace
}  // namespace qb
