// Temporary files: made beside their target, locked while a writer lives, given their final name
// only when whole, and removed by a later run when a killed run left them behind.
#include "shell/fs.h"

#include "shell/fsDetail.h"

#include <climits>
#include <random>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace qb {

namespace fs = std::filesystem;

namespace {

constexpr int tempAttempts = 100;
constexpr std::string_view nameLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

fs::path randomTempPath(const fs::path& folder)
{
    thread_local std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, nameLetters.size() - 1);
    std::string name(tempFilePrefix);
    while (name.size() < tempFileNameSize)
        name += nameLetters[pick(random)];
    return folder / name;
}

bool unsupported(int error)
{
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL || error == ENOSYS;
}

void lock(int fd)
{
    // Fails only on a file system without locks, where nothing can be protected this way.
    while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
}

// An unnamed file in `folder`, locked, then linked under a temporary name: a cleaner can never
// find it unlocked. Nothing (and errno 0) where the file system cannot make unnamed files.
Result<detail::TempFile> createLockedBeforeNamed(const fs::path& folder, const fs::path& target)
{
#ifdef O_TMPFILE
    sys::UniqueFd fd(sys::open(folder.c_str(), O_TMPFILE | O_RDWR, 0666));
    if (!fd) {
        if (unsupported(errno))
            return detail::TempFile{};
        return std::unexpected(detail::openError(errno, target));
    }
    lock(fd.get());
    for (int attempt = 0; attempt < tempAttempts; ++attempt) {
        fs::path path = randomTempPath(folder);
        if (sys::linkFd(fd.get(), path.c_str()) == 0)
            return detail::TempFile{std::move(fd), std::move(path)};
        if (errno == EEXIST)
            continue;
        if (errno == ENOENT || errno == EPERM || unsupported(errno))
            return detail::TempFile{};  // no way to name it here: make a named file instead
        return std::unexpected(systemError(errno, target));
    }
    return std::unexpected(systemError(EEXIST, target));
#else
    (void)folder, (void)target;
    return detail::TempFile{};
#endif
}

int publishNoReplace(const fs::path& from, const fs::path& to)
{
    if (sys::renameNoReplace(from.c_str(), to.c_str()) == 0)
        return 0;
    if (!unsupported(errno))
        return errno;
    // The file system cannot rename without replacing: a hard link refuses an existing name too.
    if (sys::link(from.c_str(), to.c_str()) != 0)
        return errno;
    // Should this fail, the temporary name is a second link to the published file, and a later
    // run removes it as debris without touching the file.
    (void)sys::unlink(from.c_str());
    return 0;
}

int syncFolder(const fs::path& folder)
{
    sys::UniqueFd fd(sys::open(folder.c_str(), O_RDONLY | O_DIRECTORY));
    if (!fd)
        return errno;
    if (sys::fsync(fd.get()) != 0 && errno != EINVAL)  // EINVAL: folders cannot be synced here
        return errno;
    return fd.close();
}

int copyOwnerAndMode(int fd, const struct stat& model)
{
    if (::fchown(fd, model.st_uid, model.st_gid) != 0) {
        // Changing the owner takes privilege and is not needed otherwise: the file stays ours.
    }
    return ::fchmod(fd, model.st_mode & 07777) == 0 ? 0 : errno;
}

}  // namespace

bool isTempFileName(std::string_view name)
{
    if (name.size() != tempFileNameSize || !name.starts_with(tempFilePrefix))
        return false;
    return name.substr(tempFilePrefix.size()).find_first_not_of(nameLetters) == std::string_view::npos;
}

namespace detail {

Result<TempFile> createTemp(const fs::path& target)
{
    if (target.filename().native().size() > NAME_MAX)
        return std::unexpected(systemError(ENAMETOOLONG, target));
    const fs::path folder = folderOf(target);
    auto made = createLockedBeforeNamed(folder, target);
    if (!made || made->fd)
        return made;
    // Named first, then locked: a cleaner that looks in between could take it for debris, and
    // the publish then fails with a message rather than losing anything.
    for (int attempt = 0; attempt < tempAttempts; ++attempt) {
        fs::path path = randomTempPath(folder);
        sys::UniqueFd fd(sys::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL, 0666));
        if (fd) {
            lock(fd.get());
            return TempFile{std::move(fd), std::move(path)};
        }
        if (errno != EEXIST)
            return std::unexpected(openError(errno, target));
    }
    return std::unexpected(systemError(EEXIST, target));
}

Result<void> publish(TempFile& temp, const fs::path& target, const PublishPlan& plan, const fs::path& shown)
{
    int error = 0;
    if (plan.attributesOf)
        error = copyOwnerAndMode(temp.fd.get(), *plan.attributesOf);
    if (error == 0 && plan.syncFile && sys::fsync(temp.fd.get()) != 0)
        error = errno;
    // A second descriptor keeps the lock while the first is closed (and its error seen) and the
    // file is given its name.
    const sys::UniqueFd lockHolder(::fcntl(temp.fd.get(), F_DUPFD_CLOEXEC, 0));
    if (int closed = temp.fd.close(); error == 0)
        error = closed;
    if (error == 0)
        error = plan.replace ? (sys::rename(temp.path.c_str(), target.c_str()) == 0 ? 0 : errno)
                             : publishNoReplace(temp.path, target);
    if (error != 0) {
        discard(temp);
        return std::unexpected(systemError(error, shown));
    }
    temp.path.clear();
    if (plan.syncFolder) {
        if (int synced = syncFolder(folderOf(target)); synced != 0) {
            // Its name may not last a power cut, so nothing may rely on it: a new file goes again.
            if (!plan.replace)
                (void)sys::unlink(target.c_str());
            return std::unexpected(systemError(synced, folderOf(target)));
        }
    }
    return {};
}

void discard(TempFile& temp) noexcept
{
    if (!temp.path.empty())
        (void)sys::unlink(temp.path.c_str());
    temp.path.clear();
    temp.fd = {};
}

std::uint64_t removeDebris(const fs::path& folder, const std::vector<std::string>& names)
{
    std::uint64_t removed = 0;
    for (const std::string& name : names) {
        if (!isTempFileName(name))
            continue;
        const fs::path path = folder / name;
        const sys::UniqueFd fd(sys::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
        struct stat held, now;
        if (!fd || ::fstat(fd.get(), &held) != 0 || !S_ISREG(held.st_mode))
            continue;
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
            continue;  // a live run is writing it
        // Still the same file under that name, so nothing that took the name meanwhile goes.
        if (::lstat(path.c_str(), &now) != 0 || now.st_dev != held.st_dev || now.st_ino != held.st_ino)
            continue;
        if (sys::unlink(path.c_str()) == 0)
            ++removed;
    }
    return removed;
}

}  // namespace detail

}  // namespace qb
