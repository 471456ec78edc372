// Converts a comma-separated list of numbers between hexadecimal and decimal. The input is split
// at every comma (nothing trimmed); items convert in order until one fails, and the items
// converted before the failure are kept.
//   Hex to Dec: hexadecimal digits 0-9, A-F, a-f into a signed 32-bit total (an empty item is 0);
//               anything else is a type mismatch (13), a total past 7FFFFFFF an overflow (6).
//   Dec to Hex: a decimal number (surrounding spaces, a sign, a fraction rounded half to even,
//               an exponent) into a signed 16-bit value, shown in upper-case hexadecimal, negative
//               values as their 16-bit two's complement; not a number is 13, out of range 6.
// Error descriptions name the item and the range ("'1G' is not a hexadecimal number", "40000 is
// more than 32767, the largest value a 16-bit number holds").
#pragma once

#include "core/error.h"

#include <optional>
#include <string>
#include <string_view>

namespace qb {

enum class HexDirection { HexToDec, DecToHex };

struct HexDecResult {
    std::string text;              // the converted items, comma-separated
    std::optional<Error> error;    // set when an item failed; later items were not converted
};

HexDecResult convertHexDec(std::string_view input, HexDirection direction);

Result<long> hexToDec(std::string_view item);
Result<std::string> decToHex(std::string_view item);

// The message shown for a failed conversion.
std::string hexDecErrorMessage(const Error& error);

}  // namespace qb
