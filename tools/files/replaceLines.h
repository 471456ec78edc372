// Search and replace lines from a pair file: every line of every file directly in a folder goes
// through a fixed list of search-and-replace pairs, read from "replaceLines.txt" in the program's
// folder, and the changed copy is written to "copies" in that folder. Each line-and-pair step is
// traced to "debug.out" in the program's folder (the window always; the command when asked).
//
//   parsePairs      pair-file lines -> pairs (an odd last line is ignored)
//   PairChain       the pairs over one line at a time, which may come in parts
//   replaceAll      one line, one pair -> the line with every occurrence replaced
//   snp             one file -> its copy, plus its debug entries
//   runReplaceLines a whole run over a folder, with progress
//
// A line is taken a block at a time, so memory stays at a few blocks whatever the length of a
// line, with the trace too. A binary file (a NUL byte in its first 64 KiB) is copied as it is and
// counted apart.
#pragma once

#include "core/error.h"
#include "core/fs.h"
#include "core/lineEnds.h"
#include "core/walk.h"

#include <filesystem>
#include <span>
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

// One pair over a line that may come in parts: every occurrence of the search text is replaced,
// left to right without overlapping, and the replacement is not searched again (exact and
// case-sensitive; an empty search changes nothing). The bytes at the end of a part that may start
// an occurrence wait for the next part, so the parts give what the whole line would.
class PairStage {
public:
    explicit PairStage(const ReplacePair& pair) : pair_(&pair) {}
    const std::string& search() const { return pair_->search; }
    // Appends to `out` what `part` settles.
    void push(std::string_view part, std::string& out);
    // The line ends: what waited goes out.
    void endLine(std::string& out);

private:
    const ReplacePair* pair_;
    std::string held_;
};

// The pairs in order, each over what the ones before it made.
class PairChain {
public:
    explicit PairChain(std::span<const ReplacePair> pairs);
    void push(std::string_view part, std::string& out);
    void endLine(std::string& out);
    // A whole line through the pairs (copied only where a pair finds something), each step traced
    // to `debug` first when given: three line breaks, the line as it is before the pair, a line
    // break, the search text, a line break.
    Result<void> line(std::string_view line, TextStream* debug, std::string& out);

private:
    // Runs `part` through the stages (ending the line when `end`) and appends the result to `out`.
    void pass(std::string_view part, bool end, std::string& out);
    std::vector<PairStage> stages_;
    std::string scratch_[2];  // each stage's output, the next one's input
};

// The whole line through one pair.
void replaceAll(std::string& line, std::string_view search, std::string_view replacement);

// Writes the changed copy of one file into "copies" beside it (through a temporary file, an
// earlier copy replaced only when the new one is whole, a read-only one refused) and, when
// `debug` is given, appends its debug entries. True when the file was binary and copied as is.
// Each line of the copy ends in CR LF, or with `ends` Keep as it ended in the file.
Result<bool> snp(const FileSystemObject& fso, const std::filesystem::path& strFilePath,
                 const std::vector<ReplacePair>& pairs, TextStream* debug, LineEnds ends = LineEnds::CrLf);

// A whole run over the files directly in `folder`. The pair file must exist in `programFolder`
// before anything is written: without it (or when it cannot be read) the run does not start. The
// debug file is never taken as an input. The first failure ends the run and is the report's one
// failure; copies finished before it stay (counted as written). The report has no text.
Result<RunReport> runReplaceLines(const std::filesystem::path& folder, const std::filesystem::path& programFolder,
                                  ProgressCallback progress = {}, LineEnds ends = LineEnds::CrLf);
// The same with the pair file and the debug file named; an empty debug path writes no trace. A
// debug file that the user named may also be a descriptor, device, FIFO or socket
// (FileSystemObject::createOutput); one that is the pair file is refused (75) before anything is
// read. ListOnly writes nothing: the report's `listed` holds the copies, then the debug file.
Result<RunReport> runReplaceLinesFrom(const std::filesystem::path& folder, const std::filesystem::path& pairPath,
                                      const std::filesystem::path& debugPath, ProgressCallback progress = {},
                                      NamedBy debugNamedBy = NamedBy::Tool, CopyMode mode = CopyMode::Write,
                                      LineEnds ends = LineEnds::CrLf);

}  // namespace qb
