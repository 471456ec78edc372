// What a bulk file run over a folder tree hands back to its window: the text for its result box,
// the messages of the failures it met (in the order they happened, each already in its final
// form), and whether the user stopped it.
#pragma once

#include "shell/error.h"
#include "shell/walk.h"

#include <string>
#include <vector>

namespace qb {

struct BulkRun {
    std::string text;
    std::vector<std::string> messages;
    bool cancelled = false;
};

// A run in progress: its result so far and the counter that reports progress and stop requests.
struct BulkWalk {
    explicit BulkWalk(ProgressCallback progress) : counter(std::move(progress)) {}
    BulkRun run;
    WalkCounter counter;

    // The error trap of one folder's handling: a failure becomes one "number :: description"
    // message and the walk goes on.
    void report(const Result<void>& handled)
    {
        if (!handled)
            run.messages.push_back(formatError(handled.error()));
    }
    // Hands back the result, noting whether the run was stopped.
    BulkRun finish()
    {
        run.cancelled = counter.cancelled();
        return std::move(run);
    }
};

}  // namespace qb
