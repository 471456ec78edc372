// `quillbox todos PATH...`: the TODO scan from the command line, by the Classic rules or by file
// type, with a baseline for CI.
#include "core/dataFolder.h"
#include "tools/scan/commentTodos.h"
#include "tools/scan/findTodos.h"
#include "tools/scan/scanCommand.h"
#include "tools/scan/todoBaseline.h"

#include <optional>

namespace qb {

namespace {

// What the options of one run ask for; the scan reads it, the run fills it.
struct TodoRun {
    bool byType = false;
    TodoTypeOptions type;
    std::optional<Baseline> baseline;
    std::optional<std::filesystem::path> writeBaselineTo;
};

Result<ScanReport> scanTodos(TodoRun& todo, const std::vector<std::filesystem::path>& paths, ProgressCallback progress,
                             ScanOutput output, std::stop_token stop)
{
    // A baseline is made from the records.
    if (todo.baseline || todo.writeBaselineTo)
        output = ScanOutput(ScanDetail::Full);  // and the report kept whole, not streamed
    ScanReport report = todo.byType ? findTodosByTypeIn(paths, todo.type, std::move(progress), std::move(output), std::move(stop))
                                    : findTodosIn(paths, std::move(progress), std::move(output), std::move(stop));
    if (report.cancelled)
        return report;
    if (todo.writeBaselineTo) {
        if (auto written = FileSystemObject().replaceFileContents(*todo.writeBaselineTo, writeBaseline(baselineBlocks(report, paths)));
            !written)
            return std::unexpected(written.error());
    }
    if (todo.baseline)
        report = withoutBaselined(std::move(report), paths, std::move(*todo.baseline));
    return report;
}

// Reads the options into `todo`; an exit status when the run cannot start.
std::optional<int> readOptions(CommandRun& run, TodoRun& todo)
{
    todo = TodoRun();
    if (const std::string* lang = run.value("--lang")) {
        if (*lang != "classic" && *lang != "auto")
            return run.usage("unknown language mode '" + *lang + "' (classic or auto)");
        todo.byType = *lang == "auto";
    }
    if (const std::vector<std::string> words = run.values("--marker"); !words.empty()) {
        if (!todo.byType)
            return run.usage("--marker needs --lang auto");
        std::string markers;
        for (const std::string& word : words)
            markers += word + ",";
        todo.type.markers = todoMarkersFrom(markers);
    }
    if (todo.byType) {
        const std::filesystem::path languages = programFolder() / languagesFileName;
        auto table = SyntaxTable::load(languages);
        if (!table) {
            run.report(languages, table.error());
            return exitStatus::cannotStart;
        }
        todo.type.table = std::move(*table);
    }
    if (const std::string* file = run.value("--baseline")) {
        const std::optional<std::string> text = run.readFile(*file);
        if (!text)
            return exitStatus::cannotStart;
        auto baseline = readBaseline(*text, *file);
        if (!baseline) {
            run.report(baseline.error());
            return exitStatus::cannotStart;
        }
        todo.baseline = std::move(*baseline);
    }
    if (const std::string* file = run.value("--write-baseline")) {
        const std::filesystem::path folder = std::filesystem::path(*file).parent_path();
        if (!folder.empty() && !run.folderExists(folder))
            return exitStatus::cannotStart;
        todo.writeBaselineTo = *file;
    }
    return std::nullopt;
}

}  // namespace

Command todosCommand()
{
    auto todo = std::make_shared<TodoRun>();
    Command command = scanCommand(
        "todos", "list the TODO comment blocks of source files",
        "Lists every line that holds \"TODO:\" with the comment lines (lines holding an apostrophe) that "
        "directly follow it, file by file, as the Find TODOs window does. Names holding .bmp, .zip, .gif "
        "or .jpg are not read.\n\n"
        "With --lang auto each file is read by its type (its extension, its name or its #! line): a marker "
        "counts only as a whole word inside a comment, never in a string or in code, and a block is the "
        "marker's comment with the comment lines that directly follow it. A file of no known type is read "
        "by the rules above. languages.txt in the data folder adds or changes file types.",
        [todo](const std::vector<std::filesystem::path>& paths, ProgressCallback progress, ScanOutput output,
               std::stop_token stop) {
            return scanTodos(*todo, paths, std::move(progress), std::move(output), std::move(stop));
        });
    command.options.insert(command.options.end(), {
        {"--lang", "MODE",
         "classic (the default): the rules above, as the window's Classic mode; auto: comments and strings "
         "by file type, as the window's \"By file type\" mode"},
        {"--marker", "WORDS",
         "with --lang auto, a marker word, or several split by commas; repeatable (default: "
         "TODO,FIXME,HACK,XXX,BUG)"},
        {"--write-baseline", "FILE",
         "also write the blocks found to FILE (replaced whole), as a baseline for --baseline"},
        {"--baseline", "FILE",
         "report only the blocks that FILE does not hold; a block is known by its path below the PATH "
         "scanned, its kind and its text, not by its line"},
    });
    // --fail-if-found (the scanners' own option) sees the report after the baseline took out what
    // it knows, so only new blocks fail a build.
    command.run = [todo, scan = command.run](CommandRun& run) {
        if (const std::optional<int> status = readOptions(run, *todo))
            return *status;
        return scan(run);
    };
    return command;
}

}  // namespace qb
