#include "tools/files/replaceLines.h"

#include "core/fileText.h"
#include "core/lineBlocks.h"
#include "core/lineEnds.h"
#include "core/mdlText.h"
#include "tools/files/changedCopy.h"

#include <optional>
#include <span>

namespace qb {

namespace {

Result<std::vector<ReplacePair>> readPairs(const FileSystemObject& fso, const std::filesystem::path& pairPath)
{
    auto stream = fso.OpenTextFile(pairPath, IOMode::ForReading, Missing::Fail, TextFormat::SystemDefault);
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

PairChain::PairChain(std::span<const ReplacePair> pairs)
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

Result<void> PairChain::line(std::string_view line, TextStream* debug, std::string& out)
{
    std::string_view in = line;
    std::size_t free = 0;  // the scratch string that `in` does not lie in
    for (PairStage& stage : stages_) {
        if (debug)
            for (std::string_view piece : {crlf, crlf, crlf, in, crlf, std::string_view(stage.search()), crlf})
                if (auto traced = debug->Write(piece); !traced)
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
// line at a time, each line ending in CR LF. A line longer than a few blocks comes in parts:
// without a trace they go through the pairs as they come; with one, the line is read again from
// the file for each pair's entry (the pairs before it run over it anew) and once more for the copy,
// so the trace costs time on such a line, but never its length in memory.
class ReplaceCopier {
public:
    ReplaceCopier(LineBlocks& input, const std::vector<ReplacePair>& pairs, TextStream* debug, TextStream& output,
                  LineEnds ends)
        : input_(input), pairs_(pairs), chain_(pairs), debug_(debug), output_(output), ends_(ends)
    {
    }

    Result<bool> run()
    {
        const auto head = input_.peek(binaryProbeSize);
        if (!head)
            return std::unexpected(head.error());
        const bool binary = looksBinary(*head);
        for (;;) {
            auto next = input_.next();
            if (!next)
                return std::unexpected(std::move(next.error()));
            const std::string_view run = *next;
            if (run.empty())
                break;
            if (binary) {
                if (auto written = output_.writeDirect(run); !written)
                    return std::unexpected(written.error());
                continue;
            }
            if (auto copied = input_.partial() ? part(run) : lines(run); !copied)
                return std::unexpected(copied.error());
            if (auto written = flush(outputBlock); !written)
                return std::unexpected(written.error());
        }
        // A long last line without a line end gets one, as every line does, unless ends are kept.
        lineEnd_ = lineEndOut({}, 0, ends_);
        if (inLine_)
            if (auto ended = endLongLine(); !ended)
                return std::unexpected(ended.error());
        if (auto written = flush(0); !written)
            return std::unexpected(written.error());
        return binary;
    }

private:
    // A part of a long line: no line end in it.
    Result<void> part(std::string_view run)
    {
        if (!inLine_)
            lineStart_ = input_.runOffset();
        inLine_ = true;
        lineStop_ = input_.runOffset() + run.size();
        if (!debug_)
            chain_.push(run, out_);
        return {};
    }

    // Whole lines, the first of which may end a long line.
    Result<void> lines(std::string_view run)
    {
        std::size_t pos = 0;
        if (inLine_) {
            const std::size_t end = lineEndFrom(run, 0);
            if (!debug_)
                chain_.push(run.substr(0, end), out_);
            lineStop_ = input_.runOffset() + end;
            lineEnd_ = lineEndOut(run, end, ends_);
            if (auto ended = endLongLine(); !ended)
                return ended;
            pos = afterLineEnd(run, end);
        }
        while (pos < run.size()) {
            const std::size_t end = lineEndFrom(run, pos);
            if (auto replaced = chain_.line(run.substr(pos, end - pos), debug_, out_); !replaced)
                return replaced;
            out_ += lineEndOut(run, end, ends_);
            pos = afterLineEnd(run, end);
        }
        return {};
    }

    Result<void> endLongLine()
    {
        inLine_ = false;
        if (!debug_) {
            chain_.endLine(out_);
            out_ += lineEnd_;
            return {};
        }
        const std::span<const ReplacePair> pairs(pairs_);
        for (std::size_t i = 0; i < pairs.size(); ++i) {
            for (std::string_view piece : {crlf, crlf, crlf})
                if (auto traced = debug_->Write(piece); !traced)
                    return traced;
            PairChain before(pairs.first(i));
            if (auto traced = replay(before, *debug_); !traced)
                return traced;
            for (std::string_view piece : {crlf, std::string_view(pairs[i].search), crlf})
                if (auto traced = debug_->Write(piece); !traced)
                    return traced;
        }
        if (auto written = flush(0); !written)
            return written;
        PairChain all(pairs);
        if (auto copied = replay(all, output_); !copied)
            return copied;
        out_ += lineEnd_;
        return {};
    }

    // The long line, read again from the file a block at a time, through `chain` into `to`.
    Result<void> replay(PairChain& chain, TextStream& to)
    {
        std::string made;
        for (std::uint64_t at = lineStart_; at <= lineStop_;) {
            const auto piece = static_cast<std::size_t>(std::min<std::uint64_t>(lineStop_ - at, outputBlock));
            made.clear();
            if (piece == 0) {
                chain.endLine(made);
                return to.writeDirect(made);
            }
            if (auto read = input_.reread(at, piece, part_); !read)
                return read;
            chain.push(part_, made);
            if (auto written = to.writeDirect(made); !written)
                return written;
            at += piece;
        }
        return {};
    }

    Result<void> flush(std::size_t atLeast)
    {
        if (out_.empty() || out_.size() < atLeast)
            return {};
        auto written = output_.writeDirect(out_);
        out_.clear();
        return written;
    }

    LineBlocks& input_;
    const std::vector<ReplacePair>& pairs_;
    PairChain chain_;
    TextStream* debug_;
    TextStream& output_;
    std::string out_;   // copied bytes waiting to be written
    std::string part_;  // a long line's bytes, read again
    bool inLine_ = false;                             // parts of a line came, its end has not
    std::uint64_t lineStart_ = 0, lineStop_ = 0;       // where that line lies in the file
    std::string_view lineEnd_;                        // what ends it in the copy
    LineEnds ends_;
};

}  // namespace

Result<bool> snp(const FileSystemObject& fso, const std::filesystem::path& strFilePath,
                 const std::vector<ReplacePair>& pairs, TextStream* debug, LineEnds ends)
{
    LineBlocks input(LineBlocks::defaultBlockSize, LineBlocks::defaultBlockSize);
    if (auto opened = input.open(strFilePath); !opened)
        return std::unexpected(opened.error());
    const std::filesystem::path copies = strFilePath.parent_path() / "copies";
    if (!fso.FolderExists(copies))
        if (auto made = fso.ensureFolder(copies); !made)
            return std::unexpected(made.error());
    bool binary = false;
    auto written = writeCopy(fso, copies / strFilePath.filename(), [&](TextStream& output) {
        return transformValue(ReplaceCopier(input, pairs, debug, output, ends).run(), [&](bool isBinary) { binary = isBinary; });
    });
    input.close();
    return transformValue(std::move(written), [&] { return binary; });
}

Result<RunReport> runReplaceLines(const std::filesystem::path& folder, const std::filesystem::path& programFolder,
                                  ProgressCallback progress, LineEnds ends)
{
    return runReplaceLinesFrom(folder, programFolder / pairFileName, programFolder / debugFileName, std::move(progress),
                               NamedBy::Tool, CopyMode::Write, ends);
}

Result<RunReport> runReplaceLinesFrom(const std::filesystem::path& folder, const std::filesystem::path& pairPath,
                                      const std::filesystem::path& debugPath, ProgressCallback progress,
                                      NamedBy debugNamedBy, CopyMode mode, LineEnds ends)
{
    const bool dryRun = mode == CopyMode::ListOnly;
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
    const auto handle = [&](const std::filesystem::path& file) -> Result<bool> {
        if (dryRun) {
            report.listed.push_back(folder / "copies" / file.filename());
            return false;
        }
        if (!debug && !debugPath.empty()) {
            // Made whole (empty) when missing, then appended to.
            auto opened = debugNamedBy == NamedBy::User ? fso.createOutput(debugPath, IOMode::ForAppending)
                                                        : andThen(fso.ensureFile(debugPath), [&] {
                                                              return fso.OpenTextFile(debugPath, IOMode::ForAppending,
                                                                                      Missing::Fail, TextFormat::Ascii);
                                                          });
            if (!opened)
                return std::unexpected(opened.error());
            debug.emplace(std::move(*opened));
        }
        return snp(fso, file, pairs.value(), debug ? &*debug : nullptr, ends);
    };
    if (!dryRun) {
        if (const auto removed = fso.removeDebris(folder / "copies")) {
            report.counts.debrisRemoved += *removed;
        } else if (removed.error().number != err::PathNotFound) {
            report.fail(folder / "copies", removed.error());  // a link, above all: nothing goes through it
            return report;
        }
    }
    const WalkOptions options{.recursive = false, .removeDebris = !dryRun, .progress = std::move(progress)};
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
    report.absorb(walked);
    if (dryRun && !report.listed.empty() && !debugPath.empty())
        report.listed.push_back(debugPath);
    if (debug)
        if (auto closed = debug->Close(); !closed && report.failures.empty())
            report.fail(debugPath, closed.error());
    return report;
}

}  // namespace qb
