// The file-system layer every tool goes through: a FileSystemObject hands out folder, file and
// text-stream objects. Paths are byte-exact (std::filesystem::path holds the raw name on this
// platform), streams are buffered and byte-transparent, and every failure comes back as an
// Error numbered by the runtime catalogue. Nothing here knows about Qt.
#pragma once

#include "core/error.h"
#include "core/fsSys.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qb {

namespace detail {
struct Tree;
}

// Files are never written under their final name: each is written to a temporary file in the
// same folder and given its name when whole. A temporary name carries marks that a user's file
// would not have, and does not grow with the final name: ".quillbox-", the writer's process id,
// "-", 12 random letters or digits, then ".tmp" (at most 37 bytes). The writer holds an exclusive
// lock (flock) on the file from before that name is visible until the file is gone. Where the
// file system cannot make unnamed files, the file is first made under the same name ending in
// ".new" instead, locked, and only then renamed to its ".tmp" name; a ".new" file is never
// removed while its writer's process lives. A later run removes, as what a killed run left, only
// regular files of these names that nobody holds and that are older than that run
// (removeDebris). Folders of such names are ordinary folders.
inline constexpr std::string_view tempFilePrefix = ".quillbox-";
// True for names of the temporary-file pattern (".tmp" and ".new" alike).
bool isTempFileName(std::string_view name);

enum class IOMode { ForReading = 1, ForWriting = 2, ForAppending = 8 };
// Both formats are 8-bit text: bytes go in and out unchanged.
enum class TextFormat { Ascii = 0, SystemDefault = -2 };
// What a writer does when its destination is there already.
enum class Existing { Refuse, Replace };
// Whether DeleteFile removes a read-only file as well.
enum class ReadOnly { Refuse, Remove };
// Whether OpenTextFile makes a file that is not there.
enum class Missing { Fail, Create };
// The encoding of a created text file; only 8-bit text is written.
enum class Encoding { EightBit, Unicode };

// A buffered, move-only stream over one open file. Reading splits lines at CR LF, LF or a lone
// CR, and holds no more than the line being read (plus one block): a line longer than a few
// blocks gets room for its exact length, so memory stays at about the longest line. Writing
// passes bytes through unchanged. A stream that is not closed is closed when it is destroyed
// (errors of that late close are lost, so callers that care call Close()).
// A stream made by FileSystemObject::CreateTextFile or CreateReplacingTextFile writes to a
// temporary file beside its target: Close() gives it the target's name, and Discard() throws it
// away. It must end in one of the two: destroying it otherwise throws the file away too, but is a
// programming error that debug builds stop on.
class TextStream {
public:
    TextStream(TextStream&& other) noexcept;
    TextStream& operator=(TextStream&& other) noexcept;
    TextStream(const TextStream&) = delete;
    TextStream& operator=(const TextStream&) = delete;
    ~TextStream();

    // True when no byte is left to read. False while a read error is pending, so that the next
    // read reports it.
    bool AtEndOfStream();
    // The next line without its line end; error 62 at the end of the stream.
    Result<std::string> ReadLine();
    // Same as ReadLine, into `line` (reusing its capacity); false at the end of the stream.
    Result<bool> readLine(std::string& line);
    // Everything not read yet.
    Result<std::string> ReadAll();

    Result<void> Write(std::string_view text);
    Result<void> WriteLine(std::string_view text);  // text, then CR LF
    // Hands everything written so far to the file.
    Result<void> Flush();
    // How many bytes reached the file so far (what is still buffered does not count).
    std::uint64_t bytesInFile() const { return inFile_; }
    // Writes `text` to the file now, after anything buffered, without copying it into the buffer:
    // for writers that hand over whole blocks of their own.
    Result<void> writeDirect(std::string_view text);
    // Flushes, closes and (for a replacing stream) renames over the target; checked to the end.
    Result<void> Close();
    // Closes without writing what is buffered; a replacing stream's temporary file is removed.
    void Discard() noexcept;
    // The first `size` bytes that reached the file (no more than bytesInFile()), read back into
    // `bytes` before the stream is closed or discarded: for a writer that shows what it made,
    // whether or not the file is then published.
    Result<void> readBack(std::uint64_t size, std::string& bytes) const;

    const std::filesystem::path& path() const { return path_; }
    // True for a stream that is published on Close() (written to a temporary file first).
    bool isReplacing() const { return !tempPath_.empty(); }

private:
    friend class FileSystemObject;
    friend class File;
    TextStream(sys::UniqueFd fd, IOMode mode, std::filesystem::path path, std::filesystem::path tempPath = {},
               bool replace = true, sys::UniqueFd folder = {});
    Result<void> finish(Result<void> written);
    Result<void> flush();
    Result<void> writeThrough(std::string_view bytes);  // unbuffered; a failure sticks
    Result<bool> fill();
    Result<void> usable(bool forWriting) const;
    void closeQuietly() noexcept;  // the destructor's close: flushes a plain writing stream

    sys::UniqueFd fd_;
    IOMode mode_ = IOMode::ForReading;
    std::filesystem::path path_;
    std::filesystem::path tempPath_;  // set for a stream that is published on Close()
    sys::UniqueFd folder_;            // the open folder of path_ and tempPath_, for publishing
    bool replace_ = true;             // its publish replaces an existing file (else refuses it)
    std::uint64_t inFile_ = 0;
    std::string buffer_;
    std::size_t pos_ = 0;             // read position in buffer_
    bool eof_ = false;
    int pendingErrno_ = 0;
};

class Folder;
struct FolderEntries;

class File {
public:
    explicit File(std::filesystem::path path) : path_(std::move(path)) {}
    const std::filesystem::path& Path() const { return path_; }
    std::string Name() const { return path_.filename().string(); }
    Folder ParentFolder() const;
    Result<TextStream> OpenAsTextStream(IOMode mode = IOMode::ForReading,
                                        TextFormat format = TextFormat::Ascii) const;

private:
    std::filesystem::path path_;
};

class Folder {
public:
    explicit Folder(std::filesystem::path path) : path_(std::move(path)) {}
    const std::filesystem::path& Path() const { return path_; }
    std::string Name() const;
    // Entries directly in the folder, in walk order (case-insensitive name order, ties broken by
    // bytes). SubFolders does not list symbolic links to folders; Files lists regular files and
    // links to them.
    Result<std::vector<Folder>> SubFolders() const;
    Result<std::vector<File>> Files() const;
    // Both lists from one reading of the folder, for walks that want files and subfolders.
    // Files and Files() never hold names of the temporary-file pattern. With `openFd`, the folder
    // is read through that open descriptor of it.
    Result<FolderEntries> list(int openFd = -1) const;

private:
    std::filesystem::path path_;
};

struct FolderEntries {
    std::vector<File> files;
    std::vector<Folder> subFolders;
    std::vector<std::string> tempNames;  // names of the temporary-file pattern (never in `files`)
};

// Who named a file that a run writes: the tool itself (only a regular file is written) or the user,
// as an output on the command line (see FileSystemObject::createOutput).
enum class NamedBy { Tool, User };

// How far a new file must reach the disk before CopyFile returns.
enum class Sync {
    None,           // as the system writes it back (a replaced file's contents are still synced)
    FileAndFolder,  // contents, then the folder entry: the file survives a power cut once done
};

// Every write of a FileSystemObject opens the folder it writes into and makes, checks, names and
// removes files relative to that open folder. A FileSystemObject made for a tree (the folder a
// run walks) never writes through a link below it: each folder under the tree is opened relative
// to the one above it without following links, and a link where a folder or the written file
// should be is refused (error 75, naming the link); nothing is written, replaced or removed
// through it. Outside its tree, and for one made without a tree, a link at the written file's own
// name is written through (the file behind it is replaced and the link stays).
// A FileSystemObject remembers when it was made: the start of its run, for removeDebris.
class FileSystemObject {
public:
    FileSystemObject();
    explicit FileSystemObject(const std::filesystem::path& tree);

    bool FileExists(const std::filesystem::path& path) const;
    bool FolderExists(const std::filesystem::path& path) const;
    // Errors name the real cause: "is a folder, not a file", "is a file, not a folder" (also for
    // a part of the path), "too many levels of links", "is a link to X, which does not exist".
    Result<File> GetFile(const std::filesystem::path& path) const;
    Result<Folder> GetFolder(const std::filesystem::path& path) const;
    // Error 58 when something already exists at the path, 76 when its parent is missing.
    Result<void> CreateFolder(const std::filesystem::path& path) const;
    // The same, but a folder that is there already (made by someone else meanwhile) is success.
    Result<void> ensureFolder(const std::filesystem::path& path) const;
    // Unless `readOnly` is Remove, a file without write permission bits, or one this user may not
    // write, is refused with error 70.
    Result<void> DeleteFile(const std::filesystem::path& path, ReadOnly readOnly = ReadOnly::Refuse) const;
    // Removes the folder at `path` when it is empty (its parent opened as DeleteFile opens it); a
    // folder that holds anything stays (error 75), and so does a link there.
    Result<void> removeEmptyFolder(const std::filesystem::path& path) const;
    // Whether the file at `path` may be replaced: a folder (75), a device, FIFO or socket (75), a
    // read-only file or one this user may not write (70) may not, nor a link below the tree (75);
    // outside it the file behind a link is asked about. Nothing there may be made. CopyFile,
    // CreateTextFile and the replacing writers ask this first.
    Result<void> checkReplaceable(const std::filesystem::path& path) const;
    // Refuses an input that is a FIFO, device or socket (75), as every reader here does before
    // opening it. Anything else passes (a missing file is for the open to report).
    Result<void> checkInput(const std::filesystem::path& path) const;
    // Never harms the source: copying a file onto itself (same path, link, hard link) fails with
    // error 70; a source that is a FIFO or device is refused before it is opened (75). The copy is
    // written to a temporary file beside the destination and then given its name.
    // Existing::Refuse: an existing destination is error 58 and is left alone (also one that
    // appears during the copy). Existing::Replace: the destination must pass checkReplaceable; it
    // keeps its owner and permission bits, and its new contents reach the disk before the rename.
    // A new destination gets the source's permission bits; copies keep the modification time.
    Result<void> CopyFile(const std::filesystem::path& source, const std::filesystem::path& destination,
                          Existing existing = Existing::Replace, Sync sync = Sync::None) const;
    // A stream that writes a new file: it gets its name on Close(). Existing::Refuse refuses an
    // existing file (error 58, also one that appears before Close); Existing::Replace replaces one
    // that passes checkReplaceable, keeping its owner and permission bits. Text files are 8-bit:
    // Encoding::Unicode is refused (error 5).
    Result<TextStream> CreateTextFile(const std::filesystem::path& path, Existing existing = Existing::Replace,
                                      Encoding encoding = Encoding::EightBit) const;
    // Reading: a FIFO or device is refused before it is opened (75). Writing and appending work in
    // place, into a regular file only.
    Result<TextStream> OpenTextFile(const std::filesystem::path& path, IOMode mode = IOMode::ForReading,
                                    Missing missing = Missing::Fail, TextFormat format = TextFormat::Ascii) const;
    // CreateTextFile replacing an existing file: until Close() the old file, if any, is untouched.
    Result<TextStream> CreateReplacingTextFile(const std::filesystem::path& path) const;
    // Makes an empty file at `path` when there is none (a file that appears meanwhile is kept).
    Result<void> ensureFile(const std::filesystem::path& path) const;
    // Removes the temporary files in `folder` that runs killed while writing them left behind
    // (see tempFilePrefix); a file that a live run holds, or one newer than this object, is left
    // alone. How many were removed.
    Result<std::uint64_t> removeDebris(const std::filesystem::path& folder) const;
    // An output the user named on the command line. "-", /dev/stdout, /dev/stderr, /dev/fd/N and
    // /proc/self/fd/N are written to that descriptor as it is open (appending when the shell opened
    // it so); any other character device, FIFO or socket is opened without emptying it and written
    // as a stream. Such a stream's Close() flushes and closes; it never renames anything, and
    // isReplacing() is false. Anything else is, for ForWriting, written as CreateReplacingTextFile
    // writes it, and for ForAppending appended to in place (made when missing).
    Result<TextStream> createOutput(const std::filesystem::path& path, IOMode mode = IOMode::ForWriting) const;
    // Refuses (75) an output that is one of `inputs`: the same regular file (device and inode,
    // whatever the spelling). Standard streams, terminals, pipes and paths that name nothing pass.
    Result<void> checkNotInput(const std::filesystem::path& output,
                               const std::vector<std::filesystem::path>& inputs) const;
    // Replaces the whole contents of `path` atomically (temporary file, then rename).
    Result<void> replaceFileContents(const std::filesystem::path& path, std::string_view bytes) const;
    // The whole file in one read.
    Result<std::string> readFileBytes(const std::filesystem::path& path) const;
    // The same into `bytes`, reusing its room: a scan that reads many files allocates only when a
    // file is larger than every one before it.
    Result<void> readFileBytes(const std::filesystem::path& path, std::string& bytes) const;
    // A regular file open for reading, for readers that take it a block at a time; anything else
    // is refused once open. For paths that come from a folder listing (regular files): a path
    // given by a user may name a device, which checkInput refuses before it is ever opened.
    // With an open `folder` (a walk's), the file is opened by its name relative to it. `size`,
    // when given, is set to the size of a regular file as it was opened (0 for anything else).
    Result<sys::UniqueFd> openForReading(const std::filesystem::path& path, int folder = -1,
                                         std::uint64_t* size = nullptr) const;
    // True when both paths name the same existing file (also through links or hard links).
    bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b) const;

private:
    std::shared_ptr<const detail::Tree> tree_;  // none: no tree
    std::int64_t started_ = 0;  // when it was made: nanoseconds since the epoch (wallClockNow)
};

// An input that the command line names itself is read even when it is a pipe, FIFO or character
// device: the user asked for that stream, as with cat. Only the command line calls this; the
// windows never do, and a walk lists regular files only, so everywhere else such inputs stay
// refused (75). standardInputPath, once accepted, reads this process's standard input.
inline constexpr std::string_view standardInputPath = "/dev/stdin";
void acceptStreamInput(const std::filesystem::path& path);

// Walk order: names compared case-insensitively (Windows-1252 letters), ties broken by bytes.
bool walkOrderLess(std::string_view a, std::string_view b);

// The name of a listed file or folder (the part of its path after the last separator), without
// a copy; it ends where the path's text ends, so its data() is a C string.
std::string_view fileNameOf(const std::filesystem::path& path);

}  // namespace qb
