// Runs off the window thread: the window keeps handling events while its logic runs, its controls
// are disabled, the progress dialog comes and Cancel stops the logic, and the result arrives once.
#include "ui/backgroundRun.h"

#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <limits>
#include <optional>
#include <thread>
#include <stdexcept>

#include "support/recorder.h"

namespace qb {
namespace {

class BackgroundRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.setGeometry(160, 120, 420, 300);
        button->setFocus();
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    // Logic that steps through `steps` files and answers how many it handled before it was told
    // to stop; with `endless` steps only a stop request ends it.
    static constexpr int endless = std::numeric_limits<int>::max();
    static int walk(const ProgressCallback& progress, int steps)
    {
        for (int i = 0; i < steps; ++i)
            if (!progress("/tree/file" + std::to_string(i), static_cast<std::uint64_t>(i)))
                return i;
        return steps;
    }

    test::MessageRecorder recorder;
    QWidget window;
    QPushButton* button = new QPushButton("Go", &window);
    QLineEdit* input = new QLineEdit(&window);
    BackgroundRun* run = new BackgroundRun(&window);
};

// While the logic is held on its thread, the window repaints and its controls are disabled; the
// progress dialog appears titled "Quillbox" and centred on the window; Cancel reaches the logic,
// which stops, and the result comes once with the controls enabled and the focus back.
TEST_F(BackgroundRunTest, WindowStaysResponsiveAndCancelStopsTheLogic)
{
    std::vector<int> results;
    bool clearedBeforeResult = false;  // messages about the result never sit behind a dead dialog
    {
        test::RunGate gate;
        run->start([](ProgressCallback progress) { return walk(progress, endless); }, [&](int handled) {
            results.push_back(handled);
            clearedBeforeResult = !window.findChild<QProgressDialog*>() && button->isEnabled();
        });
        while (!gate.reached())
            QCoreApplication::processEvents();
        EXPECT_TRUE(run->running());
        EXPECT_FALSE(button->isEnabled());
        EXPECT_FALSE(input->isEnabled());
        QProgressDialog* dialog = nullptr;
        while (!(dialog = window.findChild<QProgressDialog*>()) || !dialog->isVisible())
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        EXPECT_EQ(dialog->windowTitle(), "Quillbox");
        const QPoint offset = dialog->frameGeometry().center() - window.frameGeometry().center();
        EXPECT_LE(offset.manhattanLength(), 2) << offset.x() << "," << offset.y();
        EXPECT_TRUE(results.empty());
        QTest::mouseClick(dialog->findChild<QPushButton*>(), Qt::LeftButton);
    }
    ASSERT_EQ(results.size(), 1u);
    EXPECT_LT(results[0], endless);
    EXPECT_TRUE(clearedBeforeResult);
    EXPECT_FALSE(run->running());
    EXPECT_TRUE(button->isEnabled() && input->isEnabled());
    EXPECT_EQ(window.focusWidget(), button);
    EXPECT_TRUE(recorder.messages.isEmpty());
}

// Cancel also reaches logic that takes the stop token and is busy between progress steps (a
// scan's workers inside a long file): it waits for nothing but the token.
TEST_F(BackgroundRunTest, CancelReachesLogicThroughItsStopToken)
{
    std::optional<bool> heard;
    run->start(
        [](ProgressCallback progress, std::stop_token stop) {
            progress("/tree/long", 0);
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
            while (!stop.stop_requested() && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return stop.stop_requested();
        },
        [&](bool stopped) { heard = stopped; });
    QProgressDialog* dialog = nullptr;
    while (!(dialog = window.findChild<QProgressDialog*>()) || !dialog->isVisible())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    QTest::mouseClick(dialog->findChild<QPushButton*>(), Qt::LeftButton);
    test::waitForRuns();
    EXPECT_EQ(heard, true);
}

// A control that was disabled before the run stays disabled after it; what escapes the logic
// becomes one message on the window thread, and the window is usable again.
TEST_F(BackgroundRunTest, EscapedErrorIsOneMessageAndControlsComeBackAsTheyWere)
{
    input->setEnabled(false);
    bool done = false;
    run->start([](ProgressCallback) -> int { throw std::runtime_error("disk on fire"); }, [&](int) { done = true; });
    test::waitForRuns();
    EXPECT_FALSE(done);
    EXPECT_EQ(recorder.messages, QStringList{"Unexpected error: disk on fire"});
    EXPECT_TRUE(button->isEnabled());
    EXPECT_FALSE(input->isEnabled());

    run->start([](ProgressCallback progress) { return walk(progress, 3); }, [&](int handled) { done = handled == 3; });
    test::waitForRuns();
    EXPECT_TRUE(done);
    EXPECT_EQ(run->files(), 3u);
}

// A window closed while its run is going: the run is stopped and waited for, and its result,
// which has no window left to go to, is dropped.
TEST_F(BackgroundRunTest, WindowClosedDuringARunStopsIt)
{
    std::atomic<bool> ended = false;
    bool done = false;
    auto* closing = new QWidget;
    auto* closingRun = new BackgroundRun(closing);
    closingRun->start(
        [&](ProgressCallback progress) {
            walk(progress, endless);
            ended = true;
            return 0;
        },
        [&](int) { done = true; });
    delete closing;
    QCoreApplication::processEvents();
    EXPECT_TRUE(ended);
    EXPECT_FALSE(done);
    EXPECT_EQ(BackgroundRun::active(), 0);
}

}  // namespace
}  // namespace qb
