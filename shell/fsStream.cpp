// Text streams: buffered, byte-transparent reading by lines and writing, checked to the end.
#include "shell/fs.h"

#include "shell/fsDetail.h"
#include "shell/mdlText.h"

#include <cassert>
#include <exception>
#include <utility>

#include <unistd.h>

namespace qb {

namespace fs = std::filesystem;
using detail::blockSize;

namespace {

// The first CR or LF at or after `from`, or npos. One pass over the bytes: find_first_of would
// call memchr once per byte, which made line reading the slowest part of a bulk run.
std::size_t findLineEnd(const std::string& text, std::size_t from)
{
    const char* data = text.data();
    for (std::size_t i = from, n = text.size(); i < n; ++i)
        if (static_cast<unsigned char>(data[i]) <= '\r' && (data[i] == '\n' || data[i] == '\r'))
            return i;
    return std::string::npos;
}

// Gives the file open as `fd` the owner and permission bits of `model`. Changing the owner is
// only possible for a privileged process and is not needed otherwise, so its failure is ignored.
int copyOwnerAndMode(int fd, const struct stat& model)
{
    if (::fchown(fd, model.st_uid, model.st_gid) != 0) {
        // Not the owner's to give: the file stays ours.
    }
    return ::fchmod(fd, model.st_mode & 07777) == 0 ? 0 : errno;
}

}  // namespace

TextStream::TextStream(sys::UniqueFd fd, IOMode mode, fs::path path, fs::path tempPath)
    : fd_(std::move(fd)), mode_(mode), path_(std::move(path)), tempPath_(std::move(tempPath))
{
}

TextStream::TextStream(TextStream&& other) noexcept
    : fd_(std::move(other.fd_)),
      mode_(other.mode_),
      path_(std::move(other.path_)),
      tempPath_(std::exchange(other.tempPath_, {})),
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
    // A replacing stream must end in Close() or Discard(): dropping it would hide a write the
    // caller forgot to finish. While an exception unwinds, dropping it is the way out.
    assert((!fd_ || tempPath_.empty() || std::uncaught_exceptions() > 0) &&
           "a replacing stream was destroyed without Close() or Discard()");
    if (fd_ && mode_ != IOMode::ForReading && tempPath_.empty() && pendingErrno_ == 0)
        (void)flush();
    Discard();
}

void TextStream::Discard() noexcept
{
    fd_ = {};
    if (!tempPath_.empty()) {
        (void)sys::unlink(tempPath_.c_str());
        tempPath_.clear();
    }
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
    std::size_t scanned = 0;  // bytes after pos_ known to hold no line end
    for (;;) {
        std::size_t end = findLineEnd(buffer_, pos_ + scanned);
        if (end != std::string::npos) {
            // A CR as the last byte read so far may be the first half of a CR LF.
            if (buffer_[end] == '\r' && end + 1 == buffer_.size() && !eof_) {
                scanned = end - pos_;
                if (auto more = fill(); !more)
                    return std::unexpected(more.error());
                continue;
            }
            line.assign(buffer_, pos_, end - pos_);
            bool crlfEnd = buffer_[end] == '\r' && end + 1 < buffer_.size() && buffer_[end + 1] == '\n';
            pos_ = end + (crlfEnd ? 2 : 1);
            return true;
        }
        if (eof_) {
            if (pos_ == buffer_.size())
                return false;
            line.assign(buffer_, pos_);
            pos_ = buffer_.size();
            return true;
        }
        scanned = buffer_.size() - pos_;
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
    if (int error = sys::writeAll(fd_.get(), bytes.data(), bytes.size())) {
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
    Result<void> result = pendingErrno_ != 0 ? std::unexpected(systemError(pendingErrno_, path_)) : flush();
    if (result && !tempPath_.empty()) {
        // An existing file keeps its owner and mode, and its replacement reaches the disk before
        // the rename, so a crash leaves the old contents or the new ones. A new file has nothing
        // to lose, so it is not synced (as CopyFile does): bulk runs write thousands of them.
        struct stat old;
        int error = 0;
        const bool replacing = detail::statPath(path_, old);
        if (replacing)
            error = copyOwnerAndMode(fd_.get(), old);
        if (error == 0 && replacing && sys::fsync(fd_.get()) != 0)
            error = errno;
        if (error != 0)
            result = std::unexpected(systemError(error, path_));
    }
    if (int error = fd_.close(); error != 0 && result)
        result = std::unexpected(systemError(error, path_));
    if (result && !tempPath_.empty()) {
        if (sys::rename(tempPath_.c_str(), path_.c_str()) != 0)
            result = std::unexpected(systemError(errno, path_));
        else
            tempPath_.clear();
    }
    Discard();
    return result;
}

}  // namespace qb
