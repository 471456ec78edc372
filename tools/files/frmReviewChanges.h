// The review of a copies run, one window for every tool that writes copies: each file whose copy
// differs from its original (lines removed and added, "line ends only" when that is all), a check
// box each, the diff of the selected file, and the buttons that apply the checked copies to their
// originals (through applyEdits: a backup in the data folder and a manifest first), discard the
// run's copies, or undo the last apply. It opens only when the user asks, through the tool's
// "Review Changes" (Ctrl+R), and shows that tool's last run.
#pragma once

#include "tools/files/review.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

namespace qb {

class BackgroundRun;

class frmReviewChanges : public QWidget {
    Q_OBJECT
public:
    explicit frmReviewChanges(QWidget* parent = nullptr);
    // Shows `review`, the last run of the tool named `toolName`.
    void setReview(std::shared_ptr<const CopyReview> review, const QString& toolName);
    void cmdApply_Click();
    void cmdDiscard_Click();
    void cmdUndoLast_Click();

private:
    enum class Outcome { Pending, Applied, Refused, Undone, Stale };
    void fillList();
    void showDiff();
    void paintDiff(const QString& text, const std::vector<std::pair<int, DiffRow::Kind>>& marks);
    void showSummary();
    std::vector<std::size_t> checkedChanges() const;

    QLabel* lblSummary;
    QTreeWidget* lstChanges;
    QLabel* lblDiff;
    QPlainTextEdit* txtDiff;
    QPushButton* cmdApply;
    QPushButton* cmdDiscard;
    QPushButton* cmdUndoLast;
    BackgroundRun* run_;
    std::shared_ptr<const CopyReview> review_;
    QString toolName_;
    std::vector<Outcome> outcomes_;  // one for each change
    std::filesystem::path applied_;  // the manifest of this review's last apply
    bool discarded_ = false;
};

// The message at the end of an apply, a discard or an undo: `head`, then what could not be done
// (the first 20, then a count) and the run's notes, then "Cancelled." when the user stopped it.
void showEndMessage(const QString& head, const RunReport& report);

// Opens the review (by the opening rule) on `review`; without a run yet, says so instead.
void showReview(std::shared_ptr<const CopyReview> review, const QString& toolName);

// The way from a tool window to its review: a "Re&view" menu with "Review &Changes" (Ctrl+R)
// in the window's menu bar, and a "Review C&hanges" button for the window to place. Both call
// `review`.
QPushButton* addReviewControls(QWidget* window, QWidget* client, std::function<void()> review);

}  // namespace qb
