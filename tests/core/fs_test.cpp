// The file system objects, their streams and errors, and the tree walker: order, the visitor's
// answers, folder errors, cancel, and the base it reports.
#include "core/fs.h"
#include "core/walk.h"

#include "files/tree.h"
#include "support/recorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace qb {
namespace {

namespace fs = std::filesystem;
using test::readBytes;
using Names = std::vector<std::string>;

constexpr std::size_t streamBlock = 64 * 1024;  // the stream's read block

int errorNumber(const auto& result) { return result ? 0 : result.error().number; }
unsigned mode(const fs::path& path) { return static_cast<unsigned>(fs::status(path).permissions()); }
void setMode(const fs::path& path, unsigned bits) { fs::permissions(path, static_cast<fs::perms>(bits)); }

Names namesOf(const auto& entries)
{
    Names names;
    for (const auto& entry : entries)
        names.push_back(entry.Name());
    return names;
}

Result<void> dropValue(const auto& r)
{
    if (!r)
        return std::unexpected(r.error());
    return {};
}

class Fs : public ::testing::Test {
protected:
    test::TempDir dir;
    FileSystemObject fso;
};

TEST_F(Fs, ReadLineEndsLinesAtEveryKindOfLineEnd)
{
    struct Row { const char* name; std::string bytes; Names lines; };
    const std::string full(streamBlock - 1, 'a');  // puts the next byte last in the first block
    const std::string longLine(3 * streamBlock + 7, 'x');
    const std::string hugeLine(20 * streamBlock + 3, 'h');
    const std::string raw("\x00\xff\x1a\x80", 4);
    const Row rows[] = {
        {"empty file", "", {}},
        {"no line end", "abc", {"abc"}},
        {"crlf", "a\r\nb\r\n", {"a", "b"}},
        {"lone cr", "a\rb\r", {"a", "b"}},
        {"cr then crlf", "a\r\r\nb", {"a", "", "b"}},
        {"lf cr is two ends", "a\n\rb", {"a", "", "b"}},
        {"bytes pass through", raw, {raw}},
        {"crlf split across blocks", full + "\r\nb", {full, "b"}},
        {"lone cr at block end", full + "\rb", {full, "b"}},
        {"cr ends the file at block end", full + "\r", {full}},
        {"line longer than a block", longLine + "\r\ny", {longLine, "y"}},
        {"line given its exact room", hugeLine + "\r\ny\r", {hugeLine, "y"}},
        {"last line given its exact room", "a\n" + hugeLine, {"a", hugeLine}},
    };
    for (const Row& row : rows) {
        auto stream = fso.OpenTextFile(dir.write("in.txt", row.bytes)).value();
        Names lines;
        while (!stream.AtEndOfStream())
            lines.push_back(stream.ReadLine().value());
        EXPECT_EQ(lines, row.lines) << row.name;
        EXPECT_EQ(errorNumber(stream.ReadLine()), err::InputPastEnd) << row.name;  // one read too many
    }
}

// Every byte value is written and read back as it was; writing truncates and appending appends
// (also from a stream released without Close); a reused read buffer holds only the last file.
TEST_F(Fs, StreamsKeepEveryByteAndTheReadBufferOnlyTheLastFile)
{
    std::string all;
    for (int i = 0; i < 256 * 300; ++i)  // larger than the write buffer
        all += static_cast<char>(i % 256);
    auto out = fso.CreateTextFile(dir / "all.bin").value();
    ASSERT_TRUE(out.Write(all.substr(0, 100)) && out.Write(all.substr(100)) && out.WriteLine("end"));
    ASSERT_TRUE(out.Close());
    EXPECT_EQ(readBytes(dir / "all.bin"), all + "end\r\n");
    auto in = fso.OpenTextFile(dir / "all.bin").value();
    EXPECT_EQ(in.ReadLine().value(), all.substr(0, 10));  // byte 10 is LF
    EXPECT_EQ(in.ReadAll().value(), all.substr(11) + "end\r\n");
    EXPECT_TRUE(in.AtEndOfStream());

    const fs::path path = dir.write("f.txt", "old contents");
    auto append = fso.OpenTextFile(path, IOMode::ForAppending);
    ASSERT_TRUE(append && append->Write("+more") && append->Close());
    EXPECT_EQ(readBytes(path), "old contents+more");
    auto write = fso.GetFile(path).value().OpenAsTextStream(IOMode::ForWriting);
    ASSERT_TRUE(write && write->Write("new") && write->Close());
    { auto late = fso.OpenTextFile(path, IOMode::ForAppending); ASSERT_TRUE(late && late->Write("!")); }
    EXPECT_EQ(readBytes(path), "new!");

    std::string buffer = "stale";
    ASSERT_TRUE(fso.readFileBytes(dir / "all.bin", buffer));
    ASSERT_TRUE(fso.readFileBytes(dir.write("small", std::string_view("ab\0c", 4)), buffer));
    EXPECT_EQ(buffer, std::string("ab\0c", 4));
    EXPECT_FALSE(fso.readFileBytes(dir / "none", buffer));
    EXPECT_EQ(buffer, "");
}

TEST_F(Fs, ReplacingStreamReplacesOnCloseAndDiscardLeavesTheOldFile)
{
    const fs::path path = dir.write("keep.txt", "old whole file");
    setMode(path, 0640);
    {
        auto stream = fso.CreateReplacingTextFile(path);
        ASSERT_TRUE(stream && stream->Write("half of the new"));
        stream->Discard();
    }
#ifndef NDEBUG
    // Dropping one unfinished is a programming error that debug builds stop on.
    EXPECT_DEATH({ auto dropped = fso.CreateReplacingTextFile(path); }, "without Close");
    // What the stopped process left is debris once it is older than the run that cleans up.
    for (const auto& entry : fs::directory_iterator(dir.path()))
        if (entry.path().filename().string().starts_with(".quillbox-"))
            test::backdate(entry.path());
    EXPECT_EQ(fso.removeDebris(dir.path()).value(), 1u);
#endif
    EXPECT_EQ(test::treeOf(dir.path()), (test::Tree{{"keep.txt", "old whole file"}}));

    ASSERT_TRUE(fso.replaceFileContents(path, "new"));
    EXPECT_EQ(mode(path), 0640u);
    EXPECT_EQ(test::treeOf(dir.path()), (test::Tree{{"keep.txt", "new"}}));

    // Through a link the file behind it is replaced and the link stays a link.
    fs::create_symlink("keep.txt", dir / "link.txt");
    ASSERT_TRUE(fso.replaceFileContents(dir / "link.txt", "via link"));
    ASSERT_TRUE(fso.replaceFileContents(dir / "fresh.txt", "made"));
    EXPECT_EQ(test::treeOf(dir.path()), (test::Tree{{"fresh.txt", "made"}, {"keep.txt", "via link"}, {"link.txt", "-> keep.txt"}}));
}

// Temporary names do not grow with the final name, so names up to the limit (bytes that are not
// UTF-8 included) are replaced and copied; a name over it is refused with its length, before
// anything is written.
TEST_F(Fs, NamesUpToTheLimitAreWrittenAndLongerOnesRefusedWithTheReason)
{
    const std::string longest = std::string(253, 'n') + "\xe9\xff", tooLong(256, 'n');
    const fs::path source = dir.write("s", "source");
    dir.write(longest, "old");
    ASSERT_TRUE(fso.replaceFileContents(dir / longest, "new"));
    EXPECT_EQ(readBytes(dir / longest), "new");
    ASSERT_TRUE(fso.CopyFile(source, dir / longest, Existing::Replace));
    ASSERT_TRUE(fso.CopyFile(source, dir / std::string(254, 'm'), Existing::Refuse));
    for (const auto& result : {fso.CopyFile(source, dir / tooLong, Existing::Refuse), fso.replaceFileContents(dir / tooLong, "x")}) {
        ASSERT_EQ(errorNumber(result), err::BadFileName);
        EXPECT_NE(result.error().description.find("256 bytes"), std::string::npos) << result.error().description;
    }
    EXPECT_EQ(test::treeOf(dir.path()), (test::Tree{{std::string(254, 'm'), "source"}, {longest, "source"}, {"s", "source"}}));
}

// Where the file system cannot make unnamed files, or cannot rename without replacing, new files
// are still published whole, and an existing name is still refused.
TEST_F(Fs, PublishesWhereTheFileSystemLacksUnnamedFilesOrNoReplaceRenames)
{
    const fs::path source = dir.write("src.txt", "source");
    // Open 1 reads the source, open 2 opens the folder, open 3 makes the unnamed file; the first
    // rename is the publish.
    for (const auto& [call, error] : {std::pair{sys::Call::Open, EOPNOTSUPP}, std::pair{sys::Call::Rename, EINVAL}}) {
        SCOPED_TRACE(error);
        fs::remove(dir / "new.txt");
        const sys::FaultPlan lacking(call, call == sys::Call::Open ? 3 : 1, error);
        ASSERT_TRUE(fso.CopyFile(source, dir / "new.txt", Existing::Refuse));
        EXPECT_TRUE(lacking.fired());
        EXPECT_EQ(test::treeOf(dir.path()), (test::Tree{{"new.txt", "source"}, {"src.txt", "source"}}));
    }
    const sys::FaultPlan lacking(sys::Call::Rename, 1, EINVAL);
    auto stream = fso.CreateTextFile(dir / "new2.txt", Existing::Refuse).value();
    dir.write("new2.txt", "made meanwhile");
    ASSERT_TRUE(stream.Write("mine"));
    EXPECT_EQ(errorNumber(stream.Close()), err::FileAlreadyExists);
    EXPECT_EQ(test::treeOf(dir.path()), (test::Tree{{"new.txt", "source"}, {"new2.txt", "made meanwhile"}, {"src.txt", "source"}}));
}

// A FIFO or device, named or behind a link, is never written (it is not made a regular file) and
// never opened as an input, so nothing blocks on a FIFO. The device is a private node made here.
TEST_F(Fs, FifosAndDevicesAreRefusedBeforeTheyAreOpened)
{
    const fs::path fifo = dir / "fifo", device = dir / "null";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    const bool haveDevice = ::mknod(device.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0;
    fs::create_symlink(fifo, dir / "last.txt");
    const fs::path source = dir.write("src.txt", "x");
    ::alarm(60);  // a regression that opens the FIFO would block: end the test program instead
    for (const fs::path& node : {fifo, dir / "last.txt", device}) {
        if (node == device && !haveDevice)
            continue;  // making a device node needs root
        SCOPED_TRACE(node.string());
        const Result<void> results[] = {
            fso.replaceFileContents(node, "x"), dropValue(fso.CreateTextFile(node)), fso.CopyFile(source, node),
            dropValue(fso.OpenTextFile(node, IOMode::ForAppending)), dropValue(fso.OpenTextFile(node)),
            dropValue(fso.readFileBytes(node)), fso.CopyFile(node, dir / "copy"), fso.checkInput(node)};
        for (const Result<void>& result : results) {
            ASSERT_EQ(errorNumber(result), err::PathFileAccess);
            EXPECT_NE(result.error().description.find(node.string()), std::string::npos);
            EXPECT_NE(result.error().description.find(node == device ? "device" : "FIFO"), std::string::npos);
        }
        EXPECT_FALSE(fs::is_regular_file(fs::symlink_status(node)));
    }
    ::alarm(0);
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_FALSE(fs::exists(dir / "copy"));
}

// Only what killed runs left is removed: regular files of the temporary pattern that nobody holds
// and that are older than the run. A live writer's file, a ".new" file whose writer lives, one
// newer than the run, and a link or a folder of such a name stay; so do a user's look-alikes
// (the old ".qbtmp-" names among them), which are listed like any other file.
TEST_F(Fs, RemovesOnlyDebrisOfKilledRuns)
{
    const Names lookAlikes = {".qbtmp-Aaaaaaa1", ".quillbox-0999-AbCdEfGhIj11.tmp", ".quillbox-12-short.tmp",
                              ".quillbox-12-AbCdEfGhIj11.txt", "x.quillbox-12-AbCdEfGhIj11.tmp"};
    for (const std::string& name : lookAlikes)
        test::backdate(dir.write(name, "mine"));
    test::writeDebris(dir.path(), 1);
    test::writeDebris(dir.path(), 2, ".new");
    test::writeDebris(dir.path(), 3, ".new", ::getpid());  // its writer (this process) lives
    const fs::path fresh = dir.write(".quillbox-999999999-FreshFresh12.tmp", "newer than the run");
    // Written a second after the run began, beyond any tick between the clocks of files and runs.
    fs::last_write_time(fresh, fs::file_time_type::clock::now() + std::chrono::seconds(1));
    const fs::path folder = test::writeDebris(dir.path() / "sub", 4).parent_path();
    fs::rename(folder, dir / ".quillbox-999999999-AbCdEfGhIj55.tmp");  // a folder of that name
    fs::create_symlink(fresh, dir / ".quillbox-999999999-AbCdEfGhIj66.tmp");
    auto live = fso.CreateTextFile(dir / "target.txt").value();  // holds its temporary file
    for (const auto& entry : fs::directory_iterator(dir.path()))
        if (isTempFileName(entry.path().filename().native()) && entry.path() != fresh && !entry.is_symlink())
            test::backdate(entry.path());

    Names listed = lookAlikes;
    listed.push_back(".quillbox-999999999-AbCdEfGhIj66.tmp");  // the link, as a link to a file
    std::sort(listed.begin(), listed.end(), walkOrderLess);
    const FolderEntries entries = Folder(dir.path()).list().value();
    EXPECT_EQ(namesOf(entries.files), listed);
    EXPECT_EQ(namesOf(entries.subFolders), Names{".quillbox-999999999-AbCdEfGhIj55.tmp"});
    EXPECT_EQ(fso.removeDebris(dir.path()).value(), 2u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), std::ssize(lookAlikes) + 5);  // ".new" of a live writer, fresh, folder, link, live
    EXPECT_EQ(fso.removeDebris(dir / ".quillbox-999999999-AbCdEfGhIj55.tmp").value(), 1u);  // walked like any folder
    ASSERT_TRUE(live.Write("live") && live.Close());
    EXPECT_EQ(readBytes(dir / "target.txt"), "live");
    for (const std::string& name : lookAlikes)
        EXPECT_EQ(readBytes(dir / name), "mine");
}

// A killed run's file written the moment before a run begins is that run's debris, however fine
// the time the file system gave it: times asked for are stamped finer than the coarse clock, and
// may be a tick ahead of it.
TEST_F(Fs, DebrisWrittenTheMomentBeforeTheRunIsRemoved)
{
    for (int round = 0; round < 20; ++round) {
        const fs::path debris = dir.write(".quillbox-999999999-AbCdEfGhIj12.tmp", "left");
        (void)fs::last_write_time(debris);  // asked for: the next write is stamped finely
        std::ofstream(debris, std::ios::app) << " by a killed run";
        EXPECT_EQ(FileSystemObject().removeDebris(dir.path()).value(), 1u) << "round " << round;
    }
}

// A cleaner that runs at any moment of a write, even one that takes every temporary file for an
// hour old, never removes the writer's file: no name that a cleaner considers is visible before
// the writer holds its lock, also where the file system cannot make unnamed files.
TEST_F(Fs, ACleanerAtAnyMomentOfAWriteLeavesTheWritersFile)
{
    const auto clean = [&] {
        for (const auto& entry : fs::directory_iterator(dir.path()))
            if (isTempFileName(entry.path().filename().native()))
                test::backdate(entry.path());
        EXPECT_EQ(FileSystemObject().removeDebris(dir.path()).value(), 0u);
    };
    const auto write = [&] { return fso.replaceFileContents(dir / "out.txt", "whole"); };
    for (const bool unnamedFiles : {false, true}) {
        // Open 1 opens the folder, open 2 makes the unnamed file: failing it forces the fallback.
        const sys::FaultRule lacking{sys::Call::Open, unnamedFiles ? 0u : 2u, EOPNOTSUPP};
        std::vector<sys::Call> trace;
        fs::remove(dir / "out.txt");
        {
            const sys::FaultPlan counting({lacking});
            ASSERT_TRUE(write());
            trace = counting.trace();
        }
        std::map<sys::Call, std::uint64_t> seen;
        for (std::size_t i = 0; i < trace.size(); ++i) {
            const std::uint64_t nth = ++seen[trace[i]];
            if (i < 2)
                continue;  // before the fallback is forced, the cleaner's own opens would move it
            SCOPED_TRACE(std::to_string(unnamedFiles) + ": cleaner before call " + std::to_string(i));
            fs::remove(dir / "out.txt");
            const sys::FaultPlan plan({lacking, {trace[i], nth, 0, clean}});
            ASSERT_TRUE(write());
            EXPECT_TRUE(plan.fired());
            EXPECT_EQ(test::treeOf(dir.path()), (test::Tree{{"out.txt", "whole"}}));
        }
        EXPECT_GT(seen[sys::Call::Lock], 0u);
    }
}

// Below a tree no write goes through a link: a link where a folder of the path or the file itself
// should be is refused with error 75 naming it, and what lies behind it stays as it was.
TEST_F(Fs, WritesBelowATreeNeverGoThroughALink)
{
    const fs::path tree = dir.mkdir("tree"), outside = dir.mkdir("outside");
    dir.write("outside/a.txt", "theirs");
    dir.write("outside/sub/b.txt", "theirs");
    test::writeDebris(outside);
    fs::create_directory_symlink(outside, tree / "copies");
    fs::create_symlink(outside / "a.txt", dir.mkdir("tree/real") / "a.txt");
    fs::create_symlink(outside / "none.txt", tree / "real/dangling.txt");
    const fs::path source = dir.write("source.txt", "mine");
    const test::Tree before = test::treeOf(outside);
    const FileSystemObject inTree(dir / "tree" / "");
    const fs::path folderLink = tree / "copies", fileLink = tree / "real/a.txt", dangling = tree / "real/dangling.txt";
    struct Row { const char* name; fs::path link; std::function<Result<void>()> write; };
    const Row rows[] = {
        {"file below a folder link", folderLink, [&] { return inTree.replaceFileContents(folderLink / "a.txt", "x"); }},
        {"copy below a folder link", folderLink, [&] { return inTree.CopyFile(source, folderLink / "sub/b.txt"); }},
        {"new copy below a folder link", folderLink, [&] { return inTree.CopyFile(source, folderLink / "c.txt", Existing::Refuse); }},
        {"folder below a folder link", folderLink, [&] { return inTree.ensureFolder(folderLink / "new"); }},
        {"folder that is a link", folderLink, [&] { return inTree.ensureFolder(folderLink); }},
        {"delete below a folder link", folderLink, [&] { return inTree.DeleteFile(folderLink / "a.txt"); }},
        {"debris below a folder link", folderLink, [&] { return dropValue(inTree.removeDebris(folderLink)); }},
        {"file that is a link", fileLink, [&] { return inTree.replaceFileContents(fileLink, "x"); }},
        {"copy over a link", fileLink, [&] { return inTree.CopyFile(source, fileLink, Existing::Replace); }},
        {"new copy at a link", fileLink, [&] { return inTree.CopyFile(source, fileLink, Existing::Refuse); }},
        {"link that leads nowhere", dangling, [&] { return dropValue(inTree.CreateTextFile(dangling)); }},
        {"relative spelling", fileLink, [&] { return inTree.checkReplaceable(tree / "real/../real/./a.txt"); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Result<void> result = row.write();
        ASSERT_EQ(errorNumber(result), err::PathFileAccess);
        EXPECT_EQ(result.error().description, row.link.string() + ": is a symbolic link; nothing is written through a link");
    }
    EXPECT_EQ(test::treeOf(outside), before);
    EXPECT_TRUE(fs::is_symlink(folderLink) && fs::is_symlink(fileLink) && fs::is_symlink(dangling));
    // The same writes in real folders of the tree, and through a link outside it, go on as before.
    ASSERT_TRUE(inTree.ensureFolder(tree / "made"));
    ASSERT_TRUE(inTree.CopyFile(source, tree / "made/copy.txt", Existing::Refuse));
    ASSERT_TRUE(inTree.replaceFileContents(tree / "made/copy.txt", "again"));
    ASSERT_TRUE(inTree.replaceFileContents(dir / "source.txt", "outside the tree"));
    EXPECT_EQ(readBytes(tree / "made/copy.txt"), "again");
    // Where the kernel cannot refuse links in one call, each folder is opened in turn, to the same end.
    ASSERT_TRUE(inTree.ensureFolder(tree / "made/deep"));
    for (const auto& [path, number] : {std::pair{folderLink / "a.txt", err::PathFileAccess}, std::pair{tree / "made/deep/x.txt", 0}}) {
        const sys::FaultPlan noOpenat2(sys::Call::Open, 1, ENOSYS);
        EXPECT_EQ(errorNumber(inTree.replaceFileContents(path, "walked")), number) << path;
        EXPECT_TRUE(noOpenat2.fired());
    }
    EXPECT_EQ(readBytes(tree / "made/deep/x.txt"), "walked");
    EXPECT_EQ(test::treeOf(outside), before);
}

TEST_F(Fs, FolderListsEntriesInWalkOrderWithoutFolderLinks)
{
    for (const char* name : {"b", "A", "a", "B1", "_x", "\xe9t\xe9", "Z"})
        dir.write(name, "x");
    fs::create_directory(dir / "sub");
    fs::create_directory(dir / "Sub2");
    fs::create_directory_symlink(dir.path(), dir / "sub" / "loop");
    fs::create_symlink(dir / "b", dir / "sub" / "fileLink");
    fs::create_symlink(dir / "gone", dir / "sub" / "dangling");

    EXPECT_EQ(namesOf(Folder(dir.path()).Files().value()), (Names{"A", "a", "b", "B1", "Z", "_x", "\xe9t\xe9"}));
    auto subs = Folder(dir.path()).SubFolders().value();
    ASSERT_EQ(namesOf(subs), (Names{"sub", "Sub2"}));
    EXPECT_TRUE(subs[0].SubFolders().value().empty());  // the loop link is not listed
    EXPECT_EQ(namesOf(subs[0].Files().value()), Names{"fileLink"});
    EXPECT_TRUE(subs[1].Files().value().empty());
    EXPECT_EQ(Folder(dir / "sub" / "").Name(), "sub");
}

// A copy onto the source itself (by name, link or hard link) is refused and harms nothing; an
// existing target is kept unless overwriting is asked for, a read-only one in any case.
TEST_F(Fs, CopyAndDeleteLeaveWhatTheyRefuse)
{
    const std::string big(3 * streamBlock, 's');
    const fs::path source = dir.write("src.txt", big);
    setMode(source, 0604);
    fs::create_symlink("src.txt", dir / "soft.txt");
    fs::create_hard_link(source, dir / "hard.txt");
    for (const char* other : {"src.txt", "soft.txt", "hard.txt"})
        for (const Existing existing : {Existing::Replace, Existing::Refuse}) {
            auto copied = fso.CopyFile(source, dir / other, existing);
            ASSERT_EQ(errorNumber(copied), err::PermissionDenied) << other;
            EXPECT_NE(copied.error().description.find("same file"), std::string::npos);
        }
    EXPECT_EQ(readBytes(source), big);
    EXPECT_FALSE(fso.sameFile(source, dir.write("other.txt", big)));
    EXPECT_FALSE(fso.sameFile(source, dir / "missing"));
    for (const char* name : {"soft.txt", "hard.txt", "other.txt"})
        fs::remove(dir / name);

    const fs::path dest = dir.write("dest.txt", "old");
    setMode(dest, 0640);
    EXPECT_EQ(errorNumber(fso.CopyFile(source, dest, Existing::Refuse)), err::FileAlreadyExists);
    EXPECT_EQ(readBytes(dest), "old");
    ASSERT_TRUE(fso.CopyFile(source, dest, Existing::Replace));
    ASSERT_TRUE(fso.CopyFile(source, dir / "new.txt", Existing::Refuse));
    EXPECT_EQ(mode(dest), 0640u);  // an overwritten file keeps its bits, a new one takes the source's
    EXPECT_EQ(mode(dir / "new.txt"), 0604u);

    const fs::path readOnly = dir.write("ro.txt", "keep me");
    setMode(readOnly, 0444);
    EXPECT_EQ(errorNumber(fso.CopyFile(source, readOnly, Existing::Replace)), err::PermissionDenied);
    // The copies whole, the read-only file kept, no leftovers.
    EXPECT_EQ(test::treeOf(dir.path()), (test::Tree{{"dest.txt", big}, {"new.txt", big}, {"ro.txt", "keep me"}, {"src.txt", big}}));

    EXPECT_EQ(errorNumber(fso.DeleteFile(readOnly)), err::PermissionDenied);
    EXPECT_TRUE(fso.FileExists(readOnly));
    EXPECT_TRUE(fso.DeleteFile(readOnly, ReadOnly::Remove));
    EXPECT_TRUE(fso.DeleteFile(dest));
    EXPECT_EQ(test::treeOf(dir.path()), (test::Tree{{"new.txt", big}, {"src.txt", big}}));
}

TEST_F(Fs, MissingAndExistingPathsAreNumberedErrorsNamingThePath)
{
    struct Row { const char* name; std::function<Result<void>()> call; int number; };
    const fs::path none = dir / "none", noFolder = dir / "no" / "x";
    const Row rows[] = {
        {"folder exists", [&] { return fso.CreateFolder(dir.path()); }, err::FileAlreadyExists},
        {"parent missing", [&] { return fso.CreateFolder(noFolder); }, err::PathNotFound},
        {"file missing", [&] { return dropValue(fso.GetFile(none)); }, err::FileNotFound},
        {"folder missing", [&] { return dropValue(fso.GetFolder(none)); }, err::PathNotFound},
        {"list missing", [&] { return dropValue(Folder(none).Files()); }, err::PathNotFound},
        {"open missing", [&] { return dropValue(fso.OpenTextFile(none)); }, err::FileNotFound},
        {"read missing", [&] { return dropValue(fso.readFileBytes(none)); }, err::FileNotFound},
        {"delete missing", [&] { return fso.DeleteFile(none); }, err::FileNotFound},
        {"create in missing folder", [&] { return dropValue(fso.CreateTextFile(noFolder)); }, err::PathNotFound},
        {"create without overwrite", [&] { return dropValue(fso.CreateTextFile(dir.write("e", "k"), Existing::Refuse)); },
         err::FileAlreadyExists},
        {"copy missing source", [&] { return fso.CopyFile(none, dir / "x"); }, err::FileNotFound},
        {"copy into missing folder", [&] { return fso.CopyFile(dir.write("s", ""), noFolder); }, err::PathNotFound},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto result = row.call();
        ASSERT_EQ(errorNumber(result), row.number);
        EXPECT_NE(result.error().description.find(dir.path().string()), std::string::npos);
    }
    EXPECT_EQ(readBytes(dir / "e"), "k");
    ASSERT_TRUE(fso.CreateFolder(dir / "made"));
    EXPECT_TRUE(fso.FolderExists(dir / "made"));
    EXPECT_FALSE(fso.FileExists(dir / "made"));
}

// The walk as a log: "D:rel@depth" per folder, "f:rel" per file, "E:rel" per folder error.
struct WalkLog {
    std::vector<std::string> events;
    WalkResult result;
};

class Walk : public ::testing::Test {
protected:
    Walk()
    {
        for (const char* name : {"b.txt", "A.txt", "sub/x", "sub/deep/y", "Sub2/z", "zz/w"})
            dir.write(name, "");
        fs::create_directory_symlink(dir / "sub", dir / "link");  // never entered
    }

    WalkLog walk(const fs::path& base, WalkOptions options, std::function<Visit(const WalkEntry&)> answer = {})
    {
        WalkLog log;
        log.result = walkTree(base, options, [&](const WalkEntry& entry) {
            EXPECT_TRUE(entry.path.is_absolute()) << entry.path;
            const std::string rel = entry.path.lexically_relative(dir.path()).string();
            switch (entry.kind) {
            case WalkEntry::Kind::Folder: log.events.push_back("D:" + rel + "@" + std::to_string(entry.depth)); break;
            case WalkEntry::Kind::File: log.events.push_back("f:" + rel); break;
            case WalkEntry::Kind::FolderError: log.events.push_back("E:" + rel); break;
            }
            return answer ? answer(entry) : Visit::Continue;
        });
        return log;
    }

    test::TempDir dir;
};

using Events = std::vector<std::string>;

// The end of a run in one text: twenty failures, how many more, then the notes and how many
// temporary files of killed runs were removed.
TEST(RunReportText, ListsTwentyFailuresThenCountsTheRestAndTheNotes)
{
    RunReport run;
    for (int i = 0; i < 25; ++i)
        run.fail(i == 19 ? "/d/last" : "/d/f", Error{70, "denied"});
    run.notes.push_back("a note");
    run.counts.debrisRemoved = 1;
    const std::string text = endOfRunText(run);
    EXPECT_TRUE(text.starts_with("Could not handle 25 files or folders:\n/d/f: 70 :: denied\n")) << text;
    EXPECT_TRUE(text.ends_with("/d/last: 70 :: denied\nand 5 more.\na note\nRemoved 1 temporary file left behind by an "
                               "interrupted run.")) << text;
}

// A folder that vanishes before it is listed reaches the visitor as an error; cancel stops before
// the next file.
TEST_F(Walk, VisitsFilesBeforeSubfoldersFollowsTheVisitorsAnswersAndStops)
{
    const auto on = [](std::string_view name, Visit visit) {
        return [=](const WalkEntry& entry) { return entry.path.filename() == name ? visit : Visit::Continue; };
    };
    WalkOptions removing, afterTwo;
    removing.progress = [&](const fs::path& current, std::uint64_t) {
        return current != dir / "sub/x" || fs::remove_all(dir / "sub/deep");
    };
    afterTwo.progress = [](const fs::path&, std::uint64_t done) { return done < 2; };
    std::stop_source source;
    const struct {
        const char* name;
        WalkOptions options;
        std::function<Visit(const WalkEntry&)> answer;
        Events events;
        bool cancelled = false;
        const char* base = "";
    } rows[] = {
        {"whole tree", {}, {},
         {"D:.@0", "f:A.txt", "f:b.txt", "D:sub@1", "f:sub/x", "D:sub/deep@2", "f:sub/deep/y", "D:Sub2@1", "f:Sub2/z",
          "D:zz@1", "f:zz/w"}},
        {"not recursive", {.recursive = false}, {}, {"D:.@0", "f:A.txt", "f:b.txt"}},
        {"skip a folder on entry", {}, on("sub", Visit::SkipFolder),
         {"D:.@0", "f:A.txt", "f:b.txt", "D:sub@1", "D:Sub2@1", "f:Sub2/z", "D:zz@1", "f:zz/w"}},
        // The rest of the folder goes: its later files and every subfolder; its siblings stay.
        {"skip the rest after a file", {}, on("A.txt", Visit::SkipFolder), {"D:.@0", "f:A.txt"}},
        {"skip inside a subfolder", {}, on("x", Visit::SkipFolder),
         {"D:.@0", "f:A.txt", "f:b.txt", "D:sub@1", "f:sub/x", "D:Sub2@1", "f:Sub2/z", "D:zz@1", "f:zz/w"}},
        {"stop", {}, on("y", Visit::Stop), {"D:.@0", "f:A.txt", "f:b.txt", "D:sub@1", "f:sub/x", "D:sub/deep@2", "f:sub/deep/y"}},
        {"folder removed before it is listed", removing, {}, {"D:sub@0", "f:sub/x", "D:sub/deep@1", "E:sub/deep"}, false, "sub"},
        {"missing base", {}, {}, {"D:gone@0", "E:gone"}, false, "gone"},
        {"cancelled by progress", afterTwo, {}, {"D:.@0", "f:A.txt", "f:b.txt", "D:sub@1"}, true},
        {"cancelled by a stop request", {.stop = source.get_token()},
         [&](const WalkEntry& entry) {
             if (entry.kind == WalkEntry::Kind::File)
                 source.request_stop();
             return Visit::Continue;
         },
         {"D:.@0", "f:A.txt"}, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const WalkLog log = walk(*row.base ? dir / row.base : dir.path(), row.options, row.answer);
        EXPECT_EQ(log.events, row.events);
        EXPECT_EQ(log.result.cancelled, row.cancelled);
        const auto files = std::ranges::count_if(log.events, [](const std::string& e) { return e.starts_with("f:"); });
        EXPECT_EQ(log.result.files, static_cast<std::uint64_t>(files));
    }
}

}  // namespace
}  // namespace qb
