#include "tools/sql/sqlTools.h"

#include "tools/sql/sqlCommands.h"

namespace qb {

void registerSqlCommands()
{
    registerCommand(seqTrigCommand(), 400);
    registerCommand(linkTableCommand(), 401);
}

}  // namespace qb
