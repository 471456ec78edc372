#include "shell/printing.h"

#include <QDateTime>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextLayout>

#include <memory>

#include "shell/cp1252.h"
#include "shell/services.h"

namespace qb {

namespace {

// The one print document of the program: a printer with an open painter, and where on the
// page the next line goes.
struct PrintDocument {
    std::unique_ptr<QPrinter> printer;
    std::unique_ptr<QPainter> painter;
    QString pdfPath;  // empty when printing to a system printer
    qreal y = 0;
};

// Printed text keeps every letter as typed: no ligatures ("fi" stays two letters).
QFont plainFont(const QString& family, int points)
{
    QFont font(family, points);
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

struct PrintState {
    QFont font = plainFont(QStringLiteral("Sans Serif"), 10);  // the printer's font; stays as last set
    QString pdfOverride;
    std::unique_ptr<PrintDocument> document;
};

PrintState& state()
{
    static PrintState s;
    return s;
}

Error printError(const QString& what)
{
    return Error{err::DeviceIO, toCp1252(what)};
}

Result<PrintDocument*> openDocument()
{
    PrintState& s = state();
    if (s.document)
        return s.document.get();
    auto document = std::make_unique<PrintDocument>();
    const bool toPdf = !s.pdfOverride.isEmpty() || QPrinterInfo::availablePrinterNames().isEmpty();
    if (toPdf) {
        document->printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        document->pdfPath = s.pdfOverride.isEmpty() ? defaultPdfPath() : s.pdfOverride;
        document->printer->setOutputFormat(QPrinter::PdfFormat);
        document->printer->setOutputFileName(document->pdfPath);
    } else {
        document->printer = std::make_unique<QPrinter>(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution);
    }
    document->printer->setDocName(QStringLiteral("Quillbox"));
    document->painter = std::make_unique<QPainter>();
    if (!document->painter->begin(document->printer.get())) {
        const QString where = toPdf ? document->pdfPath : document->printer->printerName();
        return std::unexpected(printError(QStringLiteral("%1: the printer could not be opened").arg(where)));
    }
    s.document = std::move(document);
    return s.document.get();
}

// Adds `text` and a line end to the document: each of its lines starts a new printed line,
// long lines wrap at the page width, and a full page starts a new one.
Result<void> addText(const QString& text)
{
    auto document = openDocument();
    if (!document)
        return std::unexpected(document.error());
    PrintDocument& doc = **document;
    QPainter& painter = *doc.painter;
    painter.setFont(state().font);
    const QRectF page = doc.printer->pageLayout().paintRectPixels(doc.printer->resolution());
    const qreal width = page.width();
    const qreal height = page.height();
    const QFontMetricsF metrics(painter.font(), doc.printer.get());
    const qreal lineHeight = metrics.lineSpacing();

    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalised.replace(QChar('\r'), QChar('\n'));
    for (const QString& line : normalised.split(QChar('\n'))) {
        QTextLayout layout(line, painter.font(), doc.printer.get());
        layout.beginLayout();
        bool any = false;
        while (true) {
            QTextLine textLine = layout.createLine();
            if (!textLine.isValid())
                break;
            textLine.setLineWidth(width);
            any = true;
        }
        layout.endLayout();
        for (int i = 0; i < layout.lineCount(); ++i) {
            if (doc.y + lineHeight > height && doc.y > 0) {
                if (!doc.printer->newPage())
                    return std::unexpected(printError(QStringLiteral("a new page could not be started")));
                doc.y = 0;
            }
            QTextLine textLine = layout.lineAt(i);
            textLine.draw(&painter, QPointF(0, doc.y - textLine.y()));
            doc.y += lineHeight;
        }
        if (!any)
            doc.y += lineHeight;
    }
    return {};
}

}  // namespace

QString defaultPdfPath()
{
    const QString stamp = fileNameTimeStamp(QDateTime::currentDateTime());
    return fromPath(programFolder() / toPath(QStringLiteral("Quillbox printout %1.pdf").arg(stamp)));
}

void setPrintToPdf(const QString& pdfPath)
{
    state().pdfOverride = pdfPath;
}

Result<void> quickPrint(const QString& text)
{
    return addText(text);
}

Result<void> fixedFontPrint(const QString& text)
{
    state().font = plainFont(QStringLiteral("Courier New"), 8);
    state().font.setStyleHint(QFont::TypeWriter);
    if (auto added = addText(text); !added)
        return added;
    return endPrintDocument();
}

Result<void> endPrintDocument()
{
    std::unique_ptr<PrintDocument> document = std::move(state().document);
    if (!document)
        return {};
    const bool ended = document->painter->end();
    if (!ended)
        return std::unexpected(printError(QStringLiteral("the print document could not be finished")));
    if (!document->pdfPath.isEmpty()) {
        const QFileInfo written(document->pdfPath);
        if (!written.exists() || written.size() == 0)
            return std::unexpected(printError(document->pdfPath + QStringLiteral(": the document was not written")));
    }
    return {};
}

}  // namespace qb
