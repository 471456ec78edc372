// Writing the changed copy of a file, as the bulk editing tools do: the new copy
// is written to a temporary file and renamed over an earlier one only when whole, so a failure
// leaves the earlier copy as it was (one that may not be replaced, read-only say, is refused).
#pragma once

#include "shell/error.h"
#include "shell/fs.h"

#include <filesystem>
#include <functional>

namespace qb {

// `write` fills the copy's stream, and the copy is published only when it succeeded.
using CopyWriter = std::function<Result<void>(TextStream& output)>;
Result<void> writeCopy(const FileSystemObject& fso, const std::filesystem::path& copyPath, const CopyWriter& write);

}  // namespace qb
