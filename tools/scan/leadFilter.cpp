#include "tools/scan/leadFilter.h"

#include <bit>
#include <cassert>
#include <cstring>

namespace qb {

namespace {

// The sieve compares four letters at each place.
constexpr std::size_t maxSievedLetters = 4;

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool isLowerLetter(char c)
{
    return c >= 'a' && c <= 'z';
}

std::uint64_t wordOf(const char (&bytes)[8])
{
    std::uint64_t word;
    std::memcpy(&word, bytes, 8);
    return word;
}

// True when `content` begins with the lead's text, ASCII letters in either case.
bool beginsWith(std::string_view content, const LeadFilter::Lead& lead)
{
    if (content.size() < lead.text.size())
        return false;
    char bytes[8] = {};
    std::memcpy(bytes, content.data(), content.size() < 8 ? content.size() : 8);
    if (((wordOf(bytes) | lead.headCase) & lead.headMask) != lead.head)
        return false;
    for (std::size_t i = 8; i < lead.text.size(); ++i)
        if (asciiLower(content[i]) != lead.text[i])
            return false;
    return true;
}

}  // namespace

LeadFilter::Lead LeadFilter::leadOf(std::string_view pattern)
{
    Lead lead;
    if (!pattern.starts_with('^'))
        return lead;
    pattern.remove_prefix(1);
    if (pattern.starts_with(R"(\s*)")) {
        lead.afterSpace = true;
        pattern.remove_prefix(3);
    }
    // Plain text only, and not beginning with white space (which "\s*" could share).
    if (pattern.empty() || isPatternSpace(pattern.front()) ||
        pattern.find_first_of(R"(\^$.|?*+()[]{})") != std::string_view::npos)
        return lead;
    for (char c : pattern)
        lead.text.push_back(asciiLower(c));
    char head[8] = {}, headCase[8] = {}, headMask[8] = {};
    for (std::size_t i = 0; i < lead.text.size() && i < 8; ++i) {
        head[i] = lead.text[i];
        headCase[i] = isLowerLetter(lead.text[i]) ? 0x20 : 0;
        headMask[i] = static_cast<char>(0xFF);
    }
    lead.head = wordOf(head);
    lead.headCase = wordOf(headCase);
    lead.headMask = wordOf(headMask);
    lead.usable = true;
    return lead;
}

LeadFilter::LeadFilter(std::span<const std::string_view> patterns)
{
    assert(patterns.size() <= 32);  // a bit each in a 32-bit word
    for (std::size_t i = 0; i < patterns.size() && i < 32; ++i) {
        const std::uint32_t bit = std::uint32_t{1} << i;
        Lead lead = leadOf(patterns[i]);
        if (!lead.usable) {
            unusable_ |= bit;
            sievable_ = false;
        } else {
            if (!lead.afterSpace)
                firstColumnOnly_ |= bit;
            if (lead.text.size() < 2) {  // any second byte will do
                const std::size_t row = bucketOf(lead.text[0], '\0');
                for (std::size_t second = 0; second < 32; ++second)
                    byBucket_[row | second] |= bit;
            } else {
                byBucket_[bucketOf(lead.text[0], lead.text[1])] |= bit;
            }
            if (lead.text.size() < 2 || !isLowerLetter(lead.text[0]) || !isLowerLetter(lead.text[1])) {
                sievable_ = false;
            } else {
                if (firstLetters_.find(lead.text[0]) == std::string::npos)
                    firstLetters_ += lead.text[0];
                if (secondLetters_.find(lead.text[1]) == std::string::npos)
                    secondLetters_ += lead.text[1];
            }
        }
        leads_.push_back(std::move(lead));
    }
    sievable_ = sievable_ && !firstLetters_.empty() && firstLetters_.size() <= maxSievedLetters && secondLetters_.size() <= maxSievedLetters;
}

std::uint32_t LeadFilter::candidates(std::string_view content, bool indented) const
{
    if (content.empty())
        return unusable_;
    const std::uint32_t possible = byBucket_[bucketOf(content[0], content.size() > 1 ? content[1] : '\0')] &
                                   (indented ? ~firstColumnOnly_ : ~std::uint32_t{0});
    std::uint32_t worth = unusable_;
    for (std::uint32_t left = possible; left; left &= left - 1) {
        const int i = std::countr_zero(left);
        if (beginsWith(content, leads_[static_cast<std::size_t>(i)]))
            worth |= std::uint32_t{1} << i;
    }
    return worth;
}

std::uint32_t LeadFilter::candidatesFor(std::string_view line) const
{
    std::size_t start = 0;
    while (start < line.size() && isPatternSpace(line[start]))
        ++start;
    return candidates(line.substr(start), start > 0);
}

}  // namespace qb
