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

// Appends the file's part of the report to `part`, or nothing when it holds no block.
void appendFileBlocks(const File& file, std::string_view text, std::string& part)
{
    const std::size_t start = part.size();
    part += todoSeparator;
    part += crlf;
    part += todoPathPrefix;
    part += file.Path().native();
    part += crlf;
    const std::size_t blocksStart = part.size();
    appendTodoBlocks(text, part);
    if (part.size() == blocksStart) {
        part.resize(start);
        return;
    }
    part += crlf;
    part += todoSeparator;
    part += crlf;
    part += crlf;
}

}  // namespace

void appendTodoBlocks(std::string_view text, std::string& out)
{
    // The marker holds no line break, so searching the whole text finds exactly the lines that
    // hold it, and lines between markers are never split. `pos` is always a line start.
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t marker = findBytes(text, todoMarker, pos);
        if (marker == std::string_view::npos)
            return;
        std::size_t start = marker;
        while (start > pos && !isLineBreak(text[start - 1]))
            --start;
        std::size_t end = lineEndFrom(text, marker);
        for (;;) {
            out += text.substr(start, end - start);
            out += crlf;
            start = afterLineEnd(text, end);
            if (start >= text.size())
                break;
            end = lineEndFrom(text, start);
            if (!holdsContinuationMark(text.substr(start, end - start)))
                break;  // this line ends the block; the search goes on from it
        }
        out += crlf;
        pos = start;
    }
}

ScanReport findTodos(const Folder& myFolder, ProgressCallback progress)
{
    std::vector<FileScanner> scanners(scanWorkerCount(), [](const File& file, std::string_view bytes, std::string& part) {
        appendFileBlocks(file, bytes, part);
        return Result<void>();
    });
    ScanRun run(std::move(progress), std::move(scanners));
    run.walk(myFolder, [&](const File& file) {
        if (!nameHasFragment(fileNameOf(file.Path()), todoSkipList))
            run.scan(file);
    });
    return run.finish();
}

}  // namespace qb
