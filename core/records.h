// What a scan found, as records for machines, and the one writer that turns a report into a file
// or a command's output. A record is one found item: the file's path, the 1-based line where the
// item starts, its kind, and its text (the lines of a TODO block joined by LF).
//
//   text      the report's own bytes, unchanged
//   csv       RFC 4180: a header row "path,line,kind,text", CR LF after every row, a field quoted
//             (quotes doubled) when it holds a comma, a quote, a CR or an LF
//   json      one array of objects {"path", "line", "kind", "text"}, one object a line, with
//             "scope" after "kind" for a declaration that has one; a path that is not valid UTF-8
//             also gets "path_bytes", the base64 of its bytes
//   markdown  a table with the same four columns; a pipe, a backslash and the inline syntax
//             * _ ` [ ] in a cell are escaped with a backslash, '&' and '<' become entities,
//             and a line break becomes <br>
//
// The three record formats are UTF-8. A file's text is decoded as fileText.h says, decided once
// per file: UTF-8 when the file is valid UTF-8, otherwise Windows-1252; its path one name at a time.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qb {

enum class RecordKind { Declaration, Todo };
// "declaration" or "todo".
std::string_view recordKindName(RecordKind kind);

struct RecordFile {
    std::filesystem::path path;
    bool utf8 = true;  // the file's bytes are valid UTF-8
};

struct Record {
    std::size_t file = 0;     // index into Records::files
    std::uint64_t line = 0;   // 1-based
    RecordKind kind = RecordKind::Todo;
    std::string text;         // bytes as read from the file
    std::string tag = {};     // when set, the kind's name in the record formats ("fixme")
    std::string scope = {};   // what a declaration is declared in ("N::A"); JSON only, when set
};

struct Records {
    std::vector<RecordFile> files;
    std::vector<Record> items;
};

enum class ReportFormat { Text, Csv, Json, Markdown };
// The format called `name` ("text", "csv", "json", "markdown"), or nothing.
std::optional<ReportFormat> reportFormatNamed(std::string_view name);

// The format a report saved as `path` takes: the one its extension names (.txt, .csv, .json,
// .md, in any case), otherwise `chosen`, the file type picked in the save dialog.
ReportFormat reportFormatForFile(const std::filesystem::path& path, ReportFormat chosen);

// The report in `format`: `text` itself for Text, the records for the others.
std::string writeReport(std::string_view text, const Records& records, ReportFormat format);

}  // namespace qb
