// Helpers shared by the parts of the file-system layer (streams, copy and replace, listing).
// Not for tools: they go through shell/fs.h.
#pragma once

#include "shell/error.h"
#include "shell/fsSys.h"

#include <cstddef>
#include <filesystem>
#include <string_view>

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

}  // namespace qb::detail
