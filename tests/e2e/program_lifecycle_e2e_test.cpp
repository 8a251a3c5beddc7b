// The program's life as the desktop sees it: launch at login as an autostart entry, one
// program per desktop, and an end by SIGTERM that takes every overlay with it and lets the next
// start succeed.
#include "ring_watch.h"

#include <gtest/gtest.h>

#include <csignal>

namespace halomark::e2e {
namespace {

class ProgramLifecycleTest : public EndToEndTest
{};

TEST_F(ProgramLifecycleTest, LaunchAtLoginWritesAndRemovesTheAutostartEntry)
{
    launch();
    ASSERT_TRUE(halomark && halomark->isRunning());
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
    EXPECT_TRUE(halomark->isRunning());
}

TEST_F(ProgramLifecycleTest, ASecondProgramExitsWithAMessageAndLeavesTheFirstRunning)
{
    launch();
    ASSERT_TRUE(halomark && halomark->isRunning());
    const auto second = halomark->startAnother(folder->path() / "second.log");
    ASSERT_TRUE(second->started());
    const auto status = second->waitForExit(10s);
    ASSERT_TRUE(status) << "the second program still runs";
    EXPECT_TRUE(WIFEXITED(*status)) << "wait status " << *status;
    EXPECT_FALSE(second->log().empty()) << "the second program said nothing";
    RecordProperty("second_instance_message", second->log());
    EXPECT_TRUE(screen->embeddedWindowsOf(second->pid()).empty()) << "a second tray icon";
    EXPECT_TRUE(halomark->isRunning());
    EXPECT_TRUE(halomark->trayIcon());
}

TEST_F(ProgramLifecycleTest, SigtermEndsTheProgramWithoutAnOverlayLeftAndItStartsAgain)
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
    const pid_t pid = halomark->process().pid();
    ASSERT_TRUE(halomark->process().sendSignal(SIGTERM));
    const auto status = halomark->process().waitForExit(5s);
    ASSERT_TRUE(status) << "the program still runs after SIGTERM";
    for (const TopLevelWindow& window : screen->topLevelWindows()) {
        EXPECT_FALSE(window.pid == static_cast<std::uint32_t>(pid) && window.viewable)
            << "window " << window.id << " at " << describe(window.rect);
    }
    EXPECT_TRUE(
        waitUntil([&] { return screen->grab(kLeftUsableArea).differingPixels(before) == 0; }, 2s))
        << "the screen is not as it was";

    // Nothing of the ended program stands in the way of the next one.
    ASSERT_TRUE(halomark->start()) << halomark->log();
    EXPECT_TRUE(waitUntil([&] { return halomark->leftVeils().size() == 1; }, 5s));
}

} // namespace
} // namespace halomark::e2e
