// `quillbox combine FILE1 FILE2`: two files joined line by line.
#include "tools/text/textCommands.h"

#include "core/mdlText.h"
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
        // Printed a line at a time: two large files never have to fit in memory together.
        const auto combined = forEachLinePair(files[0], files[1],
                                              [&](std::string_view first, std::string_view second) {
                                                  run.print(first);
                                                  run.print(second);
                                                  run.print(crlf);
                                                  return !run.interrupted();
                                              });
        if (!combined) {
            run.report(combined.error());
            return exitStatus::failed;
        }
        return exitStatus::ok;
    };
    return command;
}

}  // namespace qb
