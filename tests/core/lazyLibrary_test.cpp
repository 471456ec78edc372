// Libraries loaded on first use: a function when the library has it, otherwise an error that names
// the package to install.
#include "core/lazyLibrary.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace qb {
namespace {

TEST(LazyLibrary, GivesTheFunctionOrNamesThePackageToInstall)
{
    const LazyLibrary libc("libc.so.6", "libc6");
    const auto abs = libc.function<int (*)(int)>("abs");
    ASSERT_TRUE(abs) << abs.error().description;
    EXPECT_EQ((*abs)(-3), 3);

    struct Row { const char* soname; const char* function; const char* said; };
    const Row rows[] = {
        {"libquillbox-none.so.1", "f", "libquillbox-none.so.1 could not be loaded"},
        {"libc.so.6", "quillbox_no_such_function", "libc.so.6 has no quillbox_no_such_function"},
    };
    for (const Row& row : rows) {
        const auto missing = LazyLibrary(row.soname, "some-package").function<void (*)()>(row.function);
        ASSERT_FALSE(missing) << row.soname;
        EXPECT_EQ(missing.error().number, err::FileNotFound);
        EXPECT_NE(missing.error().description.find(row.said), std::string::npos) << missing.error().description;
        EXPECT_NE(missing.error().description.find("install the package some-package"), std::string::npos);
    }
}

}  // namespace
}  // namespace qb
