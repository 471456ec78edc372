#include "shell/walkprogress.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressDialog>

#include "shell/cp1252.h"

namespace qb {

WalkProgressDialog::WalkProgressDialog(QWidget* parent, const QString& title)
    : dialog_(std::make_unique<QProgressDialog>(parent))
{
    dialog_->setWindowTitle(title);
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
            if (!dialog->isVisible())
                dialog->show();
            dialog->setLabelText(QStringLiteral("%1 files\n%2").arg(count).arg(fromPath(current)));
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
