#include "core/records.h"

#include "core/fileText.h"
#include "core/mdlText.h"

#include <array>

extern "C" {
#include <b64/cencode.h>
}

namespace qb {

namespace {

// One record's four fields, decoded to UTF-8, and the path's own bytes.
struct Fields {
    std::string path;
    std::string_view pathBytes;
    std::string line;
    std::string_view kind;
    std::string text;
    std::string_view scope;
};

template <class Row>
void forEachRecord(const Records& records, Row&& row)
{
    std::vector<std::string> paths;  // each file's path decoded once
    paths.reserve(records.files.size());
    for (const RecordFile& file : records.files)
        paths.push_back(decodePath(file.path.native()));
    for (const Record& record : records.items) {
        const RecordFile& file = records.files.at(record.file);
        row(Fields{paths[record.file], file.path.native(), std::to_string(record.line),
                   record.tag.empty() ? recordKindName(record.kind) : std::string_view(record.tag),
                   decodeFileText(record.text, file.utf8), record.scope});
    }
}

void appendCsvField(std::string& out, std::string_view field)
{
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += field;
        return;
    }
    out += '"';
    for (const char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

std::string writeCsv(const Records& records)
{
    std::string out = "path,line,kind,text\r\n";
    forEachRecord(records, [&](const Fields& f) {
        appendCsvField(out, f.path);
        out += ',';
        out += f.line;
        out += ',';
        out += f.kind;
        out += ',';
        appendCsvField(out, f.text);
        out += "\r\n";
    });
    return out;
}

void appendJsonString(std::string& out, std::string_view text)
{
    static constexpr char hex[] = "0123456789abcdef";
    out += '"';
    for (const char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                out += "\\u00";
                out += hex[(c >> 4) & 0xF];
                out += hex[c & 0xF];
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

// Standard base64 (RFC 4648, with padding, on one line).
std::string base64(std::string_view bytes)
{
    std::string out(bytes.size() * 2 + 8, '\0');
    base64_encodestate state;
    base64_init_encodestate(&state);
    std::size_t n = static_cast<std::size_t>(base64_encode_block(bytes.data(), static_cast<int>(bytes.size()), out.data(), &state));
    n += static_cast<std::size_t>(base64_encode_blockend(out.data() + n, &state));
    out.resize(n);
    std::erase(out, '\n');  // the library breaks its lines
    return out;
}

std::string writeJson(const Records& records)
{
    std::string out = "[";
    bool first = true;
    forEachRecord(records, [&](const Fields& f) {
        out += first ? "\n  {\"path\": " : ",\n  {\"path\": ";
        first = false;
        appendJsonString(out, f.path);
        // A path that is not UTF-8 cannot be told from its decoded text: its bytes go beside it.
        if (!isValidUtf8(f.pathBytes)) {
            out += ", \"path_bytes\": \"";
            out += base64(f.pathBytes);
            out += '"';
        }
        out += ", \"line\": ";
        out += f.line;
        out += ", \"kind\": ";
        appendJsonString(out, f.kind);
        if (!f.scope.empty()) {
            out += ", \"scope\": ";
            appendJsonString(out, f.scope);
        }
        out += ", \"text\": ";
        appendJsonString(out, f.text);
        out += '}';
    });
    out += first ? "]\n" : "\n]\n";
    return out;
}

void appendMarkdownCell(std::string& out, std::string_view text)
{
    out += ' ';
    for (std::size_t i = 0; i < text.size(); ++i) {
        switch (const char c = text[i]) {
        case '|': case '\\': case '*': case '_': case '`': case '[': case ']':
            out += '\\';
            out += c;
            break;
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '\r':
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out += "<br>";
            break;
        case '\n': out += "<br>"; break;
        default: out += c;
        }
    }
    out += " |";
}

std::string writeMarkdown(const Records& records)
{
    std::string out = "| path | line | kind | text |\n| --- | ---: | --- | --- |\n";
    forEachRecord(records, [&](const Fields& f) {
        out += '|';
        appendMarkdownCell(out, f.path);
        appendMarkdownCell(out, f.line);
        appendMarkdownCell(out, f.kind);
        appendMarkdownCell(out, f.text);
        out += '\n';
    });
    return out;
}

}  // namespace

std::string_view recordKindName(RecordKind kind)
{
    return kind == RecordKind::Declaration ? "declaration" : "todo";
}

std::optional<ReportFormat> reportFormatNamed(std::string_view name)
{
    static constexpr std::array<std::pair<std::string_view, ReportFormat>, 4> names = {{
        {"text", ReportFormat::Text}, {"csv", ReportFormat::Csv},
        {"json", ReportFormat::Json}, {"markdown", ReportFormat::Markdown},
    }};
    for (const auto& [known, format] : names)
        if (name == known)
            return format;
    return std::nullopt;
}

ReportFormat reportFormatForFile(const std::filesystem::path& path, ReportFormat chosen)
{
    static constexpr std::array<std::pair<std::string_view, ReportFormat>, 4> extensions = {{
        {".TXT", ReportFormat::Text}, {".CSV", ReportFormat::Csv},
        {".JSON", ReportFormat::Json}, {".MD", ReportFormat::Markdown},
    }};
    const std::string typed = upperCp1252(path.extension().native());
    for (const auto& [known, format] : extensions)
        if (typed == known)
            return format;
    return chosen;
}

std::string writeReport(std::string_view text, const Records& records, ReportFormat format)
{
    switch (format) {
    case ReportFormat::Csv: return writeCsv(records);
    case ReportFormat::Json: return writeJson(records);
    case ReportFormat::Markdown: return writeMarkdown(records);
    case ReportFormat::Text: break;
    }
    return std::string(text);
}

}  // namespace qb
