#include "tools/text/integer16.h"

#include <charconv>
#include <cmath>

namespace qb {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t'; }

constexpr std::size_t longestNamedValue = 40;

}  // namespace

std::string namedValue(std::string_view text)
{
    if (text.size() <= longestNamedValue)
        return std::string(text);
    return std::string(text.substr(0, longestNamedValue - 3)) + "...";
}

Error notANumberError(std::string_view text, std::string_view kind)
{
    const std::string number = kind.empty() ? "a number" : "a " + std::string(kind) + " number";
    if (text.empty())
        return Error{err::TypeMismatch, "an empty item is not " + number};
    return Error{err::TypeMismatch, "'" + namedValue(text) + "' is not " + number};
}

Error outOfRangeError(std::string_view text, bool tooLarge, std::string_view limit, int bits)
{
    return Error{err::Overflow, namedValue(text) + (tooLarge ? " is more than " : " is less than ") + std::string(limit) +
                                    (tooLarge ? ", the largest value a " : ", the smallest value a ") +
                                    std::to_string(bits) + "-bit number holds"};
}

Result<std::int16_t> parseInteger16(std::string_view text)
{
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    const std::string_view named = text;
    const auto notANumber = [&] { return std::unexpected(notANumberError(named)); };
    const auto outOfRange = [&](bool tooLarge) {
        return std::unexpected(outOfRangeError(named, tooLarge, tooLarge ? "32767" : "-32768", 16));
    };
    // from_chars takes a leading minus but no plus: strip one plus, and allow no sign after it.
    const bool plus = !text.empty() && text.front() == '+';
    if (plus)
        text.remove_prefix(1);
    if (text.empty() || text.front() == '+' || (plus && text.front() == '-'))
        return notANumber();
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value,
                                           std::chars_format::general);
    if (end != text.data() + text.size() || ec == std::errc::invalid_argument)
        return notANumber();
    if (ec == std::errc::result_out_of_range) {
        // Too large overflows; too small (a large negative exponent) is zero.
        const std::size_t exponent = text.find_first_of("eE");
        const bool tiny = exponent != std::string_view::npos && exponent + 1 < text.size() &&
                          text[exponent + 1] == '-';
        if (!tiny)
            return outOfRange(text.front() != '-');
        value = 0;
    }
    if (std::isnan(value) || std::isinf(value))
        return notANumber();
    const double rounded = std::nearbyint(value);  // the default rounding mode: halves to even
    if (rounded < -32768 || rounded > 32767)
        return outOfRange(rounded > 0);
    return static_cast<std::int16_t>(rounded);
}

}  // namespace qb
