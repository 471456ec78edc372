// Fault-injection sweeps over small runs: whichever call fails, no original is changed or lost,
// no file has its final name before it is whole, and a run that reports success did all its work.
#include "tools/files/eraseChunks.h"
#include "tools/files/updateFiles.h"

#include <gtest/gtest.h>

#include <set>

#include "files/tree.h"
#include "support/faults.h"

namespace qb {
namespace {

namespace fs = std::filesystem;
using test::Tree;

const std::string absent = "(absent)";
using States = std::map<std::string, std::set<std::string>>;  // what each entry may hold

// Every entry of `tree` is one that `allowed` names, in one of its states; an entry that is not
// there must allow `absent`.
void expectStates(const Tree& tree, const States& allowed)
{
    for (const auto& [name, bytes] : tree) {
        const auto states = allowed.find(name);
        EXPECT_TRUE(states != allowed.end() && states->second.contains(bytes)) << name << " holds " << bytes;
    }
    for (const auto& [name, states] : allowed)
        EXPECT_TRUE(tree.contains(name) || states.contains(absent)) << name << " is missing";
}

TEST(FaultSweep, UpdateFilesKeepsEachOriginalOrReplacesItWithAWholeBackup)
{
    test::TempDir dir;
    const fs::path tree = dir / "tree", newFile = dir.write("new/report.txt", "NEW");
    const Tree pristine{{"report.txt", "old 1"}, {"sub", "/"}, {"sub/report.txt", "old 2"}, {"sub/keep.txt", "keep"}};
    const Tree done{{"report.txt", "NEW"}, {"s_report.txt", "old 1"}, {"sub", "/"}, {"sub/report.txt", "NEW"},
                    {"sub/s_report.txt", "old 2"}, {"sub/keep.txt", "keep"}};
    const int runs = test::sweepFaults(
        [&] { test::writeTree(tree, pristine); },
        [&] { return updateFiles({newFile}, tree, [] { return std::string("s"); }).failures.empty(); },
        [&](bool succeeded, const test::Fault&) {
            const Tree now = test::treeOf(tree);
            if (succeeded) {
                EXPECT_EQ(now, done);
                return;
            }
            // A target is old without a backup, or new with the whole old one beside it.
            for (const std::string folder : {"", "sub/"}) {
                const auto target = now.find(folder + "report.txt");
                const auto backup = now.find(folder + "s_report.txt");
                ASSERT_NE(target, now.end());
                const bool backedUp = backup != now.end() && backup->second == pristine.at(target->first);
                EXPECT_TRUE(target->second == "NEW" ? backedUp : target->second == pristine.at(target->first) && backup == now.end())
                    << target->first;
            }
            expectStates(now, {{"report.txt", {"old 1", "NEW"}}, {"s_report.txt", {"old 1", absent}}, {"sub", {"/"}},
                               {"sub/report.txt", {"old 2", "NEW"}}, {"sub/s_report.txt", {"old 2", absent}},
                               {"sub/keep.txt", {"keep"}}});
        });
    EXPECT_GT(runs, 50);
}

TEST(FaultSweep, EraseLeavesSourcesAloneAndEveryCopyWholeOrAbsent)
{
    test::TempDir dir;
    const Tree pristine{{"a.txt", "x\n<A>\n</A>\ny"}, {"sub", "/"}, {"sub/b.txt", "<A>\r\n</A>"},
                        {"copies", "/"}, {"copies/a.txt", "old copy"}};
    const States failed{{"a.txt", {"x\n<A>\n</A>\ny"}}, {"sub", {"/"}}, {"sub/b.txt", {"<A>\r\n</A>"}}, {"copies", {"/"}},
                        {"copies/a.txt", {"old copy", "x\r\nS\r\ny\r\n", absent}}, {"copies/sub", {"/", absent}},
                        {"copies/sub/b.txt", {"S\r\n", absent}}};
    const int runs = test::sweepFaults(
        [&] { test::writeTree(dir.path(), pristine); },
        [&] {
            const auto report = runEraseChunks(dir.path(), {{"<A>", "</A>"}, "S\r\n", {}, true});
            return report && report->failures.empty();
        },
        [&](bool succeeded, const test::Fault&) {
            const Tree now = test::treeOf(dir.path());
            if (succeeded) {
                EXPECT_EQ(now, (Tree{{"a.txt", "x\n<A>\n</A>\ny"}, {"sub", "/"}, {"sub/b.txt", "<A>\r\n</A>"}, {"copies", "/"},
                                     {"copies/a.txt", "x\r\nS\r\ny\r\n"}, {"copies/sub", "/"}, {"copies/sub/b.txt", "S\r\n"}}));
            } else {
                expectStates(now, failed);
            }
        });
    EXPECT_GT(runs, 20);
}

}  // namespace
}  // namespace qb
