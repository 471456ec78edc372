#include "tools/sql/sqlTools.h"

#include "shell/commandLine.h"
#include "shell/windows.h"
#include "tools/sql/frmMakeLinktables.h"
#include "tools/sql/frmOracleSeqTrigs.h"
#include "tools/sql/sqlCommands.h"

namespace qb {

void registerSqlTools()
{
    registerWindow(QStringLiteral("frmMakeLinktables"), [] { return new frmMakeLinktables; });
    registerWindow(QStringLiteral("frmOracleSeqTrigs"), [] { return new frmOracleSeqTrigs; });
    registerCommand(seqTrigCommand());
    registerCommand(linkTableCommand());
}

}  // namespace qb
