// What the two source scanners share: a walk of a folder tree (depth first, a folder's files
// before its subfolders, walk order) or of a list of picked files, each file reported to the
// progress callback and read whole, once; files and folders that cannot be read are recorded and
// passed over, so the report holds everything that could be read.
// Files are read and scanned on worker threads a few files ahead of the walk, each into its own
// slot; the calling thread alone walks, calls the progress callback and joins the slots to the
// report in walk order, so the report is the same as one thread would make.
#pragma once

#include "shell/error.h"
#include "shell/fs.h"
#include "shell/walk.h"

#include <filesystem>
#include <functional>
#include <memory>
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

// Scans one file's bytes: appends the file's whole part of the report (nothing when it has
// none) to `part`. Each worker thread has its own, so it may keep state such as match data.
using FileScanner = std::function<Result<void>(const File& file, std::string_view bytes, std::string& part)>;

// How many worker threads (and so FileScanners) a scan uses on this machine.
std::size_t scanWorkerCount();

// One scan in progress.
class ScanRun {
public:
    // One worker thread per scanner (at least one is needed).
    ScanRun(ProgressCallback progress, std::vector<FileScanner> scanners);
    ~ScanRun();

    // Reports the file to the progress callback and has it read and scanned; its part joins the
    // report in walk order, or it is recorded as skipped when it cannot be read. Nothing once the
    // scan has been cancelled: no file after the one the callback refused is scanned.
    void scan(const File& file);
    // Records what could not be read, after every file handed to scan() before it.
    void skip(Error error);
    bool stopped() const { return counter_.cancelled(); }

    // Calls `visit` for every file below `folder` (see the top of this header) until the scan stops.
    void walk(const Folder& folder, const std::function<void(const File&)>& visit);
    // Calls `visit` for each path in order that names an existing file; other paths are passed over.
    void walkPicked(const std::vector<std::filesystem::path>& paths, const std::function<void(const File&)>& visit);

    // Waits for the files still being scanned.
    ScanReport finish();

private:
    class Workers;

    FileSystemObject fso_;
    WalkCounter counter_;
    ScanReport report_;
    std::string lastRead_;  // kept as bytes while scanning: assigning reuses its room
    std::unique_ptr<Workers> workers_;
};

// The message that follows a scan, or empty when there is nothing to say: that it was cancelled,
// and the paths that could not be read with their reasons ("number :: description", one a line).
std::string scanProblemsMessage(const ScanReport& report);

}  // namespace qb
