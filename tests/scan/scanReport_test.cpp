// What a scan keeps beside its report text: the place of every line, the records of what was
// found, each file's encoding, and the binary files it passed over.
#include "tools/scan/findSubs.h"
#include "tools/scan/findTodos.h"

#include "shell/fileText.h"
#include "shell/mdlText.h"

#include <gtest/gtest.h>

#include "support/recorder.h"

namespace qb {
namespace {

TEST(ScanReportIndex, EveryReportLineKnowsItsFileAndLine)
{
    test::TempDir temp;
    // Mixed line ends: CR LF, LF and a lone CR must all count as one line each.
    temp.write("a.bas", "code\r\n' TODO: one\r\n' two\r\ncode\r\n\n\r' TODO: three\n");
    // A name with a line break shows as two lines in the box; both point at the file.
    temp.write("b\nc.bas", "x\r\nPublic Sub A()\r\n\r\n  Private Function B()");

    // Each report line's line in the file (0 for a separator or blank), and each record's line and text.
    const auto expectPlaces = [](const auto& report, const std::vector<std::uint64_t>& lines,
                                 const std::vector<std::pair<std::uint64_t, std::string>>& records) {
        ASSERT_EQ(report.found.files.size(), 1u);
        ASSERT_EQ(report.places.size(), splitLines(report.text).size());
        std::vector<ReportPlace> places;
        for (const std::uint64_t line : lines)
            places.push_back({0, line});
        EXPECT_EQ(report.places, places);
        std::vector<std::pair<std::uint64_t, std::string>> found;
        for (const auto& item : report.found.items)
            found.emplace_back(item.line, item.text);
        EXPECT_EQ(found, records);
    };
    const ScanReport todos = findTodos(Folder(temp.path()));
    expectPlaces(todos, {0, 1, 2, 3, 0, 7, 0, 0, 0, 0}, {{2, "' TODO: one\n' two"}, {7, "' TODO: three"}});
    EXPECT_EQ(todos.found.files[0].path, temp / "a.bas");
    const auto subs = findSubsAndFuncts(Folder(temp.path()));
    ASSERT_TRUE(subs);
    expectPlaces(*subs, {1, 1, 2, 4}, {{2, "Public Sub A()"}, {4, "  Private Function B()"}});
    EXPECT_EQ(subs->found.items[1].kind, RecordKind::Declaration);
}

// An ELF executable and a static library are passed over and counted; text with bytes of 0x80 and
// above, and a NUL past the first 64 KiB, are still text. Each file's encoding is decided alone.
TEST(ScanReportIndex, BinaryFilesAreSkippedAndCountedAndEachFileKeepsItsEncoding)
{
    test::TempDir temp;
    using namespace std::literals;
    temp.write("app", "\x7F" "ELF\x02\x01\x01\0\0\0' TODO: in a binary\n"sv);
    temp.write("lib.a", "!<arch>\n/   0   0  0  644  8  `\n\0\0\0\x01' TODO: symbol\n"sv);
    temp.write("cp1252.bas", "' TODO: caf\xE9\r\n");
    temp.write("utf8.bas", "' TODO: na\xC3\xAFve\r\n");
    temp.write("late.bas", std::string(binaryProbeSize, 'x') + "\r\n' TODO: late" + std::string(1, '\0'));

    const ScanReport report = findTodos(Folder(temp.path()));
    EXPECT_EQ(report.binarySkipped, 2u);
    EXPECT_EQ(scanProblemsMessage(report), "2 binary files skipped");
    ASSERT_EQ(report.found.files.size(), 3u);
    EXPECT_EQ(report.found.files[0].path, temp / "cp1252.bas");
    EXPECT_FALSE(report.found.files[0].utf8);
    EXPECT_EQ(report.found.files[1].path, temp / "late.bas");
    EXPECT_EQ(report.found.files[2].path, temp / "utf8.bas");
    EXPECT_TRUE(report.found.files[2].utf8);
}

}  // namespace
}  // namespace qb
