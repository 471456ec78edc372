// A modal progress dialog with a Cancel button for folder walks: it appears once a walk has run
// for half a second, titled "Quillbox" and centred on the window that started the walk, shows
// the current path and count, and turns Cancel into a stop request.
#pragma once

#include "shell/walk.h"

#include <memory>

class QProgressDialog;
class QWidget;

namespace qb {

class WalkProgressDialog {
public:
    explicit WalkProgressDialog(QWidget* window);
    ~WalkProgressDialog();
    ProgressCallback callback();
    bool cancelled() const;

private:
    std::unique_ptr<QProgressDialog> dialog_;
};

}  // namespace qb
