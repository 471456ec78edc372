#include "tools/files/updateFiles.h"

#include "tools/files/changedCopy.h"

#include <algorithm>

namespace qb {

namespace {

constexpr int mostBackupsPerStamp = 99;

// Backs `target` up beside it under the run's stamp; the backup's path.
Result<std::filesystem::path> backUp(const FileSystemObject& fso, const std::filesystem::path& target,
                                     UpdateRun& run)
{
    std::string stamp = run.timeStamp();
    if (stamp != run.stamp) {
        run.stamp = stamp;
        run.backupsThisStamp.clear();
    }
    const std::string name = target.filename().string();
    if (auto fits = checkDerivedName(target, "backup", stamp.size() + 1 + name.size()); !fits)
        return std::unexpected(fits.error());
    const std::filesystem::path folder = target.parent_path();
    const std::filesystem::path backup = folder / (stamp + "_" + name);
    auto copied = fso.CopyFile(target, backup, Existing::Refuse, Sync::FileAndFolder);
    for (int n = 2; !copied && copied.error().number == err::FileAlreadyExists && n <= mostBackupsPerStamp; ++n) {
        if (std::ranges::find(run.backupsThisStamp, backup) != run.backupsThisStamp.end())
            break;  // this run's own backup: the second pass over one file in one second fails
        const std::filesystem::path numbered = folder / (stamp + " (" + std::to_string(n) + ")_" + name);
        copied = fso.CopyFile(target, numbered, Existing::Refuse, Sync::FileAndFolder);
        if (copied) {
            run.report.notes.push_back(target.string() + ": the backup name " + backup.filename().string()
                                       + " was taken by another run, so the backup is "
                                       + numbered.filename().string() + ".");
            run.backupsThisStamp.push_back(numbered);
            return numbered;
        }
    }
    if (!copied)
        return std::unexpected(copied.error());
    run.backupsThisStamp.push_back(backup);
    return backup;
}

// Backs up `target`, then copies the new file over it. Refused before any backup is made when
// the target may not be replaced.
Result<void> updateOne(const FileSystemObject& fso, const std::filesystem::path& target, const File& myNewFile,
                       UpdateRun& run)
{
    return andThen(fso.checkReplaceable(target), [&] {
        return andThen(backUp(fso, target, run), [&](const std::filesystem::path& backup) -> Result<void> {
            auto replaced = fso.CopyFile(myNewFile.Path(), target, Existing::Replace);
            if (!replaced)
                (void)fso.DeleteFile(backup, ReadOnly::Remove);  // the old file is still whole: its backup goes
            return replaced;
        });
    });
}

// Refuses a same-named entry that is no regular file, or is a link (to anything): nothing is ever
// replaced through a link, and a FIFO, device or socket is not a file to replace. Error 75 with
// the reason; nothing when `path` is a regular file or nothing is there.
Result<void> checkSpecialTarget(const FileSystemObject& fso, const std::filesystem::path& path)
{
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(path, ec);
    if (ec || status.type() == std::filesystem::file_type::not_found || status.type() == std::filesystem::file_type::regular)
        return {};
    if (status.type() == std::filesystem::file_type::symlink)
        return fail(err::PathFileAccess, path.string() + ": is a link; nothing is replaced through a link, so it was left as it was");
    if (status.type() == std::filesystem::file_type::directory)
        return {};  // a folder of that name is walked like any other
    return fso.checkReplaceable(path);  // a FIFO, device or socket: refused with its kind
}

// Hands every match of `myNewFile` below `myFolder` to `update` (none for a dry run, which writes
// nothing, so it removes no debris either) and lists it in the report's text once it is replaced
// (a dry run: once it would be). A same-named entry that is not a regular file, or is a link, is
// refused. A failure costs its own file only: the walk goes on with the next file and the
// subfolders.
void forEachMatch(const Folder& myFolder, const File& myNewFile, UpdateRun& run,
                  const std::function<Result<void>(const std::filesystem::path&)>& update)
{
    const FileSystemObject fso;
    const std::string name = myNewFile.Name();
    WalkOptions options;
    options.removeDebris = static_cast<bool>(update);
    options.progress = [&run](const std::filesystem::path& current, std::uint64_t) { return run.counter.step(current); };
    RunReport& report = run.report;
    const WalkResult walked = walkTree(myFolder.Path(), options, [&](const WalkEntry& entry) {
        if (entry.kind == WalkEntry::Kind::FolderError)
            report.fail(entry.path, *entry.error);
        if (entry.kind == WalkEntry::Kind::Folder) {
            // The walk hands on regular files (and links to them) only: the same name in any
            // other form is looked at here, once per folder.
            const std::filesystem::path same = entry.path / name;
            if (auto allowed = checkSpecialTarget(fso, same); !allowed)
                report.fail(same, allowed.error());
        }
        if (entry.kind != WalkEntry::Kind::File || entry.path.filename().native() != name)
            return Visit::Continue;
        std::error_code ec;
        if (std::filesystem::is_symlink(entry.path, ec) || fso.sameFile(entry.path, myNewFile.Path()))
            return Visit::Continue;  // a link was refused with its folder; the new file is never a match
        if (update) {
            if (auto updated = update(entry.path); !updated) {
                report.fail(entry.path, updated.error());
                return Visit::Continue;
            }
            ++report.counts.written;
        }
        report.text += entry.path.string();
        report.text += "\r\n";
        report.listed.push_back(entry.path);
        return Visit::Continue;
    });
    report.absorb(walked);
}

// A run over every new file in list order; a dry run when `timeStamp` is null.
RunReport runUpdates(const std::vector<std::filesystem::path>& newFiles, const std::filesystem::path& startFolder,
                     const TimeStampSource* timeStamp, ProgressCallback progress)
{
    UpdateRun run(timeStamp ? *timeStamp : TimeStampSource(), std::move(progress));
    const FileSystemObject fso;
    for (const std::filesystem::path& path : newFiles) {
        if (run.counter.cancelled())
            break;
        if (!fso.FileExists(path)) {
            run.report.missingInputs.push_back(path);
            continue;
        }
        // A FIFO or device would block or harm the copy: refused before the walk.
        const auto newFile = andThen(fso.checkInput(path), [&] { return fso.GetFile(path); });
        if (!newFile) {
            run.report.fail(path, newFile.error());
            continue;
        }
        if (timeStamp)
            compareFileNamesAndUpdate(Folder(startFolder), *newFile, run);
        else
            forEachMatch(Folder(startFolder), *newFile, run, {});
    }
    run.report.cancelled = run.report.cancelled || run.counter.cancelled();
    return std::move(run.report);
}

}  // namespace

std::string missingNewFileMessage(const std::filesystem::path& path)
{
    return "One of your selected files doesn't exist:\r\n" + path.string();
}

void compareFileNamesAndUpdate(const Folder& myFolder, const File& myNewFile, UpdateRun& run)
{
    const FileSystemObject fso(myFolder.Path());  // backups and replacements never go through a link
    forEachMatch(myFolder, myNewFile, run, [&](const std::filesystem::path& target) {
        return updateOne(fso, target, myNewFile, run);
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
