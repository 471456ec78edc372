#include "core/gitIgnore.h"

#include "core/lazyLibrary.h"

#include <git2.h>

#include <stdexcept>

namespace qb {

namespace fs = std::filesystem;

namespace {

bool isGitName(std::string_view relative)
{
    const std::size_t slash = relative.rfind('/');
    return relative.substr(slash == std::string_view::npos ? 0 : slash + 1) == ".git";
}

// The functions of libgit2 that the rules use. The library is loaded on the first walk that
// asks for them, so a command that does not starts without it.
struct Git {
    decltype(&git_libgit2_init) init;
    decltype(&git_error_last) lastError;
    decltype(&git_repository_open_ext) open;
    decltype(&git_repository_is_bare) isBare;
    decltype(&git_repository_workdir) workTree;
    decltype(&git_repository_index) index;
    decltype(&git_repository_free) freeRepository;
    decltype(&git_index_free) freeIndex;
    decltype(&git_index_find_prefix) findPrefix;
    decltype(&git_index_get_bypath) entry;
    decltype(&git_ignore_path_is_ignored) ignored;
};

// libgit2, loaded and set up once for the process; an error names the package to install.
const Result<Git>& git()
{
    static const Result<Git> loaded = []() -> Result<Git> {
        const LazyLibrary library("libgit2.so." LIBGIT2_SOVERSION, "libgit2-" LIBGIT2_SOVERSION);
        Git git;
        std::optional<Error> missing;
        const auto take = [&]<class F>(F& function, const char* name) {
            if (auto found = library.function<F>(name))
                function = *found;
            else if (!missing)
                missing = found.error();
        };
        take(git.init, "git_libgit2_init");
        take(git.lastError, "git_error_last");
        take(git.open, "git_repository_open_ext");
        take(git.isBare, "git_repository_is_bare");
        take(git.workTree, "git_repository_workdir");
        take(git.index, "git_repository_index");
        take(git.freeRepository, "git_repository_free");
        take(git.freeIndex, "git_index_free");
        take(git.findPrefix, "git_index_find_prefix");
        take(git.entry, "git_index_get_bypath");
        take(git.ignored, "git_ignore_path_is_ignored");
        if (missing)
            return std::unexpected(*missing);
        git.init();  // for the whole process: its threads and caches stay until it ends
        return git;
    }();
    return loaded;
}

}  // namespace

struct GitIgnoreRules::Repository {
    const Git& git;
    git_repository* repository = nullptr;
    git_index* index = nullptr;
    std::string prefix;  // the walk's folder below the work tree's top, with a trailing '/' (or empty)
    bool inGitFolder = false;  // the walk started inside .git: all of it is ignored

    explicit Repository(const Git& git) : git(git) {}
    ~Repository()
    {
        git.freeIndex(index);
        git.freeRepository(repository);
    }
    Repository(const Repository&) = delete;
    Repository& operator=(const Repository&) = delete;
};

GitIgnoreRules::GitIgnoreRules(const fs::path& folder)
{
    // The work tree's path comes back with its links resolved, so the folder's is resolved too.
    std::error_code error;
    const fs::path real = fs::canonical(folder, error);
    if (error)
        return;
    const Result<Git>& git = qb::git();
    if (!git) {
        error_ = git.error();
        return;
    }
    auto repository = std::make_unique<Repository>(*git);
    const int opened = git->open(&repository->repository, real.c_str(), 0, nullptr);
    if (opened == GIT_ENOTFOUND || (opened == 0 && git->isBare(repository->repository)))
        return;  // no work tree: nothing is ignored
    if (opened != 0) {
        fail(folder);
        return;
    }
    const char* top = git->workTree(repository->repository);
    if (!top)
        return;
    const std::string_view workTree = top;  // ends in '/'
    std::string inside = real.native() + '/';
    if (!inside.starts_with(workTree))
        return;
    repository->prefix = inside.substr(workTree.size());
    repository->inGitFolder = repository->prefix.starts_with(".git/");
    // A fresh repository has an empty index; one that cannot be read leaves the tracked files unknown.
    if (git->index(&repository->index, repository->repository) != 0) {
        fail(folder);
        return;
    }
    repository_ = std::move(repository);
}

void GitIgnoreRules::fail(const fs::path& folder)
{
    const git_error* last = (*qb::git()).lastError();
    error_ = Error{err::PathFileAccess, folder.string() + ": git cannot read the repository of this work tree: "
                                            + (last && last->message ? last->message : "unknown error")};
}

GitIgnoreRules::~GitIgnoreRules() = default;
GitIgnoreRules::GitIgnoreRules(GitIgnoreRules&&) noexcept = default;
GitIgnoreRules& GitIgnoreRules::operator=(GitIgnoreRules&&) noexcept = default;

bool GitIgnoreRules::ignoresFile(std::string_view relative)
{
    return ignored(relative, false);
}

bool GitIgnoreRules::ignoresFolder(std::string_view relative)
{
    return ignored(relative, true);
}

bool GitIgnoreRules::ignored(std::string_view relative, bool folder)
{
    if (!repository_)
        return false;
    if (repository_->inGitFolder || isGitName(relative))
        return true;
    path_.assign(repository_->prefix).append(relative);
    if (folder)
        path_ += '/';  // so that folder-only patterns ("build/") apply
    const Git& git = repository_->git;
    // A tracked file stays, and a folder with tracked files below it is entered.
    std::size_t at = 0;
    if (folder ? git.findPrefix(&at, repository_->index, path_.c_str()) == 0
               : git.entry(repository_->index, path_.c_str(), 0) != nullptr)
        return false;
    int ignored = 0;
    // A question libgit2 cannot answer leaves the entry in the walk.
    if (git.ignored(&ignored, repository_->repository, path_.c_str()) != 0)
        return false;
    return ignored == 1;
}

}  // namespace qb
