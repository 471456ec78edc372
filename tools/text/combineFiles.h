// Combines two text files line by line: line N of the first file, directly followed by line N
// of the second, then CR LF, for every N up to the length of the shorter file. Lines are taken
// without their line ends; the extra lines of the longer file are ignored.
#pragma once

#include "core/error.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qb {

// The combined text, with what a window needs to show each file's part in that file's encoding:
// where each line's second part starts, and whether the lines taken from each file were valid
// UTF-8; and, when asked for, how many lines of the longer file were left out.
struct CombinedLines {
    std::string text;
    std::vector<std::size_t> firstLengths;  // per line, the length of its part from the first file
    bool firstUtf8 = true;
    bool secondUtf8 = true;
    std::uint64_t firstLeftOut = 0;
    std::uint64_t secondLeftOut = 0;
};

// Whether the rest of the longer file is read to count the lines left out.
enum class LeftOutLines { Ignore, Count };
// How many lines of each file a combine left out (counted only when asked for).
struct LeftOut {
    std::uint64_t first = 0;
    std::uint64_t second = 0;
};

// Hands `pair` line N of each file (without its line end), for every N up to the end of the
// shorter file, holding no more than one line of each, so memory stays at the longest lines.
// Nothing when either path is empty (there is nothing to combine) or when `pair` answered false
// to end it early; otherwise the lines left out. A file that cannot be opened or read is an error
// naming it.
using LinePairVisitor = std::function<bool(std::string_view first, std::string_view second)>;
Result<std::optional<LeftOut>> forEachLinePair(const std::filesystem::path& first, const std::filesystem::path& second,
                                               const LinePairVisitor& pair, LeftOutLines leftOut = LeftOutLines::Ignore);

// Nothing when either path is empty (there is nothing to combine). A file that cannot be opened
// or read is an error naming it.
Result<std::optional<CombinedLines>> combineFileLines(const std::filesystem::path& first,
                                                      const std::filesystem::path& second,
                                                      LeftOutLines leftOut = LeftOutLines::Ignore);
// The combined text alone.
Result<std::optional<std::string>> combineFiles(const std::filesystem::path& first,
                                                const std::filesystem::path& second);

}  // namespace qb
