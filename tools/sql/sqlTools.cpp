#include "tools/sql/sqlTools.h"

#include "shell/windows.h"

namespace qb {

void registerSqlTools()
{
}

}  // namespace qb
