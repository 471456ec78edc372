#include "tools/scan/scanTools.h"

#include "ui/windows.h"
#include "tools/scan/frmFindSubNFuncts.h"
#include "tools/scan/frmFindTodos.h"

namespace qb {

void registerScanWindows()
{
    registerTool<frmFindSubNFuncts>(QStringLiteral("Find Subs and &Functs"), 9);
    registerTool<frmFindTodos>(QStringLiteral("Find &TODOs"), 7);
}

}  // namespace qb
