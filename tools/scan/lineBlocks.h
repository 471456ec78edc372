// Reads a file a block at a time into one buffer that is reused from file to file, and hands it
// out as runs of whole lines: a run ends just after a line break (CR LF, LF or a lone CR; a CR
// at a block's edge waits for the next byte, so CR LF is never split), except the file's last
// run, which may end without one. A run holds at most one block unless a single line is longer;
// such a line makes the buffer grow to hold it, so memory stays at about a block plus the longest
// line, whatever the size of the file.
#pragma once

#include "shell/error.h"
#include "shell/fsSys.h"

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string_view>

namespace qb {

class LineBlocks {
public:
    static constexpr std::size_t defaultBlockSize = 256 * 1024;

    explicit LineBlocks(std::size_t blockSize = defaultBlockSize);
    ~LineBlocks();
    LineBlocks(const LineBlocks&) = delete;
    LineBlocks& operator=(const LineBlocks&) = delete;

    // Starts on `path` (which must outlive the reading), forgetting the file before it (the
    // buffer is kept).
    Result<void> open(const std::filesystem::path& path);
    // Reads ahead until `size` bytes wait to be handed out or the file has ended, and returns the
    // bytes that wait (perhaps more than `size`). Nothing is handed out by this.
    Result<std::string_view> peek(std::size_t size);
    // The next run of whole lines; empty once the whole file has been handed out. The run stays
    // valid until the next call.
    Result<std::string_view> next();
    // True once the run last handed out was the file's last one.
    bool ended() const { return eof_ && begin_ == end_; }
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
    std::unique_ptr<char, void (*)(void*)> data_;
    std::size_t capacity_ = 0;
    std::size_t begin_ = 0, end_ = 0;  // the bytes read but not handed out yet
    bool eof_ = false;
    sys::UniqueFd fd_;
    const std::filesystem::path* path_ = nullptr;
};

}  // namespace qb
