#include "tools/scan/scanTools.h"

#include "tools/scan/scanCommand.h"

namespace qb {

void registerScanCommands()
{
    registerCommand(todosCommand(), 300);
    registerCommand(subsCommand(), 301);
}

}  // namespace qb
