// `quillbox todos PATH...`: the TODO scan from the command line.
#include "tools/scan/findTodos.h"
#include "tools/scan/scanCommand.h"

namespace qb {

Command todosCommand()
{
    return scanCommand(
        "todos", "list the TODO comment blocks of source files",
        "Lists every line that holds \"TODO:\" with the comment lines (lines holding an apostrophe) that "
        "directly follow it, file by file, as the Find TODOs window does. Names holding .bmp, .zip, .gif "
        "or .jpg are not read.",
        [](const std::vector<std::filesystem::path>& paths, ProgressCallback progress, ScanDetail detail,
           std::stop_token stop) -> Result<ScanReport> {
            return findTodosIn(paths, std::move(progress), detail, std::move(stop));
        });
}

}  // namespace qb
