#include "core/walk.h"

#include "core/fs.h"
#include "core/fsDetail.h"
#include "core/gitIgnore.h"
#include "core/glob.h"

#include <cerrno>

#include <fcntl.h>

#include <optional>
#include <utility>

namespace qb {

namespace fs = std::filesystem;

namespace {

WalkFilter& processFilter()
{
    static WalkFilter filter;
    return filter;
}

thread_local const WalkFilter* threadFilter = nullptr;

const WalkFilter& currentFilter()
{
    return threadFilter ? *threadFilter : processFilter();
}

// `path` below the walk's start `root`, names joined by '/'.
std::string_view relativeTo(const fs::path& path, const fs::path& root)
{
    std::string_view rest = path.native();
    rest.remove_prefix(std::min(rest.size(), root.native().size()));
    while (rest.starts_with('/'))
        rest.remove_prefix(1);
    return rest;
}

// The filter step of a walk from `root`: which of the entries it finds are handed on.
class EntryFilter {
public:
    EntryFilter(const WalkFilter& filter, const fs::path& root) : files_(filter.files), root_(root)
    {
        if (!filter.skipGitIgnored)
            return;
        if (GitIgnoreRules rules(root); rules.inWorkTree())
            git_.emplace(std::move(rules));
        else
            error_ = rules.error();
    }

    // Why the walk cannot choose its entries (git cannot read the repository), or nothing.
    const std::optional<Error>& error() const { return error_; }

    bool keepsFile(const fs::path& file)
    {
        if (files_.empty() && !git_)
            return true;
        const std::string_view relative = relativeTo(file, root_);
        return (files_.empty() || files_.selectsFile(relative)) && !(git_ && git_->ignoresFile(relative));
    }
    bool entersFolder(const fs::path& folder)
    {
        if (files_.empty() && !git_)
            return true;
        const std::string_view relative = relativeTo(folder, root_);
        return (files_.empty() || files_.entersFolder(relative)) && !(git_ && git_->ignoresFolder(relative));
    }

private:
    const GlobSelection& files_;
    const fs::path& root_;
    std::optional<GitIgnoreRules> git_;
    std::optional<Error> error_;
};

class TreeWalk {
public:
    TreeWalk(const fs::path& root, const WalkOptions& options, const WalkVisitor& visit)
        : options_(options), visit_(visit), counter_(options.progress), filter_(currentFilter(), root)
    {
    }

    // Enters `folder` (already announced to the visitor) and everything below it; false once the
    // whole walk is to end. `open` is the folder itself, open, or the error of opening it.
    bool walk(const fs::path& folder, int depth, const Result<OpenFolder>& open)
    {
        if (const auto& unfiltered = filter_.error(); unfiltered && depth == 0)
            return visit_({WalkEntry::Kind::FolderError, folder, depth, &*unfiltered}) != Visit::Stop;
        auto entries = open ? Folder(folder).list((*open)->get()) : std::unexpected(open.error());
        if (!entries) {
            const WalkEntry failed{WalkEntry::Kind::FolderError, folder, depth, &entries.error()};
            return visit_(failed) != Visit::Stop;
        }
        const int folderFd = (*open)->get();
        if (options_.removeDebris && !entries->tempNames.empty())
            result.debrisRemoved += detail::removeDebris(folderFd, entries->tempNames, started_);
        // Each entry is offered to the visitor unless the filter leaves it out; the visitor may
        // open a file relative to `*open`.
        for (const File& file : entries->files) {
            if (!filter_.keepsFile(file.Path()))
                continue;
            if (!step(file.Path()))
                return false;
            ++result.files;
            const Visit answer = visit_({WalkEntry::Kind::File, file.Path(), depth, nullptr, &*open});
            if (answer != Visit::Continue)
                return answer == Visit::SkipFolder;
        }
        if (!options_.recursive)
            return true;
        for (const Folder& subFolder : entries->subFolders) {
            if (stopping())
                return false;
            if (!filter_.entersFolder(subFolder.Path()))
                continue;
            if (!enter(subFolder.Path(), depth + 1, folderFd))
                return false;
        }
        return true;
    }

    // Announces `folder` and walks it unless the visitor skips it; false once the walk is to end.
    // A folder below the start is opened relative to its parent, `parentFd`, without following
    // a link that took its place since the parent was listed.
    bool enter(const fs::path& folder, int depth, int parentFd = -1)
    {
        switch (visit_({WalkEntry::Kind::Folder, folder, depth})) {
        case Visit::Stop: return false;
        case Visit::SkipFolder: return true;
        case Visit::Continue: break;
        }
        const int fd = parentFd < 0 ? ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                                    : ::openat(parentFd, fileNameOf(folder).data(),
                                               O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            return walk(folder, depth, std::unexpected(systemError(errno, folder, true)));
        return walk(folder, depth, std::make_shared<const sys::UniqueFd>(fd));
    }

    WalkResult result;

private:
    bool stopping()
    {
        if (options_.stop.stop_requested() || counter_.cancelled())
            result.cancelled = true;
        return result.cancelled;
    }

    bool step(const fs::path& file)
    {
        if (stopping())
            return false;
        if (!counter_.step(file))
            result.cancelled = true;
        return !result.cancelled;
    }

    const WalkOptions& options_;
    const WalkVisitor& visit_;
    WalkCounter counter_;
    const std::int64_t started_ = detail::wallClockNow();  // only older temporary files are debris
    EntryFilter filter_;
};

}  // namespace

void filterWalks(WalkFilter filter)
{
    processFilter() = std::move(filter);
}

WalkFilterScope::WalkFilterScope(const WalkFilter& filter) : previous_(std::exchange(threadFilter, &filter))
{
}

WalkFilterScope::~WalkFilterScope()
{
    threadFilter = previous_;
}

fs::path respelled(const fs::path& path, const fs::path& absolute, const fs::path& spelled)
{
    const std::string_view full = path.native();
    const std::string_view start = absolute.native();
    if (full == start)
        return spelled;
    if (!full.starts_with(start) || full.size() <= start.size() || (full[start.size()] != '/' && !start.ends_with('/')))
        return path;
    std::string_view rest = full.substr(start.size());
    while (rest.starts_with('/'))
        rest.remove_prefix(1);
    return spelled / rest;
}

fs::path absoluteFolder(const fs::path& folder)
{
    return detail::withoutTrailingSeparator(detail::normalPath(folder));
}

WalkResult walkTree(const fs::path& folder, const WalkOptions& options, const WalkVisitor& visit)
{
    const fs::path root = absoluteFolder(folder);
    TreeWalk walk(root, options, visit);
    walk.enter(root, 0);
    return walk.result;
}

std::string listFailures(const std::vector<Failure>& failures, std::size_t limit)
{
    if (failures.empty())
        return {};
    std::string text = failuresHead(failures.size()) + ":";
    for (std::size_t i = 0; i < failures.size() && i < limit; ++i)
        text += "\n" + failures[i].path.string() + ": " + formatError(failures[i].error);
    if (failures.size() > limit)
        text += "\n" + moreFailures(failures.size() - limit);
    return text;
}

std::string failuresHead(std::size_t count)
{
    return "Could not handle " + std::to_string(count) + (count == 1 ? " file or folder" : " files or folders");
}

std::string moreFailures(std::size_t leftOut)
{
    return "and " + std::to_string(leftOut) + " more.";
}

std::string runNotes(const RunReport& report)
{
    std::string text;
    for (const std::string& note : report.notes) {
        if (!text.empty())
            text += '\n';
        text += note;
    }
    if (const std::uint64_t binary = report.counts.binary; binary > 0) {
        if (!text.empty())
            text += '\n';
        text += std::to_string(binary) + (binary == 1 ? " file" : " files") + " binary, copied as is.";
    }
    if (const std::uint64_t removed = report.counts.debrisRemoved; removed > 0) {
        if (!text.empty())
            text += '\n';
        text += debrisNote(removed);
    }
    return text;
}

std::string debrisNote(std::uint64_t removed)
{
    return "Removed " + std::to_string(removed) + (removed == 1 ? " temporary file" : " temporary files")
           + " left behind by an interrupted run.";
}

std::string endOfRunText(const RunReport& report)
{
    std::string text = listFailures(report.failures);
    if (const std::string notes = runNotes(report); !notes.empty()) {
        if (!text.empty())
            text += '\n';
        text += notes;
    }
    return text;
}

}  // namespace qb
