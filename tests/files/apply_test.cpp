// Applying edits to originals and undoing them: originals changed behind the run's back are
// refused file by file, every failure of the file layer is reported and costs no original, and
// undo brings back exactly the bytes that were there.
#include "tools/files/apply.h"

#include <gtest/gtest.h>

#include "files/tree.h"
#include "support/faults.h"
#include "support/recorder.h"

namespace qb {
namespace {

namespace fs = std::filesystem;
using test::Tree;

const Tree before = {{"a.txt", "alpha\r\n"}, {"b.txt", "beta\n"}, {"sub", "/"}, {"sub/c.txt", "gamma"}};
const Tree after = {{"a.txt", "ALPHA\r\n"}, {"b.txt", "BETA\n"}, {"sub", "/"}, {"sub/c.txt", "GAMMA"}};

class Apply : public ::testing::Test {
protected:
    fs::path tree() const { return temp / "tree"; }
    fs::path data() const { return temp / "data"; }

    // The tree as `before`, no applies yet, and a plan that makes it `after`.
    ApplyPlan prepare()
    {
        test::writeTree(tree(), before);
        fs::remove_all(data());
        ApplyPlan plan{"replace", tree(), {}, [this](const fs::path& file, std::string_view) -> Result<std::string> {
                           return after.at(file.lexically_relative(tree()).string());
                       }};
        for (const auto& [name, bytes] : before) {
            if (bytes == "/")
                continue;
            std::string read;
            auto original = recordOriginal(tree() / name, read);
            EXPECT_TRUE(original.has_value());
            plan.edits.push_back({tree() / name, *original, contentHash(after.at(name))});
        }
        return plan;
    }

    // Every original is whole: as it was, or as the apply makes it.
    void expectWhole()
    {
        test::States states;
        for (const auto& [name, bytes] : before)
            states[name] = {bytes, after.at(name)};
        test::expectStates(test::treeOf(tree()), states);
    }

    test::TempDir temp;
};

struct ScenarioRow {
    const char* name;
    std::function<void()> beforeApply = {}, beforeUndo = {};
    Tree applied;  // the tree after the apply
    std::vector<std::string> applyRefused, undoRefused;
    Tree undone;   // the tree after the undo
};

// `tree` with `name` holding `bytes`, or gone when `bytes` is absent.
Tree with(Tree tree, const std::string& name, const std::string& bytes = test::absent)
{
    if (bytes == test::absent)
        tree.erase(name);
    else
        tree[name] = bytes;
    return tree;
}

TEST_F(Apply, RefusesFilesChangedBehindItsBackAndUndoesTheRest)
{
    const ScenarioRow rows[] = {
        {"nothing in between", {}, {}, after, {}, {}, before},
        {"an original edited between run and apply", [&] { temp.write("tree/b.txt", "beta!\n"); }, {},
         with(after, "b.txt", "beta!\n"), {"b.txt"}, {}, with(before, "b.txt", "beta!\n")},
        // Same size and bytes, only touched: the run's record no longer holds.
        {"an original touched between run and apply",
         [&] { fs::last_write_time(tree() / "b.txt", fs::last_write_time(tree() / "b.txt") + std::chrono::seconds(5)); },
         {}, with(after, "b.txt", "beta\n"), {"b.txt"}, {}, before},
        {"an original replaced by a link",
         [&] { fs::remove(tree() / "b.txt"); fs::create_symlink("a.txt", tree() / "b.txt"); }, {},
         with(after, "b.txt", "-> a.txt"), {"b.txt"}, {}, with(before, "b.txt", "-> a.txt")},
        {"an original removed", [&] { fs::remove(tree() / "b.txt"); }, {}, with(after, "b.txt"), {"b.txt"}, {},
         with(before, "b.txt")},
        {"a file edited between apply and undo", {}, [&] { temp.write("tree/a.txt", "edited by hand\n"); },
         after, {}, {"a.txt"}, with(before, "a.txt", "edited by hand\n")},
        {"a file put back by hand before undo", {}, [&] { temp.write("tree/a.txt", "alpha\r\n"); },
         after, {}, {}, before},
    };
    const auto refused = [this](const std::vector<Failure>& failures) {
        std::vector<std::string> names;
        for (const Failure& failure : failures)
            names.push_back(failure.path.lexically_relative(tree()).string());
        return names;
    };
    for (const ScenarioRow& row : rows) {
        SCOPED_TRACE(row.name);
        const ApplyPlan plan = prepare();
        if (row.beforeApply)
            row.beforeApply();
        const auto applied = applyEdits(plan, data());
        ASSERT_TRUE(applied.has_value());
        EXPECT_EQ(refused(applied->report.failures), row.applyRefused);
        EXPECT_EQ(test::treeOf(tree()), row.applied);
        if (row.beforeUndo)
            row.beforeUndo();
        const auto undone = undoApply(applied->manifest);
        ASSERT_TRUE(undone.has_value());
        EXPECT_EQ(refused(undone->failures), row.undoRefused);
        EXPECT_EQ(test::treeOf(tree()), row.undone);
        // Nothing of the apply lands in the user's tree, and undoing twice changes nothing more.
        const auto again = undoApply(applied->manifest);
        ASSERT_TRUE(again.has_value());
        EXPECT_EQ(again->counts.written, 0u);
        EXPECT_EQ(test::treeOf(tree()), row.undone);
    }
}

// The bytes are made again at apply time: an edit that comes out otherwise, or fails, is refused.
TEST_F(Apply, RefusesNewBytesThatDifferFromThePlan)
{
    ApplyPlan plan = prepare();
    const MakeAfter planned = plan.makeAfter;
    plan.makeAfter = [&](const fs::path& file, std::string_view before) -> Result<std::string> {
        if (file.filename() == "a.txt")
            return "not as planned";
        if (file.filename() == "b.txt")
            return fail(err::FileNotFound, "the copy is gone");
        return planned(file, before);
    };
    const auto applied = applyEdits(plan, data());
    ASSERT_TRUE(applied.has_value());
    ASSERT_EQ(applied->report.failures.size(), 2u);
    EXPECT_EQ(test::treeOf(tree()), with(before, "sub/c.txt", after.at("sub/c.txt")));
}

TEST_F(Apply, ManifestRecordsEveryFileAndListsNewestFirst)
{
    const auto first = applyEdits(prepare(), data());
    ASSERT_TRUE(first.has_value());
    const auto record = readManifest(first->manifest);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->tool, "replace");
    EXPECT_EQ(record->folder, tree());
    ASSERT_EQ(record->files.size(), 3u);
    for (const AppliedFile& file : record->files) {
        const std::string name = file.path.lexically_relative(tree()).string();
        EXPECT_EQ(file.state, AppliedFile::State::Done);
        EXPECT_EQ(file.hashBefore, contentHash(before.at(name)));
        EXPECT_EQ(file.hashAfter, contentHash(after.at(name)));
        EXPECT_EQ(test::readBytes(file.backup), before.at(name));
        EXPECT_FALSE(file.backup.string().starts_with(tree().string()));
    }
    // A second apply in the same second gets a folder of its own and comes first.
    std::string read;
    ApplyPlan second{"erase", tree(), {{tree() / "a.txt", *recordOriginal(tree() / "a.txt", read), contentHash("x")}},
                     [](const fs::path&, std::string_view) -> Result<std::string> { return "x"; }};
    const auto next = applyEdits(second, data());
    ASSERT_TRUE(next.has_value());
    const auto applies = listApplies(data());
    ASSERT_EQ(applies.size(), 2u);
    EXPECT_EQ(applies[0].manifest, next->manifest);
    EXPECT_EQ(applies[1].manifest, first->manifest);
    // A manifest whose head a kill cut short is no apply: nothing was touched under it.
    const fs::path cut = temp.write("data/applies/20000101-000000-001/manifest.txt", "quillbox apply 1\ntool\treplace\nfile\t1");
    EXPECT_EQ(listApplies(data()).size(), 2u);
    EXPECT_FALSE(readManifest(cut).has_value());
}

TEST_F(Apply, EveryInjectedFailureIsReportedAndUndoRestoresEveryByte)
{
    ApplyPlan plan;
    fs::path manifest;
    const int runs = test::sweepFaults(
        [&] { plan = prepare(); },
        [&] {
            const auto applied = applyEdits(plan, data());
            manifest = applied ? applied->manifest : fs::path();
            return applied && applied->report.failures.empty();
        },
        [&](bool, const test::Fault&) {
            expectWhole();
            if (manifest.empty()) {
                EXPECT_EQ(test::treeOf(tree()), before) << "an original was touched before the manifest was written";
                return;
            }
            const auto undone = undoApply(manifest);
            ASSERT_TRUE(undone.has_value());
            EXPECT_TRUE(undone->failures.empty());
            EXPECT_EQ(test::treeOf(tree()), before);
        });
    EXPECT_GT(runs, 30);
}

TEST_F(Apply, UndoReportsEveryInjectedFailureAndFinishesWhenRunAgain)
{
    fs::path manifest;
    const int runs = test::sweepFaults(
        [&] {
            const auto applied = applyEdits(prepare(), data());
            ASSERT_TRUE(applied && applied->report.failures.empty());
            manifest = applied->manifest;
        },
        [&] {
            const auto undone = undoApply(manifest);
            return undone && undone->failures.empty();
        },
        [&](bool, const test::Fault&) {
            expectWhole();
            const auto again = undoApply(manifest);
            ASSERT_TRUE(again.has_value());
            EXPECT_TRUE(again->failures.empty());
            EXPECT_EQ(test::treeOf(tree()), before);
        });
    EXPECT_GT(runs, 20);
}

TEST(ContentHash, IsSha256)
{
    EXPECT_EQ(contentHash(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(contentHash("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

}  // namespace
}  // namespace qb
