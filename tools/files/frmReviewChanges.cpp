#include "tools/files/frmReviewChanges.h"

#include <QAction>
#include <QBoxLayout>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTextBlock>
#include <QTreeWidget>

#include "core/dataFolder.h"
#include "core/fileText.h"
#include "core/fs.h"
#include "core/lineEnds.h"
#include "tools/files/frmApplies.h"
#include "tools/files/inPlace.h"
#include "ui/backgroundRun.h"
#include "ui/cp1252.h"
#include "ui/guard.h"
#include "ui/kit.h"
#include "ui/services.h"
#include "ui/windows.h"

namespace qb {

namespace fs = std::filesystem;

namespace {

enum Column { FileColumn, RemovedColumn, AddedColumn, ChangeColumn };

// Marks that read on a light and a dark palette alike: the palette's own colours, tinted.
QColor tint(const QColor& base, const QColor& mark)
{
    QColor blended;
    const double share = base.lightness() < 128 ? 0.35 : 0.22;
    blended.setRgbF(base.redF() * (1 - share) + mark.redF() * share, base.greenF() * (1 - share) + mark.greenF() * share,
                    base.blueF() * (1 - share) + mark.blueF() * share);
    return blended;
}

QString number(std::uint64_t line)
{
    return line == 0 ? QString(6, QLatin1Char(' ')) : QStringLiteral("%1").arg(line, 6);
}

// A diff line's bytes as text, without its line end; with `showEnd`, the end is named after it,
// for a change that is (partly) one of line ends.
QString rowText(const DiffRow& row, bool utf8, bool showEnd)
{
    std::string_view bytes = row.text;
    const bool cr = bytes.ends_with('\r');
    if (cr)
        bytes.remove_suffix(1);
    QString text = fileText(bytes, utf8);
    if (showEnd)
        text += row.noNewline ? (cr ? QStringLiteral("  [CR]") : QStringLiteral("  [no line end]"))
                              : (cr ? QStringLiteral("  [CR LF]") : QStringLiteral("  [LF]"));
    return text;
}

}  // namespace

frmReviewChanges::frmReviewChanges(QWidget* parent) : QWidget(parent), run_(new BackgroundRun(this))
{
    setWindowTitle(QStringLiteral("Review Changes"));
    lblSummary = wrapped(make<QLabel>(this, "lblSummary"));
    lstChanges = make<QTreeWidget>(this, "lstChanges");
    lstChanges->setHeaderLabels({QStringLiteral("File"), QStringLiteral("Removed"), QStringLiteral("Added"),
                                 QStringLiteral("Change")});
    lstChanges->setRootIsDecorated(false);
    lstChanges->setUniformRowHeights(true);
    lstChanges->header()->setStretchLastSection(false);
    lstChanges->header()->setSectionResizeMode(FileColumn, QHeaderView::Stretch);
    lstChanges->setToolTip(QStringLiteral("Each file whose copy differs from its original; only the checked ones are "
                                          "applied"));
    lblDiff = make<QLabel>(this, "lblDiff", QStringLiteral("&Diff of the selected file:"));
    txtDiff = make<QPlainTextEdit>(this, "txtDiff");
    txtDiff->setReadOnly(true);
    txtDiff->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtDiff->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    lblDiff->setBuddy(txtDiff);
    cmdApply = make<QPushButton>(this, "cmdApply", QStringLiteral("&Apply to Originals"));
    cmdApply->setToolTip(QStringLiteral("Replace each checked original with its copy, keeping a backup in the data "
                                        "folder; an original changed since the run is left alone"));
    cmdDiscard = make<QPushButton>(this, "cmdDiscard", QStringLiteral("Dis&card Copies"));
    cmdDiscard->setToolTip(QStringLiteral("Remove the copies this run wrote, and the copy folders left empty"));
    cmdUndoLast = make<QPushButton>(this, "cmdUndoLast", QStringLiteral("&Undo Last Apply"));
    cmdUndoLast->setToolTip(QStringLiteral("Put back the originals of the last apply, where they still hold what it "
                                           "wrote"));

    auto* splitter = new QSplitter(Qt::Vertical, this);
    auto* top = new QWidget(splitter);
    auto* topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->addWidget(lblSummary);
    topLayout->addWidget(lstChanges);
    auto* bottom = new QWidget(splitter);
    auto* bottomLayout = new QVBoxLayout(bottom);
    bottomLayout->setContentsMargins(0, 0, 0, 0);
    bottomLayout->addWidget(lblDiff);
    bottomLayout->addWidget(txtDiff);
    splitter->setStretchFactor(1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdApply);
    buttons->addWidget(cmdDiscard);
    buttons->addStretch();
    buttons->addWidget(cmdUndoLast);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);

    connect(lstChanges, &QTreeWidget::currentItemChanged, this, guarded([this] { showDiff(); }));
    connect(lstChanges, &QTreeWidget::itemChanged, this, guarded([this] { showSummary(); }));
    connect(cmdApply, &QPushButton::clicked, this, guarded([this] { cmdApply_Click(); }));
    connect(cmdDiscard, &QPushButton::clicked, this, guarded([this] { cmdDiscard_Click(); }));
    connect(cmdUndoLast, &QPushButton::clicked, this, guarded([this] { cmdUndoLast_Click(); }));
    setReview(nullptr, {});
}

void frmReviewChanges::setReview(std::shared_ptr<const CopyReview> review, const QString& toolName)
{
    review_ = std::move(review);
    toolName_ = toolName;
    outcomes_.assign(review_ ? review_->changes.size() : 0, Outcome::Pending);
    applied_.clear();
    discarded_ = false;
    fillList();
}

void frmReviewChanges::fillList()
{
    const QSignalBlocker quiet(lstChanges);
    lstChanges->clear();
    if (review_) {
        QList<QTreeWidgetItem*> items;
        for (const ReviewedChange& change : review_->changes) {
            // An original that is not as the run read it (applied since, or edited) is not offered.
            const FileStamp now = stampOf(change.edit.path);
            const bool changedSince = now.size != change.edit.original.size || now.modified != change.edit.original.modified;
            auto* item = new QTreeWidgetItem;
            item->setText(FileColumn, pathText(diffPath(change.edit.path, review_->folder)));
            item->setToolTip(FileColumn, pathText(change.edit.path.string()));
            item->setText(RemovedColumn, QLocale().toString(static_cast<qulonglong>(change.counts.removed)));
            item->setText(AddedColumn, QLocale().toString(static_cast<qulonglong>(change.counts.added)));
            item->setTextAlignment(RemovedColumn, Qt::AlignRight | Qt::AlignVCenter);
            item->setTextAlignment(AddedColumn, Qt::AlignRight | Qt::AlignVCenter);
            const bool endsOnly = change.kind == ReviewedChange::Kind::LineEnds;
            item->setText(ChangeColumn, endsOnly ? QStringLiteral("line ends only") : QString());
            // A line-end conversion is never a side effect of an edit: those start unchecked.
            item->setCheckState(FileColumn, endsOnly || changedSince ? Qt::Unchecked : Qt::Checked);
            if (changedSince) {
                outcomes_[static_cast<std::size_t>(items.size())] = Outcome::Stale;
                item->setText(ChangeColumn, QStringLiteral("changed since the run"));
                item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
            }
            items << item;
        }
        lstChanges->addTopLevelItems(items);
    }
    for (int column : {RemovedColumn, AddedColumn, ChangeColumn})
        lstChanges->resizeColumnToContents(column);
    if (lstChanges->topLevelItemCount() > 0)
        lstChanges->setCurrentItem(lstChanges->topLevelItem(0));
    showSummary();
    showDiff();
}

std::vector<std::size_t> frmReviewChanges::checkedChanges() const
{
    std::vector<std::size_t> checked;
    for (int row = 0; row < lstChanges->topLevelItemCount(); ++row)
        if (lstChanges->topLevelItem(row)->checkState(FileColumn) == Qt::Checked && outcomes_[row] == Outcome::Pending)
            checked.push_back(static_cast<std::size_t>(row));
    return checked;
}

void frmReviewChanges::showSummary()
{
    if (!review_) {
        lblSummary->setText(QStringLiteral("No run to review."));
    } else {
        const auto endsOnly = std::ranges::count_if(review_->changes, [](const ReviewedChange& change) {
            return change.kind == ReviewedChange::Kind::LineEnds;
        });
        QString text = toolName_ + QStringLiteral(" in ") + pathText(review_->folder.string()) + QStringLiteral(": ")
                       + counted(review_->changes.size(), QStringLiteral("file changed"), QStringLiteral("files changed"));
        if (endsOnly > 0)
            text += QStringLiteral(" (%1 only in line ends)").arg(QLocale().toString(static_cast<qlonglong>(endsOnly)));
        const std::uint64_t same = review_->report.counts.files - review_->changes.size() - review_->report.counts.binary
                                   - review_->report.failures.size();
        if (review_->report.counts.binary > 0)
            text += QStringLiteral(", ") + counted(review_->report.counts.binary, QStringLiteral("binary file"),
                                                   QStringLiteral("binary files"))
                    + QStringLiteral(" copied as is (not compared)");
        text += QStringLiteral(", ") + counted(same, QStringLiteral("copy"), QStringLiteral("copies"))
                + QStringLiteral(" the same as the original");
        if (!review_->report.failures.empty())
            text += QStringLiteral(", ") + counted(review_->report.failures.size(), QStringLiteral("file not offered"),
                                                   QStringLiteral("files not offered"));
        text += QStringLiteral(". ") + counted(checkedChanges().size(), QStringLiteral("file checked"),
                                               QStringLiteral("files checked"))
                + QStringLiteral(".");
        for (const std::string& note : review_->report.notes)
            text += QLatin1Char(' ') + pathText(note);
        lblSummary->setText(text);
        // Which files were not offered, and why.
        lblSummary->setToolTip(pathText(listFailures(review_->report.failures)));
    }
    const bool pending = review_ && !discarded_;
    cmdApply->setEnabled(pending && !checkedChanges().empty());
    cmdDiscard->setEnabled(pending && !review_->copies.empty());
}

namespace {

// A change's diff as the view shows it: its rows' text, and which rows are marked how.
struct DiffView {
    QString text;
    std::vector<std::pair<int, DiffRow::Kind>> marks;
};

// Reads the original and its copy as they are now; may run off the window thread.
DiffView diffView(const ReviewedChange& change, const fs::path& folder)
{
    const FileSystemObject fso;
    auto before = fso.readFileBytes(change.edit.path);
    auto after = fso.readFileBytes(change.copy);
    if (!before || !after)
        return {pathText(formatError(before ? after.error() : before.error())), {}};
    const std::string unified = unifiedDiff(*before, *after, diffPath(change.edit.path, folder));
    if (unified.empty())
        return {QStringLiteral("The original and its copy are the same now."), {}};
    const bool beforeUtf8 = isValidUtf8(*before), afterUtf8 = isValidUtf8(*after);
    const bool endsChange = change.kind == ReviewedChange::Kind::LineEnds || allLineEndsCrLf(*before) != allLineEndsCrLf(*after);
    DiffView view;
    int line = 0;
    for (const DiffRow& row : diffRows(unified)) {
        if (line > 0)
            view.text += QLatin1Char('\n');
        if (row.kind == DiffRow::Kind::Hunk) {
            view.text += fileText(row.text, true);
        } else {
            const QChar sign = row.kind == DiffRow::Kind::Removed ? QLatin1Char('-')
                               : row.kind == DiffRow::Kind::Added ? QLatin1Char('+')
                                                                  : QLatin1Char(' ');
            view.text += number(row.oldLine) + QLatin1Char(' ') + number(row.newLine) + QLatin1Char(' ') + sign
                         + QLatin1Char(' ')
                         + rowText(row, row.kind == DiffRow::Kind::Added ? afterUtf8 : beforeUtf8,
                                   endsChange && row.kind != DiffRow::Kind::Context);
        }
        if (row.kind != DiffRow::Kind::Context)
            view.marks.emplace_back(line, row.kind);
        ++line;
    }
    return view;
}

// Below this many bytes (a file and its copy together) a diff is made at once; a larger one off
// the window thread, like a run.
constexpr std::uint64_t immediateDiffBytes = 1 << 20;

}  // namespace

void frmReviewChanges::showDiff()
{
    QTreeWidgetItem* item = lstChanges->currentItem();
    txtDiff->setExtraSelections({});
    if (!review_ || !item) {
        txtDiff->clear();
        return;
    }
    const ReviewedChange& change = review_->changes[static_cast<std::size_t>(lstChanges->indexOfTopLevelItem(item))];
    if (discarded_) {
        setBoxText(txtDiff, QStringLiteral("The copies were discarded."));
        return;
    }
    if (stampOf(change.edit.path).size + stampOf(change.copy).size <= immediateDiffBytes) {
        const DiffView view = diffView(change, review_->folder);
        paintDiff(view.text, view.marks);
        return;
    }
    setBoxText(txtDiff, QStringLiteral("Comparing\u2026"));
    if (run_->running())
        return;  // the run's end shows the diff
    const int row = lstChanges->indexOfTopLevelItem(item);
    run_->start([change, folder = review_->folder](ProgressCallback) { return diffView(change, folder); },
                [this, row, review = review_](const DiffView& view) {
                    if (review == review_ && lstChanges->indexOfTopLevelItem(lstChanges->currentItem()) == row)
                        paintDiff(view.text, view.marks);
                    else
                        showDiff();
                });
}

void frmReviewChanges::paintDiff(const QString& text, const std::vector<std::pair<int, DiffRow::Kind>>& marks)
{
    txtDiff->setPlainText(text);
    const QPalette palette = txtDiff->palette();
    const QColor base = palette.color(QPalette::Base);
    QList<QTextEdit::ExtraSelection> selections;
    for (const auto& [at, kind] : marks) {
        QTextEdit::ExtraSelection selection;
        selection.cursor = QTextCursor(txtDiff->document()->findBlockByNumber(at));
        selection.format.setProperty(QTextFormat::FullWidthSelection, true);
        selection.format.setBackground(kind == DiffRow::Kind::Removed ? tint(base, QColor(230, 40, 40))
                                       : kind == DiffRow::Kind::Added ? tint(base, QColor(40, 190, 60))
                                                                      : tint(base, palette.color(QPalette::Highlight)));
        selections << selection;
    }
    txtDiff->setExtraSelections(selections);
}

void frmReviewChanges::cmdApply_Click()
{
    const std::vector<std::size_t> chosen = checkedChanges();
    if (!review_ || chosen.empty())
        return;
    run_->start([plan = reviewPlan(*review_, chosen), data = programFolder()](ProgressCallback, std::stop_token stop) {
        return applyEdits(plan, data, std::move(stop));
    }, [this, chosen, review = review_](const Result<ApplyResult>& applied) {
        if (!applied) {
            showError(applied.error());
            return;
        }
        const RunReport& report = applied->report;
        // Another tool may have shown its own run here meanwhile: its rows are not this apply's.
        if (review == review_)
            applied_ = applied->manifest;
        for (std::size_t index : review == review_ ? chosen : std::vector<std::size_t>()) {
            const fs::path& path = review_->changes[index].edit.path;
            const bool refused = std::ranges::any_of(report.failures, [&](const Failure& failure) { return failure.path == path; });
            const bool done = std::ranges::find(report.listed, path) != report.listed.end();
            outcomes_[index] = done ? Outcome::Applied : refused ? Outcome::Refused : Outcome::Pending;
            QTreeWidgetItem* item = lstChanges->topLevelItem(static_cast<int>(index));
            const QSignalBlocker quiet(lstChanges);
            if (outcomes_[index] != Outcome::Pending) {
                item->setText(ChangeColumn, done ? QStringLiteral("applied") : QStringLiteral("refused"));
                item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
            }
        }
        showSummary();
        showDiff();
        const QString head = QStringLiteral("Applied %1 of %2 to their originals.")
                                 .arg(QLocale().toString(static_cast<qulonglong>(report.counts.written)),
                                      counted(chosen.size(), QStringLiteral("file"), QStringLiteral("files")));
        showStatus(this, QStringLiteral("Review: ") + head);
        showEndMessage(head, report);
    });
}

void frmReviewChanges::cmdDiscard_Click()
{
    if (!review_ || discarded_)
        return;
    run_->start([review = review_](ProgressCallback) { return discardCopies(*review); },
                [this, review = review_](const RunReport& report) {
                    discarded_ = discarded_ || review == review_;
                    showDiff();
                    showSummary();
                    const QString head = QStringLiteral("Discarded ")
                                         + counted(report.counts.written, QStringLiteral("copy"), QStringLiteral("copies"))
                                         + QStringLiteral(".");
                    showStatus(this, QStringLiteral("Review: ") + head);
                    showEndMessage(head, report);
                });
}

void frmReviewChanges::cmdUndoLast_Click()
{
    startUndo(run_, lastApply(), [this](const fs::path& manifest, const RunReport& report) {
        showDiff();
        if (manifest != applied_)
            return;
        for (std::size_t i = 0; i < outcomes_.size(); ++i)
            if (outcomes_[i] == Outcome::Applied
                && std::ranges::find(report.listed, review_->changes[i].edit.path) != report.listed.end()) {
                outcomes_[i] = Outcome::Undone;
                lstChanges->topLevelItem(static_cast<int>(i))->setText(ChangeColumn, QStringLiteral("undone"));
            }
    });
}

void showEndMessage(const QString& head, const RunReport& report)
{
    QString text = head;
    if (const std::string rest = endOfRunText(report); !rest.empty())
        text += QLatin1Char('\n') + pathText(rest);
    if (report.cancelled)
        text += QStringLiteral("\nCancelled.");
    showMessage(text);
}

void showReview(std::shared_ptr<const CopyReview> review, const QString& toolName)
{
    if (!review) {
        showMessage(QStringLiteral("There is nothing to review yet: run the tool first, and its copies are listed "
                                   "here against their originals."));
        return;
    }
    if (auto* window = qobject_cast<frmReviewChanges*>(openWindow(QStringLiteral("frmReviewChanges"))))
        window->setReview(std::move(review), toolName);
}

QPushButton* addReviewControls(QWidget* window, QWidget* client, std::function<void()> review)
{
    auto* menuBar = new QMenuBar(window);
    QMenu* menu = menuBar->addMenu(QStringLiteral("Re&view"));
    menu->setObjectName(QStringLiteral("mnuReview"));
    QAction* item = menu->addAction(QStringLiteral("Review &Changes"));
    item->setObjectName(QStringLiteral("mnuReviewChanges"));
    item->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    item->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    item->setToolTip(QStringLiteral("List the files whose copies differ from their originals, with their diffs"));
    window->addAction(item);
    if (auto* layout = window->layout())
        layout->setMenuBar(menuBar);
    auto* button = make<QPushButton>(client, "cmdReview", QStringLiteral("Review C&hanges"));
    button->setToolTip(QStringLiteral("List the files whose copies differ from their originals, with their diffs, "
                                      "and apply the chosen ones (Ctrl+R)"));
    QObject::connect(item, &QAction::triggered, window, guarded(review));
    QObject::connect(button, &QPushButton::clicked, window, guarded(std::move(review)));
    return button;
}

}  // namespace qb
