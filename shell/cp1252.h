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
void setBoxBytes(QPlainTextEdit* box, std::string_view bytes);
std::string lineBytes(const QLineEdit* box);
void setLineBytes(QLineEdit* box, std::string_view bytes);

// Paths keep their exact bytes on the way between Qt and the file-system layer.
std::filesystem::path toPath(const QString& path);
QString fromPath(const std::filesystem::path& path);
// Text that names files (error messages, lists of paths) is decoded the way file names are.
QString messageText(std::string_view bytes);

}  // namespace qb
