#include "core/lineBlocks.h"

#include "core/fs.h"
#include "core/lineEnds.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace qb {

namespace {

// A buffer grown for a long line is given back when the next file starts, once it is this many
// blocks.
constexpr std::size_t keptBlocks = 8;
constexpr std::size_t roomStep = 64 * 1024;

}  // namespace

LineBlocks::LineBlocks(std::size_t blockSize, std::size_t lineLimit)
    : blockSize_(std::max<std::size_t>(blockSize, 1)), lineLimit_(lineLimit), data_(nullptr, std::free)
{
}

LineBlocks::~LineBlocks() = default;

Result<void> LineBlocks::open(const std::filesystem::path& path, int folder)
{
    close();
    if (capacity_ > keptBlocks * blockSize_) {
        data_.reset();
        capacity_ = 0;
    }
    begin_ = end_ = 0;
    eof_ = partial_ = continued_ = false;
    offset_ = runOffset_ = read_ = 0;
    path_ = &path;
    auto fd = FileSystemObject().openForReading(path, folder, &size_);
    if (!fd)
        return std::unexpected(std::move(fd.error()));
    fd_ = std::move(*fd);
    return {};
}

void LineBlocks::close()
{
    fd_ = sys::UniqueFd();
}

void LineBlocks::makeRoom(std::size_t size)
{
    const std::size_t waiting = end_ - begin_;
    if (begin_ > 0 && waiting > 0)
        std::memmove(data_.get(), data_.get() + begin_, waiting);
    begin_ = 0;
    end_ = waiting;
    if (capacity_ >= size)
        return;
    // Growing by a quarter keeps the copies a long line costs linear in its length, and the room
    // close to it.
    std::size_t room = std::max({size, capacity_ + capacity_ / 4, 2 * blockSize_});
    room = (room + roomStep - 1) / roomStep * roomStep;
    void* grown = std::realloc(data_.get(), room);
    if (!grown)
        throw std::bad_alloc();
    data_.release();
    data_.reset(static_cast<char*>(grown));
    capacity_ = room;
}

Result<void> LineBlocks::fill(std::size_t size)
{
    while (!eof_ && end_ - begin_ < size) {
        if (capacity_ - end_ < blockSize_ || capacity_ - begin_ < size)
            makeRoom(std::max(size, end_ - begin_ + blockSize_));
        const ssize_t got = sys::read(fd_.get(), data_.get() + end_, capacity_ - end_);
        if (got < 0)
            return std::unexpected(systemError(errno, *path_));
        end_ += static_cast<std::size_t>(got);
        read_ += static_cast<std::uint64_t>(got);
        // A file read to its size needs no read that finds nothing more: most files of a tree
        // take one read instead of two.
        if (got == 0 || (size_ > 0 && read_ >= size_))
            eof_ = true;
    }
    return {};
}

Result<std::string_view> LineBlocks::peek(std::size_t size)
{
    if (auto filled = fill(size); !filled)
        return std::unexpected(std::move(filled.error()));
    return std::string_view(data_.get() + begin_, end_ - begin_);
}

std::size_t LineBlocks::lastCut(std::size_t limit) const
{
    const char* const bytes = data_.get();
    for (std::size_t p = limit; p > begin_;) {
        --p;
        if (bytes[p] == '\n')
            return p + 1;
        // A CR ends its line after the LF that may follow it: that byte must have been read.
        if (bytes[p] == '\r' && p + 1 < end_)
            return bytes[p + 1] == '\n' ? p + 2 : p + 1;
    }
    return 0;
}

Result<std::size_t> LineBlocks::cutAfterLongLine(std::size_t from)
{
    std::size_t searched = from - begin_;  // kept from begin_, which moves when the room does
    for (;;) {
        const std::string_view waiting(data_.get() + begin_, end_ - begin_);
        const std::size_t at = lineEndFrom(waiting, searched);
        if (at < waiting.size()) {
            if (waiting[at] == '\n')
                return begin_ + at + 1;
            if (at + 1 < waiting.size())
                return begin_ + at + (waiting[at + 1] == '\n' ? 2 : 1);
        }
        if (eof_)
            return end_;
        if (lineLimit_ > 0 && at >= lineLimit_) {
            partial_ = true;  // the line goes on in the next run
            return begin_ + at;
        }
        searched = at;  // the CR is looked at again once the byte after it is there
        if (auto filled = fill(end_ - begin_ + blockSize_); !filled)
            return std::unexpected(std::move(filled.error()));
    }
}

Result<std::string_view> LineBlocks::next()
{
    if (end_ - begin_ < blockSize_) {
        if (auto filled = fill(blockSize_); !filled)
            return std::unexpected(std::move(filled.error()));
    }
    continued_ = std::exchange(partial_, false);
    runOffset_ = offset_;
    if (begin_ == end_)
        return std::string_view();
    const std::size_t limit = std::min(end_, begin_ + blockSize_);
    std::size_t cut = eof_ && limit == end_ ? end_ : lastCut(limit);
    if (cut == 0) {
        auto after = cutAfterLongLine(limit);
        if (!after)
            return std::unexpected(std::move(after.error()));
        cut = *after;
    }
    const std::string_view run(data_.get() + begin_, cut - begin_);
    offset_ += cut - begin_;
    begin_ = cut;
    return run;
}

Result<void> LineBlocks::reread(std::uint64_t offset, std::size_t size, std::string& bytes)
{
    bytes.resize(size);
    for (std::size_t got = 0; got < size;) {
        const ssize_t n = sys::pread(fd_.get(), bytes.data() + got, size - got, static_cast<off_t>(offset + got));
        if (n < 0)
            return std::unexpected(systemError(errno, *path_));
        if (n == 0)
            return std::unexpected(systemError(EIO, *path_));  // the file shrank meanwhile
        got += static_cast<std::size_t>(n);
    }
    return {};
}

}  // namespace qb
