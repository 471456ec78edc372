#include "core/gitIgnore.h"

#include <git2.h>

namespace qb {

namespace fs = std::filesystem;

namespace {

bool isGitName(std::string_view relative)
{
    const std::size_t slash = relative.rfind('/');
    return relative.substr(slash == std::string_view::npos ? 0 : slash + 1) == ".git";
}

}  // namespace

struct GitIgnoreRules::Repository {
    git_repository* repository = nullptr;
    git_index* index = nullptr;
    std::string prefix;  // the walk's folder below the work tree's top, with a trailing '/' (or empty)
    bool inGitFolder = false;  // the walk started inside .git: all of it is ignored

    Repository() { git_libgit2_init(); }
    ~Repository()
    {
        git_index_free(index);
        git_repository_free(repository);
        git_libgit2_shutdown();
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
    auto repository = std::make_unique<Repository>();
    const int opened = git_repository_open_ext(&repository->repository, real.c_str(), 0, nullptr);
    if (opened == GIT_ENOTFOUND || (opened == 0 && git_repository_is_bare(repository->repository)))
        return;  // no work tree: nothing is ignored
    if (opened != 0) {
        fail(folder);
        return;
    }
    const char* top = git_repository_workdir(repository->repository);
    if (!top)
        return;
    const std::string_view workTree = top;  // ends in '/'
    std::string inside = real.native() + '/';
    if (!inside.starts_with(workTree))
        return;
    repository->prefix = inside.substr(workTree.size());
    repository->inGitFolder = repository->prefix.starts_with(".git/");
    // A fresh repository has an empty index; one that cannot be read leaves the tracked files unknown.
    if (git_repository_index(&repository->index, repository->repository) != 0) {
        fail(folder);
        return;
    }
    repository_ = std::move(repository);
}

void GitIgnoreRules::fail(const fs::path& folder)
{
    const git_error* last = git_error_last();
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
    git_index* index = repository_->index;
    // A tracked file stays, and a folder with tracked files below it is entered.
    if (index) {
        std::size_t at = 0;
        if (folder ? git_index_find_prefix(&at, index, path_.c_str()) == 0
                   : git_index_get_bypath(index, path_.c_str(), 0) != nullptr)
            return false;
    }
    int ignored = 0;
    // A question libgit2 cannot answer leaves the entry in the walk.
    if (git_ignore_path_is_ignored(&ignored, repository_->repository, path_.c_str()) != 0)
        return false;
    return ignored == 1;
}

}  // namespace qb
