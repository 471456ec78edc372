#include "tools/files/updateFiles.h"

namespace qb {

namespace {

// Backs up `target` beside it, then copies the new file over it.
Result<void> updateOne(const FileSystemObject& fso, const std::filesystem::path& target, const File& myNewFile,
                       const TimeStampSource& timeStamp)
{
    const std::filesystem::path backup = target.parent_path() / (timeStamp() + "_" + myNewFile.Name());
    return andThen(fso.CopyFile(target, backup, false), [&] { return fso.CopyFile(myNewFile.Path(), target, true); });
}

}  // namespace

std::string missingNewFileMessage(const std::filesystem::path& path)
{
    return "One of your selected files doesn't exist:\r\n" + path.string();
}

namespace {

// Lists every match of `myNewFile` below `myFolder` in the report's text and hands it to `update`
// (none for a dry run). A failed update ends the handling of that folder.
void forEachMatch(const Folder& myFolder, const File& myNewFile, WalkCounter& counter, RunReport& report,
                  const std::function<Result<void>(const std::filesystem::path&)>& update)
{
    const FileSystemObject fso;
    const std::string name = myNewFile.Name();
    WalkOptions options;
    options.progress = [&counter](const std::filesystem::path& current, std::uint64_t) { return counter.step(current); };
    const WalkResult walked = walkTree(myFolder.Path(), options, [&](const WalkEntry& entry) {
        if (entry.kind == WalkEntry::Kind::FolderError)
            report.fail(entry.path, *entry.error);
        if (entry.kind != WalkEntry::Kind::File || entry.path.filename().native() != name
            || fso.sameFile(entry.path, myNewFile.Path()))
            return Visit::Continue;
        report.text += entry.path.string();
        report.text += "\r\n";
        report.listed.push_back(entry.path);
        if (!update)
            return Visit::Continue;
        if (auto updated = update(entry.path); !updated) {
            report.fail(entry.path, updated.error());
            return Visit::SkipFolder;
        }
        ++report.counts.written;
        return Visit::Continue;
    });
    report.counts.files += walked.files;
}

// A run over every new file in list order; a dry run when `timeStamp` is null.
RunReport runUpdates(const std::vector<std::filesystem::path>& newFiles, const std::filesystem::path& startFolder,
                     const TimeStampSource* timeStamp, ProgressCallback progress)
{
    RunReport report;
    WalkCounter counter(std::move(progress));
    const FileSystemObject fso;
    for (const std::filesystem::path& path : newFiles) {
        if (counter.cancelled())
            break;
        if (!fso.FileExists(path)) {
            report.missingInputs.push_back(path);
            continue;
        }
        const auto newFile = fso.GetFile(path);
        if (!newFile) {
            report.fail(path, newFile.error());
            continue;
        }
        if (timeStamp)
            compareFileNamesAndUpdate(Folder(startFolder), *newFile, *timeStamp, counter, report);
        else
            forEachMatch(Folder(startFolder), *newFile, counter, report, {});
    }
    report.cancelled = counter.cancelled();
    return report;
}

}  // namespace

void compareFileNamesAndUpdate(const Folder& myFolder, const File& myNewFile, const TimeStampSource& timeStamp,
                               WalkCounter& counter, RunReport& report)
{
    const FileSystemObject fso;
    forEachMatch(myFolder, myNewFile, counter, report, [&](const std::filesystem::path& target) {
        return updateOne(fso, target, myNewFile, timeStamp);
    });
}

RunReport updateFiles(const std::vector<std::filesystem::path>& newFiles, const std::filesystem::path& startFolder,
                      const TimeStampSource& timeStamp, ProgressCallback progress)
{
    return runUpdates(newFiles, startFolder, &timeStamp, std::move(progress));
}

RunReport listUpdates(const std::vector<std::filesystem::path>& newFiles, const std::filesystem::path& startFolder,
                      ProgressCallback progress)
{
    return runUpdates(newFiles, startFolder, nullptr, std::move(progress));
}

}  // namespace qb
