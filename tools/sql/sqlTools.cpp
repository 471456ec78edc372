#include "tools/sql/sqlTools.h"

#include "shell/commandLine.h"
#include "shell/windows.h"
#include "tools/sql/frmMakeLinktables.h"
#include "tools/sql/frmOracleSeqTrigs.h"
#include "tools/sql/sqlCommands.h"

namespace qb {

void registerSqlTools()
{
    registerWindow<frmMakeLinktables>();
    registerWindow<frmOracleSeqTrigs>();
    registerCommand(seqTrigCommand());
    registerCommand(linkTableCommand());
}

}  // namespace qb
