// A TODO baseline for CI: the blocks a scan found, kept in a file, so that a later scan reports
// only the blocks that are new. A block is known by the path of its file relative to the folder
// that was scanned (a file given by itself: its name), its kind and its text, each line trimmed of
// the white space around it; not by its line number, so moved code, re-indented code and a
// checkout in another place stay quiet. Two identical blocks in one file count twice.
//
// The file: a first line "# quillbox todo baseline 1", then one block a line: path, a tab, kind,
// a tab, the text, with backslash, tab, CR and LF written as \\ \t \r \n.
#pragma once

#include "core/error.h"
#include "tools/scan/scanRun.h"

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace qb {

struct BaselineBlock {
    std::string path;  // relative, with / between names
    std::string kind;
    std::string text;

    friend auto operator<=>(const BaselineBlock&, const BaselineBlock&) = default;
};

// How many times each block stands in a baseline.
using Baseline = std::map<BaselineBlock, std::size_t>;

// The blocks of `report` (a scan with its records) of the paths `roots`, in report order.
std::vector<BaselineBlock> baselineBlocks(const ScanReport& report, const std::vector<std::filesystem::path>& roots);

std::string writeBaseline(const std::vector<BaselineBlock>& blocks);
// An error names `source` and the line that is not a block.
Result<Baseline> readBaseline(std::string_view text, std::string_view source);

// `report` with only the blocks that `baseline` does not hold, its text made again in the TODO
// report's shape.
ScanReport withoutBaselined(ScanReport report, const std::vector<std::filesystem::path>& roots, Baseline baseline);

}  // namespace qb
