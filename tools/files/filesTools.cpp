#include "tools/files/filesTools.h"

#include "shell/windows.h"
#include "tools/files/frmAddExtension.h"
#include "tools/files/frmEraseChunks.h"
#include "tools/files/frmReplaceLineFromFile.h"
#include "tools/files/frmUpdateFiles.h"

namespace qb {

void registerFileTools()
{
    registerWindow(QStringLiteral("frmEraseChunks"), [] { return new frmEraseChunks; });
    registerWindow(QStringLiteral("frmReplaceLineFromFile"), [] { return new frmReplaceLineFromFile; });
    registerWindow(QStringLiteral("frmUpdateFiles"), [] { return new frmUpdateFiles; });
    registerWindow(QStringLiteral("frmAddExtension"), [] { return new frmAddExtension; });
}

}  // namespace qb
