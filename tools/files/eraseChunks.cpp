#include "tools/files/eraseChunks.h"

#include "shell/mdlText.h"
#include "tools/files/changedCopy.h"

#include <array>
#include <cstring>

namespace qb {

namespace {

// The upper-case table, built once from the shared Windows-1252 mapping so the hot loop needs no
// call per byte.
const std::array<char, 256>& upperTable()
{
    static const std::array<char, 256> table = [] {
        std::array<char, 256> t{};
        for (int c = 0; c < 256; ++c)
            t[c] = upperCp1252(static_cast<char>(c));
        return t;
    }();
    return table;
}

void upperInto(std::string_view text, std::string& out)
{
    const auto& table = upperTable();
    out.resize(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        out[i] = table[static_cast<unsigned char>(text[i])];
}

std::string_view trimSpaces(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

void writeLine(std::string& out, std::string_view line)
{
    // Room for both parts at once: a very long line then costs its length once, not twice.
    out.reserve(out.size() + line.size() + crlf.size());
    out += line;
    out += crlf;
}

}  // namespace

std::vector<std::string> chunkLines(std::string_view boxText)
{
    std::vector<std::string> lines;
    for (std::string_view line : splitLines(boxText))
        if (!line.empty())
            lines.emplace_back(line);
    return lines;
}

ChunkFilter::ChunkFilter(std::vector<std::string> chunk, std::string spew, ChunkOptions options)
    : chunk_(std::move(chunk)), spew_(std::move(spew)), options_(options)
{
    for (const std::string& line : chunk_)
        upperChunk_.push_back(upperCp1252(line));
    if (!chunk_.empty())
        trigger_ = upperCp1252(trimSpaces(chunk_.front()));
    // The anchor: the first trigger byte that only that byte upper-cases to.
    std::array<int, 256> sources{};
    for (char c : upperTable())
        ++sources[static_cast<unsigned char>(c)];
    for (std::size_t i = 0; i < trigger_.size() && anchor_ == std::string::npos; ++i)
        if (sources[static_cast<unsigned char>(trigger_[i])] == 1)
            anchor_ = i;
}

bool ChunkFilter::isTrigger(std::string_view line)
{
    if (trigger_.empty())
        return true;
    if (line.size() < trigger_.size())
        return false;
    const auto& table = upperTable();
    if (anchor_ == std::string::npos) {
        // Every byte of the trigger has another case: compare through the table at each start,
        // without an upper-cased copy of the line.
        for (std::size_t start = 0; start + trigger_.size() <= line.size(); ++start) {
            std::size_t i = 0;
            while (i < trigger_.size() && table[static_cast<unsigned char>(line[start + i])] == trigger_[i])
                ++i;
            if (i == trigger_.size())
                return true;
        }
        return false;
    }
    // Only places where the line holds the anchor byte itself can start a match, so most lines
    // are settled by one memchr, without upper-casing them.
    const char anchor = trigger_[anchor_];
    const std::size_t last = line.size() - trigger_.size();  // the last possible start
    for (std::size_t from = anchor_; from <= last + anchor_;) {
        const void* found = std::memchr(line.data() + from, anchor, last + anchor_ + 1 - from);
        if (!found)
            return false;
        const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(found) - line.data());
        const std::size_t start = at - anchor_;
        std::size_t i = 0;
        while (i < trigger_.size() && table[static_cast<unsigned char>(line[start + i])] == trigger_[i])
            ++i;
        if (i == trigger_.size())
            return true;
        from = at + 1;
    }
    return false;
}

bool ChunkFilter::passes(std::string_view line, std::size_t k)
{
    if (line.size() <= upperChunk_[k].size()) {
        upperInto(line, upper_);
        if (upperChunk_[k].find(upper_) != std::string::npos)
            return true;
    }
    return options_.allowWild && line.find(chunk_[k]) != std::string_view::npos;
}

void ChunkFilter::push(std::string_view line, std::string& out)
{
    if (!held_.empty()) {
        held_.emplace_back(line);
        settle(out, false);
        return;
    }
    if (chunk_.empty() || !isTrigger(line) || !passes(line, 0)) {
        writeLine(out, line);
        return;
    }
    held_.emplace_back(line);
    settle(out, false);
}

void ChunkFilter::finish(std::string& out)
{
    settle(out, true);
}

// The held lines always start with a line that is a trigger and passes chunk line 1.
void ChunkFilter::settle(std::string& out, bool atEnd)
{
    while (!held_.empty()) {
        bool allPass = true;
        for (std::size_t k = 1; k < held_.size() && allPass; ++k)
            allPass = passes(held_[k], k);
        if (allPass && held_.size() == chunk_.size()) {
            ++found_;
            if (!options_.eraseOnly)
                out += spew_;
            held_.clear();
            return;
        }
        if (allPass && !atEnd)
            return;  // the chunk may still come whole: wait for the next line
        // Not this chunk: its first line goes out as read, and the test goes on after it.
        writeLine(out, held_.front());
        held_.pop_front();
        while (!held_.empty() && !(isTrigger(held_.front()) && passes(held_.front(), 0))) {
            writeLine(out, held_.front());
            held_.pop_front();
        }
    }
}

std::string filterChunks(const std::vector<std::string>& chunk, std::string_view spew, ChunkOptions options,
                         const std::vector<std::string>& lines)
{
    ChunkFilter filter(chunk, std::string(spew), options);
    std::string out;
    for (const std::string& line : lines)
        filter.push(line, out);
    filter.finish(out);
    return out;
}

std::filesystem::path copyPathFor(const std::filesystem::path& file, const std::filesystem::path& base)
{
    std::filesystem::path copy = base / "copies";
    const std::filesystem::path relative = file.parent_path().lexically_relative(base);
    for (const auto& part : relative)
        if (!part.empty() && part != "." && part != "..")
            copy /= part;
    return copy / file.filename();
}

Result<bool> eraseChunks(const FileSystemObject& fso, const File& tempFile,
                         const std::filesystem::path& strCopyDirParent, const EraseSettings& settings)
{
    auto input = tempFile.OpenAsTextStream(IOMode::ForReading, TextFormat::SystemDefault);
    if (!input)
        return std::unexpected(input.error());

    const std::filesystem::path copyPath = copyPathFor(tempFile.Path(), strCopyDirParent);
    // Make the mirrored folders one level at a time, from the base folder down; one that another
    // run makes meanwhile is as good.
    std::filesystem::path folder = strCopyDirParent;
    for (const auto& part : copyPath.parent_path().lexically_relative(strCopyDirParent)) {
        folder /= part;
        if (!fso.FolderExists(folder))
            if (auto made = fso.ensureFolder(folder); !made)
                return std::unexpected(made.error());
    }
    ChunkFilter filter(settings.chunk, settings.spew, settings.options);
    const auto written = writeChangedCopy(
        fso, *input, copyPath,
        [&filter](std::string& line, std::string& out) -> Result<void> {
            filter.push(line, out);
            return {};
        },
        [&filter](std::string& out) { filter.finish(out); });
    return transformValue(written, [&filter] { return filter.found() > 0; });
}

void trollFolders(const FileSystemObject& fso, const Folder& startFolder, const std::filesystem::path& base,
                  const EraseSettings& settings, ProgressCallback progress, RunReport& report)
{
    const std::filesystem::path ownCopies = base / "copies";
    const WalkOptions options{.recursive = settings.recursive, .removeDebris = true, .progress = std::move(progress)};
    const WalkResult walked = walkTree(startFolder.Path(), options, [&](const WalkEntry& entry) {
        switch (entry.kind) {
        case WalkEntry::Kind::Folder:
            if (entry.path == ownCopies)
                return Visit::SkipFolder;  // never copy the copies
            // The folder this one's copies go to: what killed runs left there goes.
            if (const auto removed = fso.removeDebris(copyPathFor(entry.path / "x", base).parent_path()))
                report.counts.debrisRemoved += *removed;
            break;
        case WalkEntry::Kind::FolderError:
            report.fail(entry.path, *entry.error);
            break;
        case WalkEntry::Kind::File:
            if (auto done = eraseChunks(fso, File(entry.path), base, settings); done) {
                ++report.counts.written;
                report.counts.changed += *done ? 1 : 0;
            } else {
                report.fail(entry.path, done.error());
            }
            break;
        }
        return Visit::Continue;
    });
    report.counts.files += walked.files;
    report.counts.debrisRemoved += walked.debrisRemoved;
    report.cancelled = report.cancelled || walked.cancelled;
}

Result<RunReport> runEraseChunks(const std::filesystem::path& base, const EraseSettings& settings,
                                 ProgressCallback progress)
{
    if (settings.chunk.empty())
        return fail(err::InvalidProcedureCall,
                    "The chunk to erase is empty: type at least one line of text to find.");
    // One spelling of the base folder, so copies land below it whatever the caller passed.
    const std::filesystem::path start = absoluteFolder(base);
    const FileSystemObject fso;
    return transformValue(fso.GetFolder(start), [&](const Folder& folder) {
        RunReport report;
        trollFolders(fso, folder, start, settings, std::move(progress), report);
        return report;
    });
}

}  // namespace qb
