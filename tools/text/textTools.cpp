#include "tools/text/textTools.h"

#include "shell/commandLine.h"
#include "shell/windows.h"
#include "tools/text/frmCarpalTunnel.h"
#include "tools/text/frmCombineFiles.h"
#include "tools/text/frmHex2Dec.h"
#include "tools/text/frmTwoTabbedRowsToCols.h"
#include "tools/text/textCommands.h"

namespace qb {

void registerTextTools()
{
    registerWindow<frmHex2Dec>();
    registerWindow<frmCarpalTunnel>();
    registerWindow<frmTwoTabbedRowsToCols>();
    registerWindow<frmCombineFiles>();
    registerCommand(repeatCommand());
    registerCommand(rowsToColsCommand());
    registerCommand(combineCommand());
    registerCommand(hexDecCommand(HexDirection::HexToDec));
    registerCommand(hexDecCommand(HexDirection::DecToHex));
}

}  // namespace qb
