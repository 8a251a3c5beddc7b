// Without a compositor a translucent window would show as an opaque sheet. On such a desktop
// the highlight and the tap's ring must leave the rest of the screen as it was: only their own
// strokes change pixels (the Qt adapter's desktop test drags a range selection there). A
// compositor starting while the program runs makes the veil translucent again, and SIGTERM with
// a ring on its way is a clean exit.
#include "end_to_end_test.h"

#include <csignal>

namespace halomark::e2e {
namespace {

using WithoutCompositorTest = EndToEndTest;

TEST_F(WithoutCompositorTest, OnlyStrokesShowUntilACompositorStartsAndSigtermEndsItCleanly)
{
    ASSERT_NO_FATAL_FAILURE(useCompositor(false));
    BlueTerminal& terminal = addTerminal("e2e-plain", kLeftTerminalX, kTerminalY);
    ASSERT_TRUE(terminal.activate());
    const PixelRect client = *terminal.clientArea();
    const int x = client.x + client.width / 2, y = client.y + client.height / 2;
    ASSERT_TRUE(movePointer(x, y));
    const Image before = waitForSettledScreen(kLeftUsableArea);
    const Rgb desktop = before.at(kLeftDesktopSampleX, kDesktopSampleY);
    // A hundredth of the monitor is far more than any stroke.
    const std::int64_t fewPixels = std::int64_t{1280} * 770 / 100;
    const auto changedPixels = [&] {
        return screen->grab(kLeftUsableArea).differingPixels(before);
    };
    const auto restVisible = [&] {
        const Image now = screen->grab(kLeftUsableArea);
        return now.differingPixels(before) < fewPixels && now.at(x, y) == kBlue &&
               now.at(kLeftDesktopSampleX, kDesktopSampleY) == desktop;
    };

    ASSERT_NO_FATAL_FAILURE(launch({{"Halomark.colorChoice", "\"red\""}}));
    // The highlight shows as a band around the hole; the window and the desktop stay.
    ASSERT_TRUE(waitUntil([&] { return changedPixels() > 0; }, 5s)) << "no highlight at all";
    EXPECT_TRUE(restVisible()) << changedPixels() << " pixels changed";

    ASSERT_NO_FATAL_FAILURE(tapSuper());
    EXPECT_TRUE(ringAppears(x, y, isRedStroke, 2s)) << "no ring";
    EXPECT_TRUE(restVisible()) << changedPixels() << " pixels changed";
    ASSERT_TRUE(waitUntil([&] { return monitorPanels().empty(); }));

    // A compositor starting now turns the band into a translucent veil over the monitor.
    ASSERT_TRUE(desktopScript("compositor-start"));
    const auto veiledDesktop = [&] {
        const Rgb now = screen->pixel(kLeftDesktopSampleX, kDesktopSampleY);
        return now.red == now.green && now.green == now.blue && now.red >= 180;
    };
    EXPECT_TRUE(waitUntil(veiledDesktop, 5s))
        << "no veil over the desktop once a compositor runs: "
        << describe(screen->pixel(kLeftDesktopSampleX, kDesktopSampleY));
    EXPECT_TRUE(waitUntil([&] { return screen->pixel(x, y) == kBlue; })) << "no hole";

    // SIGTERM with a ring on its way ends the program cleanly.
    ASSERT_TRUE(movePointer(x, y));
    ASSERT_NO_FATAL_FAILURE(tapSuper());
    ASSERT_TRUE(ringAppears(x, y, isRedStroke, 1s));
    ASSERT_TRUE(halomark->sendSignal(SIGTERM));
    expectCleanExit("SIGTERM");
    EXPECT_TRUE(waitUntil([&] { return !veiledDesktop() && !ringAppears(x, y, isRedStroke, 0ms); }))
        << "the screen is not as it was";
}

} // namespace
} // namespace halomark::e2e
