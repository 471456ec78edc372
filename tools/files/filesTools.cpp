#include "tools/files/filesTools.h"

#include "shell/windows.h"
#include "tools/files/frmAddExtension.h"
#include "tools/files/frmUpdateFiles.h"

namespace qb {

void registerFileTools()
{
    registerWindow(QStringLiteral("frmUpdateFiles"), [] { return new frmUpdateFiles; });
    registerWindow(QStringLiteral("frmAddExtension"), [] { return new frmAddExtension; });
}

}  // namespace qb
