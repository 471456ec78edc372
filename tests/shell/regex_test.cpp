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
        {"anchorOnlyAtStart", "^Sub", false, "x\nSub", false},  // no multi-line mode
        {"emptySubject", "^$", false, "", true},
        {"afterNulByte", "b", false, std::string("a\0b", 3), true},
        {"invalidUtf8IsJustBytes", "\xe9t\xe9", false, "caf\xe9t\xe9\xff", true},
        {"accentedNotFolded", "\xe9", true, "\xc9", false},  // caseless folds ASCII letters only
    };
    for (const Row& row : rows) {
        auto regex = Regex::compile(row.pattern, Regex::Options{.ignoreCase = row.ignoreCase, .jit = row.ignoreCase});
        ASSERT_TRUE(regex) << row.name;
        EXPECT_EQ(regex->matches(row.subject), row.expected) << row.name;
    }
    EXPECT_EQ(matchesPattern("   private sub Form_Load()", R"(^\s*Private Sub)"), true);
    EXPECT_EQ(matchesPattern(" Imports System", "^Imports"), false);
}

TEST(Regex, FailuresAreErrorsNotNonMatches)
{
    const auto bad = matchesPattern("line", "Public (Sub");
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.error().number, err::InvalidProcedureCall);
    EXPECT_NE(bad.error().description.find("Public (Sub"), std::string::npos) << bad.error().description;

    // Catastrophic backtracking reaches the match limit long before an answer.
    const auto matched = Regex::compile("^(a+)+$").value().matches(std::string(40, 'a') + "b");
    ASSERT_FALSE(matched);
    EXPECT_EQ(matched.error().number, err::InvalidProcedureCall);
}

TEST(Regex, KeepsItsPatternThroughMoves)
{
    Regex moved = Regex::compile("a+", Regex::Options{.jit = true}).value();
    EXPECT_EQ(moved.matches("baab"), true);
    Regex assigned = Regex::compile("x").value();
    assigned = std::move(moved);  // drops its own pattern, takes the other's
    EXPECT_EQ(assigned.matches("xyz"), false);
    EXPECT_EQ(assigned.matches("aa"), true);
    EXPECT_FALSE(moved.matches("a"));  // NOLINT: a moved-from regex answers with an error
}

}  // namespace
}  // namespace qb
