#include "tools/scan/scanRun.h"

#include "shell/fileText.h"
#include "shell/mdlText.h"
#include "tools/scan/lines.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>

namespace qb {

namespace {

// More lines than this would make a message box taller than the screen.
constexpr std::size_t maxListedProblems = 30;
// Files in flight per worker: enough to keep every worker busy while the walk lists a folder,
// few enough that memory grows with the largest files, not with the tree.
constexpr std::size_t slotsPerWorker = 16;
// Idle workers are woken once this many files wait for them, not for every file: waking a
// thread costs more than scanning a small file.
constexpr std::size_t wakeBatch = 8;
constexpr int outOfMemory = 7;

}  // namespace

std::size_t scanWorkerCount()
{
    return std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 4);
}

// A ring of slots, one per file in flight. The calling thread fills the slot after the newest
// with a file, a worker takes the oldest slot not taken yet, reads and scans its file, and marks
// it done; the calling thread empties slots in the order it filled them. Every hand-over goes
// through the mutex, so a slot is only ever touched by one thread at a time.
class ScanRun::Workers {
public:
    explicit Workers(std::vector<FileScanner> scanners) : slots_(scanners.size() * slotsPerWorker)
    {
        for (FileScanner& scanner : scanners)
            threads_.emplace_back([this, scanner = std::move(scanner)](std::stop_token stop) mutable {
                work(stop, scanner);
            });
    }

    void add(const File& file, ScanReport& report)
    {
        if (filled_ - emptied_ == slots_.size())
            emptyOldest(report);
        slots_[filled_ % slots_.size()].file = file;
        bool wake;
        {
            const std::lock_guard lock(mutex_);
            ++filled_;
            wake = idle_ > 0 && filled_ - taken_ >= wakeBatch;
        }
        if (wake)
            fileAdded_.notify_all();
    }

    void emptyAll(ScanReport& report)
    {
        while (emptied_ < filled_)
            emptyOldest(report);
    }

private:
    struct Slot {
        File file{std::filesystem::path()};
        ScanPart part;
        std::optional<Error> error;
        bool binary = false;
        bool utf8 = true;
        bool done = false;
    };

    void emptyOldest(ScanReport& report)
    {
        Slot& slot = slots_[emptied_ % slots_.size()];
        {
            std::unique_lock lock(mutex_);
            if (!slot.done) {
                if (idle_ > 0)
                    fileAdded_.notify_all();  // the files added since the last wake
                awaited_ = emptied_;
                fileDone_.wait(lock, [&] { return slot.done; });
            }
        }
        if (slot.error)
            report.skipped.push_back({slot.file.Path(), std::move(*slot.error)});
        else if (slot.binary)
            ++report.binarySkipped;
        else if (!slot.part.text.empty())
            join(slot, report);
        slot.error.reset();
        slot.part.clear();
        slot.binary = false;
        slot.done = false;
        ++emptied_;
    }

    // Adds a file's part to the report, its places and records pointing at the file's entry.
    static void join(Slot& slot, ScanReport& report)
    {
        const std::size_t file = report.found.files.size();
        report.found.files.push_back({slot.file.Path(), slot.utf8});
        report.text += slot.part.text;
        for (const std::uint64_t line : slot.part.lines)
            report.places.push_back({file, line});
        for (Record& record : slot.part.records) {
            record.file = file;
            report.found.items.push_back(std::move(record));
        }
    }

    void work(std::stop_token stop, FileScanner& scanner)
    {
        const FileSystemObject fso;
        std::string bytes;  // as large as the largest file this worker has read
        for (;;) {
            std::size_t taken;
            {
                std::unique_lock lock(mutex_);
                ++idle_;
                const bool hasFile = fileAdded_.wait(lock, stop, [&] { return taken_ < filled_; });
                --idle_;
                if (!hasFile)
                    return;
                taken = taken_++;
            }
            Slot& slot = slots_[taken % slots_.size()];
            scanSlot(slot, fso, bytes, scanner);
            bool awaited;
            {
                const std::lock_guard lock(mutex_);
                slot.done = true;
                awaited = taken == awaited_;
            }
            if (awaited)
                fileDone_.notify_one();
        }
    }

    static void scanSlot(Slot& slot, const FileSystemObject& fso, std::string& bytes, FileScanner& scanner)
    {
        try {
            if (auto read = fso.readFileBytes(slot.file.Path(), bytes); !read)
                slot.error = std::move(read.error());
            else if (looksBinary(bytes))
                slot.binary = true;
            else if (auto scanned = scanner(slot.file, bytes, slot.part); !scanned)
                slot.error = std::move(scanned.error());
            else if (!slot.part.text.empty())
                slot.utf8 = isValidUtf8(bytes);
        } catch (const std::exception& e) {  // out of memory: this file is lost, not the program
            slot.error = Error{outOfMemory, slot.file.Path().string() + ": " + e.what()};
        }
        if (slot.error)
            slot.part.clear();
    }

    std::mutex mutex_;
    std::condition_variable_any fileAdded_;  // wakes workers
    std::condition_variable fileDone_;       // wakes the calling thread
    std::vector<Slot> slots_;
    std::size_t filled_ = 0, taken_ = 0, emptied_ = 0;  // counts of slots filled, taken and emptied
    std::size_t idle_ = 0;                              // workers waiting for a file
    std::size_t awaited_ = SIZE_MAX;                    // the slot the calling thread waits for
    std::vector<std::jthread> threads_;  // declared last: stopped and joined before the rest goes
};

ScanRun::ScanRun(ProgressCallback progress, std::vector<FileScanner> scanners)
    : counter_(std::move(progress)), workers_(std::make_unique<Workers>(std::move(scanners)))
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

void ScanRun::scan(const File& file)
{
    if (!counter_.step(file.Path()))
        return;
    lastRead_ = file.Path().native();
    workers_->add(file, report_);
}

void ScanRun::skip(const std::filesystem::path& path, Error error)
{
    workers_->emptyAll(report_);
    report_.skipped.push_back({path, std::move(error)});
}

void ScanRun::walk(const Folder& folder, const std::function<void(const File&)>& visit)
{
    auto entries = folder.list();
    if (!entries) {
        skip(folder.Path(), std::move(entries.error()));
        return;
    }
    for (const File& file : entries->files) {
        if (stopped())
            return;
        visit(file);
    }
    for (const Folder& subFolder : entries->subFolders) {
        if (stopped())
            return;
        walk(subFolder, visit);
    }
}

void ScanRun::walkPicked(const std::vector<std::filesystem::path>& paths,
                         const std::function<void(const File&)>& visit)
{
    for (const std::filesystem::path& path : paths) {
        if (stopped())
            return;
        if (!fso_.FileExists(path))
            continue;
        auto file = fso_.GetFile(path);
        if (!file) {
            skip(path, std::move(file.error()));
            continue;
        }
        visit(*file);
    }
}

void ScanRun::walkPaths(const std::vector<std::filesystem::path>& paths,
                        const std::function<void(const File&)>& visit)
{
    for (const std::filesystem::path& path : paths) {
        if (stopped())
            return;
        if (fso_.FolderExists(path)) {
            if (auto folder = fso_.GetFolder(path))
                walk(*folder, visit);
            else
                skip(path, std::move(folder.error()));
        } else if (auto file = fso_.GetFile(path)) {
            visit(*file);
        } else {
            skip(path, std::move(file.error()));
        }
    }
}

ScanReport ScanRun::finish()
{
    workers_->emptyAll(report_);
    report_.cancelled = counter_.cancelled();
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
    const std::uint64_t breaks = countLineBreaks(prefix, 0, prefix.size()) + countLineBreaks(content, 0, content.size());
    lines.insert(lines.end(), breaks + 1, fileLine);
}

void ScanPart::clear()
{
    text.clear();
    lines.clear();
    records.clear();
}

}  // namespace qb
