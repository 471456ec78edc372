// quillbox: with a command, one tool runs on the same engine as its window, without a display and
// without loading any GUI library. With no command (or with --window) the window program takes
// over this very process, so whoever started `quillbox` holds the windows' process.
#include "core/commandLine.h"
#include "core/dataFolder.h"
#include "tools/registry.h"

#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

namespace {

constexpr const char* windowProgram = "quillbox-window";

// The window program beside this one (a build, a portable copy), else the installed one; never
// one found on the PATH.
std::filesystem::path findWindowProgram()
{
    for (const std::filesystem::path& folder : {qb::startedProgramFolder(), std::filesystem::path(QUILLBOX_WINDOW_FOLDER)}) {
        if (folder.empty())
            continue;
        const std::filesystem::path candidate = folder / windowProgram;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

// Replaces this process with the window program, passing the arguments on (without --window).
// Returns only when it could not be started.
int startWindows(int argc, char* argv[])
{
    const std::filesystem::path program = findWindowProgram();
    if (program.empty()) {
        std::fprintf(stderr, "quillbox: the window program %s was not found beside %s or in %s\n", windowProgram,
                     qb::startedProgramFolder().c_str(), QUILLBOX_WINDOW_FOLDER);
        return qb::exitStatus::cannotStart;
    }
    // The window program keeps its data where this program's folder says (core/dataFolder.h).
    ::setenv(qb::startedFolderVariable, qb::startedProgramFolder().c_str(), 1);
    std::vector<char*> arguments{const_cast<char*>(program.c_str())};
    for (int i = 1; i < argc; ++i)
        if (i > 1 || std::string_view(argv[i]) != "--window")
            arguments.push_back(argv[i]);
    arguments.push_back(nullptr);
    ::execv(program.c_str(), arguments.data());
    std::fprintf(stderr, "quillbox: %s could not be started: %s\n", program.c_str(), std::strerror(errno));
    return qb::exitStatus::cannotStart;
}

}  // namespace

int main(int argc, char* argv[])
{
    qb::registerAllCommands();
    const bool windows = argc == 1 || std::string_view(argv[1]) == "--window";
    if (!windows)
        return qb::runCommandLine(argc, argv);
    if (!qb::displayAvailable())
        return qb::noDisplay();
    return startWindows(argc, argv);
}
