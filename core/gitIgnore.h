// What git ignores below a folder, asked of libgit2 so that git's own rules apply exactly: the
// .gitignore files at every level, .git/info/exclude, the global excludes file (core.excludesFile,
// else $XDG_CONFIG_HOME/git/ignore), negations, anchored and folder-only patterns. A file that git
// tracks (one in the index) is never ignored, whatever the patterns say, and a folder that holds
// tracked files is entered. An entry named ".git" is always ignored.
// Outside a git work tree (and in a bare repository) nothing is ignored. A work tree whose
// repository git cannot read (a corrupt index or configuration) is an error, as it is for git: a
// walk that was to leave out what git ignores must not take everything instead.
#pragma once

#include "core/error.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace qb {

class GitIgnoreRules {
public:
    // The rules of the work tree that `folder` (absolute) lies in, for paths below `folder`.
    explicit GitIgnoreRules(const std::filesystem::path& folder);
    ~GitIgnoreRules();
    GitIgnoreRules(GitIgnoreRules&&) noexcept;
    GitIgnoreRules& operator=(GitIgnoreRules&&) noexcept;

    // False outside a work tree, or when its repository cannot be read: then nothing is ignored.
    bool inWorkTree() const { return repository_ != nullptr; }
    // Why the repository of the work tree could not be read, or nothing.
    const std::optional<Error>& error() const { return error_; }

    // `relative` is below the folder given at construction, names joined by '/'.
    bool ignoresFile(std::string_view relative);
    // True for a folder git ignores whole, with no tracked file below it: a walk need not enter it.
    bool ignoresFolder(std::string_view relative);

private:
    bool ignored(std::string_view relative, bool folder);
    void fail(const std::filesystem::path& folder);

    struct Repository;
    std::unique_ptr<Repository> repository_;
    std::string path_;  // reused for each question: the work tree's path of the entry asked about
    std::optional<Error> error_;
};

}  // namespace qb
