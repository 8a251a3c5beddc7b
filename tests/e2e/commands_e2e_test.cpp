// Commands from outside, as a script or a desktop shortcut sends them: with no program running
// a command fails plainly and starts none; against the running program each one does what the
// tap or the menu does, over the desktop's session bus. The chosen locator key taps on its own
// from the menu and Super then shows nothing.
#include "end_to_end_test.h"

namespace halomark::e2e {
namespace {

class CommandsTest : public EndToEndTest
{
protected:
    // Runs `halomark` with the arguments; true when it exited with the code. Its output and
    // errors end up in `said`.
    bool command(const std::vector<std::string>& arguments, int code = 0)
    {
        const auto process = startAnother("command", arguments);
        const bool exited = exitedWith(process->waitForExit(5s), code);
        said = process->log() + process->errors();
        return exited;
    }
    bool ringAtPointer(std::chrono::milliseconds within)
    {
        const bool shown = ringAppears(x, y, isWhiteStroke, within);
        EXPECT_TRUE(waitUntil([&] { return monitorPanels().empty(); }, 2s));
        return shown;
    }

    std::string said;
    int x = 0;
    int y = 0;
};

TEST_F(CommandsTest, CommandsDoWhatTheMenuAndTheTapDoAndTheChosenKeyTapsAlone)
{
    EXPECT_TRUE(command({"status"}, 1));
    EXPECT_EQ(said, "halomark: Halomark is not running\n");
    EXPECT_TRUE(command({"highlight", "maybe"}, 2));
    EXPECT_NE(said.find("Usage:"), std::string::npos) << said;

    ASSERT_NO_FATAL_FAILURE(useCompositor(true));
    BlueTerminal& terminal = addTerminal("e2e-commands", kLeftTerminalX, kTerminalY);
    ASSERT_TRUE(terminal.activate());
    x = terminal.clientArea()->x + 200;
    y = terminal.clientArea()->y + 150;
    ASSERT_TRUE(movePointer(x, y));
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_TRUE(waitUntil([&] { return leftVeils().size() == 1; }, 5s));
    ASSERT_TRUE(choose(MenuEntry::locatorKey, 2));
    EXPECT_EQ(setting("Halomark.locatorKey"), "\"rightControl\"");
    ASSERT_TRUE(movePointer(x, y));

    // The ring at the pointer with no key pressed.
    ASSERT_TRUE(command({"locate"}));
    EXPECT_TRUE(ringAtPointer(1s)) << "no ring after locate";
    // Right Ctrl alone shows it (pressed by its keycode: xdotool adds Control_L to the name);
    // Super alone no longer does.
    ASSERT_TRUE(input.pressKey("105"));
    hold(80ms);
    ASSERT_TRUE(input.releaseKey("105"));
    EXPECT_TRUE(ringAtPointer(1s)) << "no ring after a tap of Right Ctrl";
    tapSuper();
    EXPECT_FALSE(ringAtPointer(600ms)) << "a ring after a tap of Super";

    // The highlight switched off removes the veil, is written and announced; status reports it.
    SpawnedProcess signals({"dbus-monitor", "--session", "member='PropertiesChanged'"},
                           config() / "signals.out");
    ASSERT_TRUE(waitUntil([&] { return !signals.log().empty(); }));
    ASSERT_TRUE(command({"highlight", "toggle"}));
    EXPECT_TRUE(waitUntil([&] { return signals.log().find("\"Highlight\"") != std::string::npos; }))
        << signals.log();
    EXPECT_TRUE(waitUntil([&] { return leftVeils().empty(); }, 2s));
    EXPECT_EQ(setting("Halomark.focusCueEnabled"), "false");
    ASSERT_TRUE(command({"status"}));
    EXPECT_EQ(said, "enabled: on\nhighlight: off\ncolor: defaultWhite\nlanguage: system\n"
                    "locator-key: rightControl\n");

    // Switched off as a whole, locate shows nothing, as a tap would not.
    ASSERT_TRUE(command({"off"}));
    ASSERT_TRUE(command({"locate"}));
    EXPECT_FALSE(ringAtPointer(600ms)) << "a ring while switched off";

    ASSERT_TRUE(command({"quit"}));
    expectCleanExit("quit");
}

} // namespace
} // namespace halomark::e2e
