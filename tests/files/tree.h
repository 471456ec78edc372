// Runs over temporary trees: a tree's whole state as one value, and progress callbacks that stop a
// run or pull a folder away in the middle of it.
#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/walk.h"
#include "support/recorder.h"

#include <gtest/gtest.h>

namespace qb::test {

using Tree = std::map<std::string, std::string>;

// Each entry below `root` by relative path: a file's bytes, "/" for a folder, "-> target" for a link.
inline Tree treeOf(const std::filesystem::path& root)
{
    namespace fs = std::filesystem;
    Tree tree;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        const std::string name = it->path().lexically_relative(root).string();
        // A FIFO, device or socket is named, never read: reading a FIFO would block.
        tree[name] = it->is_symlink()        ? "-> " + fs::read_symlink(it->path()).string()
                     : it->is_directory()    ? "/"
                     : it->is_regular_file() ? readBytes(it->path())
                                             : "(special)";
    }
    return tree;
}

// Makes `root` hold exactly `tree` (no links).
inline void writeTree(const std::filesystem::path& root, const Tree& tree)
{
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root);
    for (const auto& [name, bytes] : tree)
        if (bytes == "/")
            std::filesystem::create_directories(root / name);
        else
            std::ofstream(root / name, std::ios::binary) << bytes;
}

// Asks the run to stop once `count` entries were handled.
inline ProgressCallback stopAfter(std::uint64_t count)
{
    return [count](const std::filesystem::path&, std::uint64_t done) { return done < count; };
}

// Removes `folder` when the run reaches `trigger`: listed, then gone (a locked one would not stop root).
inline ProgressCallback removeOnReaching(std::filesystem::path trigger, std::filesystem::path folder)
{
    return [=](const std::filesystem::path& current, std::uint64_t) {
        if (current == trigger)
            std::filesystem::remove_all(folder);
        return true;
    };
}

inline const std::string absent = "(absent)";
using States = std::map<std::string, std::set<std::string>>;  // what each entry may hold

// Every entry of `tree` is in one of the states `allowed` gives it; a missing one must allow `absent`.
inline void expectStates(const Tree& tree, const States& allowed)
{
    for (const auto& [name, bytes] : tree) {
        const auto states = allowed.find(name);
        EXPECT_TRUE(states != allowed.end() && states->second.contains(bytes)) << name << " holds " << bytes;
    }
    for (const auto& [name, states] : allowed)
        EXPECT_TRUE(tree.contains(name) || states.contains(absent)) << name << " is missing";
}

}  // namespace qb::test
