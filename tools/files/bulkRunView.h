// How the bulk file windows show a run: its text holds full paths, so it is shown as the file
// system spells names; its messages come one box each, then a note when the user stopped it.
#pragma once

#include "core/walk.h"

#include <QString>

#include <cstdint>
#include <filesystem>
#include <string_view>

class QCheckBox;
class QPlainTextEdit;
class QWidget;

namespace qb {

// Sets, or adds at the end of, the box's text: bytes that hold paths, decoded as pathText does.
void setPathBox(QPlainTextEdit* box, std::string_view bytes);
void appendPathBox(QPlainTextEdit* box, std::string_view bytes);
// The end of a run: one message with its end-of-run text (the failures, the first 20 and then a
// count, and its notes) when there is any, then "Cancelled." when the user stopped it.
void showRunMessages(const RunReport& run);
// The end of a summary for the status bar: ", 2 failed" when any failed, ", 3 binary, copied as
// is" when binary files were copied byte for byte, ", cancelled" when the user stopped it.
QString summaryEnd(const RunReport& run);

// The "Keep line ends" box of the windows that write changed copies (chkKeepLineEnds, unchecked:
// the copies end every line in CR LF). Remembered with the window's other inputs.
QCheckBox* keepLineEndsBox(QWidget* parent);

}  // namespace qb
