// The whole-text line and byte searches the scanners run on: each checked against the plain
// line-by-line answer on texts built to put every kind of line break, white space and match at
// and across the 16- and 64-byte edges the searches work in.
#include "tools/scan/leadFilter.h"
#include "tools/scan/lines.h"

#include "shell/mdlText.h"

#include <gtest/gtest.h>

#include <random>

namespace qb {
namespace {

// Texts of pieces chosen at random (seeded, so every run is the same).
std::vector<std::string> mixedTexts(const std::vector<std::string>& pieces, int count, int maxPieces)
{
    std::mt19937 random(20240611);
    std::vector<std::string> texts;
    for (int n = 0; n < count; ++n) {
        std::string text;
        const int length = static_cast<int>(random() % static_cast<unsigned>(maxPieces));
        for (int i = 0; i < length; ++i)
            text += pieces[random() % pieces.size()];
        texts.push_back(std::move(text));
    }
    return texts;
}

const std::vector<std::string> linePieces = {
    "\r\n", "\n", "\r", " ", "  ", "\t", "\v", "\f", "\xa0", "x", "Public Sub", "PRIVATE function", "imports ",
    "sh", "pu", "Pr", "Im", "S", "TODO:", "TODO", "ODO:", "'", std::string(40, 'y'), std::string(70, ' '), std::string(1, '\0'),
};

TEST(ForEachLine, AgreesWithSplitLines)
{
    for (const std::string& text : mixedTexts(linePieces, 3000, 30)) {
        std::vector<std::string_view> lines;
        forEachLine(text, [&](std::string_view line) { lines.push_back(line); });
        ASSERT_EQ(lines, splitLines(text)) << '"' << text << '"';
    }
}

TEST(FindBytes, AgreesWithFind)
{
    for (const std::string& text : mixedTexts(linePieces, 3000, 30)) {
        for (std::size_t from : {std::size_t{0}, std::size_t{1}, std::size_t{17}, text.size()}) {
            if (from > text.size())
                continue;
            ASSERT_EQ(findBytes(text, "TODO:", from), std::string_view(text).find("TODO:", from)) << '"' << text << '"';
            ASSERT_EQ(findBytes(text, "\r\n", from), std::string_view(text).find("\r\n", from)) << '"' << text << '"';
        }
    }
}

// The plain answer: every line, its content found by skipping white space byte by byte; the
// second byte may lie past the line's end (it is then no letter).
std::vector<std::pair<std::size_t, std::size_t>> plainLineStarts(std::string_view text, const LineStartSieve& sieve)
{
    const auto inClass = [](std::string_view letters, char c) { return letters.find(static_cast<char>(c | 0x20)) != letters.npos; };
    std::vector<std::pair<std::size_t, std::size_t>> starts;
    for (std::string_view line : splitLines(text)) {
        const auto lineStart = static_cast<std::size_t>(line.data() - text.data());
        std::size_t content = lineStart;
        while (content < lineStart + line.size() && isPatternSpace(text[content]))
            ++content;
        if (content < lineStart + line.size() && content + 1 < text.size() && inClass(sieve.first, text[content]) &&
            inClass(sieve.second, text[content + 1]))
            starts.emplace_back(lineStart, content);
    }
    return starts;
}

TEST(ForEachLineStartingWith, FindsExactlyTheLinesWhoseContentBeginsSo)
{
    const LineStartSieve sieve{"psi", "urhm"};
    std::vector<std::string> texts = mixedTexts(linePieces, 4000, 40);
    // Leading white space of every length from a line break, across the 64-byte edges.
    for (int blanks = 0; blanks < 140; ++blanks) {
        texts.push_back("x\n" + std::string(blanks, ' ') + "Public Sub\r\n" + std::string(blanks, '\t') + "sh");
        texts.push_back(std::string(blanks, ' ') + "\r\n\r\n \v\f" + std::string(blanks % 7, ' ') + "IMPORTS");
        texts.push_back(std::string(blanks, 'x') + "\r\npu");  // the pair straddles the stretch's last byte
    }
    for (const std::string& text : texts) {
        std::vector<std::pair<std::size_t, std::size_t>> found;
        forEachLineStartingWith(text, sieve, [&](std::size_t line, std::size_t content) { found.emplace_back(line, content); });
        ASSERT_EQ(found, plainLineStarts(text, sieve)) << '"' << text << '"';
    }
}

TEST(LeadFilter, ReadsTheLeadingTextOfSimplePatternsOnly)
{
    struct Row { std::string_view pattern; bool usable, afterSpace; std::string_view text; };
    const Row rows[] = {
        {R"(^\s*Public Sub)", true, true, "public sub"},
        {"^Imports", true, false, "imports"},
        {R"(^\s*x)", true, true, "x"},
        {"Public Sub", false, false, ""},          // not anchored
        {R"(^\s*Public\s+Sub)", false, true, ""},  // more than plain text
        {R"(^\s* Sub)", false, true, ""},          // white space that \s* could share
        {"^(Sub)", false, false, ""},
        {"^", false, false, ""},
    };
    for (const Row& row : rows) {
        const LeadFilter::Lead lead = LeadFilter::leadOf(row.pattern);
        EXPECT_EQ(lead.usable, row.usable) << row.pattern;
        if (lead.usable) {
            EXPECT_EQ(lead.afterSpace, row.afterSpace) << row.pattern;
            EXPECT_EQ(lead.text, row.text) << row.pattern;
        }
    }
}

// A pattern without a leading text is always worth running, and makes whole-text sifting unsafe.
TEST(LeadFilter, PatternsItCannotReadAreAlwaysCandidates)
{
    const std::string_view patterns[] = {R"(^\s*Public Sub)", "Sub$", "^x"};
    const LeadFilter filter(patterns);
    EXPECT_FALSE(filter.sievable());
    EXPECT_EQ(filter.candidatesFor("  public subway"), 0b011u);
    EXPECT_EQ(filter.candidatesFor("End Sub"), 0b010u);
    EXPECT_EQ(filter.candidatesFor("X = 1"), 0b110u);
    EXPECT_EQ(filter.candidatesFor(" x = 1"), 0b010u);  // ^x allows no white space first
    EXPECT_EQ(filter.candidatesFor(""), 0b010u);
}

}  // namespace
}  // namespace qb
