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

// The folders where the window program may be: beside this one (a build, a portable copy), then
// the installed program folder under the same prefix (usr/libexec/quillbox for usr/bin).
std::vector<std::filesystem::path> windowFolders()
{
    const std::filesystem::path own = qb::startedProgramFolder();
    return {own, (own / QUILLBOX_WINDOW_FOLDER).lexically_normal()};
}

// The window program, never one found on the PATH; empty when there is none.
std::filesystem::path findWindowProgram()
{
    for (const std::filesystem::path& folder : windowFolders()) {
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
        const auto folders = windowFolders();
        std::fprintf(stderr, "quillbox: the window program %s was found neither in %s nor in %s\n", windowProgram,
                     folders[0].c_str(), folders[1].c_str());
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
