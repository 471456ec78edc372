// Copies new files over every file of the same name in a folder tree, keeping the old version of
// each beside it.
//
// For each new file in list order the tree below the start folder is walked depth first (a
// folder's files, then each subfolder's whole subtree, in walk order). A file matches when its
// name equals the new file's name byte for byte. Each match is checked (a file that may not be
// replaced, or whose backup name would be too long, is refused before anything is made for it),
// backed up beside itself as "<stamp>_<name>", replaced, and only then listed. A same-named entry
// that is a link (to anything), a FIFO, a device or a socket is refused, never replaced through. The backup is whole and on disk (file, then folder
// entry) before the match is touched, and the new contents replace the match in one rename, so a
// crash at any point leaves the old file alone, the old file and its full backup, or the new file
// and its full backup. A replace that fails removes the backup it made. An existing backup is
// never overwritten: a name this run made itself in the same second fails as it always did; a name
// another run took gets a counter (" (2)") and the run says so in its notes. The new file itself
// is never a match. Each failure costs its own file only: the walk goes on with the next file and
// the subfolders, and the failure is in the report.
// Temporary files that killed runs left in the walked folders are removed.
#pragma once

#include "core/fs.h"
#include "core/walk.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace qb {

// The time stamp that backup names start with, as bytes; asked once for each replaced file.
using TimeStampSource = std::function<std::string()>;

// The message for a listed new file that does not exist.
std::string missingNewFileMessage(const std::filesystem::path& path);

// One run: its report, its progress over every walk, and the backup names it made in the current
// second.
struct UpdateRun {
    UpdateRun(TimeStampSource timeStamp, ProgressCallback progress)
        : timeStamp(std::move(timeStamp)), counter(std::move(progress)) {}
    TimeStampSource timeStamp;
    WalkCounter counter;
    RunReport report;
    std::string stamp;                                   // the stamp of the last backup
    std::vector<std::filesystem::path> backupsThisStamp;  // made by this run under that stamp
};

// Updates the tree below `startFolder` with each of `newFiles` in turn. The report's text lists
// the files really replaced, one full path and CR LF each; a listed file that does not exist goes to its
// missingInputs, every folder or file that failed to its failures, and the run goes on.
RunReport updateFiles(const std::vector<std::filesystem::path>& newFiles, const std::filesystem::path& startFolder,
                      const TimeStampSource& timeStamp, ProgressCallback progress = {});

// What updateFiles would do, without writing anything: the report's text lists the files that
// would be replaced, in the same order; nothing is backed up or copied.
RunReport listUpdates(const std::vector<std::filesystem::path>& newFiles, const std::filesystem::path& startFolder,
                      ProgressCallback progress = {});

// One new file's share of a run: replaces the matches of `myNewFile` in `myFolder` and every
// folder below it.
void compareFileNamesAndUpdate(const Folder& myFolder, const File& myNewFile, UpdateRun& run);

}  // namespace qb
