// The commands of the bulk file tools; each writes the files its window writes.
#pragma once

#include "core/commandLine.h"
#include "tools/files/inPlace.h"

namespace qb {

Command eraseCommand();
Command replaceCommand();
Command updateCommand();
Command addExtensionCommand();
Command undoCommand();

// --diff, --apply and --to-crlf: editing the originals instead of writing copies; and
// --keep-line-ends, which gives the copies the line ends the originals keep.
std::vector<CommandOption> inPlaceOptions();
bool inPlaceAsked(const CommandRun& run);
LineEnds inPlaceLineEnds(const CommandRun& run);
LineEnds copiesLineEnds(const CommandRun& run);
// Edits `files` (walked from `folder`, with the walk's failures in `walked`) in place: --diff
// prints the unified diff of every changed file and writes nothing; --apply replaces them through
// applyEdits, with its manifest and backups in the data folder.
int runInPlace(CommandRun& run, const std::filesystem::path& folder, const std::vector<std::filesystem::path>& files,
               RunReport walked, const EditBytes& edit);

}  // namespace qb
