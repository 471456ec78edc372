// Comment and string syntax by file type, for the scanners' "By file type" mode. The languages
// are data, not code: one table in a small text format (below) that maps file names, extensions
// and the interpreters of shebang lines to each language's line comments, block comments and
// string literals. The built-in table is written in that format too; a user's file in the data
// folder (languages.txt) is read after it, so it can add languages or replace them.
//
//   # a comment line; blank lines are ignored
//   language NAME                 starts a language (NAME is the rest of the line, any case); a
//                                 NAME already known keeps its names and extensions, and the
//                                 comments and strings that follow, if any, replace its own
//   extensions EXT...             file name extensions, without the dot, any case ("cpp h")
//   names NAME...                 whole file names, any case ("Makefile CMakeLists.txt")
//   interpreters NAME...          programs of a "#!" first line ("python3"; "/usr/bin/env X" names X)
//   line OPEN...                  a comment to the end of the line
//   spaced-line OPEN...           the same, only at the line's start or after white space or ; | & ( )
//   start-line OPEN...            the same, only as the first thing on a line
//   word-line OPEN...             the same, a word in any case at a statement's start (REM)
//   block OPEN CLOSE              a block comment
//   nested OPEN CLOSE             a block comment that nests
//   line-block OPEN CLOSE         a block comment whose OPEN and CLOSE begin their lines (=begin =end)
//   string OPEN CLOSE ESCAPE      a string on one line; ESCAPE is one character, "double" (CLOSE
//                                 twice stands for itself) or "none"
//   text OPEN CLOSE ESCAPE        a string that may span lines
//   value-string OPEN CLOSE ESCAPE  a one-line string that does not open right after a name, a
//                                 number or a closing bracket (so don't and a' stay code)
//   char OPEN ESCAPE              a character literal: OPEN, one character or an escape, OPEN
//                                 again; anything else (a lifetime 'a) stays code
//   raw OPEN DELIMITER STOP CLOSE END   a raw string: OPEN, a delimiter made of the characters
//                                 DELIMITER ("any" for any but white space), STOP; it ends at
//                                 CLOSE, the same delimiter and END ("-" for nothing)
//   raw-comment OPEN DELIMITER STOP CLOSE END   the same shape for a comment (Lua's --[==[ ]==])
//
// A name, extension or interpreter given again belongs to the language that named it last.
// An opener that begins with a letter does not open after a letter, digit or underscore. Where
// several openers start at one place, the longest that fits wins.
#pragma once

#include "core/error.h"

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qb {

enum class LineCommentRule { Anywhere, AfterSpace, LineStart, Word };
enum class EscapeRule { None, Character, Doubled };
enum class DelimitedKind { Comment, BlockComment, NestedComment, LineBlockComment, String, Text, ValueString, Char, Raw, RawComment };

// One way a comment or a string opens and closes.
struct Delimited {
    DelimitedKind kind = DelimitedKind::String;
    std::string open;
    std::string close = {};                         // a raw form: what comes before the delimiter
    LineCommentRule rule = LineCommentRule::Anywhere;  // line comments
    EscapeRule escape = EscapeRule::None;
    char escapeChar = 0;
    std::string delimiterChars = {};  // raw forms: the characters a delimiter is made of; empty: any
    std::string stop = {};            // raw forms: what ends the delimiter after OPEN
    std::string end = {};             // raw forms: what comes after the delimiter in the close

    bool isComment() const
    {
        return kind == DelimitedKind::Comment || kind == DelimitedKind::BlockComment ||
               kind == DelimitedKind::NestedComment || kind == DelimitedKind::LineBlockComment ||
               kind == DelimitedKind::RawComment;
    }
};

struct CommentSyntax {
    std::string name;
    std::vector<Delimited> forms;
};

// The languages and what picks each one.
class SyntaxTable {
public:
    // The built-in table.
    static const SyntaxTable& builtIn();
    // The built-in table with `text` (the format above) read after it; an error names `source` and
    // the line.
    static Result<SyntaxTable> withUserText(std::string_view text, std::string_view source);
    // The built-in table with the file `path` read after it when it exists.
    static Result<std::shared_ptr<const SyntaxTable>> load(const std::filesystem::path& path);

    // The language for a file called `fileName` (no folder) whose first line is `firstLine`:
    // by whole name, then by extension, then by a "#!" first line; nullptr when none fits.
    const CommentSyntax* find(std::string_view fileName, std::string_view firstLine) const;
    // The language for a file by its name alone (nullptr: none, or only its first line can tell).
    const CommentSyntax* byName(std::string_view fileName) const;
    const CommentSyntax* byFirstLine(std::string_view firstLine) const;
    const CommentSyntax* named(std::string_view name) const;
    const std::vector<std::unique_ptr<CommentSyntax>>& languages() const { return languages_; }

private:
    Result<void> read(std::string_view text, std::string_view source);

    std::vector<std::unique_ptr<CommentSyntax>> languages_;
    std::map<std::string, const CommentSyntax*, std::less<>> names_, extensions_, interpreters_;  // keys lower case
};

// The name of the user's file of languages in the data folder.
inline constexpr std::string_view languagesFileName = "languages.txt";

}  // namespace qb
