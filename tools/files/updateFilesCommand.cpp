// `quillbox update FOLDER NEWFILE...`: each new file copied over every same-named file below FOLDER.
#include "tools/files/filesCommands.h"

#include "core/dataFolder.h"
#include "tools/files/updateFiles.h"

namespace qb {

Command updateCommand()
{
    Command command;
    command.name = "update";
    command.synopsis = "FOLDER NEWFILE... [-n] [-0] [-g GLOB]...";
    command.summary = "copy new files over every same-named file in a folder tree, keeping backups";
    command.description =
        "For each NEWFILE in turn, every file below FOLDER with the same name (byte for byte) is backed "
        "up beside itself as \"<date> <time>_<name>\" and then replaced by NEWFILE, through a temporary "
        "file so a failed copy leaves the old one whole. Prints the replaced files, one a line, spelled "
        "below FOLDER as FOLDER was given. A same-named file that cannot be replaced (read-only, a link, "
        "a FIFO, device or socket, or one whose backup name would be too long) has its line on stderr "
        "instead; the run goes on, and the exit status is 1. Each run is recorded in the data folder "
        "before anything is replaced, so `quillbox undo` takes it back from its backups.";
    command.options = {
        options::dryRun("only print the files that would be replaced, and on stderr those that would be "
                        "refused and why; write nothing"),
        options::nullEnds(),
        options::glob(),
        options::recursive("accepted and ignored: the whole tree below FOLDER is always searched"),
    };
    command.minArguments = 2;
    command.run = [](CommandRun& run) {
        const std::filesystem::path folder = run.arguments().front();
        bool found = run.folderExists(folder);
        std::vector<std::filesystem::path> newFiles;
        for (std::size_t i = 1; i < run.arguments().size(); ++i) {
            newFiles.emplace_back(run.arguments()[i]);
            found = run.fileExists(newFiles.back()) && found;
        }
        if (!found)
            return exitStatus::cannotStart;
        // A dry run plans with the same stamps, so it refuses what the run would refuse, and why.
        const RunReport report = run.has("--dry-run")
                                     ? listUpdates(newFiles, folder, fileNameTimeStampNow, run.progress())
                                     : updateFiles(newFiles, folder, fileNameTimeStampNow, run.progress(), programFolder());
        run.printListed(report.listed, folder);
        return run.runStatus(report);
    };
    return command;
}

}  // namespace qb
