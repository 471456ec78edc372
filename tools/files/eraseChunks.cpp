#include "tools/files/eraseChunks.h"

#include "core/fileText.h"
#include "core/mdlText.h"
#include "tools/files/changedCopy.h"

#include "core/lineEnds.h"

#include <algorithm>
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

void writeLine(std::string& out, std::string_view line, std::string_view end = crlf)
{
    // Room for both parts at once: a very long line then costs its length once, not twice.
    out.reserve(out.size() + line.size() + end.size());
    out += line;
    out += end;
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
    return findTrigger(line, 0) != std::string_view::npos;
}

std::size_t ChunkFilter::findTrigger(std::string_view text, std::size_t from)
{
    if (trigger_.empty())
        return from;
    if (text.size() < trigger_.size() || from > text.size() - trigger_.size())
        return std::string_view::npos;
    const auto& table = upperTable();
    const auto matchesAt = [&](std::size_t start) {
        std::size_t i = 0;
        while (i < trigger_.size() && table[static_cast<unsigned char>(text[start + i])] == trigger_[i])
            ++i;
        return i == trigger_.size();
    };
    const std::size_t last = text.size() - trigger_.size();  // the last possible start
    if (anchor_ == std::string::npos) {
        // Every byte of the trigger has another case: compare through the table at each start.
        for (std::size_t start = from; start <= last; ++start)
            if (matchesAt(start))
                return start;
        return std::string_view::npos;
    }
    // Only places where the text holds the anchor byte itself can start a match, so most texts
    // are settled by one memchr, without upper-casing them.
    const char anchor = trigger_[anchor_];
    for (std::size_t at = from + anchor_; at <= last + anchor_;) {
        const void* found = std::memchr(text.data() + at, anchor, last + anchor_ + 1 - at);
        if (!found)
            return std::string_view::npos;
        at = static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
        if (matchesAt(at - anchor_))
            return at - anchor_;
        ++at;
    }
    return std::string_view::npos;
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

void ChunkFilter::hold(std::string_view line, std::string_view end)
{
    if (heldCount_ == held_.size()) {
        held_.emplace_back();
        heldEnds_.emplace_back();
    }
    heldEnds_[heldCount_] = end;
    held_[heldCount_++].assign(line);
}

void ChunkFilter::dropFirstHeld()
{
    std::rotate(held_.begin(), held_.begin() + 1, held_.begin() + static_cast<std::ptrdiff_t>(heldCount_));
    std::rotate(heldEnds_.begin(), heldEnds_.begin() + 1, heldEnds_.begin() + static_cast<std::ptrdiff_t>(heldCount_));
    --heldCount_;
}

void ChunkFilter::push(std::string_view line, std::string& out, std::string_view end)
{
    if (heldCount_ > 0) {
        hold(line, end);
        settle(out, false);
        return;
    }
    if (chunk_.empty() || !isTrigger(line) || !passes(line, 0)) {
        writeLine(out, line, end);
        return;
    }
    hold(line, end);
    settle(out, false);
}

namespace {

// Writes `line` and its end, taking the line's room when `out` is empty and the line has room for
// its end: a line of hundreds of megabytes then becomes the output as it is, never copied.
void writeOwnLine(std::string& out, std::string& line, std::string_view end)
{
    if (out.empty() && line.capacity() >= line.size() + end.size()) {
        out.swap(line);
        out += end;
    } else {
        writeLine(out, line, end);
    }
}

}  // namespace

void ChunkFilter::push(std::string&& line, std::string& out, std::string_view end)
{
    if (heldCount_ == 0 && (chunk_.empty() || !isTrigger(line) || !passes(line, 0))) {
        writeOwnLine(out, line, end);
        return;
    }
    if (heldCount_ == held_.size()) {
        held_.emplace_back();
        heldEnds_.emplace_back();
    }
    heldEnds_[heldCount_] = end;
    held_[heldCount_++].swap(line);
    settle(out, false);
}

void ChunkFilter::writeFirstHeld(std::string& out)
{
    writeOwnLine(out, held_.front(), heldEnds_.front());
    dropFirstHeld();
}

void ChunkFilter::finish(std::string& out)
{
    settle(out, true);
}

// The held lines always start with a line that is a trigger and passes chunk line 1.
void ChunkFilter::settle(std::string& out, bool atEnd)
{
    while (heldCount_ > 0) {
        bool allPass = true;
        for (std::size_t k = 1; k < heldCount_ && allPass; ++k)
            allPass = passes(held_[k], k);
        if (allPass && heldCount_ == chunk_.size()) {
            ++found_;
            if (!options_.eraseOnly)
                out += spew_;
            heldCount_ = 0;
            return;
        }
        if (allPass && !atEnd)
            return;  // the chunk may still come whole: wait for the next line
        // Not this chunk: its first line goes out as read, and the test goes on after it.
        writeFirstHeld(out);
        while (heldCount_ > 0 && !(isTrigger(held_.front()) && passes(held_.front(), 0)))
            writeFirstHeld(out);
    }
}

std::size_t ChunkFilter::longestChunkLine() const
{
    std::size_t longest = 0;
    for (const std::string& line : chunk_)
        longest = std::max(longest, line.size());
    return longest;
}

ChunkFilter::LongLine::LongLine(const ChunkFilter& filter)
{
    if (!filter.chunk_.empty() && filter.options_.allowWild)
        needle_ = filter.chunk_.front();
}

void ChunkFilter::LongLine::add(std::string_view part)
{
    if (needle_.empty() || found_)
        return;
    // A needle across the seam between the last part and this one.
    const std::size_t keep = needle_.size() - 1;
    seam_.append(part.substr(0, keep));
    found_ = seam_.find(needle_) != std::string::npos || part.find(needle_) != std::string_view::npos;
    if (part.size() >= keep)
        seam_.assign(part.substr(part.size() - keep));
    else if (seam_.size() > keep)
        seam_.erase(0, seam_.size() - keep);
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

void setTypedText(EraseSettings& settings, std::string_view chunk, std::string_view spew)
{
    settings.chunk = chunkLines(cp1252FromUtf8(chunk));
    settings.spew = cp1252FromUtf8(spew);
    // Plain ASCII is the same bytes in both encodings.
    const auto ascii = [](std::string_view text) {
        return std::ranges::all_of(text, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    };
    settings.utf8.reset();
    if (!ascii(chunk) || !ascii(spew))
        settings.utf8 = ChunkText{chunkLines(chunk), std::string(spew)};
    settings.notInCp1252 = notInCp1252(std::string(chunk) + std::string(spew));
}

Result<bool> useUtf8Text(const EraseSettings& settings, const std::filesystem::path& file, bool utf8File)
{
    if (!utf8File && !settings.notInCp1252.empty())
        return fail(err::TypeMismatch, file.string() + ": is not UTF-8 text, and Windows-1252, which it is read as, "
                                                       "cannot hold \"" + settings.notInCp1252
                                           + "\" of the typed text; nothing was written for it");
    return utf8File && settings.utf8.has_value();
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

namespace {

// Filtered bytes are written once this many wait.
constexpr std::size_t outputBlock = 256 * 1024;

// The start of the line that holds `at`, no earlier than `from` (a line start).
std::size_t lineStartBefore(std::string_view text, std::size_t at, std::size_t from)
{
    while (at > from && !isLineBreak(text[at - 1]))
        --at;
    return at;
}

}  // namespace

EraseCopier::EraseCopier(const EraseSettings& settings, std::size_t blockSize)
    : filter_(settings.chunk, settings.spew, settings.options),
      utf8Filter_(settings.utf8 ? std::make_optional<ChunkFilter>(settings.utf8->chunk, settings.utf8->spew, settings.options)
                                : std::nullopt),
      active_(&filter_),
      settings_(&settings),
      blockSize_(blockSize),
      // A line is never held whole unless it is longer than every chunk line.
      input_(blockSize, std::max({blockSize, filter_.longestChunkLine() + 1,
                                  utf8Filter_ ? utf8Filter_->longestChunkLine() + 1 : 0})),
      ends_(settings.ends)
{
}

Result<void> EraseCopier::writeOut(TextStream& output, std::size_t atLeast)
{
    if (out_.empty() || out_.size() < atLeast)
        return {};
    auto written = output.writeDirect(out_);
    out_.clear();
    return written;
}

Result<void> EraseCopier::open(const std::filesystem::path& input)
{
    active_ = &filter_;
    if (dependsOnEncoding(*settings_)) {
        auto utf8 = andThen(isUtf8Text(input), [&](bool isUtf8) { return useUtf8Text(*settings_, input, isUtf8); });
        if (!utf8)
            return std::unexpected(std::move(utf8.error()));
        if (*utf8)
            active_ = &*utf8Filter_;
    }
    active_->reset();
    out_.clear();
    return input_.open(input);
}

Result<bool> EraseCopier::isUtf8Text(const std::filesystem::path& input)
{
    if (auto opened = input_.open(input); !opened)
        return std::unexpected(std::move(opened.error()));
    const auto head = input_.peek(binaryProbeSize);
    if (!head)
        return std::unexpected(std::move(head.error()));
    if (looksBinary(*head)) {
        input_.close();
        return false;
    }
    Utf8Check check;
    for (;;) {
        const auto next = input_.next();
        if (!next)
            return std::unexpected(std::move(next.error()));
        if (next->empty())
            break;
        check.add(*next);
    }
    input_.close();
    return check.valid();
}

Result<void> EraseCopier::copyTo(TextStream& output)
{
    const auto head = input_.peek(binaryProbeSize);
    if (!head)
        return std::unexpected(std::move(head.error()));
    binary_ = looksBinary(*head);
    if (binary_)
        return copyAsIs(output);
    for (;;) {
        auto next = input_.next();
        if (!next)
            return std::unexpected(std::move(next.error()));
        std::string_view lines = *next;
        if (lines.empty())
            break;
        if (input_.partial()) {
            auto rest = copyLongLine(lines, output);
            if (!rest)
                return std::unexpected(std::move(rest.error()));
            lines = *rest;
        }
        if (auto copied = copyLines(lines, output); !copied)
            return copied;
    }
    input_.close();
    active_->finish(out_);
    return writeOut(output, 0);
}

Result<void> EraseCopier::copyAsIs(TextStream& output)
{
    for (;;) {
        auto next = input_.next();
        if (!next)
            return std::unexpected(std::move(next.error()));
        if (next->empty())
            break;
        if (auto written = output.writeDirect(*next); !written)
            return written;
    }
    input_.close();
    return {};
}

Result<void> EraseCopier::copyLines(std::string_view lines, TextStream& output)
{
    std::size_t pos = 0;
    while (pos < lines.size()) {
        if (!active_->holding()) {
            // The lines before the next one that holds the trigger cannot start a chunk: the
            // filter would write each as read with CR LF, so they skip it.
            const std::size_t trigger = active_->findTrigger(lines, pos);
            std::size_t stretchEnd = lines.size();
            if (trigger != std::string_view::npos)
                stretchEnd = lineStartBefore(lines, trigger, pos);
            if (stretchEnd > pos) {
                if (auto written = copyUnmatched(lines.substr(pos, stretchEnd - pos), output); !written)
                    return written;
                pos = stretchEnd;
                continue;
            }
        }
        const std::size_t end = lineEndFrom(lines, pos);
        active_->push(lines.substr(pos, end - pos), out_, lineEndOut(lines, end, ends_));
        pos = afterLineEnd(lines, end);
        if (auto written = writeOut(output, outputBlock); !written)
            return written;
    }
    return {};
}

Result<void> EraseCopier::copyUnmatched(std::string_view lines, TextStream& output)
{
    if (ends_ == LineEnds::CrLf && !allLineEndsCrLf(lines)) {
        for (std::size_t pos = 0; pos < lines.size();) {
            const std::size_t end = lineEndFrom(lines, pos);
            out_.append(lines.substr(pos, end - pos)).append(crlf);
            pos = afterLineEnd(lines, end);
        }
    } else if (out_.empty() && lines.size() >= outputBlock) {
        return output.writeDirect(lines);  // the copy's bytes already: straight from the read buffer
    } else {
        out_ += lines;
    }
    return writeOut(output, outputBlock);
}

Result<std::string_view> EraseCopier::copyLongLine(std::string_view firstPart, TextStream& output)
{
    const std::uint64_t offset = input_.runOffset();
    std::uint64_t size = firstPart.size();
    ChunkFilter::LongLine test(*active_);
    test.add(firstPart);
    std::string_view rest, lineEnd;
    for (;;) {
        auto next = input_.next();
        if (!next)
            return std::unexpected(std::move(next.error()));
        if (input_.partial()) {
            size += next->size();
            test.add(*next);
            continue;
        }
        const std::size_t end = lineEndFrom(*next, 0);  // the line's last part ends here
        test.add(next->substr(0, end));
        size += end;
        lineEnd = lineEndOut(*next, end, ends_);
        rest = next->substr(afterLineEnd(*next, end));
        break;
    }
    if (auto written = writeOut(output, 0); !written)
        return std::unexpected(std::move(written.error()));
    if (active_->holding() || test.mayStartChunk()) {
        // It may belong to a chunk: held whole, like any other line, but handed over with its
        // room (and room for its CR LF), so that holding and writing it copy nothing.
        part_.reserve(static_cast<std::size_t>(size) + crlf.size());
        auto read = input_.reread(offset, static_cast<std::size_t>(size), part_);
        if (!read)
            return std::unexpected(std::move(read.error()));
        active_->push(std::move(part_), out_, lineEnd);
        part_.clear();  // the filter's old room for a held line, or nothing
        return rest;
    }
    // It goes out as read, read again a block at a time.
    for (std::uint64_t done = 0; done < size;) {
        const auto piece = static_cast<std::size_t>(std::min<std::uint64_t>(size - done, std::max(blockSize_, outputBlock)));
        auto copied = andThen(input_.reread(offset + done, piece, part_), [&] { return output.writeDirect(part_); });
        if (!copied)
            return std::unexpected(std::move(copied.error()));
        done += piece;
    }
    out_ += lineEnd;
    return rest;
}

Result<bool> eraseChunks(const FileSystemObject& fso, const File& tempFile,
                         const std::filesystem::path& strCopyDirParent, const EraseSettings& settings)
{
    EraseCopier copier(settings);
    return eraseChunks(fso, tempFile, strCopyDirParent, copier);
}

Result<bool> eraseChunks(const FileSystemObject& fso, const File& tempFile,
                         const std::filesystem::path& strCopyDirParent, EraseCopier& copier)
{
    if (auto opened = copier.open(tempFile.Path()); !opened)
        return std::unexpected(std::move(opened.error()));
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
    const std::uint64_t foundBefore = copier.found();
    return transformValue(writeCopy(fso, copyPath, [&](TextStream& output) { return copier.copyTo(output); }),
                          [&] { return copier.found() > foundBefore; });
}

void trollFolders(const FileSystemObject& fso, const Folder& startFolder, const std::filesystem::path& base,
                  const EraseSettings& settings, ProgressCallback progress, RunReport& report)
{
    const std::filesystem::path ownCopies = base / "copies";
    EraseCopier copier(settings);
    const bool dryRun = settings.mode == CopyMode::ListOnly;
    const WalkOptions options{.recursive = settings.recursive, .removeDebris = !dryRun, .progress = std::move(progress)};
    const WalkResult walked = walkTree(startFolder.Path(), options, [&](const WalkEntry& entry) {
        switch (entry.kind) {
        case WalkEntry::Kind::Folder:
            if (entry.path == ownCopies)
                return Visit::SkipFolder;  // never copy the copies
        {
            // The folder this one's copies go to: what killed runs left there goes. One that
            // cannot be opened (a link, above all) takes this folder's copies with it: one failure.
            if (dryRun)
                break;
            const std::filesystem::path copies = copyPathFor(entry.path / "x", base).parent_path();
            if (const auto removed = fso.removeDebris(copies)) {
                report.counts.debrisRemoved += *removed;
            } else if (removed.error().number != err::PathNotFound) {
                report.fail(copies, removed.error());
                return Visit::SkipFolder;
            }
            break;
        }
        case WalkEntry::Kind::FolderError:
            report.fail(entry.path, *entry.error);
            break;
        case WalkEntry::Kind::File:
            if (dryRun)
                report.listed.push_back(copyPathFor(entry.path, base));
            else if (auto done = eraseChunks(fso, File(entry.path), base, copier); done) {
                ++report.counts.written;
                report.counts.changed += *done ? 1 : 0;
                report.counts.binary += copier.binary() ? 1 : 0;
            } else {
                report.fail(entry.path, done.error());
            }
            break;
        }
        return Visit::Continue;
    });
    report.absorb(walked);
}

Result<RunReport> runEraseChunks(const std::filesystem::path& base, const EraseSettings& settings,
                                 ProgressCallback progress)
{
    if (settings.chunk.empty())
        return fail(err::InvalidProcedureCall,
                    "The chunk to erase is empty: type at least one line of text to find.");
    // One spelling of the base folder, so copies land below it whatever the caller passed.
    const std::filesystem::path start = absoluteFolder(base);
    const FileSystemObject fso(start);  // the copies tree is never written through a link
    return transformValue(fso.GetFolder(start), [&](const Folder& folder) {
        RunReport report;
        trollFolders(fso, folder, start, settings, std::move(progress), report);
        return report;
    });
}

}  // namespace qb
