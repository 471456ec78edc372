#include "shell/walkprogress.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QScreen>

#include <algorithm>

#include "shell/cp1252.h"

namespace qb {

namespace {

// Shows the dialog over the middle of `window`, inside the screen.
void showCentred(QProgressDialog* dialog, const QWidget* window)
{
    dialog->show();
    QRect place(QPoint(0, 0), dialog->frameGeometry().size());
    if (window) {
        place.moveCenter(window->mapToGlobal(window->rect().center()));
        const QRect screen = window->screen()->availableGeometry();
        place.moveLeft(std::clamp(place.left(), screen.left(), std::max(screen.left(), screen.right() - place.width())));
        place.moveTop(std::clamp(place.top(), screen.top(), std::max(screen.top(), screen.bottom() - place.height())));
    }
    dialog->move(place.topLeft());
}

}  // namespace

WalkProgressDialog::WalkProgressDialog(QWidget* window)
    : dialog_(std::make_unique<QProgressDialog>(window))
{
    dialog_->setWindowTitle(QStringLiteral("Quillbox"));
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setCancelButtonText(QStringLiteral("Cancel"));
    dialog_->setRange(0, 0);  // the length of a walk is not known ahead
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setMinimumWidth(480);
    dialog_->reset();  // shown by the walk itself once it has run for half a second
}

WalkProgressDialog::~WalkProgressDialog() = default;

ProgressCallback WalkProgressDialog::callback()
{
    auto started = std::make_shared<QElapsedTimer>();
    auto lastUpdate = std::make_shared<qint64>(-1000);
    started->start();
    QProgressDialog* dialog = dialog_.get();
    return [dialog, started, lastUpdate](const std::filesystem::path& current, std::uint64_t count) {
        const qint64 elapsed = started->elapsed();
        if (elapsed < 500 && !dialog->isVisible())
            return true;
        if (elapsed - *lastUpdate >= 50) {  // keep the walk fast: refresh at most 20 times a second
            *lastUpdate = elapsed;
            dialog->setLabelText(QStringLiteral("%1 files\n%2").arg(count).arg(fromPath(current)));
            if (!dialog->isVisible())
                showCentred(dialog, dialog->parentWidget());
            QApplication::processEvents();
        }
        return !dialog->wasCanceled();
    };
}

bool WalkProgressDialog::cancelled() const
{
    return dialog_->wasCanceled();
}

}  // namespace qb
