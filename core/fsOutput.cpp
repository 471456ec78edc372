// Outputs that the user names on the command line: an open descriptor, a device, a FIFO or a socket
// is written as the stream it is; anything else is replaced whole through a temporary file, as
// every file Quillbox writes.
#include "core/fs.h"

#include "core/fsDetail.h"

#include <charconv>
#include <cstring>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace qb {

namespace fs = std::filesystem;
using namespace detail;

namespace {

// The descriptor that `path` names as one already open in this process ("-", /dev/stdout,
// /dev/stderr, /dev/fd/N, /proc/self/fd/N), or -1.
int namedDescriptor(std::string_view path)
{
    if (path == "-" || path == "/dev/stdout")
        return STDOUT_FILENO;
    if (path == "/dev/stderr")
        return STDERR_FILENO;
    for (const std::string_view prefix : {std::string_view("/dev/fd/"), std::string_view("/proc/self/fd/")}) {
        if (!path.starts_with(prefix) || path.size() == prefix.size())
            continue;
        const std::string_view digits = path.substr(prefix.size());
        int fd = -1;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), fd);
        if (error == std::errc() && end == digits.data() + digits.size())
            return fd;
    }
    return -1;
}

bool isStreamKind(mode_t mode)
{
    return S_ISCHR(mode) || S_ISFIFO(mode) || S_ISSOCK(mode);
}

// A connection to the Unix stream socket at `path`; -1 with errno on failure.
int connectTo(const fs::path& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.native().size() >= sizeof address.sun_path) {
        errno = ENAMETOOLONG;
        return -1;
    }
    std::memcpy(address.sun_path, path.c_str(), path.native().size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

}  // namespace

Result<TextStream> FileSystemObject::createOutput(const fs::path& path, IOMode mode) const
{
    if (const int named = namedDescriptor(path.native()); named >= 0) {
        // Its own descriptor for the same open file: writes go where the shell sent them, at the
        // offset (or the end) the shell chose, and closing it leaves the original open.
        sys::UniqueFd fd(::fcntl(named, F_DUPFD_CLOEXEC, 0));
        if (!fd)
            return std::unexpected(systemError(errno, path));
        return TextStream(std::move(fd), IOMode::ForWriting, path);
    }
    struct stat st;
    if (statPath(path, st) && isStreamKind(st.st_mode)) {
        // Opened as it is, never emptied, made or renamed over.
        sys::UniqueFd fd(S_ISSOCK(st.st_mode) ? connectTo(path) : sys::open(path.c_str(), O_WRONLY | O_NOCTTY));
        if (!fd)
            return std::unexpected(openError(errno, path));
        if (::fstat(fd.get(), &st) != 0 || !isStreamKind(st.st_mode))
            return std::unexpected(
                describedError(err::PathFileAccess, path, "changed while it was opened; nothing was written"));
        return TextStream(std::move(fd), IOMode::ForWriting, path);
    }
    if (mode == IOMode::ForAppending)
        return OpenTextFile(path, IOMode::ForAppending, Missing::Create);
    return CreateReplacingTextFile(path);
}

Result<void> FileSystemObject::checkNotInput(const fs::path& output, const std::vector<fs::path>& inputs) const
{
    struct stat out;
    if (namedDescriptor(output.native()) >= 0 || !statPath(output, out) || !S_ISREG(out.st_mode))
        return {};
    for (const fs::path& input : inputs) {
        struct stat in;
        if (statPath(input, in) && S_ISREG(in.st_mode) && in.st_dev == out.st_dev && in.st_ino == out.st_ino)
            return std::unexpected(describedError(err::PathFileAccess, output,
                                                  "is the input file " + input.string()
                                                      + "; writing the output would destroy it, so nothing was read"));
    }
    return {};
}

}  // namespace qb
