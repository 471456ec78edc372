#include "tools/scan/scanRun.h"

#include "core/fileText.h"
#include "core/mdlText.h"
#include "tools/scan/lines.h"

#include <algorithm>
#include <cassert>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>

namespace qb {

namespace {

// More lines than this would make a message box taller than the screen.
constexpr std::size_t maxListedProblems = 30;
// Files handed to a worker at once: enough that taking a batch costs little beside scanning it,
// few enough that both workers get some of a small folder.
constexpr std::size_t filesPerBatch = 32;
// Batches in flight per worker: enough to keep every worker busy while the walk lists a folder,
// few enough that memory grows with the reports of a few hundred files, not with the tree.
constexpr std::size_t batchesPerWorker = 4;
constexpr int outOfMemory = 7;

}  // namespace

std::size_t scanWorkerCount()
{
    return std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 4);
}

FileOutcome scanFile(const std::filesystem::path& file, LineBlocks& blocks, FileScanner& scanner, ScanPart& part,
                     const std::stop_token& stop)
{
    FileOutcome outcome;
    try {
        const auto fail = [&](Error error) {
            outcome.error = std::move(error);
            part.clear();
            return outcome;
        };
        const auto stopped = [&] {
            outcome.stopped = true;
            part.clear();
            blocks.close();
            return outcome;
        };
        if (stop.stop_requested())
            return stopped();
        if (auto opened = blocks.open(file); !opened)
            return fail(std::move(opened.error()));
        auto head = blocks.peek(binaryProbeSize);
        if (!head)
            return fail(std::move(head.error()));
        if (looksBinary(*head)) {
            outcome.binary = true;
            return outcome;
        }
        scanner.start(file, part);
        for (;;) {
            if (stop.stop_requested())
                return stopped();
            auto run = blocks.next();
            if (!run)
                return fail(std::move(run.error()));
            const bool last = blocks.ended();
            if (!run->empty()) {
                if (auto scanned = scanner.scan(*run, last, part); !scanned)
                    return fail(std::move(scanned.error()));
            }
            // Runs end at line breaks, which UTF-8 sequences never hold, so the file is valid when
            // each run is. A file that fits in one run is only checked when it is reported.
            // The encoding is only wanted with the records.
            if (last) {
                scanner.finish(part);
                if (part.detailed && outcome.utf8 && !part.text.empty())
                    outcome.utf8 = isValidUtf8(*run);
                break;
            }
            if (part.detailed && outcome.utf8)
                outcome.utf8 = isValidUtf8(*run);
        }
    } catch (const std::exception& e) {  // out of memory: this file is lost, not the program
        outcome.error = Error{outOfMemory, file.string() + ": " + e.what()};
        part.clear();
    }
    blocks.close();
    return outcome;
}

// A ring of batches of files. The calling thread fills the batch after the newest and hands it
// over; a worker takes the oldest batch not taken yet, reads and scans its files, and marks it
// done; the calling thread empties batches in the order it filled them. Every hand-over goes
// through the mutex, so a batch is only ever touched by one thread at a time.
class ScanRun::Workers {
public:
    Workers(FileScanners scanners, ScanDetail detail, std::stop_token stop)
        : stop_(std::move(stop)), batches_(scanners.size() * batchesPerWorker)
    {
        assert(!scanners.empty());
        for (Batch& batch : batches_) {
            batch.jobs.resize(filesPerBatch);
            for (Job& job : batch.jobs)
                job.part.detailed = detail == ScanDetail::Full;
        }
        for (std::unique_ptr<FileScanner>& scanner : scanners)
            threads_.emplace_back([this, scanner = std::move(scanner)](std::stop_token stop) { work(stop, *scanner); });
    }

    void add(const std::filesystem::path& file, ScanReport& report)
    {
        if (filled_ - emptied_ == batches_.size())
            emptyOldest(report);  // the batch to fill next is still the oldest one
        Batch& batch = batches_[filled_ % batches_.size()];
        batch.jobs[batch.count++].file = file;
        if (batch.count == filesPerBatch)
            handOver();
    }

    void emptyAll(ScanReport& report)
    {
        handOver();
        while (emptied_ < filled_)
            emptyOldest(report);
    }

    // A stop request cut a file short or kept one from being read.
    bool stopSeen() const { return stopSeen_; }

private:
    struct Job {
        std::filesystem::path file;  // moved into the report when the file is listed
        ScanPart part;
        FileOutcome outcome;
    };
    struct Batch {
        std::vector<Job> jobs;
        std::size_t count = 0;  // jobs in use
        bool done = false;
    };

    // Hands the batch being filled to the workers.
    void handOver()
    {
        if (batches_[filled_ % batches_.size()].count == 0)
            return;
        bool wake;
        {
            const std::lock_guard lock(mutex_);
            ++filled_;
            wake = idle_ > 0;
        }
        if (wake)
            batchAdded_.notify_one();
    }

    void emptyOldest(ScanReport& report)
    {
        Batch& batch = batches_[emptied_ % batches_.size()];
        {
            std::unique_lock lock(mutex_);
            awaited_ = emptied_;
            batchDone_.wait(lock, [&] { return batch.done; });
        }
        for (std::size_t i = 0; i < batch.count; ++i) {
            Job& job = batch.jobs[i];
            // After the first file the stop cut short nothing joins: the report holds the whole
            // files before it, with no gap in walk order.
            stopSeen_ = stopSeen_ || job.outcome.stopped;
            if (!stopSeen_) {
                if (job.outcome.error)
                    report.skipped.push_back({job.file, std::move(*job.outcome.error)});
                else if (job.outcome.binary)
                    ++report.binarySkipped;
                else if (!job.part.text.empty())
                    join(job, report);
            }
            job.part.clear();
        }
        batch.count = 0;
        batch.done = false;
        ++emptied_;
    }

    // Adds a file's part to the report, its places and records pointing at the file's entry.
    static void join(Job& job, ScanReport& report)
    {
        const std::size_t file = report.found.files.size();
        report.found.files.push_back({std::move(job.file), job.outcome.utf8});
        if (report.text.empty())
            std::swap(report.text, job.part.text);  // a large single file's part is not copied
        else
            report.text += job.part.text;
        for (const std::uint64_t line : job.part.lines)
            report.places.push_back({file, line});
        for (Record& record : job.part.records) {
            record.file = file;
            report.found.items.push_back(std::move(record));
        }
    }

    void work(std::stop_token stop, FileScanner& scanner)
    {
        LineBlocks blocks;  // one buffer for every file this worker reads
        for (;;) {
            std::size_t taken;
            {
                std::unique_lock lock(mutex_);
                ++idle_;
                const bool hasBatch = batchAdded_.wait(lock, stop, [&] { return taken_ < filled_; });
                --idle_;
                if (!hasBatch)
                    return;
                taken = taken_++;
            }
            Batch& batch = batches_[taken % batches_.size()];
            for (std::size_t i = 0; i < batch.count; ++i) {
                Job& job = batch.jobs[i];
                job.outcome = scanFile(job.file, blocks, scanner, job.part, stop_);
            }
            bool awaited;
            {
                const std::lock_guard lock(mutex_);
                batch.done = true;
                awaited = taken == awaited_;
            }
            if (awaited)
                batchDone_.notify_one();
        }
    }

    const std::stop_token stop_;
    bool stopSeen_ = false;
    std::mutex mutex_;
    std::condition_variable_any batchAdded_;  // wakes workers
    std::condition_variable batchDone_;       // wakes the calling thread
    std::vector<Batch> batches_;
    std::size_t filled_ = 0, taken_ = 0, emptied_ = 0;  // counts of batches handed over, taken and emptied
    std::size_t idle_ = 0;                              // workers waiting for a batch
    std::size_t awaited_ = SIZE_MAX;                    // the batch the calling thread waits for
    std::vector<std::jthread> threads_;  // declared last: stopped and joined before the rest goes
};

ScanRun::ScanRun(ProgressCallback progress, FileScanners scanners, ScanDetail detail, std::stop_token stop)
    : stop_(std::move(stop)), counter_(std::move(progress)),
      workers_(std::make_unique<Workers>(std::move(scanners), detail, stop_))
{
}

ScanRun::~ScanRun() = default;

bool nameHasFragment(std::string_view name, std::span<const std::string_view> fragments)
{
    for (std::string_view fragment : fragments)
        if (name.find(fragment) != std::string_view::npos)
            return true;
    return false;
}

std::string_view fileNameOf(const std::filesystem::path& path)
{
    const std::string_view full = path.native();
    const std::size_t slash = full.rfind(std::filesystem::path::preferred_separator);
    return slash == std::string_view::npos ? full : full.substr(slash + 1);
}

void ScanRun::scan(const std::filesystem::path& file)
{
    if (stop_.stop_requested() || !counter_.step(file))
        return;
    lastRead_ = file.native();
    workers_->add(file, report_);
}

void ScanRun::skip(const std::filesystem::path& path, Error error)
{
    workers_->emptyAll(report_);
    report_.skipped.push_back({path, std::move(error)});
}

void ScanRun::walk(const Folder& folder, const std::function<void(const std::filesystem::path&)>& visit)
{
    walkSpelled(folder.Path(), visit);
}

void ScanRun::walkSpelled(const std::filesystem::path& spelled, const std::function<void(const std::filesystem::path&)>& visit)
{
    // The walk sees absolute paths; the report spells them as the caller spelled the folder.
    const std::filesystem::path absolute = absoluteFolder(spelled);
    const bool respell = absolute != spelled;
    const auto asSpelled = [&](const std::filesystem::path& path) {
        return respell ? respelled(path, absolute, spelled) : path;
    };
    // Progress is counted by scan(), for the files that are read.
    walkTree(absolute, {}, [&](const WalkEntry& entry) {
        if (stopped())
            return Visit::Stop;
        switch (entry.kind) {
        case WalkEntry::Kind::Folder:
            break;
        case WalkEntry::Kind::FolderError:
            skip(asSpelled(entry.path), *entry.error);
            break;
        case WalkEntry::Kind::File:
            visit(asSpelled(entry.path));
            break;
        }
        return stopped() ? Visit::Stop : Visit::Continue;
    });
}

void ScanRun::walkPicked(const std::vector<std::filesystem::path>& paths,
                         const std::function<void(const std::filesystem::path&)>& visit)
{
    for (const std::filesystem::path& path : paths) {
        if (stopped())
            return;
        if (!fso_.FileExists(path))
            continue;
        auto file = andThen(fso_.checkInput(path), [&] { return fso_.GetFile(path); });
        if (!file) {
            skip(path, std::move(file.error()));
            continue;
        }
        visit(file->Path());
    }
}

void ScanRun::walkPaths(const std::vector<std::filesystem::path>& paths,
                        const std::function<void(const std::filesystem::path&)>& visit)
{
    for (const std::filesystem::path& path : paths) {
        if (stopped())
            return;
        // Paths keep the spelling they were given, as grep's and ripgrep's do.
        if (fso_.FolderExists(path)) {
            walkSpelled(path, visit);
        } else if (auto file = andThen(fso_.checkInput(path), [&] { return fso_.GetFile(path); })) {
            visit(path);
        } else {
            skip(path, std::move(file.error()));
        }
    }
}

ScanReport ScanRun::finish()
{
    workers_->emptyAll(report_);
    report_.cancelled = stopped() || workers_->stopSeen();
    if (!lastRead_.empty())
        report_.lastRead = std::filesystem::path(std::move(lastRead_));
    return std::move(report_);
}

std::string scanProblemsMessage(const ScanReport& report)
{
    std::string message;
    const auto addLine = [&message](std::string_view line) {
        if (!message.empty())
            message += '\n';
        message += line;
    };
    if (report.cancelled)
        addLine("The scan was cancelled; the report holds the files read before that.");
    if (!report.skipped.empty()) {
        addLine(report.skipped.size() == 1 ? "This could not be read and was skipped:"
                                           : "These could not be read and were skipped:");
        const std::size_t listed = std::min(report.skipped.size(), maxListedProblems);
        for (std::size_t i = 0; i < listed; ++i)
            addLine(formatError(report.skipped[i].error));
        if (listed < report.skipped.size())
            addLine("... and " + std::to_string(report.skipped.size() - listed) + " more.");
    }
    if (report.binarySkipped > 0)
        addLine(binarySkippedText(report.binarySkipped));
    return message;
}

std::string binarySkippedText(std::uint64_t count)
{
    return std::to_string(count) + (count == 1 ? " binary file skipped" : " binary files skipped");
}

void ScanPart::addLine(std::string_view prefix, std::string_view content, std::uint64_t fileLine)
{
    text += prefix;
    text += content;
    text += crlf;
    if (!detailed)
        return;
    const std::uint64_t breaks = countLineBreaks(prefix, 0, prefix.size()) + countLineBreaks(content, 0, content.size());
    lines.insert(lines.end(), breaks + 1, fileLine);
}

void ScanPart::prepend(const ScanPart& head)
{
    text.insert(0, head.text);
    if (!detailed)
        return;
    lines.insert(lines.begin(), head.lines.begin(), head.lines.end());
    records.insert(records.begin(), head.records.begin(), head.records.end());
}

void ScanPart::clear()
{
    text.clear();
    lines.clear();
    records.clear();
}

}  // namespace qb
