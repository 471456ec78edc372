// `quillbox replace FOLDER`: the pairs of a pair file over every file directly in FOLDER.
#include "tools/files/filesCommands.h"

#include "core/dataFolder.h"
#include "core/mdlText.h"
#include "tools/files/replaceLines.h"

#include <algorithm>
#include <iterator>

namespace qb {

namespace {

// --diff or --apply: the pairs over the folder's own files themselves; no debug trace is written.
int runReplaceInPlace(CommandRun& run, const std::filesystem::path& folder, const std::filesystem::path& pairPath,
                      const std::filesystem::path& debugPath)
{
    if (!FileSystemObject().FileExists(pairPath)) {
        run.report(Error{err::FileNotFound, "The pair file " + pairPath.string() + " does not exist."});
        return exitStatus::cannotStart;
    }
    const auto pairText = run.readFile(pairPath);
    if (!pairText)
        return exitStatus::cannotStart;
    std::vector<std::string> lines;
    for (std::string_view line : splitLines(*pairText))
        lines.emplace_back(line);
    const std::vector<ReplacePair> pairs = parsePairs(lines);
    RunReport walked;
    const auto files = replaceInputs(folder, debugPath, walked, run.progress());
    return runInPlace(run, folder, files, std::move(walked), replaceEdit(pairs, inPlaceLineEnds(run)));
}

}  // namespace

Command replaceCommand()
{
    Command command;
    command.name = "replace";
    command.synopsis = "FOLDER [--pairs FILE] [--debug FILE] [-n [-0]] [-g GLOB]... [--diff | --apply] [--to-crlf | --keep-line-ends]";
    command.summary = "apply search-and-replace pairs to copies of every file in a folder";
    command.description =
        "Every line of every file directly in FOLDER goes through the pairs of the pair file in order "
        "(lines 1 and 2 are the first search text and its replacement, lines 3 and 4 the second, and so "
        "on; exact, case-sensitive, every occurrence), and the changed copy is written to FOLDER/copies. "
        "A binary file (a NUL byte in its first 64 KiB) is copied as it is. With --debug, each "
        "line-and-pair step is appended to the debug file, as the window always does. The first failure "
        "ends the run.";
    command.options = {
        {"--pairs", "FILE", "the pair file (default: replaceLines.txt in the program's data folder)"},
        {"--debug", "FILE", "append the trace of every line-and-pair step to FILE (default: no trace; the "
                            "window writes it to debug.out in the program's data folder)"},
        options::dryRun("list the copies, then the debug file when one is named, that would be written, "
                        "one a line, and write nothing"),
        options::nullEnds(),
        options::glob(),
    };
    std::ranges::copy(inPlaceOptions(), std::back_inserter(command.options));
    command.minArguments = 1;
    command.maxArguments = 1;
    command.run = [](CommandRun& run) {
        const std::filesystem::path folder = run.arguments().front();
        if (!run.folderExists(folder))
            return exitStatus::cannotStart;
        const std::string* pairs = run.value("--pairs");
        const std::string* debug = run.value("--debug");
        if (inPlaceAsked(run))
            return runReplaceInPlace(run, folder, pairs ? run.inputPath(*pairs) : programFolder() / pairFileName,
                                     debug ? std::filesystem::path(*debug) : std::filesystem::path());
        const auto report = runReplaceLinesFrom(folder, pairs ? run.inputPath(*pairs) : programFolder() / pairFileName,
                                                debug ? std::filesystem::path(*debug) : std::filesystem::path(),
                                                run.progress(), NamedBy::User,
                                                run.has("--dry-run") ? CopyMode::ListOnly : CopyMode::Write,
                                                copiesLineEnds(run));
        if (!report) {
            run.report(report.error());
            return exitStatus::cannotStart;
        }
        run.printListed(report->listed, folder);
        return run.runStatus(*report);
    };
    return command;
}

}  // namespace qb
