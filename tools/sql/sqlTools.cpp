#include "tools/sql/sqlTools.h"

#include "ui/windows.h"
#include "tools/sql/frmMakeLinktables.h"
#include "tools/sql/frmOracleSeqTrigs.h"

namespace qb {

void registerSqlWindows()
{
    registerTool<frmMakeLinktables>(QStringLiteral("Make &Link Table"), 10);
    registerTool<frmOracleSeqTrigs>(QStringLiteral("Create &Sequence and Trigger code in files"), 12);
}

}  // namespace qb
