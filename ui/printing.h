// Printing a window's text. Each print is a whole document: it is opened, filled and ended
// before the call returns, so when the user is told it printed, its pages are on the printer or
// in the PDF. Long lines wrap at the page width; every page has a footer with the window's
// caption, the date and "page N of M". The printer's font stays as last set: a quick print uses
// it, a fixed-font print sets it to Courier New 8 pt first.
// With a system printer, documents go to the default one without a dialog; with none, each goes
// to its own PDF file in the program's folder.
#pragma once

#include "core/error.h"

#include <QString>

namespace qb {

// Where a document went: the PDF file, or empty when it went to a printer.
struct Printout {
    QString pdfPath;
};

// `text` and a line end, in the printer's current font; its own line breaks start new lines.
Result<Printout> quickPrint(const QString& text, const QString& caption);
// The same in Courier New 8 pt, which stays the printer's font afterwards.
Result<Printout> fixedFontPrint(const QString& text, const QString& caption);

// `message` with a line that names the PDF file when the document went to one (`message` may be
// empty: then only that line, or nothing).
QString withPrintout(const QString& message, const Printout& printout);

// Where documents go now, in words: the printer's name, or the folder of the PDF files.
QString printDestination();

// Sends every document to this PDF file, even when a printer exists (tests); empty restores the
// printer.
void setPrintToPdf(const QString& pdfPath);

}  // namespace qb
