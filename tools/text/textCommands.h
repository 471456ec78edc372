// The commands of the text tools; each reads its arguments, calls the tool's logic and prints
// what the tool's window shows.
#pragma once

#include "core/commandLine.h"
#include "tools/text/hexdec.h"

namespace qb {

Command hexDecCommand(HexDirection direction);  // hex2dec, dec2hex
Command repeatCommand();                         // the chunk repeater
Command rowsToColsCommand();
Command combineCommand();

}  // namespace qb
