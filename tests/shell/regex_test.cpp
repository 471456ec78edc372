// The compiled regular expression and the line test built on it.
#include "shell/mdlText.h"
#include "shell/regex.h"

#include <gtest/gtest.h>

#include <string>

namespace qb {
namespace {

TEST(Regex, MatchesBytesAnywhereUnlessAnchored)
{
    struct Row { const char* name; std::string pattern; bool ignoreCase; std::string subject; bool expected; };
    const Row rows[] = {
        {"literalInside", "Sub", false, "Public Sub x", true},
        {"caseRespected", "sub", false, "Public Sub x", false},
        {"caseIgnored", "sub", true, "Public Sub x", true},
        {"anchorOnlyAtStart", "^Sub", false, "x\nSub", false},   // no multi-line mode
        {"emptySubject", "^$", false, "", true},
        {"afterNulByte", "b", false, std::string("a\0b", 3), true},
        {"invalidUtf8IsJustBytes", "\xe9t\xe9", false, "caf\xe9t\xe9\xff", true},
        {"accentedNotFolded", "\xe9", true, "\xc9", false},         // caseless folds ASCII letters only
    };
    for (const Row& row : rows) {
        auto regex = Regex::compile(row.pattern, Regex::Options{.ignoreCase = row.ignoreCase});
        ASSERT_TRUE(regex) << row.name;
        const auto matched = regex->matches(row.subject);
        ASSERT_TRUE(matched) << row.name;
        EXPECT_EQ(*matched, row.expected) << row.name;
    }
}

TEST(Regex, InvalidPatternIsAnErrorNamingIt)
{
    const auto regex = Regex::compile("Public (Sub");
    ASSERT_FALSE(regex);
    EXPECT_EQ(regex.error().number, err::InvalidProcedureCall);
    EXPECT_NE(regex.error().description.find("Public (Sub"), std::string::npos) << regex.error().description;
}

TEST(Regex, SurvivesMovesAndReportsUseAfterMove)
{
    auto compiled = Regex::compile("a+", Regex::Options{.jit = true});
    ASSERT_TRUE(compiled);
    Regex moved = std::move(*compiled);
    EXPECT_EQ(moved.matches("baab"), true);
    Regex assigned = std::move(moved);
    assigned = std::move(assigned);  // self-assignment keeps the pattern
    EXPECT_EQ(assigned.matches("xyz"), false);
    EXPECT_FALSE(moved.matches("a"));  // NOLINT: a moved-from regex answers with an error, not "no match"
}

TEST(Regex, ResourceLimitIsAnErrorNotANonMatch)
{
    // Catastrophic backtracking: the match limit is reached long before an answer.
    auto regex = Regex::compile("^(a+)+$");
    ASSERT_TRUE(regex);
    const auto matched = regex->matches(std::string(40, 'a') + "b");
    ASSERT_FALSE(matched);
    EXPECT_EQ(matched.error().number, err::InvalidProcedureCall);
}

TEST(MatchesPattern, IgnoresCaseAndReportsBadPatterns)
{
    EXPECT_EQ(matchesPattern("   private sub Form_Load()", R"(^\s*Private Sub)"), true);
    EXPECT_EQ(matchesPattern(" Imports System", "^Imports"), false);
    const auto bad = matchesPattern("line", "[unclosed");
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.error().number, err::InvalidProcedureCall);
}

}  // namespace
}  // namespace qb
