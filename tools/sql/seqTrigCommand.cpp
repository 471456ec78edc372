// `quillbox seqtrig TABLE`: the sequence and trigger scripts, written as seq<Table>.sql and
// trig<Table>.sql, or printed.
#include "tools/sql/sqlCommands.h"

#include "core/fileText.h"
#include "core/mdlText.h"
#include "core/walk.h"
#include "tools/sql/seqTrig.h"


namespace qb {

namespace {

int runSeqTrig(CommandRun& run)
{
    // Typed text, as a box would give it: Windows-1252 bytes.
    const std::string table = cp1252FromUtf8(run.arguments().front());
    const std::string* singularOption = run.value("--singular");
    const std::string singular = singularOption ? cp1252FromUtf8(*singularOption) : singularGuess(table);
    if (run.has("--print-only")) {
        run.print(sequenceScript(table) + std::string(crlf) + std::string(crlf) + triggerScript(table, singular) +
                  std::string(crlf));
        return exitStatus::ok;
    }

    const std::string* folderOption = run.value("--output");
    const std::filesystem::path folder = absoluteFolder(folderOption ? std::filesystem::path(*folderOption) : ".");
    if (!run.folderExists(folder))
        return exitStatus::cannotStart;
    const auto paths = seqTrigPaths(folder, table);
    if (!paths) {
        run.report(paths.error());
        return exitStatus::cannotStart;
    }
    if (run.has("--dry-run")) {
        run.printListed({paths->sequence, paths->trigger}, folderOption ? std::filesystem::path(*folderOption) : ".");
        return exitStatus::ok;
    }
    run.removeDebrisBeside(paths->sequence);
    std::filesystem::path writing;  // the file a failed write names
    const auto written = writeSeqTrigScripts(folder, table, singular, [&](ScriptKind kind, const std::string&) {
        writing = kind == ScriptKind::Sequence ? paths->sequence : paths->trigger;
    });
    if (!written) {
        run.report(writing, written.error());
        return exitStatus::failed;
    }
    return exitStatus::ok;
}

}  // namespace

Command seqTrigCommand()
{
    Command command;
    command.name = "seqtrig";
    command.synopsis = "TABLE [--singular S] [-o DIR] [--print-only] [-n [-0]]";
    command.summary = "write the Oracle sequence and before-insert trigger scripts for a table";
    command.description =
        "Writes seqTable.sql and trigTable.sql (Table being TABLE with its first letter upper-cased) into "
        "DIR, each replaced whole. The trigger fills the key column named after the singular and \"Id\".";
    command.options = {
        {"--singular", "S", "the table's singular (default: TABLE without one final lower-case s)"},
        {"--output", "DIR", "where the two files go (default: the current folder)", "-o", {"--folder"}},
        {"--print-only", "", "print both scripts, an empty line between them, and write nothing (default: "
                             "write the two files)"},
        options::dryRun("print the paths of the two files and write nothing"),
        options::nullEnds(),
    };
    command.minArguments = 1;
    command.maxArguments = 1;
    command.run = runSeqTrig;
    return command;
}

}  // namespace qb
