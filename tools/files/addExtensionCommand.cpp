// `quillbox addext FOLDER`: a "_COPY.doc" copy of every file without a dot, and the walk's listing.
#include "tools/files/filesCommands.h"

#include "tools/files/addExtension.h"

namespace qb {

Command addExtensionCommand()
{
    Command command;
    command.name = "addext";
    command.synopsis = "FOLDER";
    command.summary = "copy every file without a dot in its name to a copy named with _COPY.doc";
    command.description =
        "Walks FOLDER and every folder below it; each file without a dot in its name gets a copy beside "
        "it named with \"_COPY.doc\" added (an existing copy is left alone). Prints the window's listing: "
        "a line per folder visited and per file without a dot, indented by depth.";
    command.minArguments = 1;
    command.maxArguments = 1;
    command.run = [](CommandRun& run) {
        const std::filesystem::path folder = run.arguments().front();
        if (!run.folderExists(folder))
            return exitStatus::cannotStart;
        const RunReport report = addExtensionCopies(folder, run.progress());
        run.print(report.text);
        return run.runStatus(report);
    };
    return command;
}

}  // namespace qb
