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

#include "core/error.h"
#include "core/fs.h"
#include "core/lineBlocks.h"
#include "core/lineEnds.h"
#include "core/mdlText.h"
#include "core/walk.h"

#include <filesystem>
#include <optional>
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

    // Feeds the next input line (without its line end); output is appended to `out`. A line that
    // goes out as read ends in `end`: CR LF, as copies are written, or the line's own end for an
    // edit in place (a view that outlives the filter: one of the constant line ends).
    void push(std::string_view line, std::string& out, std::string_view end = crlf);
    // The same, taking the line's room: a very long line is held, and written when it goes out
    // into an empty `out`, without a copy (give it room for a line end to come).
    void push(std::string&& line, std::string& out, std::string_view end = crlf);
    // Ends the input: lines held for an unfinished chunk are written as read.
    void finish(std::string& out);
    // How many chunks were found whole (and replaced) so far.
    std::uint64_t found() const { return found_; }
    // Forgets the lines held, for the next file.
    void reset() { heldCount_ = 0; }

    // Lines are held for a chunk that may be coming.
    bool holding() const { return heldCount_ > 0; }
    // Where the first match of the trigger at or after `from` in `text` starts, or npos. The
    // trigger holds no line end, so in a text of many lines the match is the first line that can
    // start a chunk: while nothing is held, the lines before it go out as read.
    std::size_t findTrigger(std::string_view text, std::size_t from);
    // The longest chunk line.
    std::size_t longestChunkLine() const;

    // A line too long to hold whole, seen a part at a time: whether it can start a chunk. (Being
    // longer than every chunk line, it passes a chunk line only by holding it.)
    class LongLine {
    public:
        explicit LongLine(const ChunkFilter& filter);
        void add(std::string_view part);
        bool mayStartChunk() const { return found_; }

    private:
        std::string_view needle_;  // chunk line 1 as typed; empty when lines never pass by holding it
        std::string seam_;         // the last bytes seen, for a needle across two parts
        bool found_ = false;
    };

private:
    bool isTrigger(std::string_view line);
    bool passes(std::string_view line, std::size_t k);
    // Settles the held lines as far as the input read so far allows.
    void settle(std::string& out, bool atEnd);
    void hold(std::string_view line, std::string_view end);
    // Writes the first held line with its line end and drops it.
    void writeFirstHeld(std::string& out);
    void dropFirstHeld();

    std::vector<std::string> chunk_;       // as typed
    std::vector<std::string> upperChunk_;  // upper-cased
    std::string trigger_;                  // chunk line 1, trimmed and upper-cased
    std::size_t anchor_ = std::string::npos;  // a byte of trigger_ that has no other case
    std::string spew_;
    ChunkOptions options_;
    // A possible chunk, from its first line on: the first heldCount_ lines of held_, whose strings
    // are kept for the next ones so that holding a line allocates nothing once they have grown.
    std::vector<std::string> held_;
    std::size_t heldCount_ = 0;
    std::vector<std::string_view> heldEnds_;  // the line end each held line goes out with
    std::string upper_;                    // scratch for upper-casing a line
    std::uint64_t found_ = 0;
};

// The whole filter over a list of lines: the bytes of the copy.
std::string filterChunks(const std::vector<std::string>& chunk, std::string_view spew, ChunkOptions options,
                         const std::vector<std::string>& lines);

// Where the copy of `file` goes: base / "copies" / the file's folder relative to base / name.
std::filesystem::path copyPathFor(const std::filesystem::path& file, const std::filesystem::path& base);

// The spew the window starts with.
inline constexpr std::string_view defaultSpew = "smack\r\n";

// The chunk lines and the spew, as bytes.
struct ChunkText {
    std::vector<std::string> chunk;
    std::string spew;
};

struct EraseSettings {
    std::vector<std::string> chunk;
    std::string spew{};
    ChunkOptions options{};
    bool recursive = false;
    CopyMode mode = CopyMode::Write;  // ListOnly: the copies go to the report's `listed`, unwritten
    LineEnds ends = LineEnds::CrLf;   // Keep: a line the copy takes as read keeps its own end
    // Text typed in a window goes into each file in that file's encoding (see setTypedText):
    // chunk and spew above in Windows-1252, for files that are not valid UTF-8; `utf8` the same
    // text for files that are (unset when the bytes are the same); `notInCp1252` the typed
    // characters that Windows-1252 cannot hold, which refuse every file that is not valid UTF-8.
    // Both unset for bytes from a file (the command line's chunk and spew), which go as they are.
    std::optional<ChunkText> utf8{};
    std::string notInCp1252{};
};

// Sets the chunk and spew of `settings` from text typed in a window, given as UTF-8 (lines joined
// by CR LF): as Windows-1252 bytes, and as UTF-8 for files that are valid UTF-8.
void setTypedText(EraseSettings& settings, std::string_view chunk, std::string_view spew);
// Whether a file that is (or is not) valid UTF-8 is filtered with the settings' UTF-8 text; a file
// that cannot hold the typed text is refused (13), naming the characters it lacks.
Result<bool> useUtf8Text(const EraseSettings& settings, const std::filesystem::path& file, bool utf8File);
// True when the text a file gets depends on its encoding, which must then be found first.
inline bool dependsOnEncoding(const EraseSettings& settings)
{
    return settings.utf8.has_value() || !settings.notInCp1252.empty();
}

// Writes filtered copies, one file after another (a binary file, with a NUL byte in its first
// 64 KiB, is copied byte for byte instead), keeping its filter and buffers from file to
// file: copying allocates nothing per line and, once the buffers have grown, nothing per file.
// Files are read a block of whole lines at a time. While no chunk is being held, a block in which
// no line can start a chunk and every line already ends as it is to (in CR LF, or as read when
// line ends are kept) is its own copy and is written as read; other blocks go through the filter line by line. A line longer than a few blocks is never
// held whole unless it may start a chunk: it is read once to test it, then copied in blocks.
class EraseCopier {
public:
    explicit EraseCopier(const EraseSettings& settings, std::size_t blockSize = LineBlocks::defaultBlockSize);

    // Opens the file to copy (`input` must outlive the copy), then writes its copy to `output`.
    Result<void> open(const std::filesystem::path& input);
    Result<void> copyTo(TextStream& output);
    // How many chunks were found whole (and replaced) in all the copies so far.
    std::uint64_t found() const { return filter_.found() + (utf8Filter_ ? utf8Filter_->found() : 0); }
    // The last file copied was binary (a NUL byte in its first 64 KiB) and was copied as it is.
    bool binary() const { return binary_; }

private:
    Result<void> copyAsIs(TextStream& output);
    Result<void> copyLines(std::string_view lines, TextStream& output);
    // Lines that cannot start a chunk while none is held: each goes out as read, ending in CR LF.
    Result<void> copyUnmatched(std::string_view lines, TextStream& output);
    // Takes a line that came in parts, from its first part on, and hands back the lines after it
    // in the run that holds its end.
    Result<std::string_view> copyLongLine(std::string_view firstPart, TextStream& output);
    Result<void> writeOut(TextStream& output, std::size_t atLeast);

    // Whether the file at `input` is valid UTF-8 (a binary file counts as not: it is copied as is).
    Result<bool> isUtf8Text(const std::filesystem::path& input);

    ChunkFilter filter_;                     // the settings' chunk and spew
    std::optional<ChunkFilter> utf8Filter_;  // the same typed text for files that are valid UTF-8
    ChunkFilter* active_;                    // the one the file at hand is filtered with
    const EraseSettings* settings_;
    std::size_t blockSize_;
    LineBlocks input_;
    std::string out_;   // filtered bytes waiting to be written
    std::string part_;  // a long line's bytes, read again
    bool binary_ = false;
    LineEnds ends_;
};

// Writes the copy of one file below base / "copies", making the mirrored folders and replacing
// an earlier copy (a read-only one is refused). The copy is written through a temporary file.
// True when a chunk was found in it, false for a plain copy.
Result<bool> eraseChunks(const FileSystemObject& fso, const File& tempFile,
                         const std::filesystem::path& strCopyDirParent, const EraseSettings& settings);
Result<bool> eraseChunks(const FileSystemObject& fso, const File& tempFile,
                         const std::filesystem::path& strCopyDirParent, EraseCopier& copier);

// Handles every file of `startFolder`, then (when recursive) each subfolder, skipping the base
// folder's own "copies". `base` must be absolute. Failures are collected in `report` (each copy
// written is counted in its counts, those with a chunk replaced also as changed) and the walk
// goes on.
void trollFolders(const FileSystemObject& fso, const Folder& startFolder, const std::filesystem::path& base,
                  const EraseSettings& settings, ProgressCallback progress, RunReport& report);

// A whole run over `base` (made absolute first). Fails only when the run cannot start (an empty
// chunk, a base folder that is not there); everything else is in the report, whose text is empty.
Result<RunReport> runEraseChunks(const std::filesystem::path& base, const EraseSettings& settings,
                                 ProgressCallback progress = {});

}  // namespace qb
