// The chunk repeater: a template (the chunk) is expanded once for every line, or every pair of
// lines, of an input file. In each repetition three placeholder bytes are replaced in turn:
//   A2 (cent sign)      by the current input line,
//   E6 (ae ligature)    by the line after it, in double-up mode only,
//   ED (i acute)        by a 16-bit counter in decimal.
// Each replacement works on the text the one before produced, so placeholders inside an input
// line are filled too. The repetitions go to an output file and, each followed by CR LF, to the
// text shown in the window. The chunk itself is kept between uses in a chunk store file.
#pragma once

#include "core/error.h"
#include "core/fs.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace qb {

inline constexpr char linePlaceholder = '\xA2';
inline constexpr char nextLinePlaceholder = '\xE6';
inline constexpr char counterPlaceholder = '\xED';

// The repeater's files in the data folder: the template kept between uses, and the input and the
// output used when no other is named.
inline constexpr const char* templateStoreName = "last.txt";
inline constexpr const char* defaultInName = "in.txt";
inline constexpr const char* defaultOutName = "out.txt";
// The counter's first value when none is given (the window's box starts with it).
inline constexpr const char* defaultCountStart = "10";

// The chunk the window starts with when no chunk was stored.
std::string defaultChunk();

// The counter's first value: numeric text rounded half to even; anything that is not a number
// starts at 0. A number outside the 16-bit range is an overflow (6).
Result<std::int16_t> counterStart(std::string_view text);

struct RepeatRequest {
    std::string chunk;
    std::filesystem::path inFile;
    std::filesystem::path outFile;
    std::string countStart;
    bool doubleUp = false;
    // Named on the command line, the output may also be a descriptor, device, FIFO or socket.
    NamedBy outNamedBy = NamedBy::Tool;
    bool show = true;  // fill RepeatResult::shown (a command, which shows nothing, needs no copy)
    // A request ends the run before its next repetition, publishing nothing: the output file
    // stays as it was (outcome Failed, written false).
    std::stop_token stop = {};
};

enum class RepeatOutcome {
    Done,           // every repetition written and shown
    MissingInput,   // no file at inFile: nothing written
    SameFile,       // inFile and outFile name one file: nothing written
    Failed,         // `error` stopped the run; what was written before it stays
};

struct RepeatResult {
    RepeatOutcome outcome = RepeatOutcome::Done;
    std::string shown;            // the repetitions, each followed by CR LF (none for a stream output)
    std::uint64_t repetitions = 0;  // the whole repetitions made (in the output file when `written`)
    std::optional<Error> error;   // set when outcome is Failed
    bool written = false;         // the output file now holds the repetitions
    bool toFile = false;          // the output is a file (published in its folder), not a stream
};

// Runs the expansion: the output file is replaced by the repetitions, in one step once they are
// all written (a stream output gets them written to it). A run that stops by its own rule (an odd number of lines in double-up mode, a counter
// that passes 32767, a line that cannot be read) publishes the repetitions finished before it;
// after a failed write the output file stays as it was. `shown` holds the whole repetitions made
// either way (none for a stream output, which cannot be read back).
RepeatResult repeatChunk(const RepeatRequest& request);

// The message a failed run shows.
std::string repeatErrorMessage(const Error& error);
// What a failed run that left the output file as it was says after that message.
std::string outNotWrittenMessage(const std::filesystem::path& outFile);

// The chunk store holds the chunk followed by one CR LF. Loading gives back exactly the chunk
// that was saved (line ends as CR LF); nothing when no store exists.
Result<std::optional<std::string>> loadChunk(const std::filesystem::path& store);
// Replaces the store atomically: a failed save leaves the old store whole.
Result<void> saveChunk(const std::filesystem::path& store, std::string_view chunk);

// Makes an empty file at `path` when no file is there, so an editor can open it.
Result<void> ensureFileExists(const std::filesystem::path& path);

}  // namespace qb
