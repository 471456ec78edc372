// A modal progress dialog with a Cancel button for folder walks: it appears once a walk has run
// for half a second, shows the current path and count, and turns Cancel into a stop request.
#pragma once

#include "shell/walk.h"

#include <QString>

#include <memory>

class QProgressDialog;
class QWidget;

namespace qb {

class WalkProgressDialog {
public:
    WalkProgressDialog(QWidget* parent, const QString& title);
    ~WalkProgressDialog();
    ProgressCallback callback();
    bool cancelled() const;

private:
    std::unique_ptr<QProgressDialog> dialog_;
};

}  // namespace qb
