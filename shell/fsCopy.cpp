// Creating, copying and replacing files: every file is written under a temporary name and gets
// its final name only when whole, so whatever fails, the file that was there stays whole.
#include "shell/fs.h"

#include "shell/fsDetail.h"

#include <fcntl.h>
#include <unistd.h>

namespace qb {

namespace fs = std::filesystem;
using namespace detail;

namespace {

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

// "link (target)" when a link was followed, else the path.
std::string spelled(const fs::path& path, const fs::path& target)
{
    return target == path ? path.string() : path.string() + " (" + target.string() + ")";
}

// A new file's name refused up front when something (a link too) is there already.
Result<void> checkAbsent(const fs::path& path, const fs::path& target)
{
    struct stat st;
    if (statPath(target, st) || ::lstat(path.c_str(), &st) == 0)
        return std::unexpected(systemError(EEXIST, path));
    return {};
}

}  // namespace

Result<void> FileSystemObject::checkReplaceable(const fs::path& path) const
{
    const fs::path target = replacementTarget(path);
    struct stat st;
    if (!statPath(target, st))
        return errno == ENOENT ? Result<void>() : std::unexpected(systemError(errno, path));
    if (S_ISDIR(st.st_mode))
        return std::unexpected(systemError(EISDIR, path));
    if (!S_ISREG(st.st_mode))
        return std::unexpected(Error{err::PathFileAccess, spelled(path, target) + ": is " + std::string(kindOf(st))
                                                              + ", not a regular file; nothing was written"});
    // The bits refuse a read-only file even for root; access() asks whether this user may write
    // (and says no for an immutable file).
    if (!hasWriteBit(st))
        return std::unexpected(describedError(err::PermissionDenied, path, "the file is read-only"));
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
        return std::unexpected(systemError(errno, path));
    return {};
}

Result<void> FileSystemObject::CopyFile(const fs::path& source, const fs::path& destination, bool overwrite,
                                        Sync sync) const
{
    struct stat src;
    auto in = openInput(source, src);
    if (!in)
        return std::unexpected(in.error());
    if (!S_ISREG(src.st_mode))
        return std::unexpected(describedError(err::PathFileAccess, source, "not a regular file"));

    const fs::path target = replacementTarget(destination);
    struct stat dst;
    const bool exists = statPath(target, dst);
    if (exists && dst.st_dev == src.st_dev && dst.st_ino == src.st_ino)
        return std::unexpected(describedError(err::PermissionDenied, destination,
                                              "source and destination are the same file (" +
                                                  source.string() + ")"));
    if (auto allowed = overwrite ? checkReplaceable(destination) : checkAbsent(destination, target); !allowed)
        return allowed;

    auto temp = createTemp(target);
    if (!temp)
        return std::unexpected(temp.error());
    PublishPlan plan;
    plan.replace = overwrite;
    plan.syncFile = exists || sync == Sync::FileAndFolder;
    plan.syncFolder = sync == Sync::FileAndFolder;
    int error = copyContents(in->get(), temp->fd.get());
    if (exists)
        plan.attributesOf = dst;  // a replaced file keeps its owner and mode
    else if (error == 0 && ::fchmod(temp->fd.get(), src.st_mode & 0777) != 0)
        error = errno;
    if (error == 0) {
        // Copies keep the source's modification time, as file managers do.
        const struct timespec times[2] = {{0, UTIME_OMIT}, src.st_mtim};
        (void)::futimens(temp->fd.get(), times);
    }
    if (error != 0) {
        discard(*temp);
        return std::unexpected(systemError(error, destination));
    }
    return publish(*temp, target, plan, destination);
}

Result<TextStream> FileSystemObject::CreateTextFile(const fs::path& path, bool overwrite, bool unicode) const
{
    if (unicode)
        return std::unexpected(
            describedError(err::InvalidProcedureCall, path, "Unicode text files are not supported"));
    const fs::path target = replacementTarget(path);
    if (auto allowed = overwrite ? checkReplaceable(path) : checkAbsent(path, target); !allowed)
        return std::unexpected(allowed.error());
    return transformValue(createTemp(target), [&](TempFile temp) {
        return TextStream(std::move(temp.fd), IOMode::ForWriting, target, std::move(temp.path), overwrite);
    });
}

Result<TextStream> FileSystemObject::CreateReplacingTextFile(const fs::path& path) const
{
    return CreateTextFile(path, true, false);
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

Result<void> FileSystemObject::ensureFile(const fs::path& path) const
{
    if (FileExists(path))
        return {};
    auto made = andThen(CreateTextFile(path, false), [](TextStream stream) { return stream.Close(); });
    if (!made && made.error().number == err::FileAlreadyExists && FileExists(path))
        return {};  // made by someone else meanwhile: it is there, as asked
    return made;
}

Result<std::uint64_t> FileSystemObject::removeDebris(const fs::path& folder) const
{
    return transformValue(detail::tempNamesIn(folder),
                          [&](const std::vector<std::string>& names) { return detail::removeDebris(folder, names); });
}

}  // namespace qb
