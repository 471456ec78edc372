#include "tools/sql/sqlTools.h"

#include "shell/windows.h"
#include "tools/sql/frmMakeLinktables.h"
#include "tools/sql/frmOracleSeqTrigs.h"

namespace qb {

void registerSqlTools()
{
    registerWindow<frmMakeLinktables>();
    registerWindow<frmOracleSeqTrigs>();
}

}  // namespace qb
