#include "tools/scan/scanTools.h"

#include "shell/windows.h"

namespace qb {

void registerScanTools()
{
}

}  // namespace qb
