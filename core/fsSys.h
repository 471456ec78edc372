// The system calls of the file-system layer, in one place. Each wrapper retries a call that a
// signal interrupted (EINTR), and each reports failure as -1 with errno set, like the call itself.
// A test can make the Nth call of one kind fail with an errno of its choosing (a FaultPlan), which
// proves that every failure of the layer reaches the caller and that no file is left half done.
// UniqueFd owns one descriptor.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

namespace qb::sys {

// The kinds of call a FaultPlan counts and can fail.
enum class Call { Open, Read, Write, Fsync, Rename, Link, Close, Mkdir, Unlink, Lock };
inline constexpr std::size_t callKinds = 10;

// The calls that take a path also come relative to an open folder (`dir`; AT_FDCWD for the
// current one): writers make, name and remove files relative to the folder they opened.
int open(const char* path, int flags, mode_t mode = 0);
int openAt(int dir, const char* path, int flags, mode_t mode = 0);
// Opens `path` below the folder `dir` without following any link on the way and without leaving
// `dir` (openat2 with RESOLVE_NO_SYMLINKS | RESOLVE_BENEATH): ELOOP for a link, ENOSYS where the
// kernel cannot.
int openBelow(int dir, const char* path, int flags);
ssize_t read(int fd, void* buffer, std::size_t size);
ssize_t pread(int fd, void* buffer, std::size_t size, off_t offset);
// Writes all of `size` bytes; 0 or the errno of the failure. `written` (when given) gets the
// number of bytes that reached the file, also when the write failed part-way.
int writeAll(int fd, const char* bytes, std::size_t size, std::size_t* written = nullptr);
// Copies up to `size` bytes between two files in the kernel; a write as far as faults go.
ssize_t copyFileRange(int in, int out, std::size_t size);
int fsync(int fd);
int rename(const char* from, const char* to);
int renameAt(int dir, const char* from, const char* to);  // both names in the folder `dir`
// Renames only when nothing exists at `to` (EEXIST otherwise). EINVAL or ENOSYS: the file
// system cannot do it.
int renameNoReplace(const char* from, const char* to);
int renameNoReplaceAt(int dir, const char* from, const char* to);
int link(const char* from, const char* to);
int linkAt(int dir, const char* from, const char* to);
int linkFdAt(int fd, int dir, const char* to);
// Closes `fd`: 0 or -1 with errno. The descriptor is gone either way (EINTR included: on this
// platform a close that a signal interrupted has still closed it, so it is never retried).
int close(int fd);
int mkdir(const char* path, mode_t mode);
int mkdirAt(int dir, const char* path, mode_t mode);
int unlink(const char* path);
int unlinkAt(int dir, const char* path);
// flock(2): LOCK_EX, LOCK_SH or LOCK_UN, with LOCK_NB or without.
int flock(int fd, int operation);

// One rule of a FaultPlan: the `nth` call (from 1) of kind `call` fails with `error` instead of
// being made. nth = 0 only counts. With `before` given, the nth call is not failed: `before` runs
// first (to play another process that acts at that moment) and the call is then made.
struct FaultRule {
    Call call = Call::Open;
    std::uint64_t nth = 0;
    int error = 0;
    std::function<void()> before = {};
};

// While a FaultPlan lives, every wrapped call is counted by kind and traced, and its rules apply.
// One plan at a time.
class FaultPlan {
public:
    FaultPlan(Call call = Call::Open, std::uint64_t nth = 0, int error = 0, std::function<void()> before = {});
    explicit FaultPlan(std::vector<FaultRule> rules);
    ~FaultPlan();
    FaultPlan(const FaultPlan&) = delete;
    FaultPlan& operator=(const FaultPlan&) = delete;

    std::uint64_t calls(Call call) const { return counts_[static_cast<std::size_t>(call)].load(); }
    bool fired() const { return fired_.load(); }
    // Every call made while the plan lived, in order.
    std::vector<Call> trace() const;
    // True when this call is the one to fail (then errno is set); counts it either way.
    bool hit(Call call);

private:
    std::vector<FaultRule> rules_;
    std::atomic<std::uint64_t> counts_[callKinds] = {};
    std::atomic<bool> fired_ = false;
    mutable std::mutex traceMutex_;
    std::vector<Call> trace_;
};

// A move-only owner of one open descriptor. The destructor closes it and ignores the outcome,
// which is right for descriptors that were only read from; a writer calls close() and checks.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept
    {
        if (this != &other)
            reset(std::exchange(other.fd_, -1));
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int release() { return std::exchange(fd_, -1); }
    // Closes now: 0 or the errno of a failed close. Closing nothing succeeds.
    int close();

private:
    void reset(int fd = -1) noexcept;
    int fd_ = -1;
};

}  // namespace qb::sys
