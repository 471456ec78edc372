// Progress of a long folder walk. A walk calls its ProgressCallback once per file with the path
// it is about to handle and how many it has handled so far; the callback answers false to ask the
// walk to stop (the user pressed Cancel). Windows get one from WalkProgressDialog.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>

namespace qb {

using ProgressCallback = std::function<bool(const std::filesystem::path& current, std::uint64_t count)>;

// Counts the files of one walk and remembers whether it was asked to stop.
class WalkCounter {
public:
    explicit WalkCounter(ProgressCallback callback = {}) : callback_(std::move(callback)) {}
    // Reports `current`; false once the walk should stop.
    bool step(const std::filesystem::path& current)
    {
        if (cancelled_)
            return false;
        if (callback_ && !callback_(current, count_))
            cancelled_ = true;
        ++count_;
        return !cancelled_;
    }
    bool cancelled() const { return cancelled_; }
    std::uint64_t count() const { return count_; }

private:
    ProgressCallback callback_;
    std::uint64_t count_ = 0;
    bool cancelled_ = false;
};

}  // namespace qb
