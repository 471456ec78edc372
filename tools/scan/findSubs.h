// The declaration scanner: the lines of source files that declare a procedure or a property, or
// import a namespace, listed file by file. For every file with such lines the report holds its
// full path and CR LF, then a tab, the line as read and CR LF for each of them.
#pragma once

#include "core/error.h"
#include "core/fs.h"
#include "core/regex.h"
#include "core/walk.h"
#include "tools/scan/leadFilter.h"
#include "tools/scan/scanRun.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qb {

// Tested in this order, case ignored; a line counts when one of them matches at its start.
inline constexpr std::array<std::string_view, 8> subOrFunctPatterns = {
    R"(^\s*Public Sub)",      R"(^\s*Private Sub)",
    R"(^\s*Public Function)", R"(^\s*Private Function)",
    R"(^\s*Public ReadOnly Property)", R"(^\s*Public Property)",
    R"(^Imports)",            R"(^\s*Shared Sub)",
};

// A file whose name holds one of these (case respected) is not read.
inline constexpr std::array<std::string_view, 8> subsSkipList = {
    ".bmp", ".exe", ".dll", ".zip", ".html", ".htm", ".gif", ".jpg",
};

// The patterns compiled once for a whole scan, with a quick first test in front (see
// leadFilter.h) that leaves most lines without a single pattern to run.
class SubOrFunctTest {
public:
    static Result<SubOrFunctTest> compile();

    // True when one of the patterns matches the line.
    Result<bool> isSubOrFunct(std::string_view strLine);
    // Appends a tab, the line and CR LF for each line of `text` that isSubOrFunct, with a record.
    // `line` is the number of the text's first line; with `countAll`, it is moved on to the line
    // that would follow the text (for a text that comes a run of whole lines at a time).
    Result<void> appendMatchingLines(std::string_view text, ScanPart& part);
    Result<void> appendMatchingLines(std::string_view text, ScanPart& part, std::uint64_t& line, bool countAll);

private:
    explicit SubOrFunctTest(std::vector<Regex> patterns);
    // True when one of the patterns in `worth` (a bit each) matches the line.
    Result<bool> testPatterns(std::string_view strLine, std::uint32_t worth);

    std::vector<Regex> patterns_;
    LeadFilter filter_;
};

// The scanner that findSubsAndFuncts runs on each file: its path line and its matching lines, or
// nothing when no line matches.
Result<std::unique_ptr<FileScanner>> subsScanner();

// The report for every file below `myFolder`; a request on `stop` cancels it (scanRun.h).
Result<ScanReport> findSubsAndFuncts(const Folder& myFolder, ProgressCallback progress = {}, std::stop_token stop = {});
// The report for picked files, in the order given; paths that are not existing files are passed over.
Result<ScanReport> findSubsInFiles(const std::vector<std::filesystem::path>& paths, ProgressCallback progress = {},
                                   std::stop_token stop = {});
// The report for each path in order: a folder as findSubsAndFuncts walks it, a file by itself.
Result<ScanReport> findSubsIn(const std::vector<std::filesystem::path>& paths, ProgressCallback progress = {},
                              ScanOutput output = {}, std::stop_token stop = {});

}  // namespace qb
