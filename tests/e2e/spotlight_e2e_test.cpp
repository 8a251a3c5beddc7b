// The spotlight and the click pulses on a compositing desktop: chosen in the tray menu, the
// spotlight darkens both monitors except a clear circle around the pointer and follows it;
// clicks pass through it; switched on by the command, a press of the left button shows a small
// white ring at the pointer that grows and goes, and the click reaches the window below.
#include "end_to_end_test.h"

#include <cmath>
#include <numbers>

namespace halomark::e2e {
namespace {

class SpotlightTest : public EndToEndTest
{
protected:
    bool command(const std::vector<std::string>& arguments)
    {
        const auto process = startAnother("command", arguments);
        return exitedWith(process->waitForExit(5s), 0);
    }

    // Clear within 100 pixels of the pointer, darkened from 190 pixels on, on this monitor
    // (eight directions) and on the other (two bare spots); what differs when not.
    std::string spotlightMisses(const Image& before, int x, int y)
    {
        const Image now = screen->grab({0, 0, kRightMonitor.right(), kRightMonitor.bottom()});
        std::string misses;
        const auto expect = [&](int px, int py, bool dark) {
            const Rgb was = before.at(px, py);
            const double keep = dark ? 0.4 : 1.0; // what 60% black leaves
            const Rgb want{int(was.red * keep), int(was.green * keep), int(was.blue * keep)};
            if (!near(now.at(px, py), want, 5)) {
                misses += " (" + std::to_string(px) + "," + std::to_string(py) + ") " +
                          describe(was) + "->" + describe(now.at(px, py));
            }
        };
        for (int k = 0; k < 8; ++k) {
            const double angle = k * std::numbers::pi / 4;
            for (const auto& [radius, dark] : {std::pair{100.0, false}, {190.0, true}}) {
                expect(x + static_cast<int>(radius * std::cos(angle)),
                       y + static_cast<int>(radius * std::sin(angle)), dark);
            }
        }
        expect(kRightDesktopSampleX, kDesktopSampleY, true);
        expect(kRightMonitor.x + 900, 200, true);
        return misses;
    }
};

TEST_F(SpotlightTest, SpotlightFollowsThePointerAndClicksPulseAndPassThroughBoth)
{
    ASSERT_NO_FATAL_FAILURE(useCompositor(true));
    BlueTerminal& terminal = addTerminal("e2e-spotlight", kLeftTerminalX, kTerminalY);
    ASSERT_NO_FATAL_FAILURE(launch());
    const PixelRect client = *terminal.clientArea();
    int x = client.x + client.width / 2, y = client.y + client.height / 2;
    ASSERT_TRUE(movePointer(x, y));
    const Image before = waitForSettledScreen();

    // Chosen in the menu (which takes the pointer to the tray), then following the pointer.
    ASSERT_TRUE(choose(MenuEntry::spotlight));
    x -= 120;
    ASSERT_TRUE(movePointer(x, y));
    std::string misses;
    EXPECT_TRUE(waitUntil([&] { return (misses = spotlightMisses(before, x, y)).empty(); }, 3s))
        << misses;

    // A click goes through it to the terminal.
    const int presses = terminal.pressesReceived();
    xdotool({"click", "1"});
    EXPECT_TRUE(waitUntil([&] { return terminal.pressesReceived() == presses + 1; }, 2s))
        << "the click did not reach the terminal below the spotlight";

    // Pulses on by the command, stored; a press shows a white ring at the pointer, smaller than
    // the locator's, that grows; its panel goes with it and the click reaches the terminal.
    ASSERT_TRUE(command({"clicks", "on"}));
    EXPECT_EQ(setting("Halomark.showClicksEnabled"), "true");
    const PixelRect square{x - 66, y - 66, 133, 133};
    ASSERT_TRUE(input.pressButton(1));
    const auto pressed = Clock::now();
    hold(80ms);
    ASSERT_TRUE(input.releaseButton(1));
    std::vector<RingMeasure> pulses; // the ring's pixels, while it shows
    waitUntil(
        [&] {
            RingMeasure ring = measureRing(screen->grab(square), x, y, isWhiteStroke);
            ring.seconds = secondsSince(pressed);
            pulses.insert(pulses.end(), ring.cuePixels >= 12 ? 1 : 0, ring);
            return !pulses.empty() && ring.cuePixels == 0;
        },
        2s);
    ASSERT_FALSE(pulses.empty()) << "no pulse at the pointer";
    const RingMeasure &first = pulses.front(), &last = pulses.back();
    EXPECT_TRUE(first.seconds < 0.3 && last.seconds < 0.8) << first.seconds << ", " << last.seconds;
    EXPECT_TRUE(last.radius <= 31 && last.radius > first.radius - 0.5 &&
                std::abs(last.centerX - x) <= 2 && std::abs(last.centerY - y) <= 2);
    EXPECT_TRUE(waitUntil([&] { return terminal.pressesReceived() == presses + 2; }, 2s))
        << "the click did not reach the terminal below the pulse";

    // The command turns the spotlight off: its panels go and the screen is as it was.
    ASSERT_TRUE(command({"spotlight", "off"}));
    EXPECT_TRUE(waitUntil([&] { return monitorPanels().empty(); }, 2s));
    EXPECT_TRUE(
        waitUntil([&] { return near(screen->pixel(x + 190, y), before.at(x + 190, y), 3); }));

    ASSERT_TRUE(choose(MenuEntry::quit));
    expectCleanExit("Quit");
}

} // namespace
} // namespace halomark::e2e
