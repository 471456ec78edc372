// Copying and replacing files: whatever fails, the file that was there stays whole.
#include "shell/fs.h"

#include "shell/fsDetail.h"

#include <random>

#include <fcntl.h>
#include <unistd.h>

namespace qb {

namespace fs = std::filesystem;
using namespace detail;

namespace {

constexpr int tempAttempts = 100;

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
    sys::UniqueFd fd;
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
        sys::UniqueFd fd(sys::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666));
        if (fd)
            return TempFile{std::move(fd), std::move(path)};
        if (errno != EEXIST)
            return std::unexpected(openError(errno, target));
    }
    return std::unexpected(systemError(EEXIST, target));
}

int copyOwnerAndMode(int fd, const struct stat& model)
{
    if (::fchown(fd, model.st_uid, model.st_gid) != 0) {
        // Not the owner's to give: the file stays ours.
    }
    return ::fchmod(fd, model.st_mode & 07777) == 0 ? 0 : errno;
}

// Copies everything from `in` to `out`, inside the kernel where it can.
int copyContents(int in, int out)
{
    for (;;) {
        const ssize_t n = sys::copyFileRange(in, out, 1 << 30);
        if (n == 0)
            return 0;
        if (n < 0) {
            if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)
                return errno;
            break;  // not offered here: carry on with plain reads and writes
        }
    }
    std::string block(4 * blockSize, '\0');
    for (;;) {
        const ssize_t n = sys::read(in, block.data(), block.size());
        if (n < 0)
            return errno;
        if (n == 0)
            return 0;
        if (int error = sys::writeAll(out, block.data(), static_cast<std::size_t>(n)))
            return error;
    }
}

}  // namespace

Result<void> FileSystemObject::CopyFile(const fs::path& source, const fs::path& destination,
                                        bool overwrite) const
{
    const sys::UniqueFd in(sys::open(source.c_str(), O_RDONLY));
    if (!in)
        return std::unexpected(systemError(errno == ENOTDIR ? ENOENT : errno, source));
    struct stat src;
    if (::fstat(in.get(), &src) != 0)
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
        out.fd = sys::UniqueFd(sys::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600));
        if (!out.fd)
            return std::unexpected(openError(errno, destination));
        out.path = target;
    }

    int error = copyContents(in.get(), out.fd.get());
    if (error == 0)
        error = exists ? copyOwnerAndMode(out.fd.get(), dst)
                       : (::fchmod(out.fd.get(), src.st_mode & 0777) == 0 ? 0 : errno);
    if (error == 0) {
        // Copies keep the source's modification time, as file managers do.
        const struct timespec times[2] = {{0, UTIME_OMIT}, src.st_mtim};
        (void)::futimens(out.fd.get(), times);
    }
    if (error == 0 && exists && sys::fsync(out.fd.get()) != 0)
        error = errno;
    if (int closeError = out.fd.close(); error == 0)
        error = closeError;
    if (error == 0 && overwrite && sys::rename(out.path.c_str(), target.c_str()) != 0)
        error = errno;
    if (error != 0) {
        (void)sys::unlink(out.path.c_str());
        return std::unexpected(systemError(error, destination));
    }
    return {};
}

Result<TextStream> FileSystemObject::CreateReplacingTextFile(const fs::path& path) const
{
    const fs::path target = replacementTarget(path);
    if (isFolder(target))
        return std::unexpected(systemError(EISDIR, path));
    return transformValue(createTempBeside(target), [&](TempFile temp) {
        return TextStream(std::move(temp.fd), IOMode::ForWriting, target, std::move(temp.path));
    });
}

Result<void> FileSystemObject::replaceFileContents(const fs::path& path, std::string_view bytes) const
{
    return andThen(CreateReplacingTextFile(path), [&](TextStream stream) -> Result<void> {
        if (auto written = stream.Write(bytes); !written) {
            stream.Discard();
            return written;
        }
        return stream.Close();
    });
}

}  // namespace qb
