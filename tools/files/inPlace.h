// Editing files where they are, for the bulk editing tools' --diff and --apply: the files a
// tool's run walks, each file's new bytes made in memory (each line keeping its own line end
// unless the tool's CR LF is asked for), and the changed files as a diff or as a plan for
// applyEdits.
#pragma once

#include "core/lineEnds.h"
#include "tools/files/apply.h"
#include "tools/files/eraseChunks.h"
#include "tools/files/replaceLines.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qb {

// A file's bytes -> its edited bytes, or why the file is refused: the same as an apply's MakeAfter.
using EditBytes = MakeAfter;

EditBytes eraseEdit(const EraseSettings& settings, LineEnds ends);
EditBytes replaceEdit(const std::vector<ReplacePair>& pairs, LineEnds ends);

// The files that a run of Erase and Spew Chunks over `base` reads (its "copies" left out), and
// those of Search and Replace over `folder` (its own files only; the debug file left out).
// Folders that cannot be read go to the report's failures. Nothing is written or removed.
std::vector<std::filesystem::path> eraseInputs(const std::filesystem::path& base, bool recursive, RunReport& report,
                                               ProgressCallback progress = {});
std::vector<std::filesystem::path> replaceInputs(const std::filesystem::path& folder,
                                                 const std::filesystem::path& debugPath, RunReport& report,
                                                 ProgressCallback progress = {});

// Reads and records each file and edits its bytes; `changed` gets each file whose bytes change,
// with its bytes before and after. A file that cannot be read goes to the report's failures; a
// link to a file that can be read is passed over with a note.
using ChangedFile = std::function<void(PlannedEdit edit, std::string_view before, std::string_view after)>;
void editFiles(const std::vector<std::filesystem::path>& files, const EditBytes& edit, RunReport& report,
               const ChangedFile& changed);

// `file`'s path below `folder`, with "/" between its parts, as a diff names it.
std::string diffPath(const std::filesystem::path& file, const std::filesystem::path& folder);

}  // namespace qb
