#include "tools/scan/commentTodos.h"

#include "core/lineEnds.h"
#include "tools/scan/lines.h"

#include <algorithm>

namespace qb {

namespace {

bool isNameByte(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_' || u >= 0x80;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

char folded(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

bool startsAt(std::string_view text, std::size_t at, std::string_view what)
{
    return text.size() - at >= what.size() && text.compare(at, what.size(), what) == 0;
}

bool startsAtFolded(std::string_view text, std::size_t at, std::string_view what)
{
    if (text.size() - at < what.size())
        return false;
    for (std::size_t i = 0; i < what.size(); ++i)
        if (folded(text[at + i]) != folded(what[i]))
            return false;
    return true;
}

bool onlyBlanksBefore(std::string_view text, std::size_t at)
{
    return std::all_of(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), isBlank);
}

// A comment line with no letter or digit in it ("//", " *", "# ----") ends a block.
bool isEmptyComment(std::string_view text)
{
    return std::none_of(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u >= 0x80;
    });
}

// Where a string that closes with `close` ends in `text` from `from`: the index of its close, or npos.
std::size_t stringClose(std::string_view text, std::size_t from, std::string_view close, const Delimited& form)
{
    std::size_t pos = from;
    const char stops[] = {close.front(), form.escape == EscapeRule::Character ? form.escapeChar : close.front(), '\0'};
    while (pos < text.size()) {
        pos = text.find_first_of(std::string_view(stops, 2), pos);
        if (pos == std::string_view::npos)
            break;
        if (form.escape == EscapeRule::Character && text[pos] == form.escapeChar) {
            pos += 2;
            continue;
        }
        if (startsAt(text, pos, close)) {
            if (form.escape == EscapeRule::Doubled && startsAt(text, pos + close.size(), close)) {
                pos += 2 * close.size();
                continue;
            }
            return pos;
        }
        ++pos;
    }
    return std::string_view::npos;
}

// The length of the UTF-8 character that starts with `c` (1 for any other byte).
std::size_t characterLength(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u >= 0xF0 ? 4 : u >= 0xE0 ? 3 : u >= 0xC0 ? 2 : 1;
}

// The marker word at `at` (of `size` bytes) stands alone: no name byte on either side.
bool standsAlone(std::string_view text, std::size_t at, std::size_t size)
{
    const std::size_t after = at + size;
    return (at == 0 || !isNameByte(text[at - 1])) && (after == text.size() || !isNameByte(text[after]));
}

// Whether a marker that stands alone in a comment stands alone in its line too: no comment of
// the syntax has an opener that ends in a name byte (=begin) or a closer that begins with one,
// so a comment's ends never cut a word. Then a line whose every occurrence of the markers'
// letters touches a name (BUG in DEBUG) holds no marker.
bool commentsKeepWords(const CommentSyntax& syntax)
{
    return std::ranges::none_of(syntax.forms, [](const Delimited& form) {
        if (!form.isComment())
            return false;
        const std::string& opener = form.kind == DelimitedKind::RawComment ? form.stop : form.open;
        return (!opener.empty() && isNameByte(opener.back())) || (!form.close.empty() && isNameByte(form.close.front()));
    });
}

}  // namespace

CommentLexer::CommentLexer(const CommentSyntax& syntax) : syntax_(&syntax)
{
    for (const Delimited& form : syntax.forms) {
        const auto add = [&](char c) {
            const auto first = static_cast<unsigned char>(c);
            first_[first] = true;
            if (std::ranges::find(byFirst_[first], &form) == byFirst_[first].end())
                byFirst_[first].push_back(&form);
        };
        add(form.open.front());
        if (form.rule == LineCommentRule::Word && folded(form.open.front()) >= 'a' && folded(form.open.front()) <= 'z') {
            add(folded(form.open.front()));
            add(static_cast<char>(folded(form.open.front()) - 32));
        }
    }
}

bool CommentLexer::line(std::string_view text, std::vector<CommentSpan>& spans)
{
    spans.clear();
    bool code = false;
    std::size_t pos = 0;
    if (open_)
        pos = goOn(text, 0, false, 0, code, spans);
    while (pos < text.size()) {
        const char c = text[pos];
        if (isBlank(c)) {
            ++pos;
            continue;
        }
        if (first_[static_cast<unsigned char>(c)]) {
            const std::size_t after = openAt(text, pos, code, spans);
            if (after != pos) {
                pos = after;
                continue;
            }
        }
        code = true;
        ++pos;
        // Past code, only a byte that may open a comment or a string matters; one that is part of
        // a name (the u of "struct") cannot open here, as openAt would find.
        while (pos < text.size() && (!first_[static_cast<unsigned char>(text[pos])] || (isNameByte(text[pos]) && isNameByte(text[pos - 1]))))
            ++pos;
    }
    return code;
}

std::size_t CommentLexer::openAt(std::string_view text, std::size_t at, bool& code, std::vector<CommentSpan>& spans)
{
    const bool afterName = at > 0 && isNameByte(text[at - 1]);
    for (const Delimited* candidate : byFirst_[static_cast<unsigned char>(text[at])]) {
        const Delimited& form = *candidate;
        if (form.rule == LineCommentRule::Word ? !startsAtFolded(text, at, form.open) : !startsAt(text, at, form.open))
            continue;
        if (afterName && isNameByte(form.open.front()))
            continue;  // the end of a name, not an opener
        std::size_t after = at + form.open.size();
        switch (form.kind) {
        case DelimitedKind::Comment: {
            bool fits = true;
            if (form.rule == LineCommentRule::AfterSpace)
                fits = at == 0 || isBlank(text[at - 1]) || std::string_view(";|&()").find(text[at - 1]) != std::string_view::npos;
            else if (form.rule == LineCommentRule::LineStart)
                fits = onlyBlanksBefore(text, at);
            else if (form.rule == LineCommentRule::Word)
                fits = (at == 0 || isBlank(text[at - 1]) || text[at - 1] == ':') && (after == text.size() || isBlank(text[after]));
            if (!fits)
                continue;
            spans.push_back(CommentSpan{.begin = after, .end = text.size(), .block = false, .opened = true, .closed = true});
            return text.size();
        }
        case DelimitedKind::LineBlockComment:
            if (!onlyBlanksBefore(text, at))
                continue;
            [[fallthrough]];
        case DelimitedKind::BlockComment:
        case DelimitedKind::NestedComment:
            open_ = &form;
            depth_ = 1;
            closing_ = form.close;
            return goOn(text, after, true, after, code, spans);
        case DelimitedKind::ValueString:
            if (at > 0 && (isNameByte(text[at - 1]) || std::string_view(")]}'\"").find(text[at - 1]) != std::string_view::npos))
                continue;  // a quote after a value is an operator (a transpose) or part of a word
            [[fallthrough]];
        case DelimitedKind::String: {
            code = true;
            const std::size_t close = stringClose(text, after, form.close, form);
            return close == std::string_view::npos ? text.size() : close + form.close.size();
        }
        case DelimitedKind::Text:
            code = true;
            open_ = &form;
            closing_ = form.close;
            return goOn(text, after, true, after, code, spans);
        case DelimitedKind::Char: {
            // 'x' or '\n'; anything else ('a as a lifetime, foldl') is code
            const char quote = form.open.back();
            if (after < text.size() && form.escape == EscapeRule::Character && text[after] == form.escapeChar) {
                const std::size_t close = text.find(quote, after + 2);
                if (close == std::string_view::npos || close > after + 12)
                    continue;
                code = true;
                return close + 1;
            }
            if (after >= text.size() || text[after] == quote)
                continue;
            const std::size_t close = after + characterLength(text[after]);
            if (close >= text.size() || text[close] != quote)
                continue;
            code = true;
            return close + 1;
        }
        case DelimitedKind::Raw:
        case DelimitedKind::RawComment: {
            std::size_t stop = after;
            if (form.delimiterChars.empty()) {
                while (stop < text.size() && stop - after <= 16 && !startsAt(text, stop, form.stop) && !isBlank(text[stop]) &&
                       text[stop] != '\\' && text[stop] != '"')
                    ++stop;
            } else {
                while (stop < text.size() && form.delimiterChars.find(text[stop]) != std::string::npos)
                    ++stop;
            }
            if (!startsAt(text, stop, form.stop))
                continue;
            closing_ = form.close + std::string(text.substr(after, stop - after)) + form.end;
            open_ = &form;
            depth_ = 1;
            if (form.kind == DelimitedKind::Raw)
                code = true;
            const std::size_t begin = stop + form.stop.size();
            return goOn(text, begin, true, begin, code, spans);
        }
        }
    }
    return at;
}

std::size_t CommentLexer::goOn(std::string_view text, std::size_t from, bool opened, std::size_t begin, bool& code,
                               std::vector<CommentSpan>& spans)
{
    const Delimited& form = *open_;
    if (!form.isComment()) {
        code = true;
        const std::size_t close = form.kind == DelimitedKind::Raw ? text.find(closing_, from) : stringClose(text, from, closing_, form);
        if (close == std::string_view::npos)
            return text.size();  // the string goes on in the next line
        open_ = nullptr;
        return close + closing_.size();
    }
    std::size_t close = std::string_view::npos;
    std::size_t after = text.size();
    if (form.kind == DelimitedKind::LineBlockComment) {
        // It closes only where its closer begins a line; the rest of that line belongs to it.
        std::size_t first = 0;
        while (first < text.size() && isBlank(text[first]))
            ++first;
        if (!opened && startsAt(text, first, closing_))
            close = first;
    } else {
        const bool nests = form.kind == DelimitedKind::NestedComment;
        for (std::size_t pos = from; pos < text.size();) {
            // Straight to the next place where the closer (or, nested, the opener) may stand.
            const std::size_t closer = text.find(closing_, pos);
            const std::size_t opener = nests ? text.find(form.open, pos) : std::string_view::npos;
            if (opener < closer) {
                ++depth_;
                pos = opener + form.open.size();
            } else if (closer != std::string_view::npos) {
                pos = closer + closing_.size();
                if (--depth_ == 0) {
                    close = closer;
                    after = pos;
                    break;
                }
            } else {
                break;
            }
        }
    }
    const bool closed = close != std::string_view::npos;
    spans.push_back(CommentSpan{.begin = begin, .end = closed ? close : text.size(), .block = true, .opened = opened, .closed = closed});
    if (closed)
        open_ = nullptr;
    return after;
}

std::vector<std::string> todoMarkersFrom(std::string_view text)
{
    std::vector<std::string> markers;
    std::size_t pos = 0;
    const auto separator = [](char c) { return c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n'; };
    while (pos < text.size()) {
        while (pos < text.size() && separator(text[pos]))
            ++pos;
        const std::size_t start = pos;
        while (pos < text.size() && !separator(text[pos]))
            ++pos;
        if (pos > start && std::ranges::find(markers, text.substr(start, pos - start)) == markers.end())
            markers.emplace_back(text.substr(start, pos - start));
    }
    return markers.empty() ? defaultTodoMarkers() : markers;
}

CommentTodoBlocks::CommentTodoBlocks(const CommentSyntax& syntax, const std::vector<std::string>& markers)
    : lexer_(syntax), markers_(&markers)
{
}

const std::string* CommentTodoBlocks::markerIn(std::string_view text) const
{
    if (!mayHoldMarker_)
        return nullptr;
    const std::string* first = nullptr;
    std::size_t firstAt = std::string_view::npos;
    for (const std::string& marker : *markers_) {
        for (std::size_t at = text.find(marker); at != std::string_view::npos && at < firstAt; at = text.find(marker, at + 1)) {
            if (standsAlone(text, at, marker.size())) {
                first = &marker;
                firstAt = at;
                break;
            }
        }
    }
    return first;
}

void CommentTodoBlocks::include(std::string_view line, std::uint64_t number, ScanPart& part)
{
    part.addFileLine({}, line, number);
    if (part.detailed) {
        if (number != block_.line)
            block_.text += '\n';
        block_.text += line;
    }
}

void CommentTodoBlocks::close(ScanPart& part)
{
    part.addLine({}, {}, 0);
    if (part.detailed)
        part.records.push_back(std::move(block_));
    block_ = {};
    open_ = Open::None;
}

void CommentTodoBlocks::end(ScanPart& part)
{
    if (open_ != Open::None)
        close(part);
}

void CommentTodoBlocks::addLine(std::string_view line, std::uint64_t number, ScanPart& part, bool mayHoldMarker)
{
    mayHoldMarker_ = mayHoldMarker;
    const bool code = lexer_.line(line, spans_);
    const auto textOf = [&](const CommentSpan& span) { return line.substr(span.begin, span.end - span.begin); };
    if (open_ == Open::BlockComment) {
        // Its block comment goes on in this line's first span.
        const CommentSpan& span = spans_.front();
        const std::string_view text = textOf(span);
        if (!markerIn(text) && !isEmptyComment(text)) {
            include(line, number, part);
            if (span.closed)
                close(part);
            return;
        }
        close(part);
    } else if (open_ == Open::LineComment) {
        if (!code && spans_.size() == 1 && !spans_.front().block) {
            const std::string_view text = textOf(spans_.front());
            if (!markerIn(text) && !isEmptyComment(text)) {
                include(line, number, part);
                return;
            }
        }
        close(part);
    }
    for (const CommentSpan& span : spans_) {
        const std::string* marker = markerIn(textOf(span));
        if (!marker)
            continue;
        std::string kind = *marker;
        std::ranges::transform(kind, kind.begin(), folded);
        block_ = Record{.line = number, .kind = RecordKind::Todo, .text = {}, .tag = std::move(kind)};
        include(line, number, part);
        if (!span.block)
            open_ = Open::LineComment;
        else if (span.closed)
            close(part);
        else
            open_ = Open::BlockComment;
        return;
    }
}

namespace {

// The TODO scanner of one worker in the "By file type" mode.
class TypeTodoScanner final : public FramedTodoScanner {
public:
    explicit TypeTodoScanner(const TodoTypeOptions& options) : options_(options)
    {
        table_ = options_.table ? options_.table.get() : &SyntaxTable::builtIn();
    }

    void start(const std::filesystem::path& file, ScanPart&) override
    {
        startFraming(file);
        line_ = 1;
        blocks_.reset();
        classic_.reset();
        syntax_ = table_->byName(fileNameOf(file));
        decided_ = syntax_ != nullptr;
        keepsWords_ = syntax_ && commentsKeepWords(*syntax_);
    }

    Result<void> scan(std::string_view lines, bool last, ScanPart& part) override
    {
        if (!decided_) {
            decided_ = true;
            syntax_ = table_->byFirstLine(lines.substr(0, lineEndFrom(lines, 0)));
            keepsWords_ = syntax_ && commentsKeepWords(*syntax_);
        }
        if (!syntax_) {
            if (!classic_)
                classic_.emplace();
            classic_->appendRun(lines, last, part);
            return {};
        }
        if (!blocks_)
            blocks_.emplace(*syntax_, options_.markers);
        // Where each marker word next stands in the run, found once per occurrence: a line with
        // none in it needs its comments followed but not searched. Where the syntax lets, an
        // occurrence inside a longer name is passed over too.
        nextAt_.assign(options_.markers.size(), 0);
        std::size_t next = 0;  // the nearest of them
        const auto findMarker = [&](const std::string& marker, std::size_t from) {
            for (;;) {
                const std::size_t at = marker.size() >= 2 ? findBytes(lines, marker, from) : lines.find(marker, from);
                if (at == std::string_view::npos || !keepsWords_ || standsAlone(lines, at, marker.size()))
                    return at;
                from = at + 1;
            }
        };
        const auto findNext = [&](std::size_t from) {
            next = std::string_view::npos;
            for (std::size_t m = 0; m < nextAt_.size(); ++m) {
                if (nextAt_[m] <= from)  // passed, or not looked for yet in this run
                    nextAt_[m] = findMarker(options_.markers[m], from);
                next = std::min(next, nextAt_[m]);
            }
        };
        findNext(0);
        for (std::size_t pos = 0; pos < lines.size();) {
            // The rest of the file holds no marker and no block is open: nothing more can be
            // found, so its comments need not be followed (most files hold no marker at all).
            if (last && next == std::string_view::npos && !blocks_->open())
                break;
            const std::size_t end = lineEndFrom(lines, pos);
            blocks_->addLine(lines.substr(pos, end - pos), line_++, part, next < end);
            pos = afterLineEnd(lines, end);
            if (next < pos)
                findNext(pos);
        }
        return {};
    }

    void finish(ScanPart& part) override
    {
        if (blocks_)
            blocks_->end(part);
        if (classic_)
            classic_->end(part);
        frame(part);
    }

private:
    const TodoTypeOptions& options_;
    const SyntaxTable* table_;
    const CommentSyntax* syntax_ = nullptr;
    bool decided_ = false;
    bool keepsWords_ = false;  // commentsKeepWords of the syntax
    std::uint64_t line_ = 1;
    std::optional<CommentTodoBlocks> blocks_;
    std::optional<TodoBlocks> classic_;
    std::vector<std::size_t> nextAt_;  // where each marker next stands in the run being scanned
};

}  // namespace

std::unique_ptr<FileScanner> todoScannerByType(const TodoTypeOptions& options)
{
    return std::make_unique<TypeTodoScanner>(options);
}

ScanReport findTodosByType(const Folder& myFolder, const TodoTypeOptions& options, ProgressCallback progress,
                           std::stop_token stop)
{
    return findTodos(myFolder, std::move(progress), std::move(stop), [&] { return todoScannerByType(options); });
}

ScanReport findTodosByTypeIn(const std::vector<std::filesystem::path>& paths, const TodoTypeOptions& options,
                             ProgressCallback progress, ScanOutput output, std::stop_token stop)
{
    return findTodosIn(paths, std::move(progress), std::move(output), std::move(stop), [&] { return todoScannerByType(options); });
}

}  // namespace qb
