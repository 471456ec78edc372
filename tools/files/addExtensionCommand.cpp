// `quillbox addext FOLDER [--ext EXT]`: a "_COPY" + EXT copy of every file without a dot, and the
// walk's listing.
#include "tools/files/filesCommands.h"

#include "tools/files/addExtension.h"

namespace qb {

Command addExtensionCommand()
{
    Command command;
    command.name = "addext";
    command.synopsis = "FOLDER [--ext EXT]";
    command.summary = "copy every file without a dot in its name to a copy named with _COPY and an extension";
    command.description =
        "Walks FOLDER and every folder below it; each file without a dot in its name gets a copy beside "
        "it named with \"_COPY\" and the extension added (an existing copy is left alone). Prints the "
        "window's listing: a line per folder visited and per file without a dot, indented by depth. A file "
        "that cannot be copied (its copy name too long, say) has its line on stderr, the run goes on, and "
        "the exit status is 1.";
    command.options = {
        {"--ext", "EXT", "the extension to add after \"_COPY\" (default: .doc); it may not be empty or hold a /"},
    };
    command.minArguments = 1;
    command.maxArguments = 1;
    command.run = [](CommandRun& run) {
        const std::filesystem::path folder = run.arguments().front();
        if (!run.folderExists(folder))
            return exitStatus::cannotStart;
        const std::string* extension = run.value("--ext");
        const auto report = addExtensionCopies(folder, extension ? *extension : defaultExtension, run.progress());
        if (!report) {
            run.report(report.error());
            return exitStatus::cannotStart;
        }
        run.print(report->text);
        return run.runStatus(*report);
    };
    return command;
}

}  // namespace qb
