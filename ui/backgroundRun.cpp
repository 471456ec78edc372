#include "ui/backgroundRun.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressDialog>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>

#include "ui/cp1252.h"
#include "ui/guard.h"

namespace qb {

namespace {

constexpr int dialogDelayMs = 500;
// The window hears of progress at most this often, so a walk over small files stays fast.
constexpr std::chrono::milliseconds progressInterval(50);

std::atomic<int> activeRuns{0};

std::function<void()>& progressHook()
{
    static std::function<void()> hook;
    return hook;
}

// Shows the dialog over the middle of `window`, inside the screen.
void showCentred(QProgressDialog* dialog, const QWidget* window)
{
    dialog->show();
    QRect place(QPoint(0, 0), dialog->frameGeometry().size());
    place.moveCenter(window->mapToGlobal(window->rect().center()));
    const QRect screen = window->screen()->availableGeometry();
    place.moveLeft(std::clamp(place.left(), screen.left(), std::max(screen.left(), screen.right() - place.width())));
    place.moveTop(std::clamp(place.top(), screen.top(), std::max(screen.top(), screen.bottom() - place.height())));
    dialog->move(place.topLeft());
}

}  // namespace

// What the worker thread and the window thread share. The worker writes the latest progress under
// the mutex and posts one delivery at a time; the window thread reads it when the delivery comes.
struct BackgroundRun::Shared {
    std::mutex mutex;
    std::filesystem::path current;
    std::uint64_t count = 0;
    std::atomic<bool> deliveryPosted{false};
    std::atomic<std::uint64_t> files{0};
    std::chrono::steady_clock::time_point nextDelivery{};  // the worker's own
    std::stop_source stop;
    std::exception_ptr error;                               // what escaped the logic
};

BackgroundRun::BackgroundRun(QWidget* window)
    : QObject(window), window_(window), showTimer_(new QTimer(this)), shared_(std::make_shared<Shared>())
{
    showTimer_->setSingleShot(true);
    showTimer_->setInterval(dialogDelayMs);
    connect(showTimer_, &QTimer::timeout, this, &BackgroundRun::showProgress);
}

BackgroundRun::~BackgroundRun()
{
    if (thread_.joinable()) {
        shared_->stop.request_stop();
        thread_.join();
        --activeRuns;
    }
}

void BackgroundRun::begin(std::function<void(ProgressCallback, std::stop_token)> work, std::function<void()> done)
{
    if (running_)
        return;  // the controls that start a run are disabled while one lasts
    running_ = true;
    ++activeRuns;
    shared_ = std::make_shared<Shared>();
    done_ = std::move(done);
    disableInputs();
    elapsed_.start();
    showTimer_->start();
    thread_ = std::jthread([this, shared = shared_, work = std::move(work), progress = progressCallback()] {
        try {
            work(progress, shared->stop.get_token());
        } catch (...) {
            shared->error = std::current_exception();
        }
        QMetaObject::invokeMethod(this, &BackgroundRun::finish, Qt::QueuedConnection);
    });
}

ProgressCallback BackgroundRun::progressCallback()
{
    return [this, shared = shared_](const std::filesystem::path& current, std::uint64_t count) {
        if (const auto& hook = progressHook())
            hook();
        shared->files.fetch_add(1, std::memory_order_relaxed);
        const auto now = std::chrono::steady_clock::now();
        if (now >= shared->nextDelivery && !shared->deliveryPosted.exchange(true)) {
            {
                const std::lock_guard lock(shared->mutex);
                shared->current = current;
                shared->count = count;
            }
            shared->nextDelivery = now + progressInterval;
            QMetaObject::invokeMethod(this, &BackgroundRun::deliverProgress, Qt::QueuedConnection);
        }
        return !shared->stop.stop_requested();
    };
}

void BackgroundRun::deliverProgress()
{
    QString current;
    std::uint64_t count;
    {
        const std::lock_guard lock(shared_->mutex);
        current = fromPath(shared_->current);
        count = shared_->count;
    }
    shared_->deliveryPosted = false;
    if (dialog_)
        dialog_->setLabelText(QStringLiteral("%1 files\n%2").arg(count).arg(current));
    emit progressed(current, count);
}

void BackgroundRun::showProgress()
{
    if (!running_)
        return;
    dialog_ = std::make_unique<QProgressDialog>(window_);
    dialog_->setWindowTitle(QStringLiteral("Quillbox"));
    // The run's own window is blocked by its disabled controls; a modal dialog would block the
    // whole frame, every other tool with it.
    dialog_->setWindowModality(Qt::NonModal);
    dialog_->setCancelButtonText(QStringLiteral("Cancel"));
    dialog_->setRange(0, 0);  // the length of a walk is not known ahead
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setMinimumWidth(480);
    dialog_->setLabelText(QStringLiteral("Starting..."));
    connect(dialog_.get(), &QProgressDialog::canceled, this, &BackgroundRun::stop);
    showCentred(dialog_.get(), window_);
    // Inside a frame, the dialog shows while its window is the active child and steps aside while
    // the user works in another one.
    auto* sub = qobject_cast<QMdiSubWindow*>(window_->parentWidget());
    if (QMdiArea* area = sub ? sub->mdiArea() : nullptr)
        connect(area, &QMdiArea::subWindowActivated, dialog_.get(), [this, sub](QMdiSubWindow* active) {
            if (active && dialog_)
                dialog_->setVisible(active == sub);
        });
}

void BackgroundRun::stop()
{
    if (running_)
        shared_->stop.request_stop();
}

std::uint64_t BackgroundRun::files() const
{
    return shared_->files.load(std::memory_order_relaxed);
}

double BackgroundRun::seconds() const
{
    return running_ ? static_cast<double>(elapsed_.elapsed()) / 1000 : seconds_;
}

int BackgroundRun::active()
{
    return activeRuns;
}

void BackgroundRun::setProgressHook(std::function<void()> hook)
{
    progressHook() = std::move(hook);
}

void BackgroundRun::finish()
{
    thread_.join();
    seconds_ = static_cast<double>(elapsed_.elapsed()) / 1000;
    running_ = false;
    showTimer_->stop();
    dialog_.reset();  // the dialog goes before any message comes
    enableInputs();
    const std::function<void()> done = std::exchange(done_, {});
    const std::exception_ptr error = shared_->error;
    runGuarded([&] {
        if (error)
            std::rethrow_exception(error);
        done();
    });
    --activeRuns;
}

// Every control of the window is disabled, the menu bar too, but not the dialogs it owns.
void BackgroundRun::disableInputs()
{
    focus_ = window_->focusWidget();
    disabled_.clear();
    for (QWidget* child : window_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow() || !child->isEnabled())
            continue;
        child->setEnabled(false);
        disabled_.emplace_back(child);
    }
}

void BackgroundRun::enableInputs()
{
    for (const QPointer<QWidget>& child : disabled_)
        if (child)
            child->setEnabled(true);
    disabled_.clear();
    if (focus_ && focus_->isEnabled() && window_->isAncestorOf(focus_))
        focus_->setFocus();
}

}  // namespace qb
