// The whole-text searches the scanners run on, each checked against the plain answer on texts
// built to put line breaks, white space and matches at and across the 16- and 64-byte edges the
// searches work in; and the quick test that reads the patterns.
#include "tools/scan/leadFilter.h"
#include "tools/scan/lines.h"

#include "shell/mdlText.h"

#include <gtest/gtest.h>

#include <random>

namespace qb {
namespace {

// Texts of pieces chosen at random (seeded, so every run is the same), and some made to carry
// leading white space of every length across the stretch edges.
std::vector<std::string> mixedTexts()
{
    const std::string pieces[] = {"\r\n", "\n", "\r", " ", "\t", "\v", "\f", "\xa0", "x", "Public Sub", "imports ",
                                  "sh", "Pr", "S", "TODO:", "TODO", "ODO:", std::string(40, 'y'), std::string(70, ' '),
                                  std::string(1, '\0')};
    std::mt19937 random(20240611);
    std::vector<std::string> texts;
    for (int n = 0; n < 4000; ++n) {
        std::string text;
        for (int i = static_cast<int>(random() % 40); i > 0; --i)
            text += pieces[random() % std::size(pieces)];
        texts.push_back(std::move(text));
    }
    for (int blanks = 0; blanks < 140; ++blanks) {
        texts.push_back("x\n" + std::string(blanks, ' ') + "Public Sub\r\n" + std::string(blanks, '\t') + "sh");
        texts.push_back(std::string(blanks, ' ') + "\r\n\r\n \v\f" + std::string(blanks % 7, ' ') + "IMPORTS");
        texts.push_back(std::string(blanks, 'x') + "\r\npu");  // the pair straddles a stretch's last byte
    }
    return texts;
}

TEST(WholeTextSearches, AgreeWithThePlainAnswers)
{
    const LineStartSieve sieve{"psi", "urhm"};
    const auto inClass = [](std::string_view letters, char c) { return letters.find(static_cast<char>(c | 0x20)) != letters.npos; };
    for (const std::string& text : mixedTexts()) {
        for (std::size_t from : {std::size_t{0}, std::size_t{17}}) {
            if (from <= text.size()) {
                ASSERT_EQ(findBytes(text, "TODO:", from), std::string_view(text).find("TODO:", from)) << '"' << text << '"';
            }
        }
        // The plain answer: each line's content found by skipping white space byte by byte; its
        // second byte may lie past the line's end (and is then no letter).
        std::vector<std::pair<std::size_t, std::size_t>> expected, found;
        for (std::string_view line : splitLines(text)) {
            const auto start = static_cast<std::size_t>(line.data() - text.data());
            std::size_t content = start;
            while (content < start + line.size() && isPatternSpace(text[content]))
                ++content;
            if (content < start + line.size() && content + 1 < text.size() && inClass(sieve.first, text[content]) &&
                inClass(sieve.second, text[content + 1]))
                expected.emplace_back(start, content);
        }
        forEachLineStartingWith(text, sieve, [&](std::size_t content) { found.emplace_back(lineStartOf(text, content), content); });
        ASSERT_EQ(found, expected) << '"' << text << '"';
        // The byte-by-byte forms, which processors without vector instructions run, agree too.
        found.clear();
        forEachLineStartingWithScalar(text, sieve, [&](std::size_t content) { found.emplace_back(lineStartOf(text, content), content); });
        ASSERT_EQ(found, expected) << '"' << text << '"';
        for (std::size_t from = 0; from <= text.size(); from += 5) {
            ASSERT_EQ(findBytesScalar(text, "TODO:", from), findBytes(text, "TODO:", from)) << '"' << text << '"';
            ASSERT_EQ(lineEndFromScalar(text, from), lineEndFrom(text, from)) << '"' << text << '"';
            if (from == 0 || from == text.size() || text[from - 1] != '\r' || text[from] != '\n') {
                ASSERT_EQ(countLineBreaksScalar(text, from, text.size()), countLineBreaks(text, from, text.size())) << '"' << text << '"';
                ASSERT_EQ(countLineBreaksScalar(text, 0, from), countLineBreaks(text, 0, from)) << '"' << text << '"';
            }
        }
    }
}

// Only "^", an optional "\s*" and plain text are read; any other pattern is always worth running,
// and makes whole-text sifting unsafe.
TEST(LeadFilter, PatternsItCannotReadAreAlwaysCandidates)
{
    const std::string_view patterns[] = {R"(^\s*Public Sub)", "Sub$", "^x", R"(^\s*Public\s+Sub)", R"(^\s* Sub)"};
    const LeadFilter filter(patterns);
    EXPECT_FALSE(filter.sievable());
    EXPECT_EQ(filter.candidatesFor("  public subway"), 0b11011u);
    EXPECT_EQ(filter.candidatesFor("X = 1"), 0b11110u);
    EXPECT_EQ(filter.candidatesFor(" x = 1"), 0b11010u);  // ^x allows no white space first
    EXPECT_EQ(filter.candidatesFor(""), 0b11010u);
    const std::string_view simple[] = {R"(^\s*Public Sub)", "^Imports"};
    EXPECT_TRUE(LeadFilter(simple).sievable());
}

}  // namespace
}  // namespace qb
