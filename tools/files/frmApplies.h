// The applies that "Apply to Originals" and the command line's --apply made, newest first (time,
// tool, folder, files, files left to undo), any of which can be undone; and the undo itself, which
// the review window and the frame's "Edit" menu share.
#pragma once

#include "core/walk.h"

#include <QWidget>

#include <filesystem>
#include <functional>

class QPushButton;
class QTreeWidget;

namespace qb {

class BackgroundRun;

class frmApplies : public QWidget {
    Q_OBJECT
public:
    explicit frmApplies(QWidget* parent = nullptr);
    // Undoes the newest apply that has files left to undo (the frame's "Undo Last Apply").
    void undoLastApply();
    void cmdUndoApply_Click();
    void refresh();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QTreeWidget* lstApplies;
    QPushButton* cmdUndoApply;
    BackgroundRun* run_;
};

// The manifest of the newest apply with files left to undo, or an empty path.
std::filesystem::path lastApply();

// Undoes the apply of `manifest` through `run` (off the window thread), then says what came back
// and what was refused and why; `after` gets the manifest and the undo's report. An empty
// manifest says that there is nothing left to undo.
using AfterUndo = std::function<void(const std::filesystem::path& manifest, const RunReport& report)>;
void startUndo(BackgroundRun* run, const std::filesystem::path& manifest, AfterUndo after = {});

}  // namespace qb
