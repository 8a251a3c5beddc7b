// The program's life as the desktop sees it: its command line, which needs no server; one
// program per display; launch at login as an autostart entry; and an end by SIGTERM, SIGINT or
// Ctrl+Q in its open menu that is a clean exit taking every window with it and letting the next
// start succeed.
#include "ring_watch.h"

#include <gtest/gtest.h>

#include <csignal>

namespace halomark::e2e {
namespace {

class ProgramLifecycleTest : public EndToEndTest
{};

TEST_F(ProgramLifecycleTest, VersionHelpAndAMissingDisplayNeedNoServer)
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
    const std::vector<Case> cases{
        {{"--version"}, "", 0, false, "halomark "},
        {{"--help"}, "", 0, false, "Usage: "},
        {{"--frobnicate"}, "", 2, true, "unknown option '--frobnicate'"},
        {{}, ":4711", 1, true, "cannot connect to the X display ':4711'"},
    };
    const HalomarkProgram program(*screen, folder->path() / "config");
    int run = 0;
    for (const Case& c : cases) {
        const std::string call = c.arguments.empty() ? "DISPLAY=" + c.display : c.arguments[0];
        const auto process = program.startAnother("run" + std::to_string(++run), c.arguments,
                                                  {{"DISPLAY", c.display}});
        EXPECT_TRUE(exitedWith(process->waitForExit(10s), c.exitCode)) << call;
        if (c.onStandardError) {
            EXPECT_NE(process->errors().find(c.text), std::string::npos) << process->errors();
        } else {
            EXPECT_EQ(process->log().rfind(c.text, 0), 0u) << call << ": " << process->log();
        }
    }
}

TEST_F(ProgramLifecycleTest, ASecondProgramFailsSayingWhoRunsAndLaunchAtLoginTogglesTheEntry)
{
    launch();
    ASSERT_TRUE(halomark && halomark->isRunning());
    const auto second = halomark->startAnother("second");
    ASSERT_TRUE(second->started());
    const auto status = second->waitForExit(10s);
    ASSERT_TRUE(status) << "the second program still runs";
    EXPECT_TRUE(exitedWith(status, 1)) << "wait status " << *status;
    EXPECT_NE(second->errors().find("already running on this display (process " +
                                    std::to_string(halomark->process().pid()) + ")"),
              std::string::npos)
        << second->errors();
    RecordProperty("second_instance_message", second->errors());
    for (const TopLevelWindow& window : screen->topLevelWindows()) {
        EXPECT_NE(window.pid, static_cast<std::uint32_t>(second->pid())) << "a second window";
    }
    EXPECT_TRUE(screen->embeddedWindowsOf(second->pid(), false).empty()) << "a second tray icon";
    EXPECT_TRUE(halomark->isRunning()) << "the first program is left alone";
    EXPECT_TRUE(halomark->trayIcon());

    const auto entry = halomark->autostartEntry();
    ASSERT_FALSE(std::filesystem::exists(entry));
    ASSERT_TRUE(halomark->choose(MenuEntry::launchAtLogin));
    ASSERT_TRUE(waitUntil([&] { return std::filesystem::exists(entry); }, 2s))
        << "no autostart entry at " << entry;
    const std::string text = readFile(entry);
    EXPECT_NE(text.find("[Desktop Entry]"), std::string::npos) << text;
    EXPECT_NE(text.find("Exec=" + std::filesystem::canonical(halomarkExecutable()).string()),
              std::string::npos)
        << text;
    ASSERT_TRUE(halomark->choose(MenuEntry::launchAtLogin));
    EXPECT_TRUE(waitUntil([&] { return !std::filesystem::exists(entry); }, 2s))
        << "the autostart entry stayed";

    ASSERT_TRUE(halomark->process().sendSignal(SIGINT));
    expectCleanExit("SIGINT");
}

TEST_F(ProgramLifecycleTest, SigtermAndControlQInTheMenuEndItCleanlyAndItStartsAgain)
{
    ASSERT_NO_FATAL_FAILURE(useCompositor(true));
    BlueTerminal& terminal = addTerminal("e2e-lifecycle", kLeftTerminalX, kTerminalY);
    ASSERT_TRUE(terminal.activate());
    const auto client = terminal.clientArea();
    ASSERT_TRUE(client);
    ASSERT_TRUE(movePointer(client->centerX(), client->centerY()));
    waitForSettledScreen();
    const Image before = screen->grab(kLeftUsableArea);
    launch();
    ASSERT_TRUE(halomark && halomark->isRunning());
    ASSERT_TRUE(waitUntil([&] { return halomark->leftVeils().size() == 1; }, 5s));

    // The veil is up and a ring is on its way when the signal comes.
    tapSuper();
    ASSERT_TRUE(ringAppears(*screen, client->centerX(), client->centerY(), isWhiteStroke, 1s));
    ASSERT_TRUE(halomark->process().sendSignal(SIGTERM));
    expectCleanExit("SIGTERM");
    EXPECT_TRUE(
        waitUntil([&] { return screen->grab(kLeftUsableArea).differingPixels(before) == 0; }, 2s))
        << "the screen is not as it was";

    // Nothing of the ended program stands in the way of the next one.
    ASSERT_TRUE(halomark->start()) << halomark->log();
    EXPECT_TRUE(waitUntil([&] { return halomark->leftVeils().size() == 1; }, 5s));
    ASSERT_TRUE(halomark->openMenu());
    ASSERT_TRUE(xdotool({"key", "ctrl+q"}));
    expectCleanExit("Ctrl+Q in the open menu");
}

} // namespace
} // namespace halomark::e2e
