// The controls that choose which files a tool's folder walk hands on, the same in every window
// that walks a folder:
//   chkSkipGitIgnored  "Skip files git ignores" (off): inside a git work tree, leave out what git
//                      ignores, and .git itself (core/gitIgnore.h)
//   lblFiles, txtFiles "Files": glob patterns split by spaces, ! in front to leave out what a
//                      pattern matches, as the command line's --glob takes them (empty: every file)
// Both are remembered with the window's other inputs.
#pragma once

#include "core/error.h"
#include "core/walk.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QWidget>

#include <optional>

namespace qb {

class WalkFilterBox : public QWidget {
public:
    explicit WalkFilterBox(QWidget* parent);

    // The filter the controls choose; error 5 when a pattern is empty or does not close.
    Result<WalkFilter> filter() const;

    QCheckBox* chkSkipGitIgnored;
    QLineEdit* txtFiles;
};

// The filter `box` chooses, or nothing after a message that names the pattern at fault: for a
// window about to start a run.
std::optional<WalkFilter> walkFilterToRun(const WalkFilterBox* box);

}  // namespace qb
