// `quillbox repeat`: the chunk repeater, writing the output file as the window does.
#include "tools/text/textCommands.h"

#include "core/dataFolder.h"
#include "tools/text/carpalTunnel.h"
#include "tools/text/integer16.h"

namespace qb {

namespace {

int runRepeat(CommandRun& run)
{
    // The program's data folder is looked up only for what the options leave to it.
    const auto dataFile = [](const char* name) { return programFolder() / name; };
    RepeatRequest request;
    // The output is refused before anything is read when it is the template (the input file is
    // checked by the run itself).
    if (const std::string* templateFile = run.value("--template"); templateFile && run.value("--output"))
        if (auto apart = FileSystemObject().checkNotInput(*run.value("--output"), {*templateFile}); !apart) {
            run.report(*run.value("--output"), apart.error());
            return exitStatus::cannotStart;
        }
    if (const std::string* templateFile = run.value("--template")) {
        auto chunk = run.readFile(run.inputPath(*templateFile));
        if (!chunk)
            return exitStatus::cannotStart;
        request.chunk = std::move(*chunk);
    } else {
        // The chunk the window starts with: the stored one, or the default.
        const std::filesystem::path store = dataFile(templateStoreName);
        auto stored = loadChunk(store);
        if (!stored) {
            run.report(store, stored.error());
            return exitStatus::cannotStart;
        }
        request.chunk = stored->value_or(defaultChunk());
    }
    const std::string* in = run.value("--in");
    const std::string* out = run.value("--output");
    request.inFile = in ? run.inputPath(*in) : dataFile(defaultInName);
    request.outFile = out ? std::filesystem::path(*out) : dataFile(defaultOutName);
    request.outNamedBy = out ? NamedBy::User : NamedBy::Tool;
    request.countStart = defaultCountStart;
    if (const std::string* start = run.value("--start")) {
        if (!parseInteger16(*start))
            return run.usage("--start wants a whole number from -32768 to 32767, not '" + *start + "'");
        request.countStart = *start;
    }
    request.doubleUp = run.has("--double-up");
    request.show = false;
    const std::filesystem::path outFolder = request.outFile.parent_path();
    if (!outFolder.empty() && !run.folderExists(outFolder))
        return exitStatus::cannotStart;

    if (run.has("--dry-run")) {
        if (!run.fileExists(request.inFile))
            return exitStatus::cannotStart;
        run.printPath(request.outFile);
        return exitStatus::ok;
    }
    request.stop = run.stopToken();
    const RepeatResult result = repeatChunk(request);
    if (result.toFile)
        run.removeDebrisBeside(request.outFile);
    if (run.interrupted() && !result.written)
        return exitStatus::interrupted;  // stopped: the output file is as it was
    switch (result.outcome) {
    case RepeatOutcome::MissingInput:
        run.fileExists(request.inFile);  // its error line
        return exitStatus::cannotStart;
    case RepeatOutcome::SameFile:
        run.report(request.outFile, Error{err::PathFileAccess, "the out file is the in file; writing it would erase it"});
        return exitStatus::cannotStart;
    case RepeatOutcome::Failed:
        run.report(*result.error);
        if (!result.written)
            run.note(outNotWrittenMessage(request.outFile));
        return exitStatus::failed;
    case RepeatOutcome::Done:
        break;
    }
    return exitStatus::ok;
}

}  // namespace

Command repeatCommand()
{
    Command command;
    command.name = "repeat";
    command.synopsis = "[--template FILE] [--in FILE] [-o FILE] [--double-up] [--start N] [-n [-0]]";
    command.summary = "expand a template once per line, or pair of lines, of an input file";
    command.description =
        "For every line of the input file the template is written to the output file with each \xC2\xA2 "
        "(byte A2) replaced by the line and each \xC3\xAD (byte ED) by a counter; with --double-up two "
        "lines are read per repetition and each \xC3\xA6 (byte E6) gets the second. The template's bytes "
        "are used as they are (Windows-1252, like the window's chunk box). The output file is replaced; "
        "nothing is printed. An input with an odd number of lines in --double-up mode, or a counter past "
        "32767, stops the run with exit status 1, keeping the repetitions written before. A failed write "
        "(a full disk, say) leaves the output file as it was, and the exit status is 1.";
    command.options = {
        {"--template", "FILE", "the template, - for standard input (default: the chunk the window starts "
                               "with, from last.txt in the program's data folder, or the built-in one)"},
        {"--in", "FILE", "the input file, - for standard input (default: in.txt in the program's data folder)"},
        options::output("the output file (default: out.txt in the program's data folder)", {"--out"}),
        {"--double-up", "", "read two input lines per repetition (default: one)"},
        options::dryRun("print the output file's path and write nothing"),
        options::nullEnds(),
        {"--start", "N", std::string("the counter's first value (default: ") + defaultCountStart + ", as in the window)"},
    };
    command.maxArguments = 0;
    command.run = runRepeat;
    return command;
}

}  // namespace qb
