// Creating, copying and replacing files: every file is written under a temporary name and gets
// its final name only when whole, so whatever fails, the file that was there stays whole.
#include "core/fs.h"

#include "core/fsDetail.h"

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

// Whether the file at `place` may be replaced (Existing::Replace) or made (Existing::Refuse). A folder (75), a
// device, FIFO or socket (75), a read-only file or one this user may not write (70) may not be
// replaced; nothing there may be made (58). Below a tree a link is refused (75). Messages name
// `shown`.
Result<void> checkPlace(const Place& place, const fs::path& shown, Existing existing)
{
    const bool overwrite = existing == Existing::Replace;
    struct stat st;
    if (!place.look(st))
        return errno == ENOENT ? Result<void>() : std::unexpected(systemError(errno, shown));
    if (S_ISLNK(st.st_mode)) {
        if (place.confined)
            return std::unexpected(linkRefused(place.path));
        // A link that leads nowhere: the new file takes its place.
        return overwrite ? Result<void>() : std::unexpected(systemError(EEXIST, shown));
    }
    if (!overwrite)
        return std::unexpected(systemError(EEXIST, shown));
    if (S_ISDIR(st.st_mode))
        return std::unexpected(systemError(EISDIR, shown));
    if (!S_ISREG(st.st_mode))
        return std::unexpected(Error{err::PathFileAccess, spelled(shown, place.path) + ": is " + std::string(kindOf(st))
                                                              + ", not a regular file; nothing was written"});
    // The bits refuse a read-only file even for root; access() asks whether this user may write
    // (and says no for an immutable file).
    if (!hasWriteBit(st))
        return std::unexpected(describedError(err::PermissionDenied, shown, "the file is read-only"));
    if (::faccessat(place.folder.get(), place.name().c_str(), W_OK, AT_EACCESS) != 0)
        return std::unexpected(systemError(errno, shown));
    return {};
}

}  // namespace

Result<void> FileSystemObject::checkReplaceable(const fs::path& path) const
{
    return andThen(openPlace(path, tree_.get()), [&](const Place& place) { return checkPlace(place, path, Existing::Replace); });
}

Result<void> FileSystemObject::CopyFile(const fs::path& source, const fs::path& destination, Existing existing,
                                        Sync sync) const
{
    struct stat src;
    auto in = openInput(source, src);
    if (!in)
        return std::unexpected(in.error());
    if (!S_ISREG(src.st_mode))
        return std::unexpected(describedError(err::PathFileAccess, source, "not a regular file"));

    auto place = openPlace(destination, tree_.get());
    if (!place)
        return std::unexpected(place.error());
    const fs::path target = place->path;
    struct stat dst;
    const bool exists = place->look(dst) && S_ISREG(dst.st_mode);
    if (exists && dst.st_dev == src.st_dev && dst.st_ino == src.st_ino)
        return std::unexpected(describedError(err::PermissionDenied, destination,
                                              "source and destination are the same file (" +
                                                  source.string() + ")"));
    if (auto allowed = checkPlace(*place, destination, existing); !allowed)
        return allowed;

    auto temp = createTemp(*place);
    if (!temp)
        return std::unexpected(temp.error());
    PublishPlan plan;
    plan.replace = existing == Existing::Replace;
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

Result<TextStream> FileSystemObject::CreateTextFile(const fs::path& path, Existing existing, Encoding encoding) const
{
    if (encoding == Encoding::Unicode)
        return std::unexpected(
            describedError(err::InvalidProcedureCall, path, "Unicode text files are not supported"));
    auto place = openPlace(path, tree_.get());
    if (!place)
        return std::unexpected(place.error());
    if (auto allowed = checkPlace(*place, path, existing); !allowed)
        return std::unexpected(allowed.error());
    const fs::path target = place->path;
    return transformValue(createTemp(*place), [&](TempFile temp) {
        return TextStream(std::move(temp.fd), IOMode::ForWriting, target, std::move(temp.path), existing == Existing::Replace,
                          std::move(temp.folder));
    });
}

Result<TextStream> FileSystemObject::CreateReplacingTextFile(const fs::path& path) const
{
    return CreateTextFile(path, Existing::Replace);
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
    auto made = andThen(CreateTextFile(path, Existing::Refuse), [](TextStream stream) { return stream.Close(); });
    if (!made && made.error().number == err::FileAlreadyExists && FileExists(path))
        return {};  // made by someone else meanwhile: it is there, as asked
    return made;
}

Result<std::uint64_t> FileSystemObject::removeDebris(const fs::path& folder) const
{
    auto opened = openFolder(folder, tree_.get());
    if (!opened)
        return std::unexpected(opened.error());
    return transformValue(detail::tempNamesIn(folder, opened->get()), [&](const std::vector<std::string>& names) {
        return detail::removeDebris(opened->get(), names, started_);
    });
}

}  // namespace qb
