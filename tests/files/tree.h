// The whole state of a temporary tree as one value, so a test sees every file a run made,
// changed or left behind (a stray temporary file included).
#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "support/recorder.h"

namespace qb::test {

using Tree = std::map<std::string, std::string>;

// Each entry below `root` by relative path: a file's bytes, "/" for a folder, "-> target" for a link.
inline Tree treeOf(const std::filesystem::path& root)
{
    namespace fs = std::filesystem;
    Tree tree;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        const std::string name = it->path().lexically_relative(root).string();
        tree[name] = it->is_symlink()     ? "-> " + fs::read_symlink(it->path()).string()
                     : it->is_directory() ? "/"
                                          : readBytes(it->path());
    }
    return tree;
}

}  // namespace qb::test
