// What the scanners build on: the whole-text searches against plain answers, the pattern reader,
// block-at-a-time scans against whole-file scans, and what a report keeps beside its text.
#include "tools/scan/findSubs.h"
#include "tools/scan/findTodos.h"
#include "tools/scan/leadFilter.h"
#include "tools/scan/lines.h"
#include "core/lineBlocks.h"

#include "core/fileText.h"
#include "core/mdlText.h"

#include <gtest/gtest.h>

#include "support/recorder.h"

namespace qb {
namespace {

// Seeded random texts, and leading white space of every length across the stretch edges.
std::vector<std::string> mixedTexts()
{
    const std::string pieces[] = {"\r\n", "\n", "\r", " ", "\t", "\v", "\f", "\xa0", "x", "Public Sub", "imports ",
                                  "sh", "Pr", "S", "TODO:", "TODO", "ODO:", std::string(40, 'y'), std::string(70, ' '),
                                  std::string(1, '\0')};
    std::vector<std::string> texts = test::randomTexts(pieces, 4000, 40, 20240611);
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
        // The plain answer: white space skipped byte by byte (the second byte may lie past the line).
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
        // The byte-by-byte forms (for processors without vector instructions) agree too.
        found.clear();
        forEachLineStartingWithScalar(text, sieve, [&](std::size_t content) { found.emplace_back(lineStartOf(text, content), content); });
        ASSERT_EQ(found, expected) << '"' << text << '"';
        for (std::size_t from = 0; from <= text.size(); from += 5) {
            ASSERT_EQ(findBytesScalar(text, "TODO:", from), std::string_view(text).find("TODO:", from)) << '"' << text << '"';
            ASSERT_EQ(findBytesScalar(text, "TODO:", from), findBytes(text, "TODO:", from)) << '"' << text << '"';
            ASSERT_EQ(findBytesScalar(text, "TODO:", from), findBytes16(text, "TODO:", from)) << '"' << text << '"';
            ASSERT_EQ(lineEndFromScalar(text, from), lineEndFrom(text, from)) << '"' << text << '"';
            if (from == 0 || from == text.size() || text[from - 1] != '\r' || text[from] != '\n') {
                ASSERT_EQ(countLineBreaksScalar(text, from, text.size()), countLineBreaks(text, from, text.size())) << '"' << text << '"';
                ASSERT_EQ(countLineBreaksScalar(text, 0, from), countLineBreaks(text, 0, from)) << '"' << text << '"';
            }
        }
    }
}

// A pattern beyond "^", an optional "\s*" and plain text is always a candidate, and stops sifting.
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

// Seeded texts of TODO block and declaration lines, every line end, lines several blocks long.
std::vector<std::string> generatedTexts()
{
    const std::string pieces[] = {
        "\r\n", "\r\n", "\n", "\r", "' TODO: a", "    ' TODO: indented", "x = 1 ' TODO: after code",
        "' more", "\t' indented comment", "    y = 2 ' trailing comment", "code", "  Public Sub P()",
        "Imports X", "Private Function F()", "caf\xC3\xA9", "caf\xE9", " ", std::string(300, 'y'),
        std::string(5000, 'z') + "' long comment",
    };
    std::vector<std::string> texts = test::randomTexts(pieces, 60, 400, 17);
    // CR LF split over every edge of small blocks, right after a continuation line.
    std::string split;
    for (int i = 0; i < 40; ++i)
        split += "' TODO: t" + std::string(static_cast<std::size_t>(i), 'x') + "\r\n  ' c\r\n";
    texts.push_back(split);
    texts.push_back("' TODO: no end\r\n' still\r");  // the last line ends in a lone CR
    texts.push_back("");
    return texts;
}

ScanPart wholeFilePart(FileScanner& scanner, const std::filesystem::path& file, std::string_view text)
{
    ScanPart part;
    scanner.start(file, part);
    EXPECT_TRUE(scanner.scan(text, true, part));
    scanner.finish(part);
    return part;
}

using Found = std::vector<std::pair<std::uint64_t, std::string>>;

// Each record's line and text.
Found found(const std::vector<Record>& records)
{
    Found lines;
    for (const Record& record : records)
        lines.emplace_back(record.line, record.text);
    return lines;
}

TEST(LineBlocks, ReportsAreThoseOfTheWholeFile)
{
    test::TempDir temp;
    auto subs = subsScanner();
    ASSERT_TRUE(subs);
    const std::unique_ptr<FileScanner> todos = todoScanner();
    const std::vector<std::string> texts = generatedTexts();
    for (std::size_t t = 0; t < texts.size(); ++t) {
        const std::filesystem::path file = temp.write("f" + std::to_string(t) + ".bas", texts[t]);
        const ScanPart wholeTodos = wholeFilePart(*todos, file, texts[t]);
        const ScanPart wholeSubs = wholeFilePart(**subs, file, texts[t]);
        for (const std::size_t blockSize : {1, 2, 3, 7, 64, 100, 4099}) {
            const std::string what = "text " + std::to_string(t) + ", blocks of " + std::to_string(blockSize);
            LineBlocks blocks(blockSize);
            for (auto [scanner, whole] : {std::pair{todos.get(), &wholeTodos}, std::pair{subs->get(), &wholeSubs}}) {
                ScanPart part;
                const FileOutcome outcome = scanFile(file, blocks, *scanner, part);
                ASSERT_FALSE(outcome.error) << what;
                EXPECT_FALSE(outcome.binary) << what;
                EXPECT_TRUE(part.text.empty() || outcome.utf8 == isValidUtf8(texts[t])) << what;
                EXPECT_EQ(part.text, whole->text) << what;
                EXPECT_EQ(part.lines, whole->lines) << what;
                EXPECT_EQ(found(part.records), found(whole->records)) << what;
                // Without places and records (a printed report) the text is the same.
                ScanPart textOnly;
                textOnly.detailed = false;
                ASSERT_FALSE(scanFile(file, blocks, *scanner, textOnly).error) << what;
                EXPECT_EQ(textOnly.text, whole->text) << what;
                EXPECT_TRUE(textOnly.lines.empty() && textOnly.records.empty()) << what;
            }
        }
    }
}

// Indented comments and code with a trailing comment continue a block across every block edge.
TEST(LineBlocks, IndentedContinuationsGoOnOverBlockEdges)
{
    test::TempDir temp;
    const std::filesystem::path file(temp.write("a.bas", "x\r\n  ' TODO: a\r\n    ' b\r\nq = 1 ' c\r\n\t' d\r\nend\r\n' TODO: e\r\n  ' f\r\n"));
    const std::unique_ptr<FileScanner> scanner = todoScanner();
    for (std::size_t blockSize = 1; blockSize <= 60; ++blockSize) {
        LineBlocks blocks(blockSize);
        ScanPart part;
        ASSERT_FALSE(scanFile(file, blocks, *scanner, part).error);
        EXPECT_EQ(found(part.records), (Found{{2, "  ' TODO: a\n    ' b\nq = 1 ' c\n\t' d"}, {7, "' TODO: e\n  ' f"}}))
            << blockSize;
    }
}

// The runs join to the file, none longer than a block unless one line is (where they end is
// proven by the reports above).
TEST(LineBlocks, RunsJoinToTheFileWithinABlockUnlessOneLineIsLonger)
{
    test::TempDir temp;
    const std::vector<std::string> texts = generatedTexts();
    for (std::size_t t = 0; t < texts.size(); t += 7) {
        const std::filesystem::path path = temp.write("f.txt", texts[t]);
        for (const std::size_t blockSize : {1, 5, 64, 100}) {
            LineBlocks blocks(blockSize);
            ASSERT_TRUE(blocks.open(path));
            std::string joined;
            for (auto run = blocks.next(); run && !run->empty(); run = blocks.next()) {
                joined += *run;
                const std::size_t firstEnd = std::min(run->find_first_of("\r\n"), run->size());
                EXPECT_TRUE(run->size() <= blockSize + 1 || firstEnd + 2 >= run->size()) << t << "/" << blockSize;
            }
            EXPECT_EQ(joined, texts[t]) << t << "/" << blockSize;
        }
    }
}

TEST(ScanReportIndex, EveryReportLineKnowsItsFileAndLine)
{
    test::TempDir temp;
    // Every line end counts as one line; a name with a line break is two box lines, both the file's.
    temp.write("a.bas", "code\r\n' TODO: one\r\n' two\r\ncode\r\n\n\r' TODO: three\n");
    temp.write("b\nc.bas", "x\r\nPublic Sub A()\r\n\r\n  Private Function B()");
    // Each report line's line in the file (0 for a separator or blank), and each record's.
    const auto expectPlaces = [](const auto& report, const std::vector<std::uint64_t>& lines, const Found& records) {
        ASSERT_EQ(report.found.files.size(), 1u);
        ASSERT_EQ(report.places.size(), splitLines(report.text).size());
        std::vector<ReportPlace> places;
        for (const std::uint64_t line : lines)
            places.push_back({0, line});
        EXPECT_EQ(report.places, places);
        EXPECT_EQ(found(report.found.items), records);
    };
    const ScanReport todos = findTodos(Folder(temp.path()));
    expectPlaces(todos, {0, 1, 2, 3, 0, 7, 0, 0, 0, 0}, {{2, "' TODO: one\n' two"}, {7, "' TODO: three"}});
    EXPECT_EQ(todos.found.files[0].path, temp / "a.bas");
    const auto subs = findSubsAndFuncts(Folder(temp.path()));
    ASSERT_TRUE(subs);
    expectPlaces(*subs, {1, 1, 2, 4}, {{2, "Public Sub A()"}, {4, "  Private Function B()"}});
    EXPECT_EQ(subs->found.items[1].kind, RecordKind::Declaration);
}

// An ELF executable and a static library are passed over and counted; text with high bytes, and a
// NUL past the first 64 KiB, is still text; each file's encoding is its own; the skip list is by
// exact case, and its files are never reported.
TEST(ScanReportIndex, BinaryAndListedFilesAreSkippedAndEachFileKeepsItsEncoding)
{
    test::TempDir temp;
    using namespace std::literals;
    temp.write("app", "\x7F" "ELF\x02\x01\x01\0\0\0' TODO: in a binary\n"sv);
    temp.write("lib.a", "!<arch>\n/   0   0  0  644  8  `\n\0\0\0\x01' TODO: symbol\n"sv);
    temp.write("cp1252.bas", "' TODO: caf\xE9\r\n");
    temp.write("utf8.bas", "' TODO: na\xC3\xAFve\r\n");
    temp.write("late.bas", std::string(binaryProbeSize, 'x') + "\r\n' TODO: late" + std::string(1, '\0'));
    for (const char* name : {"logo.gif", "archive.zip", "LOGO.GIF", "page.html"})  // html: on the other list only
        temp.write(name, "' TODO: here\r\n");

    const ScanReport report = findTodos(Folder(temp.path()));
    EXPECT_EQ(report.binarySkipped, 2u);
    std::vector<std::filesystem::path> names;
    for (const auto& file : report.found.files)
        names.push_back(file.path.lexically_relative(temp.path()));
    ASSERT_EQ(names, (std::vector<std::filesystem::path>{"cp1252.bas", "late.bas", "LOGO.GIF", "page.html", "utf8.bas"}));
    EXPECT_FALSE(report.found.files[0].utf8);
    EXPECT_TRUE(report.found.files[4].utf8);
}

}  // namespace
}  // namespace qb
