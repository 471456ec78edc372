// How the bulk file windows show a run: its text holds full paths, so it is shown as the file
// system spells names; its messages come one box each, then a note when the user stopped it.
#pragma once

#include "shell/walk.h"

#include <QString>

#include <cstdint>
#include <filesystem>
#include <string_view>

class QPlainTextEdit;

namespace qb {

// Sets, or adds at the end of, the box's text: bytes that hold paths, decoded as pathText does.
void setPathBox(QPlainTextEdit* box, std::string_view bytes);
void appendPathBox(QPlainTextEdit* box, std::string_view bytes);
// One message per failure of the run ("number :: description"), then "Cancelled." when the user
// stopped it.
void showRunMessages(const RunReport& run);
// The end of a summary for the status bar: ", 2 failed" when any failed, ", cancelled" when the
// user stopped it.
QString summaryEnd(const RunReport& run);

}  // namespace qb
