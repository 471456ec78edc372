// TODO blocks by file type: the TODO scanner's "By file type" mode. Each file's language comes
// from the syntax table (commentSyntax.h); a lexer follows its comments and strings line by line,
// and a marker counts only inside a comment, never in a string or in code. A file of no known
// type is scanned by the Classic rules (findTodos.h).
//
// A marker is one of a list of words (default TODO FIXME HACK XXX BUG, case respected) that stands
// as a whole word, so "TODO", "TODO:", "TODO(ann):" all count and "TODOS" or "@todo" do not. A
// block is the line of the marker's comment and the comment lines that directly follow: for a
// line comment, the following lines that hold nothing but a line comment; for a block comment,
// its following lines. It ends at code, at a comment line with no letter or digit in it (an
// empty comment line such as "//" or " *"), at a line holding a marker (which starts the next
// block), and at the end of its block comment. Lines are reported exactly as the file holds
// them, in the Classic report's shape; each block's record has the marker in lower case as kind.
#pragma once

#include "core/fs.h"
#include "tools/scan/commentSyntax.h"
#include "tools/scan/findTodos.h"
#include "tools/scan/scanRun.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qb {

// The comment text of one line: bytes [begin, end) of the line, without the comment's opener or
// closer.
struct CommentSpan {
    std::size_t begin = 0;
    std::size_t end = 0;
    bool block = false;   // part of a block comment (a line comment otherwise)
    bool opened = false;  // the comment opens on this line (a block comment may go on from above)
    bool closed = true;   // a block comment closes on this line

    friend bool operator==(const CommentSpan&, const CommentSpan&) = default;
};

// Follows one file's comments and strings, a line at a time.
class CommentLexer {
public:
    explicit CommentLexer(const CommentSyntax& syntax);

    // Reads the next line (without its line end) into `spans`; true when the line holds code (a
    // string counts as code).
    bool line(std::string_view text, std::vector<CommentSpan>& spans);

private:
    // Tries the forms that may open at `at`; the index after what was read, or `at` when none fits.
    std::size_t openAt(std::string_view text, std::size_t at, bool& code, std::vector<CommentSpan>& spans);
    // Goes on with the comment or string open at `from`; the index after its close, or the line's end.
    std::size_t goOn(std::string_view text, std::size_t from, bool opened, std::size_t begin, bool& code,
                     std::vector<CommentSpan>& spans);

    const CommentSyntax* syntax_;
    bool first_[256] = {};        // bytes that some form's opener begins with
    std::vector<const Delimited*> byFirst_[256];  // the forms each byte may open, longest first
    const Delimited* open_ = nullptr;  // a block comment or a string still open at the line's end
    int depth_ = 0;               // of a nested comment
    std::string closing_;         // what closes `open_`
};

inline const std::vector<std::string>& defaultTodoMarkers()
{
    static const std::vector<std::string> markers = {"TODO", "FIXME", "HACK", "XXX", "BUG"};
    return markers;
}

// The markers given in `text`, separated by white space or commas; the defaults when there are none.
std::vector<std::string> todoMarkersFrom(std::string_view text);

// The TODO blocks of one file of a known type, line by line.
class CommentTodoBlocks {
public:
    CommentTodoBlocks(const CommentSyntax& syntax, const std::vector<std::string>& markers);
    // Line `number` of the file, without its line end. `mayHoldMarker` false says that no marker
    // word stands anywhere in the line, so its comments need not be searched for one.
    void addLine(std::string_view line, std::uint64_t number, ScanPart& part, bool mayHoldMarker = true);
    // The file has ended.
    void end(ScanPart& part);
    // A block is open and may go on in the next line.
    bool open() const { return open_ != Open::None; }

private:
    enum class Open { None, LineComment, BlockComment };
    // The first marker in span, or nullptr.
    const std::string* markerIn(std::string_view text) const;
    bool mayHoldMarker_ = true;  // of the line being added
    void include(std::string_view line, std::uint64_t number, ScanPart& part);
    void close(ScanPart& part);

    CommentLexer lexer_;
    const std::vector<std::string>* markers_;
    std::vector<CommentSpan> spans_;
    Open open_ = Open::None;
    Record block_;
};

// What the "By file type" TODO scan uses.
struct TodoTypeOptions {
    std::shared_ptr<const SyntaxTable> table;  // the built-in table when null
    std::vector<std::string> markers = defaultTodoMarkers();
};

std::unique_ptr<FileScanner> todoScannerByType(const TodoTypeOptions& options);

// The report for every file below `myFolder`, by file type.
ScanReport findTodosByType(const Folder& myFolder, const TodoTypeOptions& options, ProgressCallback progress = {},
                           std::stop_token stop = {});
// The same for each path in order, as findTodosIn walks them.
ScanReport findTodosByTypeIn(const std::vector<std::filesystem::path>& paths, const TodoTypeOptions& options,
                             ProgressCallback progress = {}, ScanOutput output = {}, std::stop_token stop = {});

}  // namespace qb
