// Search and replace lines from a pair file: every line of every file directly in a folder goes
// through a fixed list of search-and-replace pairs, read from "replaceLines.txt" in the program's
// folder, and the changed copy is written to "copies" in that folder. Each line-and-pair step is
// traced to "debug.out" in the program's folder.
//
//   parsePairs      pair-file lines -> pairs (an odd last line is ignored)
//   replaceAll      one line, one pair -> the line with every occurrence replaced
//   snp             one file -> its copy, plus its debug entries
//   runReplaceLines a whole run over a folder, with progress
#pragma once

#include "shell/error.h"
#include "shell/fs.h"
#include "shell/walk.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace qb {

inline constexpr std::string_view pairFileName = "replaceLines.txt";
inline constexpr std::string_view debugFileName = "debug.out";

struct ReplacePair {
    std::string search;
    std::string replacement;
    friend bool operator==(const ReplacePair&, const ReplacePair&) = default;
};

// Lines 1 and 2 make the first pair, 3 and 4 the second, and so on; nothing is trimmed.
std::vector<ReplacePair> parsePairs(const std::vector<std::string>& lines);

// Replaces every occurrence of `search` in `line`, left to right without overlapping; the
// replacement is not searched again. Exact and case-sensitive; an empty search changes nothing.
void replaceAll(std::string& line, std::string_view search, std::string_view replacement);

// The debug entry for one step: three line breaks, the line as it was before the pair, a line
// break, the search text, a line break.
void appendDebugEntry(std::string& out, std::string_view line, std::string_view search);

// Writes the changed copy of one file into "copies" beside it (through a temporary file, an
// earlier copy replaced only when the new one is whole, a read-only one refused) and appends its
// debug entries.
Result<void> snp(const FileSystemObject& fso, const std::filesystem::path& strFilePath,
                 const std::vector<ReplacePair>& pairs, TextStream& debug);

// A whole run over the files directly in `folder`. The pair file must exist in `programFolder`
// before anything is written: without it (or when it cannot be read) the run does not start. The
// debug file is never taken as an input. The first failure ends the run and is the report's one
// failure; copies finished before it stay (counted as written). The report has no text.
Result<RunReport> runReplaceLines(const std::filesystem::path& folder, const std::filesystem::path& programFolder,
                                  ProgressCallback progress = {});
// The same with the pair file and the debug file named. A debug file that the user named may also
// be a descriptor, device, FIFO or socket (FileSystemObject::createOutput); one that is the pair
// file is refused (75) before anything is read.
Result<RunReport> runReplaceLinesFrom(const std::filesystem::path& folder, const std::filesystem::path& pairPath,
                                      const std::filesystem::path& debugPath, ProgressCallback progress = {},
                                      NamedBy debugNamedBy = NamedBy::Tool);

}  // namespace qb
