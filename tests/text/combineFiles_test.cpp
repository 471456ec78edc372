// Combining two files line by line, from real files in a temporary folder.
#include "tools/text/combineFiles.h"

#include <gtest/gtest.h>

#include "support/recorder.h"

namespace qb {
namespace {

struct CombineRow {
    const char* name;
    std::string first;
    std::string second;
    std::string combined;
};

class CombineFiles : public ::testing::TestWithParam<CombineRow> {};

TEST_P(CombineFiles, JoinLineByLine)
{
    const CombineRow& row = GetParam();
    test::TempDir temp;
    const auto combined = combineFiles(temp.write("one.txt", row.first), temp.write("two.txt", row.second));
    ASSERT_TRUE(combined) << formatError(combined.error());
    ASSERT_TRUE(*combined);
    EXPECT_EQ(**combined, row.combined);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CombineFiles,
    ::testing::Values(
        CombineRow{"ShorterSecondFileEndsIt", "a\r\nb\r\nc\r\n", "1\r\n2\r\n", "a1\r\nb2\r\n"},
        CombineRow{"ShorterFirstFileEndsIt", "a\r\n", "1\r\n2\r\n", "a1\r\n"},
        CombineRow{"TrailingSpacesKept", "left \r\n", "right\r\n", "left right\r\n"},
        CombineRow{"EmptyFirstFile", "", "1\r\n2\r\n", ""},
        CombineRow{"EmptySecondFile", "a\r\n", "", ""},
        CombineRow{"LastLinesWithoutBreak", "a\r\nb", "1\r\n2", "a1\r\nb2\r\n"},
        CombineRow{"EveryKindOfLineEnd", "a\nb\rc\r\n", "1\r2\n3", "a1\r\nb2\r\nc3\r\n"},
        CombineRow{"EmptyLinesCount", "\r\nb\r\n", "1\r\n\r\n", "1\r\nb\r\n"},
        CombineRow{"BytesUnchanged", "\x80\xFF\t\r\n", std::string("\x00\xA2\r\n", 4), std::string("\x80\xFF\t\x00\xA2\r\n", 7)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CombineFilesPaths, AnEmptyPathDoesNothing)
{
    test::TempDir temp;
    const auto file = temp.write("a.txt", "a\r\n");
    for (const auto& [first, second] : {std::pair{file, std::filesystem::path()},
                                        std::pair{std::filesystem::path(), file},
                                        std::pair{std::filesystem::path(), std::filesystem::path()}}) {
        const auto combined = combineFiles(first, second);
        ASSERT_TRUE(combined);
        EXPECT_FALSE(*combined);
    }
}

TEST(CombineFilesPaths, MissingOrUnreadableFileIsAnErrorNamingIt)
{
    test::TempDir temp;
    const auto file = temp.write("a.txt", "a\r\n");
    const auto missing = temp / "missing.txt";
    for (const auto& [first, second, named] :
         {std::tuple{missing, file, missing}, std::tuple{file, missing, missing},
          std::tuple{file, temp.path(), temp.path()}}) {
        const auto combined = combineFiles(first, second);
        ASSERT_FALSE(combined) << named;
        EXPECT_NE(combined.error().description.find(named.string()), std::string::npos)
            << combined.error().description;
    }
    const auto combined = combineFiles(missing, file);
    ASSERT_FALSE(combined);
    EXPECT_EQ(combined.error().number, err::FileNotFound);
}

TEST(CombineFilesPaths, DoubledSeparatorStillOpensTheFile)
{
    test::TempDir temp;
    const auto file = temp.write("a.txt", "a\r\n");
    const auto combined = combineFiles(temp.path().string() + "//a.txt", file);
    ASSERT_TRUE(combined && *combined);
    EXPECT_EQ(**combined, "aa\r\n");
}

TEST(CombineFilesPaths, LargeFilesCombineCompletely)
{
    test::TempDir temp;
    std::string first;
    std::string second;
    std::string expected;
    for (int i = 0; i < 100000; ++i) {
        first += "line " + std::to_string(i) + "\r\n";
        second += " end\r\n";
        expected += "line " + std::to_string(i) + " end\r\n";
    }
    const auto combined = combineFiles(temp.write("one.txt", first), temp.write("two.txt", second));
    ASSERT_TRUE(combined && *combined);
    EXPECT_EQ(**combined, expected);
}

}  // namespace
}  // namespace qb
