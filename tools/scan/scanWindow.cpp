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
constexpr int columnWidth = 3000;
constexpr int columnGap = 120;
constexpr int labelHeight = 255;
constexpr int buttonHeight = 735;
constexpr int resultWidth = 7035;
constexpr int resultHeight = 7215;
constexpr qint64 captionRefreshMs = 100;

}  // namespace

QPushButton* placeGoButton(QWidget* parent, const char* name, QPoint twips)
{
    auto* button = make<QPushButton>(parent, name, QStringLiteral("GO!!!"));
    QFont font = button->font();
    font.setPointSize(14);
    font.setBold(true);
    button->setFont(font);
    placeTwips(button, QRect(twips, QSize(columnWidth, buttonHeight)));
    return button;
}

QPoint belowInColumn(const QWidget* above)
{
    return QPoint(columnLeft, (above->geometry().bottom() + 1) * 15 + columnGap);
}

ScanWindowParts buildScanWindow(QWidget* window, const QString& fileMenuCaption, const QString& resultCaption,
                                QPoint resultBox)
{
    ScanWindowParts parts;
    auto* menuBar = new QMenuBar(window);
    QMenu* mnuFile = menuBar->addMenu(fileMenuCaption);
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    parts.mnuPrint = mnuFile->addAction(QStringLiteral("&Print"));
    parts.mnuPrint->setObjectName(QStringLiteral("mnuPrint"));
    parts.mnuPrint->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    // Both scanner windows print with Ctrl+P: the shortcut belongs to the window that has focus.
    parts.mnuPrint->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    window->addAction(parts.mnuPrint);

    parts.client = make<QWidget>(window, "client");
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menuBar);
    layout->addWidget(parts.client);

    QWidget* client = parts.client;
    placeTwips(make<QLabel>(client, "Label1_0", QStringLiteral("Pick home dir of project:")),
               QRect(columnLeft, columnGap, columnWidth, labelHeight));
    placeTwips(parts.Drive1 = make<DrivePicker>(client, "Drive1"), QRect(columnLeft, 480, columnWidth, 375));
    placeTwips(parts.Dir1 = make<FolderPicker>(client, "Dir1"), QRect(columnLeft, 960, columnWidth, 3900));
    parts.cmdGo = placeGoButton(client, "cmdGo", belowInColumn(parts.Dir1));
    pairDriveReported(parts.Drive1, parts.Dir1);

    placeTwips(make<QLabel>(client, "Label1_1", resultCaption),
               QRect(resultBox.x(), resultBox.y() - labelHeight - 30, resultWidth, labelHeight));
    parts.Text1 = make<QPlainTextEdit>(client, "Text1");
    parts.Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    placeTwips(parts.Text1, QRect(resultBox, QSize(resultWidth, resultHeight)));
    stretchResultBox(window, parts.Text1);

    window->resize(px(resultBox.x() + resultWidth + 300), px(resultBox.y() + resultHeight + 1300));
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

ScanInWindow::ScanInWindow(QWidget* window, const QString& progressTitle)
    : window_(window), progress_(std::make_unique<WalkProgressDialog>(window, progressTitle))
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
