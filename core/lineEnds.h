// Finding line ends in bytes: a line ends at CR LF, LF or a lone CR, and the last line may have
// no end. Long lines are searched 16 bytes at a time where the processor allows it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qb {

inline bool isLineBreak(char c)
{
    return c == '\n' || c == '\r';
}

// The start of the line that follows a line ending at `end` (the index of its CR or LF, or the
// text's size for a last line without an end).
inline std::size_t afterLineEnd(std::string_view text, std::size_t end)
{
    if (end >= text.size())
        return text.size();
    return end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
}

// The end of the line that holds `from`: the index of the first CR or LF at or after it, or the
// text's size.
inline std::size_t lineEndFromScalar(std::string_view text, std::size_t from)
{
    while (from < text.size() && !isLineBreak(text[from]))
        ++from;
    return from;
}

inline std::size_t lineEndFrom(std::string_view text, std::size_t from)
{
#if defined(__SSE2__)
    // Short lines are the rule: the first bytes are looked at one by one, a long line 16 at a time.
    for (const std::size_t near = std::min(text.size(), from + 16); from < near; ++from)
        if (isLineBreak(text[from]))
            return from;
    const char* const bytes = text.data();
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    for (; from + 16 <= text.size(); from += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + from));
        if (const int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf))))
            return from + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
    }
#endif
    return lineEndFromScalar(text, from);
}

// How the bulk editing tools end the lines they write out as read.
enum class LineEnds {
    CrLf,  // every line ends in CR LF, the last one too, as the tools write copies
    Keep,  // each line keeps its own end, and a last line without one stays so
};

// The end that the line ending at `end` of `text` (see lineEndFrom) goes out with: CR LF, or
// under Keep its own (one of these constant ends; nothing for a last line without one). The one
// rule for copies, diffs and edits in place.
inline std::string_view lineEndOut(std::string_view text, std::size_t end, LineEnds ends)
{
    if (ends == LineEnds::CrLf)
        return "\r\n";
    if (end >= text.size())
        return {};
    if (text[end] == '\n')
        return "\n";
    return end + 1 < text.size() && text[end + 1] == '\n' ? std::string_view("\r\n") : std::string_view("\r");
}

// Calls `line(std::string_view)` with each line of `text`, without its end. The last line may
// have no end; a text that ends with a line end has no empty line after it.
template <class F>
void forEachLine(std::string_view text, F&& line)
{
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = lineEndFrom(text, start);
        line(text.substr(start, end - start));
        start = afterLineEnd(text, end);
    }
}

// The same, handing each line the end it goes out with (lineEndOut): `line(line, end)`.
template <class F>
void forEachLine(std::string_view text, LineEnds ends, F&& line)
{
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = lineEndFrom(text, start);
        line(text.substr(start, end - start), lineEndOut(text, end, ends));
        start = afterLineEnd(text, end);
    }
}

// How many line ends `text` holds.
inline std::size_t countLineEnds(std::string_view text)
{
    std::size_t count = 0;
    for (std::size_t at = lineEndFrom(text, 0); at < text.size(); at = lineEndFrom(text, afterLineEnd(text, at)))
        ++count;
    return count;
}

// True when every line of `text` ends in CR LF, the last one too (an empty text is true).
inline bool allLineEndsCrLf(std::string_view text)
{
    if (text.empty())
        return true;
    if (text.size() < 2 || text.back() != '\n' || text[text.size() - 2] != '\r')
        return false;
    const char* const bytes = text.data();
    std::size_t i = 0;
#if defined(__SSE2__)
    // Each LF must stand right after a CR and each CR right before an LF: the LF bits are the CR
    // bits moved on by one (the last CR of 16 bytes carried into the next 16).
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    unsigned carried = 0;
    for (; i + 16 <= text.size(); i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        const auto crs = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, cr)));
        const auto lfs = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf)));
        if (lfs != (((crs << 1) | carried) & 0xFFFFu))
            return false;
        carried = crs >> 15;
    }
    if (carried && bytes[i] != '\n')
        return false;
#endif
    for (; i < text.size(); ++i) {
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r'))
            return false;
        if (bytes[i] == '\r' && (i + 1 == text.size() || bytes[i + 1] != '\n'))
            return false;
    }
    return true;
}

}  // namespace qb
