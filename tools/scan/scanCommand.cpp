#include "tools/scan/scanCommand.h"

#include "core/fs.h"

#include <optional>

namespace qb {

namespace {

int runScan(CommandRun& run, const PathsScan& scan)
{
    ReportFormat format = ReportFormat::Text;
    if (const std::string* name = run.value("--format")) {
        const auto named = reportFormatNamed(*name);
        if (!named)
            return run.usage("unknown format '" + *name + "' (text, csv, json or markdown)");
        format = *named;
    }
    const FileSystemObject fso;
    std::vector<std::filesystem::path> paths;
    bool missing = false;
    for (const std::string& argument : run.arguments()) {
        std::filesystem::path path = run.inputPath(argument);  // "-", a pipe or a FIFO is read as a stream
        if (!fso.FolderExists(path))
            missing = !run.fileExists(path) || missing;
        paths.push_back(std::move(path));
    }
    const std::string* output = run.value("--output");
    if (output) {
        const std::filesystem::path folder = std::filesystem::path(*output).parent_path();
        if (!folder.empty() && !run.folderExists(folder))
            missing = true;
    }
    if (missing)
        return exitStatus::cannotStart;
    // A report written over one of the files it reads would destroy it.
    if (output)
        if (auto apart = fso.checkNotInput(*output, paths); !apart) {
            run.report(*output, apart.error());
            return exitStatus::cannotStart;
        }

    // The text format needs the report's text alone, which is written as the scan makes it; the
    // list of files and the record formats need the records, written at the end.
    const bool listOnly = run.has("--files-with-matches");
    const bool text = format == ReportFormat::Text;
    // A report to a file goes to a temporary one that is published only when the report is
    // whole; a stopped or failed run leaves the file as it was.
    std::optional<TextStream> out;
    if (output && !listOnly) {
        auto stream = fso.createOutput(*output);
        if (!stream) {
            run.report(*output, stream.error());
            return exitStatus::failed;
        }
        if (stream->isReplacing())
            run.removeDebrisBeside(*output);
        out = std::move(*stream);
    }
    std::optional<Error> writeFailed;
    bool written = false;  // some of the report was written
    // Text is printed with the command line's line ends; the record formats keep their own.
    const auto write = [&](std::string_view bytes) {
        written = written || !bytes.empty();
        if (!out)
            run.printBytes(bytes);
        else if (auto wrote = out->Write(bytes); !wrote && !writeFailed)
            writeFailed = std::move(wrote.error());
    };
    ReportSink sink;
    if (text && !listOnly)
        sink = [&](std::string_view part) { write(run.withLineEnds(part)); };
    Result<ScanReport> report = scan(paths, run.progress(), ScanOutput(text && !listOnly ? ScanDetail::TextOnly : ScanDetail::Full, sink),
                                     run.stopToken());
    const auto discard = [&] {
        if (out)
            out->Discard();
    };
    if (!report) {
        discard();
        run.report(report.error());
        return exitStatus::failed;
    }
    if (report->cancelled || run.interrupted()) {
        discard();  // a report cut short by Ctrl+C is not published; on standard output it ends where it was cut
        return exitStatus::interrupted;
    }
    run.reportFailures(report->skipped);
    // What was not streamed: the whole text of a scan that kept it, or the records.
    const bool found = written || !report->found.items.empty() || (text && !report->text.empty());
    if (listOnly) {
        for (const RecordFile& file : report->found.files)
            run.printPath(file.path);
    } else {
        write(text ? run.withLineEnds(report->text) : writeReport({}, report->found, format));
    }
    if (out) {
        Result<void> closed = writeFailed ? Result<void>(std::unexpected(std::move(*writeFailed))) : out->Close();
        if (!closed) {
            discard();
            run.report(*output, closed.error());
            return exitStatus::failed;
        }
    }
    if (report->binarySkipped > 0 && run.stderrIsTerminal())
        run.note(binarySkippedText(report->binarySkipped));
    if (!report->skipped.empty() || (found && run.has("--fail-if-found")))
        return exitStatus::failed;
    return exitStatus::ok;
}

}  // namespace

Command scanCommand(std::string name, std::string summary, std::string description, PathsScan scan)
{
    Command command;
    command.name = std::move(name);
    command.synopsis = "PATH... [--format text|csv|json|markdown] [-o FILE] [-l [-0]] [-g GLOB]... [--fail-if-found]";
    command.summary = std::move(summary);
    command.description =
        std::move(description) +
        "\n\nEach PATH is scanned in the order given: a folder with everything below it (a folder's files "
        "before its subfolders, names in case-insensitive order), a file by itself; - is standard input, and a pipe or FIFO (<(command)) is read as a stream. Binary files (a NUL "
        "byte in their first 64 KiB) are passed over. Files that cannot be read are listed on standard "
        "error and the scan goes on.";
    command.options = {
        {"--format", "FORMAT",
         "text (the default): the report as the window shows it, byte for byte; csv, json or markdown: "
         "one record per found item with its path, line, kind and text (UTF-8)"},
        options::output("write the report to FILE (replaced whole) instead of standard output (default: "
                        "standard output); - or /dev/stdout, /dev/stderr, /dev/fd/N, a device, FIFO or socket "
                        "is written as the stream it is"),
        {"--files-with-matches", "", "print only the paths of the files that have a record, one a line, "
                                     "instead of the report (default: the report)", "-l"},
        options::nullEnds(),
        {"--fail-if-found", "", "exit with status 1 when anything is found, so a CI step fails "
                                "(default: status 0 after a complete scan)"},
        options::glob(),
        options::gitIgnore(),
        options::recursive("accepted and ignored: a folder is always scanned with everything below it"),
    };
    command.minArguments = 1;
    command.run = [scan = std::move(scan)](CommandRun& run) { return runScan(run, scan); };
    return command;
}

}  // namespace qb
