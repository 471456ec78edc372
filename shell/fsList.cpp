// Listing folders: files and subfolders in walk order.
#include "shell/fs.h"

#include "shell/fsDetail.h"
#include "shell/mdlText.h"

#include <algorithm>

namespace qb {

namespace fs = std::filesystem;

namespace {

// The names of the regular files (and links to them) and of the subfolders (not links to them) of
// `folder`, each sorted into walk order; a kind that is not wanted is left empty. Names of the
// temporary-file pattern are kept apart, whatever they name.
struct EntryNames {
    std::vector<std::string> files, folders, temps;
};

Result<EntryNames> listNames(const fs::path& folder, bool wantFiles, bool wantFolders)
{
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec)
        return std::unexpected(systemError(ec, folder, true));
    EntryNames names;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            return std::unexpected(systemError(ec, folder, true));
        const fs::directory_entry& entry = *it;
        const std::string_view full = entry.path().native();
        const std::string_view name = full.substr(full.rfind(fs::path::preferred_separator) + 1);
        std::error_code typeEc;
        std::vector<std::string>* kind = nullptr;
        if (isTempFileName(name))
            kind = &names.temps;
        else if (wantFolders && !entry.is_symlink(typeEc) && entry.is_directory(typeEc))
            kind = &names.folders;
        else if (wantFiles && entry.is_regular_file(typeEc))  // follows links: a link to a file counts
            kind = &names.files;
        if (kind)
            kind->emplace_back(name);
    }
    if (ec)
        return std::unexpected(systemError(ec, folder, true));
    std::sort(names.files.begin(), names.files.end(), walkOrderLess);
    std::sort(names.folders.begin(), names.folders.end(), walkOrderLess);
    return names;
}

template <class Item>
std::vector<Item> entriesAs(const fs::path& folder, const std::vector<std::string>& names)
{
    std::vector<Item> items;
    items.reserve(names.size());
    for (const std::string& name : names)
        items.emplace_back(folder / name);
    return items;
}

}  // namespace

Folder File::ParentFolder() const
{
    return Folder(detail::folderOf(path_));
}

Result<TextStream> File::OpenAsTextStream(IOMode mode, TextFormat) const
{
    return FileSystemObject().OpenTextFile(path_, mode, false);
}

std::string Folder::Name() const
{
    fs::path trimmed = path_;
    while (!trimmed.has_filename() && trimmed.has_relative_path())
        trimmed = trimmed.parent_path();
    return trimmed.filename().string();
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

Result<FolderEntries> Folder::list() const
{
    return transformValue(listNames(path_, true, true), [&](EntryNames names) {
        return FolderEntries{entriesAs<File>(path_, names.files), entriesAs<Folder>(path_, names.folders),
                             std::move(names.temps)};
    });
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
