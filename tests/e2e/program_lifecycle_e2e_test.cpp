// The program's life as the desktop sees it: its command line and its commands with no program
// running, which need no server; one program per display; launch at login as an autostart
// entry; commands from outside, over the desktop's session bus, that do what the tap and the
// menu do; choices made in the menu stored in the settings file; and ends by the quit command and
// by Ctrl+Q in the open menu that are clean exits, taking every window with them.
#include "end_to_end_test.h"

#include "xdg/durable_program.h"

#include <unistd.h>

namespace halomark::e2e {
namespace {

class ProgramLifecycleTest : public EndToEndTest
{
protected:
    // Runs `halomark` with the arguments; true when it exited with the code.
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

    std::string said; // what the last command printed
    int x = 0;
    int y = 0;
};

TEST_F(ProgramLifecycleTest, VersionHelpCommandsAndAMissingDisplayNeedNoServer)
{
    struct Case
    {
        std::vector<std::string> arguments;
        std::string display; // empty: none at all
        int exitCode;
        bool onStandardError; // where the text goes; on the standard output it comes first
        std::string text;
    };
    // A display nobody serves has a lock of its own, so the desktop's programs do not answer.
    // A command with no program running fails plainly and starts none.
    const Case cases[] = {
        {{"--version"}, "", 0, false, "halomark "},
        {{"--help"}, "", 0, false, "Usage: "},
        {{"--frobnicate"}, "", 2, true, "unknown option '--frobnicate'"},
        {{}, ":4711", 1, true, "cannot connect to the X display ':4711'"},
        {{"status"}, "", 1, true, "halomark: Halomark is not running\n"},
        {{"highlight", "maybe"}, "", 2, true, "Usage:"},
    };
    for (const Case& c : cases) {
        const std::string call = c.arguments.empty() ? "DISPLAY=" + c.display : c.arguments[0];
        const auto process = startAnother("run", c.arguments, {{"DISPLAY", c.display}});
        EXPECT_TRUE(exitedWith(process->waitForExit(10s), c.exitCode)) << call;
        if (c.onStandardError) {
            EXPECT_NE(process->errors().find(c.text), std::string::npos) << process->errors();
        } else {
            EXPECT_EQ(process->log().rfind(c.text, 0), 0u) << call << ": " << process->log();
        }
    }
}

TEST_F(ProgramLifecycleTest, OneProgramPerDisplayDrivenByMenuAndCommandsWhoseChoicesOutliveIt)
{
    ASSERT_NO_FATAL_FAILURE(useCompositor(true));
    BlueTerminal& terminal = addTerminal("e2e-commands", kLeftTerminalX, kTerminalY);
    ASSERT_TRUE(terminal.activate());
    x = terminal.clientArea()->x + 200;
    y = terminal.clientArea()->y + 150;
    ASSERT_TRUE(movePointer(x, y));
    // The autostart entry pins this build's program where its path outlasts the session; built
    // in a temporary folder, it names the installed program instead, which a copy in a lasting
    // folder on PATH stands in for.
    std::filesystem::path pinned = std::filesystem::canonical(HALOMARK_PROGRAM);
    std::filesystem::path installed;
    if (xdg::whyNotDurable(pinned,
                           xdg::ProgramSearch::forThisSystem("halomark").temporaryFolders)) {
        const char* home = std::getenv("HOME");
        ASSERT_TRUE(home != nullptr && home[0] == '/');
        installed =
            std::filesystem::path(home) / ".cache" / ("halomark-e2e-" + std::to_string(::getpid()));
        std::filesystem::create_directories(installed);
        pinned = installed / "halomark";
        std::filesystem::copy_file(HALOMARK_PROGRAM, pinned);
        ASSERT_FALSE(xdg::whyNotDurable(pinned, {})) << *xdg::whyNotDurable(pinned, {});
        launchEnvironment["PATH"] = installed.string() + ":" + std::getenv("PATH");
    }
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_TRUE(waitUntil([&] { return leftVeils().size() == 1; }, 5s));
    const auto second = startAnother("second");
    EXPECT_TRUE(exitedWith(second->waitForExit(10s), 1)) << "the second program did not fail";
    EXPECT_NE(second->errors().find("already running on this display (process " +
                                    std::to_string(halomark->pid()) + ")"),
              std::string::npos)
        << second->errors();
    EXPECT_TRUE(halomark->isRunning() && trayIcon()) << "the first program is not left alone";

    // Launch at login writes the autostart entry and takes it away again.
    ASSERT_FALSE(std::filesystem::exists(autostartEntry()));
    ASSERT_TRUE(choose(MenuEntry::launchAtLogin));
    ASSERT_TRUE(waitUntil([&] { return std::filesystem::exists(autostartEntry()); }, 2s));
    const std::string entry = readFile(autostartEntry());
    EXPECT_NE(entry.find("[Desktop Entry]"), std::string::npos) << entry;
    EXPECT_NE(entry.find("Exec=" + pinned.string()), std::string::npos) << entry;
    if (!installed.empty()) {
        std::filesystem::remove_all(installed);
    }
    ASSERT_TRUE(choose(MenuEntry::launchAtLogin));
    EXPECT_TRUE(waitUntil([&] { return !std::filesystem::exists(autostartEntry()); }, 2s))
        << "the autostart entry stayed";

    // Japanese, the second language, is stored.
    ASSERT_TRUE(choose(MenuEntry::language, 2));
    ASSERT_TRUE(waitUntil([&] { return setting("Halomark.language") == "\"ja\""; }, 2s))
        << readFile(settingsFile());

    // Right Ctrl, the second locator key, is stored; locate rings the pointer with no key
    // pressed.
    ASSERT_TRUE(choose(MenuEntry::locatorKey, 2));
    EXPECT_EQ(setting("Halomark.locatorKey"), "\"rightControl\"");
    ASSERT_TRUE(movePointer(x, y));
    ASSERT_TRUE(command({"locate"}));
    EXPECT_TRUE(ringAtPointer(1s)) << "no ring after locate";

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
    EXPECT_EQ(said, "enabled: on\nhighlight: off\nspotlight: off\nclicks: off\n"
                    "color: defaultWhite\nlanguage: ja\nlocator-key: rightControl\n");

    // Switched off as a whole, locate shows nothing, as a tap would not.
    ASSERT_TRUE(command({"off"}));
    ASSERT_TRUE(command({"locate"}));
    EXPECT_FALSE(ringAtPointer(600ms)) << "a ring while switched off";
    ASSERT_TRUE(command({"quit"}));
    expectCleanExit("quit");

    // Nothing of the ended program stands in the way of the next one; Ctrl+Q in its open menu
    // ends it.
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_TRUE(openMenu());
    ASSERT_TRUE(xdotool({"key", "ctrl+q"}));
    expectCleanExit("Ctrl+Q in the open menu");
}

} // namespace
} // namespace halomark::e2e
