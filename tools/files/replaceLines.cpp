#include "tools/files/replaceLines.h"

#include "shell/fileText.h"
#include "shell/lineBlocks.h"
#include "shell/lineEnds.h"
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

void PairStage::push(std::string_view part, std::string& out)
{
    const std::string_view search = pair_->search;
    if (search.empty()) {
        out += part;
        return;
    }
    const bool joined = !held_.empty();
    if (joined)
        held_ += part;
    const std::string_view text = joined ? std::string_view(held_) : part;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(search, from)) != std::string_view::npos; from = at + search.size()) {
        out.append(text.substr(from, at - from));
        out += pair_->replacement;
    }
    // An occurrence may still start in the last bytes, shorter than the search text.
    const std::size_t keep = std::min(text.size() - from, search.size() - 1);
    out.append(text.substr(from, text.size() - from - keep));
    if (joined)
        held_.erase(0, held_.size() - keep);
    else
        held_.assign(part.substr(part.size() - keep));
}

void PairStage::endLine(std::string& out)
{
    out += held_;
    held_.clear();
}

PairChain::PairChain(const std::vector<ReplacePair>& pairs)
{
    stages_.reserve(pairs.size());
    for (const ReplacePair& pair : pairs)
        stages_.emplace_back(pair);
}

void PairChain::pass(std::string_view part, bool end, std::string& out)
{
    std::string_view in = part;
    for (std::size_t i = 0; i < stages_.size(); ++i) {
        std::string& made = scratch_[i % 2];
        made.clear();
        stages_[i].push(in, made);
        if (end)
            stages_[i].endLine(made);
        in = made;
    }
    out += in;
}

void PairChain::push(std::string_view part, std::string& out)
{
    pass(part, false, out);
}

void PairChain::endLine(std::string& out)
{
    pass({}, true, out);
}

Result<void> PairChain::traced(std::string_view line, TextStream& debug, std::string& out)
{
    std::string_view in = line;
    std::size_t free = 0;  // the scratch string that `in` does not lie in
    for (PairStage& stage : stages_) {
        for (std::string_view piece : {crlf, crlf, crlf, in, crlf, std::string_view(stage.search()), crlf})
            if (auto traced = debug.Write(piece); !traced)
                return traced;
        if (stage.search().empty() || in.find(stage.search()) == std::string_view::npos)
            continue;  // nothing to replace: the line goes on as it is, uncopied
        std::string& made = scratch_[free];
        made.clear();
        stage.push(in, made);
        stage.endLine(made);
        in = made;
        free ^= 1;
    }
    out += in;
    return {};
}

void replaceAll(std::string& line, std::string_view search, std::string_view replacement)
{
    const ReplacePair pair{std::string(search), std::string(replacement)};
    PairStage stage(pair);
    std::string out;
    stage.push(line, out);
    stage.endLine(out);
    line = std::move(out);
}

namespace {

// Copied bytes are written once this many wait.
constexpr std::size_t outputBlock = 256 * 1024;

// The copy of the file open in `input`: a binary file as it is, a text file through the pairs a
// line (or, without a trace, a part of a line) at a time, each line ending in CR LF.
Result<bool> writeReplaced(LineBlocks& input, PairChain& chain, TextStream* debug, TextStream& output)
{
    const auto head = input.peek(binaryProbeSize);
    if (!head)
        return std::unexpected(head.error());
    const bool binary = looksBinary(*head);
    std::string out;
    bool inLine = false;  // a part of a line went through, and the rest of it has not
    for (;;) {
        auto next = input.next();
        if (!next)
            return std::unexpected(std::move(next.error()));
        const std::string_view run = *next;
        if (run.empty())
            break;
        if (binary) {
            if (auto written = output.writeDirect(run); !written)
                return std::unexpected(written.error());
            continue;
        }
        inLine = input.partial();
        if (inLine) {
            chain.push(run, out);  // a part of a long line: no line end in it
        } else {
            for (std::size_t pos = 0; pos < run.size();) {
                const std::size_t end = lineEndFrom(run, pos);
                const std::string_view line = run.substr(pos, end - pos);
                if (debug) {
                    if (auto traced = chain.traced(line, *debug, out); !traced)
                        return std::unexpected(traced.error());
                } else {
                    chain.push(line, out);
                    chain.endLine(out);
                }
                out += crlf;
                pos = afterLineEnd(run, end);
            }
        }
        if (out.size() >= outputBlock) {
            if (auto written = output.writeDirect(out); !written)
                return std::unexpected(written.error());
            out.clear();
        }
    }
    if (inLine) {  // a long last line without a line end gets one, as every line does
        chain.endLine(out);
        out += crlf;
    }
    if (auto written = output.Write(out); !written)
        return std::unexpected(written.error());
    return binary;
}

}  // namespace

Result<bool> snp(const FileSystemObject& fso, const std::filesystem::path& strFilePath,
                 const std::vector<ReplacePair>& pairs, TextStream* debug)
{
    // The trace holds each line whole, so only without one are long lines taken in parts.
    LineBlocks input(LineBlocks::defaultBlockSize, debug ? 0 : LineBlocks::defaultBlockSize);
    if (auto opened = input.open(strFilePath); !opened)
        return std::unexpected(opened.error());
    const std::filesystem::path copies = strFilePath.parent_path() / "copies";
    if (!fso.FolderExists(copies))
        if (auto made = fso.ensureFolder(copies); !made)
            return std::unexpected(made.error());
    PairChain chain(pairs);
    bool binary = false;
    auto written = writeCopy(fso, copies / strFilePath.filename(), [&](TextStream& output) {
        return transformValue(writeReplaced(input, chain, debug, output), [&](bool isBinary) { binary = isBinary; });
    });
    input.close();
    return transformValue(std::move(written), [&] { return binary; });
}

Result<RunReport> runReplaceLines(const std::filesystem::path& folder, const std::filesystem::path& programFolder,
                                  ProgressCallback progress)
{
    return runReplaceLinesFrom(folder, programFolder / pairFileName, programFolder / debugFileName, std::move(progress));
}

Result<RunReport> runReplaceLinesFrom(const std::filesystem::path& folder, const std::filesystem::path& pairPath,
                                      const std::filesystem::path& debugPath, ProgressCallback progress)
{
    const FileSystemObject fso;
    // Checked before anything is written, so a missing pair file leaves no trace.
    if (!fso.FileExists(pairPath))
        return fail(err::FileNotFound, "The pair file " + pairPath.string() + " does not exist.");
    // The run never writes the pair file, so reading it once gives what reading it per line would.
    const auto pairs = readPairs(fso, pairPath);
    if (!pairs)
        return std::unexpected(pairs.error());

    RunReport report;
    std::optional<TextStream> debug;  // opened with the first file, so an empty folder gets none
    const auto handle = [&](const std::filesystem::path& file) -> Result<bool> {
        if (!debug && !debugPath.empty()) {
            // Made whole (empty) when missing, then appended to.
            auto opened = andThen(fso.ensureFile(debugPath), [&] {
                return fso.OpenTextFile(debugPath, IOMode::ForAppending, false, TextFormat::Ascii);
            });
            if (!opened)
                return std::unexpected(opened.error());
            debug.emplace(std::move(*opened));
        }
        return snp(fso, file, pairs.value(), debug ? &*debug : nullptr);
    };
    if (const auto removed = fso.removeDebris(folder / "copies"))
        report.counts.debrisRemoved += *removed;
    const WalkOptions options{.recursive = false, .removeDebris = true, .progress = std::move(progress)};
    const WalkResult walked = walkTree(folder, options, [&](const WalkEntry& entry) {
        if (entry.kind == WalkEntry::Kind::FolderError) {
            report.fail(entry.path, *entry.error);
            return Visit::Stop;
        }
        // Reading the debug file while appending to it would grow it without end.
        if (entry.kind != WalkEntry::Kind::File || (!debugPath.empty() && fso.sameFile(entry.path, debugPath)))
            return Visit::Continue;
        const auto done = handle(entry.path);
        if (!done) {
            report.fail(entry.path, done.error());
            return Visit::Stop;
        }
        ++report.counts.written;
        report.counts.binary += *done ? 1 : 0;
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
