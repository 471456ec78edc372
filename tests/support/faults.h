// A fault-injection sweep: a run is repeated with the Nth open, write, fsync, rename, link or
// close failing with EIO or ENOSPC, for every N that the run reaches, each time from the same
// starting state.
#pragma once

#include "core/fsSys.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <string>

namespace qb::test {

struct Fault {
    sys::Call call;
    std::uint64_t nth;
    int error;
    std::string name() const
    {
        static const char* const calls[] = {"open", "read", "write", "fsync", "rename", "link", "close", "mkdir", "unlink", "lock"};
        return std::string(calls[static_cast<int>(call)]) + " #" + std::to_string(nth) + " fails with "
               + (error == EIO ? "EIO" : "ENOSPC");
    }
};

// `prepare` builds the starting state; `run` runs and answers whether it reported success;
// `check` is called after each faulty run with what it reported. A failure that was injected
// must be reported (a failed close of a file that was only read excepted). Returns how many runs
// it made.
inline int sweepFaults(const std::function<void()>& prepare, const std::function<bool()>& run,
                       const std::function<void(bool succeeded, const Fault& fault)>& check)
{
    using sys::Call;
    std::uint64_t counts[sys::callKinds] = {};
    prepare();
    {
        const sys::FaultPlan counting;
        EXPECT_TRUE(run()) << "the run fails without any fault";
        for (std::size_t kind = 0; kind < sys::callKinds; ++kind)
            counts[kind] = counting.calls(static_cast<Call>(kind));
    }
    int runs = 0;
    for (Call call : {Call::Open, Call::Write, Call::Fsync, Call::Rename, Call::Link, Call::Close})
        for (int error : {EIO, ENOSPC})
            for (std::uint64_t nth = 1; nth <= counts[static_cast<std::size_t>(call)]; ++nth) {
                const Fault fault{call, nth, error};
                SCOPED_TRACE(fault.name());
                prepare();
                bool succeeded, fired;
                {
                    const sys::FaultPlan plan(call, nth, error);
                    succeeded = run();
                    fired = plan.fired();
                }
                // Only closing a file that was just read may fail without consequence.
                if (fired && call != Call::Close) {
                    EXPECT_FALSE(succeeded) << "an injected failure was reported as success";
                }
                check(succeeded, fault);
                ++runs;
            }
    return runs;
}

}  // namespace qb::test
