// The program's life as the desktop sees it: its command line, which needs no server; one
// program per display; launch at login as an autostart entry; a language chosen in the menu
// that renames every item and outlives the program; and ends by SIGINT and by Ctrl+Q in the
// open menu that are clean exits, taking every window with them.
#include "end_to_end_test.h"

#include <csignal>

namespace halomark::e2e {
namespace {

using ProgramLifecycleTest = EndToEndTest;

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
    const Case cases[] = {
        {{"--version"}, "", 0, false, "halomark "},
        {{"--help"}, "", 0, false, "Usage: "},
        {{"--frobnicate"}, "", 2, true, "unknown option '--frobnicate'"},
        {{}, ":4711", 1, true, "cannot connect to the X display ':4711'"},
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

TEST_F(ProgramLifecycleTest, OneProgramPerDisplayWhoseChoicesOutliveItAndWhichEndsCleanly)
{
    ASSERT_NO_FATAL_FAILURE(launch());
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
    EXPECT_NE(entry.find("Exec=" + std::filesystem::canonical(HALOMARK_PROGRAM).string()),
              std::string::npos)
        << entry;
    ASSERT_TRUE(choose(MenuEntry::launchAtLogin));
    EXPECT_TRUE(waitUntil([&] { return !std::filesystem::exists(autostartEntry()); }, 2s))
        << "the autostart entry stayed";

    // Japanese, the second language, renames the menu's items.
    const Image english = menuPicture();
    ASSERT_TRUE(choose(MenuEntry::language, 2));
    ASSERT_TRUE(waitUntil([&] { return setting("Halomark.language") == "\"ja\""; }, 2s))
        << readFile(settingsFile());
    const Image japanese = menuPicture();
    ASSERT_FALSE(english.empty() || japanese.empty());
    EXPECT_TRUE(japanese.area != english.area || japanese.differingPixels(english) > 0)
        << "the menu reads as before";

    ASSERT_TRUE(halomark->sendSignal(SIGINT));
    expectCleanExit("SIGINT");

    // Nothing of the ended program stands in the way of the next one, which shows the
    // Japanese menu again; Ctrl+Q in its open menu ends it.
    ASSERT_NO_FATAL_FAILURE(launch());
    const Image again = menuPicture();
    EXPECT_TRUE(again.area.width == japanese.area.width &&
                again.area.height == japanese.area.height);
    ASSERT_TRUE(openMenu());
    ASSERT_TRUE(xdotool({"key", "ctrl+q"}));
    expectCleanExit("Ctrl+Q in the open menu");
}

} // namespace
} // namespace halomark::e2e
