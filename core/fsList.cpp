// Listing folders: files and subfolders in walk order.
#include "core/fs.h"

#include "core/fsDetail.h"
#include "core/mdlText.h"

#include <algorithm>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qb {

namespace fs = std::filesystem;

namespace {

// The names of the regular files (and links to them) and of the subfolders (not links to them) of
// `folder`, each sorted into walk order; a kind that is not wanted is left empty. Names of the
// temporary-file pattern are kept apart, whatever they name.
struct EntryNames {
    std::vector<std::string> files, folders, temps;
};

// The kind of a listed entry: the type the listing gave, or (when it gave none, or for a link
// that may lead to a file) the type that a stat of the entry says. An entry that cannot be
// looked at is passed over, as one that vanished meanwhile.
enum class EntryKind { Other, File, Folder };

EntryKind entryKind(int folderFd, const dirent& entry)
{
    const auto kindOf = [](mode_t mode) {
        return S_ISREG(mode) ? EntryKind::File : S_ISDIR(mode) ? EntryKind::Folder : EntryKind::Other;
    };
    struct stat info {};
    switch (entry.d_type) {
    case DT_REG: return EntryKind::File;
    case DT_DIR: return EntryKind::Folder;
    case DT_LNK:  // a link to a file counts as the file; a link to a folder is not entered
        return ::fstatat(folderFd, entry.d_name, &info, 0) == 0 && S_ISREG(info.st_mode) ? EntryKind::File
                                                                                         : EntryKind::Other;
    case DT_UNKNOWN:  // file systems that give no types: ask, and follow a link only to a file
        if (::fstatat(folderFd, entry.d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            return EntryKind::Other;
        if (!S_ISLNK(info.st_mode))
            return kindOf(info.st_mode);
        return ::fstatat(folderFd, entry.d_name, &info, 0) == 0 && S_ISREG(info.st_mode) ? EntryKind::File
                                                                                         : EntryKind::Other;
    default: return EntryKind::Other;
    }
}

// Lists `folder`, or the open folder `folderFd` (at `folder`) when it is given.
Result<EntryNames> listNames(const fs::path& folder, bool wantFiles, bool wantFolders, int folderFd = -1)
{
    // The listing's own types are used, so most entries need no stat, and names are taken as
    // they come, without a path object each: a tree of many small files is mostly listing.
    const auto openDir = [&]() -> DIR* {
        if (folderFd < 0)
            return ::opendir(folder.c_str());
        const int own = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        DIR* dir = own < 0 ? nullptr : ::fdopendir(own);
        if (own >= 0 && !dir)
            ::close(own);
        return dir;
    };
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(openDir(), ::closedir);
    if (!dir)
        return std::unexpected(systemError(errno, folder, true));
    const int listedFd = ::dirfd(dir.get());
    EntryNames names;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir.get());
        if (!entry) {
            if (errno != 0)
                return std::unexpected(systemError(errno, folder, true));
            break;
        }
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        switch (entryKind(listedFd, *entry)) {
        case EntryKind::File:
            // A live writer's temporary file, or a killed one's, is no file of the tree; a link
            // of such a name is.
            if (entry->d_type != DT_LNK && isTempFileName(name))
                names.temps.emplace_back(name);
            else if (wantFiles)
                names.files.emplace_back(name);
            break;
        case EntryKind::Folder:
            if (wantFolders)
                names.folders.emplace_back(name);
            break;
        case EntryKind::Other:
            break;
        }
    }
    std::sort(names.files.begin(), names.files.end(), walkOrderLess);
    std::sort(names.folders.begin(), names.folders.end(), walkOrderLess);
    return names;
}

template <class Item>
std::vector<Item> entriesAs(const fs::path& folder, const std::vector<std::string>& names)
{
    std::vector<Item> items;
    items.reserve(names.size());
    // Each path is spelled once and parsed once, instead of appending to a copy of the folder's.
    const std::string& base = folder.native();
    const bool separated = base.empty() || base.back() == fs::path::preferred_separator;
    for (const std::string& name : names) {
        std::string full;
        full.reserve(base.size() + 1 + name.size());
        full += base;
        if (!separated)
            full += fs::path::preferred_separator;
        full += name;
        items.emplace_back(fs::path(std::move(full)));
    }
    return items;
}

}  // namespace

Result<std::vector<std::string>> detail::tempNamesIn(const fs::path& folder, int folderFd)
{
    return transformValue(listNames(folder, false, false, folderFd),
                          [](EntryNames names) { return std::move(names.temps); });
}

Folder File::ParentFolder() const
{
    return Folder(detail::folderOf(path_));
}

Result<TextStream> File::OpenAsTextStream(IOMode mode, TextFormat) const
{
    return FileSystemObject().OpenTextFile(path_, mode);
}

std::string Folder::Name() const
{
    return detail::withoutTrailingSeparator(path_).filename().string();
}

Result<std::vector<Folder>> Folder::SubFolders() const
{
    return transformValue(listNames(path_, false, true),
        [&](const EntryNames& names) { return entriesAs<Folder>(path_, names.folders); });
}

Result<std::vector<File>> Folder::Files() const
{
    return transformValue(listNames(path_, true, false),
        [&](const EntryNames& names) { return entriesAs<File>(path_, names.files); });
}

Result<FolderEntries> Folder::list(int openFd) const
{
    return transformValue(listNames(path_, true, true, openFd), [&](EntryNames names) {
        return FolderEntries{entriesAs<File>(path_, names.files), entriesAs<Folder>(path_, names.folders),
                             std::move(names.temps)};
    });
}

std::string_view fileNameOf(const fs::path& path)
{
    const std::string_view full = path.native();
    const std::size_t slash = full.rfind(fs::path::preferred_separator);
    return slash == std::string_view::npos ? full : full.substr(slash + 1);
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

}  // namespace qb
