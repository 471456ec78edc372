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

void compareFileNamesAndUpdate(const Folder& myFolder, const File& myNewFile, const TimeStampSource& timeStamp,
                               WalkCounter& counter, RunReport& report)
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
        if (auto updated = updateOne(fso, entry.path, myNewFile, timeStamp); !updated) {
            report.fail(entry.path, updated.error());
            return Visit::SkipFolder;
        }
        ++report.counts.written;
        return Visit::Continue;
    });
    report.counts.files += walked.files;
}

RunReport updateFiles(const std::vector<std::filesystem::path>& newFiles, const std::filesystem::path& startFolder,
                      const TimeStampSource& timeStamp, ProgressCallback progress)
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
        compareFileNamesAndUpdate(Folder(startFolder), *newFile, timeStamp, counter, report);
    }
    report.cancelled = counter.cancelled();
    return report;
}

}  // namespace qb
