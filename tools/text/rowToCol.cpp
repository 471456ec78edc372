#include "tools/text/rowToCol.h"

#include "core/fs.h"
#include "core/fsSys.h"
#include "core/mdlText.h"

#include <cerrno>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

namespace qb {

namespace {

// Splits at every `separator`; an empty text gives no pieces.
std::vector<std::string_view> split(std::string_view text, std::string_view separator)
{
    std::vector<std::string_view> pieces;
    if (text.empty())
        return pieces;
    std::size_t start = 0;
    for (std::size_t at = text.find(separator); at != std::string_view::npos; at = text.find(separator, start)) {
        pieces.push_back(text.substr(start, at - start));
        start = at + separator.size();
    }
    pieces.push_back(text.substr(start));
    return pieces;
}

std::unexpected<Error> complaint(std::string message)
{
    return std::unexpected(Error{0, std::move(message)});
}

}  // namespace

Result<std::string> rowToCol(std::string_view text)
{
    std::vector<std::string_view> lines = split(text, crlf);
    if (lines.size() == 1)
        lines = split(text, "\r");
    if (lines.size() == 1)
        lines = split(text, "\n");
    if (lines.size() == 1)
        return complaint("ensure that you've got two lines");
    if (lines.empty())
        return fail(err::SubscriptOutOfRange, "Subscript out of range");

    const std::vector<std::string_view> names = split(lines[0], "\t");
    const std::vector<std::string_view> values = split(lines[1], "\t");
    if (names.size() != values.size())
        return complaint("Must have same number of tabs in each line.  Make sure that you don't have tabs inside "
                         "of values.");
    if (names.size() > static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max()))
        return fail(err::Overflow, "the rows hold " + std::to_string(names.size()) +
                                       " values, more than 32767, the largest count a 16-bit number holds");

    std::size_t widest = 0;
    std::size_t size = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        widest = std::max(widest, names[i].size());
        size += values[i].size() + 3;
    }
    std::string result;
    result.reserve(size + widest * names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        result += names[i];
        result.append(widest - names[i].size(), ' ');
        result += '\t';
        result += values[i];
        result += crlf;
    }
    return result;
}

void RowsEnd::feed(std::string_view block)
{
    for (std::size_t i = 0; i < block.size(); ++i) {
        const std::uint64_t at = size_ + i;
        if (block[i] == '\r') {
            cr_.add(at);
            lastWasCr_ = true;
            continue;
        }
        if (block[i] == '\n') {
            lf_.add(at);
            if (lastWasCr_)
                crlf_.add(at - 1);
        }
        lastWasCr_ = false;
    }
    size_ += block.size();
}

std::uint64_t RowsEnd::end() const
{
    // The second break of the rule that applies ends the second line; with one break only, the
    // second line runs to the end of the text.
    for (const FirstTwo* breaks : {&crlf_, &cr_, &lf_})
        if (breaks->count > 0)
            return breaks->count == 2 ? breaks->at[1] : size_;
    // No break at all: one line, which rowToCol refuses whatever its length; one byte says as much.
    return std::min<std::uint64_t>(size_, 1);
}

Result<std::string> readRows(const std::filesystem::path& path)
{
    auto fd = FileSystemObject().openForReading(path);
    if (!fd)
        return std::unexpected(fd.error());
    RowsEnd rows;
    std::string block(64 * 1024, '\0');
    while (!rows.settled()) {
        const ssize_t n = sys::read(fd->get(), block.data(), block.size());
        if (n < 0)
            return std::unexpected(systemError(errno, path));
        if (n == 0)
            break;
        rows.feed(std::string_view(block.data(), static_cast<std::size_t>(n)));
    }
    std::string text(static_cast<std::size_t>(rows.end()), '\0');
    std::size_t got = 0;
    while (got < text.size()) {
        const ssize_t n = sys::pread(fd->get(), text.data() + got, text.size() - got, static_cast<off_t>(got));
        if (n < 0)
            return std::unexpected(systemError(errno, path));
        if (n == 0)
            break;  // the file shrank meanwhile
        got += static_cast<std::size_t>(n);
    }
    text.resize(got);
    return text;
}

std::string rowToColMessage(const Error& error)
{
    if (error.number == 0)
        return error.description;
    return "frmTwoTabbedRowsToCols: " + formatError(error);
}

}  // namespace qb
