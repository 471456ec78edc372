#include "core/fsSys.h"

#include <cerrno>
#include <cstdio>
#include <string>

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qb::sys {

namespace {

std::atomic<FaultPlan*> plan{nullptr};

// True when the active plan fails this call; errno is then set.
bool faulted(Call call)
{
    FaultPlan* active = plan.load(std::memory_order_acquire);
    return active && active->hit(call);
}

template <class Op>
auto retrying(Op op)
{
    decltype(op()) result;
    do
        result = op();
    while (result < 0 && errno == EINTR);
    return result;
}

}  // namespace

FaultPlan::FaultPlan(Call call, std::uint64_t nth, int error, std::function<void()> before)
    : FaultPlan(std::vector<FaultRule>{{call, nth, error, std::move(before)}})
{
}

FaultPlan::FaultPlan(std::vector<FaultRule> rules) : rules_(std::move(rules))
{
    plan.store(this, std::memory_order_release);
}

FaultPlan::~FaultPlan()
{
    plan.store(nullptr, std::memory_order_release);
}

std::vector<Call> FaultPlan::trace() const
{
    const std::lock_guard lock(traceMutex_);
    return trace_;
}

bool FaultPlan::hit(Call call)
{
    {
        const std::lock_guard lock(traceMutex_);
        trace_.push_back(call);
    }
    const std::uint64_t count = ++counts_[static_cast<std::size_t>(call)];
    for (const FaultRule& rule : rules_) {
        if (call != rule.call || count != rule.nth)
            continue;
        fired_ = true;
        if (rule.before) {
            rule.before();
            return false;
        }
        errno = rule.error;
        return true;
    }
    return false;
}

int open(const char* path, int flags, mode_t mode)
{
    return openAt(AT_FDCWD, path, flags, mode);
}

int openAt(int dir, const char* path, int flags, mode_t mode)
{
    if (faulted(Call::Open))
        return -1;
    return retrying([&] { return ::openat(dir, path, flags | O_CLOEXEC, mode); });
}

int openBelow(int dir, const char* path, int flags)
{
    if (faulted(Call::Open))
        return -1;
#if defined(SYS_openat2) && defined(RESOLVE_NO_SYMLINKS)
    open_how how{};
    how.flags = static_cast<std::uint64_t>(flags | O_CLOEXEC);
    how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_BENEATH;
    return static_cast<int>(retrying([&] { return ::syscall(SYS_openat2, dir, path, &how, sizeof how); }));
#else
    (void)dir, (void)path, (void)flags;
    errno = ENOSYS;
    return -1;
#endif
}

ssize_t read(int fd, void* buffer, std::size_t size)
{
    if (faulted(Call::Read))
        return -1;
    return retrying([&] { return ::read(fd, buffer, size); });
}

ssize_t pread(int fd, void* buffer, std::size_t size, off_t offset)
{
    if (faulted(Call::Read))
        return -1;
    return retrying([&] { return ::pread(fd, buffer, size, offset); });
}

int writeAll(int fd, const char* bytes, std::size_t size, std::size_t* written)
{
    std::size_t done = 0;
    int error = 0;
    while (done < size) {
        if (faulted(Call::Write)) {
            error = errno;
            break;
        }
        const ssize_t n = ::write(fd, bytes + done, size - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    if (written)
        *written = done;
    return error;
}

ssize_t copyFileRange(int in, int out, std::size_t size)
{
    if (faulted(Call::Write))
        return -1;
    return retrying([&] { return ::copy_file_range(in, nullptr, out, nullptr, size, 0); });
}

int fsync(int fd)
{
    if (faulted(Call::Fsync))
        return -1;
    return retrying([&] { return ::fsync(fd); });
}

int rename(const char* from, const char* to)
{
    return renameAt(AT_FDCWD, from, to);
}

int renameAt(int dir, const char* from, const char* to)
{
    if (faulted(Call::Rename))
        return -1;
    return ::renameat(dir, from, dir, to);
}

int renameNoReplace(const char* from, const char* to)
{
    return renameNoReplaceAt(AT_FDCWD, from, to);
}

int renameNoReplaceAt(int dir, const char* from, const char* to)
{
    if (faulted(Call::Rename))
        return -1;
#ifdef RENAME_NOREPLACE
    return ::renameat2(dir, from, dir, to, RENAME_NOREPLACE);
#else
    (void)dir, (void)from, (void)to;
    errno = ENOSYS;
    return -1;
#endif
}

int link(const char* from, const char* to)
{
    return linkAt(AT_FDCWD, from, to);
}

int linkAt(int dir, const char* from, const char* to)
{
    if (faulted(Call::Link))
        return -1;
    return ::linkat(dir, from, dir, to, 0);
}

int linkFdAt(int fd, int dir, const char* to)
{
    if (faulted(Call::Link))
        return -1;
    char self[64];
    std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
    if (::linkat(AT_FDCWD, self, dir, to, AT_SYMLINK_FOLLOW) == 0)
        return 0;
    if (errno != ENOENT)
        return -1;
#ifdef AT_EMPTY_PATH
    // No /proc: a privileged process can still name the file through its descriptor.
    return ::linkat(fd, "", dir, to, AT_EMPTY_PATH);
#else
    return -1;
#endif
}

int close(int fd)
{
    if (faulted(Call::Close)) {
        const int error = errno;
        ::close(fd);  // the descriptor must still go, as after a real failed close
        errno = error;
        return -1;
    }
    if (::close(fd) == 0 || errno == EINTR)
        return 0;
    return -1;
}

int mkdir(const char* path, mode_t mode)
{
    return mkdirAt(AT_FDCWD, path, mode);
}

int mkdirAt(int dir, const char* path, mode_t mode)
{
    if (faulted(Call::Mkdir))
        return -1;
    return ::mkdirat(dir, path, mode);
}

int unlink(const char* path)
{
    return unlinkAt(AT_FDCWD, path);
}

int unlinkAt(int dir, const char* path)
{
    if (faulted(Call::Unlink))
        return -1;
    return ::unlinkat(dir, path, 0);
}

int flock(int fd, int operation)
{
    if (faulted(Call::Lock))
        return -1;
    return retrying([&] { return ::flock(fd, operation); });
}

int UniqueFd::close()
{
    if (fd_ < 0)
        return 0;
    return sys::close(std::exchange(fd_, -1)) == 0 ? 0 : errno;
}

void UniqueFd::reset(int fd) noexcept
{
    if (fd_ >= 0) {
        const int saved = errno;
        (void)sys::close(fd_);
        errno = saved;
    }
    fd_ = fd;
}

}  // namespace qb::sys
