// Runs the built quillbox executable as a separate process, the way a shell or a script would. It
// inherits this process's environment, so its data folder is the test's (QUILLBOX_DATA_DIR).
#pragma once

#include <QStringList>

#include <filesystem>
#include <string>

namespace qb::test {

struct Ran {
    int status = -1;  // the exit status; -1 when the process crashed or did not finish
    std::string out;
    std::string err;
};

struct RunOptions {
    std::string input = {};                // written to standard input, which is then closed
    std::filesystem::path folder = {};     // the working folder (the test's own when empty)
    bool noDisplay = false;             // no DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM at all
    bool interruptedAtStart = false;    // a Ctrl+C is already waiting when the program starts
};

Ran runQuillbox(const QStringList& arguments, const RunOptions& options = {});

QString arg(const std::filesystem::path& path);

}  // namespace qb::test
