// Reads a file a block at a time into one buffer that is reused from file to file, and hands it
// out as runs of whole lines: a run ends just after a line break (CR LF, LF or a lone CR; a CR
// at a block's edge waits for the next byte, so CR LF is never split), except the file's last
// run, which may end without one. A run holds at most one block unless a single line is longer;
// such a line makes the buffer grow to hold it, so memory stays at about a block plus the longest
// line, whatever the size of the file. With a line limit even that is bounded: a longer line is
// handed out in parts.
#pragma once

#include "core/error.h"
#include "core/fsSys.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace qb {

class LineBlocks {
public:
    static constexpr std::size_t defaultBlockSize = 256 * 1024;

    // With a `lineLimit` (0: none), a line longer than that is not held whole: it is handed out in
    // parts of about the limit that hold no line end (partial() true), and its last part starts
    // the run that follows them (continued() true).
    explicit LineBlocks(std::size_t blockSize = defaultBlockSize, std::size_t lineLimit = 0);
    ~LineBlocks();
    LineBlocks(const LineBlocks&) = delete;
    LineBlocks& operator=(const LineBlocks&) = delete;

    // Starts on `path` (which must outlive the reading), forgetting the file before it (the
    // buffer is kept). With an open `folder` (a walk's), the file is opened relative to it.
    // A regular file is read up to the size it had when it was opened.
    Result<void> open(const std::filesystem::path& path, int folder = -1);
    // Reads ahead until `size` bytes wait to be handed out or the file has ended, and returns the
    // bytes that wait (perhaps more than `size`). Nothing is handed out by this.
    Result<std::string_view> peek(std::size_t size);
    // The next run of whole lines; empty once the whole file has been handed out. The run stays
    // valid until the next call.
    Result<std::string_view> next();
    // True once the run last handed out was the file's last one.
    bool ended() const { return eof_ && begin_ == end_; }
    // The run last handed out ends inside a line, or starts inside one.
    bool partial() const { return partial_; }
    bool continued() const { return continued_; }
    // Where in the file the run last handed out starts.
    std::uint64_t runOffset() const { return runOffset_; }
    // Reads `size` bytes from `offset` of the open file into `bytes` again (for a line that was
    // handed out in parts), without moving on.
    Result<void> reread(std::uint64_t offset, std::size_t size, std::string& bytes);
    // Closes the file (the buffer is kept for the next one).
    void close();

private:
    // Reads until `size` bytes wait or the file ends.
    Result<void> fill(std::size_t size);
    // Room for `size` waiting bytes from the buffer's start, moving them there.
    void makeRoom(std::size_t size);
    // Just past the last line break in [begin_, limit), or 0 when there is none whose end is known.
    std::size_t lastCut(std::size_t limit) const;
    // The end of the run that holds the line starting at begin_ and running past `from`.
    Result<std::size_t> cutAfterLongLine(std::size_t from);

    std::size_t blockSize_;
    std::size_t lineLimit_;
    std::unique_ptr<char, void (*)(void*)> data_;
    std::size_t capacity_ = 0;
    std::size_t begin_ = 0, end_ = 0;  // the bytes read but not handed out yet
    bool eof_ = false;
    bool partial_ = false, continued_ = false;
    std::uint64_t offset_ = 0;     // where in the file begin_ is
    std::uint64_t size_ = 0;       // a regular file's size at the open (0: unknown, read to the end)
    std::uint64_t read_ = 0;       // bytes read so far
    std::uint64_t runOffset_ = 0;
    sys::UniqueFd fd_;
    const std::filesystem::path* path_ = nullptr;
};

}  // namespace qb
