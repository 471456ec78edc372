// Helpers shared by the parts of the file-system layer (streams, copy and replace, listing).
// Not for tools: they go through shell/fs.h.
#pragma once

#include "shell/error.h"
#include "shell/fsSys.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
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

// Opens `path` for reading. A FIFO, device or socket is refused before it is opened (a FIFO would
// block, a device may have side effects); a folder is opened (callers report it).
Result<sys::UniqueFd> openInput(const std::filesystem::path& path, struct stat& st);

// A temporary file (see tempFilePattern in fs.h), open for reading and writing and locked with
// flock for as long as its descriptor is open, so no later run takes it for debris.
struct TempFile {
    sys::UniqueFd fd;
    std::filesystem::path path;
};

// A new, empty temporary file in the folder of `target`, created with 0666 so the umask applies
// as to any new file. It is locked before it has its name where the system allows. Errors name
// `target`; a target name too long for the file system is refused before anything is made.
Result<TempFile> createTemp(const std::filesystem::path& target);

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

// Removes the temporary files among `names` in `folder` that no live run holds; how many.
std::uint64_t removeDebris(const std::filesystem::path& folder, const std::vector<std::string>& names);
// The names in `folder` that follow the temporary-file pattern, whatever they name.
Result<std::vector<std::string>> tempNamesIn(const std::filesystem::path& folder);

}  // namespace qb::detail
