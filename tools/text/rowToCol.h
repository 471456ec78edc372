// Rows to columns: two lines of tab-separated values become one line per value position, the
// first line's value padded with spaces to the widest of them, a tab, and the second line's
// value, each line ending in CR LF.
//
// The text splits into lines at CR LF; when that gives one piece, at a lone CR; when that too
// gives one piece, at a lone LF. Lines after the second are ignored. An empty line holds no
// values; otherwise n tabs give n + 1 values, empty ones included. Positions are counted with a
// 16-bit integer, so a line holds at most 32,767 values.
#pragma once

#include "shell/error.h"

#include <string>
#include <string_view>

namespace qb {

// Errors: number 0 for a complaint about the input (the description is the whole message):
// a single line, or lines with different numbers of values; 9 for an empty text (no first line);
// 6 for 32,768 or more values.
Result<std::string> rowToCol(std::string_view text);

// The message the window shows for a failed conversion.
std::string rowToColMessage(const Error& error);

}  // namespace qb
