// What a copies run offers for review: only copies it wrote itself that differ from originals
// that stayed as it read them; and the copies it wrote are discarded, not others.
#include "tools/files/review.h"

#include "core/fs.h"
#include "tools/files/eraseChunks.h"
#include "tools/files/inPlace.h"

#include <gtest/gtest.h>

#include "files/tree.h"

namespace qb {
namespace {

namespace fs = std::filesystem;

struct Offered {
    std::string path;
    ReviewedChange::Kind kind;
    std::uint64_t removed, added;
    friend bool operator==(const Offered&, const Offered&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Offered& o)
    {
        return out << o.path << (o.kind == ReviewedChange::Kind::LineEnds ? " ends " : " lines ") << o.removed << '/' << o.added;
    }
};

TEST(Review, OffersOnlyChangesTheRunMadeFromOriginalsAsItReadThem)
{
    test::TempDir temp;
    const fs::path work = temp.mkdir("work");
    test::writeTree(work, {
        {"changed.txt", "a\r\nCHUNK\r\nb\r\n"},        // offered: one line out, the spew in
        {"ends.txt", "a\nb"},                           // offered as line ends only (CR LF, and a last end)
        {"same.txt", "a\r\n"},                          // its copy is the same: not offered
        {"binary.bin", std::string("CHUNK\0\r\n", 8)},  // copied as is: counted, never offered
        {"edited.txt", "CHUNK\r\n"},                    // changed while the run worked: refused
        {"stale.txt", "CHUNK\r\n"},                     // its earlier copy cannot be replaced: not offered
        {"sub/deep.txt", "CHUNK\r\n"},
        {"copies", "/"},
        {"copies/stale.txt", "an earlier run's copy\r\n"},
        {"sub", "/"},
    });
    fs::permissions(work / "copies/stale.txt", fs::perms::owner_read);
    EraseSettings settings{.chunk = {"CHUNK"}, .spew = "spew\r\n", .recursive = true};
    RunReport walked;
    const CopiesRun before = stampCopies("erase", work, eraseInputs(work, true, walked),
                                         [&](const fs::path& file) { return copyPathFor(file, work); });
    ASSERT_TRUE(runEraseChunks(work, settings, [&](const fs::path& current, std::uint64_t) {
        if (current.filename() == "same.txt")  // edited.txt was copied just before
            temp.write("work/edited.txt", "CHUNK\r\nmore\r\n");
        return true;
    }));
    const CopyReview review = reviewCopies(before);

    std::vector<Offered> offered;
    for (const ReviewedChange& change : review.changes)
        offered.push_back({diffPath(change.edit.path, work), change.kind, change.counts.removed, change.counts.added});
    EXPECT_EQ(offered, (std::vector<Offered>{{"changed.txt", ReviewedChange::Kind::Lines, 1, 1},
                                             {"ends.txt", ReviewedChange::Kind::LineEnds, 2, 2},
                                             {"sub/deep.txt", ReviewedChange::Kind::Lines, 1, 1}}));
    EXPECT_EQ(review.report.counts.binary, 1);
    ASSERT_EQ(review.report.failures.size(), 1);
    EXPECT_EQ(review.report.failures[0].path, work / "edited.txt");
    EXPECT_EQ(review.copies.size(), 6);  // all but stale.txt's

    // A file larger than the review takes (either side) is left out and counted in a note.
    const CopyReview small = reviewCopies(before, 8);
    ASSERT_EQ(small.changes.size(), 2);
    EXPECT_EQ(small.changes[1].edit.path, work / "sub/deep.txt");
    ASSERT_EQ(small.report.notes.size(), 1);
    EXPECT_TRUE(small.report.notes[0].starts_with("1 file is larger than ")) << small.report.notes[0];

    // The plan takes each copy's bytes, as recorded; the apply refuses a copy changed since.
    const test::Tree copies = test::treeOf(work / "copies");
    temp.write("work/copies/sub/deep.txt", "mine\r\n");
    const auto applied = applyEdits(reviewPlan(review, {0, 2}), temp / "data");
    ASSERT_TRUE(applied);
    EXPECT_EQ(applied->report.counts.written, 1);
    EXPECT_EQ(test::readBytes(work / "changed.txt"), copies.at("changed.txt"));
    EXPECT_EQ(test::readBytes(work / "sub/deep.txt"), "CHUNK\r\n");

    // Discard: the copies the run wrote go, the one changed since stays, and so does the earlier
    // run's copy, with the folders that still hold something.
    const RunReport discarded = discardCopies(review);
    EXPECT_EQ(discarded.counts.written, 5);
    ASSERT_EQ(discarded.failures.size(), 1);
    EXPECT_EQ(discarded.failures[0].path, work / "copies/sub/deep.txt");
    EXPECT_EQ(test::treeOf(work / "copies"),
              (test::Tree{{"stale.txt", "an earlier run's copy\r\n"}, {"sub", "/"}, {"sub/deep.txt", "mine\r\n"}}));
}

TEST(Review, DiffRowsNumberEachSide)
{
    const std::string unified = unifiedDiff("a\nb\nc\n", "a\nB\nc\nd", "f");
    std::vector<std::string> rows;
    for (const DiffRow& row : diffRows(unified))
        rows.push_back(std::to_string(static_cast<int>(row.kind)) + " " + std::to_string(row.oldLine) + " "
                       + std::to_string(row.newLine) + " " + std::string(row.text) + (row.noNewline ? " $" : ""));
    EXPECT_EQ(rows, (std::vector<std::string>{"0 0 0 @@ -1,3 +1,4 @@", "1 1 1 a", "3 0 2 B", "2 2 0 b", "1 3 3 c",
                                              "3 0 4 d $"}));
}

}  // namespace
}  // namespace qb
