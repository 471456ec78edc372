#include "tools/files/replaceLines.h"

#include "shell/mdlText.h"
#include "tools/files/changedCopy.h"

#include <optional>

namespace qb {

namespace {

Result<std::vector<ReplacePair>> readPairs(const FileSystemObject& fso, const std::filesystem::path& pairPath)
{
    auto stream = fso.OpenTextFile(pairPath, IOMode::ForReading, false, TextFormat::SystemDefault);
    if (!stream)
        return std::unexpected(stream.error());
    std::vector<std::string> lines;
    std::string line;
    while (true) {
        const auto more = stream->readLine(line);
        if (!more)
            return std::unexpected(more.error());
        if (!*more)
            break;
        lines.push_back(line);
    }
    return transformValue(stream->Close(), [&] { return parsePairs(lines); });
}

}  // namespace

std::vector<ReplacePair> parsePairs(const std::vector<std::string>& lines)
{
    std::vector<ReplacePair> pairs;
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2)
        pairs.push_back({lines[i], lines[i + 1]});
    return pairs;
}

void replaceAll(std::string& line, std::string_view search, std::string_view replacement)
{
    if (search.empty())
        return;
    std::size_t at = line.find(search);
    if (at == std::string::npos)
        return;
    std::string result;
    std::size_t from = 0;
    do {
        result.append(line, from, at - from);
        result += replacement;
        from = at + search.size();
        at = line.find(search, from);
    } while (at != std::string::npos);
    result.append(line, from);
    line = std::move(result);
}

void appendDebugEntry(std::string& out, std::string_view line, std::string_view search)
{
    out += crlf;
    out += crlf;
    out += crlf;
    out += line;
    out += crlf;
    out += search;
    out += crlf;
}

Result<void> snp(const FileSystemObject& fso, const std::filesystem::path& strFilePath,
                 const std::vector<ReplacePair>& pairs, TextStream& debug)
{
    auto input = andThen(fso.GetFile(strFilePath), [](const File& file) {
        return file.OpenAsTextStream(IOMode::ForReading, TextFormat::SystemDefault);
    });
    if (!input)
        return std::unexpected(input.error());

    const std::filesystem::path copies = strFilePath.parent_path() / "copies";
    if (!fso.FolderExists(copies))
        if (auto made = fso.ensureFolder(copies); !made)
            return made;
    const std::filesystem::path copyPath = copies / strFilePath.filename();
    std::string entry;
    return writeChangedCopy(fso, *input, copyPath, [&](std::string& line, std::string& out) -> Result<void> {
        for (const ReplacePair& pair : pairs) {
            entry.clear();
            appendDebugEntry(entry, line, pair.search);
            if (auto traced = debug.Write(entry); !traced)
                return traced;
            replaceAll(line, pair.search, pair.replacement);
        }
        out += line;
        out += crlf;
        return {};
    });
}

Result<RunReport> runReplaceLines(const std::filesystem::path& folder, const std::filesystem::path& programFolder,
                                  ProgressCallback progress)
{
    return runReplaceLinesFrom(folder, programFolder / pairFileName, programFolder / debugFileName, std::move(progress));
}

Result<RunReport> runReplaceLinesFrom(const std::filesystem::path& folder, const std::filesystem::path& pairPath,
                                      const std::filesystem::path& debugPath, ProgressCallback progress,
                                      NamedBy debugNamedBy)
{
    const FileSystemObject fso(folder);  // the copies are never written through a link
    // Checked before anything is written, so a missing pair file leaves no trace.
    if (!fso.FileExists(pairPath))
        return fail(err::FileNotFound, "The pair file " + pairPath.string() + " does not exist.");
    // Appending the trace to the pair file would change the pairs of every later run.
    if (auto apart = fso.checkNotInput(debugPath, {pairPath}); !apart)
        return std::unexpected(apart.error());
    // The run never writes the pair file, so reading it once gives what reading it per line would.
    const auto pairs = readPairs(fso, pairPath);
    if (!pairs)
        return std::unexpected(pairs.error());

    RunReport report;
    std::optional<TextStream> debug;  // opened with the first file, so an empty folder gets none
    const auto handle = [&](const std::filesystem::path& file) -> Result<void> {
        if (!debug) {
            // Made whole (empty) when missing, then appended to.
            auto opened = debugNamedBy == NamedBy::User ? fso.createOutput(debugPath, IOMode::ForAppending)
                                                        : andThen(fso.ensureFile(debugPath), [&] {
                                                              return fso.OpenTextFile(debugPath, IOMode::ForAppending,
                                                                                      false, TextFormat::Ascii);
                                                          });
            if (!opened)
                return std::unexpected(opened.error());
            debug.emplace(std::move(*opened));
        }
        return snp(fso, file, pairs.value(), *debug);
    };
    if (const auto removed = fso.removeDebris(folder / "copies")) {
        report.counts.debrisRemoved += *removed;
    } else if (removed.error().number != err::PathNotFound) {
        report.fail(folder / "copies", removed.error());  // a link, above all: nothing goes through it
        return report;
    }
    const WalkOptions options{.recursive = false, .removeDebris = true, .progress = std::move(progress)};
    const WalkResult walked = walkTree(folder, options, [&](const WalkEntry& entry) {
        if (entry.kind == WalkEntry::Kind::FolderError) {
            report.fail(entry.path, *entry.error);
            return Visit::Stop;
        }
        // Reading the debug file while appending to it would grow it without end.
        if (entry.kind != WalkEntry::Kind::File || fso.sameFile(entry.path, debugPath))
            return Visit::Continue;
        if (auto done = handle(entry.path); !done) {
            report.fail(entry.path, done.error());
            return Visit::Stop;
        }
        ++report.counts.written;
        return Visit::Continue;
    });
    report.counts.files = walked.files;
    report.counts.debrisRemoved += walked.debrisRemoved;
    report.cancelled = walked.cancelled;
    if (debug)
        if (auto closed = debug->Close(); !closed && report.failures.empty())
            report.fail(debugPath, closed.error());
    return report;
}

}  // namespace qb
