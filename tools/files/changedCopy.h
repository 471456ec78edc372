// Writing the changed copy of a text file, line by line, as the bulk editing tools do: the new copy
// is written to a temporary file and renamed over an earlier one only when whole, so a failure
// leaves the earlier copy as it was (one that may not be replaced, read-only say, is refused).
#pragma once

#include "shell/error.h"
#include "shell/fs.h"

#include <filesystem>
#include <functional>
#include <string>

namespace qb {

// Called for every input line (without its line end); appends what the copy gets to `out`.
using CopyLineStep = std::function<Result<void>(std::string& line, std::string& out)>;
// Called once after the last line; appends any last bytes to `out`.
using CopyEndStep = std::function<void(std::string& out)>;

Result<void> writeChangedCopy(const FileSystemObject& fso, TextStream& input, const std::filesystem::path& copyPath,
                              const CopyLineStep& eachLine, const CopyEndStep& atEnd = {});

// The same for writers that make the copy's bytes themselves: `write` fills the stream, and the
// copy is published only when it succeeded.
using CopyWriter = std::function<Result<void>(TextStream& output)>;
Result<void> writeCopy(const FileSystemObject& fso, const std::filesystem::path& copyPath, const CopyWriter& write);

}  // namespace qb
