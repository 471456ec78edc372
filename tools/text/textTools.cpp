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
    registerWindow(QStringLiteral("frmHex2Dec"), [] { return new frmHex2Dec; });
    registerWindow(QStringLiteral("frmCarpalTunnel"), [] { return new frmCarpalTunnel; });
    registerWindow(QStringLiteral("frmTwoTabbedRowsToCols"), [] { return new frmTwoTabbedRowsToCols; });
    registerWindow(QStringLiteral("frmCombineFiles"), [] { return new frmCombineFiles; });
    registerCommand(repeatCommand());
    registerCommand(rowsToColsCommand());
    registerCommand(combineCommand());
    registerCommand(hexDecCommand(HexDirection::HexToDec));
    registerCommand(hexDecCommand(HexDirection::DecToHex));
}

}  // namespace qb
