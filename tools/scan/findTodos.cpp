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

void appendFileBlocks(std::string& report, const std::filesystem::path& path, std::string_view blocks)
{
    report += todoSeparator;
    report += crlf;
    report += todoPathPrefix;
    report += path.native();
    report += crlf;
    report += blocks;
    report += crlf;
    report += todoSeparator;
    report += crlf;
    report += crlf;
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
    ScanRun run(std::move(progress));
    std::string blocks;
    run.walk(myFolder, [&](const File& file) {
        if (nameHasFragment(fileNameOf(file.Path()), todoSkipList))
            return;
        const auto bytes = run.read(file);
        if (!bytes)
            return;
        blocks.clear();
        appendTodoBlocks(*bytes, blocks);
        if (!blocks.empty())
            appendFileBlocks(run.text(), file.Path(), blocks);
    });
    return run.finish();
}

}  // namespace qb
