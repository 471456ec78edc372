// The output box both SQL generators show their scripts in: plain text in a fixed-width font,
// not wrapped, with tab stops every four characters so indented lines read as SQL.
#pragma once

class QPlainTextEdit;
class QString;
class QWidget;

namespace qb {

QPlainTextEdit* makeScriptBox(const QString& name, QWidget* parent);

}  // namespace qb
