// Numeric text read the way the program's number boxes read it: surrounding spaces, an optional
// sign, a decimal number with an optional fraction and exponent. The value is rounded to the
// nearest integer, halves to the even one, and must fit a signed 16-bit integer.
#pragma once

#include "core/error.h"

#include <cstdint>
#include <string_view>

namespace qb {

// Error 13 (type mismatch) when the text is not a number, 6 (overflow) when the rounded value
// lies outside -32768 to 32767. The description names the text and the range: "'x' is not a
// number", "40000 is more than 32767, the largest value a 16-bit number holds".
Result<std::int16_t> parseInteger16(std::string_view text);

// Error 13 naming the text: "'1G' is not a hexadecimal number" (`kind` "hexadecimal"), "'x' is
// not a number" (`kind` empty); an empty text is "an empty item".
Error notANumberError(std::string_view text, std::string_view kind = {});
// Error 6 naming the text and the limit it passes: "TEXT is more than LIMIT, the largest value a
// BITS-bit number holds" (or "less than", "the smallest").
Error outOfRangeError(std::string_view text, bool tooLarge, std::string_view limit, int bits);
// The text as a message names it: at most 40 bytes, a longer one cut with "...".
std::string namedValue(std::string_view text);

}  // namespace qb
