// Copies for files without a dot: the listing is compared byte for byte, the tree as a whole.
#include "tools/files/addExtension.h"

#include <gtest/gtest.h>

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
        const BulkRun result = addExtensionCopies(dir.path());
        EXPECT_EQ(result.text, listing) << "run " << run;
        EXPECT_TRUE(result.messages.empty()) << "run " << run;
        EXPECT_EQ(treeOf(dir.path()), (Tree{{"README", "read me"}, {"README_COPY.doc", "read me"}, {"notes.txt", "notes"},
                                            {"sub", "/"}, {"sub/LICENSE", "licence"}, {"sub/LICENSE_COPY.doc", "licence"}}));
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
    EXPECT_TRUE(fs::exists(dir / "v1.2/deeper/Makefile_COPY.doc"));
    EXPECT_FALSE(fs::exists(dir / ".hidden_COPY.doc"));
}

// A subfolder that cannot be opened keeps its line, costs one message, and the walk goes on with
// the next sibling. The folder vanishes between being listed and being entered (a locked folder
// would not stop root). Cancel stops after the current file.
TEST_F(AddExtension, FailingSubfolderCostsOneMessageAndCancelStops)
{
    for (const char* name : {"a/A", "b/B", "c/C", "c/D"})
        dir.write(name, "x");
    const BulkRun result = addExtensionCopies(dir.path(), [&](const fs::path& current, std::uint64_t) {
        return current != dir / "a/A" || fs::remove_all(dir / "b");
    });
    const std::string a = "\t" + path("a") + "\r\n\t\t---" + path("a/A") + "\r\n";
    const std::string c = "\t" + path("c") + "\r\n\t\t---" + path("c/C") + "\r\n";
    EXPECT_EQ(result.text, a + "\t" + path("b") + "\r\n" + c + "\t\t---" + path("c/D") + "\r\n");
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_TRUE(result.messages[0].starts_with("76 :: ")) << result.messages[0];

    fs::remove(dir / "c/C_COPY.doc");
    fs::remove(dir / "c/D_COPY.doc");
    // a/A, a/A_COPY.doc, c/C, then stop at c/D.
    const BulkRun stopped = addExtensionCopies(dir.path(), [](const fs::path&, std::uint64_t n) { return n < 3; });
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_EQ(stopped.text, a + c);
    EXPECT_TRUE(fs::exists(dir / "c/C_COPY.doc"));
    EXPECT_FALSE(fs::exists(dir / "c/D_COPY.doc"));
}

}  // namespace
}  // namespace qb
