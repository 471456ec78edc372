#include "tools/text/textTools.h"

#include "shell/windows.h"
#include "tools/text/frmCarpalTunnel.h"
#include "tools/text/frmCombineFiles.h"
#include "tools/text/frmHex2Dec.h"
#include "tools/text/frmTwoTabbedRowsToCols.h"

namespace qb {

void registerTextTools()
{
    registerWindow<frmHex2Dec>();
    registerWindow<frmCarpalTunnel>();
    registerWindow<frmTwoTabbedRowsToCols>();
    registerWindow<frmCombineFiles>();
}

}  // namespace qb
