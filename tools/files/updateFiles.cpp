#include "tools/files/updateFiles.h"

namespace qb {

namespace {

// The body of one folder's handling; its first error ends it.
Result<void> updateFolder(const Folder& myFolder, const File& myNewFile, const TimeStampSource& timeStamp,
                          BulkWalk& walk)
{
    const FileSystemObject fso;
    const auto files = myFolder.Files();
    if (!files)
        return std::unexpected(files.error());
    const std::string name = myNewFile.Name();
    for (const File& file : *files) {
        if (!walk.counter.step(file.Path()))
            return {};
        if (file.Name() != name || fso.sameFile(file.Path(), myNewFile.Path()))
            continue;
        walk.run.text += file.Path().string();
        walk.run.text += "\r\n";
        const std::filesystem::path backup = myFolder.Path() / (timeStamp() + "_" + name);
        if (auto saved = fso.CopyFile(file.Path(), backup, false); !saved)
            return saved;
        if (auto replaced = fso.CopyFile(myNewFile.Path(), file.Path(), true); !replaced)
            return replaced;
    }
    const auto subFolders = myFolder.SubFolders();
    if (!subFolders)
        return std::unexpected(subFolders.error());
    for (const Folder& subFolder : *subFolders) {
        if (walk.counter.cancelled())
            return {};
        compareFileNamesAndUpdate(subFolder, myNewFile, timeStamp, walk);
    }
    return {};
}

}  // namespace

std::string missingNewFileMessage(const std::filesystem::path& path)
{
    return "One of your selected files doesn't exist:\r\n" + path.string();
}

void compareFileNamesAndUpdate(const Folder& myFolder, const File& myNewFile, const TimeStampSource& timeStamp,
                               BulkWalk& walk)
{
    walk.report(updateFolder(myFolder, myNewFile, timeStamp, walk));
}

BulkRun updateFiles(const std::vector<std::filesystem::path>& newFiles, const std::filesystem::path& startFolder,
                    const TimeStampSource& timeStamp, ProgressCallback progress)
{
    BulkWalk walk(std::move(progress));
    const FileSystemObject fso;
    for (const std::filesystem::path& path : newFiles) {
        if (walk.counter.cancelled())
            break;
        if (!fso.FileExists(path)) {
            walk.run.messages.push_back(missingNewFileMessage(path));
            continue;
        }
        const auto newFile = fso.GetFile(path);
        if (!newFile) {
            walk.report(std::unexpected(newFile.error()));
            continue;
        }
        const auto folder = fso.GetFolder(startFolder);
        if (!folder) {
            walk.report(std::unexpected(folder.error()));
            continue;
        }
        compareFileNamesAndUpdate(*folder, *newFile, timeStamp, walk);
    }
    return walk.finish();
}

}  // namespace qb
