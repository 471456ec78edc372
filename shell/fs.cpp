#include "shell/fs.h"

#include "shell/mdlText.h"

#include <algorithm>
#include <cerrno>
#include <random>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qb {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t blockSize = 64 * 1024;
constexpr int tempAttempts = 100;

bool statPath(const fs::path& path, struct stat& st)
{
    return ::stat(path.c_str(), &st) == 0;
}

bool isFolder(const fs::path& path)
{
    struct stat st;
    return statPath(path, st) && S_ISDIR(st.st_mode);
}

fs::path folderOf(const fs::path& path)
{
    fs::path parent = path.parent_path();
    return parent.empty() ? fs::path(".") : parent;
}

// An error from opening or creating `path`: a missing file whose folder is missing too is
// reported as a missing path (76), a missing file in an existing folder as 53.
Error openError(int errnoValue, const fs::path& path)
{
    bool folderMissing = errnoValue == ENOENT && !isFolder(folderOf(path));
    return systemError(errnoValue, path, folderMissing);
}

int openRetrying(const fs::path& path, int flags, mode_t mode = 0)
{
    int fd;
    do
        fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// Closes a descriptor that is only read from, whose close cannot lose data.
struct FdGuard {
    int fd;
    ~FdGuard() { ::close(fd); }
};

// Writes all of `bytes`; 0 or the errno of the failure.
int writeAll(int fd, const char* bytes, std::size_t size)
{
    while (size > 0) {
        ssize_t n = ::write(fd, bytes, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return 0;
}

// Closes `fd`; 0 or the errno of a failed close. EINTR still leaves the descriptor closed here.
int closeChecked(int fd)
{
    if (::close(fd) == 0 || errno == EINTR)
        return 0;
    return errno;
}

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

// A link to an existing file is replaced through the file it points at, so the link stays.
fs::path replacementTarget(const fs::path& path)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        std::error_code ec;
        fs::path resolved = fs::canonical(path, ec);
        if (!ec)
            return resolved;
    }
    return path;
}

// A new, empty file beside `target` with a unique hidden name (".name.qbtmp-XXXXXX"), created
// with 0666 so that the umask applies as it would to any new file.
struct TempFile {
    int fd = -1;
    fs::path path;
};

Result<TempFile> createTempBeside(const fs::path& target)
{
    static constexpr std::string_view letters =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, letters.size() - 1);
    const std::string prefix = "." + target.filename().string() + ".qbtmp-";
    for (int attempt = 0; attempt < tempAttempts; ++attempt) {
        std::string name = prefix;
        for (int i = 0; i < 6; ++i)
            name += letters[pick(random)];
        fs::path path = folderOf(target) / name;
        int fd = openRetrying(path, O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (fd >= 0)
            return TempFile{fd, std::move(path)};
        if (errno != EEXIST)
            return std::unexpected(openError(errno, target));
    }
    return std::unexpected(systemError(EEXIST, target));
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

bool hasWriteBit(const struct stat& st)
{
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

Error describedError(int number, const fs::path& path, std::string_view reason)
{
    std::string description = path.string();
    description += ": ";
    description += reason;
    return Error{number, std::move(description)};
}

// Copies everything from `in` to `out`, inside the kernel where it can.
int copyContents(int in, int out)
{
    for (;;) {
        ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
        if (n == 0)
            return 0;
        if (n < 0 && errno != EINTR) {
            if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)
                return errno;
            break;  // not offered here: carry on with plain reads and writes
        }
    }
    std::string block(4 * blockSize, '\0');
    for (;;) {
        ssize_t n = ::read(in, block.data(), block.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return 0;
        if (int error = writeAll(out, block.data(), static_cast<std::size_t>(n)))
            return error;
    }
}

Result<TextStream> failed(const Error& error)
{
    return std::unexpected(error);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TextStream

TextStream::TextStream(int fd, IOMode mode, fs::path path, fs::path tempPath)
    : fd_(fd), mode_(mode), path_(std::move(path)), tempPath_(std::move(tempPath))
{
}

TextStream::TextStream(TextStream&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
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
        fd_ = std::exchange(other.fd_, -1);
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
    if (fd_ >= 0 && mode_ != IOMode::ForReading && tempPath_.empty() && pendingErrno_ == 0)
        (void)flush();
    discard();
}

void TextStream::discard() noexcept
{
    if (fd_ >= 0)
        (void)closeChecked(std::exchange(fd_, -1));
    if (!tempPath_.empty()) {
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
    }
    buffer_.clear();
    pos_ = 0;
}

Result<void> TextStream::usable(bool forWriting) const
{
    if (fd_ < 0)
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
    ssize_t n;
    do
        n = ::read(fd_, buffer_.data() + kept, blockSize);
    while (n < 0 && errno == EINTR);
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
    if (fd_ < 0 || mode_ != IOMode::ForReading)
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
    auto got = readLine(line);
    if (!got)
        return std::unexpected(got.error());
    if (!*got)
        return fail(err::InputPastEnd, path_.string() + ": input past end of file");
    return line;
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
    if (int error = writeAll(fd_, bytes.data(), bytes.size())) {
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

Result<void> TextStream::WriteLine(std::string_view text)
{
    if (auto written = Write(text); !written)
        return written;
    return Write(crlf);
}

Result<void> TextStream::Close()
{
    if (fd_ < 0)
        return {};
    if (mode_ == IOMode::ForReading) {
        discard();
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
        const bool replacing = statPath(path_, old);
        if (replacing)
            error = copyOwnerAndMode(fd_, old);
        if (error == 0 && replacing && ::fsync(fd_) != 0)
            error = errno;
        if (error != 0)
            result = std::unexpected(systemError(error, path_));
    }
    if (int error = closeChecked(std::exchange(fd_, -1)); error != 0 && result)
        result = std::unexpected(systemError(error, path_));
    if (result && !tempPath_.empty()) {
        if (::rename(tempPath_.c_str(), path_.c_str()) != 0)
            result = std::unexpected(systemError(errno, path_));
        else
            tempPath_.clear();
    }
    discard();
    return result;
}

// ---------------------------------------------------------------------------------------------
// File and Folder

Folder File::ParentFolder() const
{
    return Folder(folderOf(path_));
}

Result<TextStream> File::OpenAsTextStream(IOMode mode, TextFormat) const
{
    return FileSystemObject().OpenTextFile(path_, mode, false);
}

std::string Folder::Name() const
{
    fs::path trimmed = path_;
    while (!trimmed.has_filename() && trimmed.has_relative_path())
        trimmed = trimmed.parent_path();
    return trimmed.filename().string();
}

namespace {

// The names of the regular files (and links to them) and of the subfolders (not links to them) of
// `folder`, each sorted into walk order; a kind that is not wanted is left empty.
struct EntryNames {
    std::vector<std::string> files, folders;
};

Result<EntryNames> listNames(const fs::path& folder, bool wantFiles, bool wantFolders)
{
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec)
        return std::unexpected(systemError(ec, folder, true));
    EntryNames names;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            return std::unexpected(systemError(ec, folder, true));
        const fs::directory_entry& entry = *it;
        std::error_code typeEc;
        std::vector<std::string>* kind = nullptr;
        if (wantFolders && !entry.is_symlink(typeEc) && entry.is_directory(typeEc))
            kind = &names.folders;
        else if (wantFiles && entry.is_regular_file(typeEc))  // follows links: a link to a file counts
            kind = &names.files;
        if (kind) {
            const std::string_view full = entry.path().native();
            kind->emplace_back(full.substr(full.rfind(fs::path::preferred_separator) + 1));
        }
    }
    if (ec)
        return std::unexpected(systemError(ec, folder, true));
    std::sort(names.files.begin(), names.files.end(), walkOrderLess);
    std::sort(names.folders.begin(), names.folders.end(), walkOrderLess);
    return names;
}

template <class Item>
std::vector<Item> entriesAs(const fs::path& folder, const std::vector<std::string>& names)
{
    std::vector<Item> items;
    items.reserve(names.size());
    for (const std::string& name : names)
        items.emplace_back(folder / name);
    return items;
}

}  // namespace

Result<std::vector<Folder>> Folder::SubFolders() const
{
    auto names = listNames(path_, false, true);
    if (!names)
        return std::unexpected(names.error());
    return entriesAs<Folder>(path_, names->folders);
}

Result<std::vector<File>> Folder::Files() const
{
    auto names = listNames(path_, true, false);
    if (!names)
        return std::unexpected(names.error());
    return entriesAs<File>(path_, names->files);
}

Result<FolderEntries> Folder::list() const
{
    auto names = listNames(path_, true, true);
    if (!names)
        return std::unexpected(names.error());
    return FolderEntries{entriesAs<File>(path_, names->files), entriesAs<Folder>(path_, names->folders)};
}

bool walkOrderLess(std::string_view a, std::string_view b)
{
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        auto ua = static_cast<unsigned char>(upperCp1252(a[i]));
        auto ub = static_cast<unsigned char>(upperCp1252(b[i]));
        if (ua != ub)
            return ua < ub;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;  // char_traits<char>::compare orders bytes as unsigned
}

// ---------------------------------------------------------------------------------------------
// FileSystemObject

bool FileSystemObject::FileExists(const fs::path& path) const
{
    struct stat st;
    return statPath(path, st) && !S_ISDIR(st.st_mode);
}

bool FileSystemObject::FolderExists(const fs::path& path) const
{
    return isFolder(path);
}

Result<File> FileSystemObject::GetFile(const fs::path& path) const
{
    struct stat st;
    if (!statPath(path, st))
        return std::unexpected(systemError(errno == ENOTDIR ? ENOENT : errno, path));
    if (S_ISDIR(st.st_mode))
        return std::unexpected(describedError(err::FileNotFound, path, "is a folder, not a file"));
    std::error_code ec;
    fs::path full = fs::absolute(path, ec);
    return File(ec ? path : std::move(full));
}

Result<Folder> FileSystemObject::GetFolder(const fs::path& path) const
{
    struct stat st;
    if (!statPath(path, st))
        return std::unexpected(systemError(errno, path, true));
    if (!S_ISDIR(st.st_mode))
        return std::unexpected(systemError(ENOTDIR, path));
    std::error_code ec;
    fs::path full = fs::absolute(path, ec);
    return Folder(ec ? path : std::move(full));
}

Result<void> FileSystemObject::CreateFolder(const fs::path& path) const
{
    if (::mkdir(path.c_str(), 0777) != 0)
        return std::unexpected(systemError(errno, path, true));
    return {};
}

Result<void> FileSystemObject::DeleteFile(const fs::path& path, bool force) const
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        return std::unexpected(systemError(errno == ENOTDIR ? ENOENT : errno, path));
    if (S_ISDIR(st.st_mode))
        return std::unexpected(describedError(err::FileNotFound, path, "is a folder, not a file"));
    // Checked on the bits, not by access(), so that a read-only file is refused even for root.
    if (!force && !S_ISLNK(st.st_mode) && !hasWriteBit(st))
        return std::unexpected(describedError(err::PermissionDenied, path, "the file is read-only"));
    if (::unlink(path.c_str()) != 0)
        return std::unexpected(systemError(errno, path));
    return {};
}

Result<void> FileSystemObject::CopyFile(const fs::path& source, const fs::path& destination,
                                        bool overwrite) const
{
    int in = openRetrying(source, O_RDONLY);
    if (in < 0)
        return std::unexpected(systemError(errno == ENOTDIR ? ENOENT : errno, source));
    const FdGuard closeIn{in};
    struct stat src;
    if (::fstat(in, &src) != 0)
        return std::unexpected(systemError(errno, source));
    if (!S_ISREG(src.st_mode))
        return std::unexpected(describedError(err::PathFileAccess, source, "not a regular file"));

    const fs::path target = replacementTarget(destination);
    struct stat dst;
    bool exists = statPath(target, dst);
    if (exists && dst.st_dev == src.st_dev && dst.st_ino == src.st_ino)
        return std::unexpected(describedError(err::PermissionDenied, destination,
                                              "source and destination are the same file (" +
                                                  source.string() + ")"));
    struct stat linkStat;
    if (!overwrite && (exists || ::lstat(destination.c_str(), &linkStat) == 0))
        return std::unexpected(systemError(EEXIST, destination));
    if (exists && S_ISDIR(dst.st_mode))
        return std::unexpected(systemError(EISDIR, destination));
    if (exists && !hasWriteBit(dst))
        return std::unexpected(describedError(err::PermissionDenied, destination, "the file is read-only"));

    // A replaced file is written beside it and renamed over it, so a failed copy leaves it whole.
    // A new file is created exclusively, so a file that appears meanwhile is never overwritten.
    TempFile out;
    if (overwrite) {
        auto temp = createTempBeside(target);
        if (!temp)
            return std::unexpected(temp.error());
        out = std::move(*temp);
    } else {
        out.fd = openRetrying(target, O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (out.fd < 0)
            return std::unexpected(openError(errno, destination));
        out.path = target;
    }

    int error = copyContents(in, out.fd);
    if (error == 0)
        error = exists ? copyOwnerAndMode(out.fd, dst) : (::fchmod(out.fd, src.st_mode & 0777) == 0 ? 0 : errno);
    if (error == 0) {
        // Copies keep the source's modification time, as file managers do.
        const struct timespec times[2] = {{0, UTIME_OMIT}, src.st_mtim};
        (void)::futimens(out.fd, times);
    }
    if (error == 0 && exists && ::fsync(out.fd) != 0)
        error = errno;
    if (int closeError = closeChecked(out.fd); error == 0)
        error = closeError;
    if (error == 0 && overwrite && ::rename(out.path.c_str(), target.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(out.path.c_str());
        return std::unexpected(systemError(error, destination));
    }
    return {};
}

Result<TextStream> FileSystemObject::CreateTextFile(const fs::path& path, bool overwrite, bool unicode) const
{
    if (unicode)
        return failed(describedError(err::InvalidProcedureCall, path, "Unicode text files are not supported"));
    int flags = O_WRONLY | O_CREAT | O_TRUNC | (overwrite ? 0 : O_EXCL);
    int fd = openRetrying(path, flags, 0666);
    if (fd < 0)
        return failed(openError(errno, path));
    return TextStream(fd, IOMode::ForWriting, path);
}

Result<TextStream> FileSystemObject::OpenTextFile(const fs::path& path, IOMode mode, bool create,
                                                  TextFormat) const
{
    int flags = O_RDONLY;
    if (mode == IOMode::ForWriting)
        flags = O_WRONLY | O_TRUNC;
    else if (mode == IOMode::ForAppending)
        flags = O_WRONLY | O_APPEND;
    if (create)
        flags |= O_CREAT;
    int fd = openRetrying(path, flags, 0666);
    if (fd < 0)
        return failed(openError(errno, path));
    struct stat st;
    if (mode == IOMode::ForReading && ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        return failed(systemError(EISDIR, path));
    }
    return TextStream(fd, mode, path);
}

Result<TextStream> FileSystemObject::CreateReplacingTextFile(const fs::path& path) const
{
    const fs::path target = replacementTarget(path);
    if (isFolder(target))
        return failed(systemError(EISDIR, path));
    auto temp = createTempBeside(target);
    if (!temp)
        return failed(temp.error());
    return TextStream(temp->fd, IOMode::ForWriting, target, std::move(temp->path));
}

Result<void> FileSystemObject::replaceFileContents(const fs::path& path, std::string_view bytes) const
{
    auto stream = CreateReplacingTextFile(path);
    if (!stream)
        return std::unexpected(stream.error());
    if (auto written = stream->Write(bytes); !written)
        return written;
    return stream->Close();
}

Result<std::string> FileSystemObject::readFileBytes(const fs::path& path) const
{
    std::string bytes;
    if (auto read = readFileBytes(path, bytes); !read)
        return std::unexpected(read.error());
    return bytes;
}

Result<void> FileSystemObject::readFileBytes(const fs::path& path, std::string& bytes) const
{
    bytes.clear();
    int fd = openRetrying(path, O_RDONLY);
    if (fd < 0)
        return std::unexpected(openError(errno, path));
    const FdGuard closer{fd};
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return std::unexpected(systemError(errno, path));
    if (S_ISDIR(st.st_mode))
        return std::unexpected(systemError(EISDIR, path));
    // Room for one byte more than fstat says, so the end shows without growing; a file that grows
    // meanwhile is still read to its end. The room is read into directly, never zero-filled.
    std::size_t room = static_cast<std::size_t>(std::max<off_t>(st.st_size, 0)) + 1;
    int readErrno = 0;
    bool ended = false;
    while (!ended) {
        const std::size_t got = bytes.size();
        if (got == room)
            room += blockSize;
        bytes.resize_and_overwrite(room, [&](char* data, std::size_t) {
            ssize_t n;
            do
                n = ::read(fd, data + got, room - got);
            while (n < 0 && errno == EINTR);
            if (n < 0)
                readErrno = errno;
            ended = n <= 0;
            return n > 0 ? got + static_cast<std::size_t>(n) : got;
        });
        if (readErrno)
            return std::unexpected(systemError(readErrno, path));
    }
    return {};
}

bool FileSystemObject::sameFile(const fs::path& a, const fs::path& b) const
{
    struct stat sa, sb;
    return statPath(a, sa) && statPath(b, sb) && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace qb
