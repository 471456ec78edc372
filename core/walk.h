// Folder walks and what a run over a folder tree hands back.
//
//   walkTree    one walk of a folder tree: depth first, a folder's files (in walk order) before
//               its subfolders, every entry handed to a visitor that answers Continue, SkipFolder
//               or Stop; progress, cancel and unreadable folders are handled here, once; the
//               walk's filter (Files patterns, what git ignores) is a step of its own before it
//   WalkCounter counts the files of a walk and remembers a stop request
//   RunReport   the result of a tool's run: the text for its result box, the failures, notes,
//               counts, and whether it was cancelled
#pragma once

#include "core/error.h"
#include "core/fsSys.h"
#include "core/glob.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>
#include <type_traits>
#include <vector>

namespace qb {

// Progress of a long walk: called once per file with the path about to be handled and how many
// were handled before it; answers false to ask the walk to stop (the user pressed Cancel).
using ProgressCallback = std::function<bool(const std::filesystem::path& current, std::uint64_t count)>;

// Counts the files of one walk and remembers whether it was asked to stop.
class WalkCounter {
public:
    explicit WalkCounter(ProgressCallback callback = {}) : callback_(std::move(callback)) {}
    // Reports `current`; false once the walk should stop.
    bool step(const std::filesystem::path& current)
    {
        if (cancelled_)
            return false;
        if (callback_ && !callback_(current, count_))
            cancelled_ = true;
        ++count_;
        return !cancelled_;
    }
    bool cancelled() const { return cancelled_; }
    std::uint64_t count() const { return count_; }

private:
    ProgressCallback callback_;
    std::uint64_t count_ = 0;
    bool cancelled_ = false;
};

// What a visitor answers: go on; skip the rest of the current folder (its remaining files and
// all its subfolders; for a Folder entry, the folder itself); or end the whole walk.
enum class Visit { Continue, SkipFolder, Stop };

// A folder of a walk, open. Shared, so that whoever opens a file of it later (a scan's worker
// thread, after the walk moved on) can still open the file relative to it.
using OpenFolder = std::shared_ptr<const sys::UniqueFd>;

struct WalkEntry {
    enum class Kind {
        Folder,       // a folder about to be listed (the start folder first, at depth 0)
        File,         // a regular file, or a link to one
        FolderError,  // the folder just announced could not be listed; `error` says why
    };
    Kind kind;
    const std::filesystem::path& path;  // absolute
    int depth;                          // a folder's depth below the start; a file's, its folder's
    const Error* error = nullptr;
    const OpenFolder* folder = nullptr;  // a File's folder, open; the file is its last name there
};

struct WalkOptions {
    bool recursive = true;           // false: the start folder's files only
    bool removeDebris = false;       // remove what killed runs left in each folder (fs.h)
    ProgressCallback progress = {};  // asked before each file; false cancels the walk
    std::stop_token stop = {};       // a stop request cancels the walk before the next file
};

struct WalkResult {
    std::uint64_t files = 0;          // files handed to the visitor
    std::uint64_t debrisRemoved = 0;  // temporary files of killed runs removed
    bool cancelled = false;           // stopped by the progress callback or a stop request
};

using WalkVisitor = std::function<Visit(const WalkEntry&)>;

// Walks the tree below `folder`, which is made absolute (and lexically normal) first, so every
// path the visitor sees is absolute whatever the caller passed. Symbolic links to folders are not
// entered. A folder that cannot be listed is handed to the visitor as a FolderError and the walk
// goes on with the next one.
WalkResult walkTree(const std::filesystem::path& folder, const WalkOptions& options, const WalkVisitor& visit);

// Which of the files and folders a walk finds it hands on, before its visitor sees them: those the
// Files patterns select (glob.h) and, with `skipGitIgnored`, none that git ignores (gitIgnore.h)
// when the walk starts inside a git work tree. A folder left out is not entered. By default every
// entry is handed on. Only what a walk finds is filtered: a file named by the user is taken
// whatever its name.
struct WalkFilter {
    GlobSelection files;
    bool skipGitIgnored = false;
};

// The filter of every walk this process makes: the command line's --glob and --gitignore, set
// before a run starts.
void filterWalks(WalkFilter filter);

// The filter of the walks made on this thread while it lives, in place of the process's: a
// window's run sets the filter its controls chose.
class WalkFilterScope {
public:
    explicit WalkFilterScope(const WalkFilter& filter);
    ~WalkFilterScope();
    WalkFilterScope(const WalkFilterScope&) = delete;
    WalkFilterScope& operator=(const WalkFilterScope&) = delete;

private:
    const WalkFilter* previous_;
};

// `work` (a run's logic, called with its ProgressCallback and, where it takes one, its stop
// request) made to walk with `filter` on whatever thread it runs.
template <class Work>
auto withWalkFilter(WalkFilter filter, Work work)
{
    if constexpr (std::is_invocable_v<Work&, ProgressCallback, std::stop_token>)
        return [filter = std::move(filter), work = std::move(work)](ProgressCallback progress, std::stop_token stop) mutable {
            const WalkFilterScope scope(filter);
            return work(std::move(progress), std::move(stop));
        };
    else
        return [filter = std::move(filter), work = std::move(work)](ProgressCallback progress) mutable {
            const WalkFilterScope scope(filter);
            return work(std::move(progress));
        };
}

// The spelling of `folder` that walkTree uses: absolute, lexically normal, no trailing separator.
std::filesystem::path absoluteFolder(const std::filesystem::path& folder);

// `path` (below `absolute`) spelled below `spelled` instead, as the user gave the folder:
// "src" gives "src/a.bas", "./src/" gives "./src/a.bas". A path not below `absolute` stays as it is.
std::filesystem::path respelled(const std::filesystem::path& path, const std::filesystem::path& absolute,
                                const std::filesystem::path& spelled);

// One file or folder that a run could not handle.
struct Failure {
    std::filesystem::path path;
    Error error;
};

struct RunCounts {
    std::uint64_t files = 0;          // files visited
    std::uint64_t written = 0;        // files the run wrote (copies made, files replaced)
    std::uint64_t changed = 0;        // of those, copies whose text the run changed (Erase: a chunk replaced)
    std::uint64_t binary = 0;         // of those, binary files copied byte for byte
    std::uint64_t debrisRemoved = 0;  // temporary files that killed runs left, removed by this one
};

// Whether a run writes, or only lists in its report's `listed` the files it would write
// (the command line's --dry-run).
enum class CopyMode { Write, ListOnly };

// The result of a run over files or a folder tree.
struct RunReport {
    std::string text;                                   // the result box's text (may be empty)
    std::vector<Failure> failures;                      // in the order they happened
    std::vector<std::filesystem::path> missingInputs;   // listed inputs that did not exist
    std::vector<std::string> notes;                     // what else the user should know, a line each
    std::vector<std::filesystem::path> listed;          // the files `text` lists, in its order, or those a
                                                        // CopyMode::ListOnly run would write
    RunCounts counts;
    bool cancelled = false;

    void fail(std::filesystem::path path, Error error) { failures.push_back({std::move(path), std::move(error)}); }
    // Adds what a walk of this run did: the files it visited, the debris it removed, and whether
    // it was stopped (a run of several walks is stopped when any one was).
    void absorb(const WalkResult& walked)
    {
        counts.files += walked.files;
        counts.debrisRemoved += walked.debrisRemoved;
        cancelled = cancelled || walked.cancelled;
    }
};

// How many failures the end of a run lists one by one; the rest are counted.
inline constexpr std::size_t listedFailures = 20;

// The failure list for the end of a run: a head line, then "path: number :: description" a line,
// the first `limit`, then how many more there were. Empty when there were none.
std::string listFailures(const std::vector<Failure>& failures, std::size_t limit = listedFailures);
// The head line of that list: "Could not handle 3 files or folders".
std::string failuresHead(std::size_t count);
// Its last line when some were left out: "and 5 more."
std::string moreFailures(std::size_t leftOut);

// "Removed N temporary files left behind by an interrupted run." (one file: "1 temporary file").
std::string debrisNote(std::uint64_t removed);

// The notes of a run, a line each, then how many binary files it copied as they are and how many
// temporary files of killed runs it removed (when any); empty when there is nothing to say.
std::string runNotes(const RunReport& report);

// The end-of-run text of a run: its failure list, then its notes; empty when there is neither.
std::string endOfRunText(const RunReport& report);

}  // namespace qb
