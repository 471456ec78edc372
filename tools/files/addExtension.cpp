#include "tools/files/addExtension.h"

#include "shell/fs.h"

#include <string>

namespace qb {

namespace {

// The body of one folder's visit; its first error ends it.
Result<void> visitFolder(const std::filesystem::path& strFolder, int intLevel, BulkWalk& walk)
{
    const FileSystemObject fso;
    const std::string indent(static_cast<std::size_t>(intLevel) + 1, '\t');
    const auto folder = fso.GetFolder(strFolder);
    if (!folder)
        return std::unexpected(folder.error());
    const auto files = folder->Files();
    if (!files)
        return std::unexpected(files.error());
    for (const File& file : *files) {
        if (!walk.counter.step(file.Path()))
            return {};
        if (file.Name().find('.') != std::string::npos)
            continue;
        walk.run.text += indent + "---" + file.Path().string() + "\r\n";
        const std::filesystem::path copy = copyNameOf(file.Path());
        if (fso.FileExists(copy))
            continue;
        if (auto copied = fso.CopyFile(file.Path(), copy, false); !copied)
            return copied;
    }
    const auto subFolders = folder->SubFolders();
    if (!subFolders)
        return std::unexpected(subFolders.error());
    for (const Folder& subFolder : *subFolders) {
        if (walk.counter.cancelled())
            return {};
        walk.run.text += indent + subFolder.Path().string() + "\r\n";
        makeDoc(subFolder.Path(), intLevel + 1, walk);
    }
    return {};
}

}  // namespace

std::filesystem::path copyNameOf(const std::filesystem::path& file)
{
    return std::filesystem::path(file.string() + std::string(copySuffix));
}

void makeDoc(const std::filesystem::path& strFolder, int intLevel, BulkWalk& walk)
{
    walk.report(visitFolder(strFolder, intLevel, walk));
}

BulkRun addExtensionCopies(const std::filesystem::path& startFolder, ProgressCallback progress)
{
    BulkWalk walk(std::move(progress));
    makeDoc(startFolder, 0, walk);
    return walk.finish();
}

}  // namespace qb
