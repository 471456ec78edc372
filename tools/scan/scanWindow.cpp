#include "tools/scan/scanWindow.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/behaviours.h"
#include "shell/cp1252.h"
#include "shell/kit.h"
#include "shell/pickers.h"
#include "shell/printing.h"
#include "shell/services.h"
#include "shell/walkprogress.h"
#include "tools/scan/scanRun.h"

namespace qb {

namespace {

constexpr int columnLeft = 120;
constexpr int columnGap = 120;
constexpr int labelHeight = 255;
constexpr int buttonHeight = 735;
constexpr int resultWidth = 7035;
constexpr int resultHeight = 7215;
constexpr qint64 captionRefreshMs = 100;

// The menu mnuFile with its one item, mnuPrint ("&Print", Ctrl+P).
QAction* addFileMenu(QWidget* window, const QString& caption)
{
    auto* menuBar = new QMenuBar(window);
    QMenu* mnuFile = menuBar->addMenu(caption);
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    QAction* mnuPrint = mnuFile->addAction(QStringLiteral("&Print"));
    mnuPrint->setObjectName(QStringLiteral("mnuPrint"));
    mnuPrint->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    // Both scanner windows print with Ctrl+P: the shortcut belongs to the window that has focus.
    mnuPrint->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    window->addAction(mnuPrint);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menuBar);
    return mnuPrint;
}

// The left column, as wide as the room left of the result box: its caption, the drive picker,
// the folder picker, which takes all the height the window gains, and the button below it.
void placeLeftColumn(ScanWindowParts& parts)
{
    QWidget* client = parts.client;
    auto* Label1_0 = make<QLabel>(client, "Label1_0", QStringLiteral("Pick home dir of project:"));
    const int width = parts.columnWidth;
    placeTwips(Label1_0, QRect(columnLeft, columnGap, width, labelHeight));
    placeTwips(parts.Drive1 = make<DrivePicker>(client, "Drive1"), QRect(columnLeft, 480, width, 375));
    placeTwips(parts.Dir1 = make<FolderPicker>(client, "Dir1"), QRect(columnLeft, 960, width, 3900), {0, 0, 0, 1});
    Label1_0->setBuddy(parts.Dir1);
    parts.nextTop = 960 + 3900 + columnGap;
    parts.cmdGo = placeGoButton(parts, "cmdGo");
    explain(parts.cmdGo, QStringLiteral("Scan every file in the folder and its subfolders"));
    pairDriveReported(parts.Drive1, parts.Dir1);
}

}  // namespace

QPushButton* placeGoButton(ScanWindowParts& parts, const char* name)
{
    auto* button = make<QPushButton>(parts.client, name, QStringLiteral("GO!!!"));
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
                                QPoint resultBox)
{
    ScanWindowParts parts;
    parts.mnuPrint = addFileMenu(window, fileMenuCaption);
    parts.client = scrollingClient(window);
    designInTwips(parts.client, QSize(resultBox.x() + resultWidth + columnGap, resultBox.y() + resultHeight + columnGap));
    parts.columnWidth = resultBox.x() - columnLeft - columnGap;
    placeLeftColumn(parts);

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
        showMessage(messageText(formatError(folder.error())));
        return std::nullopt;
    }
    return std::move(*folder);
}

void quickPrintBox(const QWidget* window, const QPlainTextEdit* box)
{
    const auto printed = quickPrint(fromCp1252(boxBytes(box)), window->windowTitle());
    if (!printed) {
        showMessage(messageText(formatError(printed.error())));
        return;
    }
    showMessage(withPrintout(QStringLiteral("Printin', yo"), *printed));
}

ScanInWindow::ScanInWindow(QWidget* window)
    : window_(window), progress_(std::make_unique<WalkProgressDialog>(window))
{
}

ScanInWindow::~ScanInWindow() = default;

ProgressCallback ScanInWindow::callback()
{
    ProgressCallback walk = progress_->callback();
    sinceCaption_.invalidate();
    return [this, walk = std::move(walk)](const std::filesystem::path& current, std::uint64_t count) {
        if (!sinceCaption_.isValid() || sinceCaption_.elapsed() >= captionRefreshMs) {
            window_->setWindowTitle(fromPath(current));
            sinceCaption_.start();
        }
        return walk(current, count);
    };
}

void ScanInWindow::show(const ScanReport& report, QPlainTextEdit* box)
{
    progress_.reset();  // the progress dialog goes before any message comes
    if (!report.lastRead.empty())
        window_->setWindowTitle(fromPath(report.lastRead));
    setBoxBytes(box, report.text);
    const std::string message = scanProblemsMessage(report);
    if (!message.empty())
        showMessage(fromCp1252(message));
}

void ScanInWindow::show(const Result<ScanReport>& report, QPlainTextEdit* box)
{
    if (report) {
        show(*report, box);
        return;
    }
    progress_.reset();
    showMessage(messageText(formatError(report.error())));
}

}  // namespace qb
