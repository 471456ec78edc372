#include "tools/files/updateFiles.h"

#include "tools/files/apply.h"
#include "tools/files/changedCopy.h"

#include <algorithm>
#include <map>
#include <memory>

#include <sys/stat.h>

namespace qb {

namespace fs = std::filesystem;

namespace {

constexpr int mostBackupsPerStamp = 99;

// True when a file or link already has the name (or it cannot be told that none has).
bool nameTaken(const fs::path& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 || errno != ENOENT;
}

// The backup `target` is to get under the run's stamp: "<stamp>_<name>" beside it, or with a
// counter (" (2)") when another run took that name. A name this run gave in this second is
// refused: the second pass over one file within one second fails.
Result<fs::path> planBackup(const fs::path& target, UpdateRun& run)
{
    std::string stamp = run.timeStamp();
    if (stamp != run.stamp) {
        run.stamp = stamp;
        run.backupsThisStamp.clear();
    }
    const std::string name = target.filename().string();
    if (auto fits = checkDerivedName(target, "backup", stamp.size() + 1 + name.size()); !fits)
        return std::unexpected(fits.error());
    const fs::path folder = target.parent_path();
    const fs::path backup = folder / (stamp + "_" + name);
    const auto ours = [&](const fs::path& path) { return std::ranges::find(run.backupsThisStamp, path) != run.backupsThisStamp.end(); };
    if (ours(backup) || !nameTaken(backup))
        return ours(backup) ? Result<fs::path>(std::unexpected(systemError(EEXIST, backup))) : backup;
    for (int n = 2; n <= mostBackupsPerStamp; ++n) {
        const fs::path numbered = folder / (stamp + " (" + std::to_string(n) + ")_" + name);
        if (ours(numbered) || nameTaken(numbered))
            continue;
        run.plan.report.notes.push_back(target.string() + ": the backup name " + backup.filename().string()
                                        + " was taken by another run, so the backup is " + numbered.filename().string() + ".");
        return numbered;
    }
    return std::unexpected(systemError(EEXIST, backup));
}

// Refuses a same-named entry that is no regular file, or is a link (to anything): nothing is ever
// replaced through a link, and a FIFO, device or socket is not a file to replace. Error 75 with
// the reason; nothing when `path` is a regular file or nothing is there.
Result<void> checkSpecialTarget(const FileSystemObject& fso, const fs::path& path)
{
    std::error_code ec;
    const auto status = fs::symlink_status(path, ec);
    if (ec || status.type() == fs::file_type::not_found || status.type() == fs::file_type::regular)
        return {};
    if (status.type() == fs::file_type::symlink)
        return fail(err::PathFileAccess, path.string() + ": is a link; nothing is replaced through a link, so it was left as it was");
    if (status.type() == fs::file_type::directory)
        return {};  // a folder of that name is walked like any other
    return fso.checkReplaceable(path);  // a FIFO, device or socket: refused with its kind
}

Error changedSincePlanned(const fs::path& path)
{
    return Error{err::PathFileAccess, path.string() + ": was changed while the run was under way; it was left as it is"};
}

// One planned match at its turn: still holding what the plan recorded, it is backed up beside
// itself (on disk, name and all) and then replaced; a replace that fails removes the backup.
Result<void> updateOne(const FileSystemObject& fso, const UpdateStep& step, const std::string& hashBefore)
{
    std::string bytes;
    auto now = recordOriginal(step.target, bytes);
    if (!now)
        return std::unexpected(now.error());
    if (now->hash != hashBefore)
        return std::unexpected(changedSincePlanned(step.target));
    return andThen(fso.CopyFile(step.target, step.backup, Existing::Refuse, Sync::FileAndFolder), [&]() -> Result<void> {
        struct stat st;
        const bool same = ::lstat(step.target.c_str(), &st) == 0 && S_ISREG(st.st_mode)
                          && static_cast<std::uint64_t>(st.st_size) == now->size
                          && static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec == now->modified;
        auto replaced = same ? fso.CopyFile(step.newFile, step.target, Existing::Replace) : std::unexpected(changedSincePlanned(step.target));
        if (!replaced)
            (void)fso.DeleteFile(step.backup, ReadOnly::Remove);  // the old file is still whole: its backup goes
        return replaced;
    });
}

void listIn(RunReport& report, const fs::path& target)
{
    report.text += target.string();
    report.text += "\r\n";
    report.listed.push_back(target);
}

}  // namespace

std::string missingNewFileMessage(const fs::path& path)
{
    return "One of your selected files doesn't exist:\r\n" + path.string();
}

void compareFileNamesAndUpdate(const Folder& myFolder, const File& myNewFile, UpdateRun& run)
{
    const FileSystemObject fso, inTree(myFolder.Path());  // backups and replacements never go through a link
    const std::string name = myNewFile.Name();
    WalkOptions options;
    options.removeDebris = run.mode == CopyMode::Write;
    options.progress = [&run](const fs::path& current, std::uint64_t) { return run.counter.step(current); };
    RunReport& report = run.plan.report;
    const WalkResult walked = walkTree(myFolder.Path(), options, [&](const WalkEntry& entry) {
        if (entry.kind == WalkEntry::Kind::FolderError)
            report.fail(entry.path, *entry.error);
        if (entry.kind == WalkEntry::Kind::Folder) {
            // The walk hands on regular files (and links to them) only: the same name in any
            // other form is looked at here, once per folder.
            const fs::path same = entry.path / name;
            if (auto allowed = checkSpecialTarget(fso, same); !allowed)
                report.fail(same, allowed.error());
        }
        if (entry.kind != WalkEntry::Kind::File || entry.path.filename().native() != name)
            return Visit::Continue;
        std::error_code ec;
        if (fs::is_symlink(entry.path, ec) || fso.sameFile(entry.path, myNewFile.Path()))
            return Visit::Continue;  // a link was refused with its folder; the new file is never a match
        // Refused before any backup name is taken when it may not be replaced.
        auto backup = andThen(inTree.checkReplaceable(entry.path), [&] { return planBackup(entry.path, run); });
        if (!backup) {
            report.fail(entry.path, backup.error());
            return Visit::Continue;
        }
        run.backupsThisStamp.push_back(*backup);
        run.plan.steps.push_back({myNewFile.Path(), entry.path, *backup});
        listIn(report, entry.path);
        return Visit::Continue;
    });
    report.absorb(walked);
}

UpdatePlan planUpdates(const std::vector<fs::path>& newFiles, const fs::path& startFolder,
                       const TimeStampSource& timeStamp, ProgressCallback progress, CopyMode mode)
{
    UpdateRun run(timeStamp, std::move(progress));
    run.mode = mode;
    const FileSystemObject fso;
    for (const fs::path& path : newFiles) {
        if (run.counter.cancelled())
            break;
        if (!fso.FileExists(path)) {
            run.plan.report.missingInputs.push_back(path);
            continue;
        }
        // A FIFO or device would block or harm the copy: refused before the walk.
        const auto newFile = andThen(fso.checkInput(path), [&] { return fso.GetFile(path); });
        if (!newFile) {
            run.plan.report.fail(path, newFile.error());
            continue;
        }
        compareFileNamesAndUpdate(Folder(startFolder), *newFile, run);
    }
    run.plan.report.cancelled = run.counter.cancelled();
    return std::move(run.plan);
}

RunReport updateFiles(const std::vector<fs::path>& newFiles, const fs::path& startFolder,
                      const TimeStampSource& timeStamp, ProgressCallback progress, const fs::path& dataFolder)
{
    // One callback sees the planning walks and then the matches' turns.
    const auto callback = std::make_shared<ProgressCallback>(std::move(progress));
    const ProgressCallback shared = [callback](const fs::path& current, std::uint64_t count) {
        return !*callback || (*callback)(current, count);
    };
    UpdatePlan plan = planUpdates(newFiles, startFolder, timeStamp, shared, CopyMode::Write);
    RunReport report = std::move(plan.report);
    report.text.clear();  // from here on it lists what is really replaced
    report.listed.clear();
    if (report.cancelled)
        return report;  // stopped while planning: nothing was touched

    // The journal names what each match holds now and is to hold: a match that an earlier new file
    // of this run replaces holds that one's bytes by its turn.
    std::vector<UpdateStep> steps;
    std::vector<ManifestFile> files;
    std::map<fs::path, std::string> newHashes, heldHashes;
    const auto hashOf = [](const fs::path& path, std::map<fs::path, std::string>& known) -> Result<std::string> {
        if (const auto found = known.find(path); found != known.end())
            return found->second;
        std::string bytes;
        return transformValue(recordOriginal(path, bytes), [](const Original& original) { return original.hash; });
    };
    for (UpdateStep& step : plan.steps) {
        auto after = hashOf(step.newFile, newHashes);
        auto before = andThen(after, [&](const std::string&) { return hashOf(step.target, heldHashes); });
        if (!before) {
            report.fail(step.target, before.error());
            continue;
        }
        newHashes[step.newFile] = heldHashes[step.target] = *after;
        files.push_back({step.target, step.backup, std::move(*before), std::move(*after)});
        steps.push_back(std::move(step));
    }
    if (steps.empty())
        return report;
    const auto manifest = startManifest("update", absoluteFolder(startFolder), files, dataFolder);
    if (!manifest) {
        report.fail(appliesFolder(dataFolder), manifest.error());
        return report;
    }

    const FileSystemObject fso(startFolder);
    WalkCounter counter(shared);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (!counter.step(steps[i].target)) {
            report.cancelled = true;  // the matches not reached keep their contents
            break;
        }
        const auto done = updateOne(fso, steps[i], files[i].hashBefore);
        if (done) {
            ++report.counts.written;
            listIn(report, steps[i].target);
        } else {
            report.fail(steps[i].target, done.error());
        }
        if (auto marked = markFile(*manifest, i + 1, done ? Mark::Done : Mark::Refused); !marked)
            report.fail(*manifest, marked.error());
    }
    return report;
}

RunReport listUpdates(const std::vector<fs::path>& newFiles, const fs::path& startFolder,
                      const TimeStampSource& timeStamp, ProgressCallback progress)
{
    return planUpdates(newFiles, startFolder, timeStamp, std::move(progress), CopyMode::ListOnly).report;
}

}  // namespace qb
