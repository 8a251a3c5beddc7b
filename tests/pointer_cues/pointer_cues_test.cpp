// The spotlight and the click pulses on the simulated platform: sampling only while one is on,
// the spotlight's circle following the pointer across two monitors with repaints of only what
// changes, and one pulse per press in the cue colour or its complement.
#include "locator/appearance_settings.h"
#include "pointer_cues/click_pulse_view.h"
#include "pointer_cues/pointer_cue_controller.h"
#include "sim/sim_input_state.h"
#include "sim/sim_main_loop.h"
#include "sim/sim_panel.h"
#include "sim/sim_screen_list.h"
#include "sim/sim_settings_store.h"

#include <gtest/gtest.h>

#include <tuple>

namespace halomark {
namespace {

using sim::SimScreenList;

class PointerCuesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        screens.setScreens({SimScreenList::makeScreen(1, Rect{0, 0, 1280, 800}),
                            SimScreenList::makeScreen(2, Rect{1280, 0, 1280, 800})});
        input.movePointer({400, 300});
    }
    void frame() { loop.advance(controller->pollInterval()); }
    std::shared_ptr<SpotlightView> view(int monitor) const
    {
        return controller->spotlightPanels().at(monitor).view;
    }
    std::shared_ptr<sim::SimPanel> panel(int number) const { return panels.panel(number); }

    sim::SimMainLoop loop;
    sim::SimInputState input;
    SimScreenList screens;
    sim::SimPanelFactory panels{loop};
    sim::SimSettingsStore store;
    AppearanceSettings appearance{store};
    std::shared_ptr<PointerCueController> controller =
        std::make_shared<PointerCueController>(loop, input, screens, panels, appearance);
};

TEST_F(PointerCuesTest, SpotlightFollowsThePointerRepaintingOnlyTheCircleAndNothingWhileStill)
{
    controller->setSpotlightEnabled(true);
    ASSERT_EQ(panels.createdCount(), 2);
    EXPECT_EQ(panel(1)->frame(), (Rect{1280, 0, 1280, 800}));
    EXPECT_TRUE(panel(1)->level() == window_levels::popUpMenu && panel(1)->ignoresMouseEvents());
    EXPECT_EQ(view(0)->center(), (Point{400, 300}));
    EXPECT_EQ(view(1)->center(), std::nullopt);

    // Still: no repaint at all, however long.
    const int requests = panel(0)->displayRequestCount();
    loop.advance(2.0);
    EXPECT_EQ(panel(0)->displayRequestCount(), requests);

    // Moves within one frame repaint once: the old and the new circle's bounds together.
    input.movePointer({410, 290});
    input.movePointer({420, 280});
    frame();
    EXPECT_EQ(panel(0)->displayRequestCount(), requests + 1);
    const double r = SpotlightView::radius + SpotlightView::softEdge / 2 + 1;
    EXPECT_EQ(panel(0)->lastDisplayRequest(), (Rect{400 - r, 280 - r, 20 + 2 * r, 20 + 2 * r}));

    // Onto the other monitor: the first goes dark where the circle was, the second lights.
    input.movePointer({1480, 100});
    frame();
    EXPECT_EQ(view(0)->center(), std::nullopt);
    EXPECT_EQ(panel(0)->lastDisplayRequest(), SpotlightView::circleBounds({420, 280}));
    EXPECT_EQ(panel(1)->lastDisplayRequest(), SpotlightView::circleBounds({200, 100}));

    // Drawn: 60% black outside the soft edge, rings darkening outwards inside it; all dark
    // on the monitor without the pointer.
    panel(1)->displayIfNeeded();
    const auto fills = panel(1)->lastFrame().fills();
    ASSERT_EQ(fills.size(), 1u + SpotlightView::softEdgeSteps);
    EXPECT_EQ(fills[0].color.alpha, SpotlightView::dimAlpha);
    EXPECT_EQ(fills[0].bounds(), (Rect{0, 100 - 152, 1280, 800 + 52}));
    EXPECT_EQ(fills[1].bounds(), (Rect{200 - 130, 100 - 130, 260, 260}));
    EXPECT_TRUE(fills[1].color.alpha < fills[2].color.alpha && fills[12].color.alpha < 0.6);
    panel(0)->displayIfNeeded();
    EXPECT_EQ(panel(0)->lastFrame().fills().size(), 1u);

    // A 144 Hz monitor comes between two samples: from then on the circle follows at its
    // refresh, sooner than the next sample at 60 Hz.
    loop.advance(0.5 / 60);
    Screen fast = SimScreenList::makeScreen(2, Rect{1280, 0, 1280, 800});
    fast.refreshRate = 144;
    screens.setScreens({SimScreenList::makeScreen(1, Rect{0, 0, 1280, 800}), fast});
    controller->screensChanged();
    input.movePointer({1490, 110});
    loop.advance(1.0 / 144);
    EXPECT_EQ(view(1)->center(), (Point{210, 110}));

    // The master switch off hides every panel and stops sampling; on again, they return.
    controller->setSuspended(true);
    EXPECT_TRUE(panels.frontToBack().empty() && loop.activeTimerCount() == 0);
    controller->setSuspended(false);
    EXPECT_EQ(panels.frontToBack().size(), 2u);
    controller->setSpotlightEnabled(false);
    EXPECT_TRUE(panels.frontToBack().empty() && loop.activeTimerCount() == 0);
}

TEST_F(PointerCuesTest, EachPressOfLeftOrRightShowsOnePulseInTheCueColourOrItsComplement)
{
    appearance.setSelectedChoice(AppearanceSettings::ColorChoice::orange);
    // A button held when pulses are switched on is no press.
    input.pressButton(0);
    controller->setShowClicksEnabled(true);
    frame();
    input.releaseButton(0);
    frame();
    EXPECT_EQ(panels.createdCount(), 0);

    // Held over many frames, one press gives one click-through pulse centred on the pointer.
    input.pressButton(0);
    frame();
    const double pressed = loop.now();
    loop.advance(0.1);
    ASSERT_EQ(panels.createdCount(), 1);
    const double half = ClickPulseView::side / 2;
    EXPECT_EQ(panel(0)->frame(), (Rect{400 - half, 300 - half, 2 * half, 2 * half}));
    EXPECT_TRUE(panel(0)->level() == window_levels::screenSaver && panel(0)->ignoresMouseEvents());
    const auto left = std::dynamic_pointer_cast<ClickPulseView>(panel(0)->contentView());
    ASSERT_TRUE(left);
    EXPECT_EQ(left->color, Color::sRGB255(255, 149, 0));

    // The ring grows from 6 to 28 points while it fades.
    for (const auto& [elapsed, width, opacity] :
         {std::tuple{0.0, 12.0, 1.0}, {0.3499, 56.0, 0.0}}) {
        sim::SimCanvas canvas;
        left->draw(canvas, pressed + elapsed);
        ASSERT_EQ(canvas.strokes().size(), 2u);
        EXPECT_NEAR(canvas.strokes().back().bounds().width(), width, 0.05);
        EXPECT_NEAR(canvas.strokes().back().opacity, opacity, 0.01);
    }

    // The right button, pressed while the left is still down, pulses in the complement.
    input.pressButton(1);
    frame();
    ASSERT_EQ(panels.createdCount(), 2);
    const auto right = std::dynamic_pointer_cast<ClickPulseView>(panel(1)->contentView());
    EXPECT_EQ(right->color, Color::sRGB(0, 1 - 149 / 255.0, 1));

    // Each goes with its panel once faded; switched off, nothing samples.
    loop.advance(0.4);
    EXPECT_TRUE(controller->pulsePanels().empty() && panels.frontToBack().empty());
    controller->setShowClicksEnabled(false);
    input.resetQueryCount();
    loop.advance(1.0);
    EXPECT_EQ(input.queryCount(), 0);
}

} // namespace
} // namespace halomark
