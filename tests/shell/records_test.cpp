// The record writer: one set of records in each format, byte for byte (CSV is proven through the
// command line).
#include "shell/records.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

Records sample()
{
    Records records;
    records.files = {{"/src/a,b.bas", true}, {"/src/caf\xE9.bas", false}};
    records.items = {
        {0, 3, RecordKind::Todo, "' TODO: split, \"quoted\" | piped\n' second <line> & more"},
        {1, 12, RecordKind::Declaration, "Public Sub Caf\xE9()\t"},
    };
    return records;
}

TEST(Records, EachFormatWritesTheSameRecords)
{
    struct Row { ReportFormat format; std::string expected; };
    const Row rows[] = {
        {ReportFormat::Json,
         "[\n"
         "  {\"path\": \"/src/a,b.bas\", \"line\": 3, \"kind\": \"todo\", "
         "\"text\": \"' TODO: split, \\\"quoted\\\" | piped\\n' second <line> & more\"},\n"
         "  {\"path\": \"/src/caf\xC3\xA9.bas\", \"line\": 12, \"kind\": \"declaration\", "
         "\"text\": \"Public Sub Caf\xC3\xA9()\\t\"}\n"
         "]\n"},
        {ReportFormat::Markdown,
         "| path | line | kind | text |\n| --- | ---: | --- | --- |\n"
         "| /src/a,b.bas | 3 | todo | ' TODO: split, \"quoted\" \\| piped<br>' second &lt;line> &amp; more |\n"
         "| /src/caf\xC3\xA9.bas | 12 | declaration | Public Sub Caf\xC3\xA9()\t |\n"},
        {ReportFormat::Text, "the report's own bytes\xE9\r\n"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(writeReport("the report's own bytes\xE9\r\n", sample(), row.format), row.expected)
            << static_cast<int>(row.format);
}

TEST(Records, NoRecordsAndControlCharacters)
{
    EXPECT_EQ(writeReport("", Records{}, ReportFormat::Json), "[]\n");
    EXPECT_EQ(writeReport("", Records{}, ReportFormat::Csv), "path,line,kind,text\r\n");
    Records records;
    records.files = {{"/x", true}};
    records.items = {{0, 1, RecordKind::Todo, std::string("a\x01\x1F\r\\b", 6)}};
    EXPECT_EQ(writeReport("", records, ReportFormat::Json),
              "[\n  {\"path\": \"/x\", \"line\": 1, \"kind\": \"todo\", \"text\": \"a\\u0001\\u001f\\r\\\\b\"}\n]\n");
    EXPECT_FALSE(reportFormatNamed("xml"));
    EXPECT_EQ(reportFormatNamed("markdown"), ReportFormat::Markdown);
}

}  // namespace
}  // namespace qb
