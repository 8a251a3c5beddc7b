#include "locator/command_key_monitor.h"
#include "sim/sim_input_state.h"
#include "sim/sim_main_loop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace halomark {
namespace {

namespace k = key_codes;
namespace f = event_flags;

class CommandKeyMonitorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        monitor = std::make_shared<CommandKeyMonitor>(loop, input);
        monitor->onCommandKeyTap = [this] { events.push_back("tap"); };
        monitor->onSelectionShortcutPressed = [this] { events.push_back("pressed"); };
        monitor->onSelectionShortcutReleased = [this] { events.push_back("released"); };
        monitor->onFocusSwitchShortcutReleased = [this] { events.push_back("focusSwitch"); };
    }

    // One poll interval; the monitor's timer fires once.
    void tick(int count = 1) { loop.advance(CommandKeyMonitor::pollInterval * count); }

    int taps() const { return static_cast<int>(std::count(events.begin(), events.end(), "tap")); }

    void startWithoutShortcut()
    {
        monitor->setSelectionShortcut(RangeSelectionShortcut::disabled);
        monitor->start();
    }

    // Presses a Command key, holds it for some polls with the given extra action at the middle
    // poll, and releases everything.
    void pressWith(const std::function<void()>& during, KeyCode key = k::leftCommand)
    {
        input.pressKey(key);
        tick();
        during();
        tick();
        input.releaseAll();
        input.pressKey(key);
        tick();
        input.releaseAll();
        tick(2);
    }

    sim::SimMainLoop loop;
    sim::SimInputState input;
    std::shared_ptr<CommandKeyMonitor> monitor;
    std::vector<std::string> events;
};

TEST_F(CommandKeyMonitorTest, EitherCommandKeyAloneGivesOneTapAfterTheReleasingPollReturns)
{
    startWithoutShortcut();
    for (KeyCode key : {k::leftCommand, k::rightCommand}) {
        events.clear();
        input.pressKey(key);
        tick(3);
        input.releaseKey(key);
        // The releasing poll queues the tap; it is delivered on a later turn of the loop.
        monitor->poll();
        EXPECT_TRUE(events.empty());
        EXPECT_TRUE(monitor->hasPendingTap());
        EXPECT_TRUE(monitor->standaloneCommandCandidate());
        loop.runDue();
        EXPECT_EQ(events, std::vector<std::string>{"tap"});
        EXPECT_FALSE(monitor->hasPendingTap());
        EXPECT_FALSE(monitor->standaloneCommandCandidate());
        tick(5);
        EXPECT_EQ(taps(), 1);
    }
}

TEST_F(CommandKeyMonitorTest, AnythingElseHeldAtAnyPollOfThePressSpoilsTheTap)
{
    startWithoutShortcut();
    const std::vector<std::pair<std::string, std::function<void()>>> spoilers{
        {"second command key", [this] { input.pressKey(k::rightCommand); }},
        {"shift", [this] { input.setFlags(f::shift); }},
        {"control", [this] { input.setFlags(f::control); }},
        {"option", [this] { input.setFlags(f::option); }},
        {"fn", [this] { input.setFlags(f::function); }},
        {"left button", [this] { input.pressButton(0); }},
        {"right button", [this] { input.pressButton(1); }},
        {"centre button", [this] { input.pressButton(2); }},
        {"other key (Command+C)", [this] { input.setNonModifierKeyDown(true); }},
    };
    for (const auto& [name, spoil] : spoilers) {
        events.clear();
        pressWith(spoil);
        EXPECT_EQ(taps(), 0) << name;
        EXPECT_FALSE(monitor->hasPendingTap()) << name;
    }
    // Held before Command goes down spoils the press from its first poll.
    events.clear();
    input.pressButton(0);
    tick();
    pressWith([] {});
    EXPECT_EQ(taps(), 0);

    // Caps Lock, the numeric pad and the Command flag itself do not spoil it.
    pressWith([this] { input.setFlags(f::capsLock | f::command | f::numericPad); });
    EXPECT_EQ(taps(), 1);
}

TEST_F(CommandKeyMonitorTest, FocusSwitchKeysSpoilTheTapAndReportTheReleaseOnce)
{
    startWithoutShortcut();
    for (KeyCode key : {k::tab, k::grave, k::leftBracket}) {
        events.clear();
        input.pressKey(k::leftCommand);
        tick();
        input.pressKey(key);
        tick();
        input.releaseKey(key);
        tick(3);
        EXPECT_TRUE(monitor->focusSwitchShortcutUsed());
        input.releaseAll();
        tick(3);
        EXPECT_EQ(events, std::vector<std::string>{"focusSwitch"}) << key;
        EXPECT_FALSE(monitor->focusSwitchShortcutUsed());
    }
}

TEST_F(CommandKeyMonitorTest, ALongPressTapsABetweenPollsPressIsUnseenASpoiledOneStaysSpoiled)
{
    startWithoutShortcut();
    input.pressKey(k::leftCommand);
    tick(250); // five seconds
    input.releaseAll();
    tick();
    EXPECT_EQ(taps(), 1);

    // Down and up again within one interval: no poll sees it.
    loop.advance(0.005);
    input.pressKey(k::leftCommand);
    loop.advance(0.01);
    input.releaseAll();
    tick(5);
    EXPECT_EQ(taps(), 1);

    // Once spoiled, a press stays spoiled until a new press.
    events.clear();
    input.pressKey(k::leftCommand);
    tick();
    input.setFlags(f::shift);
    tick();
    input.setFlags(0);
    tick(10);
    EXPECT_FALSE(monitor->standaloneCommandCandidate());
    input.releaseAll();
    tick();
    EXPECT_EQ(taps(), 0);
    pressWith([] {});
    EXPECT_EQ(taps(), 1);
}

TEST_F(CommandKeyMonitorTest, CommandShortcutArmsOnPressAndReleasesBeforeTapAndFocusSwitch)
{
    monitor->start(); // default shortcut: command
    input.pressKey(k::leftCommand);
    tick();
    EXPECT_EQ(events, std::vector<std::string>{"pressed"});
    input.releaseAll();
    monitor->poll();
    EXPECT_EQ(events, (std::vector<std::string>{"pressed", "released"}));
    loop.runDue();
    EXPECT_EQ(events, (std::vector<std::string>{"pressed", "released", "tap"}));

    // The shortcut's release comes before the focus switch's in the same pass.
    events.clear();
    input.pressKey(k::leftCommand);
    tick();
    input.pressKey(k::tab);
    tick();
    input.releaseAll();
    monitor->poll();
    EXPECT_EQ(events, (std::vector<std::string>{"pressed", "released", "focusSwitch"}));
    tick(3);
    EXPECT_EQ(taps(), 0);
}

TEST_F(CommandKeyMonitorTest, ControlCommandFollowsTheExactCompanionFlags)
{
    monitor->setSelectionShortcut(RangeSelectionShortcut::controlCommand);
    monitor->start();
    input.setFlags(f::control);
    tick();
    EXPECT_TRUE(events.empty()); // Control alone is not the shortcut
    input.pressKey(k::leftCommand);
    input.pressKey(k::rightCommand); // both Command keys qualify
    tick();
    EXPECT_EQ(events, std::vector<std::string>{"pressed"});
    input.setFlags(f::control | f::shift);
    tick();
    EXPECT_EQ(events, (std::vector<std::string>{"pressed", "released"}));
    input.setFlags(f::control);
    tick();
    input.setFlags(0); // Control let go while Command stays down
    tick();
    EXPECT_EQ(events, (std::vector<std::string>{"pressed", "released", "pressed", "released"}));
    input.releaseAll();
    tick(3);
    EXPECT_EQ(taps(), 0);
}

TEST_F(CommandKeyMonitorTest, StartPollsAtOnceAndMouseButtonsOrOtherKeysDoNotAffectTheShortcut)
{
    input.pressKey(k::leftCommand);
    monitor->start();
    EXPECT_TRUE(monitor->commandDown());
    EXPECT_EQ(events, std::vector<std::string>{"pressed"});
    input.pressButton(0);
    input.setNonModifierKeyDown(true);
    input.pressKey(k::tab);
    tick(3);
    EXPECT_EQ(events, std::vector<std::string>{"pressed"});
    EXPECT_TRUE(monitor->selectionShortcutActive());
}

TEST_F(CommandKeyMonitorTest, DisabledShortcutNeverReports)
{
    startWithoutShortcut();
    for (EventFlags flags : {EventFlags{0}, f::control, f::option}) {
        input.setFlags(flags);
        input.pressKey(k::leftCommand);
        tick(2);
        input.releaseAll();
        tick(2);
    }
    EXPECT_EQ(std::count(events.begin(), events.end(), "pressed"), 0);
    EXPECT_EQ(std::count(events.begin(), events.end(), "released"), 0);
}

TEST_F(CommandKeyMonitorTest, ChangingTheShortcutReleasesFirstThenEvaluatesTheNewOneAtOnce)
{
    monitor->start();
    input.pressKey(k::leftCommand);
    input.setFlags(f::option);
    tick();
    EXPECT_TRUE(events.empty());
    monitor->setSelectionShortcut(RangeSelectionShortcut::optionCommand);
    EXPECT_EQ(events, std::vector<std::string>{"pressed"});
    monitor->setSelectionShortcut(RangeSelectionShortcut::optionCommand); // unchanged: nothing
    EXPECT_EQ(events.size(), 1u);
    monitor->setSelectionShortcut(RangeSelectionShortcut::controlCommand);
    EXPECT_EQ(events, (std::vector<std::string>{"pressed", "released"}));
    EXPECT_EQ(monitor->currentSelectionShortcut(), RangeSelectionShortcut::controlCommand);
}

TEST_F(CommandKeyMonitorTest, SettingTheShortcutPollsEvenWhileStopped)
{
    input.pressKey(k::leftCommand);
    input.setFlags(f::control);
    monitor->setSelectionShortcut(RangeSelectionShortcut::controlCommand);
    EXPECT_EQ(events, std::vector<std::string>{"pressed"});
    EXPECT_FALSE(monitor->isRunning());
}

TEST_F(CommandKeyMonitorTest, CancelPendingTapOrReleasingTheMonitorDropsATapWaitingForDelivery)
{
    startWithoutShortcut();
    input.pressKey(k::leftCommand);
    tick();
    input.releaseAll();
    monitor->poll();
    ASSERT_TRUE(monitor->hasPendingTap());
    monitor->cancelPendingTap();
    EXPECT_FALSE(monitor->hasPendingTap());
    tick(3);
    EXPECT_EQ(taps(), 0);

    // During a press it makes the press unable to become a tap.
    input.pressKey(k::leftCommand);
    tick();
    monitor->cancelPendingTap();
    tick();
    input.releaseAll();
    tick(2);
    EXPECT_EQ(taps(), 0);

    // A released monitor stops polling and delivers nothing, not even a queued tap.
    input.pressKey(k::leftCommand);
    tick();
    input.releaseAll();
    monitor->poll();
    std::weak_ptr<CommandKeyMonitor> weak = monitor;
    monitor.reset();
    EXPECT_TRUE(weak.expired());
    input.resetQueryCount();
    loop.advance(1);
    EXPECT_EQ(taps(), 0);
    EXPECT_EQ(input.queryCount(), 0);
    EXPECT_EQ(loop.activeTimerCount(), 0);
}

TEST_F(CommandKeyMonitorTest, StopReleasesAnActiveShortcutOnceAndDropsAPendingTap)
{
    monitor->start();
    input.pressKey(k::leftCommand);
    tick();
    monitor->stop();
    EXPECT_EQ(events, (std::vector<std::string>{"pressed", "released"}));
    EXPECT_FALSE(monitor->isRunning());
    EXPECT_FALSE(monitor->commandDown());
    monitor->stop();
    EXPECT_EQ(events.size(), 2u);

    events.clear();
    input.releaseAll();
    startWithoutShortcut();
    input.pressKey(k::leftCommand);
    tick();
    input.releaseAll();
    monitor->poll();
    ASSERT_TRUE(monitor->hasPendingTap());
    monitor->stop();
    loop.advance(1);
    EXPECT_EQ(taps(), 0);
    EXPECT_EQ(loop.activeTimerCount(), 0);
}

TEST_F(CommandKeyMonitorTest, SecondStartWhileRunningDoesNothing)
{
    startWithoutShortcut();
    input.pressKey(k::leftCommand);
    tick();
    monitor->start(); // would reset the press if it restarted
    EXPECT_TRUE(monitor->commandDown());
    EXPECT_EQ(loop.activeTimerCount(), 1);
    input.releaseAll();
    tick(2);
    EXPECT_EQ(taps(), 1);
}

TEST_F(CommandKeyMonitorTest, APassStaysWithinItsQueryBudget)
{
    monitor->start();
    // Worst case: no focus-switch key and no button down, so every one is asked.
    input.pressKey(k::leftCommand);
    input.resetQueryCount();
    monitor->poll();
    EXPECT_EQ(input.queryCount(), 10);
    // The any-of tests stop at the first hit.
    input.pressKey(k::tab);
    input.pressButton(0);
    input.resetQueryCount();
    monitor->poll();
    EXPECT_EQ(input.queryCount(), 6);
}

} // namespace
} // namespace halomark
