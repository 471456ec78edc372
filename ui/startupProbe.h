// For measuring start-up: once the widget named `objectName` (or one of its controls) is first
// painted, prints "shown"
// and the wall-clock time (seconds since the epoch) on standard error and ends the program.
// main() installs it when QUILLBOX_STARTUP_PROBE is set; bench/table.sh reads the line.
#pragma once

#include <QString>

namespace qb {

void reportFirstPaint(const QString& objectName);

}  // namespace qb
