#include "tools/scan/todoBaseline.h"

#include "core/records.h"
#include "tools/scan/findTodos.h"

#include <system_error>

namespace qb {

namespace {

constexpr std::string_view header = "# quillbox todo baseline 1";

std::filesystem::path absoluteNormal(const std::filesystem::path& path)
{
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return (error ? path : absolute).lexically_normal();
}

// The path of `file` relative to the first of `roots` that holds it (a root that is the file
// itself gives its name).
std::string relativePath(const std::filesystem::path& file, const std::vector<std::filesystem::path>& roots)
{
    const std::filesystem::path absolute = absoluteNormal(file);
    for (const std::filesystem::path& root : roots) {
        const std::filesystem::path base = absoluteNormal(root);
        if (absolute == base)
            return file.filename().generic_string();
        const std::filesystem::path relative = absolute.lexically_relative(base);
        if (!relative.empty() && *relative.begin() != "..")
            return relative.generic_string();
    }
    return file.generic_string();
}

// Each line of a block's text without the white space around it.
std::string trimmedLines(std::string_view text)
{
    std::string out;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t end = std::min(text.find('\n', pos), text.size());
        std::string_view line = text.substr(pos, end - pos);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        out += line;
        if (end >= text.size())
            return out;
        out += '\n';
        pos = end + 1;
    }
}

std::string_view kindOf(const Record& record)
{
    return record.tag.empty() ? recordKindName(record.kind) : std::string_view(record.tag);
}

void appendEscaped(std::string& out, std::string_view field)
{
    for (const char c : field) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        default: out += c;
        }
    }
}

Result<std::string> unescaped(std::string_view field)
{
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\') {
            out += field[i];
            continue;
        }
        const char next = ++i < field.size() ? field[i] : '\0';
        switch (next) {
        case '\\': out += '\\'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        default: return std::unexpected(Error{err::TypeMismatch, "a backslash not followed by \\, t, r or n"});
        }
    }
    return out;
}

}  // namespace

std::vector<BaselineBlock> baselineBlocks(const ScanReport& report, const std::vector<std::filesystem::path>& roots)
{
    std::vector<std::string> paths;
    for (const RecordFile& file : report.found.files)
        paths.push_back(relativePath(file.path, roots));
    std::vector<BaselineBlock> blocks;
    for (const Record& record : report.found.items)
        blocks.push_back({paths.at(record.file), std::string(kindOf(record)), trimmedLines(record.text)});
    return blocks;
}

std::string writeBaseline(const std::vector<BaselineBlock>& blocks)
{
    std::string out(header);
    out += '\n';
    for (const BaselineBlock& block : blocks) {
        appendEscaped(out, block.path);
        out += '\t';
        appendEscaped(out, block.kind);
        out += '\t';
        appendEscaped(out, block.text);
        out += '\n';
    }
    return out;
}

Result<Baseline> readBaseline(std::string_view text, std::string_view source)
{
    Baseline baseline;
    std::size_t lineNumber = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNumber;
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        const auto fail = [&](std::string_view why) {
            return std::unexpected(Error{err::TypeMismatch, std::string(source) + ", line " + std::to_string(lineNumber) + ": " + std::string(why)});
        };
        if (lineNumber == 1) {
            if (line != header)
                return fail("not a TODO baseline (it starts with \"" + std::string(header) + "\")");
            continue;
        }
        if (line.empty())
            continue;
        const std::size_t tab1 = line.find('\t');
        const std::size_t tab2 = tab1 == std::string_view::npos ? tab1 : line.find('\t', tab1 + 1);
        if (tab2 == std::string_view::npos || line.find('\t', tab2 + 1) != std::string_view::npos)
            return fail("a block is a path, a kind and a text, split by tabs");
        auto path = unescaped(line.substr(0, tab1));
        auto kind = unescaped(line.substr(tab1 + 1, tab2 - tab1 - 1));
        auto blockText = unescaped(line.substr(tab2 + 1));
        if (!path || !kind || !blockText)
            return fail("a backslash not followed by \\, t, r or n");
        ++baseline[BaselineBlock{std::move(*path), std::move(*kind), std::move(*blockText)}];
    }
    if (lineNumber == 0)
        return std::unexpected(Error{err::TypeMismatch, std::string(source) + ": not a TODO baseline (it is empty)"});
    return baseline;
}

ScanReport withoutBaselined(ScanReport report, const std::vector<std::filesystem::path>& roots, Baseline baseline)
{
    const std::vector<BaselineBlock> blocks = baselineBlocks(report, roots);
    Records kept;
    std::string text;
    ScanPart part, head;
    std::size_t partFile = SIZE_MAX;
    const auto closePart = [&] {
        if (partFile == SIZE_MAX)
            return;
        frameTodoPart(report.found.files[partFile].path, part, head);
        text += part.text;
        part.clear();
    };
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        if (auto known = baseline.find(blocks[i]); known != baseline.end() && known->second > 0) {
            --known->second;
            continue;
        }
        Record record = std::move(report.found.items[i]);
        if (record.file != partFile) {
            closePart();
            partFile = record.file;
            kept.files.push_back(report.found.files[record.file]);
        }
        std::uint64_t number = record.line;
        for (std::size_t pos = 0;;) {
            const std::size_t end = std::min(record.text.find('\n', pos), record.text.size());
            part.addFileLine({}, std::string_view(record.text).substr(pos, end - pos), number++);
            if (end >= record.text.size())
                break;
            pos = end + 1;
        }
        part.addLine({}, {}, 0);
        record.file = kept.files.size() - 1;
        kept.items.push_back(std::move(record));
    }
    closePart();
    report.text = std::move(text);
    report.found = std::move(kept);
    report.places.clear();
    return report;
}

}  // namespace qb
