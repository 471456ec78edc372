// Copies, backups and their names, as the bulk editing tools make them: a new copy is written to a
// temporary file and renamed over an earlier one only when whole, so a failure leaves the earlier
// copy as it was (one that may not be replaced, read-only say, is refused).
#pragma once

#include "core/error.h"
#include "core/fs.h"

#include <filesystem>
#include <functional>
#include <string_view>

namespace qb {

// Refuses a name made from `file`'s (its backup's, its copy's) of `size` bytes when it is longer
// than a name may be, naming the file and saying why (error 52).
Result<void> checkDerivedName(const std::filesystem::path& file, std::string_view what, std::size_t size);

// `write` fills the copy's stream, and the copy is published only when it succeeded.
using CopyWriter = std::function<Result<void>(TextStream& output)>;
Result<void> writeCopy(const FileSystemObject& fso, const std::filesystem::path& copyPath, const CopyWriter& write);

}  // namespace qb
