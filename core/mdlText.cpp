#include "core/mdlText.h"

#include "core/lineEnds.h"

#include "core/regex.h"

#include <array>

namespace qb {

namespace {

constexpr std::array<unsigned char, 256> makeUpperTable()
{
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[c] = static_cast<unsigned char>(c);
    for (int c = 'a'; c <= 'z'; ++c)
        table[c] = static_cast<unsigned char>(c - 32);
    table[0x9A] = 0x8A;  // š Š
    table[0x9C] = 0x8C;  // œ Œ
    table[0x9E] = 0x8E;  // ž Ž
    table[0xFF] = 0x9F;  // ÿ Ÿ
    for (int c = 0xE0; c <= 0xFE; ++c)
        if (c != 0xF7)   // ÷ has no upper-case form
            table[c] = static_cast<unsigned char>(c - 32);
    return table;
}

constexpr auto upperTable = makeUpperTable();

}  // namespace

char upperCp1252(char c)
{
    return static_cast<char>(upperTable[static_cast<unsigned char>(c)]);
}

std::string upperCp1252(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        c = upperCp1252(c);
    return result;
}

std::string capFirst(std::string_view text)
{
    std::string result(text);
    if (!result.empty())
        result[0] = upperCp1252(result[0]);
    return result;
}

std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    forEachLine(text, [&lines](std::string_view line) { lines.push_back(line); });
    return lines;
}

Result<bool> matchesPattern(std::string_view line, std::string_view pattern)
{
    auto regex = Regex::compile(pattern, Regex::Options{.ignoreCase = true});
    if (!regex)
        return std::unexpected(regex.error());
    return regex->matches(line);
}

}  // namespace qb
