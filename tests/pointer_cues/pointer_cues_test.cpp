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
    void frame() { loop.advance(PointerCueController::pollInterval); }
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
    // Off: nothing samples.
    loop.advance(1.0);
    EXPECT_EQ(input.queryCount(), 0);
    EXPECT_EQ(loop.activeTimerCount(), 0);

    controller->setSpotlightEnabled(true);
    ASSERT_EQ(panels.createdCount(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(panel(i)->level(), window_levels::popUpMenu);
        EXPECT_EQ(panel(i)->ignoresMouseEvents(), true);
        EXPECT_TRUE(panel(i)->isVisible());
    }
    EXPECT_EQ(panel(1)->frame(), (Rect{1280, 0, 1280, 800}));
    EXPECT_EQ(view(0)->center(), (Point{400, 300}));
    EXPECT_EQ(view(1)->center(), std::nullopt);
    EXPECT_EQ(loop.activeTimerCount(), 1);

    // Still: no repaint at all, however long.
    const int requests = panel(0)->displayRequestCount();
    loop.advance(2.0);
    EXPECT_EQ(panel(0)->displayRequestCount(), requests);
    EXPECT_EQ(panel(1)->displayRequestCount(), 0);

    // A small move repaints the old and the new circle's bounds as one rectangle, once per
    // frame however many moves fall within it.
    input.movePointer({410, 290});
    input.movePointer({420, 280});
    frame();
    EXPECT_EQ(panel(0)->displayRequestCount(), requests + 1);
    const double r = SpotlightView::radius + SpotlightView::softEdge / 2 + 1;
    EXPECT_EQ(panel(0)->lastDisplayRequest(), (Rect{400 - r, 280 - r, 20 + 2 * r, 20 + 2 * r}));

    // Onto the other monitor: the first goes dark where the circle was, the second lights
    // only around the pointer.
    input.movePointer({1480, 100});
    frame();
    EXPECT_EQ(view(0)->center(), std::nullopt);
    EXPECT_EQ(panel(0)->lastDisplayRequest(), SpotlightView::circleBounds({420, 280}));
    EXPECT_EQ(view(1)->center(), (Point{200, 100}));
    EXPECT_EQ(panel(1)->lastDisplayRequest(), SpotlightView::circleBounds({200, 100}));

    // Drawn: 60% black outside the soft edge, rings darkening outwards inside it.
    panel(1)->displayIfNeeded();
    const auto fills = panel(1)->lastFrame().fills();
    ASSERT_EQ(fills.size(), 1u + SpotlightView::softEdgeSteps);
    EXPECT_EQ(fills[0].color.alpha, SpotlightView::dimAlpha);
    EXPECT_EQ(fills[0].fillRule, FillRule::evenOdd);
    // The view's bounds and the outer circle, 152 points round the pointer, past the bottom.
    EXPECT_EQ(fills[0].bounds(), (Rect{0, 100 - 152, 1280, 800 + 52}));
    // The innermost ring lies 12 points inside the circle's radius, plus one step.
    EXPECT_EQ(fills[1].bounds(), (Rect{200 - 130, 100 - 130, 260, 260}));
    for (std::size_t i = 2; i < fills.size(); ++i) {
        EXPECT_GT(fills[i].color.alpha, fills[i - 1].color.alpha);
        EXPECT_LT(fills[i].color.alpha, SpotlightView::dimAlpha);
    }
    panel(0)->displayIfNeeded();
    EXPECT_EQ(panel(0)->lastFrame().fills().size(), 1u) << "the monitor without the pointer";

    // The master switch off hides every panel and stops sampling; on again, they return.
    controller->setSuspended(true);
    EXPECT_TRUE(panels.frontToBack().empty());
    EXPECT_EQ(loop.activeTimerCount(), 0);
    controller->setSuspended(false);
    EXPECT_EQ(panels.frontToBack().size(), 2u);
    controller->setSpotlightEnabled(false);
    EXPECT_TRUE(panels.frontToBack().empty());
    EXPECT_EQ(loop.activeTimerCount(), 0);

    // Where buttons and the pointer cannot be sampled nothing shows.
    input.setReadsKeysAndButtons(false);
    controller->setSpotlightEnabled(true);
    EXPECT_TRUE(panels.frontToBack().empty());
    EXPECT_EQ(loop.activeTimerCount(), 0);
}

TEST_F(PointerCuesTest, EachPressOfLeftOrRightShowsOnePulseInTheCueColourOrItsComplement)
{
    appearance.setSelectedChoice(AppearanceSettings::ColorChoice::orange);
    // A button held when pulses are switched on is no press.
    input.pressButton(0);
    controller->setShowClicksEnabled(true);
    frame();
    EXPECT_EQ(panels.createdCount(), 0);
    input.releaseButton(0);
    frame();

    // Held over many frames, one press gives one pulse, centred on the pointer above every
    // other overlay, and click-through.
    input.pressButton(0);
    frame();
    const double pressed = loop.now();
    for (int i = 0; i < 4; ++i) {
        frame();
    }
    ASSERT_EQ(panels.createdCount(), 1);
    const double half = ClickPulseView::side / 2;
    EXPECT_EQ(panel(0)->frame(), (Rect{400 - half, 300 - half, 2 * half, 2 * half}));
    EXPECT_EQ(panel(0)->level(), window_levels::screenSaver);
    EXPECT_EQ(panel(0)->ignoresMouseEvents(), true);
    const auto leftView = std::dynamic_pointer_cast<ClickPulseView>(panel(0)->contentView());
    ASSERT_TRUE(leftView);
    EXPECT_EQ(leftView->color, Color::sRGB255(255, 149, 0));

    // The ring grows from 6 to 28 points and fades: at the start small and opaque, at the end
    // full size and gone.
    const auto strokeAt = [&](double elapsed) {
        sim::SimCanvas canvas;
        leftView->draw(canvas, pressed + elapsed);
        const auto strokes = canvas.strokes();
        return strokes.empty() ? sim::SimCanvas::Drawing{} : strokes.back();
    };
    EXPECT_NEAR(strokeAt(0).bounds().width(), 2 * ClickPulseView::startRadius, 0.01);
    EXPECT_NEAR(strokeAt(0.3499).bounds().width(), 2 * ClickPulseView::endRadius, 0.05);
    EXPECT_LT(strokeAt(0.3).opacity, 0.5);
    EXPECT_NEAR(strokeAt(0).opacity, 1.0, 0.01);
    EXPECT_GT(strokeAt(0.1).bounds().width(), strokeAt(0.05).bounds().width());

    // The right button, pressed while the left is still down, pulses in the complement.
    input.pressButton(1);
    frame();
    ASSERT_EQ(panels.createdCount(), 2);
    const auto rightView = std::dynamic_pointer_cast<ClickPulseView>(panel(1)->contentView());
    EXPECT_NEAR(rightView->color.red, 0.0, 1e-9);
    EXPECT_NEAR(rightView->color.green, 1 - 149 / 255.0, 1e-9);
    EXPECT_NEAR(rightView->color.blue, 1.0, 1e-9);
    EXPECT_EQ(controller->pulsePanels().size(), 2u);

    // Each goes with its panel once faded.
    loop.advance(0.4);
    EXPECT_TRUE(controller->pulsePanels().empty());
    EXPECT_TRUE(panels.frontToBack().empty());

    // Switched off, presses show nothing and nothing samples.
    input.releaseAll();
    controller->setShowClicksEnabled(false);
    EXPECT_EQ(loop.activeTimerCount(), 0);
    input.resetQueryCount();
    input.pressButton(0);
    loop.advance(1.0);
    EXPECT_EQ(panels.createdCount(), 2);
    EXPECT_EQ(input.queryCount(), 0);
}

} // namespace
} // namespace halomark
