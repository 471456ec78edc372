// The whole state of a temporary tree as one comparable value, so a test sees every file a run
// made, changed or left behind (a stray temporary file included).
#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "support/recorder.h"

namespace qb::test {

// Every entry below `root` by its relative path: a file's bytes, "/" for a folder, and "-> " and
// the target for a symbolic link (which is not followed).
inline std::map<std::string, std::string> treeOf(const std::filesystem::path& root)
{
    namespace fs = std::filesystem;
    std::map<std::string, std::string> tree;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        const std::string relative = fs::relative(it->path(), root).string();
        if (it->is_symlink())
            tree[relative] = "-> " + fs::read_symlink(it->path()).string();
        else if (it->is_directory())
            tree[relative] = "/";
        else
            tree[relative] = readBytes(it->path());
    }
    return tree;
}

}  // namespace qb::test
