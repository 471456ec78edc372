// `quillbox subs PATH...`: the declaration scan from the command line.
#include "tools/scan/findSubs.h"
#include "tools/scan/scanCommand.h"

namespace qb {

Command subsCommand()
{
    return scanCommand(
        "subs", "list the declaration lines of source files",
        "Lists the lines that declare a Public or Private Sub or Function, a Public (ReadOnly) Property or "
        "a Shared Sub, or that import a namespace, file by file, as the Find Subs and Functs window does. "
        "Names holding .bmp, .exe, .dll, .zip, .html, .htm, .gif or .jpg are not read.",
        [](const std::vector<std::filesystem::path>& paths, ProgressCallback progress, ScanDetail detail,
           std::stop_token stop) {
            return findSubsIn(paths, std::move(progress), detail, std::move(stop));
        });
}

}  // namespace qb
