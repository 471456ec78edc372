// What the two source scanners share: a walk of a folder tree (depth first, a folder's files
// before its subfolders, walk order) or of a list of picked files, each file reported to the
// progress callback and read whole, once; files and folders that cannot be read are recorded and
// passed over, so the report holds everything that could be read.
#pragma once

#include "shell/error.h"
#include "shell/fs.h"
#include "shell/walk.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qb {

struct ScanReport {
    std::string text;                 // the report, as the result box shows it
    std::vector<Error> skipped;       // what could not be read, in walk order
    std::filesystem::path lastRead;   // the last file read (empty when none was)
    bool cancelled = false;           // the progress callback asked the scan to stop
};

// True when one of `fragments` occurs anywhere in `name` (case respected).
bool nameHasFragment(std::string_view name, std::span<const std::string_view> fragments);
// The name of a listed file (the part of its path after the last separator), without a copy.
std::string_view fileNameOf(const std::filesystem::path& path);

// One scan in progress.
class ScanRun {
public:
    explicit ScanRun(ProgressCallback progress = {}) : counter_(std::move(progress)) {}

    // Reports the file to the progress callback and reads it whole into the run's one buffer:
    // the bytes stay valid until the next read. Nothing when the scan has been cancelled or the
    // file could not be read (then it is recorded as skipped).
    std::optional<std::string_view> read(const File& file);
    void skip(Error error) { report_.skipped.push_back(std::move(error)); }
    bool stopped() const { return counter_.cancelled(); }

    // Calls `visit` for every file below `folder` (see the top of this header) until the scan stops.
    void walk(const Folder& folder, const std::function<void(const File&)>& visit);
    // Calls `visit` for each path in order that names an existing file; other paths are passed over.
    void walkPicked(const std::vector<std::filesystem::path>& paths, const std::function<void(const File&)>& visit);

    std::string& text() { return report_.text; }
    ScanReport finish();

private:
    FileSystemObject fso_;
    WalkCounter counter_;
    ScanReport report_;
    std::string lastRead_;  // kept as bytes while scanning: assigning reuses its room
    std::string buffer_;    // as large as the largest file read so far
};

// The message that follows a scan, or empty when there is nothing to say: that it was cancelled,
// and the paths that could not be read with their reasons ("number :: description", one a line).
std::string scanProblemsMessage(const ScanReport& report);

}  // namespace qb
