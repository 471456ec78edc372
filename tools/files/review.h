// Reviewing the copies a run wrote against their originals, and taking chosen ones over.
//
//   stampCopies    before a copies run: each input and its copy as they stand (no bytes read)
//   runReviewed    a copies run between the two
//   reviewCopies   after it: each copy the run wrote that differs from its original, with the
//                  original recorded as the run read it (size, modification time, SHA-256)
//   reviewPlan     the chosen changes as an ApplyPlan: each original takes its copy's bytes,
//                  through applyEdits (durable backup, manifest, atomic replace)
//   discardCopies  removes the copies the run wrote, and the copy folders left empty
//   diffRows       a unified diff as numbered rows, for a view
//
// A copies run reads each original once, to make its copy, and keeps nothing. What the apply
// needs is recorded right after the run instead: an original whose size or modification time
// is not what it was before the run was changed while the run worked, and is not offered (its
// copy may hold the older bytes). A copy the run did not write (it failed, or the run was
// cancelled before it) is never offered either, whatever an earlier run left there.
#pragma once

#include "core/error.h"
#include "core/walk.h"
#include "tools/files/apply.h"
#include "tools/files/diff.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qb {

// Where a tool puts the copy of an original.
using CopyPathFor = std::function<std::filesystem::path(const std::filesystem::path& original)>;

// What stands at a path, without reading it: the entry itself, a link not followed.
struct FileStamp {
    bool exists = false;
    std::uint64_t device = 0, inode = 0, size = 0;
    std::int64_t modified = 0;  // nanoseconds since the epoch
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};
FileStamp stampOf(const std::filesystem::path& path);

// A copies run about to start: its tool, its folder, and each input with its copy, stamped.
struct CopiesRun {
    std::string tool;  // as manifests name it: "erase", "replace"
    std::filesystem::path folder;
    CopyPathFor copyOf;
    std::vector<std::filesystem::path> inputs;
    std::vector<FileStamp> originals, copies;  // one for each input, before the run
};
CopiesRun stampCopies(std::string tool, std::filesystem::path folder, std::vector<std::filesystem::path> inputs,
                      CopyPathFor copyOf);

// The two tools' runs, stamped: Erase and Spew Chunks over `base` (copies mirrored below
// base/copies) and Search and Replace over `folder` (copies in folder/copies), each over the files
// its run reads.
CopiesRun stampEraseRun(const std::filesystem::path& base, bool recursive);
CopiesRun stampReplaceRun(const std::filesystem::path& folder, const std::filesystem::path& debugPath);

struct ReviewedChange {
    enum class Kind {
        Lines,     // lines change
        LineEnds,  // only line ends change: the same lines, each with another end
    };
    PlannedEdit edit;  // the original as the run read it, and the hash of its copy
    std::filesystem::path copy;
    Kind kind = Kind::Lines;
    DiffCounts counts;
};

// What a copies run changed.
struct CopyReview {
    std::string tool;
    std::filesystem::path folder;
    CopyPathFor copyOf;
    std::vector<ReviewedChange> changes;           // in the run's order
    std::vector<std::filesystem::path> copies;     // every copy the run wrote
    std::vector<FileStamp> copyStamps;             // each as the run left it
    RunReport report;  // counts: files (copies the run wrote), changed, binary; failures: originals
                       // that could not be read, or were changed while the run worked
};

// After the run that `before` stamped. Reads each original and copy whole, one pair at a time;
// a pair with a side larger than reviewedFileLimit is left out, and a note says how many were.
inline constexpr std::uint64_t reviewedFileLimit = std::uint64_t(64) << 20;
CopyReview reviewCopies(const CopiesRun& before, std::uint64_t fileLimit = reviewedFileLimit);

// Runs `run`, a copies run, after `before` stamped it; `review` then gets what it changed.
Result<RunReport> runReviewed(const CopiesRun& before, const std::function<Result<RunReport>()>& run,
                              CopyReview& review);

// The changes chosen (indexes into review.changes) as a plan for applyEdits.
ApplyPlan reviewPlan(const CopyReview& review, const std::vector<std::size_t>& chosen);

// Removes each copy the run wrote that is still as it left it (one changed since is kept and
// named among the failures), then every copy folder below the review's folder left empty.
RunReport discardCopies(const CopyReview& review);

// One row of a diff as a view shows it: a hunk's head, or a line with its numbers (0: the side
// does not have it). `text` is the line's bytes without its LF (a CR LF line keeps its CR).
struct DiffRow {
    enum class Kind { Hunk, Context, Removed, Added } kind = Kind::Context;
    std::uint64_t oldLine = 0, newLine = 0;
    std::string_view text;
    bool noNewline = false;  // the file's last line, with no line end
};
// The rows of unifiedDiff's text, which they point into.
std::vector<DiffRow> diffRows(std::string_view unified);

}  // namespace qb
