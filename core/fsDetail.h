// Helpers shared by the parts of the file-system layer (streams, copy and replace, listing).
// Not for tools: they go through core/fs.h.
#pragma once

#include "core/error.h"
#include "core/fsSys.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <sys/stat.h>

namespace qb::detail {

inline constexpr std::size_t blockSize = 64 * 1024;

bool statPath(const std::filesystem::path& path, struct stat& st);
bool isFolder(const std::filesystem::path& path);
// The folder that holds `path` ("." for a bare name).
std::filesystem::path folderOf(const std::filesystem::path& path);
bool hasWriteBit(const struct stat& st);

// An error from opening or creating `path`: a missing file whose folder is missing too is
// reported as a missing path (76), a missing file in an existing folder as 53.
Error openError(int errnoValue, const std::filesystem::path& path);
// "path: reason" under `number`.
Error describedError(int number, const std::filesystem::path& path, std::string_view reason);

// The kind of a file that is not a regular one ("a FIFO", "a device"...), for messages.
std::string_view kindOf(const struct stat& st);

// Where a write to `path` lands: through a link, the file the link points at (so the link stays).
std::filesystem::path replacementTarget(const std::filesystem::path& path);

// A folder's path without trailing separators, so that its last part is its name.
std::filesystem::path withoutTrailingSeparator(std::filesystem::path path);

// `path` made absolute and lexically normal.
std::filesystem::path normalPath(const std::filesystem::path& path);

// The refusal of a link below a tree: error 75 naming it.
Error linkRefused(const std::filesystem::path& link);

// A folder tree that writes stay below: its path (absolute, lexically normal) and, once it was
// needed, the folder open, so each write below it resolves only the part below the tree.
struct Tree {
    std::filesystem::path path;
    mutable std::mutex mutex;
    mutable sys::UniqueFd fd;
};

// Opens `folder` for making and naming files in it. When `tree` is given and `folder` lies in or
// below it, each folder below the tree is opened relative to the one above without following
// links: a link on the way is refused (linkRefused). Otherwise the folder is opened by its path.
Result<sys::UniqueFd> openFolder(const std::filesystem::path& folder, const Tree* tree);

// Where one file is written: its folder, open, and its path (whose last part is its name there).
struct Place {
    sys::UniqueFd folder;
    std::filesystem::path path;
    bool confined = false;  // below a tree: a link at the name is refused, never followed
    std::string name() const { return path.filename().native(); }
    // lstat of the name in the folder: false (errno set) when there is nothing or it cannot be seen.
    bool look(struct stat& st) const;
};

// The place of a write to `path`. Below `tree` (see openFolder) a link at the name is refused;
// elsewhere the place is that of the file a link at the name points to (replacementTarget).
Result<Place> openPlace(const std::filesystem::path& path, const Tree* tree);

// Opens `path` for reading. A FIFO, device or socket is refused before it is opened (a FIFO would
// block, a device may have side effects); a folder is opened (callers report it).
Result<sys::UniqueFd> openInput(const std::filesystem::path& path, struct stat& st);

// A temporary file (see tempFilePrefix in fs.h), open for reading and writing and locked with
// flock for as long as its descriptor is open, so no later run takes it for debris. `folder` is
// the open folder that holds it and its target.
struct TempFile {
    sys::UniqueFd fd;
    std::filesystem::path path;
    sys::UniqueFd folder;
};

// A new, empty temporary file in the place's folder, created with 0666 so the umask applies as to
// any new file, and locked before it has a name that a cleaner considers. Errors name the place's
// path; a name too long for the file system is refused before anything is made. The place's
// folder moves into the temporary file.
Result<TempFile> createTemp(Place& target);

struct PublishPlan {
    bool replace = true;                   // false: an existing target is refused (58), race-free
    bool syncFile = false;                 // the contents reach the disk before the name does
    bool syncFolder = false;               // the name reaches the disk before publish returns
    std::optional<struct stat> attributesOf;  // owner and mode to give the file, when set
};

// Completes a temporary file as `target`: attributes, sync, checked close, the name, the folder's
// sync. Errors name `shown`. On failure the temporary file is removed and the target is as it was.
Result<void> publish(TempFile& temp, const std::filesystem::path& target, const PublishPlan& plan,
                     const std::filesystem::path& shown);
// Closes and removes a temporary file that is not to be published.
void discard(TempFile& temp) noexcept;

// The wall clock, in nanoseconds since the epoch. A file written before the call has a time at or
// before it, whether the file system stamps times from the coarse clock or (newer kernels) from a
// finer one; the coarse clock itself may lag such a time by a tick.
std::int64_t wallClockNow();

// Removes the temporary files among `names` in the open folder `folder` that no live run holds
// and that were last written before `before` (wallClockNow() at the start of the run); how many.
std::uint64_t removeDebris(int folder, const std::vector<std::string>& names, std::int64_t before);
// The names in the open folder `folderFd` (at `folder`, for messages) that follow the
// temporary-file pattern and are not folders.
Result<std::vector<std::string>> tempNamesIn(const std::filesystem::path& folder, int folderFd);

}  // namespace qb::detail
