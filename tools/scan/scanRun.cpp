#include "tools/scan/scanRun.h"

#include "core/fileText.h"
#include "core/mdlText.h"
#include "tools/scan/lines.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace qb {

namespace {

// More lines than this would make a message box taller than the screen.
constexpr std::size_t maxListedProblems = 30;
// Files handed to a scanner at once: enough that taking a batch costs little beside scanning it,
// few enough that every scanner gets some of a small folder.
constexpr std::size_t filesPerBatch = 32;
// Batches in flight per scanner: enough to keep every scanner busy while the walk lists a folder,
// few enough that memory grows with the reports of a few hundred files, not with the tree.
constexpr std::size_t batchesPerScanner = 4;
std::atomic<std::size_t> chosenThreadCount = 0;  // 0: as many as the machine has cores

}  // namespace

std::size_t scanThreadCount()
{
    if (const std::size_t chosen = chosenThreadCount.load())
        return chosen;
    return std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 4);
}

void chooseScanThreadCount(std::size_t count)
{
    chosenThreadCount = count;
}

FileOutcome scanFile(const std::filesystem::path& file, LineBlocks& blocks, FileScanner& scanner, ScanPart& part,
                     const std::stop_token& stop, const PartHandOn& handOn, int folder)
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
        if (auto opened = blocks.open(file, folder); !opened)
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
            if (handOn && !last && !part.detailed && part.text.size() >= partHandOnSize && scanner.lead(part))
                handOn(part);
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
        outcome.error = Error{err::OutOfMemory, file.string() + ": " + e.what()};
        part.clear();
    }
    blocks.close();
    return outcome;
}

// A ring of batches of files. The calling thread fills the batch after the newest and hands it
// over; a scanner takes the oldest batch not taken yet, reads and scans its files, and marks it
// done; the calling thread empties batches in the order it filled them. Every hand-over goes
// through the mutex, so a batch is only ever touched by one thread at a time.
// The calling thread is one of the scanners: the walk costs far less than reading the files, so
// it scans a waiting batch itself whenever the worker threads have more waiting than they take
// at once. A scan thus runs one thread per scanner, as many as the machine has cores, and none
// of them waits while there is work.
// When the report streams, a file whose part grows long hands it on in pieces: a worker leaves
// a piece in the job and goes on with the file; the calling thread, once every file before it
// has joined, takes the piece, so a long part never grows past about two pieces.
class ScanRun::Workers {
public:
    Workers(FileScanners scanners, ScanOutput output, std::stop_token stop)
        : stop_(std::move(stop)), sink_(output.streams() ? std::move(output.sink) : ReportSink()),
          batches_(scanners.size() * batchesPerScanner)
    {
        assert(!scanners.empty());
        for (Batch& batch : batches_) {
            batch.jobs.resize(filesPerBatch);
            for (Job& job : batch.jobs)
                job.part.detailed = output.detail == ScanDetail::Full;
        }
        own_ = std::move(scanners.front());
        for (std::size_t i = 1; i < scanners.size(); ++i)
            threads_.emplace_back([this, scanner = std::move(scanners[i])](std::stop_token stop) { work(stop, *scanner); });
    }

    void add(const std::filesystem::path& file, const OpenFolder* folder, ScanReport& report)
    {
        // The batch to fill next is still the oldest one: empty it, scanning a waiting batch
        // here rather than waiting while a worker scans the oldest.
        while (filled_ - emptied_ == batches_.size())
            if (oldestDone() || !scanWaiting(report))
                emptyOldest(report);
        Batch& batch = batches_[filled_ % batches_.size()];
        Job& job = batch.jobs[batch.count++];
        job.file = file;
        if (folder)
            job.folder = *folder;
        if (batch.count == filesPerBatch) {
            handOver();
            if (waiting() > threads_.size())
                scanWaiting(report);
            if (sink_)  // what is done goes out now, not when the ring is full
                while (emptied_ < filled_ && oldestDone())
                    emptyOldest(report);
        }
    }

    void emptyAll(ScanReport& report)
    {
        handOver();
        while (scanWaiting(report)) {
        }
        while (emptied_ < filled_)
            emptyOldest(report);
    }

    // A stop request cut a file short or kept one from being read.
    bool stopSeen() const { return stopSeen_; }

private:
    struct Job {
        std::filesystem::path file;  // moved into the report when the file is listed
        OpenFolder folder;           // the walk's open folder of the file, when it has one
        ScanPart part;
        FileOutcome outcome;
        std::string piece;           // a piece of a long part, handed on before the file ended
        bool listed = false;         // a piece of it went to the sink
    };
    static constexpr std::size_t noJob = SIZE_MAX;
    struct Batch {
        std::vector<Job> jobs;
        std::size_t count = 0;  // jobs in use
        std::size_t joined = 0;  // jobs settled into the report so far
        std::size_t pieceJob = noJob;  // the job whose piece waits to be taken
        bool done = false;
    };

    // Batches handed over and not taken by a scanner yet.
    std::size_t waiting()
    {
        const std::lock_guard lock(mutex_);
        return filled_ - taken_;
    }

    // Takes the oldest batch no scanner has taken and scans it on the calling thread; false
    // when there was none.
    bool scanWaiting(ScanReport& report)
    {
        std::size_t taken;
        {
            const std::lock_guard lock(mutex_);
            if (taken_ == filled_)
                return false;
            taken = taken_++;
        }
        Batch& batch = batches_[taken % batches_.size()];
        std::size_t i = 0;
        PartHandOn handOnPart;
        if (sink_)  // the calling thread takes its own pieces once the files before them joined
            handOnPart = [&](ScanPart& part) {
                while (emptied_ < taken)
                    emptyOldest(report);
                for (; batch.joined < i; ++batch.joined)
                    settle(batch.jobs[batch.joined], report);
                if (!stopSeen_ && !stop_.stop_requested()) {
                    batch.jobs[i].listed = true;
                    sink_(part.text);
                }
                part.text.clear();
            };
        scanBatch(batch, *own_, ownBlocks_, handOnPart, i);
        const std::lock_guard lock(mutex_);
        batch.done = true;
        return true;
    }

    void scanBatch(Batch& batch, FileScanner& scanner, LineBlocks& blocks, const PartHandOn& handOnPart, std::size_t& i)
    {
        for (; i < batch.count; ++i) {
            Job& job = batch.jobs[i];
            job.outcome = scanFile(job.file, blocks, scanner, job.part, stop_, handOnPart, job.folder ? job.folder->get() : -1);
        }
    }

    // Hands the batch being filled to the workers. There is none when it is empty, or when the
    // ring is full: then the slot after the newest is the oldest batch, handed over already.
    void handOver()
    {
        if (filled_ - emptied_ == batches_.size() || batches_[filled_ % batches_.size()].count == 0)
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

    bool oldestDone()
    {
        const std::lock_guard lock(mutex_);
        return batches_[emptied_ % batches_.size()].done;
    }

    void emptyOldest(ScanReport& report)
    {
        Batch& batch = batches_[emptied_ % batches_.size()];
        std::size_t& joined = batch.joined;
        for (;;) {
            std::string piece;
            std::size_t pieceJob;
            {
                std::unique_lock lock(mutex_);
                awaited_ = emptied_;
                batchDone_.wait(lock, [&] { return batch.done || batch.pieceJob != noJob; });
                pieceJob = std::exchange(batch.pieceJob, noJob);
                if (pieceJob != noJob)
                    std::swap(piece, batch.jobs[pieceJob].piece);
            }
            if (pieceJob == noJob) {
                for (; joined < batch.count; ++joined)
                    settle(batch.jobs[joined], report);
                break;
            }
            pieceTaken_.notify_all();
            // The worker is at job `pieceJob`: every job before it is done.
            for (; joined < pieceJob; ++joined)
                settle(batch.jobs[joined], report);
            if (!stopSeen_ && !stop_.stop_requested()) {
                batch.jobs[pieceJob].listed = true;
                sink_(piece);
            }
        }
        batch.count = batch.joined = 0;
        batch.done = false;
        ++emptied_;
    }

    // A job of the oldest batch joins the report: its part, or what kept it out.
    void settle(Job& job, ScanReport& report)
    {
        // After the first file the stop cut short nothing joins: the report holds the whole
        // files before it, with no gap in walk order.
        stopSeen_ = stopSeen_ || job.outcome.stopped;
        if (!stopSeen_) {
            if (job.outcome.error)
                report.skipped.push_back({job.file, std::move(*job.outcome.error)});
            else if (job.outcome.binary)
                ++report.binarySkipped;
            else if (!job.part.text.empty() || job.listed)
                join(job, report);
        }
        job.part.clear();
        job.folder.reset();
        job.listed = false;
    }

    // Adds a file's part to the report, its places and records pointing at the file's entry; a
    // streamed part goes to the sink.
    void join(Job& job, ScanReport& report)
    {
        if (sink_) {
            if (!stop_.stop_requested() && !job.part.text.empty())
                sink_(job.part.text);
            return;
        }
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

    // Leaves the part's text as the job's piece, once the piece before it was taken.
    void handOn(Batch& batch, std::size_t index, ScanPart& part, const std::stop_token& stop)
    {
        {
            std::unique_lock lock(mutex_);
            if (!pieceTaken_.wait(lock, stop, [&] { return batch.pieceJob == noJob; }))
                return;  // the scan is being torn down
            Job& job = batch.jobs[index];
            std::swap(job.piece, part.text);
            batch.pieceJob = index;
        }
        part.text.clear();
        batchDone_.notify_one();
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
            std::size_t i = 0;
            PartHandOn handOnPart;
            if (sink_)
                handOnPart = [&](ScanPart& part) { handOn(batch, i, part, stop); };
            scanBatch(batch, scanner, blocks, handOnPart, i);
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
    const ReportSink sink_;
    bool stopSeen_ = false;
    std::mutex mutex_;
    std::condition_variable_any batchAdded_;  // wakes workers
    std::condition_variable batchDone_;       // wakes the calling thread
    std::condition_variable_any pieceTaken_;  // wakes a worker whose piece waits
    std::vector<Batch> batches_;
    std::size_t filled_ = 0, taken_ = 0, emptied_ = 0;  // counts of batches handed over, taken and emptied
    std::size_t idle_ = 0;                              // workers waiting for a batch
    std::size_t awaited_ = SIZE_MAX;                    // the batch the calling thread waits for
    std::unique_ptr<FileScanner> own_;  // the calling thread's scanner
    LineBlocks ownBlocks_;
    std::vector<std::jthread> threads_;  // declared last: stopped and joined before the rest goes
};

ScanRun::ScanRun(ProgressCallback progress, FileScanners scanners, ScanOutput output, std::stop_token stop)
    : stop_(std::move(stop)), counter_(std::move(progress)),
      workers_(std::make_unique<Workers>(std::move(scanners), std::move(output), stop_))
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

void ScanRun::scan(const std::filesystem::path& file)
{
    if (stop_.stop_requested() || !counter_.step(file))
        return;
    lastRead_ = file.native();
    workers_->add(file, visiting_, report_);
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
            visiting_ = entry.folder;
            visit(asSpelled(entry.path));
            visiting_ = nullptr;
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

bool PathLineScanner::lead(ScanPart& part)
{
    if (!std::exchange(led_, true)) {
        head_.clear();
        head_.addLine({}, path_->native(), 1);
        part.prepend(head_);
    }
    return true;
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
