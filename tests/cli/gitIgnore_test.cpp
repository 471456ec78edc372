// Walks that leave out what git ignores, run as the built program: with --gitignore every command
// that walks a folder takes exactly the files git lists (tracked, or untracked and not ignored);
// without it, or outside a work tree, every file as before.
#include <gtest/gtest.h>

#include <algorithm>

#include "cli/quillbox.h"
#include "support/recorder.h"

namespace qb {
namespace {

namespace fs = std::filesystem;

// The NUL-ended paths of a listing (git's -z, quillbox's -0), sorted.
std::vector<std::string> sortedPaths(const std::string& listing)
{
    std::vector<std::string> paths;
    for (std::size_t from = 0, end; (end = listing.find('\0', from)) != std::string::npos; from = end + 1)
        paths.push_back(listing.substr(from, end - from));
    std::ranges::sort(paths);
    return paths;
}

// Every regular file below `folder`, .git's too, relative to it.
std::vector<std::string> everyFile(const fs::path& folder)
{
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files.push_back(fs::relative(entry.path(), folder).string());
    return files;
}

TEST(GitIgnoredWalks, EveryWalkingCommandTakesWhatGitListsAndOnlyWithTheOption)
{
    test::TempDir temp;
    // git and libgit2 find the global excludes file through the user's configuration folder.
    const test::EnvironmentOverride home("HOME", (temp / "home").native());
    const test::EnvironmentOverride config("XDG_CONFIG_HOME", (temp / "home/.config").native());
    const test::EnvironmentOverride noSystem("GIT_CONFIG_NOSYSTEM", "1");
    const auto listed = [](const test::Ran& ran) {
        EXPECT_EQ(ran.status, 0) << ran.err;
        return sortedPaths(ran.out);
    };
    const auto git = [&](const QStringList& arguments) {
        return listed(test::runProgram("git", arguments, {.folder = temp / "repo"}));
    };
    // Each kind of rule git has, each beside a file it must leave alone. Every file holds a TODO
    // and a declaration, so the scanners list every file they walk.
    for (const char* file : {"same", "keep.log", "a.log", "top", "other/top", "other/build", "build/same",
                             "sub/build/same", "docs/a.tmp", "docs/deep/a.tmp", "sub/same", "sub/deep/same",
                             "sub/x.log", "sub/keep.log", "excluded", "sub/excluded.txt", "sub/global",
                             "node_modules/pkg/index", "src/main", "src/generated/out", "tracked.log",
                             "build/tracked", "NoDot", "sub/NoDot"})
        temp.write(std::string("repo/") + file, "x ' TODO: walked\r\nPublic Sub Walked()\r\n");
    temp.write("repo/.gitignore", "x ' TODO: x\r\nPublic Sub X()\r\n*.log\n!keep.log\nbuild/\n/top\ndocs/*.tmp\nnode_modules/\n");
    temp.write("repo/sub/.gitignore", "x ' TODO: x\r\nPublic Sub X()\r\nsame\n!deep/same\n");
    temp.write("repo/src/.gitignore", "x ' TODO: x\r\nPublic Sub X()\r\ngenerated/\n");
    temp.write("home/.config/git/ignore", "global\n");
    git({"init", "-q"});
    temp.write("repo/.git/info/exclude", "excluded\n");
    // Tracked files stay whatever the patterns say, also inside an ignored folder.
    git({"add", "-f", "tracked.log", "build/tracked"});
    fs::create_directory_symlink("repo", temp / "link");
    fs::copy(temp / "repo", temp / "plain", fs::copy_options::recursive);
    fs::remove_all(temp / "plain/.git");
    temp.write("chunk.txt", "nothing like it\r\n");
    temp.write("pairs.txt", "nothing like it\r\nelse\r\n");
    temp.write("new/same", "new\r\n");

    const std::vector<std::string> gitListed = git({"ls-files", "-z", "-co", "--exclude-standard"});
    // Every rule was at work (git itself says so): the walks must agree with this.
    ASSERT_EQ(gitListed, (std::vector<std::string>{".gitignore", "NoDot", "build/tracked", "docs/deep/a.tmp", "keep.log",
                                                "other/build", "other/top", "same", "src/.gitignore", "src/main",
                                                "sub/.gitignore", "sub/NoDot", "sub/deep/same", "sub/excluded.txt",
                                                "sub/keep.log", "tracked.log"}));
    enum class Takes { All, TopFolder, NamedSame, Dotless, BelowSub, OutsideSrc };
    struct Row {
        QStringList arguments;
        std::vector<std::string> files;  // what the walk should find, relative to the folder
        Takes takes;                     // which of them the command lists
        std::string prefix, suffix = {};  // how it lists them
    };
    const Row rows[] = {
        {{"todos", "-l0", "--gitignore", "repo"}, gitListed, Takes::All, "repo/"},
        {{"subs", "-l0", "--gitignore", "repo"}, gitListed, Takes::All, "repo/"},
        {{"erase", "repo", "--chunk", "chunk.txt", "-rn0", "--gitignore"}, gitListed, Takes::All, "repo/copies/"},
        {{"replace", "repo", "--pairs", "pairs.txt", "-n0", "--gitignore"}, gitListed, Takes::TopFolder, "repo/copies/"},
        {{"update", "repo", "new/same", "-n0", "--gitignore"}, gitListed, Takes::NamedSame, "repo/"},
        {{"addext", "-n0", "--gitignore", "repo"}, gitListed, Takes::Dotless, "repo/", "_COPY.doc"},
        // A walk from a folder inside the work tree, or through a link to it, keeps git's rules.
        {{"todos", "-l0", "--gitignore", "repo/sub"}, gitListed, Takes::BelowSub, "repo/"},
        {{"todos", "-l0", "--gitignore", "link"}, gitListed, Takes::All, "link/"},
        // The Files patterns apply as well.
        {{"todos", "-l0", "--gitignore", "-g", "!src/", "repo"}, gitListed, Takes::OutsideSrc, "repo/"},
        // Without the option every file is walked, .git's included; outside a work tree, with it too.
        {{"erase", "repo", "--chunk", "chunk.txt", "-rn0"}, everyFile(temp / "repo"), Takes::All, "repo/copies/"},
        {{"erase", "plain", "--chunk", "chunk.txt", "-rn0", "--gitignore"}, everyFile(temp / "plain"), Takes::All,
         "plain/copies/"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments.join(' ').toStdString());
        std::vector<std::string> expected;
        for (const std::string& file : row.files) {
            const std::string name = file.substr(file.rfind('/') + 1);
            const bool takes = row.takes == Takes::All || (row.takes == Takes::TopFolder && name == file)
                               || (row.takes == Takes::NamedSame && name == "same")
                               || (row.takes == Takes::Dotless && name.find('.') == std::string::npos)
                               || (row.takes == Takes::BelowSub && file.starts_with("sub/"))
                               || (row.takes == Takes::OutsideSrc && !file.starts_with("src/"));
            if (takes)
                expected.push_back(row.prefix + file + row.suffix);
        }
        std::ranges::sort(expected);
        EXPECT_EQ(listed(test::runQuillbox(row.arguments, {.folder = temp.path()})), expected);
    }
    // A repository git cannot read is an error, as it is for git, never a walk of everything.
    temp.write("repo/.git/index", "not an index");
    const test::Ran broken = test::runQuillbox({"erase", "repo", "--chunk", "chunk.txt", "-rn0", "--gitignore"},
                                               {.folder = temp.path()});
    EXPECT_EQ(broken.status, 1);
    EXPECT_EQ(broken.out, "");
    EXPECT_NE(broken.err.find("75 :: "), std::string::npos) << broken.err;
    EXPECT_NE(broken.err.find("git cannot read the repository of this work tree"), std::string::npos) << broken.err;
}

}  // namespace
}  // namespace qb
