#include "tools/scan/findTodos.h"

#include "shell/mdlText.h"
#include "tools/scan/lines.h"

#include <cstring>

namespace qb {

namespace {

bool holdsContinuationMark(std::string_view line)
{
    return std::memchr(line.data(), todoContinuationMark, line.size()) != nullptr;
}

// Fills `part` with the file's part of the report, or leaves it empty when it holds no block.
void appendFileBlocks(const File& file, std::string_view text, ScanPart& part)
{
    part.addLine(todoSeparator, {}, 0);
    part.addLine(todoPathPrefix, file.Path().native(), 1);
    const std::size_t blocksStart = part.text.size();
    appendTodoBlocks(text, part);
    if (part.text.size() == blocksStart) {
        part.clear();
        return;
    }
    part.addLine({}, {}, 0);
    part.addLine(todoSeparator, {}, 0);
    part.addLine({}, {}, 0);
}

template <class Walk>
ScanReport scanTodos(ProgressCallback progress, Walk walk)
{
    std::vector<FileScanner> scanners(scanWorkerCount(), [](const File& file, std::string_view bytes, ScanPart& part) {
        appendFileBlocks(file, bytes, part);
        return Result<void>();
    });
    ScanRun run(std::move(progress), std::move(scanners));
    walk(run, [&](const File& file) {
        if (!nameHasFragment(fileNameOf(file.Path()), todoSkipList))
            run.scan(file);
    });
    return run.finish();
}

}  // namespace

void appendTodoBlocks(std::string_view text, ScanPart& part)
{
    // The marker holds no line break, so searching the whole text finds exactly the lines that
    // hold it, and lines between markers are never split. `pos` is always a line start; line
    // numbers are counted only up to the lines reported.
    std::size_t pos = 0;
    std::size_t counted = 0;       // a line start whose line number is known
    std::uint64_t countedLine = 1;
    while (pos < text.size()) {
        const std::size_t marker = findBytes(text, todoMarker, pos);
        if (marker == std::string_view::npos)
            return;
        std::size_t start = marker;
        while (start > pos && !isLineBreak(text[start - 1]))
            --start;
        countedLine += countLineBreaks(text, counted, start);
        Record block{.line = countedLine, .kind = RecordKind::Todo, .text = {}};
        std::uint64_t line = countedLine;
        std::size_t end = lineEndFrom(text, marker);
        for (;;) {
            const std::string_view content = text.substr(start, end - start);
            part.addLine({}, content, line);
            if (line != block.line)
                block.text += '\n';
            block.text += content;
            ++line;
            start = afterLineEnd(text, end);
            if (start >= text.size())
                break;
            end = lineEndFrom(text, start);
            if (!holdsContinuationMark(text.substr(start, end - start)))
                break;  // this line ends the block; the search goes on from it
        }
        part.addLine({}, {}, 0);
        part.records.push_back(std::move(block));
        counted = start;
        countedLine = line;
        pos = start;
    }
}

ScanReport findTodos(const Folder& myFolder, ProgressCallback progress)
{
    return scanTodos(std::move(progress), [&](ScanRun& run, const auto& visit) { run.walk(myFolder, visit); });
}

ScanReport findTodosIn(const std::vector<std::filesystem::path>& paths, ProgressCallback progress)
{
    return scanTodos(std::move(progress), [&](ScanRun& run, const auto& visit) { run.walkPaths(paths, visit); });
}

}  // namespace qb
