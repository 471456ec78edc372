#include "tools/files/filesTools.h"

#include "shell/windows.h"

namespace qb {

void registerFileTools()
{
}

}  // namespace qb
