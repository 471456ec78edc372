// Runs a program as a separate process, the way a shell or a script would. It inherits this
// process's environment, so its data folder is the test's (QUILLBOX_DATA_DIR).
#pragma once

#include <QStringList>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <source_location>
#include <string>

namespace qb::test {

struct Ran {
    int status = -1;  // the exit status; -1 when the process crashed, was killed or did not finish
    bool killed = false;
    bool signalled = false;  // RunOptions::signal was sent
    std::string out;
    std::string err;
};

struct RunOptions {
    std::string input = {};                // written to standard input, which is then closed
    std::filesystem::path folder = {};     // the working folder (the test's own when empty)
    bool noDisplay = false;                // no DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM at all
    QString display = {};                  // with noDisplay: this DISPLAY, and nothing else
    bool interruptedAtStart = false;       // a Ctrl+C is already waiting when the program starts
    // Sees each line of standard output as it comes; answering false kills the process (SIGKILL).
    std::function<bool(const std::string&)> onLine = {};
    // Sent to the process once `signalWhen` answers true for its process id (asked every few
    // milliseconds while it runs).
    int signal = 0;
    std::function<bool(qint64 pid)> signalWhen = {};
    int secondsAfterSignal = 120;  // then it is killed (SIGKILL)
    std::filesystem::path standardOutput = {};  // a file (or device) for standard output
};

// True while process `pid` holds a file below `folder` open.
bool holdsFileBelow(qint64 pid, const std::filesystem::path& folder);

Ran runProgram(const QString& program, const QStringList& arguments, const RunOptions& options = {});

// `ran`, checked to have ended with status 0; a failure names the caller's line and shows stderr.
inline Ran succeeded(Ran ran, std::source_location where = std::source_location::current())
{
    EXPECT_EQ(ran.status, 0) << "run at " << where.file_name() << ":" << where.line() << ": " << ran.err;
    return ran;
}

}  // namespace qb::test
