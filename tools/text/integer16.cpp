#include "tools/text/integer16.h"

#include <charconv>
#include <cmath>

namespace qb {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t'; }

}  // namespace

Error typeMismatchError() { return Error{err::TypeMismatch, "Type mismatch"}; }
Error overflowError() { return Error{err::Overflow, "Overflow"}; }

Result<std::int16_t> parseInteger16(std::string_view text)
{
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    // from_chars takes a leading minus but no plus: strip one plus, and allow no sign after it.
    const bool plus = !text.empty() && text.front() == '+';
    if (plus)
        text.remove_prefix(1);
    if (text.empty() || text.front() == '+' || (plus && text.front() == '-'))
        return std::unexpected(typeMismatchError());
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value,
                                           std::chars_format::general);
    if (end != text.data() + text.size() || ec == std::errc::invalid_argument)
        return std::unexpected(typeMismatchError());
    if (ec == std::errc::result_out_of_range) {
        // Too large overflows; too small (a large negative exponent) is zero.
        const std::size_t exponent = text.find_first_of("eE");
        const bool tiny = exponent != std::string_view::npos && exponent + 1 < text.size() &&
                          text[exponent + 1] == '-';
        if (!tiny)
            return std::unexpected(overflowError());
        value = 0;
    }
    if (std::isnan(value) || std::isinf(value))
        return std::unexpected(typeMismatchError());
    const double rounded = std::nearbyint(value);  // the default rounding mode: halves to even
    if (rounded < -32768 || rounded > 32767)
        return std::unexpected(overflowError());
    return static_cast<std::int16_t>(rounded);
}

}  // namespace qb
