// Gives every file without a dot in its name, in a folder tree, a copy beside it named with
// "_COPY.doc" added to its name, and lists the walk.
//
// The walk is depth first in walk order: a folder's files, then each subfolder, pre-order.
// The listing has one line per file without a dot (the indent of its folder, "---", its full
// path) and one per subfolder visited (its parent's indent, its full path); the indent of a folder
// is one tab more than its depth, the start folder being depth 0 and getting no line. A copy that
// already exists is left alone, so a second run lists the same lines and copies nothing. Folder
// names are not tested for dots, and symbolic links to folders are not entered. The first failure
// in a folder ends that folder's visit (its remaining files and subfolders) with one failure in
// the report; the walk goes on with the next subfolder of its parent. A copy is written under a
// temporary name and named when whole, so a killed run never leaves a part of a copy that a later
// run would take for done; the temporary files such runs left are removed.
#pragma once

#include "shell/walk.h"

#include <filesystem>
#include <string_view>

namespace qb {

inline constexpr std::string_view copySuffix = "_COPY.doc";

// The copy beside `file`: its full path followed by "_COPY.doc".
std::filesystem::path copyNameOf(const std::filesystem::path& file);

// Walks the tree below `startFolder`; the report's text is the listing, and its `listed` the files
// without a dot. ListOnly writes and removes nothing: `listed` holds the copies a run would make.
RunReport addExtensionCopies(const std::filesystem::path& startFolder, ProgressCallback progress = {},
                             CopyMode mode = CopyMode::Write);

// The visit of `strFolder` at depth `intLevel` and of every folder below it.
void makeDoc(const std::filesystem::path& strFolder, int intLevel, ProgressCallback progress, RunReport& report,
             CopyMode mode = CopyMode::Write);

}  // namespace qb
