// Numeric text read the way the program's number boxes read it: surrounding spaces, an optional
// sign, a decimal number with an optional fraction and exponent. The value is rounded to the
// nearest integer, halves to the even one, and must fit a signed 16-bit integer.
#pragma once

#include "shell/error.h"

#include <cstdint>
#include <string_view>

namespace qb {

// Error 13 (type mismatch) when the text is not a number, 6 (overflow) when the rounded value
// lies outside -32768 to 32767.
Result<std::int16_t> parseInteger16(std::string_view text);

Error typeMismatchError();
Error overflowError();

}  // namespace qb
