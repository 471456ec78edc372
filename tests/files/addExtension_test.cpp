// Copies for files without a dot: the listing is compared byte for byte, the tree as a whole.
#include "tools/files/addExtension.h"

#include "core/fsSys.h"

#include <gtest/gtest.h>

#include <thread>

#include "files/tree.h"

namespace qb {
namespace {

namespace fs = std::filesystem;
using test::Tree;
using test::treeOf;

class AddExtension : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string path(std::string_view relative) const { return (dir / relative).string(); }
};

TEST_F(AddExtension, ListsByDepthAndCopiesOnceOverRuns)
{
    dir.write("README", "read me");
    dir.write("notes.txt", "notes");
    dir.write("sub/LICENSE", "licence");
    const std::string listing =
        "\t---" + path("README") + "\r\n\t" + path("sub") + "\r\n\t\t---" + path("sub/LICENSE") + "\r\n";
    for (int run = 1; run <= 2; ++run) {
        const RunReport result = *addExtensionCopies(dir.path());
        EXPECT_EQ(result.text, listing) << "run " << run;
        EXPECT_TRUE(result.failures.empty()) << "run " << run;
        EXPECT_EQ(treeOf(dir.path()), (Tree{{"README", "read me"}, {"README_COPY.doc", "read me"}, {"notes.txt", "notes"},
                                            {"sub", "/"}, {"sub/LICENSE", "licence"}, {"sub/LICENSE_COPY.doc", "licence"}}));
    }
}

// Dots count in file names only; a link to a folder is not entered; a vanishing subfolder keeps its
// line and costs one message; cancel stops before the current file.
TEST_F(AddExtension, DotsVanishingFoldersCancelAndOtherRuns)
{
    for (const char* name : {".hidden", "trailing.", "a.b.c", "v1.2/inner", "w/W", "x.y/Makefile"})
        dir.write(name, "x");
    dir.mkdir("empty");
    fs::create_directory_symlink(dir / "v1.2", dir / "zz-link");
    const RunReport result = *addExtensionCopies(dir.path(), defaultExtension, test::removeOnReaching(dir / "v1.2/inner", dir / "w"));
    const std::string head = "\t" + path("empty") + "\r\n\t" + path("v1.2") + "\r\n\t\t---" + path("v1.2/inner") + "\r\n";
    EXPECT_EQ(result.text, head + "\t" + path("w") + "\r\n\t" + path("x.y") + "\r\n\t\t---" + path("x.y/Makefile") + "\r\n");
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_EQ(result.failures[0].error.number, err::PathNotFound);

    fs::remove(dir / "x.y/Makefile_COPY.doc");
    // The three root files, v1.2/inner and its copy, then stop at x.y/Makefile.
    const RunReport stopped = *addExtensionCopies(dir.path(), defaultExtension, test::stopAfter(5));
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_EQ(stopped.text, head + "\t" + path("x.y") + "\r\n");
    EXPECT_FALSE(fs::exists(dir / "x.y/Makefile_COPY.doc"));

    // A copy another run made meanwhile is no failure and stays; two runs at once both succeed.
    dir.write("README", "read me");
    {
        const sys::FaultPlan meanwhile(sys::Call::Rename, 1, 0, [&] { dir.write("README_COPY.doc", "theirs"); });
        EXPECT_TRUE(addExtensionCopies(dir.path())->failures.empty());
        EXPECT_TRUE(meanwhile.fired());
    }
    EXPECT_EQ(test::readBytes(dir / "README_COPY.doc"), "theirs");

    for (int i = 0; i < 100; ++i)
        dir.write("t/f" + std::to_string(i), "f");
    RunReport first, second;
    {
        std::jthread other([&] { first = *addExtensionCopies(dir.path()); });
        second = *addExtensionCopies(dir.path());
    }
    EXPECT_EQ(listFailures(first.failures) + listFailures(second.failures), "");
    EXPECT_EQ(test::readBytes(dir / "t/f99_COPY.doc"), "f");
}

// The extension typed into the window names the copies; one that cannot end a file name is refused
// before anything is walked.
TEST_F(AddExtension, CopiesTakeTheExtensionGiven)
{
    dir.write("README", "read me");
    const struct { std::string extension; int number; } rows[] = {
        {".doc", 0}, {".txt", 0}, {"", err::InvalidProcedureCall}, {"/../x", err::BadFileName}, {std::string(".t\0xt", 4), err::BadFileName},
    };
    for (const auto& row : rows) {
        const auto result = addExtensionCopies(dir.path(), row.extension);
        EXPECT_EQ(result ? 0 : result.error().number, row.number) << row.extension;
    }
    // README and its two copies, nothing else.
    EXPECT_EQ(treeOf(dir.path()), (Tree{{"README", "read me"}, {"README_COPY.doc", "read me"}, {"README_COPY.txt", "read me"}}));
}

// A file that cannot be copied, first in its folder, costs its own copy only: the folder's other
// files and its subfolders are still done, and the listing is whole. A copy name of 255 bytes works.
TEST_F(AddExtension, AFailureCostsItsOwnFileOnly)
{
    const std::string fits(246, 'a'), tooLong(247, 'a');  // "_COPY.doc" makes 255 and 256 bytes
    for (const std::string& name : {fits, tooLong, std::string("b"), std::string("sub/c")})
        dir.write(name, name);
    const RunReport run = *addExtensionCopies(dir.path());
    EXPECT_EQ(run.text, "\t---" + path(fits) + "\r\n\t---" + path(tooLong) + "\r\n\t---" + path("b") + "\r\n\t" + path("sub")
                            + "\r\n\t\t---" + path("sub/c") + "\r\n");
    ASSERT_EQ(run.failures.size(), 1u);
    EXPECT_EQ(run.failures[0].path, dir / tooLong);
    EXPECT_EQ(run.failures[0].error.number, err::BadFileName);
    EXPECT_NE(run.failures[0].error.description.find("256 bytes"), std::string::npos) << run.failures[0].error.description;
    EXPECT_EQ(treeOf(dir.path()), (Tree{{fits, fits}, {fits + "_COPY.doc", fits}, {tooLong, tooLong}, {"b", "b"},
                                        {"b_COPY.doc", "b"}, {"sub", "/"}, {"sub/c", "sub/c"}, {"sub/c_COPY.doc", "sub/c"}}));
}

}  // namespace
}  // namespace qb
