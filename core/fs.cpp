#include "core/fs.h"

#include "core/fsDetail.h"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace qb {

namespace fs = std::filesystem;
using namespace detail;

namespace detail {

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

bool hasWriteBit(const struct stat& st)
{
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

Error openError(int errnoValue, const fs::path& path)
{
    bool folderMissing = errnoValue == ENOENT && !isFolder(folderOf(path));
    return systemError(errnoValue, path, folderMissing);
}

Error describedError(int number, const fs::path& path, std::string_view reason)
{
    std::string description = path.string();
    description += ": ";
    description += reason;
    return Error{number, std::move(description)};
}

std::string_view kindOf(const struct stat& st)
{
    if (S_ISFIFO(st.st_mode))
        return "a FIFO";
    if (S_ISCHR(st.st_mode))
        return "a character device";
    if (S_ISBLK(st.st_mode))
        return "a block device";
    if (S_ISSOCK(st.st_mode))
        return "a socket";
    if (S_ISDIR(st.st_mode))
        return "a folder";
    return "not a regular file";
}

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

fs::path withoutTrailingSeparator(fs::path path)
{
    while (!path.has_filename() && path.has_relative_path())
        path = path.parent_path();
    return path;
}

fs::path normalPath(const fs::path& path)
{
    std::error_code ec;
    fs::path full = fs::absolute(path, ec);
    return (ec ? path : full).lexically_normal();
}

Error linkRefused(const fs::path& link)
{
    return describedError(err::PathFileAccess, link, "is a symbolic link; nothing is written through a link");
}

namespace {

// The part of `path` below `tree`, or nothing when it does not lie below it.
fs::path partBelow(const fs::path& path, const Tree* tree)
{
    if (!tree)
        return {};
    fs::path below = normalPath(path).lexically_relative(tree->path);
    if (below.empty() || below == "." || *below.begin() == "..")
        return {};
    return below;
}

// The tree's folder, opened once and kept; a failure is reported, and tried again next time.
Result<int> treeFolder(const Tree& tree)
{
    const std::lock_guard lock(tree.mutex);
    if (!tree.fd) {
        tree.fd = sys::UniqueFd(sys::open(tree.path.c_str(), O_RDONLY | O_DIRECTORY));
        if (!tree.fd)
            return std::unexpected(systemError(errno, tree.path, true));
    }
    return tree.fd.get();
}

}  // namespace

Result<sys::UniqueFd> openFolder(const fs::path& folder, const Tree* tree)
{
    constexpr int folderFlags = O_RDONLY | O_DIRECTORY;
    const fs::path below = partBelow(folder, tree);
    if (below.empty()) {
        sys::UniqueFd fd(sys::open(folder.c_str(), folderFlags));
        if (!fd)
            return std::unexpected(systemError(errno, folder, true));
        return fd;
    }
    const auto root = treeFolder(*tree);
    if (!root)
        return std::unexpected(root.error());
    // One call resolves the whole part below the tree where the kernel can refuse links on the
    // way; where it cannot, or when it refused one, each folder is opened in turn and the link
    // is found and named.
    sys::UniqueFd fd(sys::openBelow(*root, below.c_str(), folderFlags));
    if (fd || (errno != ELOOP && errno != ENOSYS && errno != EXDEV && errno != EAGAIN))
        return fd ? Result<sys::UniqueFd>(std::move(fd)) : std::unexpected(systemError(errno, tree->path / below, true));
    fd = sys::UniqueFd(::fcntl(*root, F_DUPFD_CLOEXEC, 0));
    if (!fd)
        return std::unexpected(systemError(errno, tree->path));
    fs::path reached = tree->path;
    for (const fs::path& part : below) {
        if (part.empty() || part == ".")
            continue;
        reached /= part;
        sys::UniqueFd next(sys::openAt(fd.get(), part.c_str(), folderFlags | O_NOFOLLOW));
        if (!next) {
            const int error = errno;
            struct stat st;
            if (::fstatat(fd.get(), part.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
                return std::unexpected(linkRefused(reached));
            return std::unexpected(systemError(error, reached, true));
        }
        fd = std::move(next);
    }
    return fd;
}

bool Place::look(struct stat& st) const
{
    return ::fstatat(folder.get(), name().c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

Result<Place> openPlace(const fs::path& path, const Tree* tree)
{
    const bool confined = !partBelow(path, tree).empty();
    const fs::path target = confined ? normalPath(path) : replacementTarget(path);
    if (!target.has_filename())
        return std::unexpected(systemError(EISDIR, path));
    return transformValue(openFolder(folderOf(target), confined ? tree : nullptr), [&](sys::UniqueFd folder) {
        return Place{std::move(folder), target, confined};
    });
}

namespace {

std::vector<fs::path>& acceptedStreams()
{
    static std::vector<fs::path> paths;
    return paths;
}

bool acceptedStream(const fs::path& path, const struct stat& st)
{
    return (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode)) && std::ranges::find(acceptedStreams(), path) != acceptedStreams().end();
}

// Refuses what is neither a regular file nor a folder, unless the user named that stream.
Result<void> checkInputKind(const fs::path& path, const struct stat& st)
{
    if (S_ISREG(st.st_mode) || S_ISDIR(st.st_mode) || acceptedStream(path, st))
        return {};
    return std::unexpected(
        describedError(err::PathFileAccess, path, "is " + std::string(kindOf(st)) + ", not a regular file; it was not opened"));
}

}  // namespace

}  // namespace detail

void acceptStreamInput(const fs::path& path)
{
    acceptedStreams().push_back(path);
}

Result<void> FileSystemObject::checkInput(const fs::path& path) const
{
    struct stat st;
    if (!statPath(path, st))
        return {};
    return checkInputKind(path, st);
}

namespace detail {

Result<sys::UniqueFd> openInput(const fs::path& path, struct stat& st)
{
    // Standard input is read from the descriptor this process was given, whatever it is (a pipe,
    // a terminal, a socket, a file read from where it stands).
    if (path == fs::path(standardInputPath) && std::ranges::find(acceptedStreams(), path) != acceptedStreams().end()) {
        sys::UniqueFd fd(::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0));
        if (!fd || ::fstat(fd.get(), &st) != 0)
            return std::unexpected(systemError(errno, "standard input"));
        return fd;
    }
    const bool named = statPath(path, st);
    if (named)
        if (auto kind = checkInputKind(path, st); !kind)
            return std::unexpected(kind.error());
    // A FIFO the user named is opened waiting for its writer, as a shell's reader does: opened
    // without waiting before the writer came, its first read would find its end. Anything else
    // is opened without waiting, so that a FIFO put in its place meanwhile cannot hang the open;
    // checked again.
    const bool fifo = named && S_ISFIFO(st.st_mode);
    sys::UniqueFd fd(sys::open(path.c_str(), O_RDONLY | O_NOCTTY | (fifo ? 0 : O_NONBLOCK)));
    if (!fd)
        return std::unexpected(openError(errno, path));
    if (::fstat(fd.get(), &st) != 0)
        return std::unexpected(systemError(errno, path));
    if (auto kind = checkInputKind(path, st); !kind)
        return std::unexpected(kind.error());
    (void)::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    return fd;
}

}  // namespace detail

FileSystemObject::FileSystemObject() : started_(wallClockNow()) {}

FileSystemObject::FileSystemObject(const fs::path& tree) : started_(wallClockNow())
{
    auto made = std::make_shared<Tree>();
    made->path = withoutTrailingSeparator(normalPath(tree));
    tree_ = std::move(made);
}

bool FileSystemObject::FileExists(const fs::path& path) const
{
    struct stat st;
    return statPath(path, st) && !S_ISDIR(st.st_mode);
}

bool FileSystemObject::FolderExists(const fs::path& path) const
{
    return isFolder(path);
}

namespace {

// Why `path` cannot be looked at (after stat failed with `errnoValue`), naming the real cause: a
// part of the path that is a file, a link that points nowhere, a loop of links.
Error lookupError(int errnoValue, const fs::path& path, bool missingIsPath)
{
    if (errnoValue == ENOTDIR) {
        fs::path prefix;
        for (const fs::path& part : path) {
            prefix /= part;
            struct stat st;
            if (prefix != path && statPath(prefix, st) && !S_ISDIR(st.st_mode))
                return describedError(err::PathNotFound, path, prefix.string() + " is a file, not a folder");
        }
    }
    struct stat link;
    if (errnoValue == ENOENT && ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        std::error_code ec;
        const fs::path target = fs::read_symlink(path, ec);
        return describedError(missingIsPath ? err::PathNotFound : err::FileNotFound, path,
                              "is a link to " + target.string() + ", which does not exist");
    }
    return systemError(errnoValue, path, missingIsPath);
}

}  // namespace

Result<File> FileSystemObject::GetFile(const fs::path& path) const
{
    struct stat st;
    if (!statPath(path, st))
        return std::unexpected(lookupError(errno, path, false));
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
        return std::unexpected(lookupError(errno, path, true));
    if (!S_ISDIR(st.st_mode))
        return std::unexpected(describedError(err::PathNotFound, path, "is a file, not a folder"));
    std::error_code ec;
    fs::path full = fs::absolute(path, ec);
    return Folder(ec ? path : std::move(full));
}

namespace {

// Makes the folder at `place`: 0, or the errno of the failure (EEXIST for anything there).
int makeFolder(const Place& place)
{
    return sys::mkdirAt(place.folder.get(), place.name().c_str(), 0777) == 0 ? 0 : errno;
}

}  // namespace

Result<void> FileSystemObject::CreateFolder(const fs::path& path) const
{
    auto place = openPlace(withoutTrailingSeparator(path), tree_.get());
    if (!place)
        return std::unexpected(place.error());
    if (int error = makeFolder(*place)) {
        struct stat st;
        if (error == EEXIST && place->confined && place->look(st) && S_ISLNK(st.st_mode))
            return std::unexpected(linkRefused(place->path));
        return std::unexpected(systemError(error, path, true));
    }
    return {};
}

Result<void> FileSystemObject::ensureFolder(const fs::path& path) const
{
    auto place = openPlace(withoutTrailingSeparator(path), tree_.get());
    if (!place)
        return std::unexpected(place.error());
    const int error = makeFolder(*place);
    if (error == 0)
        return {};
    struct stat st;
    if (error == EEXIST && place->look(st)) {
        if (S_ISDIR(st.st_mode))
            return {};
        if (S_ISLNK(st.st_mode)) {
            if (place->confined)
                return std::unexpected(linkRefused(place->path));
            if (isFolder(path))
                return {};
        }
    }
    return std::unexpected(systemError(error, path, true));
}

Result<void> FileSystemObject::DeleteFile(const fs::path& path, ReadOnly readOnly) const
{
    // The entry itself goes, a link included: its folder is opened as every writer opens it.
    auto folder = openFolder(folderOf(path), tree_.get());
    if (!folder)
        return std::unexpected(folder.error());
    const Place place{std::move(*folder), path, false};
    const std::string name = place.name();
    struct stat st;
    if (!place.look(st))
        return std::unexpected(systemError(errno == ENOTDIR ? ENOENT : errno, path));
    if (S_ISDIR(st.st_mode))
        return std::unexpected(describedError(err::FileNotFound, path, "is a folder, not a file"));
    // Checked on the bits, so that a read-only file is refused even for root, and by access(), so
    // that a file this user may not write is refused too.
    const bool force = readOnly == ReadOnly::Remove;
    if (!force && !S_ISLNK(st.st_mode) && !hasWriteBit(st))
        return std::unexpected(describedError(err::PermissionDenied, path, "the file is read-only"));
    if (!force && !S_ISLNK(st.st_mode) && ::faccessat(place.folder.get(), name.c_str(), W_OK, AT_EACCESS) != 0)
        return std::unexpected(systemError(errno, path));
    if (sys::unlinkAt(place.folder.get(), name.c_str()) != 0)
        return std::unexpected(systemError(errno, path));
    return {};
}

Result<void> FileSystemObject::removeEmptyFolder(const fs::path& path) const
{
    auto folder = openFolder(folderOf(withoutTrailingSeparator(path)), tree_.get());
    if (!folder)
        return std::unexpected(folder.error());
    const Place place{std::move(*folder), withoutTrailingSeparator(path), false};
    if (::unlinkat(place.folder.get(), place.name().c_str(), AT_REMOVEDIR) != 0)
        return std::unexpected(systemError(errno, path));
    return {};
}

Result<TextStream> FileSystemObject::OpenTextFile(const fs::path& path, IOMode mode, Missing missing,
                                                  TextFormat) const
{
    struct stat st;
    if (mode == IOMode::ForReading) {
        return andThen(openInput(path, st), [&](sys::UniqueFd fd) -> Result<TextStream> {
            if (S_ISDIR(st.st_mode))
                return std::unexpected(systemError(EISDIR, path));
            return TextStream(std::move(fd), mode, path);
        });
    }
    // Writing in place (emptying or appending): only into a regular file.
    if (statPath(path, st) && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
        return std::unexpected(
            describedError(err::PathFileAccess, path, "is " + std::string(kindOf(st)) + ", not a regular file; nothing was written"));
    int flags = O_WRONLY | O_NONBLOCK | O_NOCTTY | (mode == IOMode::ForWriting ? O_TRUNC : O_APPEND);
    if (missing == Missing::Create)
        flags |= O_CREAT;
    sys::UniqueFd fd(sys::open(path.c_str(), flags, 0666));
    if (!fd)
        return std::unexpected(openError(errno, path));
    if (::fstat(fd.get(), &st) == 0 && !S_ISREG(st.st_mode))
        return std::unexpected(describedError(err::PathFileAccess, path, "not a regular file; nothing was written"));
    (void)::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    return TextStream(std::move(fd), mode, path);
}

Result<std::string> FileSystemObject::readFileBytes(const fs::path& path) const
{
    std::string bytes;
    return transformValue(readFileBytes(path, bytes), [&] { return std::move(bytes); });
}

Result<void> FileSystemObject::readFileBytes(const fs::path& path, std::string& bytes) const
{
    bytes.clear();
    struct stat st;
    auto opened = openInput(path, st);
    if (!opened)
        return std::unexpected(opened.error());
    const sys::UniqueFd fd = std::move(*opened);
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
            const ssize_t n = sys::read(fd.get(), data + got, room - got);
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

Result<sys::UniqueFd> FileSystemObject::openForReading(const fs::path& path, int folder, std::uint64_t* size) const
{
    // Two calls, as scans open every file of a tree. Non-blocking, so that a FIFO cannot hang the
    // open; reads of a regular file ignore the flag, so it is left on. Opening by name in an open
    // folder spares the system a lookup of every folder above it.
    constexpr int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    sys::UniqueFd fd(folder >= 0 ? sys::openAt(folder, fileNameOf(path).data(), flags) : sys::open(path.c_str(), flags));
    if (!fd)
        return std::unexpected(openError(errno, path));
    struct stat st;
    if (::fstat(fd.get(), &st) != 0)
        return std::unexpected(systemError(errno, path));
    if (S_ISDIR(st.st_mode))
        return std::unexpected(systemError(EISDIR, path));
    if (auto kind = checkInputKind(path, st); !kind)
        return std::unexpected(kind.error());
    if (!S_ISREG(st.st_mode))  // a stream the user named waits for its data
        (void)::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    if (size)
        *size = S_ISREG(st.st_mode) ? static_cast<std::uint64_t>(st.st_size) : 0;
    return fd;
}

bool FileSystemObject::sameFile(const fs::path& a, const fs::path& b) const
{
    struct stat sa, sb;
    return statPath(a, sa) && statPath(b, sb) && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace qb
