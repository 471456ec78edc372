// Text helpers shared by the tools. Text is bytes in the Windows-1252 code page.
#pragma once

#include "core/error.h"

#include <string>
#include <string_view>
#include <vector>

namespace qb {

inline constexpr std::string_view crlf = "\r\n";

// The Windows-1252 upper-case form of one byte (ASCII and accented Latin letters); other bytes
// are returned unchanged.
char upperCp1252(char c);
std::string upperCp1252(std::string_view text);

// The argument with its first character upper-cased (Windows-1252 aware); the rest unchanged.
std::string capFirst(std::string_view text);

// Splits text into lines ending at CR LF, LF or a lone CR. A last line without an end counts;
// an empty text has no lines, and a text ending in a line break has no empty line after it.
// The views point into `text`.
std::vector<std::string_view> splitLines(std::string_view text);

// True when the regular expression `pattern` matches somewhere in `line`, case ignored. `^`
// anchors at the start of the line only. An invalid pattern, or a match that fails, is an error.
// The pattern is compiled on every call: a scan that tests many lines keeps a compiled Regex
// (core/regex.h) instead.
Result<bool> matchesPattern(std::string_view line, std::string_view pattern);

}  // namespace qb
