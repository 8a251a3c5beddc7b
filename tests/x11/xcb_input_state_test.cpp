#include "x11/xcb_input_state.h"

#include "desktop.h"
#include "locator/command_key_monitor.h"
#include "platform/input_sampling.h"
#include "sim/sim_main_loop.h"
#include "x11/xcb_compositor_monitor.h"
#include "x11/xcb_screen_list.h"

#include <gtest/gtest.h>

#include <thread>

namespace halomark::x11 {
namespace {

using namespace testing;
namespace k = key_codes;
namespace f = event_flags;

class XcbInputStateTest : public DesktopTest
{
protected:
    void SetUp() override
    {
        DesktopTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        input = std::make_unique<XcbInputState>(*connection, *screens, loop);
        // Start each test over the left xterm with nothing held.
        moveTo(300, 250);
        ASSERT_TRUE(waitUntil([&] { return nothingHeld(); }));
    }

    // Each check is a pass of its own: the loop turns before it.
    bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 3s)
    {
        return DesktopTest::waitUntil(
            [&] {
                loop.runDue();
                return condition();
            },
            timeout);
    }

    // Moves the pointer and waits until it is there (xdotool's own wait hangs when the pointer
    // is already in place).
    void moveTo(int x, int y)
    {
        ASSERT_TRUE(sh("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y)));
        const Point expected{static_cast<double>(x), 800.0 - y};
        ASSERT_TRUE(waitUntil([&] { return input->mouseLocation() == expected; }))
            << "pointer at " << input->mouseLocation().x << "," << input->mouseLocation().y;
    }

    // Asks the server directly, to know that a key is down when no answer shows it.
    bool serverHasKeyDown(xcb_keycode_t keycode)
    {
        xcb_connection_t* c = connection->raw();
        XcbReply<xcb_query_keymap_reply_t> keymap(
            xcb_query_keymap_reply(c, xcb_query_keymap(c), nullptr));
        return keymap && keycodesDown(keymap->keys).test(keycode);
    }

    bool nothingHeld()
    {
        using namespace input_sampling;
        return commandKeyCount(*input) == 0 && !anyFocusSwitchKeyDown(*input) &&
               !anyMouseButtonDown(*input) && !input->isNonModifierKeyDown() &&
               input->flagsState() == 0;
    }

    sim::SimMainLoop loop;
    std::unique_ptr<XcbInputState> input;
    HeldInput held;
};

TEST_F(XcbInputStateTest, CommandAndFocusSwitchKeysAnswerByTheirMacKeyCodes)
{
    using namespace input_sampling;

    ASSERT_TRUE(held.pressKey("Super_L"));
    hold(60ms);
    ASSERT_TRUE(waitUntil([&] { return input->keyState(k::leftCommand); }));
    EXPECT_FALSE(input->keyState(k::rightCommand));
    EXPECT_EQ(commandKeyCount(*input), 1);
    // Command alone: the Command flag, no companion, and no "other" key.
    EXPECT_EQ(input->flagsState(), f::command);
    EXPECT_EQ(companionFlags(*input), 0u);
    EXPECT_FALSE(input->isNonModifierKeyDown());
    EXPECT_FALSE(anyFocusSwitchKeyDown(*input));

    ASSERT_TRUE(held.pressKey("Tab"));
    hold(60ms);
    ASSERT_TRUE(waitUntil([&] { return input->keyState(k::tab); }));
    EXPECT_TRUE(anyFocusSwitchKeyDown(*input));
    EXPECT_TRUE(input->isNonModifierKeyDown());
    EXPECT_EQ(commandKeyCount(*input), 1);

    ASSERT_TRUE(held.pressKey("Super_R"));
    hold(60ms);
    ASSERT_TRUE(waitUntil([&] { return commandKeyCount(*input) == 2; }));

    held.releaseAll();
    ASSERT_TRUE(waitUntil([&] { return nothingHeld(); }));

    // The other two focus-switch keys, each alone.
    for (const auto& [keysym, code] :
         {std::pair{"grave", k::grave}, {"bracketleft", k::leftBracket}}) {
        ASSERT_TRUE(held.pressKey(keysym));
        hold(60ms);
        EXPECT_TRUE(waitUntil([&] { return input->keyState(code); })) << keysym;
        EXPECT_TRUE(input->isNonModifierKeyDown()) << keysym;
        EXPECT_EQ(commandKeyCount(*input), 0) << keysym;
        held.releaseAll();
        ASSERT_TRUE(waitUntil([&] { return nothingHeld(); })) << keysym;
    }

    // Any ordinary key counts as "another key" without being one the core names.
    ASSERT_TRUE(held.pressKey("c"));
    hold(60ms);
    EXPECT_TRUE(waitUntil([&] { return input->isNonModifierKeyDown(); }));
    EXPECT_FALSE(anyFocusSwitchKeyDown(*input));
    EXPECT_FALSE(input->keyState(8)); // the C key has no translation: never down
}

TEST_F(XcbInputStateTest, ModifierFlagsAndButtonsTranslateToTheirMacBits)
{
    using namespace input_sampling;
    struct Case
    {
        const char* keysym;
        EventFlags flag;
    };
    for (const Case& modifier : {Case{"Shift_L", f::shift}, Case{"Control_L", f::control},
                                 Case{"Alt_L", f::option}, Case{"Shift_R", f::shift}}) {
        ASSERT_TRUE(held.pressKey(modifier.keysym));
        hold(60ms);
        EXPECT_TRUE(waitUntil([&] { return input->flagsState() == modifier.flag; }))
            << modifier.keysym << " gave flags " << std::hex << input->flagsState();
        // Modifier keys are never "another key"; Fn is never reported.
        EXPECT_FALSE(input->isNonModifierKeyDown()) << modifier.keysym;
        EXPECT_EQ(input->flagsState() & f::function, 0u);
        held.releaseAll();
        ASSERT_TRUE(waitUntil([&] { return input->flagsState() == 0; })) << modifier.keysym;
    }

    // Left, right and centre are X buttons 1, 3 and 2.
    for (const auto& [xButton, button] : {std::pair{1, 0u}, {3, 1u}, {2, 2u}}) {
        ASSERT_TRUE(held.pressButton(xButton));
        hold(60ms);
        EXPECT_TRUE(waitUntil([&] { return input->buttonState(button); }))
            << "X button " << xButton;
        for (MouseButton other : {0u, 1u, 2u, 3u}) {
            if (other != button) {
                EXPECT_FALSE(input->buttonState(other)) << "X button " << xButton;
            }
        }
        EXPECT_FALSE(input->isNonModifierKeyDown());
        held.releaseAll();
        ASSERT_TRUE(waitUntil([&] { return !anyMouseButtonDown(*input); })) << xButton;
    }
}

TEST_F(XcbInputStateTest, PointerIsInGlobalBottomLeftPointsOnEitherMonitor)
{
    moveTo(100, 200);
    EXPECT_EQ(input->mouseLocation(), (Point{100, 600}));

    // The top row of the right monitor lies on its top edge, inside its frame.
    moveTo(1500, 0);
    EXPECT_EQ(input->mouseLocation(), (Point{1500, 800}));
    const auto right = screenContaining(*screens, input->mouseLocation());
    ASSERT_TRUE(right.has_value());
    EXPECT_EQ(right->frame, (Rect{1280, 0, 1280, 800}));

    // The bottom row of the left monitor lies just above its bottom edge.
    moveTo(0, 799);
    EXPECT_EQ(input->mouseLocation(), (Point{0, 1}));
    const auto left = screenContaining(*screens, input->mouseLocation());
    ASSERT_TRUE(left.has_value());
    EXPECT_EQ(left->frame, (Rect{0, 0, 1280, 800}));
}

TEST_F(XcbInputStateTest, EachPassOfTheCommandMonitorReadsTheServerOnce)
{
    // A snapshot that never ages out, so that only the turns of the loop end it.
    XcbInputState state(*connection, *screens, loop, std::chrono::hours(1));
    auto monitor = std::make_shared<CommandKeyMonitor>(loop, state);

    // One pass asks about keys, flags, buttons and other keys: one read answers all.
    monitor->poll();
    EXPECT_EQ(state.snapshotCount(), 1);
    state.mouseLocation();
    state.buttonState(0);
    EXPECT_EQ(state.snapshotCount(), 1);
    // The next turn of the loop starts a new pass.
    loop.runDue();
    monitor->poll();
    EXPECT_EQ(state.snapshotCount(), 2);

    // Driven by its timer: the first pass when it starts, then one per tick.
    loop.runDue();
    monitor->start();
    loop.advance(CommandKeyMonitor::pollInterval * 10);
    EXPECT_EQ(state.snapshotCount(), 2 + 1 + 10);
    monitor->stop();

    // A snapshot left by a turn that never ends lives no longer than its maximum age.
    XcbInputState shortLived(*connection, *screens, loop, std::chrono::milliseconds(2));
    shortLived.keyState(k::tab);
    shortLived.keyState(k::grave);
    EXPECT_EQ(shortLived.snapshotCount(), 1);
    hold(3ms);
    shortLived.keyState(k::tab);
    EXPECT_EQ(shortLived.snapshotCount(), 2);
}

// Drives the monitor's timer in step with real time, one poll every 20 ms.
void runInRealTime(sim::SimMainLoop& loop, std::chrono::milliseconds duration)
{
    const auto end = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::duration<double>(CommandKeyMonitor::pollInterval));
        loop.advance(CommandKeyMonitor::pollInterval);
    }
}

TEST_F(XcbInputStateTest, TheCommandMonitorSeesTapsAndFocusSwitchesOnTheRealServer)
{
    auto monitor = std::make_shared<CommandKeyMonitor>(loop, *input);
    int taps = 0;
    int focusSwitches = 0;
    monitor->onCommandKeyTap = [&] { ++taps; };
    monitor->onFocusSwitchShortcutReleased = [&] { ++focusSwitches; };
    monitor->start();

    // A tap as a person makes it: Super held about 100 ms.
    ASSERT_TRUE(held.pressKey("Super_L"));
    runInRealTime(loop, 100ms);
    EXPECT_TRUE(monitor->commandDown());
    ASSERT_TRUE(held.releaseKey("Super_L"));
    runInRealTime(loop, 80ms);
    EXPECT_EQ(taps, 1);
    EXPECT_EQ(focusSwitches, 0);

    // Super+Tab: a focus switch, reported when Super is released, and no tap.
    ASSERT_TRUE(held.pressKey("Super_L"));
    runInRealTime(loop, 60ms);
    ASSERT_TRUE(held.pressKey("Tab"));
    runInRealTime(loop, 80ms);
    ASSERT_TRUE(held.releaseKey("Tab"));
    runInRealTime(loop, 60ms);
    EXPECT_EQ(focusSwitches, 0);
    ASSERT_TRUE(held.releaseKey("Super_L"));
    runInRealTime(loop, 80ms);
    EXPECT_EQ(focusSwitches, 1);
    EXPECT_EQ(taps, 1);

    // Super with another key (Super+1) is a shortcut, not a tap.
    ASSERT_TRUE(held.pressKey("Super_L"));
    runInRealTime(loop, 60ms);
    ASSERT_TRUE(held.pressKey("1"));
    runInRealTime(loop, 80ms);
    held.releaseAll();
    runInRealTime(loop, 80ms);
    EXPECT_EQ(taps, 1);
    monitor->stop();
}

TEST_F(XcbInputStateTest, FollowsTheKeyboardMappingWhenItChanges)
{
    // Keycode 135 carries Menu: an ordinary key.
    ASSERT_TRUE(held.pressKey("135"));
    hold(60ms);
    ASSERT_TRUE(waitUntil([&] { return input->isNonModifierKeyDown(); }));
    EXPECT_FALSE(input->keyState(k::leftCommand));
    held.releaseAll();
    ASSERT_TRUE(waitUntil([&] { return nothingHeld(); }));

    // Swap Super_L (keycode 133) and Menu, as a remapping tool would.
    struct RestoreMapping
    {
        ~RestoreMapping() { sh("xmodmap -e 'keycode 133 = Super_L' -e 'keycode 135 = Menu'"); }
    } restore;
    ASSERT_TRUE(sh("xmodmap -e 'keycode 133 = Menu' -e 'keycode 135 = Super_L'"));

    // The change arrives as MappingNotify; the next question reads the new map.
    ASSERT_TRUE(held.pressKey("135"));
    hold(60ms);
    EXPECT_TRUE(waitUntil([&] { return input->keyState(k::leftCommand); }));
    EXPECT_FALSE(input->isNonModifierKeyDown());
    EXPECT_EQ(input->flagsState(), f::command);
    held.releaseAll();
    ASSERT_TRUE(waitUntil([&] { return !input->keyState(k::leftCommand); }));

    // The old keycode now carries Menu and is no Command key. It is still bound to Mod4 in
    // the modifier mapping, so it still counts as a modifier key, not as "another key".
    ASSERT_TRUE(held.pressKey("133"));
    hold(60ms);
    ASSERT_TRUE(waitUntil([&] { return serverHasKeyDown(133); }));
    EXPECT_FALSE(input->keyState(k::leftCommand));
    EXPECT_EQ(input->flagsState() & f::command, 0u);
    EXPECT_FALSE(input->isNonModifierKeyDown());
}

TEST_F(XcbInputStateTest, ALostDisplayAnswersNothingHeldKeepsScreensAndReportsOnce)
{
    std::vector<std::string> losses;
    connection->setLostHandler([&](const std::string& why) { losses.push_back(why); });
    const auto screensBefore = screens->screens();
    ASSERT_EQ(screensBefore.size(), 2u);

    moveTo(640, 300);
    ASSERT_TRUE(held.pressKey("Super_L"));
    ASSERT_TRUE(held.pressButton(1));
    hold(60ms);
    ASSERT_TRUE(
        waitUntil([&] { return input->keyState(k::leftCommand) && input->buttonState(0); }));
    const Point lastPointer = input->mouseLocation();

    // Another client makes the server close this connection, as a server shutting down would.
    xcb_connection_t* c = connection->raw();
    const xcb_pixmap_t resource = xcb_generate_id(c);
    xcb_create_pixmap(c, 1, resource, connection->root(), 1, 1);
    connection->flush();
    XcbConnection killer;
    xcb_kill_client(killer.raw(), resource);
    XcbReply<xcb_get_input_focus_reply_t> sync(
        xcb_get_input_focus_reply(killer.raw(), xcb_get_input_focus(killer.raw()), nullptr));
    ASSERT_TRUE(sync);

    input->invalidateSnapshot();
    EXPECT_FALSE(input->keyState(k::leftCommand));
    EXPECT_FALSE(input->buttonState(0));
    EXPECT_EQ(input->flagsState(), 0u);
    EXPECT_FALSE(input->isNonModifierKeyDown());
    EXPECT_EQ(input->mouseLocation(), lastPointer);
    EXPECT_FALSE(connection->isConnected());
    EXPECT_EQ(connection->fileDescriptor(), -1);

    connection->processPendingEvents();
    EXPECT_EQ(screens->screens(), screensBefore);
    EXPECT_TRUE(screens->mainScreen().has_value());
    ASSERT_EQ(losses.size(), 1u);
    EXPECT_FALSE(losses.front().empty());
}

TEST(XcbWithoutDisplay, EveryAdapterAnswersEmptyAndNothingHeld)
{
    XcbConnection none(":4095");
    EXPECT_FALSE(none.isConnected());
    EXPECT_FALSE(none.errorDescription().empty());
    EXPECT_EQ(none.fileDescriptor(), -1);
    none.processPendingEvents();

    XcbScreenList screens(none);
    sim::SimMainLoop loop;
    XcbInputState input(none, screens, loop);
    EXPECT_TRUE(screens.screens().empty());
    EXPECT_EQ(screens.mainScreen(), std::nullopt);
    EXPECT_FALSE(input.keyState(k::leftCommand));
    EXPECT_FALSE(input.buttonState(0));
    EXPECT_EQ(input.flagsState(), 0u);
    EXPECT_EQ(input.mouseLocation(), (Point{0, 0}));
    EXPECT_EQ(input.snapshotCount(), 0);
    XcbCompositorMonitor compositor(none);
    EXPECT_FALSE(compositor.isCompositing());
}

} // namespace
} // namespace halomark::x11
