// A quick first test for line patterns of the form "^", optional "\s*", then plain text, matched
// with case ignored (ASCII letters, as PCRE2 folds them without UTF). Such a pattern can only
// match a line whose content (the line after its leading white space) begins with that text, or,
// without "\s*", a line that begins with it. The filter names the patterns worth running on a
// line, and for whole texts it gives the sieve that finds the lines worth a look at all. It only
// ever rules patterns out: the patterns themselves still decide.
#pragma once

#include "tools/scan/lines.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qb {

// The white space of a pattern's \s: PCRE2's default (C locale) tables.
inline bool isPatternSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

class LeadFilter {
public:
    // At most 32 patterns.
    explicit LeadFilter(std::span<const std::string_view> patterns);

    // The text a pattern's match must begin with, lower case; `afterSpace` when white space may
    // come before it. A pattern of another form gets no quick test (`usable` false).
    struct Lead {
        bool usable = false;
        bool afterSpace = false;
        std::string text;
        // Its first eight bytes as one word, the case bit of each letter among them, and which
        // bytes count: eight bytes are compared at once.
        std::uint64_t head = 0, headCase = 0, headMask = 0;
    };
    static Lead leadOf(std::string_view pattern);

    // The patterns (a bit each, in pattern order) that could match a line whose content is
    // `content` (it may run on past the line's end); `indented` when white space came before it.
    std::uint32_t candidates(std::string_view content, bool indented) const;
    // The patterns that could match `line`.
    std::uint32_t candidatesFor(std::string_view line) const;

    // A sieve that passes every line a pattern could match, when the patterns allow one.
    bool sievable() const { return sievable_; }
    LineStartSieve sieve() const { return LineStartSieve{firstLetters_, secondLetters_}; }

private:
    // The bucket of a content's first two bytes: the same for both cases of a letter.
    static std::size_t bucketOf(char first, char second)
    {
        return (static_cast<std::size_t>(static_cast<unsigned char>(first) | 0x20) & 31) << 5 |
               (static_cast<std::size_t>(static_cast<unsigned char>(second) | 0x20) & 31);
    }

    std::vector<Lead> leads_;
    std::array<std::uint32_t, 1024> byBucket_{};  // the usable leads that may begin so
    std::uint32_t unusable_ = 0;                   // the patterns without a quick test
    std::uint32_t firstColumnOnly_ = 0;            // leads that allow no white space before them
    std::string firstLetters_;
    std::string secondLetters_;
    bool sievable_ = true;
};

}  // namespace qb
