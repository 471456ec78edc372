// Gives every file without a dot in its name, in a folder tree, a copy beside it named with
// "_COPY" and the extension to add (".doc" unless the user gives another) added to its name, and
// lists the walk.
//
// The walk is depth first in walk order: a folder's files, then each subfolder, pre-order.
// The listing has one line per file without a dot (the indent of its folder, "---", its full
// path) and one per subfolder visited (its parent's indent, its full path); the indent of a folder
// is one tab more than its depth, the start folder being depth 0 and getting no line. A copy that
// already exists is left alone, so a second run lists the same lines and copies nothing. Folder
// names are not tested for dots, and symbolic links to folders are not entered. A failure (a copy
// that cannot be written, a copy name too long for the file system) costs its own file only: it is
// in the report and the walk goes on with the next file and the subfolders. A copy is written under a
// temporary name and named when whole, so a killed run never leaves a part of a copy that a later
// run would take for done; the temporary files such runs left are removed.
#pragma once

#include "core/error.h"
#include "core/walk.h"

#include <filesystem>
#include <string_view>

namespace qb {

inline constexpr std::string_view copyMark = "_COPY";
inline constexpr std::string_view defaultExtension = ".doc";

// Whether `extension` can end a copy's name: an empty one, or one holding a path separator or a
// NUL, is refused with a message that says so.
Result<void> checkExtension(std::string_view extension);

// The copy beside `file`: its full path followed by "_COPY" and `extension`.
std::filesystem::path copyNameOf(const std::filesystem::path& file, std::string_view extension = defaultExtension);

// Walks the tree below `startFolder`; the report's text is the listing, and its `listed` the files
// without a dot. ListOnly writes and removes nothing: `listed` holds the copies a run would make.
// Fails, before anything is walked, only for an extension that checkExtension refuses.
Result<RunReport> addExtensionCopies(const std::filesystem::path& startFolder, std::string_view extension = defaultExtension,
                                     ProgressCallback progress = {}, CopyMode mode = CopyMode::Write);

// The visit of `strFolder` at depth `intLevel` and of every folder below it.
void makeDoc(const std::filesystem::path& strFolder, int intLevel, std::string_view extension, ProgressCallback progress,
             RunReport& report, CopyMode mode = CopyMode::Write);

}  // namespace qb
