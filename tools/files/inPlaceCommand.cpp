// The in-place modes of `quillbox erase` and `quillbox replace`, and `quillbox undo`.
#include "tools/files/filesCommands.h"

#include "core/dataFolder.h"
#include "tools/files/apply.h"
#include "tools/files/diff.h"

#include <algorithm>
#include <set>

namespace qb {

namespace fs = std::filesystem;

std::vector<CommandOption> inPlaceOptions()
{
    return {
        {"--diff", "", "print a unified diff (a/ and b/ paths relative to FOLDER) of the changes the run "
                       "would make to the files themselves, and write nothing"},
        {"--apply", "", "make those changes to the files themselves, each through a backup in the data "
                        "folder; `quillbox undo` takes them back"},
        {"--to-crlf", "", "with --diff or --apply: end every line in CR LF, as copies are written (by "
                          "default each line keeps its own line end)"},
        {"--keep-line-ends", "", "in the copies, each line keeps its own line end and a file its final-newline "
                                 "state, as --diff and --apply keep them (default: every line ends in CR LF)"},
    };
}

bool inPlaceAsked(const CommandRun& run)
{
    return run.has("--diff") || run.has("--apply");
}

LineEnds inPlaceLineEnds(const CommandRun& run)
{
    return run.has("--to-crlf") ? LineEnds::CrLf : LineEnds::Keep;
}

LineEnds copiesLineEnds(const CommandRun& run)
{
    return run.has("--keep-line-ends") ? LineEnds::Keep : LineEnds::CrLf;
}

int runInPlace(CommandRun& run, const fs::path& folder, const std::vector<fs::path>& files, RunReport walked,
               const EditBytes& edit)
{
    if (run.has("--diff") && run.has("--apply"))
        return run.usage("give --diff or --apply, not both");
    if (run.has("--to-crlf") && run.has("--keep-line-ends"))
        return run.usage("give --to-crlf or --keep-line-ends, not both");
    RunReport report = std::move(walked);
    const fs::path base = absoluteFolder(folder);
    if (run.has("--diff")) {
        editFiles(files, edit, report, [&](const PlannedEdit& changed, std::string_view before, std::string_view after) {
            // A diff keeps every byte of its lines, a CR LF file's CRs included, or it would not apply.
            run.printBytes(unifiedDiff(before, after, diffPath(changed.path, base)));
        });
        return run.runStatus(report);
    }
    ApplyPlan plan{run.name(), base, {}, edit};
    editFiles(files, edit, report, [&](PlannedEdit changed, std::string_view, std::string_view) {
        plan.edits.push_back(std::move(changed));
    });
    if (run.interrupted())
        return run.runStatus(report);
    auto applied = applyEdits(plan, programFolder(), run.stopToken());
    if (!applied) {
        run.report(applied.error());
        return exitStatus::failed;
    }
    for (Failure& failure : applied->report.failures)
        report.failures.push_back(std::move(failure));
    if (!applied->manifest.empty())
        report.notes.push_back("applied to " + std::to_string(applied->report.counts.written) + " of "
                               + std::to_string(plan.edits.size()) + " changed files; `quillbox undo "
                               + applied->manifest.string() + "` takes them back");
    return run.runStatus(report);
}

Command undoCommand()
{
    Command command;
    command.name = "undo";
    command.synopsis = "[MANIFEST] [--list]";
    command.summary = "take back the last apply of erase --apply, replace --apply or update, or the one named";
    command.description =
        "Restores each file that an apply changed from the backup it made, but only where the file still "
        "holds what the apply wrote: a file changed since is left as it is and named on standard error, "
        "and the rest is undone. Without MANIFEST, the newest apply that has anything left to undo is "
        "taken. An apply or undo that was killed is finished by undoing again.";
    command.options = {
        {"--list", "", "list the applies, newest first: time (UTC), tool, file count, files left to undo, "
                       "folder and manifest, tab-separated, a line each"},
    };
    command.maxArguments = 1;
    command.run = [](CommandRun& run) {
        const std::vector<ApplyRecord> applies = listApplies(programFolder());
        if (run.has("--list")) {
            if (!run.arguments().empty())
                return run.usage("give MANIFEST or --list, not both");
            std::string text;
            for (const ApplyRecord& record : applies)
                text += record.time + "\t" + record.tool + "\t" + std::to_string(record.files.size()) + "\t"
                        + std::to_string(record.undoable()) + "\t" + record.folder.string() + "\t"
                        + record.manifest.string() + "\n";
            run.print(text);
            return exitStatus::ok;
        }
        fs::path manifest;
        if (!run.arguments().empty()) {
            manifest = run.arguments().front();
        } else {
            const auto last = std::ranges::find_if(applies, [](const ApplyRecord& record) { return record.undoable() > 0; });
            if (last == applies.end()) {
                run.report(Error{err::FileNotFound, "there is no apply left to undo"});
                return exitStatus::cannotStart;
            }
            manifest = last->manifest;
        }
        // Temporary files that a killed apply or undo left beside the files go first.
        if (const auto record = readManifest(manifest)) {
            std::set<fs::path> folders;
            for (const AppliedFile& file : record->files)
                if (folders.insert(file.path.parent_path()).second)
                    run.removeDebrisBeside(file.path);
        }
        const auto report = undoApply(manifest, run.stopToken());
        if (!report) {
            run.report(manifest, report.error());
            return exitStatus::cannotStart;
        }
        return run.runStatus(*report);
    };
    return command;
}

}  // namespace qb
