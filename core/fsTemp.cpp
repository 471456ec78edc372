// Temporary files: made beside their target, locked before a cleaner could consider them, given
// their final name only when whole, and removed by a later run when a killed run left them behind.
#include "core/fs.h"

#include "core/fsDetail.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <ctime>
#include <random>
#include <signal.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace qb {

namespace fs = std::filesystem;

namespace {

constexpr int tempAttempts = 100;
constexpr std::size_t randomLetters = 12;
constexpr std::string_view nameLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::string_view lockedSuffix = ".tmp";  // made locked (or renamed once locked)
constexpr std::string_view stagedSuffix = ".new";  // named before it was locked

// ".quillbox-PID-RANDOM" without its suffix.
std::string randomTempStem()
{
    thread_local std::mt19937_64 random{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, nameLetters.size() - 1);
    std::string name(tempFilePrefix);
    name += std::to_string(::getpid());
    name += '-';
    for (std::size_t i = 0; i < randomLetters; ++i)
        name += nameLetters[pick(random)];
    return name;
}

// The writer's process id in a temporary name, or 0 when the name is not of the pattern.
pid_t tempNameProcess(std::string_view name)
{
    if (!name.starts_with(tempFilePrefix))
        return 0;
    name.remove_prefix(tempFilePrefix.size());
    if (!name.ends_with(lockedSuffix) && !name.ends_with(stagedSuffix))
        return 0;
    name.remove_suffix(lockedSuffix.size());
    const std::size_t dash = name.find('-');
    if (dash == std::string_view::npos || dash == 0 || name.size() - dash - 1 != randomLetters)
        return 0;
    if (name.substr(dash + 1).find_first_not_of(nameLetters) != std::string_view::npos)
        return 0;
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + dash, pid);
    if (error != std::errc() || end != name.data() + dash || pid <= 0 || name.front() == '0')
        return 0;
    return pid;
}

bool unsupported(int error)
{
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL || error == ENOSYS;
}

int lock(int fd)
{
    // A file system without locks cannot protect anything this way: the file is made all the same.
    if (sys::flock(fd, LOCK_EX) != 0 && errno != ENOLCK && errno != EOPNOTSUPP && errno != EINVAL)
        return errno;
    return 0;
}

// An unnamed file in the folder, locked, then linked under a temporary name: a cleaner can never
// find it unlocked. No descriptor (and no error) where the file system cannot make unnamed files.
Result<sys::UniqueFd> createLockedBeforeNamed(int folder, const fs::path& target, fs::path& path)
{
#ifdef O_TMPFILE
    sys::UniqueFd fd(sys::openAt(folder, ".", O_TMPFILE | O_RDWR, 0666));
    if (!fd) {
        if (unsupported(errno))
            return sys::UniqueFd();
        return std::unexpected(detail::openError(errno, target));
    }
    if (int error = lock(fd.get()))
        return std::unexpected(systemError(error, target));
    for (int attempt = 0; attempt < tempAttempts; ++attempt) {
        const std::string name = randomTempStem() + std::string(lockedSuffix);
        if (sys::linkFdAt(fd.get(), folder, name.c_str()) == 0) {
            path = detail::folderOf(target) / name;
            return fd;
        }
        if (errno == EEXIST)
            continue;
        if (errno == ENOENT || errno == EPERM || unsupported(errno))
            return sys::UniqueFd();  // no way to name it here: make a named file instead
        return std::unexpected(systemError(errno, target));
    }
    return std::unexpected(systemError(EEXIST, target));
#else
    (void)folder, (void)target, (void)path;
    return sys::UniqueFd();
#endif
}

// Renames `from` to `to` in `folder` unless `to` exists (errno EEXIST): 0 or an errno.
int renameNoReplace(int folder, const char* from, const char* to)
{
    if (sys::renameNoReplaceAt(folder, from, to) == 0)
        return 0;
    if (!unsupported(errno))
        return errno;
    // The file system cannot rename without replacing: a hard link refuses an existing name too.
    if (sys::linkAt(folder, from, to) != 0)
        return errno;
    // Should this fail, the old name is a second link to the file, and a later run removes it as
    // debris (when it is a temporary name) without touching the file.
    (void)sys::unlinkAt(folder, from);
    return 0;
}

// A named file where unnamed ones cannot be made: made under a ".new" name that no cleaner takes
// while this process lives, locked, and only then renamed to its ".tmp" name.
Result<sys::UniqueFd> createNamedThenLocked(int folder, const fs::path& target, fs::path& path)
{
    for (int attempt = 0; attempt < tempAttempts; ++attempt) {
        const std::string stem = randomTempStem();
        const std::string staged = stem + std::string(stagedSuffix), locked = stem + std::string(lockedSuffix);
        sys::UniqueFd fd(sys::openAt(folder, staged.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW, 0666));
        if (!fd) {
            if (errno == EEXIST)
                continue;
            return std::unexpected(detail::openError(errno, target));
        }
        int error = lock(fd.get());
        if (error == 0)
            error = renameNoReplace(folder, staged.c_str(), locked.c_str());
        if (error == 0) {
            path = detail::folderOf(target) / locked;
            return fd;
        }
        (void)sys::unlinkAt(folder, staged.c_str());
        if (error != EEXIST)
            return std::unexpected(systemError(error, target));
    }
    return std::unexpected(systemError(EEXIST, target));
}

int syncFolder(int folder)
{
    if (sys::fsync(folder) != 0 && errno != EINVAL)  // EINVAL: folders cannot be synced here
        return errno;
    return 0;
}

int copyOwnerAndMode(int fd, const struct stat& model)
{
    if (::fchown(fd, model.st_uid, model.st_gid) != 0) {
        // Changing the owner takes privilege and is not needed otherwise: the file stays ours.
    }
    return ::fchmod(fd, model.st_mode & 07777) == 0 ? 0 : errno;
}

bool processLives(pid_t pid)
{
    return ::kill(pid, 0) == 0 || errno != ESRCH;
}

}  // namespace

bool isTempFileName(std::string_view name)
{
    return tempNameProcess(name) != 0;
}

namespace detail {

std::int64_t wallClockNow()
{
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

Result<TempFile> createTemp(Place& target)
{
    if (target.name().size() > NAME_MAX)
        return std::unexpected(systemError(ENAMETOOLONG, target.path));
    fs::path path;
    auto made = createLockedBeforeNamed(target.folder.get(), target.path, path);
    if (made && !*made)
        made = createNamedThenLocked(target.folder.get(), target.path, path);
    if (!made)
        return std::unexpected(made.error());
    return TempFile{std::move(*made), std::move(path), std::move(target.folder)};
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
    const int folder = temp.folder.get();
    const std::string from = temp.path.filename().native(), to = target.filename().native();
    if (error == 0)
        error = plan.replace ? (sys::renameAt(folder, from.c_str(), to.c_str()) == 0 ? 0 : errno)
                             : renameNoReplace(folder, from.c_str(), to.c_str());
    if (error != 0) {
        discard(temp);
        return std::unexpected(systemError(error, shown));
    }
    temp.path.clear();
    if (plan.syncFolder) {
        if (int synced = syncFolder(folder); synced != 0) {
            // Its name may not last a power cut, so nothing may rely on it: a new file goes again.
            if (!plan.replace)
                (void)sys::unlinkAt(folder, to.c_str());
            temp.folder = {};
            return std::unexpected(systemError(synced, folderOf(target)));
        }
    }
    temp.folder = {};
    return {};
}

void discard(TempFile& temp) noexcept
{
    if (!temp.path.empty())
        (void)sys::unlinkAt(temp.folder ? temp.folder.get() : AT_FDCWD,
                            (temp.folder ? temp.path.filename() : temp.path).c_str());
    temp.path.clear();
    temp.fd = {};
    temp.folder = {};
}

std::uint64_t removeDebris(int folder, const std::vector<std::string>& names, std::int64_t before)
{
    std::uint64_t removed = 0;
    for (const std::string& name : names) {
        const pid_t writer = tempNameProcess(name);
        if (writer == 0)
            continue;
        // A ".new" file may not be locked yet: it is left while its writer may still be alive.
        if (name.ends_with(stagedSuffix) && processLives(writer))
            continue;
        const sys::UniqueFd fd(sys::openAt(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
        struct stat held, now;
        if (!fd || ::fstat(fd.get(), &held) != 0 || !S_ISREG(held.st_mode))
            continue;
        const std::int64_t written = static_cast<std::int64_t>(held.st_mtim.tv_sec) * 1'000'000'000 + held.st_mtim.tv_nsec;
        if (written >= before)
            continue;  // made or written since the run began: not a killed run's
        if (sys::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
            continue;  // a live run is writing it
        // Still the same file under that name, so nothing that took the name meanwhile goes.
        if (::fstatat(folder, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0 || now.st_dev != held.st_dev
            || now.st_ino != held.st_ino)
            continue;
        if (sys::unlinkAt(folder, name.c_str()) == 0)
            ++removed;
    }
    return removed;
}

}  // namespace detail

}  // namespace qb
