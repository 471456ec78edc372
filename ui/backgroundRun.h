// Long runs off the window thread. A tool window hands its logic to a BackgroundRun, which runs it
// on a worker thread with a progress callback, while the window thread goes on handling events:
// the window can be moved, repainted and cancelled. During the run the window's controls are
// disabled and, once it has lasted half a second, a progress dialog titled "Quillbox" and centred
// on the window shows the file being handled and a Cancel button. Only the run's own window is
// blocked: the user may work in another tool of the frame meanwhile, or close this one, which
// stops the run. Cancel becomes a stop request
// that the progress callback answers, so the logic ends after the current file. The result comes
// back once, on the window thread, after the dialog has gone and the controls are enabled again.
//
//   worker thread:  work(progress) ───────────────────────────▶ result
//                        │ (a few times a second)                 │
//   window thread:       ▼ progressed(file, count)                ▼ done(result)
//
// The logic gets copies of everything it needs: it touches no widget and calls no service that
// is not thread-safe; messages are shown by `done`, on the window thread.
#pragma once

#include "core/walk.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

class QProgressDialog;
class QTimer;
class QWidget;

namespace qb {

class BackgroundRun : public QObject {
    Q_OBJECT
public:
    explicit BackgroundRun(QWidget* window);
    // A run still going is asked to stop and waited for; its result is dropped.
    ~BackgroundRun() override;

    // Runs work(ProgressCallback) on a worker thread, then done(result) on the window thread
    // (inside the handler guard). One run at a time: the window's controls are disabled meanwhile.
    // Work that also takes a std::stop_token gets the Cancel button's stop request, for logic
    // that checks it on threads of its own.
    template <class Work, class Done>
    void start(Work work, Done done)
    {
        using Value = decltype(call(std::declval<Work&>(), ProgressCallback(), std::stop_token()));
        auto result = std::make_shared<std::optional<Value>>();
        begin(
            [work = std::move(work), result](ProgressCallback progress, std::stop_token stop) mutable {
                result->emplace(call(work, std::move(progress), std::move(stop)));
            },
            [done = std::move(done), result]() mutable { done(std::move(**result)); });
    }

    bool running() const { return running_; }
    // Asks the run to stop after the file it is handling; its result still comes.
    void stop();
    // Of the current or last run: the files its logic reported to the progress callback, and
    // how long it took in seconds.
    std::uint64_t files() const;
    double seconds() const;

    // How many runs are going in the whole program.
    static int active();
    // Called on the worker thread before each progress step (tests hold a run there).
    static void setProgressHook(std::function<void()> hook);

signals:
    // The file being handled and how many came before it, a few times a second at most.
    void progressed(const QString& current, quint64 count);

private:
    struct Shared;

    template <class Work>
    static auto call(Work& work, ProgressCallback progress, std::stop_token stop)
    {
        if constexpr (std::is_invocable_v<Work&, ProgressCallback, std::stop_token>)
            return work(std::move(progress), std::move(stop));
        else
            return work(std::move(progress));
    }

    void begin(std::function<void(ProgressCallback, std::stop_token)> work, std::function<void()> done);
    ProgressCallback progressCallback();
    void showProgress();
    void deliverProgress();
    void finish();
    void disableInputs();
    void enableInputs();

    QWidget* window_;
    std::unique_ptr<QProgressDialog> dialog_;
    QTimer* showTimer_;
    std::shared_ptr<Shared> shared_;
    std::function<void()> done_;
    std::jthread thread_;
    std::vector<QPointer<QWidget>> disabled_;  // the controls this run disabled
    QPointer<QWidget> focus_;                  // where the keyboard focus was when the run started
    QElapsedTimer elapsed_;
    double seconds_ = 0;
    bool running_ = false;
};

}  // namespace qb
