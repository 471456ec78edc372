#include "tools/text/textTools.h"

#include "ui/windows.h"
#include "tools/text/frmCarpalTunnel.h"
#include "tools/text/frmCombineFiles.h"
#include "tools/text/frmHex2Dec.h"
#include "tools/text/frmTwoTabbedRowsToCols.h"

namespace qb {

void registerTextWindows()
{
    registerTool<frmHex2Dec>(QStringLiteral("Hex 2 &Dec 2 Hex 2..."), 4);
    registerTool<frmCarpalTunnel>(QStringLiteral("&Carpal Tunnel Repeats"), 3);
    registerTool<frmTwoTabbedRowsToCols>(QStringLiteral("Two lines of cols to two &rows"), 11);
    registerTool<frmCombineFiles>(QStringLiteral("Co&mbine Lines from two files"), 8);
}

}  // namespace qb
