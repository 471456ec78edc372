// `quillbox erase FOLDER --chunk FILE`: erase and spew into FOLDER/copies.
#include "tools/files/filesCommands.h"

#include "tools/files/eraseChunks.h"

#include <algorithm>
#include <iterator>

namespace qb {

namespace {

int runErase(CommandRun& run)
{
    if (run.has("--spew") && run.has("--erase-only"))
        return run.usage("give --spew or --erase-only, not both");
    const std::filesystem::path base = run.arguments().front();
    if (!run.folderExists(base))
        return exitStatus::cannotStart;
    const auto chunk = run.readFile(run.inputPath(*run.value("--chunk")));
    if (!chunk)
        return exitStatus::cannotStart;
    EraseSettings settings;
    settings.chunk = chunkLines(*chunk);
    if (settings.chunk.empty()) {
        run.report(*run.value("--chunk"), Error{err::InvalidProcedureCall, "the chunk file holds no line to find"});
        return exitStatus::cannotStart;
    }
    if (const std::string* spewFile = run.value("--spew")) {
        auto spew = run.readFile(run.inputPath(*spewFile));
        if (!spew)
            return exitStatus::cannotStart;
        settings.spew = std::move(*spew);
    } else {
        settings.spew = defaultSpew;  // the window's spew until the user types another
    }
    settings.options.eraseOnly = run.has("--erase-only");
    settings.options.allowWild = !run.has("--exact");
    settings.recursive = run.has("--recursive");
    if (inPlaceAsked(run)) {
        RunReport walked;
        const auto files = eraseInputs(base, settings.recursive, walked, run.progress());
        return runInPlace(run, base, files, std::move(walked), eraseEdit(settings, inPlaceLineEnds(run)));
    }
    settings.mode = run.has("--dry-run") ? CopyMode::ListOnly : CopyMode::Write;
    settings.ends = copiesLineEnds(run);

    const auto report = runEraseChunks(base, settings, run.progress());
    if (!report) {
        run.report(base, report.error());
        return exitStatus::cannotStart;
    }
    run.printListed(report->listed, base);
    return run.runStatus(*report);
}

}  // namespace

Command eraseCommand()
{
    Command command;
    command.name = "erase";
    command.synopsis = "FOLDER --chunk FILE [--spew FILE | --erase-only] [-r] [--exact] [-n [-0]] [-g GLOB]... [--diff | --apply] [--to-crlf | --keep-line-ends]";
    command.summary = "erase or replace a multi-line chunk in copies of every file of a folder";
    command.description =
        "Writes a copy of every file of FOLDER (and, with --recursive, of every folder below it) into "
        "FOLDER/copies, mirroring the tree, with every found chunk replaced by the spew or removed. "
        "Without --diff or --apply the source files are never changed, and FOLDER/copies is never walked. A chunk is found where "
        "a line holds the chunk's first line (trimmed, case ignored) and each following line passes the "
        "next chunk line: the line lies within the chunk line (case ignored), or the chunk line lies "
        "within it exactly. Every line of a copy ends in CR LF unless --keep-line-ends is given.";
    command.options = {
        {"--chunk", "FILE", "the chunk: the non-empty lines of FILE, as typed into the window's chunk box "
                            "(- reads standard input)"},
        {"--spew", "FILE", "written, as it is, in place of each found chunk (default: the window's "
                           "\"smack\" and CR LF)"},
        {"--erase-only", "", "remove the found chunks and write nothing in their place (default: write "
                             "the spew)"},
        options::recursive("also handle every folder below FOLDER (default: FOLDER's own files only, as "
                           "in the window)"),
        {"--exact", "", "a line passes a chunk line only when it lies within it (the window's wild "
                        "card box unticked; default: either way round)"},
        options::dryRun("list the copies that would be written, one a line, and write nothing"),
        options::nullEnds(),
        options::glob(),
    };
    std::ranges::copy(inPlaceOptions(), std::back_inserter(command.options));
    command.minArguments = 1;
    command.maxArguments = 1;
    command.run = [](CommandRun& run) {
        if (!run.has("--chunk"))
            return run.usage("--chunk FILE is needed");
        return runErase(run);
    };
    return command;
}

}  // namespace qb
