#include "focus/focus_cue_monitor.h"
#include "focus_test_desktop.h"
#include "locator/command_key_monitor.h"
#include "sim/sim_input_state.h"
#include "sim/sim_main_loop.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace halomark {
namespace {

using namespace focus_test;

constexpr Rect editorFrame{100, 100, 700, 500};
constexpr Rect browserFrame{600, 200, 700, 500};

class FocusCueMonitorTest : public ::testing::Test
{
protected:
    // One report: a target shown, or nothing for a withdrawal.
    struct Report
    {
        double time = 0;
        std::optional<FocusCueTarget> target;
    };

    void SetUp() override
    {
        desktop.open(editorPid, 21, editorFrame);
        desktop.open(browserPid, 31, browserFrame);
        desktop.activate(editorPid, 21);
        monitor = std::make_shared<FocusCueMonitor>(loop, input, desktop.ports());
        monitor->onFocusCue = [this](const FocusCueEvent& event) {
            reports.push_back({loop.now(), event.target});
        };
        monitor->onFocusCueUnavailable = [this] { reports.push_back({loop.now(), std::nullopt}); };
    }

    static FocusCueTarget editorAt(const Rect& frame) { return {editorPid, "cg:21", 21, frame}; }
    static FocusCueTarget browser() { return {browserPid, "cg:31", 31, browserFrame}; }

    // Exactly one timer tick per interval, whatever the phase of the clock.
    void tick(int count = 1)
    {
        for (int i = 0; i < count; ++i) {
            loop.advance(FocusCueMonitor::pollInterval);
        }
    }

    int resolutions() const { return desktop.windows.listCopyCount(); }

    // Ticks until a pass resolves the active window and gives the time of that pass.
    double nextResolution()
    {
        const int before = resolutions();
        for (int i = 0; i < 10 && resolutions() == before; ++i) {
            tick();
        }
        EXPECT_GT(resolutions(), before);
        return loop.now();
    }

    // Milliseconds at which passes resolved during the next given seconds, in 1 ms steps.
    std::vector<long> resolutionTimesMs(double seconds)
    {
        std::vector<long> times;
        for (int step = 0; step < std::lround(seconds * 1000); ++step) {
            const int before = resolutions();
            loop.advance(0.001);
            if (resolutions() > before) {
                times.push_back(std::lround(loop.now() * 1000));
            }
        }
        return times;
    }

    void startAndSettle()
    {
        monitor->start();
        tick(6);
        reports.clear();
    }

    sim::SimMainLoop loop;
    sim::SimInputState input;
    TestDesktop desktop;
    std::shared_ptr<FocusCueMonitor> monitor;
    std::vector<Report> reports;
};

TEST_F(FocusCueMonitorTest, StartReportsAtOnceThenANewWindowAfterTwoAgreeingSamples)
{
    monitor->start();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].target, editorAt(editorFrame));
    EXPECT_EQ(reports[0].time, 0);
    EXPECT_EQ(resolutions(), 1);

    // With nothing changing, 20 resolutions a second and no report.
    tick(60);
    EXPECT_EQ(resolutions(), 21);
    EXPECT_EQ(reports.size(), 1u);

    // Another application comes to the front without a click.
    desktop.activate(browserPid, 31);
    nextResolution();
    EXPECT_EQ(reports.size(), 1u);
    EXPECT_EQ(monitor->currentState().pendingTargetSampleCount, 1);
    const double second = nextResolution();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[1].target, browser());
    EXPECT_EQ(reports[1].time, second);
    EXPECT_EQ(monitor->currentState().pendingTarget, std::nullopt);
}

TEST_F(FocusCueMonitorTest, AClickOnAnotherApplicationsWindowIsReportedOnTheFirstPassWithTheButton)
{
    startAndSettle();
    // The press activates the browser between two ticks.
    input.movePointer({900, 400});
    input.pressButton(0);
    desktop.activate(browserPid, 31);
    const double pressed = loop.now();
    tick();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].target, browser());
    EXPECT_LE(reports[0].time - pressed, FocusCueMonitor::pollInterval + 1e-9);
    EXPECT_EQ(monitor->currentState().liveTrackingWindowNumber, 31u);

    // Held on the window: followed directly, nothing more reported, nothing resolved.
    const int resolved = resolutions();
    tick(20);
    EXPECT_EQ(resolutions(), resolved);
    input.releaseButton(0);
    tick(20);
    EXPECT_EQ(reports.size(), 1u);
    EXPECT_EQ(monitor->currentState().liveTrackingWindowNumber, std::nullopt);

    // A held right button reports on every pass, changed or not.
    input.pressButton(1);
    tick(3);
    EXPECT_EQ(reports.size(), 4u);
    EXPECT_EQ(reports[3].target, browser());
}

TEST_F(FocusCueMonitorTest, CommandTabIsSampledOnlyAfterTheReleaseOfCommand)
{
    auto keys = std::make_shared<CommandKeyMonitor>(loop, input);
    keys->setSelectionShortcut(RangeSelectionShortcut::disabled);
    std::weak_ptr<FocusCueMonitor> weak = monitor;
    double releaseHandled = -1;
    keys->onFocusSwitchShortcutReleased = [&, weak] {
        loop.post([&, weak] {
            releaseHandled = loop.now();
            if (auto focus = weak.lock()) {
                focus->handleFocusSwitchShortcutReleased();
            }
        });
    };
    keys->start();
    startAndSettle();

    input.pressKey(key_codes::leftCommand);
    tick(2);
    input.pressKey(key_codes::tab);
    tick(3);
    input.releaseKey(key_codes::tab);
    // The switcher shows; the previewed application is not active yet.
    const int resolved = resolutions();
    tick(30);
    EXPECT_EQ(resolutions(), resolved);
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(monitor->currentState().currentTarget, editorAt(editorFrame));

    desktop.activate(browserPid, 31);
    input.releaseKey(key_codes::leftCommand);
    tick(6);
    ASSERT_GT(releaseHandled, 0);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].target, browser());
    EXPECT_GT(reports[0].time, releaseHandled + 0.01);
    EXPECT_LE(reports[0].time, releaseHandled + 0.04 + 1e-9);
}

TEST_F(FocusCueMonitorTest, TheFocusSwitchBurstRunsFivePassesAndLapsesOnANewGeneration)
{
    // Without the timer, only the burst resolves.
    monitor->handleFocusSwitchShortcutReleased();
    EXPECT_EQ(resolutionTimesMs(0.5), (std::vector<long>{10, 40, 80, 140, 220}));

    // A second release 0.1 s after the first: the first's last two passes do nothing.
    const double base = loop.now();
    monitor->handleFocusSwitchShortcutReleased();
    loop.advance(0.1);
    monitor->handleFocusSwitchShortcutReleased();
    std::vector<long> times;
    for (long t : resolutionTimesMs(0.5)) {
        times.push_back(t - std::lround(base * 1000));
    }
    EXPECT_EQ(times, (std::vector<long>{110, 140, 180, 240, 320}));
    EXPECT_EQ(resolutions(), 5 + 3 + 5);

    // stop() in between: none of the passes samples.
    monitor->handleFocusSwitchShortcutReleased();
    loop.advance(0.005);
    monitor->stop();
    EXPECT_TRUE(resolutionTimesMs(0.5).empty());

    // A released monitor: none either.
    monitor->handleFocusSwitchShortcutReleased();
    monitor.reset();
    EXPECT_TRUE(resolutionTimesMs(0.5).empty());
}

TEST_F(FocusCueMonitorTest, ABurstClearsPendingStateButKeepsTheConfirmedTarget)
{
    startAndSettle();
    desktop.activate(browserPid, 31);
    nextResolution();
    ASSERT_TRUE(monitor->currentState().pendingTarget);
    monitor->handleFocusSwitchShortcutReleased();
    EXPECT_EQ(monitor->currentState().pendingTarget, std::nullopt);
    EXPECT_EQ(monitor->currentState().currentTarget, editorAt(editorFrame));
    EXPECT_EQ(monitor->currentState().keyboardRefreshGeneration, 1);
}

TEST_F(FocusCueMonitorTest, ATitleBarDragWithdrawsOnceAndReturnsAtTheNewFrameAfterRelease)
{
    startAndSettle();
    input.movePointer({400, 590});
    input.pressButton(0);
    tick();
    ASSERT_EQ(monitor->currentState().liveTrackingWindowNumber, 21u);
    tick(3);

    Rect frame = editorFrame;
    for (int step = 1; step <= 12; ++step) {
        frame = {editorFrame.minX() + 5 * step, editorFrame.minY() - 3 * step, 700, 500};
        desktop.move(21, frame);
        tick();
    }
    EXPECT_TRUE(monitor->currentState().windowManipulationSuspended);
    // Dragged back near its start, it stays withdrawn and keeps its reference frame.
    desktop.move(21, {100.2, 100, 700, 500});
    tick(2);
    EXPECT_TRUE(monitor->currentState().windowManipulationSuspended);
    EXPECT_EQ(monitor->currentState().currentTarget, editorAt(editorFrame));
    desktop.move(21, frame);
    tick();

    input.releaseButton(0);
    const int before = resolutions();
    tick();
    const double released = loop.now();
    EXPECT_EQ(resolutions(), before + 1); // the release pass resolves at once
    const double back = nextResolution();

    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[0].target, editorAt(editorFrame)); // the press
    EXPECT_EQ(reports[1].target, std::nullopt);          // withdrawn once
    EXPECT_EQ(reports[2].target, editorAt(frame));
    EXPECT_EQ(reports[2].time, back);
    EXPECT_NEAR(back - released, 0.05, 1e-6);
}

TEST_F(FocusCueMonitorTest, ADragAlreadyUnderWayAtTheFirstPassWithdrawsWithoutReporting)
{
    startAndSettle();
    // Pressed and moved between two ticks: the first pass sees the window elsewhere.
    input.movePointer({400, 590});
    input.pressButton(0);
    const Rect moved{160, 60, 700, 500};
    desktop.move(21, moved);
    tick();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].target, std::nullopt);
    EXPECT_EQ(monitor->currentState().liveTrackingWindowNumber, std::nullopt);
    const int resolved = resolutions();
    tick(10); // withdrawn while the button stays down: nothing resolves
    EXPECT_EQ(resolutions(), resolved);

    input.releaseButton(0);
    tick();
    nextResolution();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[1].target, editorAt(moved));
}

TEST_F(FocusCueMonitorTest, AWindowThatJittersByAQuarterPointIsNotMoved)
{
    startAndSettle();
    const Rect jittered{100.25, 99.75, 700.25, 499.75};
    desktop.move(21, jittered);
    tick(30);
    EXPECT_TRUE(reports.empty());
    EXPECT_FALSE(monitor->currentState().windowManipulationSuspended);

    // A move without a button (from the keyboard) withdraws until the window settles back.
    desktop.move(21, {100.51, 99.75, 700.25, 499.75});
    tick(30);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].target, std::nullopt);
    desktop.move(21, {100.5, 99.75, 700.25, 499.75});
    const double back = nextResolution();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[1].target, editorAt({100.5, 99.75, 700.25, 499.75}));
    EXPECT_EQ(reports[1].time, back);
}

TEST_F(FocusCueMonitorTest, TheFourthMissingSampleWithdrawsAndThreeDoNot)
{
    startAndSettle();
    // The editor stays frontmost while its only window is hidden.
    auto hide = [&](bool hidden) {
        desktop.windows.window(21)->isOnscreen = !hidden;
        if (hidden) {
            desktop.accessibility.clearFocusedWindow(editorPid);
        } else {
            desktop.accessibility.focusWindow(editorPid, 21);
        }
    };
    hide(true);
    for (int i = 0; i < 3; ++i) {
        nextResolution();
    }
    EXPECT_EQ(monitor->currentState().unavailableSampleCount, 3);
    hide(false);
    nextResolution();
    EXPECT_EQ(monitor->currentState().unavailableSampleCount, 0);
    EXPECT_TRUE(reports.empty());

    hide(true);
    const double first = nextResolution();
    nextResolution();
    nextResolution();
    EXPECT_TRUE(reports.empty());
    const double fourth = nextResolution();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].target, std::nullopt);
    EXPECT_EQ(reports[0].time, fourth);
    EXPECT_NEAR(fourth - first, 0.15, 1e-6);
    tick(30);
    EXPECT_EQ(reports.size(), 1u);

    // With a button held the first missing sample withdraws.
    hide(false);
    monitor->refreshNow();
    input.pressButton(2);
    hide(true);
    tick();
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[2].target, std::nullopt);
}

TEST_F(FocusCueMonitorTest, TheApplicationItselfFrontmostWithdrawsOnceAndResolvesNothing)
{
    startAndSettle();
    desktop.open(ownPid, 1, {300, 300, 400, 300});
    desktop.activate(ownPid, 1);
    const int resolved = resolutions();
    tick(60);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].target, std::nullopt);
    EXPECT_EQ(resolutions(), resolved);

    desktop.activate(editorPid, 21);
    nextResolution();
    nextResolution();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[1].target, editorAt(editorFrame));
}

TEST_F(FocusCueMonitorTest, APressWithinTwelvePointsOutsideTheWindowStartsLiveTracking)
{
    startAndSettle();
    auto pressAt = [&](Point point) {
        input.movePointer(point);
        input.pressButton(0);
        tick();
        const auto tracked = monitor->currentState().liveTrackingWindowNumber;
        input.releaseButton(0);
        tick(3);
        return tracked.has_value();
    };
    EXPECT_TRUE(pressAt({88, 300}));    // 12 left of the left edge
    EXPECT_FALSE(pressAt({87.9, 300})); // farther
    EXPECT_TRUE(pressAt({811.9, 300})); // right edge 800: the grown edge itself is out
    EXPECT_FALSE(pressAt({812, 300}));
    EXPECT_TRUE(pressAt({400, 611.9})); // above the top edge 600
    EXPECT_FALSE(pressAt({400, 87.9})); // below the bottom edge 100
    // Every press on the active window reported it, tracked or not.
    EXPECT_EQ(reports.size(), 6u);

    // While tracked, the window is read by number and the list is not copied.
    input.movePointer({400, 300});
    input.pressButton(0);
    tick();
    const int resolved = resolutions();
    const int described = desktop.windows.descriptionCount();
    tick(5);
    EXPECT_EQ(resolutions(), resolved);
    EXPECT_EQ(desktop.windows.descriptionCount(), described + 5);
}

TEST_F(FocusCueMonitorTest, APassWithoutResolutionStaysWithinSixInputQueries)
{
    monitor->start();
    int unresolved = 0;
    for (int i = 0; i < 30; ++i) {
        const int before = resolutions();
        input.resetQueryCount();
        tick();
        if (resolutions() == before) {
            ++unresolved;
            EXPECT_EQ(input.queryCount(), 6); // two keys, three buttons, the left button
        }
    }
    EXPECT_EQ(unresolved, 20);

    input.pressKey(key_codes::rightCommand);
    input.resetQueryCount();
    tick();
    EXPECT_EQ(input.queryCount(), 2);
}

TEST_F(FocusCueMonitorTest, StartStopAndRefreshFollowTheirLifecycle)
{
    // Nothing to show: refreshNow withdraws even though nothing was shown.
    desktop.workspace.activate(std::nullopt);
    monitor->refreshNow();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].target, std::nullopt);

    desktop.activate(editorPid, 21);
    monitor->start();
    monitor->start(); // while running: only an evaluation
    EXPECT_EQ(reports.size(), 3u);
    EXPECT_EQ(loop.activeTimerCount(), 1);

    desktop.activate(browserPid, 31);
    nextResolution();
    const auto generation = monitor->currentState().keyboardRefreshGeneration;
    monitor->stop();
    EXPECT_EQ(reports.size(), 3u); // no callback on stop
    EXPECT_FALSE(monitor->isRunning());
    EXPECT_EQ(loop.activeTimerCount(), 0);
    EXPECT_EQ(monitor->currentState().currentTarget, std::nullopt);
    EXPECT_EQ(monitor->currentState().pendingTarget, std::nullopt);
    EXPECT_EQ(monitor->currentState().keyboardRefreshGeneration, generation + 1);
    const int resolved = resolutions();
    tick(30);
    EXPECT_EQ(resolutions(), resolved);

    monitor->start();
    ASSERT_EQ(reports.size(), 4u);
    EXPECT_EQ(reports[3].target, browser());

    // A released monitor stops quietly: its timer queries nothing.
    monitor.reset();
    input.resetQueryCount();
    tick(30);
    EXPECT_EQ(input.queryCount(), 0);
    EXPECT_EQ(reports.size(), 4u);
}

} // namespace
} // namespace halomark
