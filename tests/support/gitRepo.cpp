#include "support/gitRepo.h"

#include "support/process.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace qb::test {

namespace {

Ran runGit(const std::filesystem::path& folder, const std::vector<std::string>& arguments)
{
    QStringList list;
    for (const std::string& argument : arguments)
        list << QString::fromStdString(argument);
    return runProgram(QStringLiteral("git"), list, {.folder = folder});
}

}  // namespace

bool git(const std::filesystem::path& folder, const std::vector<std::string>& arguments)
{
    const Ran ran = runGit(folder, arguments);
    EXPECT_EQ(ran.status, 0) << ran.err;
    return ran.status == 0;
}

std::vector<std::string> gitListedFiles(const std::filesystem::path& folder)
{
    const Ran ran = runGit(folder, {"ls-files", "-z", "--cached", "--others", "--exclude-standard"});
    EXPECT_EQ(ran.status, 0) << ran.err;
    std::vector<std::string> files;
    for (std::size_t from = 0, end; (end = ran.out.find('\0', from)) != std::string::npos; from = end + 1)
        files.push_back(ran.out.substr(from, end - from));
    std::ranges::sort(files);
    return files;
}

}  // namespace qb::test
