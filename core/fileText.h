// How a file's bytes become text for people, without Qt: the bytes are UTF-8 when they are valid
// UTF-8, and otherwise Windows-1252, where every byte is one character. The decision is made once
// per file, on all of its bytes, so one file never shows in two encodings. Also the test that
// tells binary files from text files, the way grep and ripgrep tell them apart.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace qb {

// Code points of the Windows-1252 bytes 0x80-0x9F; every other byte is its own code point. The
// five bytes the code page leaves undefined map to the C1 control of the same value, so every byte
// survives a round trip.
inline constexpr std::array<char16_t, 32> cp1252HighCodePoints = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

inline char32_t cp1252CodePoint(unsigned char byte)
{
    return byte >= 0x80 && byte < 0xA0 ? cp1252HighCodePoints[byte - 0x80] : char32_t(byte);
}

// The Windows-1252 byte for a code point, or '?' when the code page cannot hold it.
char cp1252Byte(char32_t codePoint);

// The length of the valid UTF-8 sequence at `at` (1 to 4), storing its code point; 0 when the
// bytes there are not valid UTF-8 (a stray or missing continuation byte, an overlong form, an
// encoded surrogate, a value past U+10FFFF, or a sequence cut off by the end).
std::size_t utf8SequenceAt(std::string_view bytes, std::size_t at, char32_t& codePoint);
bool isValidUtf8(std::string_view bytes);

// Whether bytes that come in parts are valid UTF-8 as a whole, as isValidUtf8 says of them joined:
// a sequence may be split between two parts. Holds at most three bytes.
class Utf8Check {
public:
    void add(std::string_view part);
    // After the last part: false also when the bytes end inside a sequence.
    bool valid() const { return valid_ && carry_.empty(); }

private:
    std::string carry_;  // a sequence begun at the end of the last part
    bool valid_ = true;
};

// Appends the UTF-8 form of one code point.
void appendUtf8(std::string& out, char32_t codePoint);
// Windows-1252 bytes as UTF-8.
std::string utf8FromCp1252(std::string_view bytes);

// UTF-8 text (typed on a command line, say) as the Windows-1252 bytes a box would give for it:
// a character the code page cannot hold becomes '?'. Bytes that are not valid UTF-8 pass as they are.
std::string cp1252FromUtf8(std::string_view text);

// The characters of the UTF-8 `text` that Windows-1252 cannot hold, each once, in the order they
// first come; empty when the code page holds them all.
std::string notInCp1252(std::string_view text);

// A file's text as UTF-8: its bytes themselves when `isUtf8` (the file was valid UTF-8), otherwise
// decoded as Windows-1252. decodeFileText(bytes) decides by the bytes given.
std::string decodeFileText(std::string_view bytes, bool isUtf8);
std::string decodeFileText(std::string_view bytes);

// A path as UTF-8, decided one name at a time: a name that is valid UTF-8 stays as it is, any other
// is decoded as Windows-1252, so one odd name does not garble the rest of the path.
std::string decodePath(std::string_view path);

// A file is binary when a NUL byte stands in its first 64 KiB.
inline constexpr std::size_t binaryProbeSize = 64 * 1024;
bool looksBinary(std::string_view bytes);

}  // namespace qb
