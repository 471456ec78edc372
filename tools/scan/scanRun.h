// What the two source scanners share: a walk of a folder tree (depth first, a folder's files
// before its subfolders, walk order) or of a list of picked files, each file reported to the
// progress callback and read once, a block at a time (lineBlocks.h), so memory does not grow with
// the size of a file; files and folders that cannot be read are recorded and passed over, so the
// report holds everything that could be read. Binary files (a NUL byte in their first 64 KiB) are
// counted and passed over too.
// Beside the report's text a scan keeps where each of its lines came from, and a record of each
// found item (core/records.h), for windows that lead to a line and for the structured formats.
// Files are read and scanned ahead of the walk, in batches (one hand-over for many small files),
// by worker threads and by the calling thread between the batches it fills. The calling thread
// alone walks and calls the progress callback, and joins the parts to the report in walk order,
// so the report is the same as one thread would make.
// A stop request (Cancel in a window, Ctrl+C on the command line) reaches the workers directly:
// they check it between files and between the runs of a long file, so a scan ends within a run
// of lines whatever the walk had handed over. The report then holds the files read whole before
// the first one the stop cut short, in walk order, and says that it was cancelled.
#pragma once

#include "core/error.h"
#include "core/fs.h"
#include "core/records.h"
#include "core/walk.h"
#include "core/lineBlocks.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace qb {

// Where a line of a report came from: a file listed in the report and its 1-based line there.
struct ReportPlace {
    std::size_t file = 0;    // index into ScanReport::found.files
    std::uint64_t line = 0;  // 0 for a line that stands for no line of the file (a separator)

    friend bool operator==(const ReportPlace&, const ReportPlace&) = default;
};

struct ScanReport {
    std::string text;                   // the report, as the result box shows it
    std::vector<ReportPlace> places;    // one per line of `text`, as the result box splits it
    Records found;                      // the files listed in the report, and what was found in them
    std::vector<Failure> skipped;   // what could not be read, in walk order
    std::uint64_t binarySkipped = 0;    // binary files passed over
    std::filesystem::path lastRead;     // the last file read (empty when none was)
    bool cancelled = false;             // the progress callback asked the scan to stop
};

// How much a scan keeps beside its report text: everything (the place of each report line, a
// record of each found item and each listed file's encoding), or the text alone, for a report
// that is only printed: then memory holds little more than the text.
enum class ScanDetail { Full, TextOnly };

// Takes a report's text as a scan makes it: whole lines, in walk order, a file's part (or a piece
// of a long one) at a time, on the thread that runs the scan.
using ReportSink = std::function<void(std::string_view text)>;

// What a scan keeps, and where its text goes. With ScanDetail::TextOnly and a sink the text is
// handed to the sink as the walk goes and the report's `text` stays empty, so memory holds a few
// files' parts whatever the size of the report; the sink hears nothing more once a stop was
// asked for. A sink is not used with ScanDetail::Full.
struct ScanOutput {
    ScanOutput(ScanDetail detail = ScanDetail::Full, ReportSink sink = {}) : detail(detail), sink(std::move(sink)) {}
    ScanDetail detail;
    ReportSink sink;
    bool streams() const { return detail == ScanDetail::TextOnly && sink; }
};

// One file's part of a report, as a FileScanner builds it.
struct ScanPart {
    bool detailed = true;  // keeps `lines` and `records` (ScanDetail::Full)
    std::string text;
    std::vector<std::uint64_t> lines;  // for each line of `text`, its line in the file (0: none)
    std::vector<Record> records;       // what was found; their `file` is set when the part joins

    // Appends `prefix`, `content` and CR LF, coming from line `fileLine` of the file. Content that
    // holds a line break itself (a file name may) makes several lines of the box, placed alike.
    void addLine(std::string_view prefix, std::string_view content, std::uint64_t fileLine);
    // The same for content read as one line of the file, which holds no line break.
    void addFileLine(std::string_view prefix, std::string_view content, std::uint64_t fileLine)
    {
        text.append(prefix).append(content).append("\r\n");
        if (detailed)
            lines.push_back(fileLine);
    }
    // Puts the lines of `head` in front (for a heading that is only written once something was found).
    void prepend(const ScanPart& head);
    void clear();
};

// True when one of `fragments` occurs anywhere in `name` (case respected).
bool nameHasFragment(std::string_view name, std::span<const std::string_view> fragments);

// Scans one file, a run of whole lines at a time (see lineBlocks.h): start, then scan for each
// run, then finish. Each worker thread has its own, so it may keep state, such as match data or
// a block of lines still open at the end of a run.
class FileScanner {
public:
    virtual ~FileScanner() = default;
    // A new file; `part` is empty. `file` lives until finish.
    virtual void start(const std::filesystem::path& file, ScanPart& part) = 0;
    // The file's next run of whole lines (only the file's last line may lack its end); `last`
    // when no run follows.
    virtual Result<void> scan(std::string_view lines, bool last, ScanPart& part) = 0;
    // The file has ended: completes `part`, or empties it when the file has no part in the report.
    virtual void finish(ScanPart& part) = 0;
    // Puts in front of `part` (which holds lines) what finish would put in front of it, so that
    // its lines so far can be handed on and taken out before the file ends; finish then only
    // completes what follows. False for a scanner that cannot: its part waits for the file's end.
    virtual bool lead(ScanPart&) { return false; }
};
using FileScanners = std::vector<std::unique_ptr<FileScanner>>;

// A scanner whose listed files' parts start with the file's path on a line of its own, put in
// front once the file's first line is listed (at the file's end, or when the part is led).
class PathLineScanner : public FileScanner {
public:
    void start(const std::filesystem::path& file, ScanPart&) override
    {
        path_ = &file;
        led_ = false;
    }
    void finish(ScanPart& part) override
    {
        if (!part.text.empty())  // nothing listed: the file is not in the report
            lead(part);
    }
    bool lead(ScanPart& part) override;

protected:
    const std::filesystem::path* path_ = nullptr;

private:
    bool led_ = false;  // the path line is in front
    ScanPart head_;
};

// What became of one file handed to scanFile.
struct FileOutcome {
    std::optional<Error> error;  // it could not be read or scanned (its part is then empty)
    bool binary = false;         // passed over as binary (its part is empty)
    bool stopped = false;        // a stop request cut it short (its part is empty)
    bool utf8 = true;            // its bytes are valid UTF-8 (decided when its part is not empty)
};

// Takes the lines of a file's part made so far (and empties the part's text), for a part that
// grew long before its file ended.
using PartHandOn = std::function<void(ScanPart& part)>;

// Reads `file` through `blocks` and has `scanner` fill `part` (empty on entry) from it; a stop
// request is checked before each run of lines. With `handOn`, a part that grows past
// `partHandOnSize` is led (FileScanner::lead) and handed on before the file ends.
// `folder`, when open, is the folder that holds the file, which is opened relative to it.
FileOutcome scanFile(const std::filesystem::path& file, LineBlocks& blocks, FileScanner& scanner, ScanPart& part,
                     const std::stop_token& stop = {}, const PartHandOn& handOn = {}, int folder = -1);
inline constexpr std::size_t partHandOnSize = 256 * 1024;

// How many threads (and so FileScanners) a scan uses: as many as the machine has cores, up to
// four, unless a count was chosen.
std::size_t scanThreadCount();
// Chooses how many threads the scans started after it use; 0 goes back to the machine's count.
void chooseScanThreadCount(std::size_t count);

// One scan in progress.
class ScanRun {
public:
    // One thread per scanner (at least one is needed): the calling thread scans with the first,
    // between the files it adds, and a worker thread with each of the others. A request on `stop`
    // ends the scan as Cancel does, also while the calling thread waits for the workers.
    ScanRun(ProgressCallback progress, FileScanners scanners, ScanOutput output = {},
            std::stop_token stop = {});
    ~ScanRun();

    // Reports the file to the progress callback and has it read and scanned; its part joins the
    // report in walk order, or it is recorded as skipped when it cannot be read. Nothing once the
    // scan has been cancelled: no file after the one the callback refused is scanned. A file that
    // the walk is visiting is opened relative to its folder, which the walk holds open.
    void scan(const std::filesystem::path& file);
    // Records what could not be read, after every file handed to scan() before it.
    void skip(const std::filesystem::path& path, Error error);
    bool stopped() const { return counter_.cancelled() || stop_.stop_requested(); }

    // Calls `visit` for every file below `folder` (see the top of this header) until the scan stops.
    void walk(const Folder& folder, const std::function<void(const std::filesystem::path&)>& visit);
    // Calls `visit` for each path in order that names an existing file; other paths are passed over.
    void walkPicked(const std::vector<std::filesystem::path>& paths, const std::function<void(const std::filesystem::path&)>& visit);
    // Walks each path in order: a folder as walk() does, a file by itself; anything else is
    // recorded as skipped. Every path keeps the spelling it was given ("src" gives "src/a.bas").
    void walkPaths(const std::vector<std::filesystem::path>& paths, const std::function<void(const std::filesystem::path&)>& visit);

    // Waits for the files still being scanned.
    ScanReport finish();

private:
    class Workers;

    // walk() for the folder spelled `spelled`, its files spelled below it.
    void walkSpelled(const std::filesystem::path& spelled, const std::function<void(const std::filesystem::path&)>& visit);

    FileSystemObject fso_;
    std::stop_token stop_;
    WalkCounter counter_;
    ScanReport report_;
    std::string lastRead_;  // kept as bytes while scanning: assigning reuses its room
    const OpenFolder* visiting_ = nullptr;  // the open folder of the file the walk is visiting
    std::unique_ptr<Workers> workers_;
};

// The message that follows a scan, or empty when there is nothing to say: that it was cancelled,
// the paths that could not be read with their reasons ("number :: description", one a line), and
// last how many binary files were passed over ("3 binary files skipped").
std::string scanProblemsMessage(const ScanReport& report);
// "N binary files skipped" ("1 binary file skipped").
std::string binarySkippedText(std::uint64_t count);

}  // namespace qb
