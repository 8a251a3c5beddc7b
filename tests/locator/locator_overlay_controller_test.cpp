#include "locator/locator_overlay_controller.h"
#include "locator/ring_animation_view.h"
#include "sim/sim_input_state.h"
#include "sim/sim_main_loop.h"
#include "sim/sim_panel.h"
#include "sim/sim_screen_list.h"
#include "sim/sim_settings_store.h"

#include <gtest/gtest.h>

namespace halomark {
namespace {

using sim::SimPanel;
using sim::SimScreenList;
using Panels = std::vector<std::shared_ptr<SimPanel>>;

class LocatorOverlayControllerTest : public ::testing::Test
{
protected:
    LocatorOverlayControllerTest()
    {
        // Two displays side by side; the right one is taller and reaches below the left one.
        screens.setScreens({SimScreenList::makeScreen(1, Rect{0, 0, 1440, 900}),
                            SimScreenList::makeScreen(2, Rect{1440, -180, 1920, 1080})});
    }

    void tapAt(Point pointer)
    {
        input.movePointer(pointer);
        controller->showAtPointer();
    }

    // The frame of the first ring the panel's view draws, in the view's coordinates.
    static Rect ringFrame(const SimPanel& panel)
    {
        const auto view = std::dynamic_pointer_cast<RingAnimationView>(panel.contentView());
        return view->generatedLayers().at(0)->frame;
    }

    sim::SimMainLoop loop;
    sim::SimInputState input;
    SimScreenList screens;
    sim::SimPanelFactory factory{loop};
    sim::SimSettingsStore store;
    AppearanceSettings settings{store};
    std::shared_ptr<LocatorOverlayController> controller =
        std::make_shared<LocatorOverlayController>(loop, input, screens, factory, settings);
};

TEST_F(LocatorOverlayControllerTest, EachTapGetsAPanelOverItsScreenInFrontUntilItsRingEnds)
{
    tapAt({1500, 100});
    ASSERT_EQ(factory.createdCount(), 1);
    auto first = factory.panel(0);
    EXPECT_EQ(first->configuration(), ringPanelConfiguration(screens.screens()[1]));
    EXPECT_EQ(first->calls(),
              (std::vector<std::string>{"setLevel 1000", "setIgnoresMouseEvents true",
                                        "setCollectionBehavior 337", "setContentView",
                                        "orderFrontRegardless"}));
    EXPECT_EQ(first->contentView()->frame(), Rect(0, 0, 1920, 1080));
    // Centred on the pointer in the view's coordinates: (1500 - 1440, 100 + 180).
    EXPECT_EQ(ringFrame(*first), Rect(60 - 52, 280 - 52, 104, 104));
    EXPECT_GE(first->displayRequestCount(), 1);
    ASSERT_EQ(controller->activePanels().size(), 1u);
    EXPECT_EQ(controller->activePanels().begin()->second, first);

    loop.advance(0.3);
    tapAt({200, 150});
    auto second = factory.panel(1);
    EXPECT_EQ(factory.frontToBack(), (Panels{second, first}));
    first.reset();
    second.reset();
    loop.advance(0.559); // 0.859 s after the first
    EXPECT_EQ(controller->activePanels().size(), 2u);
    loop.advance(0.001);
    EXPECT_EQ(factory.panel(0), nullptr); // ordered out and released
    EXPECT_EQ(factory.frontToBack(), Panels{factory.panel(1)});
    loop.advance(0.3);
    EXPECT_TRUE(controller->activePanels().empty());
    EXPECT_TRUE(factory.frontToBack().empty());
}

TEST_F(LocatorOverlayControllerTest, HideAllRemovesEveryPanelAtOnceAndLateCompletionsDoNoHarm)
{
    tapAt({100, 100});
    loop.advance(0.1);
    tapAt({1600, 100});
    loop.advance(0.1);
    auto first = factory.panel(0); // kept alive here, so it must be ordered out, not just let go
    controller->hideAll();
    EXPECT_TRUE(controller->activePanels().empty());
    EXPECT_TRUE(factory.frontToBack().empty());
    EXPECT_EQ(first.use_count(), 1);
    first.reset();

    loop.advance(0.3); // a new ring while the old ones still run unseen
    tapAt({300, 300});
    auto fresh = factory.panel(2);
    loop.advance(0.5); // both old completions have run
    EXPECT_EQ(controller->activePanels().size(), 1u);
    EXPECT_EQ(fresh->calls().back(), "orderFrontRegardless");
    controller->dismissPanel("no such panel"); // harmless
}

TEST_F(LocatorOverlayControllerTest, OffEveryScreenTheMainScreenTakesTheRingOrNothingDoes)
{
    // Exactly on the bottom edge of the left display lies outside every frame: the main
    // screen takes the ring, drawn at the pointer's offset from its origin.
    screens.setMainScreen(2);
    tapAt({100, 0});
    ASSERT_EQ(factory.createdCount(), 1);
    EXPECT_EQ(factory.panel(0)->configuration().display, 2u);
    EXPECT_EQ(ringFrame(*factory.panel(0)), Rect(100 - 1440 - 52, 0 + 180 - 52, 104, 104));

    screens.setNoMainScreen(true);
    tapAt({-10, -10});
    EXPECT_EQ(factory.createdCount(), 1);
}

TEST_F(LocatorOverlayControllerTest, ALayerlessViewOrAReleasedControllerLeavesNoPanelBehind)
{
    factory.makeNextContentViewLayerless();
    tapAt({100, 100});
    ASSERT_EQ(factory.createdCount(), 1);
    EXPECT_TRUE(controller->activePanels().empty());
    EXPECT_TRUE(factory.frontToBack().empty());
    EXPECT_EQ(loop.pendingCount(), 0u);

    tapAt({100, 100}); // the next view has its layer again
    std::weak_ptr<SimPanel> panel = factory.panel(1);
    controller.reset();
    EXPECT_TRUE(panel.expired());
    loop.advance(1);
    EXPECT_EQ(loop.pendingCount(), 0u);
}

} // namespace
} // namespace halomark
