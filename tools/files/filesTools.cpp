#include "tools/files/filesTools.h"

#include "shell/commandLine.h"
#include "shell/windows.h"
#include "tools/files/filesCommands.h"
#include "tools/files/frmAddExtension.h"
#include "tools/files/frmEraseChunks.h"
#include "tools/files/frmReplaceLineFromFile.h"
#include "tools/files/frmUpdateFiles.h"

namespace qb {

void registerFileTools()
{
    registerWindow<frmEraseChunks>();
    registerWindow<frmReplaceLineFromFile>();
    registerWindow<frmUpdateFiles>();
    registerWindow<frmAddExtension>();
    registerCommand(eraseCommand());
    registerCommand(replaceCommand());
    registerCommand(updateCommand());
    registerCommand(addExtensionCommand());
    registerCommand(undoCommand());
}

}  // namespace qb
