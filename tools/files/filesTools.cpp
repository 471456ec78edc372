#include "tools/files/filesTools.h"

#include "shell/windows.h"
#include "tools/files/frmEraseChunks.h"
#include "tools/files/frmReplaceLineFromFile.h"

namespace qb {

void registerFileTools()
{
    registerWindow(QStringLiteral("frmEraseChunks"), [] { return new frmEraseChunks; });
    registerWindow(QStringLiteral("frmReplaceLineFromFile"), [] { return new frmReplaceLineFromFile; });
}

}  // namespace qb
