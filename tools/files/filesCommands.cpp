#include "tools/files/filesTools.h"

#include "tools/files/filesCommands.h"

namespace qb {

void registerFileCommands()
{
    registerCommand(eraseCommand(), 100);
    registerCommand(replaceCommand(), 101);
    registerCommand(updateCommand(), 102);
    registerCommand(addExtensionCommand(), 103);
    registerCommand(undoCommand(), 104);
}

}  // namespace qb
