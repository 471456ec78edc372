// Declarations by file type through universal-ctags: the records are ctags' own tags of the kinds
// kept, the report keeps the Classic shape, and a missing ctags is one clear error.
#include "tools/scan/ctagsDeclarations.h"

#include "ui/cp1252.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

#include "support/recorder.h"

namespace qb {
namespace {

const std::filesystem::path corpus = QB_SCAN_CORPUS;

// ctags' tags of `file` read here on their own: "line kind scope", the kinds kept.
std::vector<std::string> ctagsSays(const std::filesystem::path& file)
{
    QProcess ctags;
    ctags.start(QStringLiteral("ctags"), {"--output-format=json", "--fields=+nlsZ", "--sort=no", "-f", "-", fromPath(file)});
    EXPECT_TRUE(ctags.waitForFinished());
    std::vector<std::string> tags;
    for (const QByteArray& line : ctags.readAllStandardOutput().split('\n')) {
        const QJsonObject tag = QJsonDocument::fromJson(line).object();
        if (tag.value("_type").toString() != "tag" ||
            !isDeclarationKind(tag.value("language").toString().toStdString(), tag.value("kind").toString().toStdString()))
            continue;
        tags.push_back(std::to_string(tag.value("line").toInt()) + " " + tag.value("kind").toString().toStdString() + " " +
                       tag.value("scope").toString().toStdString());
    }
    std::ranges::stable_sort(tags, {}, [](const std::string& tag) { return std::stoi(tag); });  // by line, ties as listed
    return tags;
}

std::vector<std::string> recordsOf(const ScanReport& report)
{
    std::vector<std::string> out;
    for (const Record& record : report.found.items)
        out.push_back(std::to_string(record.line) + " " + record.tag + " " + record.scope);
    return out;
}

std::string declarations =
    "namespace N {\nclass A {\n  void m();\n  int x;\n};\nvoid A::m() {}\nstruct S {};\nenum E { E1 };\n"
    "typedef int T;\n#define MACRO 1\nint variable;\n}\n";

TEST(CtagsDeclarations, RecordsAreCtagsOwnTagsOfTheKindsKept)
{
    test::TempDir dir;
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(corpus))
        files.push_back(entry.path());
    files.push_back(dir.write("decl.cpp", declarations));
    files.push_back(dir.write("decl.py", "class K:\n    def method(self):\n        local = 1\n\ndef top():\n    pass\nVALUE = 1\n"));
    std::size_t found = 0;
    for (const auto& file : files) {
        const ScanReport report = findDeclarationsByType({file}).value();
        EXPECT_EQ(recordsOf(report), ctagsSays(file)) << file;
        found += report.found.items.size();
    }
    EXPECT_GE(found, 15u);
    // What was kept, to the byte: the Classic report's shape with the file's own lines.
    const ScanReport report = findDeclarationsByType({dir / "decl.cpp"}).value();
    EXPECT_EQ(report.text, (dir / "decl.cpp").string() +
                               "\r\n\tnamespace N {\r\n\tclass A {\r\n\tvoid A::m() {}\r\n\tstruct S {};\r\n\tenum E { E1 };\r\n"
                               "\ttypedef int T;\r\n");
    EXPECT_EQ(recordsOf(report), (std::vector<std::string>{"1 namespace ", "2 class N", "6 function N::A", "7 struct N",
                                                           "8 enum N", "9 typedef N"}));
    EXPECT_NE(writeReport(report.text, report.found, ReportFormat::Json).find("\"kind\": \"function\", \"scope\": \"N::A\""),
              std::string::npos);
}

TEST(CtagsDeclarations, KindsKept)
{
    struct Row { const char* language; const char* kind; bool kept; };
    const Row rows[] = {
        {"C++", "function", true},   {"C++", "class", true},     {"C++", "struct", true},   {"C++", "namespace", true},
        {"C", "typedef", true},      {"Java", "interface", true}, {"Java", "enum", true},    {"Go", "func", true},
        {"Ruby", "module", true},    {"Python", "member", true}, {"C++", "member", false},  {"C++", "variable", false},
        {"C", "macro", false},       {"C", "header", false},     {"C++", "enumerator", false}, {"C++", "local", false},
        {"Java", "field", false},    {"Python", "variable", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(isDeclarationKind(row.language, row.kind), row.kept) << row.language << " " << row.kind;
}

// Files spread over many batches still come in walk order, and a tree's unreadable folder is
// reported, not fatal.
TEST(CtagsDeclarations, ManyFilesKeepWalkOrder)
{
    test::TempDir dir;
    std::string expected;
    for (int i = 0; i < 1200; ++i) {
        const std::string name = "f" + std::string(i < 10 ? "000" : i < 100 ? "00" : i < 1000 ? "0" : "") + std::to_string(i) + ".c";
        dir.write("tree/" + name, "int x;\nvoid f" + std::to_string(i) + "(void) {}\n");
        expected += (dir / "tree" / name).string() + "\r\n\tvoid f" + std::to_string(i) + "(void) {}\r\n";
    }
    const ScanReport report = findDeclarationsByType({dir / "tree"}).value();
    EXPECT_EQ(report.text, expected);
}

TEST(CtagsDeclarations, AMissingCtagsIsOneError)
{
    test::EnvironmentOverride missing(ctagsVariable, "/nonexistent/ctags");
    const auto report = findDeclarationsByType({corpus});
    ASSERT_FALSE(report);
    EXPECT_EQ(report.error().number, 53);
    EXPECT_EQ(report.error().description, ctagsMissing);
    // Something that is not Universal Ctags is refused the same way.
    test::EnvironmentOverride other(ctagsVariable, "true");
    EXPECT_EQ(findCtags().error().description, ctagsMissing);
}

}  // namespace
}  // namespace qb
