// The commands of the bulk file tools; each writes the files its window writes.
#pragma once

#include "shell/commandLine.h"

namespace qb {

Command eraseCommand();
Command replaceCommand();
Command updateCommand();
Command addExtensionCommand();

}  // namespace qb
