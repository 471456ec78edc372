// Text streams: buffered, byte-transparent reading by lines and writing, checked to the end.
#include "core/fs.h"
#include "core/lineEnds.h"

#include "core/fsDetail.h"
#include "core/mdlText.h"

#include <cassert>
#include <exception>
#include <memory>
#include <optional>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qb {

namespace fs = std::filesystem;
using detail::blockSize;

namespace {

// A line longer than this gets room for its exact length instead of growing by doubling.
constexpr std::size_t longLine = 16 * blockSize;

// The first CR or LF in `bytes` at or after `from`, or npos (core/lineEnds.h).
std::size_t findLineEnd(std::string_view bytes, std::size_t from)
{
    const std::size_t end = lineEndFrom(bytes, from);
    return end < bytes.size() ? end : std::string_view::npos;
}

// How many bytes of the file open as `fd` follow its current offset before the next line end
// (or its end); nothing when the file cannot be read ahead without moving that offset.
std::optional<std::size_t> bytesToLineEnd(int fd)
{
    const off_t at = ::lseek(fd, 0, SEEK_CUR);
    if (at < 0)
        return std::nullopt;
    const std::size_t size = 16 * blockSize;
    const auto block = std::make_unique<char[]>(size);
    std::size_t length = 0;
    for (;;) {
        ssize_t n;
        do
            n = ::pread(fd, block.get(), size, at + static_cast<off_t>(length));
        while (n < 0 && errno == EINTR);
        if (n < 0)
            return std::nullopt;
        const std::size_t end = findLineEnd(std::string_view(block.get(), static_cast<std::size_t>(n)), 0);
        if (end != std::string_view::npos)
            return length + end;
        if (n == 0)
            return length;
        length += static_cast<std::size_t>(n);
    }
}

}  // namespace

TextStream::TextStream(sys::UniqueFd fd, IOMode mode, fs::path path, fs::path tempPath, bool replace,
                       sys::UniqueFd folder)
    : fd_(std::move(fd)),
      mode_(mode),
      path_(std::move(path)),
      tempPath_(std::move(tempPath)),
      folder_(std::move(folder)),
      replace_(replace)
{
}

TextStream::TextStream(TextStream&& other) noexcept
    : fd_(std::move(other.fd_)),
      mode_(other.mode_),
      path_(std::move(other.path_)),
      tempPath_(std::exchange(other.tempPath_, {})),
      folder_(std::move(other.folder_)),
      replace_(other.replace_),
      inFile_(other.inFile_),
      buffer_(std::move(other.buffer_)),
      pos_(std::exchange(other.pos_, 0)),
      eof_(other.eof_),
      pendingErrno_(other.pendingErrno_)
{
}

TextStream& TextStream::operator=(TextStream&& other) noexcept
{
    if (this != &other) {
        closeQuietly();
        fd_ = std::move(other.fd_);
        mode_ = other.mode_;
        path_ = std::move(other.path_);
        tempPath_ = std::exchange(other.tempPath_, {});
        folder_ = std::move(other.folder_);
        replace_ = other.replace_;
        inFile_ = other.inFile_;
        buffer_ = std::move(other.buffer_);
        pos_ = std::exchange(other.pos_, 0);
        eof_ = other.eof_;
        pendingErrno_ = other.pendingErrno_;
    }
    return *this;
}

TextStream::~TextStream()
{
    closeQuietly();
}

void TextStream::closeQuietly() noexcept
{
    // A stream that is published on Close() must end in Close() or Discard(): dropping it would
    // hide a write the caller forgot to finish. While an exception unwinds, dropping it is the
    // way out.
    assert((!fd_ || tempPath_.empty() || std::uncaught_exceptions() > 0) &&
           "a replacing stream was destroyed without Close() or Discard()");
    if (fd_ && mode_ != IOMode::ForReading && tempPath_.empty() && pendingErrno_ == 0)
        (void)flush();
    Discard();
}

void TextStream::Discard() noexcept
{
    if (!tempPath_.empty()) {
        detail::TempFile temp{std::move(fd_), std::exchange(tempPath_, {}), std::move(folder_)};
        detail::discard(temp);
    }
    fd_ = {};
    folder_ = {};
    buffer_.clear();
    pos_ = 0;
}

Result<void> TextStream::usable(bool forWriting) const
{
    if (!fd_)
        return fail(err::BadFileName, path_.string() + ": the stream is closed");
    if ((mode_ != IOMode::ForReading) != forWriting)
        return fail(err::PathFileAccess, path_.string() + (forWriting ? ": the stream is open for reading"
                                                                       : ": the stream is open for writing"));
    if (pendingErrno_ != 0)
        return std::unexpected(systemError(pendingErrno_, path_));
    return {};
}

Result<bool> TextStream::fill()
{
    if (eof_)
        return false;
    if (pos_ > 0) {
        buffer_.erase(0, pos_);
        pos_ = 0;
    }
    const std::size_t kept = buffer_.size();
    buffer_.resize(kept + blockSize);
    const ssize_t n = sys::read(fd_.get(), buffer_.data() + kept, blockSize);
    if (n < 0) {
        pendingErrno_ = errno;
        buffer_.resize(kept);
        return std::unexpected(systemError(pendingErrno_, path_));
    }
    buffer_.resize(kept + static_cast<std::size_t>(n));
    if (n == 0)
        eof_ = true;
    return n > 0;
}

bool TextStream::AtEndOfStream()
{
    if (!fd_ || mode_ != IOMode::ForReading)
        return true;
    if (pendingErrno_ != 0)
        return false;  // the next read reports the error
    if (pos_ < buffer_.size())
        return false;
    auto more = fill();
    return more.has_value() && !*more;
}

Result<bool> TextStream::readLine(std::string& line)
{
    if (auto ok = usable(false); !ok)
        return std::unexpected(ok.error());
    line.clear();
    bool started = false;  // part of the line has been moved to `line`
    bool sized = false;    // `line` has room for the whole line
    for (;;) {
        const std::size_t end = findLineEnd(buffer_, pos_);
        if (end != std::string::npos) {
            line.append(buffer_, pos_, end - pos_);
            pos_ = end;
            // A CR as the last byte read so far may be the first half of a CR LF.
            if (buffer_[end] == '\r' && end + 1 == buffer_.size() && !eof_) {
                started = true;
                if (auto more = fill(); !more)
                    return std::unexpected(more.error());
                continue;
            }
            const bool crlfEnd = buffer_[end] == '\r' && end + 1 < buffer_.size() && buffer_[end + 1] == '\n';
            pos_ = end + (crlfEnd ? 2 : 1);
            return true;
        }
        if (eof_) {
            if (pos_ == buffer_.size() && !started)
                return false;
            line.append(buffer_, pos_);
            pos_ = buffer_.size();
            return true;
        }
        // No line end in what was read: the bytes move to `line`, so the buffer stays one block.
        started = started || pos_ < buffer_.size();
        line.append(buffer_, pos_);
        pos_ = buffer_.size();
        if (!sized && line.size() >= longLine) {
            sized = true;
            if (const auto rest = bytesToLineEnd(fd_.get()); rest && line.capacity() < line.size() + *rest) {
                std::string room;
                room.reserve(line.size() + *rest);
                room.append(line);
                line.swap(room);
            }
        }
        if (auto more = fill(); !more)
            return std::unexpected(more.error());
    }
}

Result<std::string> TextStream::ReadLine()
{
    std::string line;
    return andThen(readLine(line), [&](bool got) -> Result<std::string> {
        if (!got)
            return fail(err::InputPastEnd, path_.string() + ": input past end of file");
        return std::move(line);
    });
}

Result<std::string> TextStream::ReadAll()
{
    if (auto ok = usable(false); !ok)
        return std::unexpected(ok.error());
    for (;;) {
        auto more = fill();
        if (!more)
            return std::unexpected(more.error());
        if (!*more)
            break;
    }
    std::string rest = pos_ == 0 ? std::move(buffer_) : buffer_.substr(pos_);
    buffer_.clear();
    pos_ = 0;
    return rest;
}

Result<void> TextStream::writeThrough(std::string_view bytes)
{
    std::size_t written = 0;
    const int error = sys::writeAll(fd_.get(), bytes.data(), bytes.size(), &written);
    inFile_ += written;
    if (error != 0) {
        pendingErrno_ = error;
        return std::unexpected(systemError(error, path_));
    }
    return {};
}

Result<void> TextStream::flush()
{
    auto written = writeThrough(buffer_);
    buffer_.clear();
    return written;
}

Result<void> TextStream::Write(std::string_view text)
{
    if (auto ok = usable(true); !ok)
        return ok;
    if (buffer_.size() + text.size() > blockSize) {
        if (auto flushed = flush(); !flushed)
            return flushed;
        if (text.size() >= blockSize)
            return writeThrough(text);
    }
    buffer_ += text;
    return {};
}

Result<void> TextStream::writeDirect(std::string_view text)
{
    if (auto ok = usable(true); !ok)
        return ok;
    if (!buffer_.empty())
        if (auto flushed = flush(); !flushed)
            return flushed;
    return writeThrough(text);
}

Result<void> TextStream::WriteLine(std::string_view text)
{
    return andThen(Write(text), [&] { return Write(crlf); });
}

Result<void> TextStream::Flush()
{
    return andThen(usable(true), [&] { return flush(); });
}

Result<void> TextStream::Close()
{
    if (!fd_)
        return {};
    if (mode_ == IOMode::ForReading) {
        Discard();
        return {};
    }
    // Any failed write makes the whole stream fail; a replacing stream then leaves the target
    // as it was.
    return finish(pendingErrno_ != 0 ? std::unexpected(systemError(pendingErrno_, path_)) : flush());
}

Result<void> TextStream::readBack(std::uint64_t size, std::string& bytes) const
{
    if (!fd_)
        return fail(err::BadFileName, path_.string() + ": the stream is closed");
    bytes.resize(static_cast<std::size_t>(std::min(size, inFile_)));
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = sys::pread(fd_.get(), bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            bytes.resize(done);
            return std::unexpected(systemError(n < 0 ? errno : EIO, path_));
        }
        done += static_cast<std::size_t>(n);
    }
    return {};
}

// Completes a writing stream whose bytes are all in the file (or failed): a replacing stream is
// published when they all got there and thrown away otherwise.
Result<void> TextStream::finish(Result<void> written)
{
    Result<void> result = std::move(written);
    if (!tempPath_.empty()) {
        if (result) {
            // An existing file keeps its owner and mode, and its replacement reaches the disk
            // before the rename, so a crash leaves the old contents or the new ones. A new file
            // has nothing to lose, so it is not synced: bulk runs write thousands of them.
            detail::PublishPlan plan;
            plan.replace = replace_;
            struct stat old;
            if (replace_ && ::fstatat(folder_.get(), path_.filename().c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0
                && S_ISREG(old.st_mode)) {
                plan.attributesOf = old;
                plan.syncFile = true;
            }
            detail::TempFile temp{std::move(fd_), std::exchange(tempPath_, {}), std::move(folder_)};
            result = detail::publish(temp, path_, plan, path_);
        }
    } else if (int error = fd_.close(); error != 0 && result) {
        result = std::unexpected(systemError(error, path_));
    }
    Discard();
    return result;
}

}  // namespace qb
