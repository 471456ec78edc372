// Line splitting over a whole file's bytes, without copying: a line ends at CR LF, LF or a lone
// CR, the last line may have no end, and a text ending in a line break has no empty line after it.
#pragma once

#include <cstring>
#include <string_view>

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

// Walks the lines of a text in order. It remembers where the next CR and the next LF are, so
// each byte is looked at by one memchr for each of the two, whatever mix of line ends the text has.
class LineCursor {
public:
    explicit LineCursor(std::string_view text) : text_(text), cr_(find('\r', 0)), lf_(find('\n', 0)) {}

    // The next line without its end; false when no line is left.
    bool next(std::string_view& line)
    {
        if (pos_ >= text_.size())
            return false;
        if (cr_ < pos_)
            cr_ = find('\r', pos_);
        if (lf_ < pos_)
            lf_ = find('\n', pos_);
        const std::size_t end = cr_ < lf_ ? cr_ : lf_;
        line = text_.substr(pos_, end - pos_);
        pos_ = afterLineEnd(text_, end);
        return true;
    }

private:
    std::size_t find(char c, std::size_t from) const
    {
        if (from >= text_.size())
            return text_.size();
        const void* hit = std::memchr(text_.data() + from, c, text_.size() - from);
        return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text_.data()) : text_.size();
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t cr_;
    std::size_t lf_;
};

// The end of the line that holds `from`: the index of the first CR or LF at or after it, or the
// text's size.
inline std::size_t lineEndFrom(std::string_view text, std::size_t from)
{
    while (from < text.size() && !isLineBreak(text[from]))
        ++from;
    return from;
}

}  // namespace qb
