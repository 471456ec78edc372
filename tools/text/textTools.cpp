#include "tools/text/textTools.h"

#include "shell/windows.h"

namespace qb {

void registerTextTools()
{
}

}  // namespace qb
