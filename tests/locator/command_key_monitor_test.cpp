#include "locator/command_key_monitor.h"
#include "sim/sim_input_state.h"
#include "sim/sim_main_loop.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace halomark {
namespace {

namespace k = key_codes;
namespace f = event_flags;
using Shortcut = RangeSelectionShortcut;

class CommandKeyMonitorTest : public ::testing::Test
{
protected:
    CommandKeyMonitorTest()
    {
        monitor->onCommandKeyTap = [this] { log += "tap "; };
        monitor->onSelectionShortcutPressed = [this] { log += "pressed "; };
        monitor->onSelectionShortcutReleased = [this] { log += "released "; };
        monitor->onFocusSwitchShortcutReleased = [this] { log += "focusSwitch "; };
    }

    // The period the monitor must keep, written out so that another period fails.
    void tick(int count = 1) { loop.advance(0.02 * count); }

    void startWith(Shortcut shortcut)
    {
        monitor->setSelectionShortcut(shortcut);
        monitor->start();
    }

    // A press of the key (with the flag it sets) over three polls with `during` done after the
    // first, then a release of everything; what the monitor reported, and "pending" if a tap
    // item is left behind.
    std::string pressWith(const std::function<void()>& during, KeyCode key = k::leftCommand,
                          EventFlags flag = 0)
    {
        log.clear();
        input.pressKey(key);
        input.setFlags(flag);
        tick();
        during();
        tick(2);
        input.releaseAll();
        tick(2);
        return seen();
    }

    // What the monitor reported, and "pending" if a tap item is waiting for delivery.
    std::string seen() const { return log + (monitor->hasPendingTap() ? "pending" : ""); }

    // Releases everything and runs only the releasing pass, not the work it queues.
    void releasingPass()
    {
        input.releaseAll();
        monitor->poll();
    }

    sim::SimMainLoop loop;
    sim::SimInputState input;
    std::shared_ptr<CommandKeyMonitor> monitor = std::make_shared<CommandKeyMonitor>(loop, input);
    std::string log;
};

TEST_F(CommandKeyMonitorTest, OneCommandKeyAloneTapsOnceOnALaterTurnAnythingElseSpoilsThePress)
{
    startWith(Shortcut::disabled);
    for (KeyCode key : {k::leftCommand, k::rightCommand}) {
        log.clear();
        input.pressKey(key);
        tick(3);
        releasingPass();
        EXPECT_EQ(seen(), "pending");
        loop.runDue();
        tick(5);
        EXPECT_EQ(seen(), "tap ") << key;
        EXPECT_FALSE(monitor->standaloneCommandCandidate());
    }
    // Anything else held at any poll of the press spoils the tap; a focus-switch key also
    // reports the release of Command once.
    for (EventFlags flags : {f::shift, f::control, f::option, f::function}) {
        EXPECT_EQ(pressWith([&] { input.setFlags(flags); }), "") << flags;
    }
    for (MouseButton button : {0, 1, 2}) {
        EXPECT_EQ(pressWith([&] { input.pressButton(button); }), "") << button;
    }
    EXPECT_EQ(pressWith([&] { input.pressKey(k::rightCommand); }), "");
    EXPECT_EQ(pressWith([&] { input.setNonModifierKeyDown(true); }), "");
    EXPECT_EQ(pressWith([&] { monitor->cancelPendingTap(); }), "");
    for (KeyCode key : {k::tab, k::grave, k::leftBracket}) {
        const auto strike = [&] {
            input.pressKey(key);
            tick();
            input.releaseKey(key);
        };
        EXPECT_EQ(pressWith(strike), "focusSwitch ") << key;
    }
    // Caps Lock, the numeric pad and the Command flag itself leave the tap alone.
    EXPECT_EQ(pressWith([this] { input.setFlags(f::capsLock | f::command | f::numericPad); }),
              "tap ");
    // A button held when Command goes down spoils the press from its first poll.
    input.pressButton(0);
    EXPECT_EQ(pressWith([this] { input.releaseButton(0); }), "");
    // Once spoiled, a press stays spoiled until a new press.
    EXPECT_EQ(pressWith([this] {
                  input.setFlags(f::shift);
                  tick();
                  input.setFlags(0);
                  tick(10);
              }),
              "");
    // Five seconds held still taps; a press between two polls is never seen.
    EXPECT_EQ(pressWith([this] { tick(250); }), "tap ");
    log.clear();
    loop.advance(0.005);
    input.pressKey(k::leftCommand);
    loop.advance(0.01);
    input.releaseAll();
    tick(5);
    EXPECT_EQ(log, "");
}

TEST_F(CommandKeyMonitorTest, StartPollsAtOnceAndThenEveryFiftiethOfASecond)
{
    input.pressKey(k::leftCommand);
    monitor->start();
    EXPECT_EQ(log, "pressed ");
    // Buttons, other keys and focus-switch keys do not matter to the shortcut.
    input.pressButton(0);
    input.setNonModifierKeyDown(true);
    input.pressKey(k::tab);
    tick(3);
    EXPECT_EQ(log, "pressed ");
    input.releaseAll();
    loop.advance(0.0199);
    EXPECT_EQ(log, "pressed ");
    loop.advance(0.0002); // the poll at 0.08 s
    EXPECT_EQ(log, "pressed released focusSwitch ");

    // A second start while running changes nothing: the press goes on and becomes a tap.
    input.pressKey(k::leftCommand);
    tick();
    monitor->start();
    EXPECT_EQ(loop.activeTimerCount(), 1);
    input.releaseAll();
    tick(2);
    EXPECT_EQ(log, "pressed released focusSwitch pressed released tap ");
}

TEST_F(CommandKeyMonitorTest, TheShortcutFollowsTheExactCompanionFlagsAndReleasesFirst)
{
    startWith(Shortcut::controlCommand);
    input.setFlags(f::control);
    tick();
    EXPECT_EQ(log, ""); // Control alone is not the shortcut
    input.pressKey(k::leftCommand);
    input.pressKey(k::rightCommand); // both Command keys qualify
    tick();
    // Shift added, then taken away, then Control let go while Command stays down.
    for (EventFlags flags : {f::control | f::shift, f::control, EventFlags{0}}) {
        input.setFlags(flags);
        tick();
    }
    input.releaseAll();
    tick(3);
    EXPECT_EQ(log, "pressed released pressed released ");

    // Changing it reports the release first, then evaluates the new one at once.
    monitor->setSelectionShortcut(Shortcut::command);
    log.clear();
    input.pressKey(k::leftCommand);
    input.setFlags(f::option);
    tick();
    EXPECT_EQ(log, "");
    monitor->setSelectionShortcut(Shortcut::optionCommand);
    monitor->setSelectionShortcut(Shortcut::optionCommand); // unchanged: nothing
    EXPECT_EQ(log, "pressed ");
    monitor->setSelectionShortcut(Shortcut::disabled);
    EXPECT_EQ(log, "pressed released ");
    for (EventFlags flags : {EventFlags{0}, f::control, f::option}) {
        input.setFlags(flags);
        tick(2);
    }
    EXPECT_EQ(log, "pressed released ");
}

TEST_F(CommandKeyMonitorTest, StopOrReleaseEndsEverythingOnceSettingTheShortcutPollsWhileStopped)
{
    input.pressKey(k::leftCommand);
    input.setFlags(f::control);
    monitor->setSelectionShortcut(Shortcut::controlCommand);
    EXPECT_EQ(log, "pressed ");
    EXPECT_FALSE(monitor->isRunning());
    monitor->stop();
    monitor->stop();
    EXPECT_EQ(log, "pressed released ");
    EXPECT_FALSE(monitor->commandDown());

    // Stop drops a tap waiting for delivery.
    startWith(Shortcut::disabled);
    input.releaseAll();
    tick();
    input.pressKey(k::leftCommand);
    tick();
    releasingPass();
    ASSERT_EQ(seen(), "pressed released pending");
    monitor->stop();
    loop.advance(1);
    EXPECT_EQ(seen(), "pressed released ");
    EXPECT_EQ(loop.activeTimerCount(), 0);

    // A released monitor is gone at once and delivers nothing, not even a queued tap.
    monitor->start();
    input.pressKey(k::leftCommand);
    tick();
    releasingPass();
    std::weak_ptr<CommandKeyMonitor> weak = monitor;
    monitor.reset();
    EXPECT_TRUE(weak.expired());
    loop.advance(1);
    EXPECT_EQ(log, "pressed released ");
}

TEST_F(CommandKeyMonitorTest, APassStaysWithinItsQueryBudget)
{
    // Worst case: no focus-switch key and no button down, so every one is asked; the any-of
    // tests stop at the first hit.
    input.pressKey(k::leftCommand);
    monitor->poll();
    EXPECT_EQ(input.queryCount(), 10);
    input.pressKey(k::tab);
    input.pressButton(0);
    monitor->poll();
    EXPECT_EQ(input.queryCount(), 16);
}

TEST_F(CommandKeyMonitorTest, AnotherLocatorKeyTapsAloneInsteadOfCommandAndNoneNeverTaps)
{
    startWith(Shortcut::disabled);
    const auto nothing = [] {};
    for (const auto& [choice, key, otherSide, flag] :
         {std::tuple{LocatorKey::rightControl, k::rightControl, k::leftControl, f::control},
          std::tuple{LocatorKey::rightAlt, k::rightOption, k::leftOption, f::option}}) {
        // A press under way when the choice changes is no tap.
        input.pressKey(key);
        tick();
        monitor->setLocatorKey(choice);
        releasingPass();
        tick(2);
        EXPECT_EQ(seen(), "");
        EXPECT_EQ(pressWith(nothing, key, flag), "tap ");
        EXPECT_EQ(pressWith(nothing), "") << "Command alone taps no more";
        const std::vector<std::function<void()>> spoilers{
            [&] { input.pressKey(otherSide); }, [&] { input.setFlags(flag | f::shift); },
            [&] { input.pressButton(0); }, [&] { input.setNonModifierKeyDown(true); },
            [&] { input.pressKey(k::leftCommand); }};
        for (const auto& spoil : spoilers) {
            EXPECT_EQ(pressWith(spoil, key, flag), "") << static_cast<int>(choice);
        }
    }
    monitor->setLocatorKey(LocatorKey::none);
    EXPECT_EQ(pressWith(nothing) + pressWith(nothing, k::rightControl, f::control), "");
    monitor->setLocatorKey(LocatorKey::super);
    EXPECT_EQ(pressWith(nothing), "tap ");
}

} // namespace
} // namespace halomark
