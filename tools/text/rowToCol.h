// Rows to columns: two lines of tab-separated values become one line per value position, the
// first line's value padded with spaces to the widest of them, a tab, and the second line's
// value, each line ending in CR LF.
//
// The text splits into lines at CR LF; when that gives one piece, at a lone CR; when that too
// gives one piece, at a lone LF. Lines after the second are ignored. An empty line holds no
// values; otherwise n tabs give n + 1 values, empty ones included. Positions are counted with a
// 16-bit integer, so a line holds at most 32,767 values.
#pragma once

#include "core/error.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace qb {

// Errors: number 0 for a complaint about the input (the description is the whole message):
// a single line, or lines with different numbers of values; 9 for an empty text (no first line);
// 6 for 32,768 or more values.
Result<std::string> rowToCol(std::string_view text);

// The message the window shows for a failed conversion.
std::string rowToColMessage(const Error& error);

// How many leading bytes of a text rowToCol needs (its first two lines, by its splitting rule),
// found from the text a block at a time, keeping no text. Whether any CR LF is in the text
// decides how all of it splits, so the end is settled early only once two CR LFs were fed;
// otherwise it is known when the whole text was.
class RowsEnd {
public:
    void feed(std::string_view block);
    // Two CR LFs were fed: no later byte moves the end.
    bool settled() const { return crlf_.count == 2; }
    // For the text fed so far, as its whole text: rowToCol gives the same for its first end()
    // bytes as for all of it.
    std::uint64_t end() const;

private:
    struct FirstTwo {
        std::uint64_t at[2] = {};
        int count = 0;
        void add(std::uint64_t offset)
        {
            if (count < 2)
                at[count++] = offset;
        }
    };
    std::uint64_t size_ = 0;
    bool lastWasCr_ = false;
    FirstTwo crlf_, cr_, lf_;  // where the first two of each break start
};

// The bytes of the file at `path` that rowToCol needs: the file is read once a block at a time
// to find them (RowsEnd), then they are read again, so memory holds its first two lines, not
// the file.
Result<std::string> readRows(const std::filesystem::path& path);

}  // namespace qb
