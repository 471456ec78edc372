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

TEST(CombineFilesPaths, EmptyPathDoesNothingAndADoubledSeparatorStillOpens)
{
    test::TempDir temp;
    const auto file = temp.write("a.txt", "a\r\n");
    for (const auto& [first, second] : {std::pair{file, std::filesystem::path()}, std::pair{std::filesystem::path(), file}}) {
        const auto combined = combineFiles(first, second);
        ASSERT_TRUE(combined);
        EXPECT_FALSE(*combined);
    }
    const auto combined = combineFiles(temp.path().string() + "//a.txt", file);
    ASSERT_TRUE(combined && *combined);
    EXPECT_EQ(**combined, "aa\r\n");
}

// A file that cannot be read is an error naming it, never an empty result.
TEST(CombineFilesPaths, MissingOrUnreadableFileIsAnErrorNamingIt)
{
    test::TempDir temp;
    const auto file = temp.write("a.txt", "a\r\n");
    const auto missing = temp / "missing.txt";
    for (const auto& [first, second, named, number] :
         {std::tuple{missing, file, missing, err::FileNotFound}, std::tuple{file, missing, missing, err::FileNotFound},
          std::tuple{file, temp.path(), temp.path(), 0}}) {
        const auto combined = combineFiles(first, second);
        ASSERT_FALSE(combined) << named;
        EXPECT_NE(combined.error().description.find(named.string()), std::string::npos) << combined.error().description;
        if (number)
            EXPECT_EQ(combined.error().number, number);
    }
}

}  // namespace
}  // namespace qb
