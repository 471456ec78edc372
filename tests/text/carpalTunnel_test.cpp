// The chunk repeater's run and its chunk store, against real files in a temporary folder.
#include "tools/text/carpalTunnel.h"

#include <gtest/gtest.h>

#include "support/recorder.h"

namespace qb {
namespace {

TEST(ChunkRepeater, RoadsAndRiversWithTheDefaultChunk)
{
    test::TempDir temp;
    const RepeatResult result =
        repeatChunk({defaultChunk(), temp.write("in.txt", "roads\r\nrivers\r\n"), temp / "out.txt", "10", false});
    ASSERT_EQ(result.outcome, RepeatOutcome::Done);
    const auto layer = [](std::string name, std::string id) {
        return "      <LAYER type=\"image\" name=\"" + name + "\" visible=\"true\" id=\"" + id +
               "\" maxscale=\"1:3500000\">\r\n\t<DATASET name=\"" + name +
               "\" type=\"image\" workspace=\"vex_ws-5\" />\r\n\t<IMAGEPROPERTIES transparency=\"0.5\" />\r\n"
               "      </LAYER>\r\n";
    };
    EXPECT_EQ(test::readBytes(temp / "out.txt"), layer("roads", "10") + layer("rivers", "11"));
    EXPECT_EQ(result.shown, layer("roads", "10") + "\r\n" + layer("rivers", "11") + "\r\n");
}

struct RunRow {
    const char* name;
    const char* chunk;
    const char* input;
    const char* countStart = "10";
    bool doubleUp = false;
    const char* written = "";  // the output file afterwards; every repetition ends in '|'
    int errorNumber = 0;       // 0: the run is done
};

class RepeatRuns : public ::testing::TestWithParam<RunRow> {};

TEST_P(RepeatRuns, WriteAndShowTheRepetitions)
{
    const RunRow& row = GetParam();
    test::TempDir temp;
    temp.write("out.txt", "old output");
    const RepeatResult result =
        repeatChunk({row.chunk, temp.write("in.txt", row.input), temp / "out.txt", row.countStart, row.doubleUp});
    EXPECT_EQ(test::readBytes(temp / "out.txt"), row.written);
    std::string shown;  // the same repetitions, each followed by one more line break
    for (const char c : std::string_view(row.written))
        shown += c == '|' ? std::string("|\r\n") : std::string(1, c);
    EXPECT_EQ(result.shown, shown);
    EXPECT_EQ(result.outcome, row.errorNumber ? RepeatOutcome::Failed : RepeatOutcome::Done);
    EXPECT_EQ(result.error ? result.error->number : 0, row.errorNumber);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RepeatRuns,
    ::testing::Values(
        RunRow{"DoubleUpFourLines", "\xA2-\xE6-\xED|", "a\r\nb\r\nc\r\nd\r\n", "10", true, "a-b-10|c-d-11|"},
        // An odd number of lines: the pairs before the last line stay, then reading past the end.
        RunRow{"DoubleUpFiveLines", "\xA2-\xE6-\xED|", "a\r\nb\r\nc\r\nd\r\ne\r\n", "10", true, "a-b-10|c-d-11|", 62},
        RunRow{"NoLinesEmptiesTheOutput", "\xA2|", "", "10", false, ""},
        RunRow{"CounterStartNotANumber", "\xED|", "x", "abc", false, "0|"},
        RunRow{"CounterStartEmpty", "\xED|", "x", "", false, "0|"},
        RunRow{"CounterStartHalfRoundsToEvenUp", "\xED|", "x", "7.5", false, "8|"},
        RunRow{"CounterStartHalfRoundsToEvenDown", "\xED|", "x", "6.5", false, "6|"},
        RunRow{"CounterStartNegative", "\xED|", "x\r\ny", "-3", false, "-3|-2|"},
        RunRow{"CounterStartOutOfRange", "\xED|", "x", "40000", false, "", 6},
        // The repetition with 32767 is finished; the counter then passes its largest value.
        RunRow{"CounterPastLargest", "\xA2\xED|", "x\r\ny\r\n", "32767", false, "x32767|", 6},
        RunRow{"NoPlaceholdersRepeatsUnchanged", "same|", "1\r\n2", "10", false, "same|same|"},
        RunRow{"NextLinePlaceholderKeptWithoutDoubleUp", "\xA2\xE6|", "a\r\nb", "10", false, "a\xE6|b\xE6|"},
        // Later replacements see the earlier ones: placeholders inside a line are filled too.
        RunRow{"CounterPlaceholderInsideLine", "[\xA2]|", "x\xEDy", "5", false, "[x5y]|"},
        RunRow{"NextLinePlaceholderInsideLine", "\xA2|", "a\xE6\r\nb", "5", true, "ab|"},
        RunRow{"EveryKindOfLineEnd", "<\xA2>|", "a\r\nb\nc\rd", "1", false, "<a>|<b>|<c>|<d>|"},
        RunRow{"HighBytesPassUnchanged", "\x80\xA2\xFF|", "\x81\xFE", "1", false, "\x80\x81\xFE\xFF|"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ChunkRepeater, MissingInputOrSameFileWritesNothing)
{
    test::TempDir temp;
    const auto in = temp.write("in.txt", "precious\r\n");
    const auto out = temp.write("out.txt", "keep me");
    for (const std::filesystem::path& missing : {temp / "missing.txt", std::filesystem::path(), temp.path()})
        EXPECT_EQ(repeatChunk({"\xA2", missing, out, "10", false}).outcome, RepeatOutcome::MissingInput) << missing;
    // Creating the output empties it before the input is read: one file in both roles would be lost.
    std::filesystem::create_symlink(in, temp / "link.txt");
    std::filesystem::create_hard_link(in, temp / "hard.txt");
    for (const auto& same : {in, temp / "link.txt", temp / "hard.txt", temp / "." / "in.txt"})
        EXPECT_EQ(repeatChunk({"\xA2", in, same, "10", false}).outcome, RepeatOutcome::SameFile) << same;
    EXPECT_EQ(test::readBytes(in), "precious\r\n");
    EXPECT_EQ(test::readBytes(out), "keep me");
}

// A full disk shows up when the output is flushed; such a run, or one whose output cannot be
// created, never ends as done.
TEST(ChunkRepeater, UnwritableOutputIsAnErrorNotDone)
{
    test::TempDir temp;
    const auto in = temp.write("in.txt", "a\r\nb\r\n");
    const RepeatResult full = repeatChunk({"\xA2", in, "/dev/full", "10", false});
    EXPECT_EQ(full.outcome, RepeatOutcome::Failed);
    EXPECT_EQ(full.error ? full.error->number : 0, err::DiskFull);
    for (const std::filesystem::path& out : {temp / "no-folder" / "out.txt", std::filesystem::path(), temp.path()})
        EXPECT_EQ(repeatChunk({"\xA2", in, out, "10", false}).outcome, RepeatOutcome::Failed) << out;
}

class ChunkStore : public ::testing::TestWithParam<std::string> {};

// Saving adds one CR LF after the chunk; loading gives back exactly what was saved, however
// often the window is opened and closed.
TEST_P(ChunkStore, RoundTripsExactly)
{
    test::TempDir temp;
    const auto store = temp / "last.txt";
    std::string current = GetParam();
    for (int trip = 0; trip < 3; ++trip) {
        ASSERT_TRUE(saveChunk(store, current));
        EXPECT_EQ(test::readBytes(store), GetParam() + "\r\n");
        const auto loaded = loadChunk(store);
        ASSERT_TRUE(loaded && *loaded);
        current = **loaded;
        EXPECT_EQ(current, GetParam()) << "trip " << trip;
    }
}

INSTANTIATE_TEST_SUITE_P(Chunks, ChunkStore,
                         ::testing::Values("", "one line", "ends in a break\r\n", "two\r\n\r\n", "\r\n",
                                           "\xA2 \xE6 \xED\r\nsecond", defaultChunk()));

TEST(ChunkStoreFile, MissingIsNothingAndOtherLineEndsComeBackAsCrLf)
{
    test::TempDir temp;
    const auto missing = loadChunk(temp / "last.txt");
    ASSERT_TRUE(missing);
    EXPECT_FALSE(*missing);
    const auto loaded = loadChunk(temp.write("last.txt", "a\nb\rc\n"));
    ASSERT_TRUE(loaded && *loaded);
    EXPECT_EQ(**loaded, "a\r\nb\r\nc");
}

TEST(ChunkStoreFile, FailedSaveLeavesWhatWasThere)
{
    test::TempDir temp;
    temp.write("last.txt/inside.txt", "kept");  // a folder where the store should be
    EXPECT_FALSE(saveChunk(temp / "last.txt", "chunk"));
    EXPECT_EQ(test::readBytes(temp / "last.txt" / "inside.txt"), "kept");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.path()), std::filesystem::directory_iterator()), 1)
        << "no temporary file left behind";
}

}  // namespace
}  // namespace qb
