// The program-wide print document. Quick prints add text to the open document; a fixed-font
// print adds its text in Courier New 8 pt and ends the document, releasing it to the printer.
// With no system printer the document goes to a PDF file in the program's folder.
#pragma once

#include "shell/error.h"

#include <QString>

namespace qb {

// Adds `text` and a line end to the open document (opening one if needed) in the current font.
Result<void> quickPrint(const QString& text);
// Courier New 8 pt, adds `text` and a line end, ends the document.
Result<void> fixedFontPrint(const QString& text);
// Ends the open document, if any (the program calls this as it ends).
Result<void> endPrintDocument();
// Where documents go when there is no printer; tests point this at a temporary PDF, which also
// makes every document go there even when a printer exists.
void setPrintToPdf(const QString& pdfPath);
QString defaultPdfPath();

}  // namespace qb
