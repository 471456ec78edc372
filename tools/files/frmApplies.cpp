#include "tools/files/frmApplies.h"

#include <QDateTime>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTimeZone>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/dataFolder.h"
#include "tools/files/apply.h"
#include "tools/files/frmReviewChanges.h"
#include "ui/backgroundRun.h"
#include "ui/cp1252.h"
#include "ui/guard.h"
#include "ui/kit.h"
#include "ui/services.h"
#include "ui/windows.h"

namespace qb {

namespace fs = std::filesystem;

namespace {

enum Column { TimeColumn, ToolColumn, FolderColumn, FilesColumn, LeftColumn };
constexpr int manifestRole = Qt::UserRole;

// A manifest's time (UTC) in the user's time zone, as the locale writes it.
QString localTime(const std::string& utc)
{
    QDateTime time = QDateTime::fromString(QString::fromStdString(utc), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!time.isValid())
        return QString::fromStdString(utc);
    time.setTimeZone(QTimeZone::utc());
    return QLocale().toString(time.toLocalTime(), QLocale::ShortFormat);
}

}  // namespace

frmApplies::frmApplies(QWidget* parent) : QWidget(parent), run_(new BackgroundRun(this))
{
    setWindowTitle(QStringLiteral("Past Applies"));
    auto* caption = make<QLabel>(this, "lblApplies", QStringLiteral("&Applies, newest first:"));
    lstApplies = make<QTreeWidget>(this, "lstApplies");
    caption->setBuddy(lstApplies);
    lstApplies->setHeaderLabels({QStringLiteral("Time"), QStringLiteral("Tool"), QStringLiteral("Folder"),
                                 QStringLiteral("Files"), QStringLiteral("Left to undo")});
    lstApplies->setRootIsDecorated(false);
    lstApplies->header()->setStretchLastSection(false);
    lstApplies->header()->setSectionResizeMode(FolderColumn, QHeaderView::Stretch);
    cmdUndoApply = make<QPushButton>(this, "cmdUndoApply", QStringLiteral("&Undo Selected Apply"));
    cmdUndoApply->setToolTip(QStringLiteral("Put back the originals of the selected apply, where they still hold what "
                                            "it wrote; a file changed since is left alone"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdUndoApply);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(lstApplies, 1);
    layout->addLayout(buttons);
    connect(cmdUndoApply, &QPushButton::clicked, this, guarded([this] { cmdUndoApply_Click(); }));
    connect(lstApplies, &QTreeWidget::currentItemChanged, this,
            [this] { cmdUndoApply->setEnabled(lstApplies->currentItem() != nullptr); });
    refresh();
}

void frmApplies::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!run_->running())
        refresh();
}

void frmApplies::refresh()
{
    const QString current = lstApplies->currentItem() ? lstApplies->currentItem()->data(TimeColumn, manifestRole).toString()
                                                      : QString();
    lstApplies->clear();
    for (const ApplyRecord& record : listApplies(programFolder())) {
        auto* item = new QTreeWidgetItem(lstApplies);
        item->setText(TimeColumn, localTime(record.time));
        item->setText(ToolColumn, QString::fromStdString(record.tool));
        item->setText(FolderColumn, pathText(record.folder.string()));
        item->setText(FilesColumn, QLocale().toString(static_cast<qulonglong>(record.files.size())));
        item->setText(LeftColumn, QLocale().toString(static_cast<qulonglong>(record.undoable())));
        item->setData(TimeColumn, manifestRole, fromPath(record.manifest));
        item->setToolTip(FolderColumn, pathText(record.manifest.string()));
        if (item->data(TimeColumn, manifestRole).toString() == current)
            lstApplies->setCurrentItem(item);
    }
    for (int column : {TimeColumn, ToolColumn, FilesColumn, LeftColumn})
        lstApplies->resizeColumnToContents(column);
    if (!lstApplies->currentItem() && lstApplies->topLevelItemCount() > 0)
        lstApplies->setCurrentItem(lstApplies->topLevelItem(0));
    cmdUndoApply->setEnabled(lstApplies->currentItem() != nullptr);
}

void frmApplies::cmdUndoApply_Click()
{
    if (QTreeWidgetItem* item = lstApplies->currentItem())
        startUndo(run_, toPath(item->data(TimeColumn, manifestRole).toString()),
                  [this](const fs::path&, const RunReport&) { refresh(); });
}

void frmApplies::undoLastApply()
{
    startUndo(run_, lastApply(), [this](const fs::path&, const RunReport&) { refresh(); });
}

fs::path lastApply()
{
    for (const ApplyRecord& record : listApplies(programFolder()))
        if (record.undoable() > 0)
            return record.manifest;
    return {};
}

void startUndo(BackgroundRun* run, const fs::path& manifest, AfterUndo after)
{
    if (manifest.empty()) {
        showMessage(QStringLiteral("There is no apply left to undo."));
        return;
    }
    run->start([manifest](ProgressCallback, std::stop_token stop) { return undoApply(manifest, std::move(stop)); },
               [manifest, after = std::move(after)](const Result<RunReport>& report) {
                   if (!report) {
                       showError(report.error());
                       return;
                   }
                   const auto record = readManifest(manifest);
                   QString head = QStringLiteral("Restored ")
                                  + counted(report->counts.written, QStringLiteral("original"), QStringLiteral("originals"));
                   if (record)
                       head += QStringLiteral(" of the apply of %1 (%2 in %3)")
                                   .arg(localTime(record->time), QString::fromStdString(record->tool),
                                        pathText(record->folder.string()));
                   head += QLatin1Char('.');
                   showEndMessage(head, *report);
                   if (after)
                       after(manifest, *report);
               });
}

}  // namespace qb
