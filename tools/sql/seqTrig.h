// The sequence-and-trigger generator. From a table name it builds two Oracle scripts: one that
// creates the sequence for the table's key, one that creates a before-insert trigger filling the
// key from that sequence. Each is saved as "seq" or "trig", the capitalised table name and ".sql"
// in a folder the user names. File names are checked before anything is written, so a table name
// can never place a file outside that folder, and a file is replaced through a temporary file so
// a failed write leaves the old one whole.
#pragma once

#include "core/error.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace qb {

// The singular guessed from a table name: one final lower-case 's' removed, nothing else.
std::string singularGuess(std::string_view tableName);

// Lines joined by CR LF, with no line break after the last one.
std::string sequenceScript(std::string_view tableName);
std::string triggerScript(std::string_view tableName, std::string_view singular);

enum class ScriptKind { Sequence, Trigger };

// "seq" or "trig", the capitalised table name, ".sql" (bytes as typed, not checked).
std::string scriptFileName(ScriptKind kind, std::string_view tableName);

// The path of `fileName` directly inside `folder`. Refused with error 52 when the name holds a
// path separator ('/' or '\'), a NUL, is "." or "..", or is too long for a file name; with
// error 76 when the folder is not a full path (an empty folder text included).
Result<std::filesystem::path> scriptPath(const std::filesystem::path& folder,
                                         const std::filesystem::path& fileName);

// Makes the file at `strPath` hold exactly `strContents`, replacing it atomically.
Result<void> addOrReplaceFile(const std::filesystem::path& strPath, std::string_view strContents);

// Where the two scripts of `tableName` (Windows-1252 bytes, as typed) go in `folder`: their file
// names in the file system's encoding, checked by scriptPath.
struct SeqTrigPaths {
    std::filesystem::path sequence;
    std::filesystem::path trigger;
};
Result<SeqTrigPaths> seqTrigPaths(const std::filesystem::path& folder, std::string_view tableName);

// Builds both scripts and writes them into `folder`, in this order: the sequence script is built
// and handed to `shown`, then written; the trigger script likewise. When either file name is
// refused, both scripts are still built and shown, nothing is written, and the refusal is the
// result; otherwise the first failed write ends the run and is the result. The window and the
// command line both write through here.
using ScriptShown = std::function<void(ScriptKind kind, const std::string& script)>;
Result<SeqTrigPaths> writeSeqTrigScripts(const std::filesystem::path& folder, std::string_view tableName,
                                         std::string_view singular, const ScriptShown& shown = {});

}  // namespace qb
