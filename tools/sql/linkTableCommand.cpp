// `quillbox linktable NAME ID...`: the Oracle link-table script, printed.
#include "tools/sql/sqlCommands.h"

#include "core/fileText.h"
#include "core/mdlText.h"
#include "tools/sql/linkTable.h"

namespace qb {

Command linkTableCommand()
{
    Command command;
    command.name = "linktable";
    command.synopsis = "NAME [ID...]";
    command.summary = "print the Oracle script for a link table, its sequence and its trigger";
    command.description =
        "Prints the script that drops and re-creates the link table NAME with a key column and one numeric "
        "column per ID, drops and re-creates its sequence, and creates the trigger that fills the key. "
        "Lines end in CR LF.";
    command.minArguments = 1;
    command.run = [](CommandRun& run) {
        std::vector<std::string> ids;
        for (std::size_t i = 1; i < run.arguments().size(); ++i)
            ids.push_back(cp1252FromUtf8(run.arguments()[i]));
        run.print(linkTableScript(cp1252FromUtf8(run.arguments().front()), ids) + std::string(crlf));
        return exitStatus::ok;
    };
    return command;
}

}  // namespace qb
