// The chunk repeater's run and its chunk store, against real files in a temporary folder.
#include "tools/text/carpalTunnel.h"

#include <gtest/gtest.h>

#include "shell/fsSys.h"
#include "support/faults.h"

#include "support/recorder.h"

namespace qb {
namespace {

TEST(ChunkRepeater, WritesAndShowsTheRepetitions)
{
    struct Row {
        const char* name;
        const char* chunk;
        const char* input;
        const char* countStart;
        bool doubleUp;
        const char* written;  // the output file afterwards; every repetition ends in '|'
        int errorNumber = 0;  // 0: the run is done
    };
    const Row rows[] = {
        {"DoubleUpFourLines", "\xA2-\xE6-\xED|", "a\r\nb\r\nc\r\nd\r\n", "10", true, "a-b-10|c-d-11|"},
        // An odd number of lines: the pairs before the last line stay, then reading past the end.
        {"DoubleUpFiveLines", "\xA2-\xE6-\xED|", "a\r\nb\r\nc\r\nd\r\ne\r\n", "10", true, "a-b-10|c-d-11|", 62},
        {"NoLinesEmptiesTheOutput", "\xA2|", "", "10", false, ""},
        {"CounterStartNotANumber", "\xED|", "x", "abc", false, "0|"},
        {"CounterStartHalfRoundsToEvenDown", "\xED|", "x", "6.5", false, "6|"},
        {"CounterStartNegative", "\xED|", "x\r\ny", "-3", false, "-3|-2|"},
        {"CounterStartOutOfRange", "\xED|", "x", "40000", false, "", 6},
        {"CounterPastLargest", "\xA2\xED|", "x\r\ny\r\n", "32767", false, "x32767|", 6},
        {"NextLinePlaceholderKeptWithoutDoubleUp", "\xA2\xE6|", "a\r\nb", "10", false, "a\xE6|b\xE6|"},
        // Later replacements see the earlier ones: placeholders inside a line are filled too.
        {"CounterPlaceholderInsideLine", "[\xA2]|", "x\xEDy", "5", false, "[x5y]|"},
        {"NextLinePlaceholderInsideLine", "\xA2|", "a\xE6\r\nb", "5", true, "ab|"},
        {"EveryLineEndAndHighBytes", "\x80<\xA2>|", "a\r\nb\nc\r\xFE", "1", false, "\x80<a>|\x80<b>|\x80<c>|\x80<\xFE>|"},
    };
    test::TempDir temp;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        temp.write("out.txt", "old output");
        const RepeatResult result =
            repeatChunk({row.chunk, temp.write("in.txt", row.input), temp / "out.txt", row.countStart, row.doubleUp});
        EXPECT_EQ(test::readBytes(temp / "out.txt"), row.written);
        std::string shown;  // each repetition followed by one more line break
        for (const char c : std::string_view(row.written))
            shown += c == '|' ? std::string("|\r\n") : std::string(1, c);
        EXPECT_EQ(result.shown, shown);
        EXPECT_EQ(result.outcome, row.errorNumber ? RepeatOutcome::Failed : RepeatOutcome::Done);
        EXPECT_EQ(result.error ? result.error->number : 0, row.errorNumber);
    }
}

// Nothing is written when the input is missing or is the output file itself (creating the output
// empties it before the input is read); a full disk or an output that cannot be made is never done.
TEST(ChunkRepeater, MissingInputSameFileAndUnwritableOutput)
{
    test::TempDir temp;
    const auto in = temp.write("in.txt", "precious\r\n");
    const auto out = temp.write("out.txt", "keep me");
    const auto run = [](const std::filesystem::path& from, const std::filesystem::path& to) {
        return repeatChunk({"\xA2", from, to, "10", false});
    };
    for (const std::filesystem::path& missing : {temp / "missing.txt", std::filesystem::path(), temp.path()})
        EXPECT_EQ(run(missing, out).outcome, RepeatOutcome::MissingInput) << missing;
    std::filesystem::create_symlink(in, temp / "link.txt");
    std::filesystem::create_hard_link(in, temp / "hard.txt");
    for (const auto& same : {in, temp / "link.txt", temp / "hard.txt", temp / "." / "in.txt"})
        EXPECT_EQ(run(in, same).outcome, RepeatOutcome::SameFile) << same;
    EXPECT_EQ(test::readBytes(in), "precious\r\n");
    EXPECT_EQ(test::readBytes(out), "keep me");
    for (const std::filesystem::path& bad : {std::filesystem::path("/dev/full"), temp / "no-folder" / "out.txt", std::filesystem::path(), temp.path()})
        EXPECT_EQ(run(in, bad).outcome, RepeatOutcome::Failed) << bad;
    EXPECT_EQ(run(in, "/dev/full").error.value_or(Error{}).number, err::PathFileAccess);  // a device is not written
}

// A write that fails part-way: out.txt gets the repetitions that reached it whole, and the box
// shows exactly those, not the ones that were still on their way.
TEST(ChunkRepeater, AfterAFailedWriteShowsWhatReachedTheOutput)
{
    test::TempDir temp;
    std::string input;
    for (int i = 0; i < 400; ++i)
        input += "line " + std::to_string(i) + "\r\n";
    const std::string chunk(500, 'c');  // 400 repetitions of 501 bytes or more: several blocks
    const auto out = temp / "out.txt";
    std::string full;
    for (int i = 0; i < 400; ++i)
        full += chunk + "line " + std::to_string(i) + "|";
    for (std::uint64_t failing : {1, 2, 3}) {
        SCOPED_TRACE(failing);
        temp.write("out.txt", "old output");
        RepeatResult result;
        {
            const sys::FaultPlan full(sys::Call::Write, failing, ENOSPC);
            result = repeatChunk({chunk + "\xA2|", temp.write("in.txt", input), out, "1", false});
        }
        ASSERT_EQ(result.outcome, RepeatOutcome::Failed);
        EXPECT_EQ(result.error->number, err::DiskFull);
        const std::string written = test::readBytes(out);
        std::string shown;
        for (std::size_t start = 0, end; (end = written.find('|', start)) != std::string::npos; start = end + 1)
            shown += written.substr(start, end + 1 - start) + "\r\n";
        EXPECT_TRUE(written.ends_with("|") || written.empty());
        EXPECT_TRUE(full.starts_with(written));
        EXPECT_EQ(written.empty(), failing == 1);  // nothing reached it before the first write
        EXPECT_EQ(result.shown, shown);
    }
}

// Saving adds one CR LF; loading gives back exactly what was saved, however often the window is
// opened and closed. A missing store is no chunk, and other line ends come back as CR LF.
TEST(ChunkStore, RoundTripsExactly)
{
    test::TempDir temp;
    const auto store = temp / "last.txt";
    EXPECT_EQ(loadChunk(store).value_or("error"), std::nullopt);
    for (const std::string chunk : {"", "one line", "ends in a break\r\n", "two\r\n\r\n", "\r\n", "\xA2 \xE6 \xED\r\nsecond"}) {
        std::string current = chunk;
        for (int trip = 0; trip < 3; ++trip) {
            ASSERT_TRUE(saveChunk(store, current));
            EXPECT_EQ(test::readBytes(store), chunk + "\r\n");
            current = loadChunk(store).value_or(std::nullopt).value_or("nothing loaded");
            EXPECT_EQ(current, chunk) << "trip " << trip;
        }
    }
    EXPECT_EQ(loadChunk(temp.write("last.txt", "a\nb\rc\n")).value_or("error"), "a\r\nb\r\nc");
}

// Whichever call of a save fails, or when a folder stands where the store should be, the store
// holds the old chunk or the new one, whole, and no temporary file stays.
TEST(ChunkStore, FailedSaveKeepsTheOldStoreOrTheWholeNewOne)
{
    test::TempDir temp;
    const auto entries = [&] { return std::distance(std::filesystem::directory_iterator(temp.path()), {}); };
    temp.write("last.txt/inside.txt", "kept");
    EXPECT_FALSE(saveChunk(temp / "last.txt", "chunk"));
    EXPECT_EQ(test::readBytes(temp / "last.txt" / "inside.txt"), "kept");
    EXPECT_EQ(entries(), 1);
    std::filesystem::remove_all(temp / "last.txt");

    const auto store = temp / "last.txt";
    test::sweepFaults([&] { temp.write("last.txt", "old chunk\r\n"); },
                      [&] { return saveChunk(store, "new chunk").has_value(); },
                      [&](bool succeeded, const test::Fault&) {
                          EXPECT_EQ(test::readBytes(store), succeeded ? "new chunk\r\n" : "old chunk\r\n");
                          EXPECT_EQ(entries(), 1);
                      });
}

}  // namespace
}  // namespace qb
