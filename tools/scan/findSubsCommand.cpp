// `quillbox subs PATH...`: the declaration scan from the command line.
#include "tools/scan/ctagsDeclarations.h"
#include "tools/scan/findSubs.h"
#include "tools/scan/scanCommand.h"

namespace qb {

Command subsCommand()
{
    auto byType = std::make_shared<bool>(false);
    Command command = scanCommand(
        "subs", "list the declaration lines of source files",
        "Lists the lines that declare a Public or Private Sub or Function, a Public (ReadOnly) Property or "
        "a Shared Sub, or that import a namespace, file by file, as the Find Subs and Functs window does. "
        "Names holding .bmp, .exe, .dll, .zip, .html, .htm, .gif or .jpg are not read.\n\n"
        "With --lang auto, universal-ctags finds the declarations of each file by its type: functions, "
        "methods, classes, structs, interfaces, enums, type definitions, modules and namespaces. The "
        "report keeps the same shape; the records' kind is ctags' kind, and JSON adds its scope.",
        [byType](const std::vector<std::filesystem::path>& paths, ProgressCallback progress, ScanOutput output,
                 std::stop_token stop) {
            return *byType ? findDeclarationsByType(paths, std::move(progress), std::move(output), std::move(stop))
                           : findSubsIn(paths, std::move(progress), std::move(output), std::move(stop));
        });
    command.options.push_back({"--lang", "MODE",
                               "classic (the default): the patterns above, as the window's Classic mode; auto: "
                               "declarations by file type through universal-ctags, as its \"By file type\" mode"});
    command.run = [byType, scan = command.run](CommandRun& run) {
        if (const std::string* lang = run.value("--lang")) {
            if (*lang != "classic" && *lang != "auto")
                return run.usage("unknown language mode '" + *lang + "' (classic or auto)");
            *byType = *lang == "auto";
            if (auto ctags = findCtags(); *byType && !ctags) {
                run.report(ctags.error());
                return exitStatus::cannotStart;
            }
        }
        return scan(run);
    };
    return command;
}

}  // namespace qb
