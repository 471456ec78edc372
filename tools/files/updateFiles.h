// Copies new files over every file of the same name in a folder tree, keeping the old version of
// each beside it.
//
//   planUpdates  walks the tree once per new file and decides every match: the backup it gets,
//                or why it is refused. A dry run (and the window's Preview) is this alone.
//   updateFiles  the plan, then its journal (an apply manifest, so an update is undone like an
//                apply), then each planned match: still as planned? backup, replace, mark.
//
// For each new file in list order the tree below the start folder is walked depth first (a
// folder's files, then each subfolder's whole subtree, in walk order). A file matches when its
// name equals the new file's name byte for byte. Each match is checked (a file that may not be
// replaced, or whose backup name would be too long, is refused before anything is made for it),
// backed up beside itself as "<stamp>_<name>", replaced, and only then listed. A same-named entry
// that is a link (to anything), a FIFO, a device or a socket is refused, never replaced through.
// The backup is whole and on disk (file, then folder entry) before the match is touched, and the
// new contents replace the match in one rename, so a crash at any point leaves the old file
// alone, the old file and its full backup, or the new file and its full backup. A replace that
// fails removes the backup it made. An existing backup is never overwritten: a name this run made
// itself in the same second fails as it always did; a name another run took gets a counter
// (" (2)") and the run says so in its notes. The new file itself is never a match. Each failure
// costs its own file only: the run goes on with the next file and the subfolders, and the failure
// is in the report. A match that changed between the plan and its turn is refused too.
// Temporary files that killed runs left in the walked folders are removed.
#pragma once

#include "core/fs.h"
#include "core/walk.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace qb {

// The time stamp that backup names start with, as bytes; asked once for each planned match.
using TimeStampSource = std::function<std::string()>;

// The message for a listed new file that does not exist.
std::string missingNewFileMessage(const std::filesystem::path& path);

// One match a run plans to replace: `target` is to hold a copy of `newFile`, its old version kept
// as `backup` beside it.
struct UpdateStep {
    std::filesystem::path newFile;
    std::filesystem::path target;
    std::filesystem::path backup;
};

// A run's plan: its steps in run order, and a report whose text and `listed` name their targets
// (one full path and CR LF each) and whose failures, missing inputs and notes are those the run
// would have.
struct UpdatePlan {
    std::vector<UpdateStep> steps;
    RunReport report;
};

// One run's planning: its progress over every walk, the plan so far, and the backup names it gave
// in the current second.
struct UpdateRun {
    UpdateRun(TimeStampSource timeStamp, ProgressCallback progress)
        : timeStamp(std::move(timeStamp)), counter(std::move(progress)) {}
    TimeStampSource timeStamp;
    WalkCounter counter;
    UpdatePlan plan;
    CopyMode mode = CopyMode::Write;                     // ListOnly: nothing is written, not even debris removed
    std::string stamp;                                   // the stamp of the last backup
    std::vector<std::filesystem::path> backupsThisStamp;  // given by this run under that stamp
};

// Plans a run over the tree below `startFolder` with each of `newFiles` in turn, writing nothing
// (ListOnly) or removing only what killed runs left (Write).
UpdatePlan planUpdates(const std::vector<std::filesystem::path>& newFiles, const std::filesystem::path& startFolder,
                       const TimeStampSource& timeStamp, ProgressCallback progress = {},
                       CopyMode mode = CopyMode::ListOnly);

// Updates the tree below `startFolder` with each of `newFiles` in turn. The report's text lists
// the files really replaced, one full path and CR LF each; a listed file that does not exist goes
// to its missingInputs, every folder or file that failed to its failures, and the run goes on.
// Before the first file is touched the whole plan is written as an apply manifest below
// `dataFolder` (see apply.h), naming each backup, so `undo` takes the run back; when that
// manifest cannot be written nothing is touched and that is the one failure.
RunReport updateFiles(const std::vector<std::filesystem::path>& newFiles, const std::filesystem::path& startFolder,
                      const TimeStampSource& timeStamp, ProgressCallback progress,
                      const std::filesystem::path& dataFolder);

// What updateFiles would do, without writing anything: the plan's report.
RunReport listUpdates(const std::vector<std::filesystem::path>& newFiles, const std::filesystem::path& startFolder,
                      const TimeStampSource& timeStamp, ProgressCallback progress = {});

// One new file's share of a plan: finds the matches of `myNewFile` in `myFolder` and every folder
// below it, and plans the replacement of each.
void compareFileNamesAndUpdate(const Folder& myFolder, const File& myNewFile, UpdateRun& run);

}  // namespace qb
