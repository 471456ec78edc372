#include "core/fileText.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace qb {

char cp1252Byte(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (std::size_t i = 0; i < cp1252HighCodePoints.size(); ++i)
        if (cp1252HighCodePoints[i] == c)
            return static_cast<char>(0x80 + i);
    return '?';
}

std::size_t utf8SequenceAt(std::string_view bytes, std::size_t at, char32_t& codePoint)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned lead = byte(at);
    const std::size_t length = lead < 0x80 ? 1
                               : lead >= 0xC2 && lead <= 0xDF ? 2
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                              : 0;
    if (length == 0 || at + length > bytes.size())
        return 0;
    char32_t c = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(at + k) & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (byte(at + k) & 0x3F);
    }
    // Overlong forms, encoded surrogates and values past U+10FFFF are not valid UTF-8.
    if ((length == 3 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) ||
        (length == 4 && (c < 0x10000 || c > 0x10FFFF)))
        return 0;
    codePoint = c;
    return length;
}

bool isValidUtf8(std::string_view bytes)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        // Plain ASCII, by far the most common, is passed over 32 or eight bytes at a time.
#if defined(__SSE2__)
        while (i + 32 <= bytes.size()) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + i));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + i + 16));
            if (_mm_movemask_epi8(_mm_or_si128(a, b)) != 0)
                break;
            i += 32;
        }
        if (i == bytes.size())
            break;
#endif
        if (i + 8 <= bytes.size()) {
            std::uint64_t word;
            std::memcpy(&word, bytes.data() + i, 8);
            if ((word & 0x8080808080808080ULL) == 0) {
                i += 8;
                continue;
            }
        }
        char32_t c;
        const std::size_t length = utf8SequenceAt(bytes, i, c);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

void appendUtf8(std::string& out, char32_t c)
{
    const auto put = [&out](char32_t value) { out.push_back(static_cast<char>(value)); };
    if (c < 0x80) {
        put(c);
    } else if (c < 0x800) {
        put(0xC0 | (c >> 6));
        put(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        put(0xE0 | (c >> 12));
        put(0x80 | ((c >> 6) & 0x3F));
        put(0x80 | (c & 0x3F));
    } else {
        put(0xF0 | (c >> 18));
        put(0x80 | ((c >> 12) & 0x3F));
        put(0x80 | ((c >> 6) & 0x3F));
        put(0x80 | (c & 0x3F));
    }
}

std::string utf8FromCp1252(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size());
    for (const char b : bytes)
        appendUtf8(text, cp1252CodePoint(static_cast<unsigned char>(b)));
    return text;
}

std::string cp1252FromUtf8(std::string_view text)
{
    std::string bytes;
    bytes.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t c;
        const std::size_t length = utf8SequenceAt(text, i, c);
        if (length == 0) {
            bytes.push_back(text[i++]);
            continue;
        }
        bytes.push_back(cp1252Byte(c));
        i += length;
    }
    return bytes;
}

namespace {

// How many bytes the sequence that `lead` starts has (1 for a byte that starts none: the check
// then finds it wrong).
std::size_t sequenceLength(unsigned char lead)
{
    return lead >= 0xF0 && lead <= 0xF7 ? 4 : lead >= 0xE0 && lead <= 0xEF ? 3 : lead >= 0xC0 && lead <= 0xDF ? 2 : 1;
}

}  // namespace

void Utf8Check::add(std::string_view part)
{
    if (!valid_)
        return;
    if (!carry_.empty()) {
        const std::size_t missing = sequenceLength(static_cast<unsigned char>(carry_.front())) - carry_.size();
        const std::size_t taken = std::min(missing, part.size());
        carry_.append(part.substr(0, taken));
        part.remove_prefix(taken);
        if (taken < missing)
            return;
        valid_ = isValidUtf8(carry_);
        carry_.clear();
    }
    // A sequence begun in the last three bytes and not finished there waits for the next part.
    std::size_t cut = part.size();
    for (std::size_t back = 1; back <= std::min<std::size_t>(3, part.size()); ++back) {
        const auto byte = static_cast<unsigned char>(part[part.size() - back]);
        if ((byte & 0xC0) != 0x80) {
            if (sequenceLength(byte) > back)
                cut = part.size() - back;
            break;
        }
    }
    valid_ = valid_ && isValidUtf8(part.substr(0, cut));
    carry_.assign(part.substr(cut));
}

std::string notInCp1252(std::string_view text)
{
    std::string missing;
    for (std::size_t i = 0; i < text.size();) {
        char32_t c;
        const std::size_t length = std::max<std::size_t>(utf8SequenceAt(text, i, c), 1);
        const std::string_view character = text.substr(i, length);
        if (length > 1 && cp1252Byte(c) == '?' && missing.find(character) == std::string::npos)
            missing += character;
        i += length;
    }
    return missing;
}

std::string decodeFileText(std::string_view bytes, bool isUtf8)
{
    return isUtf8 ? std::string(bytes) : utf8FromCp1252(bytes);
}

std::string decodeFileText(std::string_view bytes)
{
    return decodeFileText(bytes, isValidUtf8(bytes));
}

std::string decodePath(std::string_view path)
{
    std::string out;
    out.reserve(path.size());
    for (std::size_t from = 0; from <= path.size();) {
        const std::size_t slash = std::min(path.find('/', from), path.size());
        out += decodeFileText(path.substr(from, slash - from));
        if (slash < path.size())
            out += '/';
        from = slash + 1;
    }
    return out;
}

bool looksBinary(std::string_view bytes)
{
    const std::size_t probed = std::min(bytes.size(), binaryProbeSize);
    return std::memchr(bytes.data(), '\0', probed) != nullptr;
}

}  // namespace qb
