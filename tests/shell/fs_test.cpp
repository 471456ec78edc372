#include "shell/fs.h"

#include "support/recorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace qb {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t streamBlock = 64 * 1024;  // the stream's read block

using test::readBytes;
using test::TempDir;

mode_t permissions(const fs::path& path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

std::vector<std::string> namesIn(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> readLines(const fs::path& path)
{
    auto stream = FileSystemObject().OpenTextFile(path);
    EXPECT_TRUE(stream.has_value());
    std::vector<std::string> lines;
    while (!stream->AtEndOfStream()) {
        auto line = stream->ReadLine();
        EXPECT_TRUE(line.has_value()) << line.error().description;
        lines.push_back(*line);
    }
    auto past = stream->ReadLine();
    EXPECT_EQ(past.error().number, err::InputPastEnd);
    return lines;
}

struct LineCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
};

TEST(TextStream, ReadLineEndsLinesAtEveryKindOfLineEnd)
{
    const std::string full(streamBlock - 1, 'a');  // puts the next byte last in the first block
    const std::vector<LineCase> cases = {
        {"empty file", "", {}},
        {"no line end", "abc", {"abc"}},
        {"crlf", "a\r\nb\r\n", {"a", "b"}},
        {"lf without end on last", "a\nb", {"a", "b"}},
        {"lone cr", "a\rb\r", {"a", "b"}},
        {"cr then crlf", "a\r\r\nb", {"a", "", "b"}},
        {"lf cr is two ends", "a\n\rb", {"a", "", "b"}},
        {"blank lines", "\n\r\n\r", {"", "", ""}},
        {"bytes pass through", std::string("\x00\xff\x1a\x80", 4), {std::string("\x00\xff\x1a\x80", 4)}},
        {"crlf split across blocks", full + "\r\nb", {full, "b"}},
        {"lone cr at block end", full + "\rb", {full, "b"}},
        {"cr ends the file at block end", full + "\r", {full}},
        {"line longer than a block", std::string(3 * streamBlock + 7, 'x') + "\r\ny",
         {std::string(3 * streamBlock + 7, 'x'), "y"}},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(readLines(dir.write("in.txt", c.bytes)), c.lines);
    }
}

TEST(TextStream, WritesAndReadsBackAllByteValues)
{
    TempDir dir;
    std::string all;
    for (int i = 0; i < 256 * 300; ++i)  // larger than the write buffer
        all += static_cast<char>(i % 256);
    FileSystemObject fso;
    auto out = fso.CreateTextFile(dir / "all.bin");
    ASSERT_TRUE(out.has_value());
    ASSERT_TRUE(out->Write(all.substr(0, 100)));
    ASSERT_TRUE(out->Write(all.substr(100)));
    ASSERT_TRUE(out->WriteLine("end"));
    ASSERT_TRUE(out->Close());
    EXPECT_EQ(readBytes(dir / "all.bin"), all + "end\r\n");

    auto in = fso.OpenTextFile(dir / "all.bin");
    ASSERT_TRUE(in.has_value());
    EXPECT_EQ(in->ReadLine().value(), std::string(all.substr(0, 10)));  // a line ends at byte 10
    EXPECT_EQ(in->ReadAll().value(), all.substr(11) + "end\r\n");
    EXPECT_TRUE(in->AtEndOfStream());
    EXPECT_EQ(fso.readFileBytes(dir / "all.bin").value(), all + "end\r\n");
}

TEST(TextStream, WritingTruncatesAndAppendingAppends)
{
    TempDir dir;
    FileSystemObject fso;
    const fs::path path = dir.write("f.txt", "old contents");
    auto append = fso.OpenTextFile(path, IOMode::ForAppending);
    ASSERT_TRUE(append && append->Write("+more") && append->Close());
    EXPECT_EQ(readBytes(path), "old contents+more");
    auto file = fso.GetFile(path);
    ASSERT_TRUE(file.has_value());
    auto write = file->OpenAsTextStream(IOMode::ForWriting);
    ASSERT_TRUE(write && write->Write("new") && write->Close());
    EXPECT_EQ(readBytes(path), "new");
    // A stream released without Close still writes what it was given.
    { auto late = fso.OpenTextFile(path, IOMode::ForAppending); ASSERT_TRUE(late && late->Write("!")); }
    EXPECT_EQ(readBytes(path), "new!");
}

TEST(TextStream, WriteFailureIsNeverReportedAsSuccess)
{
    FileSystemObject fso;
    auto small = fso.OpenTextFile("/dev/full", IOMode::ForWriting);
    ASSERT_TRUE(small.has_value());
    ASSERT_TRUE(small->WriteLine("fits in the buffer"));
    EXPECT_EQ(small->Close().error().number, err::DiskFull);

    auto large = fso.OpenTextFile("/dev/full", IOMode::ForWriting);
    ASSERT_TRUE(large.has_value());
    auto written = large->Write(std::string(2 * streamBlock, 'x'));
    ASSERT_FALSE(written.has_value());
    EXPECT_EQ(written.error().number, err::DiskFull);
    EXPECT_NE(written.error().description.find("/dev/full"), std::string::npos);
    EXPECT_EQ(large->Close().error().number, err::DiskFull);
}

TEST(ReplacingStream, CloseReplacesAndDestructionDiscards)
{
    TempDir dir;
    FileSystemObject fso;
    const fs::path path = dir.write("keep.txt", "old whole file");
    ::chmod(path.c_str(), 0640);
    {
        auto stream = fso.CreateReplacingTextFile(path);
        ASSERT_TRUE(stream && stream->Write("half of the new"));
    }
    EXPECT_EQ(readBytes(path), "old whole file");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"keep.txt"});

    ASSERT_TRUE(fso.replaceFileContents(path, "new"));
    EXPECT_EQ(readBytes(path), "new");
    EXPECT_EQ(permissions(path), 0640u);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"keep.txt"});

    // Through a link the file behind it is replaced and the link stays a link.
    fs::create_symlink("keep.txt", dir / "link.txt");
    ASSERT_TRUE(fso.replaceFileContents(dir / "link.txt", "via link"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
    EXPECT_EQ(readBytes(path), "via link");

    ASSERT_TRUE(fso.replaceFileContents(dir / "fresh.txt", "made"));
    EXPECT_EQ(readBytes(dir / "fresh.txt"), "made");
}

TEST(FileSystemObject, HandlesNamesThatAreNotUtf8)
{
    TempDir dir;
    FileSystemObject fso;
    const fs::path name = dir / "caf\xe9.txt";
    auto out = fso.CreateTextFile(name);
    ASSERT_TRUE(out && out->WriteLine("caf\xe9") && out->Close());
    EXPECT_TRUE(fso.FileExists(name));
    EXPECT_EQ(readLines(name), std::vector<std::string>{"caf\xe9"});
    ASSERT_TRUE(fso.CopyFile(name, dir / "copie\xff.txt"));
    EXPECT_EQ(readBytes(dir / "copie\xff.txt"), "caf\xe9\r\n");
    auto files = Folder(dir.path()).Files();
    ASSERT_TRUE(files.has_value());
    ASSERT_EQ(files->size(), 2u);
    EXPECT_EQ((*files)[0].Name(), "caf\xe9.txt");
    EXPECT_EQ((*files)[1].Path(), dir / "copie\xff.txt");
}

TEST(Folder, ListsEntriesInWalkOrderWithoutFolderLinks)
{
    TempDir dir;
    for (const char* name : {"b", "A", "a", "B1", "_x", "\xe9t\xe9", "Z"})
        dir.write(name, "x");
    fs::create_directory(dir / "sub");
    fs::create_directory(dir / "Sub2");
    fs::create_directory_symlink(dir.path(), dir / "sub" / "loop");
    fs::create_symlink(dir / "b", dir / "sub" / "fileLink");
    fs::create_symlink(dir / "gone", dir / "sub" / "dangling");

    auto files = Folder(dir.path()).Files();
    ASSERT_TRUE(files.has_value());
    std::vector<std::string> names;
    for (const File& f : *files)
        names.push_back(f.Name());
    EXPECT_EQ(names, (std::vector<std::string>{"A", "a", "b", "B1", "Z", "_x", "\xe9t\xe9"}));

    auto subs = Folder(dir.path()).SubFolders();
    ASSERT_TRUE(subs.has_value());
    ASSERT_EQ(subs->size(), 2u);
    EXPECT_EQ((*subs)[0].Name(), "sub");
    EXPECT_EQ((*subs)[1].Name(), "Sub2");
    EXPECT_TRUE((*subs)[0].SubFolders().value().empty());  // the loop link is not listed
    auto linked = (*subs)[0].Files().value();
    ASSERT_EQ(linked.size(), 1u);
    EXPECT_EQ(linked[0].Name(), "fileLink");
    EXPECT_TRUE((*subs)[1].Files().value().empty());  // an empty folder
    EXPECT_TRUE((*subs)[1].SubFolders().value().empty());
    EXPECT_EQ(Folder(dir / "sub" / "").Name(), "sub");
    EXPECT_EQ(linked[0].ParentFolder().Path(), dir / "sub");
}

TEST(Folder, UnreadableOrMissingFolderIsReported)
{
    TempDir dir;
    EXPECT_EQ(Folder(dir / "missing").Files().error().number, err::PathNotFound);
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop root";
    fs::create_directory(dir / "locked");
    ::chmod((dir / "locked").c_str(), 0);
    auto subs = Folder(dir / "locked").SubFolders();
    ::chmod((dir / "locked").c_str(), 0755);
    ASSERT_FALSE(subs.has_value());
    EXPECT_EQ(subs.error().number, err::PermissionDenied);
    EXPECT_NE(subs.error().description.find("locked"), std::string::npos);
}

TEST(FileSystemObject, CopyFileNeverHarmsTheSource)
{
    TempDir dir;
    FileSystemObject fso;
    const fs::path source = dir.write("src.txt", "precious");
    fs::create_symlink("src.txt", dir / "soft.txt");
    fs::create_hard_link(source, dir / "hard.txt");
    for (const char* other : {"src.txt", "soft.txt", "hard.txt"}) {
        SCOPED_TRACE(other);
        EXPECT_TRUE(fso.sameFile(source, dir / other));
        for (bool overwrite : {true, false}) {
            auto copied = fso.CopyFile(source, dir / other, overwrite);
            ASSERT_FALSE(copied.has_value());
            EXPECT_EQ(copied.error().number, err::PermissionDenied);
            EXPECT_NE(copied.error().description.find("same file"), std::string::npos);
            EXPECT_EQ(readBytes(source), "precious");
        }
    }
    EXPECT_FALSE(fso.sameFile(source, dir.write("other.txt", "precious")));
    EXPECT_FALSE(fso.sameFile(source, dir / "missing"));
}

TEST(FileSystemObject, CopyFileOverwriteRules)
{
    TempDir dir;
    FileSystemObject fso;
    const fs::path source = dir.write("src.txt", std::string(3 * streamBlock, 's'));
    ::chmod(source.c_str(), 0604);
    const fs::path dest = dir.write("dest.txt", "old");
    ::chmod(dest.c_str(), 0640);

    EXPECT_EQ(fso.CopyFile(source, dest, false).error().number, err::FileAlreadyExists);
    EXPECT_EQ(readBytes(dest), "old");

    ASSERT_TRUE(fso.CopyFile(source, dest, true));
    EXPECT_EQ(readBytes(dest), readBytes(source));
    EXPECT_EQ(permissions(dest), 0640u);

    ASSERT_TRUE(fso.CopyFile(source, dir / "new.txt", false));
    EXPECT_EQ(readBytes(dir / "new.txt"), readBytes(source));
    EXPECT_EQ(permissions(dir / "new.txt"), 0604u);

    const fs::path readOnly = dir.write("ro.txt", "keep me");
    ::chmod(readOnly.c_str(), 0444);
    EXPECT_EQ(fso.CopyFile(source, readOnly, true).error().number, err::PermissionDenied);
    EXPECT_EQ(readBytes(readOnly), "keep me");

    EXPECT_EQ(fso.CopyFile(dir / "missing", dir / "x").error().number, err::FileNotFound);
    EXPECT_EQ(fso.CopyFile(source, dir / "nofolder" / "x").error().number, err::PathNotFound);
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"dest.txt", "new.txt", "ro.txt", "src.txt"}));
}

TEST(FileSystemObject, DeleteFileRefusesReadOnlyUnlessForced)
{
    TempDir dir;
    FileSystemObject fso;
    const fs::path path = dir.write("ro.txt", "x");
    ::chmod(path.c_str(), 0444);
    EXPECT_EQ(fso.DeleteFile(path).error().number, err::PermissionDenied);
    EXPECT_TRUE(fso.FileExists(path));
    EXPECT_TRUE(fso.DeleteFile(path, true));
    EXPECT_FALSE(fso.FileExists(path));
    EXPECT_EQ(fso.DeleteFile(path).error().number, err::FileNotFound);
    EXPECT_TRUE(fso.DeleteFile(dir.write("rw.txt", "x")));
}

struct ErrorCase {
    const char* name;
    std::function<Result<void>(const FileSystemObject&, const TempDir&)> call;
    int number;
};

template <class T>
Result<void> dropValue(Result<T> r)
{
    if (!r)
        return std::unexpected(r.error());
    return {};
}

TEST(FileSystemObject, ReportsMissingAndExistingPaths)
{
    const std::vector<ErrorCase> cases = {
        {"folder exists", [](auto& f, auto& d) { return f.CreateFolder(d.path()); }, err::FileAlreadyExists},
        {"parent missing", [](auto& f, auto& d) { return f.CreateFolder(d / "a" / "b"); }, err::PathNotFound},
        {"file missing", [](auto& f, auto& d) { return dropValue(f.GetFile(d / "none")); }, err::FileNotFound},
        {"folder missing", [](auto& f, auto& d) { return dropValue(f.GetFolder(d / "none")); }, err::PathNotFound},
        {"open missing", [](auto& f, auto& d) { return dropValue(f.OpenTextFile(d / "none")); }, err::FileNotFound},
        {"create in missing folder", [](auto& f, auto& d) { return dropValue(f.CreateTextFile(d / "no" / "x")); },
         err::PathNotFound},
        {"create without overwrite",
         [](auto& f, auto& d) { return dropValue(f.CreateTextFile(d.write("e", "keep"), false)); },
         err::FileAlreadyExists},
        {"read missing", [](auto& f, auto& d) { return dropValue(f.readFileBytes(d / "none")); }, err::FileNotFound},
    };
    FileSystemObject fso;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        auto result = c.call(fso, dir);
        ASSERT_FALSE(result.has_value());
        EXPECT_EQ(result.error().number, c.number);
        EXPECT_NE(result.error().description.find(dir.path().string()), std::string::npos);
    }
    TempDir dir;
    ASSERT_TRUE(fso.CreateFolder(dir / "made"));
    EXPECT_TRUE(fso.FolderExists(dir / "made"));
    EXPECT_FALSE(fso.FileExists(dir / "made"));
    EXPECT_EQ(fso.GetFolder(dir / "made").value().Path(), dir / "made");
}

}  // namespace
}  // namespace qb
