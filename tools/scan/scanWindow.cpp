#include "tools/scan/scanWindow.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/backgroundRun.h"
#include "ui/behaviours.h"
#include "ui/cp1252.h"
#include "ui/guard.h"
#include "ui/kit.h"
#include "ui/pickers.h"
#include "ui/printing.h"
#include "core/records.h"
#include "ui/services.h"
#include "ui/walkFilterBox.h"
#include "ui/windows.h"
#include "tools/scan/lines.h"

#include <algorithm>
#include <iterator>

namespace qb {

namespace {

constexpr int columnLeft = 120;
constexpr int columnGap = 120;
constexpr int labelHeight = 255;
constexpr int buttonHeight = 735;
constexpr int resultWidth = 7035;
constexpr int resultHeight = 7215;
constexpr int walkFilterHeight = 660;

// An item of the menu whose shortcut belongs to the window that has focus: both scanner windows
// have it.
QAction* addWindowItem(QWidget* window, QMenu* menu, const char* name, const QString& caption, QKeySequence key)
{
    QAction* item = menu->addAction(caption);
    item->setObjectName(QString::fromLatin1(name));
    item->setShortcut(key);
    item->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    window->addAction(item);
    return item;
}

// The menu mnuFile with mnuSaveReport and mnuPrint.
void addFileMenu(QWidget* window, const QString& caption, ScanWindowParts& parts)
{
    auto* menuBar = new QMenuBar(window);
    QMenu* mnuFile = menuBar->addMenu(caption);
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    parts.mnuSaveReport = addWindowItem(window, mnuFile, "mnuSaveReport", QStringLiteral("Save Report &As\u2026"),
                                        QKeySequence(Qt::CTRL | Qt::Key_S));
    parts.mnuSaveReport->setToolTip(QStringLiteral("Save the report as text, CSV, JSON or Markdown"));
    parts.mnuPrint = addWindowItem(window, mnuFile, "mnuPrint", QStringLiteral("&Print"), QKeySequence(Qt::CTRL | Qt::Key_P));
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menuBar);
}

// The left column, as wide as the room left of the result box: its caption, the drive picker,
// the folder picker, which takes all the height the window gains, and the button below it.
void placeLeftColumn(ScanWindowParts& parts, int folderHeight)
{
    QWidget* client = parts.client;
    auto* Label1_0 = make<QLabel>(client, "Label1_0", QStringLiteral("Pick home dir of project:"));
    const int width = parts.columnWidth;
    placeTwips(Label1_0, QRect(columnLeft, columnGap, width, labelHeight));
    placeTwips(parts.Drive1 = make<DrivePicker>(client, "Drive1"), QRect(columnLeft, 480, width, 375));
    // The walk's filter stands below the folder picker, which gives up the room it takes.
    const int pickerHeight = folderHeight - walkFilterHeight - columnGap;
    placeTwips(parts.Dir1 = make<FolderPicker>(client, "Dir1"), QRect(columnLeft, 960, width, pickerHeight), {0, 0, 0, 1});
    Label1_0->setBuddy(parts.Dir1);
    parts.walkFilter = new WalkFilterBox(client);
    placeTwips(parts.walkFilter, QRect(columnLeft, 960 + pickerHeight + columnGap, width, walkFilterHeight), Follow::down());
    parts.nextTop = 960 + folderHeight + columnGap;
    parts.cmdGo = placeGoButton(parts, "cmdGo", QStringLiteral("&GO!!!"));
    explain(parts.cmdGo, QStringLiteral("Scan every file in the folder and its subfolders"));
    pairDrive(parts.Drive1, parts.Dir1);
}

}  // namespace

QPushButton* placeGoButton(ScanWindowParts& parts, const char* name, const QString& caption)
{
    auto* button = make<QPushButton>(parts.client, name, caption);
    QFont font = button->font();
    font.setPointSizeF(14 * designScale());
    font.setBold(true);
    button->setFont(font);
    placeTwips(button, QRect(columnLeft, parts.nextTop, parts.columnWidth, buttonHeight), Follow::down());
    parts.nextTop += buttonHeight + columnGap;
    return button;
}

QLabel* placeColumnLabel(ScanWindowParts& parts, const char* name, const QString& caption)
{
    auto* label = make<QLabel>(parts.client, name, caption);
    placeTwips(label, QRect(columnLeft, parts.nextTop, parts.columnWidth, labelHeight), Follow::down());
    parts.nextTop += labelHeight + columnGap;
    return label;
}

ScanWindowParts buildScanWindow(QWidget* window, const QString& fileMenuCaption, const QString& resultCaption,
                                QPoint resultBox, int folderHeight)
{
    ScanWindowParts parts;
    addFileMenu(window, fileMenuCaption, parts);
    parts.client = scrollingClient(window);
    designInTwips(parts.client, QSize(resultBox.x() + resultWidth + columnGap, resultBox.y() + resultHeight + columnGap));
    parts.columnWidth = resultBox.x() - columnLeft - columnGap;
    placeLeftColumn(parts, folderHeight);

    auto* Label1_1 = make<QLabel>(parts.client, "Label1_1", resultCaption);
    placeTwips(Label1_1, QRect(resultBox.x(), resultBox.y() - labelHeight - 30, resultWidth, labelHeight));
    parts.Text1 = make<QPlainTextEdit>(parts.client, "Text1");
    parts.Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Label1_1->setBuddy(parts.Text1);
    placeTwips(parts.Text1, QRect(resultBox, QSize(resultWidth, resultHeight)), Follow::byOwnRule());
    stretchResultBox(window, parts.Text1);

    window->resize(scaledPx(resultBox.x() + resultWidth + 300), scaledPx(resultBox.y() + resultHeight + 1300));
    return parts;
}

std::optional<Folder> folderToScan(const FolderPicker* Dir1)
{
    const FileSystemObject fso;
    auto folder = fso.GetFolder(toPath(Dir1->path()));
    if (!folder) {
        showError(folder.error());
        return std::nullopt;
    }
    return std::move(*folder);
}

void quickPrintBox(const QWidget* window, const QPlainTextEdit* box)
{
    // What the box shows is what is printed, in the same decoding.
    const auto printed = quickPrint(box->toPlainText(), window->windowTitle());
    if (!printed) {
        showError(printed.error());
        return;
    }
    showMessage(withPrintout(QStringLiteral("Printin', yo"), *printed));
}

QString reportText(const ScanReport& report)
{
    const std::string_view text = report.text;
    QString shown;
    shown.reserve(static_cast<qsizetype>(text.size()));
    std::size_t index = 0;
    for (std::size_t start = 0; start < text.size(); ++index) {
        const std::size_t end = lineEndFrom(text, start);
        const std::string_view line = text.substr(start, end - start);
        const ReportPlace place = index < report.places.size() ? report.places[index] : ReportPlace{};
        if (place.line == 0 || place.file >= report.found.files.size()) {
            shown += fileText(line);
        } else {
            // A file's header holds its name, which is decoded as names are, whatever its text is.
            const RecordFile& file = report.found.files[place.file];
            const std::string_view name = file.path.native();
            const std::size_t at = name.empty() ? std::string_view::npos : line.find(name);
            if (at == std::string_view::npos) {
                shown += fileText(line, file.utf8);
            } else {
                shown += fileText(line.substr(0, at), file.utf8);
                shown += fileText(name);
                shown += fileText(line.substr(at + name.size()), file.utf8);
            }
        }
        shown += QChar('\n');
        start = afterLineEnd(text, end);
    }
    return shown;
}

QString scanSummary(const ScanReport& report, const ScanWording& wording, std::uint64_t files, double seconds)
{
    const std::size_t found = report.found.items.size();
    QString summary = found == 0
                          ? wording.nothing + QStringLiteral(" in ") + counted(files, QStringLiteral("file"), QStringLiteral("files"))
                          : wording.tool + QStringLiteral(": ") + counted(found, wording.one, wording.many) + QStringLiteral(" in ") +
                                counted(report.found.files.size(), QStringLiteral("file"), QStringLiteral("files"));
    if (report.binarySkipped > 0)
        summary += QStringLiteral(", ") + QString::fromStdString(binarySkippedText(report.binarySkipped));
    if (!report.skipped.empty())
        summary += QStringLiteral(", ") + counted(report.skipped.size(), QStringLiteral("could not be read"),
                                                   QStringLiteral("could not be read"));
    if (report.cancelled)
        summary += QStringLiteral(", cancelled");
    return summary + QStringLiteral(", ") + secondsText(seconds);
}

ScanResults::ScanResults(QWidget* window, const ScanWindowParts& parts, ScanWording wording)
    : QObject(window),
      window_(window),
      box_(parts.Text1),
      folder_(parts.Dir1),
      walkFilter_(parts.walkFilter),
      save_(parts.mnuSaveReport),
      wording_(std::move(wording)),
      run_(new BackgroundRun(window)),
      links_(new LineLinks(parts.Text1, [this](int line) { return placeOf(line); }))
{
    save_->setEnabled(false);  // until there is a report
    connect(save_, &QAction::triggered, this, guarded([this] { saveReport(); }));
    connect(run_, &BackgroundRun::progressed, window_, [this](const QString& current) { window_->setWindowTitle(current); });
}

void ScanResults::run(Scan scan)
{
    auto filter = walkFilterToRun(walkFilter_);
    if (!filter)
        return;
    run_->start(withWalkFilter(std::move(*filter), std::move(scan)), [this](ScanReport report) { show(std::move(report)); });
}

void ScanResults::run(FallibleScan scan)
{
    auto filter = walkFilterToRun(walkFilter_);
    if (!filter)
        return;
    run_->start(withWalkFilter(std::move(*filter), std::move(scan)), [this](Result<ScanReport> report) {
        if (!report) {
            showError(report.error());
            return;
        }
        show(std::move(*report));
    });
}

void ScanResults::show(ScanReport report)
{
    report_ = std::move(report);
    if (!report_.lastRead.empty())
        window_->setWindowTitle(fromPath(report_.lastRead));
    setBoxText(box_, reportText(report_));
    links_->markReportShown();
    save_->setEnabled(true);
    showStatus(window_, scanSummary(report_, wording_, run_->files(), run_->seconds()));
    const std::string message = scanProblemsMessage(report_);
    if (!message.empty())
        showMessage(pathText(message));
}

std::optional<FilePlace> ScanResults::placeOf(int line) const
{
    if (line < 0 || static_cast<std::size_t>(line) >= report_.places.size())
        return std::nullopt;
    const ReportPlace place = report_.places[static_cast<std::size_t>(line)];
    if (place.line == 0 || place.file >= report_.found.files.size())
        return std::nullopt;
    return FilePlace{report_.found.files[place.file].path, place.line};
}

void ScanResults::saveReport()
{
    static const QStringList types = {QStringLiteral("Text (*.txt)"), QStringLiteral("CSV (*.csv)"),
                                      QStringLiteral("JSON (*.json)"), QStringLiteral("Markdown (*.md)")};
    static constexpr ReportFormat formats[] = {ReportFormat::Text, ReportFormat::Csv, ReportFormat::Json,
                                               ReportFormat::Markdown};
    SaveDialogRequest request;
    request.caption = QStringLiteral("Save Report As");
    request.folder = saveFolder_.isEmpty() ? folder_->path() : saveFolder_;
    request.filters = types;
    const auto chosen = askForSaveFile(window_, request);
    if (!chosen)
        return;
    const std::filesystem::path path = toPath(chosen->path);
    // A known extension typed in the name decides the format; the file type chosen decides
    // only when there is none.
    const ReportFormat format = reportFormatForFile(
        path, formats[std::clamp(chosen->filter, 0, static_cast<int>(std::size(formats)) - 1)]);
    const auto saved = FileSystemObject().replaceFileContents(path, writeReport(report_.text, report_.found, format));
    if (!saved) {
        showError(saved.error(), QStringLiteral("The report could not be saved.\r\n"));
        return;
    }
    saveFolder_ = fromPath(path.parent_path());
    showStatus(window_, QStringLiteral("Report saved as %1").arg(fromPath(path)));
}

}  // namespace qb
