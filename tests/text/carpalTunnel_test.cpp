// The chunk repeater's expansion run and its chunk store, against real files in a temporary folder.
#include "tools/text/carpalTunnel.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include "support/recorder.h"

namespace qb {
namespace {

std::string repeated(int count, std::string_view piece)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += piece;
    return text;
}

TEST(ChunkRepeater, RoadsAndRiversWithTheDefaultChunk)
{
    test::TempDir temp;
    RepeatRequest request{defaultChunk(), temp.write("in.txt", "roads\r\nrivers\r\n"), temp / "out.txt", "10", false};
    const RepeatResult result = repeatChunk(request);
    ASSERT_EQ(result.outcome, RepeatOutcome::Done);
    const std::string roads =
        "      <LAYER type=\"image\" name=\"roads\" visible=\"true\" id=\"10\" maxscale=\"1:3500000\">\r\n"
        "\t<DATASET name=\"roads\" type=\"image\" workspace=\"vex_ws-5\" />\r\n"
        "\t<IMAGEPROPERTIES transparency=\"0.5\" />\r\n"
        "      </LAYER>\r\n";
    const std::string rivers =
        "      <LAYER type=\"image\" name=\"rivers\" visible=\"true\" id=\"11\" maxscale=\"1:3500000\">\r\n"
        "\t<DATASET name=\"rivers\" type=\"image\" workspace=\"vex_ws-5\" />\r\n"
        "\t<IMAGEPROPERTIES transparency=\"0.5\" />\r\n"
        "      </LAYER>\r\n";
    EXPECT_EQ(test::readBytes(temp / "out.txt"), roads + rivers);
    EXPECT_EQ(result.shown, roads + "\r\n" + rivers + "\r\n");
}

struct RunRow {
    const char* name;
    const char* chunk;
    const char* input;
    const char* countStart = "10";
    bool doubleUp = false;
    const char* written = "";    // the output file afterwards
    int errorNumber = 0;         // 0: the run is done
};

class RepeatRuns : public ::testing::TestWithParam<RunRow> {};

TEST_P(RepeatRuns, WriteAndShowTheRepetitions)
{
    const RunRow& row = GetParam();
    test::TempDir temp;
    temp.write("out.txt", "old output");
    RepeatRequest request{row.chunk, temp.write("in.txt", row.input), temp / "out.txt", row.countStart, row.doubleUp};
    const RepeatResult result = repeatChunk(request);
    EXPECT_EQ(test::readBytes(temp / "out.txt"), row.written);
    // The shown text holds the same repetitions, each followed by one more line break; here
    // every repetition ends in '|', so the break follows each of those.
    std::string shown;
    for (const char c : std::string_view(row.written)) {
        shown += c;
        if (c == '|')
            shown += "\r\n";
    }
    EXPECT_EQ(result.shown, shown);
    if (row.errorNumber == 0) {
        EXPECT_EQ(result.outcome, RepeatOutcome::Done);
        EXPECT_FALSE(result.error);
    } else {
        EXPECT_EQ(result.outcome, RepeatOutcome::Failed);
        ASSERT_TRUE(result.error);
        EXPECT_EQ(result.error->number, row.errorNumber);
    }
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
        RunRow{"CounterRisesOncePerPair", "\xED|", "a\r\nb\r\nc\r\nd", "1", true, "1|2|"},
        RunRow{"NoPlaceholdersRepeatsUnchanged", "same|", "1\r\n2\r\n3", "10", false, "same|same|same|"},
        RunRow{"NextLinePlaceholderKeptWithoutDoubleUp", "\xA2\xE6|", "a\r\nb", "10", false, "a\xE6|b\xE6|"},
        // Later replacements see the earlier ones: a counter placeholder inside a line is filled.
        RunRow{"CounterPlaceholderInsideLine", "[\xA2]|", "x\xEDy", "5", false, "[x5y]|"},
        RunRow{"NextLinePlaceholderInsideLine", "\xA2|", "a\xE6\r\nb", "5", true, "ab|"},
        RunRow{"LinePlaceholderInsideLineStays", "\xA2|", "\xA2\xA2", "5", false, "\xA2\xA2|"},
        RunRow{"EveryKindOfLineEnd", "<\xA2>|", "a\r\nb\nc\rd", "1", false, "<a>|<b>|<c>|<d>|"},
        RunRow{"EmptyLinesCount", "<\xA2\xED>|", "\r\n\r\n", "1", false, "<1>|<2>|"},
        RunRow{"HighBytesPassUnchanged", "\x80\xA2\xFF|", "\x81\xFE", "1", false, "\x80\x81\xFE\xFF|"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ChunkRepeater, MissingInputWritesNothing)
{
    test::TempDir temp;
    const auto out = temp.write("out.txt", "keep me");
    for (const std::filesystem::path& in : {temp / "missing.txt", std::filesystem::path(), temp.path()}) {
        const RepeatResult result = repeatChunk({"\xA2", in, out, "10", false});
        EXPECT_EQ(result.outcome, RepeatOutcome::MissingInput) << in;
        EXPECT_EQ(test::readBytes(out), "keep me");
    }
}

// Creating the output empties it before the input is read: one file in both roles would be lost.
TEST(ChunkRepeater, RefusesToUseTheInputAsOutput)
{
    test::TempDir temp;
    const auto in = temp.write("in.txt", "precious\r\n");
    std::filesystem::create_symlink(in, temp / "link.txt");
    std::filesystem::create_hard_link(in, temp / "hard.txt");
    for (const auto& out : {in, temp / "link.txt", temp / "hard.txt", temp / "." / "in.txt"}) {
        const RepeatResult result = repeatChunk({"\xA2", in, out, "10", false});
        EXPECT_EQ(result.outcome, RepeatOutcome::SameFile) << out;
        EXPECT_EQ(result.shown, "");
        EXPECT_EQ(test::readBytes(in), "precious\r\n");
    }
}

// A full disk shows up when the output is flushed; the run must not end as done.
TEST(ChunkRepeater, FullDiskIsAnErrorNotDone)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    test::TempDir temp;
    const auto in = temp.write("in.txt", "a\r\nb\r\n");
    const RepeatResult result = repeatChunk({"\xA2", in, "/dev/full", "10", false});
    EXPECT_EQ(result.outcome, RepeatOutcome::Failed);
    ASSERT_TRUE(result.error);
    EXPECT_EQ(result.error->number, err::DiskFull);
}

TEST(ChunkRepeater, UncreatableOutputIsAnError)
{
    test::TempDir temp;
    const auto in = temp.write("in.txt", "a\r\n");
    for (const std::filesystem::path& out : {temp / "no-folder" / "out.txt", std::filesystem::path(), temp.path()}) {
        const RepeatResult result = repeatChunk({"\xA2", in, out, "10", false});
        EXPECT_EQ(result.outcome, RepeatOutcome::Failed) << out;
        EXPECT_TRUE(result.error) << out;
        EXPECT_EQ(result.shown, "") << out;
    }
}

TEST(ChunkRepeater, ErrorMessageCarriesTheError)
{
    EXPECT_EQ(repeatErrorMessage(Error{62, "Input past end of file"}),
              "Error detected -- did you double up with an in.txt with an odd number of lines?\r\n"
              "62 :: Input past end of file");
}

TEST(ChunkRepeater, DefaultChunkHasFourLinesAndThePlaceholders)
{
    const std::string chunk = defaultChunk();
    EXPECT_TRUE(chunk.starts_with("      <LAYER type=\"image\" name=\"\xA2\" visible=\"true\" id=\"\xED\""));
    EXPECT_TRUE(chunk.ends_with("\r\n      </LAYER>\r\n"));
    EXPECT_EQ(std::count(chunk.begin(), chunk.end(), '\n'), 4);
    EXPECT_EQ(std::count(chunk.begin(), chunk.end(), '\t'), 2);
}

class ChunkStore : public ::testing::TestWithParam<const char*> {};

// Saving adds one CR LF after the chunk; loading gives back exactly what was saved, however
// often the window is opened and closed.
TEST_P(ChunkStore, RoundTripsExactly)
{
    test::TempDir temp;
    const auto store = temp / "last.txt";
    const std::string chunk = GetParam();
    std::string current = chunk;
    for (int trip = 0; trip < 3; ++trip) {
        ASSERT_TRUE(saveChunk(store, current));
        EXPECT_EQ(test::readBytes(store), chunk + "\r\n");
        const auto loaded = loadChunk(store);
        ASSERT_TRUE(loaded && *loaded);
        current = **loaded;
        EXPECT_EQ(current, chunk) << "trip " << trip;
    }
}

INSTANTIATE_TEST_SUITE_P(Chunks, ChunkStore,
                         ::testing::Values("", "one line", "ends in a break\r\n", "two\r\n\r\n", "\r\n",
                                           "\xA2 \xE6 \xED\r\nsecond", "      <LAYER>\r\n\t</LAYER>\r\n"));

TEST(ChunkStore, DefaultChunkRoundTrips)
{
    test::TempDir temp;
    ASSERT_TRUE(saveChunk(temp / "last.txt", defaultChunk()));
    const auto loaded = loadChunk(temp / "last.txt");
    ASSERT_TRUE(loaded && *loaded);
    EXPECT_EQ(**loaded, defaultChunk());
}

TEST(ChunkStore, MissingStoreGivesNothing)
{
    test::TempDir temp;
    const auto loaded = loadChunk(temp / "last.txt");
    ASSERT_TRUE(loaded);
    EXPECT_FALSE(*loaded);
}

TEST(ChunkStore, OtherLineEndsComeBackAsCrLf)
{
    test::TempDir temp;
    const auto loaded = loadChunk(temp.write("last.txt", "a\nb\rc\n"));
    ASSERT_TRUE(loaded && *loaded);
    EXPECT_EQ(**loaded, "a\r\nb\r\nc");
}

TEST(ChunkStore, FailedSaveKeepsTheOldStore)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind root";
    test::TempDir temp;
    const auto folder = temp.mkdir("program");
    const auto store = temp.write("program/last.txt", "old chunk\r\n");
    std::filesystem::permissions(folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const auto saved = saveChunk(store, "new chunk");
    EXPECT_FALSE(saved);
    EXPECT_EQ(test::readBytes(store), "old chunk\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 1)
        << "no temporary file left behind";
}

TEST(ChunkStore, SaveOverAFolderFailsAndLeavesIt)
{
    test::TempDir temp;
    temp.write("last.txt/inside.txt", "kept");
    EXPECT_FALSE(saveChunk(temp / "last.txt", "chunk"));
    EXPECT_EQ(test::readBytes(temp / "last.txt" / "inside.txt"), "kept");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.path()), std::filesystem::directory_iterator()), 1)
        << "no temporary file left behind";
}

TEST(ChunkStore, UnreadableStoreIsAnError)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind root";
    test::TempDir temp;
    const auto store = temp.write("last.txt", "chunk\r\n");
    std::filesystem::permissions(store, std::filesystem::perms::none);
    const auto loaded = loadChunk(store);
    ASSERT_FALSE(loaded);
    EXPECT_EQ(loaded.error().number, err::PermissionDenied);
}

TEST(EnsureFileExists, CreatesAnEmptyFileAndKeepsAnExistingOne)
{
    test::TempDir temp;
    ASSERT_TRUE(ensureFileExists(temp / "new.txt"));
    EXPECT_EQ(test::readBytes(temp / "new.txt"), "");
    const auto existing = temp.write("old.txt", "content");
    ASSERT_TRUE(ensureFileExists(existing));
    EXPECT_EQ(test::readBytes(existing), "content");
    EXPECT_FALSE(ensureFileExists(temp / "no-folder" / "x.txt"));
    EXPECT_FALSE(ensureFileExists({}));
}

TEST(ChunkRepeater, LargeInputIsExpandedCompletely)
{
    test::TempDir temp;
    const auto in = temp.write("in.txt", repeated(100000, "line\r\n"));
    const RepeatResult result = repeatChunk({"<\xA2>", in, temp / "out.txt", "1", false});
    ASSERT_EQ(result.outcome, RepeatOutcome::Failed) << "the counter passes 32767";
    EXPECT_EQ(result.error->number, err::Overflow);
    EXPECT_EQ(test::readBytes(temp / "out.txt"), repeated(32767, "<line>"));
}

}  // namespace
}  // namespace qb
