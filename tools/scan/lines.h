// Line splitting and byte search over a whole file's bytes, without copying: a line ends at CR LF,
// LF or a lone CR, the last line may have no end, and a text ending in a line break has no empty
// line after it. Both scans run over every byte of every file, so the inner loops look at 16
// bytes at a time where the processor allows it.
#pragma once

#include "core/lineEnds.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace qb {

// How many lines end in text[from, to): CR LF counts once, as do a lone CR and a lone LF. Neither
// end may fall between the CR and the LF of one line break.
inline std::uint64_t countLineBreaksScalar(std::string_view text, std::size_t from, std::size_t to)
{
    std::uint64_t count = 0;
    // An LF always ends a line; a CR only when no LF follows it. One branch-free pass; the text's
    // very last byte is looked at alone.
    const char* const bytes = text.data();
    const std::size_t end = std::min(to, text.size() - (text.empty() ? 0 : 1));
    for (std::size_t i = from; i < end; ++i)
        count += static_cast<unsigned>(bytes[i] == '\n') | (static_cast<unsigned>(bytes[i] == '\r') & static_cast<unsigned>(bytes[i + 1] != '\n'));
    if (end < to)
        count += bytes[end] == '\n' || bytes[end] == '\r';
    return count;
}

inline std::uint64_t countLineBreaks(std::string_view text, std::size_t from, std::size_t to)
{
    std::uint64_t count = 0;
#if defined(__SSE2__)
    const char* const bytes = text.data();
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    // Each 16 bytes at once, with the byte after each of them (so the loop stops one byte early).
    // A line end counts 1 in its byte's lane; the lanes are summed before any can pass 255.
    while (from + 16 <= to && from + 17 <= text.size()) {
        __m128i lanes = _mm_setzero_si128();
        for (int round = 0; round < 255 && from + 16 <= to && from + 17 <= text.size(); ++round, from += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + from));
            const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + from + 1));
            const __m128i ends = _mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_andnot_si128(_mm_cmpeq_epi8(next, lf), _mm_cmpeq_epi8(v, cr)));
            lanes = _mm_sub_epi8(lanes, ends);  // a match is -1 in its lane
        }
        const __m128i sums = _mm_sad_epu8(lanes, _mm_setzero_si128());
        count += static_cast<std::uint64_t>(_mm_cvtsi128_si32(sums)) + static_cast<std::uint64_t>(_mm_extract_epi16(sums, 4));
    }
#endif
    return count + countLineBreaksScalar(text, from, to);
}

// The white space a line's content may follow: space, tab, vertical tab, form feed.
inline bool isLineBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

// The start of the line whose content starts at `contentStart`.
inline std::size_t lineStartOf(std::string_view text, std::size_t contentStart)
{
    while (contentStart > 0 && isLineBlank(text[contentStart - 1]))
        --contentStart;
    return contentStart;
}

// What a line's content (the line after its leading blanks: space, tab, vertical tab, form feed)
// must begin with to be visited: its first byte one of `first`, its second one of `second`. Both
// hold one to four lower-case ASCII letters, which match in either case.
struct LineStartSieve {
    std::string_view first;
    std::string_view second;
};

// The byte-by-byte forms of the searches below: what processors without SSE2 run, and what the
// vector forms are tested against.
template <class Visit>
void forEachLineStartingWithScalar(std::string_view text, const LineStartSieve& sieve, Visit&& visit)
{
    const char* const bytes = text.data();
    const std::size_t size = text.size();
    const auto fold = [](char c) { return static_cast<char>(c | 0x20); };
    bool inLead = true;
    for (std::size_t i = 0; i < size; ++i) {
        const char c = bytes[i];
        if (isLineBreak(c)) {
            inLead = true;
        } else if (inLead && !isLineBlank(c)) {
            inLead = false;
            if (i + 1 < size && sieve.first.find(fold(c)) != std::string_view::npos &&
                sieve.second.find(fold(bytes[i + 1])) != std::string_view::npos)
                visit(i);
        }
    }
}

// The middle of a needle compared where its first and last bytes fit: a few bytes, compared in
// place rather than through a call.
inline bool sameBytes(const char* a, const char* b, std::size_t size)
{
    for (std::size_t i = 0; i < size; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

inline std::size_t findBytesScalar(std::string_view text, std::string_view needle, std::size_t from)
{
    return from >= text.size() ? std::string_view::npos : text.find(needle, from);
}

// Calls visit(contentStart) for every line of `text` whose content begins as `sieve` says: the
// index in `text` of the content's first byte (lineStartOf finds the line's start). Other
// lines are passed over without being looked at one by one: each 64-byte stretch is sifted at
// once, and the white space that follows a line break is carried through by an addition (a run of
// white-space bits plus a bit at its start carries out just past it).
template <class Visit>
void forEachLineStartingWith(std::string_view text, const LineStartSieve& sieve, Visit&& visit)
{
    assert(!sieve.first.empty() && !sieve.second.empty());
#if defined(__SSE2__)
    const char* const bytes = text.data();
    const std::size_t size = text.size();
    // Four letters each, the last repeated to fill the places: a fixed count the compiler unrolls.
    constexpr std::size_t places = 4;
    __m128i firsts[places], seconds[places];
    for (std::size_t i = 0; i < places; ++i) {
        firsts[i] = _mm_set1_epi8(sieve.first[i < sieve.first.size() ? i : sieve.first.size() - 1]);
        seconds[i] = _mm_set1_epi8(sieve.second[i < sieve.second.size() ? i : sieve.second.size() - 1]);
    }
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n'), space = _mm_set1_epi8(' ');
    const __m128i tab = _mm_set1_epi8('\t'), four = _mm_set1_epi8(4), caseBit = _mm_set1_epi8(0x20);
    const auto anyOf = [](__m128i v, const __m128i* wanted) {
        return _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, wanted[0]), _mm_cmpeq_epi8(v, wanted[1])),
                            _mm_or_si128(_mm_cmpeq_epi8(v, wanted[2]), _mm_cmpeq_epi8(v, wanted[3])));
    };
    // One bit per byte of a 64-byte stretch: line breaks, white space (line breaks included) and
    // bytes where the content a line may begin with stands.
    struct Masks {
        std::uint64_t breaks = 0, space = 0, wanted = 0;
    };
    const auto sift = [&](const char* chunk) {
        Masks m;
        for (int part = 0; part < 4; ++part) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chunk + 16 * part));
            const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chunk + 16 * part + 1));
            const __m128i breaks = _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf));
            const __m128i fromTab = _mm_sub_epi8(v, tab);  // tab to carriage return: 0 to 4
            const __m128i white = _mm_or_si128(_mm_cmpeq_epi8(v, space),
                                               _mm_cmpeq_epi8(_mm_min_epu8(fromTab, four), fromTab));
            const __m128i wanted = _mm_and_si128(anyOf(_mm_or_si128(v, caseBit), firsts),
                                                 anyOf(_mm_or_si128(next, caseBit), seconds));
            const auto bits = [](__m128i x) { return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(x))); };
            m.breaks |= bits(breaks) << (16 * part);
            m.space |= bits(white) << (16 * part);
            m.wanted |= bits(wanted) << (16 * part);
        }
        return m;
    };
    // A line break starts a run of white space that ends at the next line's content; the text's
    // start counts as one, and a run may go on into the next stretch.
    std::uint64_t carry = 1;
    for (std::size_t base = 0; base < size; base += 64) {
        Masks m;
        if (base + 65 <= size) {
            m = sift(bytes + base);
        } else {
            char tail[80] = {};  // zero bytes are neither white space nor wanted
            std::memcpy(tail, bytes + base, size - base);
            m = sift(tail);
        }
        std::uint64_t sum;
        const bool over1 = __builtin_add_overflow(m.space, m.breaks, &sum);
        const bool over2 = __builtin_add_overflow(sum, carry, &sum);
        carry = (over1 || over2) ? 1 : 0;
        for (std::uint64_t hits = sum & ~m.space & m.wanted; hits; hits &= hits - 1)
            visit(base + static_cast<std::size_t>(__builtin_ctzll(hits)));
    }
#else
    forEachLineStartingWithScalar(text, sieve, visit);
#endif
}

// The index of the first occurrence of `needle` (at least two bytes) at or after `from`, or npos.
// Blocks are sifted by the needle's first and last bytes together, so few places get compared;
// this form takes 16 bytes at a time.
inline std::size_t findBytes16(std::string_view text, std::string_view needle, std::size_t from)
{
    assert(needle.size() >= 2);
    const std::size_t size = text.size();
    const std::size_t last = needle.size() - 1;
    std::size_t i = from;
#if defined(__SSE2__)
    const char* const bytes = text.data();
    const __m128i first = _mm_set1_epi8(needle.front());
    const __m128i final = _mm_set1_epi8(needle.back());
    for (; i + last + 16 <= size; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i + last));
        auto mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, final))));
        while (mask) {
            const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(mask));
            if (sameBytes(bytes + at + 1, needle.data() + 1, last - 1))
                return at;
            mask &= mask - 1;
        }
    }
#endif
    return findBytesScalar(text, needle, i);
}

#if defined(__x86_64__) && defined(__GNUC__)
#define QB_FIND_BYTES_32 1
// The same search 32 bytes at a time, for processors with AVX2 (asked once, at the first call):
// the TODO scan spends most of its own time in this loop.
__attribute__((target("avx2"))) inline std::size_t findBytes32(std::string_view text, std::string_view needle,
                                                               std::size_t from)
{
    assert(needle.size() >= 2);
    const std::size_t size = text.size();
    const std::size_t last = needle.size() - 1;
    const char* const bytes = text.data();
    const __m256i first = _mm256_set1_epi8(needle.front());
    const __m256i final = _mm256_set1_epi8(needle.back());
    std::size_t i = from;
    for (; i + last + 32 <= size; i += 32) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + i));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + i + last));
        auto mask = static_cast<unsigned>(
            _mm256_movemask_epi8(_mm256_and_si256(_mm256_cmpeq_epi8(a, first), _mm256_cmpeq_epi8(b, final))));
        while (mask) {
            const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(mask));
            if (sameBytes(bytes + at + 1, needle.data() + 1, last - 1))
                return at;
            mask &= mask - 1;
        }
    }
    return findBytes16(text, needle, i);
}

inline bool hasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

inline std::size_t findBytes(std::string_view text, std::string_view needle, std::size_t from)
{
#if defined(QB_FIND_BYTES_32)
    if (hasAvx2())
        return findBytes32(text, needle, from);
#endif
    return findBytes16(text, needle, from);
}

}  // namespace qb
