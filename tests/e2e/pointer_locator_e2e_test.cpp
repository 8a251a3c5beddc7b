// The pointer locator as a person sees it: Super tapped alone puts a ring around the pointer
// that shrinks onto it and is gone within a second; Super used with another modifier, with a
// focus-switch key, with a letter or with a click shows nothing.
#include "ring_watch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace halomark::e2e {
namespace {

class PointerLocatorTest : public EndToEndTest
{
protected:
    // A blue terminal on the left monitor, active, with the pointer in its middle and the
    // program running with fresh settings (a white ring with a black outline).
    void SetUp() override
    {
        EndToEndTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(useCompositor(true));
        BlueTerminal& terminal = addTerminal("e2e-locator", kLeftTerminalX, kTerminalY);
        ASSERT_TRUE(terminal.activate());
        const auto area = terminal.clientArea();
        ASSERT_TRUE(area);
        x = area->centerX();
        y = area->centerY();
        ASSERT_TRUE(movePointer(x, y));
        launch();
        ASSERT_TRUE(halomark && halomark->isRunning());
    }

    // Taps Super as a person does and watches the ring until it has gone.
    RingWatch tapAndWatch()
    {
        tapSuper();
        return watchRing(*screen, *halomark, x, y, isWhiteStroke, Clock::now(), 3s);
    }

    int x = 0;
    int y = 0;
};

TEST_F(PointerLocatorTest, ATapShowsARingThatShrinksOntoThePointerAndSuperUsedWithMoreShowsNone)
{
    const Image before = screen->grab({x - 66, y - 66, 133, 133});
    ASSERT_EQ(measureRing(before, x, y, isWhiteStroke).cuePixels, 0);

    const RingWatch watch = tapAndWatch();
    const auto rings = watch.ringFrames();
    ASSERT_FALSE(rings.empty()) << "no ring around the pointer";
    EXPECT_LT(rings.front().seconds, 1.0) << "the ring came late";

    // About 52 pixels at first, centred on the pointer; smaller and smaller afterwards.
    const auto largest = std::max_element(rings.begin(), rings.end(),
                                          [](auto& a, auto& b) { return a.radius < b.radius; });
    EXPECT_NEAR(largest->radius, 52, 3) << "at " << largest->seconds << " s";
    for (const RingMeasure& ring : rings) {
        EXPECT_NEAR(ring.centerX, x, 2) << "at " << ring.seconds << " s";
        EXPECT_NEAR(ring.centerY, y, 2) << "at " << ring.seconds << " s";
    }
    for (std::size_t i = 1; i < rings.size(); ++i) {
        EXPECT_LE(rings[i].radius, rings[i - 1].radius + 1.5)
            << "the ring grew between " << rings[i - 1].seconds << " s and " << rings[i].seconds
            << " s";
    }
    EXPECT_LT(rings.back().radius, 0.6 * largest->radius) << "the ring did not shrink";

    // The black outline shows beside the white stroke of the largest ring.
    {
        tapSuper();
        const auto start = Clock::now();
        Image shot;
        ASSERT_TRUE(waitUntil(
            [&] {
                shot = screen->grab({x - 66, y - 66, 133, 133});
                return measureRing(shot, x, y, isWhiteStroke).cuePixels >= 200;
            },
            1s));
        const RingMeasure ring = measureRing(shot, x, y, isWhiteStroke);
        const RingMeasure outline = measureRing(shot, x, y, isDarkOutline);
        EXPECT_GE(outline.cuePixels, 100) << "no dark outline around the white ring";
        EXPECT_NEAR(outline.radius, ring.radius, 3);
        // That ring runs out before the screen is compared with how it was.
        waitUntil([&] { return secondsSince(start) > 1.5 && halomark->monitorPanels().empty(); },
                  3s);
    }

    // The panel lives 0.86 s, and the screen is as it was before.
    ASSERT_TRUE(watch.panelShown && watch.panelGone) << "the ring's panel did not come and go";
    const double lifetime = *watch.panelGone - *watch.panelShown;
    EXPECT_GT(lifetime, 0.7);
    EXPECT_LT(lifetime, 1.2);
    EXPECT_LT(*watch.panelGone, 1.6) << "the ring stayed too long after the release";
    EXPECT_EQ(screen->grab(before.area()).differingPixels(before), 0);
    RecordProperty("ring_panel_lifetime_ms", static_cast<int>(lifetime * 1000));
    RecordProperty("ring_first_seen_ms", static_cast<int>(rings.front().seconds * 1000));

    // Super used with another modifier, a focus-switch key, a letter (a shortcut such as
    // Super+C) or a click during the press is no tap.
    for (const std::string other : {"Shift_L", "Tab", "grave", "c", "click"}) {
        SCOPED_TRACE("Super with " + other);
        ASSERT_TRUE(input.pressKey("Super_L"));
        x11::testing::hold(80ms);
        ASSERT_TRUE(other == "click" ? input.pressButton(1) : input.pressKey(other));
        x11::testing::hold(80ms);
        ASSERT_TRUE(other == "click" ? input.releaseButton(1) : input.releaseKey(other));
        x11::testing::hold(80ms);
        ASSERT_TRUE(input.releaseKey("Super_L"));
        EXPECT_FALSE(ringAppears(*screen, x, y, isWhiteStroke, 700ms));
        // Whatever the press left on the screen (a ring, the dot of a click) goes first.
        ASSERT_TRUE(waitUntil([&] { return halomark->monitorPanels().empty(); }, 3s));

        // The program still answers: a plain tap right after shows the ring.
        tapSuper();
        EXPECT_TRUE(ringAppears(*screen, x, y, isWhiteStroke, 1s)) << "after Super with " << other;
        ASSERT_TRUE(waitUntil([&] { return halomark->monitorPanels().empty(); }, 3s));
    }
}

} // namespace
} // namespace halomark::e2e
