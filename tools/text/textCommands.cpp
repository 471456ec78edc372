#include "tools/text/textTools.h"

#include "tools/text/textCommands.h"

namespace qb {

void registerTextCommands()
{
    registerCommand(repeatCommand(), 200);
    registerCommand(rowsToColsCommand(), 201);
    registerCommand(combineCommand(), 202);
    registerCommand(hexDecCommand(HexDirection::HexToDec), 203);
    registerCommand(hexDecCommand(HexDirection::DecToHex), 204);
}

}  // namespace qb
