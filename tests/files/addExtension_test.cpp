// Copies for files without a dot: the listing is compared byte for byte, the tree as a whole.
#include "tools/files/addExtension.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include "files/tree.h"

namespace qb {
namespace {

namespace fs = std::filesystem;
using test::treeOf;
using Tree = std::map<std::string, std::string>;

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
    const std::string listing = "\t---" + path("README") + "\r\n\t" + path("sub") + "\r\n\t\t---" +
                                path("sub/LICENSE") + "\r\n";
    const Tree after{{"README", "read me"}, {"README_COPY.doc", "read me"}, {"notes.txt", "notes"},
                     {"sub", "/"}, {"sub/LICENSE", "licence"}, {"sub/LICENSE_COPY.doc", "licence"}};
    for (int run = 1; run <= 2; ++run) {
        const BulkRun result = addExtensionCopies(dir.path());
        EXPECT_EQ(result.text, listing) << "run " << run;
        EXPECT_TRUE(result.messages.empty()) << "run " << run;
        EXPECT_EQ(treeOf(dir.path()), after) << "run " << run;
    }
}

TEST_F(AddExtension, DotsMatterInFileNamesOnlyAndFolderLinksAreNotEntered)
{
    for (const char* name : {".hidden", "trailing.", "a.b.c", "v1.2/inner", "v1.2/deeper/Makefile"})
        dir.write(name, "x");
    dir.mkdir("empty");
    fs::create_directory_symlink(dir / "v1.2", dir / "zz-link");
    const BulkRun result = addExtensionCopies(dir.path());
    EXPECT_EQ(result.text, "\t" + path("empty") + "\r\n\t" + path("v1.2") + "\r\n\t\t---" + path("v1.2/inner") +
                               "\r\n\t\t" + path("v1.2/deeper") + "\r\n\t\t\t---" + path("v1.2/deeper/Makefile") +
                               "\r\n");
    EXPECT_TRUE(result.messages.empty());
    EXPECT_TRUE(fs::exists(dir / "v1.2/inner_COPY.doc"));
    EXPECT_FALSE(fs::exists(dir / ".hidden_COPY.doc"));
    EXPECT_FALSE(fs::exists(dir / "zz-link/inner_COPY.doc_COPY.doc"));
    EXPECT_EQ(addExtensionCopies(dir / "empty").text, "");
}

// A subfolder that cannot be opened keeps its line, costs one message, and the walk goes on with
// the next sibling. Here the folder vanishes between being listed and being entered, which also
// works for root, whom a locked folder does not stop.
TEST_F(AddExtension, VanishedSubfolderCostsOneMessageAndTheWalkGoesOn)
{
    for (const char* name : {"a/A", "b/B", "c/C"})
        dir.write(name, "x");
    const BulkRun result = addExtensionCopies(dir.path(), [&](const fs::path& current, std::uint64_t) {
        if (current == dir / "a/A")
            fs::remove_all(dir / "b");
        return true;
    });
    EXPECT_EQ(result.text, "\t" + path("a") + "\r\n\t\t---" + path("a/A") + "\r\n\t" + path("b") + "\r\n\t" +
                               path("c") + "\r\n\t\t---" + path("c/C") + "\r\n");
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_TRUE(result.messages[0].starts_with("76 :: ")) << result.messages[0];
    EXPECT_TRUE(fs::exists(dir / "c/C_COPY.doc"));
}

TEST_F(AddExtension, LockedSubfolderCostsOneMessageAndTheWalkGoesOn)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop root";
    for (const char* name : {"b/B", "c/C"})
        dir.write(name, "x");
    fs::permissions(dir / "b", fs::perms::none);
    const BulkRun locked = addExtensionCopies(dir.path());
    fs::permissions(dir / "b", fs::perms::owner_all);
    EXPECT_EQ(locked.messages.size(), 1u);
    EXPECT_NE(locked.text.find(path("c/C")), std::string::npos);
}

TEST_F(AddExtension, CancelStopsAfterTheCurrentFile)
{
    for (const char* name : {"A", "B", "C"})
        dir.write(name, "x");
    const BulkRun result =
        addExtensionCopies(dir.path(), [](const fs::path&, std::uint64_t count) { return count < 2; });
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.text, "\t---" + path("A") + "\r\n\t---" + path("B") + "\r\n");
    EXPECT_FALSE(fs::exists(dir / "C_COPY.doc"));
}

}  // namespace
}  // namespace qb
