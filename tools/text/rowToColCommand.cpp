// `quillbox rows2cols [FILE]`: two tab-separated lines into two padded columns.
#include "tools/text/textCommands.h"

#include "tools/text/rowToCol.h"

namespace qb {

Command rowsToColsCommand()
{
    Command command;
    command.name = "rows2cols";
    command.synopsis = "[FILE]";
    command.summary = "turn two lines of tab-separated values into two padded columns";
    command.description =
        "Reads FILE (standard input when FILE is absent or -). Its first line holds the names, its second "
        "the values, separated by tabs; lines after the second are ignored. Prints one line per position: "
        "the name padded with spaces to the widest name, a tab and the value, each line ending in CR LF.";
    command.maxArguments = 1;
    command.run = [](CommandRun& run) {
        const bool fromInput = run.arguments().empty() || run.arguments().front() == "-";
        std::optional<std::string> text;
        if (fromInput) {
            text = run.readStandardInput();
        } else if (auto rows = readRows(run.arguments().front())) {
            text = std::move(*rows);  // the first two lines, not the whole file
        } else {
            run.report(run.arguments().front(), rows.error());
            return exitStatus::cannotStart;
        }
        if (!text)
            return exitStatus::failed;
        const auto columns = rowToCol(*text);
        if (!columns) {
            if (columns.error().number == 0)
                run.note(columns.error().description);  // a complaint about the input, in the window's words
            else
                run.report(columns.error());
            return exitStatus::failed;
        }
        run.print(*columns);
        return exitStatus::ok;
    };
    return command;
}

}  // namespace qb
