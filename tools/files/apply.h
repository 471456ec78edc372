// Applying edited files to their originals, and undoing that.
//
//   recordOriginal  a file as a run read it: size, modification time, SHA-256 of its bytes
//   applyEdits      each planned file: still as recorded? durable backup, then atomic replace
//   startManifest   the journal of an apply, on disk before anything is touched (Update Files
//                   keeps its own backups and writes the same journal)
//   readManifest    an apply's journal -> what it did to each file
//   listApplies     every apply in the data folder, newest first
//   undoApply       each applied file that still holds what the apply wrote gets its backup back
//
// Every apply keeps a folder of its own under DATA/applies: its manifest (a journal) and a
// backup of each original, so the user's tree gains no stray files. The manifest lists every
// file (path, backup path, hash before, hash after) and reaches the disk before the first
// original is touched, and each file is then marked as it is done. A file is only ever replaced
// whole (temporary file, synced, renamed) once its backup is on disk, so an apply or undo killed
// at any moment leaves every original whole, old or new, and its hash says which: undo goes by
// the hashes rather than the marks, and can finish what a killed run left.
#pragma once

#include "core/error.h"
#include "core/walk.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace qb {

// The lower-case hex SHA-256 of `bytes`. Throws when OpenSSL's library cannot be loaded (a
// broken installation): a run that cannot tell an original from a changed one must not go on.
std::string contentHash(std::string_view bytes);

// A file as a run read it.
struct Original {
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // nanoseconds since the epoch
    std::string hash;
    friend bool operator==(const Original&, const Original&) = default;
};

// Reads `path` whole into `bytes` and records it. A link, FIFO or device is refused (error 75):
// nothing is ever applied through a link.
Result<Original> recordOriginal(const std::filesystem::path& path, std::string& bytes);

// The bytes a file is to hold, made from the bytes it holds. An apply makes them again as it
// reaches each file (they must hash as planned), so it holds one file's bytes at a time.
using MakeAfter = std::function<Result<std::string>(const std::filesystem::path& file, std::string_view before)>;

struct PlannedEdit {
    std::filesystem::path path;  // absolute
    Original original;           // as the run read it
    std::string afterHash;       // the hash of the bytes the file is to hold
};

struct ApplyPlan {
    std::string tool;             // the command's name: "erase", "replace"
    std::filesystem::path folder;  // the folder the run was over
    std::vector<PlannedEdit> edits;
    MakeAfter makeAfter;
};

struct ApplyResult {
    std::filesystem::path manifest;  // empty when nothing was planned
    RunReport report;                // counts.written: files replaced; failures: refusals and errors
};

// Applies `plan`, keeping its manifest and backups in a new folder below `dataFolder`/applies.
// Fails as a whole only when that folder or the manifest cannot be made (nothing touched then);
// a file changed since it was recorded, or one that cannot be backed up or replaced, is refused
// on its own and the others go on. A stop request ends it after the file at hand (the report says
// it was cancelled; the files not reached stay as they were).
Result<ApplyResult> applyEdits(const ApplyPlan& plan, const std::filesystem::path& dataFolder,
                               std::stop_token stop = {});

// One file of an apply's manifest.
struct ManifestFile {
    std::filesystem::path path;
    std::filesystem::path backup;  // empty: made in the apply's own folder
    std::string hashBefore;
    std::string hashAfter;
};

// Starts an apply of `files` by `tool` over `folder`: makes the apply's own folder below
// `dataFolder`/applies and writes its manifest there, on disk before this returns, so before
// anything is touched. A file without a backup path gets one in that folder. The manifest's path.
Result<std::filesystem::path> startManifest(std::string_view tool, const std::filesystem::path& folder,
                                            std::vector<ManifestFile>& files, const std::filesystem::path& dataFolder);
// Marks file `number` (counted from 1) of a manifest as done or refused, as it happens.
enum class Mark { Done, Refused };
Result<void> markFile(const std::filesystem::path& manifest, std::size_t number, Mark what);

// What a manifest says about one file.
struct AppliedFile {
    std::size_t number = 0;
    std::filesystem::path path;
    std::filesystem::path backup;
    std::string hashBefore;
    std::string hashAfter;
    enum class State { Planned, Done, Refused, Undone } state = State::Planned;
};

struct ApplyRecord {
    std::filesystem::path manifest;
    std::string tool;
    std::string time;  // UTC, "YYYY-MM-DD HH:MM:SS"
    std::filesystem::path folder;
    std::vector<AppliedFile> files;
    // Files that an undo would still look at: done, or planned (the apply may have been killed).
    std::size_t undoable() const;
};

Result<ApplyRecord> readManifest(const std::filesystem::path& manifest);
// The same from the manifest's bytes.
Result<ApplyRecord> parseManifest(const std::filesystem::path& manifest, std::string_view bytes);

// Every complete manifest below `dataFolder`/applies, newest first.
std::vector<ApplyRecord> listApplies(const std::filesystem::path& dataFolder);

// Restores each file of the apply that still holds the applied bytes from its backup (checked
// against the hash before), newest first, and marks it undone. A file that holds neither the applied bytes nor
// the original ones was changed since: it is refused with a message, and the rest is undone. A
// file that already holds the original bytes is only marked. The temporary files that a killed
// apply or undo left beside the files are removed. A stop request ends it after the
// file at hand; undoing again finishes it.
Result<RunReport> undoApply(const std::filesystem::path& manifest, std::stop_token stop = {});

// "applies" below the data folder.
std::filesystem::path appliesFolder(const std::filesystem::path& dataFolder);

}  // namespace qb
