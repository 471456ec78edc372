#include "tools/text/textTools.h"

#include "shell/windows.h"
#include "tools/text/frmHex2Dec.h"

namespace qb {

void registerTextTools()
{
    registerWindow(QStringLiteral("frmHex2Dec"), [] { return new frmHex2Dec; });
}

}  // namespace qb
