// The TODO scanner: every line that holds the marker "TODO:", with the comment lines (lines
// holding an apostrophe) that directly follow it, grouped into blocks and listed file by file.
// A file with blocks adds to the report: the separator line, "File: " and its full path, its
// blocks (each line with CR LF, each block followed by an empty line), an empty line, the
// separator line and one more empty line.
#pragma once

#include "core/fs.h"
#include "core/walk.h"
#include "tools/scan/scanRun.h"

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qb {

inline constexpr std::string_view todoMarker = "TODO:";
inline constexpr char todoContinuationMark = '\'';
inline constexpr std::string_view todoSeparator = "*************************";
inline constexpr std::string_view todoPathPrefix = "File: ";
// A file whose name holds one of these (case respected) is not read.
inline constexpr std::array<std::string_view, 4> todoSkipList = {".bmp", ".zip", ".gif", ".jpg"};

// Appends the blocks of one file's text to a ScanPart, with a record of each, as the text comes a
// run of whole lines at a time: a block may go on from one run into the next, and line numbers
// count on. A block starts at a line holding the marker and goes on while the next line holds the
// continuation mark (also when that is the last line). The line that ends a block is tested for
// the marker like any other, so no marker line is lost.
class TodoBlocks {
public:
    void appendRun(std::string_view lines, bool last, ScanPart& part);
    // The text has ended: closes a block still open.
    void end(ScanPart& part);

private:
    // Adds the next line of the open block.
    void addToBlock(std::string_view line, ScanPart& part);
    void closeBlock(ScanPart& part);

    std::uint64_t line_ = 1;  // the line number at the run's `counted_`
    std::size_t counted_ = 0;
    bool open_ = false;       // a block goes on while lines hold the continuation mark
    Record block_;
};

// The scanner that findTodos runs on each file.
std::unique_ptr<FileScanner> todoScanner();
using TodoScannerMaker = std::function<std::unique_ptr<FileScanner>()>;

// Completes a file's part of the report once its blocks are in: the heading in front (made in
// `head`) and the lines after them; an empty part (no block) stays empty. With `led`, the heading
// went in front earlier (leadTodoPart) and only the lines after the blocks are added.
void frameTodoPart(const std::filesystem::path& file, ScanPart& part, ScanPart& head, bool led = false);

// What the TODO scanners share: each file's part framed as frameTodoPart frames it, and led
// (the heading put in front) when its blocks are to be handed on before the file ends.
class FramedTodoScanner : public FileScanner {
public:
    bool lead(ScanPart& part) override;

protected:
    // A derived scanner's start calls startFraming, and its finish calls frame.
    void startFraming(const std::filesystem::path& file) { file_ = &file; }
    void frame(ScanPart& part);

    const std::filesystem::path* file_ = nullptr;

private:
    ScanPart head_;
    bool led_ = false;  // the heading went in front before the file ended
};

// The report for every file below `myFolder`; a request on `stop` cancels it (scanRun.h); `make`
// makes the scanner of each worker.
ScanReport findTodos(const Folder& myFolder, ProgressCallback progress = {}, std::stop_token stop = {},
                     const TodoScannerMaker& make = todoScanner);
// The report for each path in order: a folder as findTodos walks it, a file by itself.
ScanReport findTodosIn(const std::vector<std::filesystem::path>& paths, ProgressCallback progress = {},
                       ScanOutput output = {}, std::stop_token stop = {},
                       const TodoScannerMaker& make = todoScanner);

}  // namespace qb
