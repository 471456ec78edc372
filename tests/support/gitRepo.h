// Git work trees for the tests of walks that leave out what git ignores: git itself makes them and
// says which files it would list.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace qb::test {

// Runs git with `arguments` in `folder`; false (with a test failure) when it fails.
bool git(const std::filesystem::path& folder, const std::vector<std::string>& arguments);

// The files below `folder` that git lists, tracked or not, without those it ignores
// (git ls-files --cached --others --exclude-standard), relative to `folder`, sorted.
std::vector<std::string> gitListedFiles(const std::filesystem::path& folder);

}  // namespace qb::test
