// Which files a walk hands on, chosen by glob patterns as ripgrep's --glob takes them.
//
//   *  ?  [abc]  [!a-z]   within one name, as fnmatch(3) matches them (a leading dot is a letter)
//   **                    as a whole name: any number of folders, none included
//   {a,b}                 either alternative (nesting allowed)
//   !PATTERN              excludes what PATTERN matches
//   a pattern without a slash matches a file's or folder's own name at any depth; one with a
//   slash matches the path below the walk's start ("/src/*.bas" is anchored there too); one that
//   ends in a slash matches folders only.
//
// The last pattern that matches a path decides. A file that no pattern matches is selected unless
// some pattern includes (has no "!"). Only excluding patterns keep a walk out of a folder.
//
// No Debian package offers this syntax to C++ (libgit2's pathspec knows git's wildmatch, without
// braces, and brings a whole git library), so names are matched by the C library's fnmatch(3)
// and only braces and "**" are handled here.
#pragma once

#include "core/error.h"

#include <string>
#include <string_view>
#include <vector>

namespace qb {

class GlobSelection {
public:
    // Adds one pattern; error 5 when its braces or brackets do not close, or it is empty.
    Result<void> add(std::string_view pattern);
    bool empty() const { return globs_.empty(); }

    // Paths are relative to the walk's start, names joined by '/'.
    bool selectsFile(std::string_view relative) const;
    bool entersFolder(std::string_view relative) const;

private:
    struct Glob {
        std::vector<std::vector<std::string>> alternatives;  // each one's names, braces expanded
        bool exclude = false;
        bool foldersOnly = false;
        bool anyDepth = false;  // no slash: matches the last name at any depth
    };
    // The last glob matching `relative`, or nullptr.
    const Glob* lastMatch(std::string_view relative, bool folder) const;

    std::vector<Glob> globs_;
    bool includes_ = false;
};

}  // namespace qb
