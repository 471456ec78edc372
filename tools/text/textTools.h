// This folder's tools as the program knows them: their commands (Qt-free) and their windows with
// their places in the frame. The program registers every tool folder's two halves at start.
#pragma once

namespace qb {
void registerTextCommands();
void registerTextWindows();
inline void registerTextTools()
{
    registerTextCommands();
    registerTextWindows();
}
}  // namespace qb
