// The commands of the SQL generators; each prints (or writes) the scripts its window shows.
#pragma once

#include "core/commandLine.h"

namespace qb {

Command seqTrigCommand();
Command linkTableCommand();

}  // namespace qb
