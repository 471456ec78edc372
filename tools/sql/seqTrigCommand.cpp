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
    const std::string sequence = sequenceScript(table);
    const std::string trigger = triggerScript(table, singular);
    if (run.has("--print-only")) {
        run.print(sequence + std::string(crlf) + std::string(crlf) + trigger + std::string(crlf));
        return exitStatus::ok;
    }

    const std::string* folderOption = run.value("--output");
    const std::filesystem::path folder = absoluteFolder(folderOption ? std::filesystem::path(*folderOption) : ".");
    if (!run.folderExists(folder))
        return exitStatus::cannotStart;
    // The file names are the window's: the table name's characters, in the file system's encoding.
    const auto fileName = [&](ScriptKind kind) {
        return std::filesystem::path(utf8FromCp1252(scriptFileName(kind, table)));
    };
    const auto seqPath = scriptPath(folder, fileName(ScriptKind::Sequence));
    const auto trigPath = scriptPath(folder, fileName(ScriptKind::Trigger));
    if (!seqPath || !trigPath) {
        run.report(seqPath ? trigPath.error() : seqPath.error());
        return exitStatus::cannotStart;
    }
    if (run.has("--dry-run")) {
        run.printListed({*seqPath, *trigPath}, folderOption ? std::filesystem::path(*folderOption) : ".");
        return exitStatus::ok;
    }
    run.removeDebrisBeside(*seqPath);
    for (const auto& [path, script] : {std::pair{*seqPath, sequence}, std::pair{*trigPath, trigger}})
        if (auto written = addOrReplaceFile(path, script); !written) {
            run.report(path, written.error());
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
