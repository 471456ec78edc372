#pragma once

namespace qb {
// Registers the windows of this folder's tools with the opening rule, and their commands.
void registerFileTools();
}
