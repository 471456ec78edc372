// `quillbox combine FILE1 FILE2`: two files joined line by line.
#include "tools/text/textCommands.h"

#include "tools/text/combineFiles.h"

namespace qb {

Command combineCommand()
{
    Command command;
    command.name = "combine";
    command.synopsis = "FILE1 FILE2";
    command.summary = "join two files line by line";
    command.description =
        "Prints line N of FILE1 directly followed by line N of FILE2, then a line end, for every line up to "
        "the end of the shorter file. Either FILE may be - for standard input, or a pipe (<(command)).";
    command.minArguments = 2;
    command.maxArguments = 2;
    command.run = [](CommandRun& run) {
        bool found = true;
        std::vector<std::filesystem::path> files;
        for (const std::string& name : run.arguments()) {
            files.push_back(run.inputPath(name));
            found = run.fileExists(files.back()) && found;
        }
        if (!found)
            return exitStatus::cannotStart;
        const auto combined = combineFiles(files[0], files[1]);
        if (!combined) {
            run.report(combined.error());
            return exitStatus::failed;
        }
        run.print(combined->value_or(std::string()));
        return exitStatus::ok;
    };
    return command;
}

}  // namespace qb
