// The text tools as plain functions, over real files where they read any.
#include "tools/text/carpalTunnel.h"
#include "tools/text/combineFiles.h"
#include "tools/text/hexdec.h"
#include "tools/text/rowToCol.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/fsSys.h"
#include "files/tree.h"
#include "support/faults.h"
#include "support/recorder.h"

namespace qb {
namespace {

TEST(HexDec, ConvertsListsItemByItem)
{
    constexpr auto H = HexDirection::HexToDec;
    constexpr auto D = HexDirection::DecToHex;
    const std::string hexLimit = " is more than 7FFFFFFF (2147483647), the largest value a 32-bit number holds";
    const std::string decLimit = " is more than 32767, the largest value a 16-bit number holds";
    // The error's number and its description, which names the item and the range.
    struct Row { const char* name; HexDirection direction; std::string input, text; int errorNumber = 0; std::string description = {}; };
    const Row rows[] = {
        {"HexList", H, "1F,ff", "31,255"},
        {"HexLargest", H, "7FFFFFFF", "2147483647"},
        {"HexPastLargestOverflows", H, "80000000", "", 6, "80000000" + hexLimit},
        {"HexLeadingZerosStayInRange", H, "0000000000000000000000007FFFFFFF", "2147483647"},
        {"HexLongItemNamedShort", H, std::string(50, 'F'), "", 6, std::string(37, 'F') + "..." + hexLimit},
        {"HexEmptyItemsAreZero", H, "1,,2,", "1,0,2,0"},
        {"EmptyInput", D, "", ""},
        // No digit worth 16 or -16: a type mismatch, the items before it kept.
        {"HexLetterGIsTypeMismatch", H, "1G", "", 13, "'1G' is not a hexadecimal number"},
        {"HexSpaceIsTypeMismatch", H, "1, 2", "1", 13, "' 2' is not a hexadecimal number"},
        {"DecList", D, "255,16,-1", "FF,10,FFFF"},
        {"DecBounds", D, "-32768,32767,-32768.5", "8000,7FFF,8000"},
        {"DecPastLargest", D, "40000", "", 6, "40000" + decLimit},
        {"DecPastSmallest", D, "1, -32769 ", "1", 6, "-32769 is less than -32768, the smallest value a 16-bit number holds"},
        {"DecRoundsIntoOverflow", D, "32767.5", "", 6, "32767.5" + decLimit},
        {"DecHalvesToEven", D, "2.5,3.5,-0.5", "2,4,0"},
        {"DecEmptyItemIsTypeMismatch", D, "1,,2", "1", 13, "an empty item is not a number"},
        {"DecSurroundingSpaces", D, "  26 ", "1A"},
        {"DecExponents", D, "1e3,1e-400", "3E8,0"},
        {"DecHugeExponentOverflows", D, "-1e400", "", 6, "-1e400 is less than -32768, the smallest value a 16-bit number holds"},
        {"DecHexNotationIsTypeMismatch", D, "0x10", "", 13, "'0x10' is not a number"},
        {"DecInfinityIsTypeMismatch", D, "inf", "", 13, "'inf' is not a number"},
        {"DecSpaceInsideIsTypeMismatch", D, "1 2", "", 13, "'1 2' is not a number"},
    };
    for (const Row& row : rows) {
        const HexDecResult result = convertHexDec(row.input, row.direction);
        EXPECT_EQ(result.text, row.text) << row.name;
        EXPECT_EQ(result.error ? result.error->number : 0, row.errorNumber) << row.name;
        EXPECT_EQ(result.error ? result.error->description : "", row.description) << row.name;
    }
}

TEST(RowsToColumns, ConvertOrComplain)
{
    const std::string tabs =
        "Must have same number of tabs in each line.  Make sure that you don't have tabs inside of values.";
    const auto repeated = [](std::string_view piece, int count) {
        std::string text;
        for (int i = 0; i < count; ++i)
            text += piece;
        return text;
    };
    // Two rows of `count` one-letter values: 32767 of them convert, one more overflows.
    const auto wide = [&](int count) { return repeated("n\t", count - 1) + "n\r\n" + repeated("v\t", count - 1) + "v"; };
    struct Row { std::string input, output /* or the message */; bool converts = true; };
    const Row rows[] = {
        {"id\tname\tdescription\r\n7\tAnn\tx", "id         \t7\r\nname       \tAnn\r\ndescription\tx\r\n"},
        {"a\r\nb", "a\tb\r\n"},
        {"a\tbb\rc\td", "a \tc\r\nbb\td\r\n"},
        {"a\tbb\nc\td\n", "a \tc\r\nbb\td\r\n"},
        {"a\nb\r\nc", "a\nb\tc\r\n"},  // CR LF is tried first: a lone LF then stays inside a value
        {"a\r\nb\r\nc\td\r\ne", "a\tb\r\n"},
        {"a\t\tc\r\n 1 \t2\t", "a\t 1 \r\n \t2\r\nc\t\r\n"},  // empty values kept, later values as they are
        {"\r\n", ""},
        {"\xE9t\xE9\tx\r\n1\t2", "\xE9t\xE9\t1\r\nx  \t2\r\n"},  // a high byte is one character
        {"a\tb", "ensure that you've got two lines", false},
        {"a\tb\r\n", tabs, false},
        {"a\tb\r\n1", tabs, false},
        {"", "frmTwoTabbedRowsToCols: 9 :: Subscript out of range", false},
        {wide(32767), repeated("n\tv\r\n", 32767)},
        {wide(32768), "frmTwoTabbedRowsToCols: 6 :: the rows hold 32768 values, more than 32767, the largest count a "
                      "16-bit number holds", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input.substr(0, 40));
        const auto result = rowToCol(row.input);
        EXPECT_EQ(result ? *result : rowToColMessage(result.error()), row.output);
        EXPECT_EQ(result.has_value(), row.converts);
    }
}

// Whatever the blocks, rowToCol gives for the first end() bytes what it gives for the whole text,
// and the end is settled as soon as two CR LFs were seen.
TEST(RowsToColumns, FirstTwoLinesAreFoundWithoutTheWholeText)
{
    const std::string tail(100000, 'z');
    struct Row { std::string text; std::size_t end; bool settles = false; };
    const Row rows[] = {
        {"id\tname\r\n7\tAnn\r\n" + tail + "\r\n", 14, true},
        {"id\tname\r\n7\tAnn", 14},
        {"a\nb\r\nc\r\n" + tail, 6, true},   // one CR LF anywhere decides: the LF stays in a value
        {"a\tbb\rc\td\r" + tail, 8},           // lone CRs, split there
        {"x\ry\nz\r\n", 7},                     // a CR LF at the very end still decides
        {"a\tbb\nc\td\n" + tail, 8},
        {"a\r\r\nb\r\nc", 5, true},             // a CR just before a CR LF
        {"\r\n", 2},
        {"\n\n\n", 1},
        {"a\tb", 1},                               // one line: refused however long
        {"", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text.substr(0, 20));
        for (const std::size_t blockSize : {1, 2, 3, 7, 4096}) {
            RowsEnd rows;
            std::size_t fed = 0, fedWhenSettled = 0;
            for (; fed < row.text.size(); fed += blockSize) {
                if (rows.settled() && fedWhenSettled == 0)
                    fedWhenSettled = fed;
                rows.feed(std::string_view(row.text).substr(fed, blockSize));
            }
            EXPECT_EQ(rows.end(), row.end) << blockSize;
            EXPECT_EQ(rows.settled(), row.settles) << blockSize;
            // Settled by the block that holds the second CR LF's end, not before.
            if (fedWhenSettled != 0) {
                EXPECT_LT(fedWhenSettled - (row.end + 2), blockSize) << blockSize;
            }
            const auto whole = rowToCol(row.text), first = rowToCol(std::string_view(row.text).substr(0, rows.end()));
            EXPECT_EQ(first ? *first : rowToColMessage(first.error()), whole ? *whole : rowToColMessage(whole.error()));
        }
    }
    // From a file: the two lines, after one reading of it; errors name the file.
    test::TempDir temp;
    EXPECT_EQ(readRows(temp.write("crlf.txt", "id\tname\r\n7\tAnn\r\n" + tail)).value_or(""), "id\tname\r\n7\tAnn");
    EXPECT_EQ(readRows(temp.write("lf.txt", "id\tname\n7\tAnn\n" + tail)).value_or(""), "id\tname\n7\tAnn");
    for (const auto& [path, number] : {std::pair{temp / "missing", err::FileNotFound}, std::pair{temp.path(), err::PathFileAccess}}) {
        const auto read = readRows(path);
        ASSERT_FALSE(read) << path;
        EXPECT_EQ(read.error().number, number) << read.error().description;
        EXPECT_TRUE(read.error().description.starts_with(path.string())) << read.error().description;
    }
}

// The lines of the longer file that were left out are counted when asked for: the line already
// read from the first file when the second ends counts too.
TEST(CombineFiles, JoinLineByLineOrNameTheFileThatFailed)
{
    struct Row { std::string first, second, combined; std::uint64_t firstLeftOut = 0, secondLeftOut = 0; };
    const Row rows[] = {
        {"a\r\nb\r\nc\r\n", "1\r\n2\r\n", "a1\r\nb2\r\n", 1},
        {"left \r\n", "right\r\n", "left right\r\n"},
        {"", "1\r\n2\r\n", "", 0, 2},
        {"a\r\nb", "1\r\n2", "a1\r\nb2\r\n"},
        {"a\nb\rc\r\n", "1\r2\n3", "a1\r\nb2\r\nc3\r\n"},
        {"a\r\n", "1\r\n2\n3\r4", "a1\r\n", 0, 3},
        {"a\r\nb\r\n\r\n\r\nc", "1\r\n", "a1\r\n", 4},
        {"\r\nb\r\n", "1\r\n\r\n", "1\r\nb\r\n"},
        {"\x80\xFF\t\r\n", std::string("\x00\xA2\r\n", 4), std::string("\x80\xFF\t\x00\xA2\r\n", 7)},
    };
    test::TempDir temp;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.first + " | " + row.second);
        const auto one = temp.write("one.txt", row.first), two = temp.write("two.txt", row.second);
        EXPECT_EQ(combineFiles(one, two).value_or("error"), row.combined);
        const auto counted = combineFileLines(one, two, LeftOutLines::Count);
        ASSERT_TRUE(counted && *counted);
        EXPECT_EQ((*counted)->text, row.combined);
        EXPECT_EQ((*counted)->firstLeftOut, row.firstLeftOut);
        EXPECT_EQ((*counted)->secondLeftOut, row.secondLeftOut);
    }
    // An empty path does nothing; a file that cannot be read is an error naming it, never empty.
    const auto file = temp.write("a.txt", "a\r\n");
    EXPECT_EQ(combineFiles(file, {}).value_or("error"), std::nullopt);
    EXPECT_EQ(combineFiles({}, file).value_or("error"), std::nullopt);
    EXPECT_EQ(combineFiles(temp.path().string() + "//a.txt", file).value_or("error"), "aa\r\n");
    // Pair by pair, until the visitor has had enough: then nothing is counted.
    std::vector<std::string> pairs;
    const auto paired = forEachLinePair(temp.write("one.txt", "a\r\nb\r\nc\r\n"), temp.write("two.txt", "1\n2\n3\n"),
                                        [&](std::string_view one, std::string_view two) {
                                            pairs.push_back(std::string(one) + std::string(two));
                                            return pairs.size() < 2;
                                        });
    EXPECT_TRUE(paired && !*paired);
    EXPECT_EQ(pairs, (std::vector<std::string>{"a1", "b2"}));
    const auto missing = temp / "missing.txt";
    for (const auto& [first, second, named, number] :
         {std::tuple{missing, file, missing, err::FileNotFound}, std::tuple{file, missing, missing, err::FileNotFound},
          std::tuple{file, temp.path(), temp.path(), 0}}) {
        const auto combined = combineFiles(first, second);
        ASSERT_FALSE(combined) << named;
        EXPECT_NE(combined.error().description.find(named.string()), std::string::npos) << combined.error().description;
        EXPECT_EQ(number ? combined.error().number : 0, number);
    }
}

TEST(ChunkRepeater, WritesAndShowsTheRepetitions)
{
    // `written`: the output file afterwards, every repetition ending in '|'.
    struct Row { const char *name, *chunk, *input, *countStart; bool doubleUp; const char* written; int errorNumber = 0; };
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

// A missing input, or one that is the output itself, writes nothing; a device or an output that
// cannot be made is never done.
TEST(ChunkRepeater, MissingInputSameFileUnwritableOutputAndFailedWrites)
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

    // After a write fails part-way out.txt is as it was, and the box shows exactly the whole
    // repetitions that were made before the failure.
    const std::string chunk(500, 'c');  // 400 repetitions of 501 bytes or more: several blocks
    std::string input, full;
    for (int i = 0; i < 400; ++i) {
        input += "line " + std::to_string(i) + "\r\n";
        full += chunk + "line " + std::to_string(i) + "|";
    }
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
        EXPECT_FALSE(result.written);
        EXPECT_EQ(test::readBytes(out), "old output");
        std::string made;  // the box's text without its line breaks
        for (std::size_t start = 0, end; (end = result.shown.find("|\r\n", start)) != std::string::npos; start = end + 3)
            made += result.shown.substr(start, end + 1 - start);
        EXPECT_EQ(result.shown.size(), made.size() + 2 * std::ranges::count(made, '|'));  // nothing else in it
        EXPECT_TRUE(full.starts_with(made));
        EXPECT_EQ(made.empty(), failing == 1);  // nothing reached the file before the first write
    }

    // A stop request (Ctrl+C, SIGTERM on the command line) publishes nothing and leaves nothing.
    temp.write("out.txt", "old output");
    std::stop_source stop;
    stop.request_stop();
    RepeatRequest stopped{chunk + "\xA2|", temp.write("in.txt", input), out, "1", false};
    stopped.stop = stop.get_token();
    const RepeatResult result = repeatChunk(stopped);
    EXPECT_EQ(result.outcome, RepeatOutcome::Failed);
    EXPECT_FALSE(result.written);
    EXPECT_EQ(test::readBytes(out), "old output");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.path()), std::filesystem::directory_iterator()), 4);
}

// Whichever call fails, out.txt is the previous one or the new one, whole, the failure is
// reported, and no temporary file is left; a run that ends by its own rule still publishes.
TEST(FaultSweep, RepeatKeepsThePreviousOutputWhole)
{
    test::TempDir temp;
    std::string input, full;
    for (int i = 0; i < 3000; ++i) {
        input += "line " + std::to_string(i) + "\r\n";
        full += "<" + std::to_string(i) + ":line " + std::to_string(i) + ">";
    }
    const auto in = temp.write("in.txt", input), out = temp / "out.txt";
    const int runs = test::sweepFaults(
        [&] { temp.write("out.txt", "old output"); },
        [&] { return repeatChunk({"<\xED:\xA2>", in, out, "0", false}).outcome == RepeatOutcome::Done; },
        [&](bool succeeded, const test::Fault&) {
            const std::string now = test::readBytes(out);
            EXPECT_TRUE(succeeded ? now == full : now == "old output" || now == full) << now.substr(0, 40);
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.path()), {}), 2);
        });
    EXPECT_GT(runs, 10);
}

TEST(ChunkStore, RoundTripsExactlyAndAFailedSaveKeepsTheOldOrTheWholeNew)
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

    // Whichever call of a save fails, or with a folder in its place, the store is old or new, whole.
    std::filesystem::remove(store);
    temp.write("last.txt/inside.txt", "kept");
    EXPECT_FALSE(saveChunk(temp / "last.txt", "chunk"));
    EXPECT_EQ(test::treeOf(temp.path()), (test::Tree{{"last.txt", "/"}, {"last.txt/inside.txt", "kept"}}));
    std::filesystem::remove_all(temp / "last.txt");

    test::sweepFaults([&] { temp.write("last.txt", "old chunk\r\n"); },
                      [&] { return saveChunk(store, "new chunk").has_value(); },
                      [&](bool succeeded, const test::Fault&) {
                          EXPECT_EQ(test::treeOf(temp.path()), (test::Tree{{"last.txt", succeeded ? "new chunk\r\n" : "old chunk\r\n"}}));
                      });
}

}  // namespace
}  // namespace qb
