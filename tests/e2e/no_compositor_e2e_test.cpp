// Without a compositor a translucent window would show as an opaque sheet. On such a desktop
// the tap's ring, the highlight and a range selection must still leave the rest of the screen
// as it was: only their own strokes change pixels.
#include "ring_watch.h"

#include <gtest/gtest.h>

namespace halomark::e2e {
namespace {

constexpr Rgb kBlue{0, 0, 255};

class WithoutCompositorTest : public EndToEndTest
{};

TEST_F(WithoutCompositorTest, TheRingTheHighlightAndASelectionLeaveTheRestOfTheScreenVisible)
{
    ASSERT_NO_FATAL_FAILURE(useCompositor(false));
    BlueTerminal& terminal = addTerminal("e2e-plain", kLeftTerminalX, kTerminalY);
    ASSERT_TRUE(terminal.activate());
    const auto client = terminal.clientArea();
    ASSERT_TRUE(client);
    const int x = client->centerX();
    const int y = client->centerY();
    ASSERT_TRUE(movePointer(x, y));
    waitForSettledScreen();
    const Image before = screen->grab(kLeftUsableArea);
    const Rgb desktop = before.at(kLeftDesktopSampleX, kDesktopSampleY);
    // A hundredth of the monitor is far more than any stroke.
    const std::int64_t fewPixels =
        std::int64_t{kLeftUsableArea.width} * kLeftUsableArea.height / 100;
    const auto changedPixels = [&] {
        return screen->grab(kLeftUsableArea).differingPixels(before);
    };
    const auto restVisible = [&] {
        const Image now = screen->grab(kLeftUsableArea);
        return now.differingPixels(before) < fewPixels && now.at(x, y) == kBlue &&
               now.at(kLeftDesktopSampleX, kDesktopSampleY) == desktop;
    };

    launch({{"Halomark.colorChoice", "\"red\""}});
    ASSERT_TRUE(halomark && halomark->isRunning());
    // The highlight shows as a band around the hole; the window and the desktop stay.
    ASSERT_TRUE(waitUntil([&] { return changedPixels() > 0; }, 5s)) << "no highlight at all";
    EXPECT_TRUE(restVisible()) << changedPixels() << " pixels changed";
    saveArtifact("highlight");

    // The ring.
    tapSuper();
    EXPECT_TRUE(ringAppears(*screen, x, y, isRedStroke, 1s)) << "no ring";
    EXPECT_TRUE(restVisible()) << changedPixels() << " pixels changed";
    saveArtifact("ring");
    ASSERT_TRUE(waitUntil([&] { return halomark->monitorPanels().empty(); }, 3s));

    // A selection: armed, it shows nothing; drawn, only its outline.
    const Image highlightOnly = screen->grab(kLeftUsableArea);
    ASSERT_TRUE(movePointer(x - 100, y - 60));
    ASSERT_TRUE(input.pressKey("Super_L"));
    x11::testing::hold(150ms);
    EXPECT_EQ(screen->grab(kLeftUsableArea).differingPixels(highlightOnly), 0);
    ASSERT_TRUE(input.pressButton(1));
    for (int step = 1; step <= 5; ++step) {
        xdotool(
            {"mousemove", std::to_string(x - 100 + 40 * step), std::to_string(y - 60 + 24 * step)});
    }
    EXPECT_TRUE(waitUntil(
        [&] {
            const Image now = screen->grab(kLeftUsableArea);
            return isRedStroke(now.at(x, y - 60)) || isRedStroke(now.at(x, y - 59)) ||
                   isRedStroke(now.at(x, y - 61));
        },
        2s))
        << "no rectangle";
    EXPECT_TRUE(restVisible()) << changedPixels() << " pixels changed";
    saveArtifact("selection");
    ASSERT_TRUE(input.releaseButton(1));
    ASSERT_TRUE(input.releaseKey("Super_L"));
    EXPECT_TRUE(waitUntil(
        [&] { return screen->grab(kLeftUsableArea).differingPixels(highlightOnly) == 0; }, 4s))
        << "the rectangle stayed";
}

} // namespace
} // namespace halomark::e2e
