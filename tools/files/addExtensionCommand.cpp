// `quillbox addext FOLDER [--ext EXT]`: a "_COPY" + EXT copy of every file without a dot, and the
// walk's listing.
#include "tools/files/filesCommands.h"

#include "tools/files/addExtension.h"

namespace qb {

namespace {

// The listing with each line's path (after its tabs and any "---") spelled below `folder` as given.
std::string respelledListing(std::string_view listing, const std::filesystem::path& folder)
{
    const std::filesystem::path absolute = absoluteFolder(folder);
    std::string out;
    while (!listing.empty()) {
        const std::size_t end = std::min(listing.find("\r\n"), listing.size());
        std::string_view line = listing.substr(0, end);
        listing.remove_prefix(std::min(end + 2, listing.size()));
        std::size_t pathAt = line.find_first_not_of('\t');
        if (pathAt == std::string_view::npos)
            pathAt = line.size();
        if (line.substr(pathAt).starts_with("---"))
            pathAt += 3;
        out += line.substr(0, pathAt);
        out += respelled(std::filesystem::path(line.substr(pathAt)), absolute, folder).native();
        out += "\r\n";
    }
    return out;
}

}  // namespace

Command addExtensionCommand()
{
    Command command;
    command.name = "addext";
    command.synopsis = "FOLDER [--ext EXT] [-n] [-0] [-g GLOB]...";
    command.summary = "copy every file without a dot in its name to a copy named with _COPY and an extension";
    command.description =
        "Walks FOLDER and every folder below it; each file without a dot in its name gets a copy beside "
        "it named with \"_COPY\" and the extension added (an existing copy is left alone). Prints the "
        "window's listing: a line per folder visited and per file without a dot, indented by depth, paths "
        "spelled below FOLDER as FOLDER was given. A file that cannot be copied (its copy name too long, "
        "say) has its line on stderr, the run goes on, and the exit status is 1.";
    command.options = {
        {"--ext", "EXT", "the extension to add after \"_COPY\" (default: .doc); it may not be empty or hold a /"},
        options::dryRun("list the copies that would be made, one a line, and write nothing"),
        options::nullEnds(),
        options::glob(),
        options::gitIgnore(),
        options::recursive("accepted and ignored: the whole tree below FOLDER is always walked"),
    };
    command.minArguments = 1;
    command.maxArguments = 1;
    command.run = [](CommandRun& run) {
        const std::filesystem::path folder = run.arguments().front();
        if (!run.folderExists(folder))
            return exitStatus::cannotStart;
        const std::string* extension = run.value("--ext");
        const bool dryRun = run.has("--dry-run");
        const auto report = addExtensionCopies(folder, extension ? *extension : defaultExtension, run.progress(),
                                               dryRun ? CopyMode::ListOnly : CopyMode::Write);
        if (!report) {
            run.report(report.error());
            return exitStatus::cannotStart;
        }
        if (dryRun || run.has("--null"))
            run.printListed(report->listed, folder);  // the copies, or the files without a dot
        else
            run.print(respelledListing(report->text, folder));
        return run.runStatus(*report);
    };
    return command;
}

}  // namespace qb
