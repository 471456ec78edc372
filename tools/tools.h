// Registers the window and the command of every tool in the program.
#pragma once

#include "tools/files/filesTools.h"
#include "tools/scan/scanTools.h"
#include "tools/sql/sqlTools.h"
#include "tools/text/textTools.h"

namespace qb {

inline void registerAllTools()
{
    registerFileTools();
    registerTextTools();
    registerScanTools();
    registerSqlTools();
}

}  // namespace qb
