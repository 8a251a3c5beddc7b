#include "selection/range_selection_overlay_controller.h"
#include "sim/sim_input_state.h"
#include "sim/sim_main_loop.h"
#include "sim/sim_panel.h"
#include "sim/sim_screen_list.h"
#include "sim/sim_settings_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace halomark {
namespace {

using sim::SimPanel;
using sim::SimScreenList;

class RangeSelectionOverlayControllerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Two displays side by side; the right one is taller and reaches below the left one.
        screens.setScreens({SimScreenList::makeScreen(1, Rect{0, 0, 1440, 900}),
                            SimScreenList::makeScreen(2, Rect{1440, -180, 1920, 1080})});
        controller = std::make_shared<RangeSelectionOverlayController>(loop, input, screens,
                                                                       factory, settings);
        controller->onUserInteractionStarted = [this] { ++interactions; };
        loop.advance(10); // selections start at a media time that is not 0
    }

    void beginAt(Point pointer)
    {
        input.movePointer(pointer);
        controller->beginSelection();
    }

    // Mouse events as the panel's window reports them: global points less the panel's origin.
    Point inWindow(Point global) const
    {
        const Rect f = controller->activePanel()->frame();
        return {global.x - f.minX(), global.y - f.minY()};
    }
    void press(Point global) { view()->mouseDown(inWindow(global)); }
    void drag(Point global) { view()->mouseDragged(inWindow(global)); }
    void release(Point global) { view()->mouseUp(inWindow(global)); }
    void rightPress(Point global) { view()->rightMouseDown(inWindow(global)); }

    // Held only for the length of one event, as the hosting window holds its view.
    std::shared_ptr<RangeSelectionCaptureView> view() const { return controller->activeView(); }

    static bool called(const SimPanel& panel, const std::string& call)
    {
        return std::find(panel.calls().begin(), panel.calls().end(), call) != panel.calls().end();
    }

    sim::SimMainLoop loop;
    sim::SimInputState input;
    SimScreenList screens;
    sim::SimPanelFactory factory{loop};
    sim::SimSettingsStore store;
    AppearanceSettings settings{store};
    std::shared_ptr<RangeSelectionOverlayController> controller;
    int interactions = 0;
};

TEST_F(RangeSelectionOverlayControllerTest, ASelectionPanelCoversTheScreenUnderThePointer)
{
    beginAt({1500, 100});
    ASSERT_EQ(factory.createdCount(), 1);
    auto panel = factory.panel(0);
    EXPECT_EQ(panel->configuration(), selectionPanelConfiguration(screens.screens()[1]));
    EXPECT_EQ(panel->configuration().contentRect, Rect(1440, -180, 1920, 1080));
    EXPECT_EQ(panel->calls(),
              (std::vector<std::string>{"setLevel 1000", "setIgnoresMouseEvents false",
                                        "setAlphaValue 1", "setCollectionBehavior 337",
                                        "setContentView", "orderFrontRegardless"}));
    EXPECT_FALSE(panel->animationBehavior().has_value());
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(controller->activePanel(), panel);
    EXPECT_EQ(panel->contentView(), controller->activeView());
    EXPECT_EQ(view()->frame(), Rect(0, 0, 1920, 1080));
    EXPECT_EQ(controller->dismissalWorkItem(), nullptr);
    EXPECT_EQ(interactions, 0);
}

TEST_F(RangeSelectionOverlayControllerTest, ReleasingTheShortcutWithoutAClickRemovesThePanelAtOnce)
{
    beginAt({100, 100});
    std::weak_ptr<SimPanel> panel = factory.panel(0);
    EXPECT_EQ(panel.lock()->displayRequestCount(), 0); // nothing drawn
    controller->endSelection();
    EXPECT_TRUE(panel.expired()); // ordered out and let go
    EXPECT_EQ(controller->activePanel(), nullptr);
    EXPECT_EQ(controller->activeView(), nullptr);
    EXPECT_TRUE(factory.frontToBack().empty());
    EXPECT_EQ(loop.pendingCount(), 0u);
}

TEST_F(RangeSelectionOverlayControllerTest, AFinishedRectangleLetsClicksThroughWaitsFadesAndGoes)
{
    beginAt({1500, 100});
    auto panel = factory.panel(0);
    press({1500, 100});
    drag({1000, 2000}); // past the left and top edges of the right display
    EXPECT_EQ(view()->foregroundLayer->path.boundingBox(), Rect(0, 280, 60, 800));
    release({5000, -500}); // past the right and bottom edges
    EXPECT_EQ(interactions, 1);

    // Waiting: click-through at once, the shortcut's release changes nothing.
    EXPECT_EQ(panel->ignoresMouseEvents(), true);
    EXPECT_EQ(panel->calls().back(), "setIgnoresMouseEvents true");
    panel->displayIfNeeded();
    ASSERT_EQ(panel->lastFrame().strokes().size(), 2u);
    EXPECT_EQ(panel->lastFrame().strokes()[1].bounds(), Rect(60, 0, 1860, 280));
    ASSERT_NE(controller->dismissalWorkItem(), nullptr);
    controller->endSelection();
    loop.advance(0.449);
    EXPECT_FALSE(panel->alphaAnimation().has_value());
    EXPECT_EQ(panel->alphaValue(), 1.0);
    loop.advance(0.001);

    // Fading along the ease-in-ease-out curve.
    ASSERT_TRUE(panel->alphaAnimation().has_value());
    EXPECT_EQ(
        *panel->alphaAnimation(),
        (SimPanel::AlphaAnimation{1.0, 0.0, loop.now(), 0.85, TimingFunction::easeInEaseOut()}));
    EXPECT_EQ(panel->calls().back(), "animateAlphaValue 0 0.85");
    // An end at the very instant the animation ends, posted after it: the animation is over,
    // but its completion has not yet reached the controller, which comes back a turn later.
    bool activeAfterAnimationEnd = false;
    loop.postAfter(0.85, [&] {
        activeAfterAnimationEnd =
            !panel->alphaAnimation() && panel->isVisible() && controller->activePanel() == panel;
    });
    controller->endSelection();
    loop.advance(0.2125);
    EXPECT_NEAR(*panel->alphaValue(), 1 - 0.12916193104731982, 1e-6);
    loop.advance(0.2125);
    EXPECT_NEAR(*panel->alphaValue(), 0.5, 1e-6);
    loop.advance(0.2125);
    EXPECT_NEAR(*panel->alphaValue(), 1 - 0.8708380689526802, 1e-6);
    EXPECT_EQ(controller->activePanel(), panel);
    loop.advance(0.2125);
    EXPECT_TRUE(activeAfterAnimationEnd);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(panel->calls().back(), "orderOut");
    EXPECT_EQ(controller->activePanel(), nullptr);
    EXPECT_EQ(controller->activeView(), nullptr);
    EXPECT_EQ(controller->dismissalWorkItem(), nullptr);
    std::weak_ptr<SimPanel> gone = panel;
    panel.reset();
    EXPECT_TRUE(gone.expired());
    EXPECT_EQ(loop.pendingCount(), 0u);
}

TEST_F(RangeSelectionOverlayControllerTest, AClickWithoutMovementIsAVisibleSelectionThatFades)
{
    beginAt({700, 400});
    press({700, 400});
    release({700, 400});
    auto panel = factory.panel(0);
    EXPECT_EQ(panel->ignoresMouseEvents(), true);
    EXPECT_TRUE(view()->hasFinishedSelection());
    loop.advance(0.45);
    EXPECT_TRUE(panel->alphaAnimation().has_value());
    loop.advance(0.85);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(controller->activePanel(), nullptr);
}

TEST_F(RangeSelectionOverlayControllerTest, ARightPressReportsInteractionThenRemovesThePanel)
{
    beginAt({100, 100});
    std::weak_ptr<SimPanel> panel = factory.panel(0);
    press({100, 100});
    drag({300, 300});
    bool panelShownAtInteraction = false;
    controller->onUserInteractionStarted = [&] {
        ++interactions;
        panelShownAtInteraction = panel.lock() && panel.lock()->isVisible();
    };
    rightPress({300, 300});
    EXPECT_EQ(interactions, 2);
    EXPECT_TRUE(panelShownAtInteraction);
    EXPECT_TRUE(panel.expired());
    EXPECT_EQ(controller->activePanel(), nullptr);
    EXPECT_EQ(loop.pendingCount(), 0u);
}

TEST_F(RangeSelectionOverlayControllerTest, ReleasingTheShortcutMidDragAbandonsTheSelection)
{
    beginAt({100, 100});
    auto panel = factory.panel(0);
    press({100, 100});
    drag({300, 300});
    controller->endSelection();
    EXPECT_TRUE(view()->outlineLayer->hidden);
    EXPECT_TRUE(view()->foregroundLayer->hidden);
    EXPECT_TRUE(panel->isVisible()); // still takes the rest of the press
    EXPECT_EQ(panel->ignoresMouseEvents(), false);

    drag({400, 350});
    panel->displayIfNeeded();
    EXPECT_TRUE(panel->lastFrame().strokes().empty());
    release({400, 350});
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(controller->activePanel(), nullptr);
    EXPECT_FALSE(called(*panel, "setIgnoresMouseEvents true"));
    loop.advance(2);
    EXPECT_FALSE(called(*panel, "animateAlphaValue 0 0.85"));
}

TEST_F(RangeSelectionOverlayControllerTest, TheShortcutAgainWhileWaitingReplacesThePanelAtOnce)
{
    beginAt({100, 100});
    press({100, 100});
    release({200, 200});
    std::weak_ptr<SimPanel> old = factory.panel(0);
    loop.advance(0.2);
    beginAt({1500, 100});
    EXPECT_TRUE(old.expired());
    auto fresh = factory.panel(1);
    EXPECT_EQ(factory.frontToBack(), std::vector<std::shared_ptr<SimPanel>>{fresh});
    EXPECT_EQ(controller->dismissalWorkItem(), nullptr);
    loop.advance(2); // the old fade never starts, and nothing touches the new panel
    EXPECT_EQ(fresh->calls().back(), "orderFrontRegardless");
    EXPECT_EQ(controller->activePanel(), fresh);
}

TEST_F(RangeSelectionOverlayControllerTest, TheOldFadesCompletionLeavesTheNewSelectionAlone)
{
    beginAt({100, 100});
    press({100, 100});
    release({200, 200}); // t0: fade at 0.45, gone at 1.30
    loop.advance(0.6);
    std::weak_ptr<SimPanel> old = factory.panel(0);
    beginAt({1500, 100});
    EXPECT_FALSE(old.lock()->isVisible()); // out at once; the running fade still holds it
    auto fresh = factory.panel(1);

    loop.advance(0.4); // t0 + 1.0: the new rectangle waits until t0 + 1.45
    press({1500, 100});
    release({1600, 200});
    const WorkItemPtr pending = controller->dismissalWorkItem();
    ASSERT_NE(pending, nullptr);
    loop.advance(0.35); // t0 + 1.35: the old completion has come back
    EXPECT_TRUE(old.expired());
    EXPECT_EQ(controller->activePanel(), fresh);
    EXPECT_EQ(controller->dismissalWorkItem(), pending);
    EXPECT_FALSE(pending->isCancelled());
    EXPECT_TRUE(fresh->isVisible());

    loop.advance(0.1); // t0 + 1.45
    EXPECT_TRUE(fresh->alphaAnimation().has_value());
    loop.advance(0.85);
    EXPECT_FALSE(fresh->isVisible());
    EXPECT_EQ(controller->activePanel(), nullptr);
}

TEST_F(RangeSelectionOverlayControllerTest, DismissTwiceOrWithNothingShownIsHarmless)
{
    controller->dismiss();
    controller->endSelection();
    beginAt({100, 100});
    auto panel = factory.panel(0);
    controller->dismiss();
    controller->dismiss();
    controller->endSelection();
    EXPECT_EQ(std::count(panel->calls().begin(), panel->calls().end(), "orderOut"), 1);
    EXPECT_EQ(controller->activePanel(), nullptr);
    EXPECT_EQ(factory.createdCount(), 1);

    // A dismissal while waiting cancels the fade before it starts.
    beginAt({100, 100});
    press({100, 100});
    release({150, 150});
    const WorkItemPtr fade = controller->dismissalWorkItem();
    controller->dismiss();
    EXPECT_TRUE(fade->isCancelled());
    EXPECT_EQ(controller->dismissalWorkItem(), nullptr);
}

TEST_F(RangeSelectionOverlayControllerTest, NoScreenAtAllShowsNothing)
{
    screens.setScreens({});
    beginAt({100, 100});
    EXPECT_EQ(factory.createdCount(), 0);
    EXPECT_EQ(controller->activeView(), nullptr);
    controller->endSelection();
    EXPECT_EQ(controller->activePanel(), nullptr);

    // Off every screen the main screen takes the panel.
    screens.setScreens({SimScreenList::makeScreen(1, Rect{0, 0, 1440, 900}),
                        SimScreenList::makeScreen(2, Rect{1440, -180, 1920, 1080})});
    screens.setMainScreen(2);
    beginAt({100, 0}); // the bottom edge of the left display is outside it
    ASSERT_EQ(factory.createdCount(), 1);
    EXPECT_EQ(factory.panel(0)->configuration().display, 2u);
}

TEST_F(RangeSelectionOverlayControllerTest, AReleasedControllerLetsGoAndLateWorkRunsQuietly)
{
    controller->onUserInteractionStarted = nullptr;
    beginAt({100, 100});
    press({100, 100});
    release({200, 200});
    loop.advance(0.5); // fading
    std::weak_ptr<SimPanel> panel = factory.panel(0);
    controller.reset();
    EXPECT_FALSE(panel.expired()); // the running fade holds it to its end
    loop.advance(1);
    EXPECT_TRUE(panel.expired());
    EXPECT_EQ(loop.pendingCount(), 0u);
}

} // namespace
} // namespace halomark
