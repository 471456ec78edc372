#include "tools/text/hexdec.h"

#include <charconv>
#include <cstdint>

#include "tools/text/integer16.h"

namespace qb {

namespace {

std::optional<int> hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return std::nullopt;
}

}  // namespace

Result<long> hexToDec(std::string_view item)
{
    // Digits are weighed from the last one up; the total must stay a signed 32-bit value after
    // every digit.
    std::int64_t total = 0;
    std::int64_t weight = 1;
    bool weightPastRange = false;
    for (std::size_t i = item.size(); i-- > 0;) {
        const std::optional<int> digit = hexDigit(item[i]);
        if (!digit)
            return std::unexpected(notANumberError(item, "hexadecimal"));
        if (*digit != 0) {
            if (weightPastRange || (total += *digit * weight) > INT32_MAX)
                return std::unexpected(outOfRangeError(item, true, "7FFFFFFF (2147483647)", 32));
        }
        if (!weightPastRange) {
            weight *= 16;
            weightPastRange = weight > INT32_MAX;
        }
    }
    return static_cast<long>(total);
}

Result<std::string> decToHex(std::string_view item)
{
    const auto value = parseInteger16(item);
    if (!value)
        return std::unexpected(value.error());
    const auto bits = static_cast<std::uint16_t>(*value);
    char digits[8];
    const auto written = std::to_chars(digits, digits + sizeof digits, bits, 16);
    std::string hex(digits, written.ptr);
    for (char& c : hex)
        if (c >= 'a' && c <= 'f')
            c = static_cast<char>(c - 'a' + 'A');
    return hex;
}

HexDecResult convertHexDec(std::string_view input, HexDirection direction)
{
    HexDecResult result;
    if (input.empty())
        return result;
    std::string_view separator;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = input.find(',', start);
        const std::string_view item = input.substr(start, comma == std::string_view::npos ? input.npos : comma - start);
        std::string converted;
        if (direction == HexDirection::HexToDec) {
            const auto value = hexToDec(item);
            if (!value) {
                result.error = value.error();
                return result;
            }
            converted = std::to_string(*value);
        } else {
            auto value = decToHex(item);
            if (!value) {
                result.error = value.error();
                return result;
            }
            converted = std::move(*value);
        }
        result.text += separator;
        result.text += converted;
        separator = ",";
        if (comma == std::string_view::npos)
            return result;
        start = comma + 1;
    }
}

std::string hexDecErrorMessage(const Error& error)
{
    return "Something horrible has happened, like the value you're translating isn't a number.  "
           "Hell, I don't know.\r\n" +
           error.description + " :: " + std::to_string(error.number);
}

}  // namespace qb
