#include "tools/scan/findTodos.h"

#include "core/mdlText.h"
#include "tools/scan/lines.h"

#include <cstring>
#include <utility>

namespace qb {

namespace {

bool holdsContinuationMark(std::string_view line)
{
    return std::memchr(line.data(), todoContinuationMark, line.size()) != nullptr;
}

class TodoScanner final : public FramedTodoScanner {
public:
    void start(const std::filesystem::path& file, ScanPart&) override
    {
        startFraming(file);
        blocks_ = TodoBlocks();
    }

    Result<void> scan(std::string_view lines, bool last, ScanPart& part) override
    {
        blocks_.appendRun(lines, last, part);
        return {};
    }

    void finish(ScanPart& part) override
    {
        blocks_.end(part);
        frame(part);
    }

private:
    TodoBlocks blocks_;
};

template <class Walk>
ScanReport scanTodos(const TodoScannerMaker& make, ProgressCallback progress, Walk walk, ScanOutput output,
                     std::stop_token stop)
{
    FileScanners scanners;
    for (std::size_t i = scanThreadCount(); i > 0; --i)
        scanners.push_back(make());
    ScanRun run(std::move(progress), std::move(scanners), std::move(output), std::move(stop));
    walk(run, [&](const std::filesystem::path& file) {
        if (!nameHasFragment(fileNameOf(file), todoSkipList))
            run.scan(file);
    });
    return run.finish();
}

// Puts the heading in front of a part whose blocks are not all in yet.
void leadTodoPart(const std::filesystem::path& file, ScanPart& part, ScanPart& head)
{
    head.clear();
    head.addLine(todoSeparator, {}, 0);
    head.addLine(todoPathPrefix, file.native(), 1);
    part.prepend(head);
}

}  // namespace

void frameTodoPart(const std::filesystem::path& file, ScanPart& part, ScanPart& head, bool led)
{
    if (!led) {
        if (part.text.empty())
            return;  // no block: the file is not listed
        // The heading, only for files that are listed.
        leadTodoPart(file, part, head);
    }
    part.addLine({}, {}, 0);
    part.addLine(todoSeparator, {}, 0);
    part.addLine({}, {}, 0);
}

bool FramedTodoScanner::lead(ScanPart& part)
{
    if (!std::exchange(led_, true))
        leadTodoPart(*file_, part, head_);
    return true;
}

void FramedTodoScanner::frame(ScanPart& part)
{
    frameTodoPart(*file_, part, head_, std::exchange(led_, false));
}

std::unique_ptr<FileScanner> todoScanner()
{
    return std::make_unique<TodoScanner>();
}

void TodoBlocks::addToBlock(std::string_view line, ScanPart& part)
{
    part.addFileLine({}, line, line_);
    if (part.detailed) {
        if (line_ != block_.line)
            block_.text += '\n';
        block_.text += line;
    }
    ++line_;
}

void TodoBlocks::closeBlock(ScanPart& part)
{
    part.addLine({}, {}, 0);
    if (part.detailed)
        part.records.push_back(std::move(block_));
    open_ = false;
}

void TodoBlocks::end(ScanPart& part)
{
    if (open_)
        closeBlock(part);
}

void TodoBlocks::appendRun(std::string_view text, bool last, ScanPart& part)
{
    // The marker holds no line break, so searching the whole run finds exactly the lines that
    // hold it, and lines between markers are never split. `pos` is always a line start; line
    // numbers are counted only up to the lines reported, and to the run's end when another
    // run follows.
    std::size_t pos = 0;
    // A block that the last run left open goes on while this run's lines hold the mark.
    while (open_) {
        const std::size_t end = lineEndFrom(text, pos);
        const std::string_view content = text.substr(pos, end - pos);
        if (!holdsContinuationMark(content)) {
            closeBlock(part);  // this line ends the block; the search goes on from it
            break;
        }
        addToBlock(content, part);
        pos = afterLineEnd(text, end);
        if (pos >= text.size())
            return;  // the block may go on in the next run
    }
    counted_ = pos;
    while (pos < text.size()) {
        const std::size_t marker = findBytes(text, todoMarker, pos);
        if (marker == std::string_view::npos)
            break;
        std::size_t start = marker;
        while (start > pos && !isLineBreak(text[start - 1]))
            --start;
        if (part.detailed)  // line numbers are only kept with the places and records
            line_ += countLineBreaks(text, counted_, start);
        block_ = Record{.line = line_, .kind = RecordKind::Todo, .text = {}};
        open_ = true;
        std::size_t end = lineEndFrom(text, marker);
        for (;;) {
            addToBlock(text.substr(start, end - start), part);
            start = afterLineEnd(text, end);
            if (start >= text.size())
                return;  // the block may go on in the next run
            end = lineEndFrom(text, start);
            if (!holdsContinuationMark(text.substr(start, end - start))) {
                closeBlock(part);  // this line ends the block; the search goes on from it
                break;
            }
        }
        counted_ = start;
        pos = start;
    }
    if (!last && part.detailed)
        line_ += countLineBreaks(text, counted_, text.size());
}

ScanReport findTodos(const Folder& myFolder, ProgressCallback progress, std::stop_token stop, const TodoScannerMaker& make)
{
    return scanTodos(make, std::move(progress), [&](ScanRun& run, const auto& visit) { run.walk(myFolder, visit); },
                     ScanDetail::Full, std::move(stop));
}

ScanReport findTodosIn(const std::vector<std::filesystem::path>& paths, ProgressCallback progress, ScanOutput output,
                       std::stop_token stop, const TodoScannerMaker& make)
{
    return scanTodos(make, std::move(progress), [&](ScanRun& run, const auto& visit) { run.walkPaths(paths, visit); }, std::move(output),
                     std::move(stop));
}

}  // namespace qb
