// The window boundary: box text (QString) to and from Windows-1252 bytes. Every one of the 256
// byte values maps to one character and back, so bytes survive a trip through a box. A typed
// character that the code page cannot hold becomes '?'. Multi-line boxes give their text with
// CR LF line breaks; text set into a box may break lines with CR LF, LF or CR.
#pragma once

#include <QString>

#include <filesystem>
#include <string>
#include <string_view>

class QLineEdit;
class QPlainTextEdit;

namespace qb {

QString fromCp1252(std::string_view bytes);
std::string toCp1252(const QString& text);

std::string boxBytes(const QPlainTextEdit* box);           // lines joined by CR LF
std::string boxUtf8(const QPlainTextEdit* box);            // the same as UTF-8, every character kept
void setBoxBytes(QPlainTextEdit* box, std::string_view bytes);
std::string lineBytes(const QLineEdit* box);
void setLineBytes(QLineEdit* box, std::string_view bytes);

// Paths keep their exact bytes on the way between Qt and the file-system layer.
std::filesystem::path toPath(const QString& path);
QString fromPath(const std::filesystem::path& path);

// Text from outside the program as people read it (core/fileText.h): UTF-8 when it is valid
// UTF-8, otherwise Windows-1252. For a file's text, `utf8` is that decision, made once per file.
QString fileText(std::string_view bytes, bool utf8);
QString fileText(std::string_view bytes);  // decided on these bytes
// Text that names files (messages, lists of paths), decided a line at a time: one message may
// name several files, each spelt its own way.
QString pathText(std::string_view bytes);
// Sets text for reading into a box. Each CR LF, LF or CR makes one line break, and nothing else
// does (characters that a text box would take for a paragraph break show as U+FFFD), so the box's
// lines are exactly the text's lines.
void setBoxText(QPlainTextEdit* box, QString text);

}  // namespace qb
