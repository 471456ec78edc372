// The scanners' commands, `quillbox todos` and `quillbox subs`: each path given is scanned in
// order (a folder walked as the window walks it, a file by itself), and the report is printed as
// the window shows it or as records (core/records.h).
#pragma once

#include "core/commandLine.h"
#include "tools/scan/scanRun.h"

#include <filesystem>
#include <functional>
#include <vector>

namespace qb {

using PathsScan = std::function<Result<ScanReport>(const std::vector<std::filesystem::path>& paths,
                                                   ProgressCallback progress, ScanOutput output, std::stop_token stop)>;

// A scanner's command: its name, summary and description, and the scan it runs.
Command scanCommand(std::string name, std::string summary, std::string description, PathsScan scan);

Command todosCommand();
Command subsCommand();

}  // namespace qb
