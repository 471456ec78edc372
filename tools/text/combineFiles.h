// Combines two text files line by line: line N of the first file, directly followed by line N
// of the second, then CR LF, for every N up to the length of the shorter file. Lines are taken
// without their line ends; the extra lines of the longer file are ignored.
#pragma once

#include "shell/error.h"

#include <filesystem>
#include <optional>
#include <string>

namespace qb {

// Nothing when either path is empty (there is nothing to combine). A file that cannot be opened
// or read is an error naming it.
Result<std::optional<std::string>> combineFiles(const std::filesystem::path& first,
                                                const std::filesystem::path& second);

}  // namespace qb
