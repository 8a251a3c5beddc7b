#include "focus/focus_cue_monitor.h"
#include "focus_test_desktop.h"
#include "sim/sim_input_state.h"
#include "sim/sim_main_loop.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace halomark {
namespace {

using namespace focus_test;
using Reports = std::vector<std::optional<FocusCueTarget>>; // a target shown, or a withdrawal

constexpr Rect editorFrame{100, 100, 700, 500};
constexpr Rect browserFrame{600, 200, 700, 500};
constexpr Point editorTitleBar{400, 590}; // clear of the browser's window
const std::optional<FocusCueTarget> withdrawn;
const FocusCueTarget browser{browserPid, "cg:31", 31, browserFrame};

FocusCueTarget editorAt(const Rect& frame)
{
    return {editorPid, "cg:21", 21, frame};
}

class FocusCueMonitorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        desktop.open(editorPid, 21, editorFrame);
        desktop.open(browserPid, 31, browserFrame);
        desktop.activate(editorPid, 21);
        monitor = std::make_shared<FocusCueMonitor>(loop, input, desktop.ports());
        monitor->onFocusCue = [this](const FocusCueEvent& e) { record(e.target); };
        monitor->onFocusCueUnavailable = [this] { record(std::nullopt); };
    }

    void record(std::optional<FocusCueTarget> target)
    {
        reports.push_back(std::move(target));
        times.push_back(loop.now());
    }

    const FocusCueMonitor::State& state() const { return monitor->currentState(); }
    int resolutions() const { return desktop.windows.listCopyCount(); }
    void tick(int count = 1) // exactly one timer tick each, whatever the phase of the clock
    {
        for (int i = 0; i < count; ++i) {
            loop.advance(FocusCueMonitor::pollInterval);
        }
    }

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

    // Milliseconds (from `base`) at which passes resolved during the next half second.
    std::vector<long> resolutionTimesMs(double base)
    {
        std::vector<long> result;
        for (int step = 0; step < 500; ++step) {
            const int before = resolutions();
            loop.advance(0.001);
            if (resolutions() > before) {
                result.push_back(std::lround((loop.now() - base) * 1000));
            }
        }
        return result;
    }

    void startAndSettle()
    {
        monitor->start();
        tick(6);
        reports.clear();
        times.clear();
    }

    void press(Point pointer, MouseButton button = 0)
    {
        input.movePointer(pointer);
        input.pressButton(button);
        tick();
    }

    sim::SimMainLoop loop;
    sim::SimInputState input;
    TestDesktop desktop;
    std::shared_ptr<FocusCueMonitor> monitor;
    Reports reports;
    std::vector<double> times;
};

TEST_F(FocusCueMonitorTest, LifecycleThinningAndTwoAgreeingSamplesForANewWindow)
{
    // Nothing to show: refreshNow withdraws even though nothing was shown.
    desktop.workspace.activate(std::nullopt);
    monitor->refreshNow();
    desktop.activate(editorPid, 21);
    monitor->start();
    monitor->start(); // while running: only an evaluation
    EXPECT_EQ(reports, (Reports{withdrawn, editorAt(editorFrame), editorAt(editorFrame)}));
    EXPECT_EQ(loop.activeTimerCount(), 1);

    // Idle: 20 resolutions a second, each other pass within six input queries (two keys,
    // three buttons, the left button), nothing reported.
    int unresolved = 0;
    for (int i = 0; i < 60; ++i) {
        const int before = resolutions();
        input.resetQueryCount();
        tick();
        unresolved += resolutions() == before && input.queryCount() == 6 ? 1 : 0;
    }
    EXPECT_EQ(std::tuple(unresolved, resolutions(), reports.size()), std::tuple(40, 22, 3u));

    // Another application in front without a click: reported at the second agreeing sample.
    desktop.activate(browserPid, 31);
    nextResolution();
    const double second = nextResolution();
    EXPECT_EQ(std::tuple(reports.back(), times.back(), state().pendingTarget),
              std::tuple(std::optional(browser), second, withdrawn));

    desktop.activate(editorPid, 21);
    nextResolution();
    monitor->stop(); // no callback; every state back to its start but the generation
    EXPECT_EQ(std::tuple(reports.size(), loop.activeTimerCount(), state().currentTarget,
                         state().pendingTarget, state().keyboardRefreshGeneration),
              std::tuple(4u, 0, withdrawn, withdrawn, 1));
    const int resolved = resolutions();
    tick(30);
    EXPECT_EQ(resolutions(), resolved);
    monitor->start(); // a released monitor's timer is the shell's scenario
    EXPECT_EQ(reports.back(), editorAt(editorFrame));
}

TEST_F(FocusCueMonitorTest, CommandHeldSamplesNothingAndItsReleaseBringsABurstOfFivePasses)
{
    startAndSettle();
    desktop.activate(browserPid, 31);
    nextResolution();
    ASSERT_TRUE(state().pendingTarget);
    // The switcher shows while Command is held: two key queries a pass, nothing resolved.
    input.pressKey(key_codes::leftCommand);
    input.resetQueryCount();
    const int resolved = resolutions();
    tick(30);
    EXPECT_EQ(std::tuple(input.queryCount(), resolutions()), std::tuple(60, resolved));
    EXPECT_EQ(std::tuple(state().currentTarget, state().pendingTarget),
              std::tuple(std::optional(editorAt(editorFrame)), withdrawn));
    input.releaseKey(key_codes::leftCommand);
    monitor->handleFocusSwitchShortcutReleased(); // keeps what is confirmed
    EXPECT_EQ(state().currentTarget, editorAt(editorFrame));

    // Without the timer only the burst resolves; its second pass confirms the new window.
    monitor->stop();
    const double released = loop.now();
    monitor->handleFocusSwitchShortcutReleased();
    EXPECT_EQ(resolutionTimesMs(released), (std::vector<long>{10, 40, 80, 140, 220}));
    EXPECT_EQ(reports, Reports{browser});
    EXPECT_NEAR(times[0] - released, 0.04, 1e-9);

    // A second release 0.1 s after the first: the first's last two passes do nothing.
    const double base = loop.now();
    monitor->handleFocusSwitchShortcutReleased();
    loop.advance(0.1);
    monitor->handleFocusSwitchShortcutReleased();
    EXPECT_EQ(resolutionTimesMs(base), (std::vector<long>{110, 140, 180, 240, 320}));
    EXPECT_EQ(resolutions(), resolved + 13);

    // stop() in between, or a released monitor: none of the passes samples.
    monitor->handleFocusSwitchShortcutReleased();
    loop.advance(0.005);
    monitor->stop();
    EXPECT_TRUE(resolutionTimesMs(0).empty());
    monitor->handleFocusSwitchShortcutReleased();
    monitor.reset();
    EXPECT_TRUE(resolutionTimesMs(0).empty());
}

TEST_F(FocusCueMonitorTest, AClickIsReportedAtOnceAPressNearTheWindowFollowsItARightPressNot)
{
    startAndSettle();
    input.movePointer({900, 400});
    input.pressButton(0);
    desktop.activate(browserPid, 31); // the press activates the browser between two ticks
    tick();
    EXPECT_EQ(std::tuple(reports, state().liveTrackingWindowNumber),
              std::tuple(Reports{browser}, std::optional(31u)));
    const int resolved = resolutions();
    const int described = desktop.windows.descriptionCount();
    tick(5);
    EXPECT_EQ(std::tuple(resolutions(), desktop.windows.descriptionCount()),
              std::tuple(resolved, described + 5));
    input.releaseButton(0);
    tick(20);
    EXPECT_EQ(std::tuple(reports.size(), state().liveTrackingWindowNumber),
              std::tuple(1u, std::optional<WindowNumber>{}));

    // Within 12 points outside the editor's edges (its frame grown, upper edges out).
    desktop.activate(editorPid, 21);
    for (const auto& [pointer, tracked] :
         std::vector<std::pair<Point, bool>>{{{88, 300}, true},
                                             {{87.9, 300}, false},
                                             {{811.9, 300}, true},
                                             {{812, 300}, false},
                                             {{400, 611.9}, true},
                                             {{400, 87.9}, false}}) {
        press(pointer);
        EXPECT_EQ(state().liveTrackingWindowNumber.has_value(), tracked) << pointer.x << pointer.y;
        EXPECT_EQ(reports.back(), editorAt(editorFrame)); // reported, tracked or not
        input.releaseButton(0);
        tick(3);
    }

    // A right-button drag: every pass resolves and reports, moved or not, nothing withdrawn
    // and nothing followed.
    reports.clear();
    press(editorTitleBar, 1);
    EXPECT_EQ(state().liveTrackingWindowNumber, std::nullopt);
    const Rect moved{130, 80, 700, 500};
    desktop.move(21, moved);
    tick(2);
    EXPECT_EQ(reports, (Reports{editorAt(editorFrame), editorAt(moved), editorAt(moved)}));
    EXPECT_EQ(std::tuple(state().windowManipulationSuspended, state().liveTrackingWindowNumber),
              std::tuple(false, std::optional<WindowNumber>{}));
}

TEST_F(FocusCueMonitorTest, ATitleBarDragWithdrawsOnceAndReturnsAtTheNewFrameAfterRelease)
{
    startAndSettle();
    press(editorTitleBar);
    tick(3);
    ASSERT_EQ(state().liveTrackingWindowNumber, 21u);
    Rect frame = editorFrame;
    for (int step = 1; step <= 12; ++step) {
        frame = {editorFrame.minX() + 5 * step, editorFrame.minY() - 3 * step, 700, 500};
        desktop.move(21, frame);
        tick();
    }
    // Dragged back near its start, it stays withdrawn and keeps its reference frame.
    desktop.move(21, {100.2, 100, 700, 500});
    tick(2);
    EXPECT_EQ(std::tuple(state().windowManipulationSuspended, state().currentTarget),
              std::tuple(true, std::optional(editorAt(editorFrame))));
    desktop.move(21, frame);
    tick();
    input.releaseButton(0);
    const int before = resolutions();
    tick();
    const double released = loop.now();
    EXPECT_EQ(resolutions(), before + 1); // the release pass resolves at once
    const double back = nextResolution();
    EXPECT_EQ(reports, (Reports{editorAt(editorFrame), withdrawn, editorAt(frame)}));
    EXPECT_NEAR(times[2] - released, 0.05, 1e-6);
    EXPECT_EQ(times[2], back);

    // Pressed and moved between two ticks: the first pass withdraws without reporting, and
    // nothing resolves while the button stays down.
    reports.clear();
    input.pressButton(0);
    const Rect moved{160, 60, 700, 500};
    desktop.move(21, moved);
    tick();
    EXPECT_EQ(std::tuple(reports, state().liveTrackingWindowNumber),
              std::tuple(Reports{withdrawn}, std::optional<WindowNumber>{}));
    const int resolved = resolutions();
    tick(10);
    EXPECT_EQ(resolutions(), resolved);
    input.releaseButton(0);
    tick();
    nextResolution();
    EXPECT_EQ(reports, (Reports{withdrawn, editorAt(moved)}));
}

TEST_F(FocusCueMonitorTest, LiveTrackingEndsWhenTheTrackedWindowClosesOrItsOwnerLosesTheFront)
{
    startAndSettle();
    press(editorTitleBar);
    ASSERT_EQ(state().liveTrackingProcessIdentifier, editorPid);
    // Another application comes to the front mid-press: reported on that pass, no longer
    // followed, and every pass resolves again.
    desktop.activate(browserPid, 31);
    tick();
    EXPECT_EQ(reports, (Reports{editorAt(editorFrame), browser}));
    EXPECT_EQ(std::tuple(state().liveTrackingWindowNumber, state().liveTrackingProcessIdentifier),
              std::tuple(std::optional<WindowNumber>{}, std::optional<ProcessIdentifier>{}));
    const int resolved = resolutions();
    tick(3);
    EXPECT_EQ(resolutions(), resolved + 3);
    input.releaseButton(0);
    tick(3);

    // The tracked window closes mid-press while its application stays in front.
    desktop.activate(editorPid, 21);
    monitor->refreshNow();
    reports.clear();
    press(editorTitleBar);
    ASSERT_EQ(state().liveTrackingWindowNumber, 21u);
    desktop.windows.removeWindow(21);
    tick(2);
    EXPECT_EQ(std::tuple(reports, state().liveTrackingWindowNumber),
              std::tuple(Reports{editorAt(editorFrame), withdrawn}, std::optional<WindowNumber>{}));
}

TEST_F(FocusCueMonitorTest, AQuarterPointIsNoMoveAKeyboardMoveWithdrawsAndItselfShowsNothing)
{
    startAndSettle();
    desktop.move(21, {100.25, 99.75, 700.25, 499.75});
    tick(30);
    desktop.move(21, {100.51, 99.75, 700.25, 499.75});
    tick(30);
    EXPECT_EQ(reports, Reports{withdrawn});
    const Rect settled{100.5, 99.75, 700.25, 499.75};
    desktop.move(21, settled);
    const double back = nextResolution();
    EXPECT_EQ(reports, (Reports{withdrawn, editorAt(settled)}));
    EXPECT_EQ(times[1], back);

    // The application itself in front: withdrawn once, and nothing resolved meanwhile.
    desktop.open(ownPid, 1, {300, 300, 400, 300});
    desktop.activate(ownPid, 1);
    const int resolved = resolutions();
    tick(60);
    EXPECT_EQ(resolutions(), resolved);
    desktop.activate(editorPid, 21);
    nextResolution();
    nextResolution();
    EXPECT_EQ(reports, (Reports{withdrawn, editorAt(settled), withdrawn, editorAt(settled)}));

    // Where buttons cannot be read no release would ever bring it back: the moved window is
    // confirmed again once its new frame agrees on two resolving passes.
    input.setReadsKeysAndButtons(false);
    reports.clear();
    times.clear();
    const Rect moved{900, 99.75, 700.25, 499.75};
    desktop.move(21, moved);
    nextResolution();
    EXPECT_EQ(reports, Reports{withdrawn});
    const double confirmed = nextResolution();
    ASSERT_EQ(reports, (Reports{withdrawn, editorAt(moved)}));
    EXPECT_EQ(times[1], confirmed);
}

TEST_F(FocusCueMonitorTest, TheFourthMissingSampleWithdrawsButWithAButtonHeldTheSecond)
{
    startAndSettle();
    // The editor stays frontmost while its only window is hidden.
    auto hide = [&](bool hidden) {
        desktop.windows.window(21)->isOnscreen = !hidden;
        hidden ? desktop.accessibility.clearFocusedWindow(editorPid)
               : desktop.accessibility.focusWindow(editorPid, 21);
    };
    hide(true);
    std::vector<double> missing;
    for (int i = 0; i < 3; ++i) {
        nextResolution();
    }
    hide(false);
    nextResolution(); // three missing and then a target: nothing, and the count starts again
    EXPECT_EQ(state().unavailableSampleCount, 0);
    hide(true);
    for (int i = 0; i < 4; ++i) {
        missing.push_back(nextResolution());
        EXPECT_EQ(reports.size(), i < 3 ? 0u : 1u);
    }
    EXPECT_EQ(reports, Reports{withdrawn});
    EXPECT_EQ(times[0], missing[3]);
    EXPECT_NEAR(missing[3] - missing[0], 0.15, 1e-6);
    tick(30);
    EXPECT_EQ(reports.size(), 1u);

    hide(false);
    monitor->refreshNow();
    input.pressButton(2);
    // A click passes through no active window for one pass: nothing is withdrawn, and the
    // next pass reports the window again. Two passes in a row without a target withdraw.
    desktop.workspace.activate(std::nullopt);
    tick();
    desktop.activate(editorPid, 21);
    tick();
    const Reports shown{withdrawn, editorAt(editorFrame), editorAt(editorFrame)};
    EXPECT_EQ(reports, shown);
    hide(true);
    tick();
    EXPECT_EQ(reports, shown);
    tick();
    EXPECT_EQ(reports,
              (Reports{withdrawn, editorAt(editorFrame), editorAt(editorFrame), withdrawn}));
}

} // namespace
} // namespace halomark
