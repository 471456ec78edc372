// Copies new files over every file of the same name in a folder tree, keeping the old version of
// each beside it.
//
// For each new file in list order the tree below the start folder is walked depth first (a
// folder's files, then each subfolder's whole subtree, in walk order). A file matches when its
// name equals the new file's name byte for byte. Each match is listed, then backed up beside
// itself as "<stamp>_<name>" (an existing backup is never overwritten), and only then replaced:
// the new file is copied to a temporary file in the match's folder and renamed over it, so a copy
// that fails part-way leaves the old file whole. The new file itself (also through a link) is
// never a match. The first failure in a folder ends the handling of that folder, its remaining
// files and its subfolders; the walk goes on with the next folder.
#pragma once

#include "shell/fs.h"
#include "shell/walk.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace qb {

// The time stamp that backup names start with, as bytes; asked once for each replaced file.
using TimeStampSource = std::function<std::string()>;

// The message for a listed new file that does not exist.
std::string missingNewFileMessage(const std::filesystem::path& path);

// Updates the tree below `startFolder` with each of `newFiles` in turn. The report's text lists
// the replaced files, one full path and CR LF each; a listed file that does not exist goes to its
// missingInputs, every folder or file that failed to its failures, and the run goes on.
RunReport updateFiles(const std::vector<std::filesystem::path>& newFiles, const std::filesystem::path& startFolder,
                      const TimeStampSource& timeStamp, ProgressCallback progress = {});

// What updateFiles would do, without writing anything: the report's text lists the files that
// would be replaced, in the same order; nothing is backed up or copied.
RunReport listUpdates(const std::vector<std::filesystem::path>& newFiles, const std::filesystem::path& startFolder,
                      ProgressCallback progress = {});

// One new file's share of a run: replaces the matches of `myNewFile` in `myFolder` and every
// folder below it. `counter` carries progress and cancel over the walks of every new file.
void compareFileNamesAndUpdate(const Folder& myFolder, const File& myNewFile, const TimeStampSource& timeStamp,
                               WalkCounter& counter, RunReport& report);

}  // namespace qb
