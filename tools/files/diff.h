// Unified diffs of two versions of a file, as `git apply` and `patch -p1` take them. The lines are
// compared byte for byte, each with its own line end (a diff splits at LF only, as those tools
// do, so a CR LF line shows its CR), and a last line without an end is followed by the
// "\ No newline at end of file" marker. The edit script comes from a packaged Myers diff.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qb {

struct DiffCounts {
    std::uint64_t removed = 0;
    std::uint64_t added = 0;
};

// The hunks (3 lines of context) that turn `before` into `after`, headed "--- a/PATH" and
// "+++ b/PATH"; empty when the two are the same. `path` is the file's path relative to the folder
// the diff is for, with "/" between its parts.
std::string unifiedDiff(std::string_view before, std::string_view after, std::string_view path);

// How many lines the change removes and adds, without making the text.
DiffCounts diffCounts(std::string_view before, std::string_view after);

}  // namespace qb
