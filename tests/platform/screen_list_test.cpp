#include "platform/panel_configuration.h"
#include "sim/sim_screen_list.h"

#include <gtest/gtest.h>

namespace halomark {
namespace {

using sim::SimScreenList;

class ScreenLookup : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Two displays side by side; the right one is taller and reaches below the left one.
        screens.setScreens({SimScreenList::makeScreen(1, {0, 0, 1280, 800}),
                            SimScreenList::makeScreen(2, {1280, -100, 1280, 1000}, 2.0)});
    }

    std::optional<DisplayIdentifier> lookup(double x, double y)
    {
        const auto screen = screenContaining(screens, {x, y});
        if (!screen) {
            return std::nullopt;
        }
        return displayIdentifier(*screen);
    }

    SimScreenList screens;
};

TEST_F(ScreenLookup, LeftAndTopEdgesBelongToTheScreenRightAndBottomDoNot)
{
    EXPECT_EQ(lookup(0, 400), 1u);       // left edge
    EXPECT_EQ(lookup(100, 800), 1u);     // top edge
    EXPECT_EQ(lookup(1280, 400), 2u);    // shared edge: the display on the right
    EXPECT_EQ(lookup(1279.99, 400), 1u); // just inside the right edge
    EXPECT_EQ(lookup(2559.9, 900), 2u);
}

TEST_F(ScreenLookup, FallsBackToTheMainScreenAndThenToNothing)
{
    // Exactly on the bottom edge of the lowest display: no frame contains it.
    screens.setMainScreen(2);
    EXPECT_EQ(lookup(1500, -100), 2u);
    EXPECT_EQ(lookup(-50, 10), 2u);
    screens.setNoMainScreen(true);
    EXPECT_EQ(lookup(-50, 10), std::nullopt);
    EXPECT_EQ(lookup(10, 10), 1u);

    SimScreenList none;
    EXPECT_EQ(screenContaining(none, {0, 0}), std::nullopt);
}

TEST_F(ScreenLookup, FlipUsesTheTopOfTheFirstScreenOrZero)
{
    const auto all = screens.screens();
    EXPECT_EQ(flipToBottomLeft({10, 20, 300, 200}, all), (Rect{10, 580, 300, 200}));
    // Order matters: the first screen, not the tallest, gives the reference height.
    std::vector<Screen> swapped{all[1], all[0]};
    EXPECT_EQ(flipToBottomLeft({10, 20, 300, 200}, swapped), (Rect{10, 680, 300, 200}));
    EXPECT_EQ(flipToBottomLeft({10, 20, 300, 200}, {}), (Rect{10, -220, 300, 200}));
}

TEST(DisplayIdentifier, UsesTheScreenNumberOrTheLowBitsOfTheIdentity)
{
    Screen screen;
    screen.objectIdentity = 0x1234'5678'9abc'def0ull;
    EXPECT_EQ(displayIdentifier(screen), 0x9abcdef0u);
    screen.screenNumber = 7;
    EXPECT_EQ(displayIdentifier(screen), 7u);
}

// Level, mouse handling, alpha and animation behaviour reach the panels as calls, which the
// overlay controllers' tests check; what never becomes a call is checked here.
TEST(PanelConfiguration, RingsAndSelectionsCoverTheFrameVeilsTheUsableAreaNoneIsOpaque)
{
    const Screen screen =
        SimScreenList::makeScreen(3, {0, 0, 1440, 900}, 2.0, Rect{0, 70, 1440, 805});
    const auto ring = ringPanelConfiguration(screen);
    const auto veil = veilPanelConfiguration(screen);
    const auto selection = selectionPanelConfiguration(screen);
    EXPECT_EQ(ring.contentRect, screen.frame);
    EXPECT_EQ(veil.contentRect, screen.visibleFrame);
    EXPECT_EQ(selection.contentRect, screen.frame);
    for (const auto& c : {ring, veil, selection}) {
        EXPECT_EQ(c.display, 3u);
        EXPECT_EQ(c.styleMask, 128u);
        EXPECT_EQ(c.collectionBehavior, 337u);
        EXPECT_FALSE(c.opaque);
        EXPECT_FALSE(c.hasShadow);
        EXPECT_FALSE(c.hidesOnDeactivate);
    }
}

} // namespace
} // namespace halomark
