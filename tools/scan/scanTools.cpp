#include "tools/scan/scanTools.h"

#include "shell/windows.h"
#include "tools/scan/frmFindSubNFuncts.h"
#include "tools/scan/frmFindTodos.h"

namespace qb {

void registerScanTools()
{
    registerWindow<frmFindSubNFuncts>();
    registerWindow<frmFindTodos>();
}

}  // namespace qb
