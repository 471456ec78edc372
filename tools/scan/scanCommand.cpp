#include "tools/scan/scanCommand.h"

#include "shell/fs.h"

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
        std::filesystem::path path(argument);
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

    // The text format needs the report's text alone.
    const Result<ScanReport> report =
        scan(paths, run.progress(), format == ReportFormat::Text ? ScanDetail::TextOnly : ScanDetail::Full, run.stopToken());
    if (!report) {
        run.report(report.error());
        return exitStatus::failed;
    }
    if (report->cancelled || run.interrupted())
        return exitStatus::interrupted;  // a report cut short by Ctrl+C is not written anywhere
    run.reportFailures(report->skipped);
    const std::string written = format == ReportFormat::Text ? std::string() : writeReport(report->text, report->found, format);
    const std::string& bytes = format == ReportFormat::Text ? report->text : written;
    if (output) {
        auto stream = fso.createOutput(*output);
        if (stream && stream->isReplacing())
            run.removeDebrisBeside(*output);
        auto written = andThen(std::move(stream), [&](TextStream out) -> Result<void> {
            if (auto wrote = out.Write(bytes); !wrote) {
                out.Discard();
                return wrote;
            }
            return out.Close();
        });
        if (!written) {
            run.report(*output, written.error());
            return exitStatus::failed;
        }
    } else {
        run.print(bytes);
    }
    if (report->binarySkipped > 0 && run.stderrIsTerminal())
        run.note(binarySkippedText(report->binarySkipped));
    return report->skipped.empty() ? exitStatus::ok : exitStatus::failed;
}

}  // namespace

Command scanCommand(std::string name, std::string summary, std::string description, PathsScan scan)
{
    Command command;
    command.name = std::move(name);
    command.synopsis = "PATH... [--format text|csv|json|markdown] [--output FILE]";
    command.summary = std::move(summary);
    command.description =
        std::move(description) +
        "\n\nEach PATH is scanned in the order given: a folder with everything below it (a folder's files "
        "before its subfolders, names in case-insensitive order), a file by itself. Binary files (a NUL "
        "byte in their first 64 KiB) are passed over. Files that cannot be read are listed on standard "
        "error and the scan goes on.";
    command.options = {
        {"--format", "FORMAT",
         "text (the default): the report as the window shows it, byte for byte; csv, json or markdown: "
         "one record per found item with its path, line, kind and text (UTF-8)"},
        {"--output", "FILE", "write the report to FILE (replaced whole) instead of standard output; - or "
                             "/dev/stdout, /dev/stderr, /dev/fd/N, a device, FIFO or socket is written as the "
                             "stream it is"},
    };
    command.minArguments = 1;
    command.run = [scan = std::move(scan)](CommandRun& run) { return runScan(run, scan); };
    return command;
}

}  // namespace qb
