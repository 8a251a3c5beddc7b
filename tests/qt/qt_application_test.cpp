#include "qt/qt_application.h"
#include "qt/qt_termination_signals.h"

#include "event_loop.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <string>
#include <vector>

namespace halomark::qt {
namespace {

using testing::runEventsUntil;
using testing::runPendingEvents;

class RecordingDelegate final : public ApplicationDelegate
{
public:
    void applicationDidFinishLaunching() override
    {
        calls.push_back("didFinishLaunching");
        if (onLaunch) {
            onLaunch();
        }
    }
    void applicationWillTerminate() override
    {
        calls.push_back(loopRunning ? "willTerminate (loop running)"
                                    : "willTerminate (loop ended)");
    }

    std::vector<std::string> calls;
    std::function<void()> onLaunch;
    bool loopRunning = false;
};

TEST(QtApplication, TerminateTellsTheDelegateOnceAndThenEndsEveryRunningLoop)
{
    QtApplication application;
    auto delegate = std::make_shared<RecordingDelegate>();
    application.setDelegate(delegate);
    bool nestedLoopEnded = false;
    delegate->onLaunch = [&] {
        delegate->loopRunning = true;
        // Quit is chosen while a nested loop (a menu or a dialog) runs.
        QTimer::singleShot(0, [&] {
            application.terminate();
            application.terminate();
        });
        QEventLoop nested;
        nested.exec();
        nestedLoopEnded = true;
    };
    EXPECT_TRUE(delegate->calls.empty()) << "launching finishes on the loop, not before";

    EXPECT_EQ(application.run(), 0);
    delegate->loopRunning = false;
    EXPECT_TRUE(nestedLoopEnded);
    EXPECT_TRUE(application.isTerminated());
    EXPECT_EQ(delegate->calls,
              (std::vector<std::string>{"didFinishLaunching", "willTerminate (loop running)"}));

    // Once terminated, running again returns at once and tells nobody anything.
    EXPECT_EQ(application.run(), 0);
    EXPECT_EQ(delegate->calls.size(), 2u);
}

TEST(QtApplication, ALoopEndedFromElsewhereStillTellsTheDelegateOnce)
{
    QtApplication application;
    auto delegate = std::make_shared<RecordingDelegate>();
    application.setDelegate(delegate);
    delegate->onLaunch = [] { QTimer::singleShot(0, [] { QCoreApplication::quit(); }); };
    application.run();
    EXPECT_EQ(delegate->calls,
              (std::vector<std::string>{"didFinishLaunching", "willTerminate (loop ended)"}));
    application.terminate();
    EXPECT_EQ(delegate->calls.size(), 2u);
    // Asking again once the loop has ended leaves later loops alone.
    bool later = false;
    QTimer::singleShot(1, [&] { later = true; });
    EXPECT_TRUE(runEventsUntil([&] { return later; }));
}

// Whether the test's own handler saw a signal.
volatile std::sig_atomic_t testHandlerSaw = 0;
extern "C" void testHandler(int number)
{
    testHandlerSaw = number;
}

TEST(QtTerminationSignals, SignalsArriveOnTheLoopInOrderAndTheFormerHandlersComeBack)
{
    struct sigaction mine = {};
    mine.sa_handler = testHandler;
    sigemptyset(&mine.sa_mask);
    std::vector<std::pair<int, struct sigaction>> before;
    for (int number : QtTerminationSignals::handledSignals()) {
        struct sigaction old = {};
        ASSERT_EQ(::sigaction(number, &mine, &old), 0);
        before.emplace_back(number, old);
    }

    std::vector<int> received;
    {
        QtTerminationSignals watcher([&](int number) { received.push_back(number); });
        ASSERT_TRUE(watcher.isInstalled());
        // A second watcher cannot take the signals from the first.
        QtTerminationSignals other([&](int) { ADD_FAILURE() << "the second watcher heard"; });
        EXPECT_FALSE(other.isInstalled());

        std::raise(SIGTERM);
        EXPECT_TRUE(received.empty()) << "handled on the loop, never inside the signal handler";
        std::raise(SIGINT);
        std::raise(SIGHUP);
        ASSERT_TRUE(runEventsUntil([&] { return received.size() == 3; }));
        EXPECT_EQ(received, (std::vector<int>{SIGTERM, SIGINT, SIGHUP}));
        EXPECT_EQ(testHandlerSaw, 0);
    }

    std::raise(SIGTERM);
    EXPECT_EQ(testHandlerSaw, SIGTERM) << "the handler in place before is back";
    runPendingEvents();
    EXPECT_EQ(received.size(), 3u);

    // With the first watcher gone, a new one can watch.
    {
        QtTerminationSignals again([&](int number) { received.push_back(number); });
        EXPECT_TRUE(again.isInstalled());
        std::raise(SIGINT);
        ASSERT_TRUE(runEventsUntil([&] { return received.size() == 4; }));
        EXPECT_EQ(received.back(), SIGINT);
    }
    for (const auto& [number, old] : before) {
        ::sigaction(number, &old, nullptr);
    }
}

} // namespace
} // namespace halomark::qt
