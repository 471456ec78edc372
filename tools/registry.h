// Registers every tool folder's commands and windows; defined by code generated from the tool
// folders' CMake lists (cmake/tools.cmake), so no list of tools is kept by hand.
#pragma once

namespace qb {

// Every tool's command (Qt-free; the command line's whole registry).
void registerAllCommands();
// Every tool's window, with its place in the chooser and the Gizmets menu.
void registerAllWindows();

inline void registerAllTools()
{
    registerAllCommands();
    registerAllWindows();
}

}  // namespace qb
