// Helpers for the scanner tests: a file that exists but cannot be read, whoever runs the tests.
#pragma once

#include <filesystem>

namespace qb::test {

// Makes `path` a link to this process's memory file: it is listed as a regular file, opens, and
// fails on the first read with an I/O error (also for root, for whom permissions stop nothing).
inline std::filesystem::path makeUnreadableFile(const std::filesystem::path& path)
{
    std::filesystem::create_directories(path.parent_path());
    std::filesystem::create_symlink("/proc/self/mem", path);
    return path;
}

}  // namespace qb::test
