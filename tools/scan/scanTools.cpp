#include "tools/scan/scanTools.h"

#include "shell/commandLine.h"
#include "shell/windows.h"
#include "tools/scan/frmFindSubNFuncts.h"
#include "tools/scan/frmFindTodos.h"
#include "tools/scan/scanCommand.h"

namespace qb {

void registerScanTools()
{
    registerWindow<frmFindSubNFuncts>();
    registerWindow<frmFindTodos>();
    registerCommand(todosCommand());
    registerCommand(subsCommand());
}

}  // namespace qb
