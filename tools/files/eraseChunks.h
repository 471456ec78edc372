// Erase and spew chunks: find a chunk (several consecutive lines) in every file of a folder, or of
// its whole tree, and write a copy of each file below "copies" in the base folder, with every
// found chunk replaced by the spew text or removed.
//
//   chunkLines     box text -> the chunk lines (empty lines dropped)
//   ChunkFilter    input lines -> copy bytes, one line at a time (memory: the chunk's length)
//   eraseChunks    one file -> its copy, placed by copyPathFor
//   trollFolders   one folder (and, when recursive, its subfolders) -> eraseChunks per file
//   runEraseChunks a whole run over a base folder, with progress and a failure list
#pragma once

#include "shell/error.h"
#include "shell/fs.h"
#include "shell/walk.h"

#include <deque>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace qb {

struct ChunkOptions {
    bool allowWild = true;   // a chunk line may also occur, exactly, within an input line
    bool eraseOnly = false;  // found chunks are removed and the spew is ignored
};

// The chunk lines of the chunk box's text: its non-empty lines, untrimmed, in order.
std::vector<std::string> chunkLines(std::string_view boxText);

// The line filter. Every input line is tested as the start of a chunk: the line must hold chunk
// line 1 (trimmed, case-insensitively), and each following line must pass its chunk line. A chunk
// found whole is replaced by the spew (nothing when erasing only); otherwise the first line is
// written as read and the test goes on from the line after it, so nothing is ever rewritten
// unless the whole chunk is there. Every written line ends in CR LF; the spew is written as is.
class ChunkFilter {
public:
    // `chunk` must hold at least one line.
    ChunkFilter(std::vector<std::string> chunk, std::string spew, ChunkOptions options);

    // Feeds the next input line (without its line end); output is appended to `out`.
    void push(std::string_view line, std::string& out);
    // Ends the input: lines held for an unfinished chunk are written as read.
    void finish(std::string& out);

private:
    bool isTrigger(std::string_view line);
    bool passes(std::string_view line, std::size_t k);
    // Settles the held lines as far as the input read so far allows.
    void settle(std::string& out, bool atEnd);

    std::vector<std::string> chunk_;       // as typed
    std::vector<std::string> upperChunk_;  // upper-cased
    std::string trigger_;                  // chunk line 1, trimmed and upper-cased
    std::size_t anchor_ = std::string::npos;  // a byte of trigger_ that has no other case
    std::string spew_;
    ChunkOptions options_;
    std::deque<std::string> held_;         // a possible chunk, from its first line on
    std::string upper_;                    // scratch for upper-casing a line
};

// The whole filter over a list of lines: the bytes of the copy.
std::string filterChunks(const std::vector<std::string>& chunk, std::string_view spew, ChunkOptions options,
                         const std::vector<std::string>& lines);

// Where the copy of `file` goes: base / "copies" / the file's folder relative to base / name.
std::filesystem::path copyPathFor(const std::filesystem::path& file, const std::filesystem::path& base);

// The spew the window starts with.
inline constexpr std::string_view defaultSpew = "smack\r\n";

struct EraseSettings {
    std::vector<std::string> chunk;
    std::string spew{};
    ChunkOptions options{};
    bool recursive = false;
};

// Writes the copy of one file below base / "copies", making the mirrored folders and replacing
// an earlier copy (a read-only one is refused). The copy is written through a temporary file.
Result<void> eraseChunks(const FileSystemObject& fso, const File& tempFile,
                         const std::filesystem::path& strCopyDirParent, const EraseSettings& settings);

// Handles every file of `startFolder`, then (when recursive) each subfolder, skipping the base
// folder's own "copies". `base` must be absolute. Failures are collected in `report` (each copy
// written is counted in its counts) and the walk goes on.
void trollFolders(const FileSystemObject& fso, const Folder& startFolder, const std::filesystem::path& base,
                  const EraseSettings& settings, ProgressCallback progress, RunReport& report);

// A whole run over `base` (made absolute first). Fails only when the run cannot start (an empty
// chunk, a base folder that is not there); everything else is in the report, whose text is empty.
Result<RunReport> runEraseChunks(const std::filesystem::path& base, const EraseSettings& settings,
                                 ProgressCallback progress = {});

}  // namespace qb
