// Combining two files line by line, from real files in a temporary folder.
#include "tools/text/combineFiles.h"

#include <gtest/gtest.h>

#include "support/recorder.h"

namespace qb {
namespace {

TEST(CombineFiles, JoinLineByLine)
{
    struct Row {
        std::string first, second, combined;
    };
    const Row rows[] = {
        {"a\r\nb\r\nc\r\n", "1\r\n2\r\n", "a1\r\nb2\r\n"},
        {"a\r\n", "1\r\n2\r\n", "a1\r\n"},
        {"left \r\n", "right\r\n", "left right\r\n"},
        {"", "1\r\n2\r\n", ""},
        {"a\r\nb", "1\r\n2", "a1\r\nb2\r\n"},
        {"a\nb\rc\r\n", "1\r2\n3", "a1\r\nb2\r\nc3\r\n"},
        {"\r\nb\r\n", "1\r\n\r\n", "1\r\nb\r\n"},
        {"\x80\xFF\t\r\n", std::string("\x00\xA2\r\n", 4), std::string("\x80\xFF\t\x00\xA2\r\n", 7)},
    };
    test::TempDir temp;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.first + " | " + row.second);
        const auto combined = combineFiles(temp.write("one.txt", row.first), temp.write("two.txt", row.second));
        ASSERT_TRUE(combined && *combined);
        EXPECT_EQ(**combined, row.combined);
    }
}

TEST(CombineFiles, EmptyPathDoesNothingAndADoubledSeparatorStillOpens)
{
    test::TempDir temp;
    const auto file = temp.write("a.txt", "a\r\n");
    EXPECT_EQ(combineFiles(file, {}).value_or("error"), std::nullopt);
    EXPECT_EQ(combineFiles({}, file).value_or("error"), std::nullopt);
    EXPECT_EQ(combineFiles(temp.path().string() + "//a.txt", file).value_or("error"), "aa\r\n");
}

// A file that cannot be read is an error naming it, never an empty result.
TEST(CombineFiles, MissingOrUnreadableFileIsAnErrorNamingIt)
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
        EXPECT_EQ(number ? combined.error().number : 0, number);
    }
}

}  // namespace
}  // namespace qb
