#include "selection/range_selection_overlay_controller.h"
#include "selection/range_selection_shortcut.h"
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

TEST(RangeSelectionShortcut, RawValuesRoundTripAndCompanionFlagsMustMatchExactly)
{
    using enum RangeSelectionShortcut;
    namespace f = event_flags;
    const std::vector<std::pair<RangeSelectionShortcut, std::optional<EventFlags>>> heldOnlyWith{
        {command, 0}, {controlCommand, f::control}, {optionCommand, f::option}, {disabled, {}}};
    for (const auto& [shortcut, only] : heldOnlyWith) {
        EXPECT_EQ(rangeSelectionShortcutFromRawValue(rawValue(shortcut)), shortcut);
        for (EventFlags flags :
             {EventFlags{0}, f::shift, f::control, f::option, f::function, f::control | f::shift,
              f::option | f::control, f::function | f::control}) {
            EXPECT_EQ(isShortcutHeld(shortcut, flags), flags == only)
                << rawValue(shortcut) << flags;
        }
    }
    EXPECT_EQ(rawValue(controlCommand), "controlCommand");
    EXPECT_EQ(rangeSelectionShortcutFromRawValue("Command"), std::nullopt);
}

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

    std::weak_ptr<SimPanel> beginAt(Point pointer)
    {
        input.movePointer(pointer);
        controller->beginSelection();
        return factory.createdCount() ? factory.panel(factory.createdCount() - 1) : nullptr;
    }

    // Mouse events as the panel's window reports them: global points less the panel's origin.
    Point inWindow(Point global) const
    {
        const Rect f = controller->activePanel()->frame();
        return {global.x - f.minX(), global.y - f.minY()};
    }
    // A left press at one point and its release at another.
    void select(Point from, Point to)
    {
        view()->mouseDown(inWindow(from));
        view()->mouseUp(inWindow(to));
    }
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

TEST_F(RangeSelectionOverlayControllerTest, APanelCoversTheScreenUnderThePointerUntilReleased)
{
    auto panel = beginAt({1500, 100}).lock();
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->configuration(), selectionPanelConfiguration(screens.screens()[1]));
    EXPECT_EQ(panel->configuration().contentRect, Rect(1440, -180, 1920, 1080));
    EXPECT_EQ(panel->calls(),
              (std::vector<std::string>{"setLevel 1000", "setIgnoresMouseEvents false",
                                        "setAlphaValue 1", "setCollectionBehavior 337",
                                        "setContentView", "orderFrontRegardless"}));
    EXPECT_FALSE(panel->animationBehavior().has_value());
    EXPECT_EQ(panel->contentView(), controller->activeView());
    EXPECT_EQ(view()->frame(), Rect(0, 0, 1920, 1080));
    EXPECT_EQ(panel->displayRequestCount(), 0); // nothing drawn

    // Released without a click: ordered out and let go at once.
    std::weak_ptr<SimPanel> weak = panel;
    panel.reset();
    controller->endSelection();
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(std::tuple(controller->activePanel(), controller->activeView(), loop.pendingCount()),
              std::tuple(nullptr, nullptr, 0u));
    EXPECT_EQ(interactions, 0);
}

TEST_F(RangeSelectionOverlayControllerTest, AFinishedRectangleLetsClicksThroughWaitsFadesAndGoes)
{
    auto panel = beginAt({1500, 100}).lock();
    select({1500, 100}, {5000, -500}); // past the right and bottom edges of display 2
    EXPECT_EQ(interactions, 1);
    EXPECT_EQ(panel->ignoresMouseEvents(), true); // at once
    panel->displayIfNeeded();
    EXPECT_EQ(panel->lastFrame().strokes().at(1).bounds(), Rect(60, 0, 1860, 280));
    ASSERT_NE(controller->dismissalWorkItem(), nullptr);
    controller->endSelection(); // the shortcut's release changes nothing
    loop.advance(0.449);
    EXPECT_FALSE(panel->alphaAnimation().has_value());
    loop.advance(0.001);
    EXPECT_EQ(panel->alphaAnimation(), (SimPanel::AlphaAnimation{1.0, 0.0, loop.now(), 0.85,
                                                                 TimingFunction::easeInEaseOut()}));
    EXPECT_EQ(panel->calls().back(), "animateAlphaValue 0 0.85");
    // At the instant the animation ends its completion has not yet reached the controller,
    // which comes back a turn later.
    bool activeAfterAnimationEnd = false;
    loop.postAfter(0.85, [&] {
        activeAfterAnimationEnd =
            !panel->alphaAnimation() && panel->isVisible() && controller->activePanel() == panel;
    });
    controller->endSelection();
    loop.advance(0.425);
    EXPECT_NEAR(*panel->alphaValue(), 0.5, 1e-6);
    loop.advance(0.2125);
    EXPECT_NEAR(*panel->alphaValue(), 1 - 0.8708380689526802, 1e-6);
    loop.advance(0.2125);
    EXPECT_TRUE(activeAfterAnimationEnd);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(std::tuple(controller->activePanel(), controller->activeView(),
                         controller->dismissalWorkItem()),
              std::tuple(nullptr, nullptr, nullptr));
    std::weak_ptr<SimPanel> gone = panel;
    panel.reset();
    EXPECT_TRUE(gone.expired());
    EXPECT_EQ(loop.pendingCount(), 0u);
}

TEST_F(RangeSelectionOverlayControllerTest, ARightPressOrAReleaseOfTheShortcutMidDragEndsAtOnce)
{
    std::weak_ptr<SimPanel> panel = beginAt({100, 100});
    view()->mouseDown(inWindow({100, 100}));
    bool shownAtInteraction = false;
    controller->onUserInteractionStarted = [&] {
        ++interactions;
        shownAtInteraction = panel.lock() && panel.lock()->isVisible();
    };
    view()->rightMouseDown(inWindow({300, 300}));
    EXPECT_EQ(interactions, 2);
    EXPECT_TRUE(shownAtInteraction);
    EXPECT_TRUE(panel.expired());
    EXPECT_EQ(loop.pendingCount(), 0u);

    // The shortcut let go mid-drag: the panel takes the rest of the press, with the
    // rectangle hidden, and goes at the release without a fade.
    auto second = beginAt({100, 100}).lock();
    view()->mouseDown(inWindow({100, 100}));
    view()->mouseDragged(inWindow({300, 300}));
    controller->endSelection();
    EXPECT_TRUE(view()->outlineLayer->hidden);
    EXPECT_TRUE(second->isVisible());
    EXPECT_EQ(second->ignoresMouseEvents(), false);
    view()->mouseUp(inWindow({400, 350}));
    EXPECT_FALSE(second->isVisible());
    EXPECT_EQ(controller->activePanel(), nullptr);
    loop.advance(2);
    EXPECT_FALSE(called(*second, "setIgnoresMouseEvents true"));
    EXPECT_FALSE(called(*second, "animateAlphaValue 0 0.85"));
}

TEST_F(RangeSelectionOverlayControllerTest,
       TheShortcutAgainReplacesThePanelAndTheOldFadeLeavesItAlone)
{
    // While the first rectangle waits: its fade never starts.
    std::weak_ptr<SimPanel> waiting = beginAt({100, 100});
    select({100, 100}, {200, 200});
    loop.advance(0.2);
    auto fresh = beginAt({1500, 100}).lock();
    EXPECT_TRUE(waiting.expired());
    EXPECT_EQ(factory.frontToBack(), std::vector<std::shared_ptr<SimPanel>>{fresh});
    EXPECT_EQ(controller->dismissalWorkItem(), nullptr);

    // While the next one fades (t0: fade at 0.45, gone at 1.30), a third begins.
    select({1500, 100}, {1600, 200});
    loop.advance(0.6);
    std::weak_ptr<SimPanel> fading = fresh;
    fresh = beginAt({1500, 100}).lock();
    EXPECT_FALSE(fading.lock()->isVisible()); // out at once; the running fade still holds it
    loop.advance(0.4);                        // t0 + 1.0: the new rectangle waits until t0 + 1.45
    select({1500, 100}, {1600, 200});
    const WorkItemPtr pending = controller->dismissalWorkItem();
    ASSERT_NE(pending, nullptr);
    loop.advance(0.35); // t0 + 1.35: the old completion has come back
    EXPECT_TRUE(fading.expired());
    EXPECT_EQ(controller->activePanel(), fresh);
    EXPECT_EQ(controller->dismissalWorkItem(), pending);
    EXPECT_FALSE(pending->isCancelled());
    loop.advance(0.1); // t0 + 1.45
    EXPECT_TRUE(fresh->alphaAnimation().has_value());
    loop.advance(0.85);
    EXPECT_FALSE(fresh->isVisible());
    EXPECT_EQ(controller->activePanel(), nullptr);
}

TEST_F(RangeSelectionOverlayControllerTest, DismissalsNoScreenAndAReleasedControllerAreHarmless)
{
    controller->dismiss();
    controller->endSelection();
    auto panel = beginAt({100, 100}).lock();
    controller->dismiss();
    controller->dismiss();
    controller->endSelection();
    EXPECT_EQ(std::count(panel->calls().begin(), panel->calls().end(), "orderOut"), 1);
    EXPECT_EQ(factory.createdCount(), 1);
    // A dismissal while waiting cancels the fade before it starts.
    beginAt({100, 100});
    select({100, 100}, {150, 150});
    const WorkItemPtr fade = controller->dismissalWorkItem();
    controller->dismiss();
    EXPECT_TRUE(fade->isCancelled());
    EXPECT_EQ(controller->dismissalWorkItem(), nullptr);

    // Off every screen the main screen takes the panel; with none, nothing is shown.
    screens.setMainScreen(2);
    beginAt({100, 0}); // the bottom edge of the left display is outside it
    EXPECT_EQ(factory.panel(2)->configuration().display, 2u);
    screens.setScreens({});
    beginAt({100, 100});
    EXPECT_EQ(factory.createdCount(), 3);
    EXPECT_EQ(controller->activeView(), nullptr);

    // A released controller lets its panel go once the running fade ends.
    screens.setScreens({SimScreenList::makeScreen(1, Rect{0, 0, 1440, 900})});
    controller->onUserInteractionStarted = nullptr;
    std::weak_ptr<SimPanel> last = beginAt({100, 100});
    select({100, 100}, {200, 200});
    loop.advance(0.5);
    controller.reset();
    EXPECT_FALSE(last.expired());
    loop.advance(1);
    EXPECT_TRUE(last.expired());
    EXPECT_EQ(loop.pendingCount(), 0u);
}

} // namespace
} // namespace halomark
