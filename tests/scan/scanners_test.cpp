// The two scanners: the declaration line test, the TODO block rule, and their reports over trees.
#include "tools/scan/commentTodos.h"
#include "tools/scan/ctagsDeclarations.h"
#include "tools/scan/findSubs.h"
#include "tools/scan/findTodos.h"

#include "core/mdlText.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <stop_token>

#include "support/recorder.h"

namespace qb {
namespace {

// The plain answer: every pattern through matchesPattern, nothing in front.
bool anyPatternMatches(std::string_view line)
{
    bool found = false;
    for (std::string_view pattern : subOrFunctPatterns)
        found = *matchesPattern(line, pattern) || found;
    return found;
}

TEST(IsSubOrFunct, ListsDeclarationsOnly)
{
    struct Row { const char* line; bool listed; };
    const Row rows[] = {
        {"   private sub Form_Load()", true},
        {"Sub Main()", false},
        {"Friend Function Total() As Long", false},
        {"Private Property Get Name() As String", false},
        {"Public Shared Sub Run()", false},
        {"Imports System.IO", true},
        {" Imports System.IO", false},  // Imports only in the first column
        {"Shared Sub New()", true},
        {"Public Subtotal As Long", true},  // only the start of the line has to fit
        {"Public  Sub Twice()", false},     // two spaces
        {"PUBLIC FUNCTION Shout()", true},
        {"  Public ReadOnly Property Count", true},
        {"\v\fPublic Property Let Name(v)", true},
        {"\xa0Public Sub NoBreakSpace()", false},
        {"' Public Sub commented()", false},
        {"", false},
    };
    SubOrFunctTest test = SubOrFunctTest::compile().value();
    for (const Row& row : rows) {
        EXPECT_EQ(test.isSubOrFunct(row.line), row.listed) << '"' << row.line << '"';
        EXPECT_EQ(anyPatternMatches(row.line), row.listed) << '"' << row.line << '"';
    }
}

// The quick test and the sifting search never change an answer: every byte value around each
// pattern's start, and random texts listed whole (line ends anywhere in the 64-byte stretches).
TEST(AppendMatchingLines, AgreesWithTestingEveryLineWithEveryPattern)
{
    SubOrFunctTest test = SubOrFunctTest::compile().value();
    for (const std::string word : {"Public Sub", "Private Function", "Public ReadOnly Property", "Imports", "Shared Sub"}) {
        for (int b = 0; b < 256; ++b) {
            const std::string c(1, static_cast<char>(b));
            for (const std::string& line : {c + word, c + "  " + word, c + word.substr(1), word.substr(0, 1) + c + word.substr(2)})
                ASSERT_EQ(test.isSubOrFunct(line), anyPatternMatches(line)) << "byte " << b << " in \"" << line << '"';
        }
    }
    const std::string pieces[] = {"\r\n", "\n", "\r", " ", "\t", "\v", "\xa0", "\xe9", "x", "Public Sub", "public  sub",
                                  "PRIVATE Function", "Imports", "Shared Sub", "Public ReadOnly Property", "Pu",
                                  "Sub", std::string(50, ' '), std::string(60, 'y')};
    for (const std::string& text : test::randomTexts(pieces, 3000, 40, 7)) {
        std::string expected;
        for (std::string_view line : splitLines(text))
            if (anyPatternMatches(line))
                expected += "\t" + std::string(line) + "\r\n";
        ScanPart part;
        ASSERT_TRUE(test.appendMatchingLines(text, part));
        ASSERT_EQ(part.text, expected) << '"' << text << '"';
    }
}

TEST(TodoBlocks, CollectMarkerLinesAndTheCommentsThatFollow)
{
    struct Row { const char* name; std::string text, expected; };
    const Row rows[] = {
        {"markerAfterCode", "x = 1 ' TODO: fix\r\ny = 2\r\n", "x = 1 ' TODO: fix\r\n\r\n"},
        {"lowerCaseOrNoColonIsNoMarker", "' todo: a\r\n' TODO b\r\n' ToDo: c\r\n", ""},
        {"twoCommentsThenCode", "' TODO: a\r\n' more\r\n' and more\r\ncode\r\n' later\r\n",
         "' TODO: a\r\n' more\r\n' and more\r\n\r\n"},
        {"twoVbMarkersShareABlock", "' TODO: one\r\n' TODO: two\r\nx\r\n", "' TODO: one\r\n' TODO: two\r\n\r\n"},
        {"twoBlocks", "' TODO: a\r\nx\r\ny\r\n  ' TODO: b\r\n", "' TODO: a\r\n\r\n  ' TODO: b\r\n\r\n"},
        {"emptyLineEndsABlock", "' TODO: a\r\n\r\n' b\r\n", "' TODO: a\r\n\r\n"},
        {"bareApostropheContinues", "' TODO: a\r\n'\r\nx\r\n", "' TODO: a\r\n'\r\n\r\n"},
        {"lfAndLoneCrEnds", "a\n' TODO: b\r' c\nd", "' TODO: b\r\n' c\r\n\r\n"},
        {"lineKeptAsRead", "\t  Dim x ' TODO:\xe9 \r\n", "\t  Dim x ' TODO:\xe9 \r\n\r\n"},
        // Lines the block rule used to lose:
        {"lastLineContinuationKept", "' TODO: a\r\n' b", "' TODO: a\r\n' b\r\n\r\n"},
        {"lastLineContinuationWithEndKept", "' TODO: a\r\n' b\r\n", "' TODO: a\r\n' b\r\n\r\n"},
        {"cMarkersInARow", "// TODO: one\r\n// TODO: two\r\nint x;\r\n", "// TODO: one\r\n\r\n// TODO: two\r\n\r\n"},
        {"lineEndingABlockIsTested", "' TODO: a\r\n' b\r\nx++; // TODO: c\r\n", "' TODO: a\r\n' b\r\n\r\nx++; // TODO: c\r\n\r\n"},
        {"cMarkerOnLastLineAfterAnother", "// TODO: one\r\n// TODO: two", "// TODO: one\r\n\r\n// TODO: two\r\n\r\n"},
        // The continuation mark may stand anywhere in the line, not only in its first column:
        {"indentedCommentsContinue", "  ' TODO: a\r\n    ' b\r\n\t' c\r\nx\r\n", "  ' TODO: a\r\n    ' b\r\n\t' c\r\n\r\n"},
        {"codeWithTrailingCommentContinues", "' TODO: a\r\nx = 1 ' b\r\n  y = 2 ' c\r\nz = 3\r\n",
         "' TODO: a\r\nx = 1 ' b\r\n  y = 2 ' c\r\n\r\n"},
        {"markAtLineEndContinues", "x ' TODO: a\r\nMsgBox \"it'\r\nend\r\n", "x ' TODO: a\r\nMsgBox \"it'\r\n\r\n"},
    };
    for (const Row& row : rows) {
        ScanPart part;
        TodoBlocks blocks;
        blocks.appendRun(row.text, true, part);
        blocks.end(part);
        EXPECT_EQ(part.text, row.expected) << row.name;
    }
}

// Scans started while it lives use `count` threads.
struct ThreadCount {
    explicit ThreadCount(std::size_t count) { chooseScanThreadCount(count); }
    ~ThreadCount() { chooseScanThreadCount(0); }
};

class ScanTree : public ::testing::Test {
protected:
    std::string block(std::string_view relative, std::string_view lines) const
    {
        return (temp / relative).string() + "\r\n" + std::string(lines);
    }
    test::TempDir temp;
};

// Files before subfolders; listed names (exact case) never read; a vanished folder listed as skipped.
TEST_F(ScanTree, ListsFilesBeforeSubfoldersInWalkOrderAndSkipsListedFilesUnread)
{
    temp.write("gone/g.bas", "Public Sub G()\r\n");
    temp.write("B.bas", "Public Sub B()\r\n");
    temp.write("A.cls", "Dim x\r\nPrivate Function A()\r\n  public property get P()\r\n");
    temp.write("none.bas", "Sub Main()\r\n");
    temp.write("sub1/z.vb", "Imports System\r\n");
    temp.write("sub1/deeper/d.bas", "Shared Sub D()");
    temp.write("Sub2/y.frm", "Private Sub Form_Load()\r\n");
    for (const char* name : {"a.bmp", "b.exe", "c.dll", "d.zip", "e.html", "readme.htm.txt", "f.gif", "g.jpg", "IMAGE.GIF"})
        temp.write(name, "Public Sub Skipped()\r\n");
    std::vector<std::filesystem::path> read;
    const auto report = findSubsAndFuncts(Folder(temp.path()), [&](const std::filesystem::path& p, std::uint64_t) {
        read.push_back(p.lexically_relative(temp.path()));
        return p != temp / "A.cls" || std::filesystem::remove_all(temp / "gone");
    });
    ASSERT_TRUE(report);
    EXPECT_EQ(report->text, block("A.cls", "\tPrivate Function A()\r\n\t  public property get P()\r\n") +
                                block("B.bas", "\tPublic Sub B()\r\n") + block("IMAGE.GIF", "\tPublic Sub Skipped()\r\n") +
                                block("sub1/z.vb", "\tImports System\r\n") + block("sub1/deeper/d.bas", "\tShared Sub D()\r\n") +
                                block("Sub2/y.frm", "\tPrivate Sub Form_Load()\r\n"));
    EXPECT_EQ(read, (std::vector<std::filesystem::path>{"A.cls", "B.bas", "IMAGE.GIF", "none.bas", "sub1/z.vb",
                                                        "sub1/deeper/d.bas", "Sub2/y.frm"}));
    ASSERT_EQ(report->skipped.size(), 1u);
    EXPECT_EQ(report->skipped[0].path, temp / "gone");
    EXPECT_EQ(report->skipped[0].error.number, err::PathNotFound);
    EXPECT_EQ(report->lastRead, temp / "Sub2/y.frm");
}

// Scanned on worker threads, files report in walk order, and a cancel at the Nth keeps the first N,
// each file once: also where the walk ends just as the scan's batches of files fill up (a multiple
// of 32 files, every batch in flight), on one, two and three threads.
TEST_F(ScanTree, ManyFilesKeepWalkOrderAndCancelKeepsTheFilesBefore)
{
    constexpr int fileCount = 300;
    std::vector<std::string> parts;  // each file's part of the report, in walk order
    std::mt19937 random(11);
    for (int i = 0; i < fileCount; ++i) {
        const std::string name = "d" + std::to_string(i / 40) + "/f" + std::to_string(1000 + i) + ".bas";
        if (i % 100 == 50) {
            test::makeUnreadableFile(temp / name);
            parts.push_back("unreadable");
            continue;
        }
        std::string text, lines;
        for (int n = static_cast<int>(random() % (i % 30 == 0 ? 20000 : 200)); n > 0; --n) {
            const std::string line = (random() % 50 ? "x = " : "Public Sub P") + std::to_string(n);
            text += line + "\r\n";
            if (line.starts_with("Public"))
                lines += "\t" + line + "\r\n";
        }
        temp.write(name, text);
        parts.push_back(lines.empty() ? "" : block(name, lines));
    }
    for (const std::size_t threads : {1, 2, 3})
    for (const std::uint64_t cancelAt : {0, 1, 128, 137, 256, fileCount}) {
        SCOPED_TRACE("threads " + std::to_string(threads));
        const ThreadCount chosen(threads);
        std::string text;
        std::size_t unreadable = 0;
        for (std::uint64_t i = 0; i < cancelAt; ++i) {
            if (parts[i] == "unreadable")
                ++unreadable;
            else
                text += parts[i];
        }
        const auto report = findSubsAndFuncts(Folder(temp.path()), [&](const std::filesystem::path&, std::uint64_t count) { return count < cancelAt; });
        ASSERT_TRUE(report);
        EXPECT_EQ(report->cancelled, cancelAt < fileCount);
        EXPECT_EQ(report->text, text) << "cancelled at " << cancelAt;
        ASSERT_EQ(report->skipped.size(), unreadable);
        for (std::size_t k = 0; k < unreadable; ++k)
            EXPECT_EQ(report->skipped[k].path.stem(), "f" + std::to_string(1050 + 100 * k));
    }
}

// A scanner that lists each file it finishes and asks for a stop on the first run of the file
// named `stopIn`; it counts the runs it is handed of each file.
class StoppingScanner final : public FileScanner {
public:
    StoppingScanner(std::stop_source& stop, std::string stopIn) : stop_(stop), stopIn_(std::move(stopIn)) {}
    void start(const std::filesystem::path& file, ScanPart&) override { name_ = fileNameOf(file); }
    Result<void> scan(std::string_view, bool, ScanPart&) override
    {
        ++runs[name_];
        if (name_ == stopIn_)
            stop_.request_stop();
        return {};
    }
    void finish(ScanPart& part) override { part.addFileLine(name_, {}, 0); }

    std::map<std::string, int> runs;

private:
    std::stop_source& stop_;
    std::string stopIn_;
    std::string name_;
};

// A stop request reaches the worker inside a long file (no run after the one that asked) and
// before every later file, even when the walk handed them all over before it came; the report
// keeps the whole files before and says it was cancelled. Also when the stop comes from outside
// while the calling thread waits.
TEST_F(ScanTree, StopRequestEndsTheScanInsideALongFile)
{
    const std::string longText(4 * LineBlocks::defaultBlockSize, '\n');  // many runs
    for (const char* name : {"a.bas", "b.bas", "long.bas", "x.bas", "y.bas", "z.bas"})
        temp.write(name, std::string_view(name) == "long.bas" ? longText : "x\r\n");
    struct Row { const char* stopIn; bool stopBefore; std::string text; std::map<std::string, int> runs; };
    const Row rows[] = {
        {"long.bas", false, "a.bas\r\nb.bas\r\n", {{"a.bas", 1}, {"b.bas", 1}, {"long.bas", 1}}},
        {"a.bas", false, "a.bas\r\n", {{"a.bas", 1}}},  // its only run was scanned
        {"", true, "", {}},
        {"", false, "a.bas\r\nb.bas\r\nlong.bas\r\nx.bas\r\ny.bas\r\nz.bas\r\n",
         {{"a.bas", 1}, {"b.bas", 1}, {"long.bas", 4}, {"x.bas", 1}, {"y.bas", 1}, {"z.bas", 1}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.stopIn);
        std::stop_source stop;
        if (row.stopBefore)
            stop.request_stop();
        auto owned = std::make_unique<StoppingScanner>(stop, row.stopIn);
        StoppingScanner& scanner = *owned;
        FileScanners scanners;
        scanners.push_back(std::move(owned));  // one worker: the files are scanned in walk order
        ScanRun run({}, std::move(scanners), ScanDetail::Full, stop.get_token());
        run.walk(Folder(temp.path()), [&](const std::filesystem::path& file) { run.scan(file); });
        const ScanReport report = run.finish();
        EXPECT_EQ(report.text, row.text);
        EXPECT_EQ(report.cancelled, row.stopIn[0] != '\0' || row.stopBefore);
        EXPECT_EQ(scanner.runs, row.runs);
    }
}

// A streamed report is the kept report's text to the byte, for every scanner: hundreds of files
// (more than the workers hold at once), unreadable and binary ones, and files whose parts grow
// far past a piece, which go out in pieces while their files are still read.
TEST_F(ScanTree, StreamedReportsAreTheKeptReportsBytes)
{
    std::string longBlock = "' TODO: a block of 1.2 MB\r\n", declarations, functions;
    while (longBlock.size() < 1200 * 1024)
        longBlock += "' goes on and on\r\n";
    for (int i = 0; i < 20000; ++i) {
        declarations += "Public Sub S" + std::to_string(i) + "()\r\n";
        functions += "int f" + std::to_string(i) + "(void) { return 0; }\n";
    }
    for (int i = 0; i < 400; ++i) {
        const std::string name = "d" + std::to_string(i / 90) + "/f" + std::to_string(1000 + i);
        if (i % 97 == 5)
            test::makeUnreadableFile(temp / (name + ".bas"));
        else if (i == 150)
            temp.write(name + ".bas", std::string("\0binary ' TODO: no\r\n", 20));
        else if (i % 50 == 7)
            temp.write(name + (i % 100 == 7 ? ".bas" : ".c"), i % 100 == 7 ? longBlock + declarations : "// TODO: c\r\n" + functions);
        else
            temp.write(name + (i % 2 ? ".bas" : ".c"), i % 3 ? "Public Sub P()\r\n  ' TODO: p\r\n' q\r\nx\r\n" : "int g(void);\r\n");
    }
    const std::vector<std::filesystem::path> paths = {temp.path()};
    const TodoTypeOptions byType;
    using Scan = std::function<Result<ScanReport>(ScanOutput)>;
    struct Row { const char* name; Scan scan; };
    const Row rows[] = {
        {"todos", [&](ScanOutput output) -> Result<ScanReport> { return findTodosIn(paths, {}, std::move(output)); }},
        {"todos by type", [&](ScanOutput output) -> Result<ScanReport> { return findTodosByTypeIn(paths, byType, {}, std::move(output)); }},
        {"subs", [&](ScanOutput output) { return findSubsIn(paths, {}, std::move(output)); }},
        {"subs by type", [&](ScanOutput output) { return findDeclarationsByType(paths, {}, std::move(output)); }},
    };
    // One thread scans every file on the calling thread, its long parts too; three share them
    // with two workers.
    for (const std::size_t threads : {1, 3})
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.name) + ", threads " + std::to_string(threads));
        const ThreadCount chosen(threads);
        const auto kept = row.scan(ScanDetail::Full);
        ASSERT_TRUE(kept) << kept.error().description;
        std::string streamed;
        std::size_t pieces = 0, largest = 0;
        const auto report = row.scan(ScanOutput(ScanDetail::TextOnly, [&](std::string_view text) {
            streamed += text;
            ++pieces;
            largest = std::max(largest, text.size());
        }));
        ASSERT_TRUE(report);
        EXPECT_EQ(report->text, "");
        EXPECT_EQ(streamed, kept->text);
        EXPECT_GT(kept->text.size(), 1u << 20);
        EXPECT_LE(largest, partHandOnSize + LineBlocks::defaultBlockSize * 3) << pieces << " pieces";
        EXPECT_EQ(report->skipped.size(), kept->skipped.size());
        EXPECT_EQ(report->binarySkipped, 1u);
    }
}

TEST(ScanProblemsMessage, ListsWhatWasSkippedAndSaysWhenCancelled)
{
    ScanReport report;
    EXPECT_EQ(scanProblemsMessage(report), "");
    report.skipped = {{"/p/a", Error{53, "/p/a: No such file or directory"}}, {"/p/b", Error{70, "/p/b: Permission denied"}}};
    EXPECT_EQ(scanProblemsMessage(report), "These could not be read and were skipped:\n"
                                           "53 :: /p/a: No such file or directory\n70 :: /p/b: Permission denied");
    report.cancelled = true;
    report.skipped.assign(45, {"/p/x", Error{57, "x"}});
    report.binarySkipped = 3;
    const std::string many = scanProblemsMessage(report);
    EXPECT_TRUE(many.starts_with("The scan was cancelled; the report holds the files read before that.\n"));
    EXPECT_EQ(std::count(many.begin(), many.end(), '\n'), 33);  // 30 listed, a count of the rest, the binaries
    EXPECT_TRUE(many.ends_with("57 :: x\n... and 15 more.\n3 binary files skipped"));
}

}  // namespace
}  // namespace qb
