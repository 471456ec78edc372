#include "ui/printing.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextLayout>

#include <algorithm>
#include <memory>
#include <vector>

#include "ui/cp1252.h"
#include "ui/services.h"

namespace qb {

namespace {

// Printed text keeps every letter as typed: no ligatures ("fi" stays two letters).
QFont plainFont(const QString& family, int points)
{
    QFont font(family, points);
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

// What printing keeps between documents. It holds Qt objects, so it lives no longer than the
// application object: the application's end releases it.
struct PrintState {
    QFont font = plainFont(QStringLiteral("Sans Serif"), 10);  // the printer's font; stays as last set
    QString pdfOverride;
};

std::unique_ptr<PrintState>& heldState()
{
    static std::unique_ptr<PrintState> held;
    return held;
}

void releaseState()
{
    heldState().reset();
}

PrintState& state()
{
    std::unique_ptr<PrintState>& held = heldState();
    if (!held) {
        held = std::make_unique<PrintState>();
        qAddPostRoutine(releaseState);
    }
    return *held;
}

Error printError(const QString& what)
{
    return Error{err::DeviceIO, toPath(what).native()};  // may name a file: kept as path bytes
}

// The default printer, or the first one when none is the default; null when there is none.
QPrinterInfo systemPrinter()
{
    QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (printer.isNull()) {
        const QStringList names = QPrinterInfo::availablePrinterNames();
        if (!names.isEmpty())
            printer = QPrinterInfo::printerInfo(names.first());
    }
    return printer;
}

// A new file in the program's folder, named after the moment; a printout made earlier in the
// same second keeps its file.
QString newPdfPath()
{
    const std::filesystem::path folder = programFolder();
    const QString stem = QStringLiteral("Quillbox printout ") + fromPath(fileNameTimeStampNow());
    QString name = stem + QStringLiteral(".pdf");
    std::error_code ec;
    for (int n = 2; std::filesystem::exists(folder / toPath(name), ec); ++n)
        name = QStringLiteral("%1 (%2).pdf").arg(stem).arg(n);
    return fromPath(folder / toPath(name));
}

// One printed line: line `line` of a laid-out source line (-1 for an empty source line).
struct PlacedLine {
    const QTextLayout* layout;
    int line;
};

// The text laid out at the page width and split into pages.
struct Pages {
    std::vector<std::unique_ptr<QTextLayout>> layouts;
    std::vector<std::vector<PlacedLine>> pages{1};
};

Pages layOut(const QString& text, const QFont& font, QPaintDevice* device, qreal width, qreal height)
{
    const QFontMetricsF metrics(font, device);
    const qreal lineHeight = metrics.lineSpacing();
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);  // a long word breaks too
    // Tab stops every eight spaces; the layout takes the distance in screen units.
    option.setTabStopDistance(QFontMetricsF(font).horizontalAdvance(QChar(' ')) * 8);

    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalised.replace(QChar('\r'), QChar('\n'));
    Pages result;
    qreal y = 0;
    for (const QString& line : normalised.split(QChar('\n'))) {
        auto layout = std::make_unique<QTextLayout>(line, font, device);
        layout->setTextOption(option);
        layout->beginLayout();
        for (QTextLine textLine = layout->createLine(); textLine.isValid(); textLine = layout->createLine())
            textLine.setLineWidth(width);
        layout->endLayout();
        const int count = std::max(layout->lineCount(), 1);
        for (int i = 0; i < count; ++i) {
            if (y + lineHeight > height && y > 0) {
                result.pages.emplace_back();
                y = 0;
            }
            result.pages.back().push_back({layout.get(), i < layout->lineCount() ? i : -1});
            y += lineHeight;
        }
        result.layouts.push_back(std::move(layout));
    }
    return result;
}

// The footer band at `top`: the caption on the left, the date and "page N of M" on the right.
void drawFooter(QPainter& painter, const QRectF& band, const QString& caption, const QString& right)
{
    const QFontMetricsF metrics(painter.font(), painter.device());
    const qreal gap = metrics.horizontalAdvance(QStringLiteral("    "));
    const QString left =
        metrics.elidedText(caption, Qt::ElideRight, band.width() - metrics.horizontalAdvance(right) - gap);
    painter.drawText(band, Qt::AlignLeft | Qt::AlignBottom, left);
    painter.drawText(band, Qt::AlignRight | Qt::AlignBottom, right);
}

Result<void> paint(QPrinter& printer, const QString& text, const QString& caption)
{
    QPainter painter;
    if (!painter.begin(&printer)) {
        const QString where = printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
        return std::unexpected(printError(QStringLiteral("%1: the printer could not be opened").arg(where)));
    }
    const QFont footerFont = plainFont(QStringLiteral("Sans Serif"), 8);
    const qreal footerHeight = QFontMetricsF(footerFont, &printer).lineSpacing();
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    const QFont& font = state().font;
    const qreal lineHeight = QFontMetricsF(font, &printer).lineSpacing();
    const qreal bodyHeight = std::max(page.height() - 2 * footerHeight, lineHeight);
    const Pages laidOut = layOut(text, font, &printer, page.width(), bodyHeight);

    const QString date = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
    const auto count = laidOut.pages.size();
    for (std::size_t number = 0; number < count; ++number) {
        if (number > 0 && !printer.newPage()) {
            painter.end();
            return std::unexpected(printError(QStringLiteral("a new page could not be started")));
        }
        painter.setFont(font);
        qreal y = 0;
        for (const PlacedLine& placed : laidOut.pages[number]) {
            if (placed.line >= 0) {
                const QTextLine line = placed.layout->lineAt(placed.line);
                line.draw(&painter, QPointF(0, y - line.y()));
            }
            y += lineHeight;
        }
        painter.setFont(footerFont);
        drawFooter(painter, QRectF(0, page.height() - footerHeight, page.width(), footerHeight), caption,
                   date + QStringLiteral("    page %1 of %2").arg(number + 1).arg(count));
    }
    if (!painter.end())
        return std::unexpected(printError(QStringLiteral("the print document could not be finished")));
    return {};
}

Result<Printout> print(const QString& text, const QString& caption)
{
    const PrintState& s = state();
    const QPrinterInfo system = s.pdfOverride.isEmpty() ? systemPrinter() : QPrinterInfo();
    Printout printout;
    std::unique_ptr<QPrinter> printer;
    if (system.isNull()) {
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printout.pdfPath = s.pdfOverride.isEmpty() ? newPdfPath() : s.pdfOverride;
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(printout.pdfPath);
    } else {
        printer = std::make_unique<QPrinter>(system, QPrinter::HighResolution);
    }
    printer->setDocName(caption.isEmpty() ? QStringLiteral("Quillbox") : caption);
    return andThen(paint(*printer, text, caption), [&]() -> Result<Printout> {
        if (!printout.pdfPath.isEmpty()) {
            const QFileInfo written(printout.pdfPath);
            if (!written.exists() || written.size() == 0)
                return std::unexpected(printError(printout.pdfPath + QStringLiteral(": the document was not written")));
        }
        return printout;
    });
}

}  // namespace

Result<Printout> quickPrint(const QString& text, const QString& caption)
{
    return print(text, caption);
}

Result<Printout> fixedFontPrint(const QString& text, const QString& caption)
{
    QFont& font = state().font;
    font = plainFont(QStringLiteral("Courier New"), 8);
    font.setStyleHint(QFont::TypeWriter);
    return print(text, caption);
}

QString withPrintout(const QString& message, const Printout& printout)
{
    if (printout.pdfPath.isEmpty())
        return message;
    const QString note = QStringLiteral("Printed to ") + QDir::toNativeSeparators(printout.pdfPath);
    return message.isEmpty() ? note : message + QStringLiteral("\r\n") + note;
}

QString printDestination()
{
    if (const QString& pdf = state().pdfOverride; !pdf.isEmpty())
        return QStringLiteral("the PDF file ") + QDir::toNativeSeparators(pdf);
    if (const QPrinterInfo printer = systemPrinter(); !printer.isNull())
        return QStringLiteral("the printer ") + printer.printerName();
    return QStringLiteral("PDF files in ") + QDir::toNativeSeparators(fromPath(programFolder()));
}

void setPrintToPdf(const QString& pdfPath)
{
    state().pdfOverride = pdfPath;
}

}  // namespace qb
