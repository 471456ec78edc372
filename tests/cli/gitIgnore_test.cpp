// Walks that leave out what git ignores, run as the built program: with --gitignore every command
// that walks a folder takes exactly the files git lists (tracked, or untracked and not ignored);
// without it, or outside a work tree, every file as before.
#include "core/walk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "support/gitRepo.h"
#include "support/process.h"
#include "support/recorder.h"

namespace qb {
namespace {

namespace fs = std::filesystem;

const QString quillbox = QStringLiteral(QUILLBOX_EXECUTABLE);
// Every file holds a TODO and a declaration, so the scanners list every file they walk.
const std::string body = "x ' TODO: walked\r\nPublic Sub Walked()\r\n";

class GitIgnoredWalks : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Each kind of rule git has, each beside a file it must leave alone.
        const char* files[] = {
            "same", "keep.log", "a.log", "top", "other/top", "other/build", "build/same", "sub/build/same",
            "docs/a.tmp", "docs/deep/a.tmp", "sub/same", "sub/deep/same", "sub/x.log", "sub/keep.log",
            "excluded", "sub/excluded.txt", "sub/global", "node_modules/pkg/index", "src/main", "src/generated/out",
            "tracked.log", "build/tracked", "NoDot", "sub/NoDot",
        };
        for (const char* file : files)
            temp.write(std::string("repo/") + file, body);
        temp.write("repo/.gitignore", body + "*.log\n!keep.log\nbuild/\n/top\ndocs/*.tmp\nnode_modules/\n");
        temp.write("repo/sub/.gitignore", body + "same\n!deep/same\n");
        temp.write("repo/src/.gitignore", body + "generated/\n");
        temp.write("home/.config/git/ignore", "global\n");
        ASSERT_TRUE(test::git(temp / "repo", {"init", "-q"}));
        temp.write("repo/.git/info/exclude", "excluded\n");
        // Tracked files stay whatever the patterns say, also inside an ignored folder.
        ASSERT_TRUE(test::git(temp / "repo", {"add", "-f", "tracked.log", "build/tracked"}));
        fs::create_directory_symlink("repo", temp / "link");
        fs::copy(temp / "repo", temp / "plain", fs::copy_options::recursive);
        fs::remove_all(temp / "plain/.git");
    }

    // The sorted paths a command lists (NUL-ended), run in the temporary folder.
    std::vector<std::string> listed(const QStringList& arguments) const
    {
        const test::Ran ran = test::runProgram(quillbox, arguments, {.folder = temp.path()});
        EXPECT_EQ(ran.status, 0) << ran.err;
        std::vector<std::string> paths;
        for (std::size_t from = 0, end; (end = ran.out.find('\0', from)) != std::string::npos; from = end + 1)
            paths.push_back(ran.out.substr(from, end - from));
        std::ranges::sort(paths);
        return paths;
    }

    test::TempDir temp;
    // git and libgit2 find the global excludes file through the user's configuration folder.
    test::EnvironmentOverride home{"HOME", (temp / "home").native()};
    test::EnvironmentOverride config{"XDG_CONFIG_HOME", (temp / "home/.config").native()};
    test::EnvironmentOverride noSystemConfig{"GIT_CONFIG_NOSYSTEM", "1"};
};

// Every regular file below `folder`, .git's too, relative to it, sorted.
std::vector<std::string> everyFile(const fs::path& folder)
{
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files.push_back(fs::relative(entry.path(), folder).string());
    std::ranges::sort(files);
    return files;
}

std::string nameOf(const std::string& path)
{
    return path.substr(path.rfind('/') + 1);
}

// The listing a command gives for the walked files `files`: those it takes, as it lists them, sorted.
std::vector<std::string> expectedListing(const std::vector<std::string>& files,
                                         const std::function<bool(const std::string&)>& takes,
                                         const std::function<std::string(const std::string&)>& lists)
{
    std::vector<std::string> listing;
    for (const std::string& file : files)
        if (takes(file))
            listing.push_back(lists(file));
    std::ranges::sort(listing);
    return listing;
}

TEST_F(GitIgnoredWalks, EveryWalkingCommandTakesWhatGitListsAndOnlyWithTheOption)
{
    temp.write("chunk.txt", "nothing like it\r\n");
    temp.write("pairs.txt", "nothing like it\r\nelse\r\n");
    temp.write("new/same", "new\r\n");
    const std::vector<std::string> gitListed = test::gitListedFiles(temp / "repo");
    // Every rule was at work (git itself says so): the walks must agree with this.
    ASSERT_EQ(gitListed, (std::vector<std::string>{".gitignore", "NoDot", "build/tracked", "docs/deep/a.tmp", "keep.log",
                                                   "other/build", "other/top", "same", "src/.gitignore", "src/main",
                                                   "sub/.gitignore", "sub/NoDot", "sub/deep/same", "sub/excluded.txt",
                                                   "sub/keep.log", "tracked.log"}));

    const auto all = [](const std::string&) { return true; };
    const auto below = [](std::string folder) { return [folder](const std::string& path) { return folder + "/" + path; }; };
    const auto atTop = [](const std::string& path) { return path.find('/') == std::string::npos; };
    const auto named = [](const std::string& path) { return nameOf(path) == "same"; };
    const auto dotless = [](const std::string& path) { return nameOf(path).find('.') == std::string::npos; };
    const auto copy = [](const std::string& path) { return "repo/" + path + "_COPY.doc"; };
    const auto inSub = [](const std::string& path) { return path.starts_with("sub/"); };
    const auto outsideSrc = [](const std::string& path) { return !path.starts_with("src/"); };
    struct Row {
        QStringList arguments;
        std::vector<std::string> files;  // the files the walk should take, relative to repo/
        std::function<bool(const std::string&)> takes;
        std::function<std::string(const std::string&)> lists;
    };
    std::vector<std::string> belowSub;
    for (const std::string& file : gitListed)
        if (inSub(file))
            belowSub.push_back(file);
    const Row rows[] = {
        {{"todos", "-l0", "--gitignore", "repo"}, gitListed, all, below("repo")},
        {{"subs", "-l0", "--gitignore", "repo"}, gitListed, all, below("repo")},
        {{"erase", "repo", "--chunk", "chunk.txt", "-rn0", "--gitignore"}, gitListed, all, below("repo/copies")},
        {{"replace", "repo", "--pairs", "pairs.txt", "-n0", "--gitignore"}, gitListed, atTop, below("repo/copies")},
        {{"update", "repo", "new/same", "-n0", "--gitignore"}, gitListed, named, below("repo")},
        {{"addext", "-n0", "--gitignore", "repo"}, gitListed, dotless, copy},
        // A walk from a folder inside the work tree, or through a link to it, keeps git's rules.
        {{"todos", "-l0", "--gitignore", "repo/sub"}, belowSub, all, below("repo")},
        {{"todos", "-l0", "--gitignore", "link"}, gitListed, all, below("link")},
        // The Files patterns apply as well.
        {{"todos", "-l0", "--gitignore", "-g", "!src/", "repo"}, gitListed, outsideSrc, below("repo")},
        // Without the option every file is walked, .git's included; outside a work tree, with it too.
        {{"erase", "repo", "--chunk", "chunk.txt", "-rn0"}, everyFile(temp / "repo"), all, below("repo/copies")},
        {{"erase", "plain", "--chunk", "chunk.txt", "-rn0", "--gitignore"}, everyFile(temp / "plain"), all, below("plain/copies")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments.join(' ').toStdString());
        EXPECT_EQ(listed(row.arguments), expectedListing(row.files, row.takes, row.lists));
    }
}

}  // namespace
}  // namespace qb
