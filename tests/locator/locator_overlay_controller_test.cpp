#include "locator/locator_overlay_controller.h"
#include "locator/ring_animation_view.h"
#include "sim/sim_input_state.h"
#include "sim/sim_main_loop.h"
#include "sim/sim_panel.h"
#include "sim/sim_screen_list.h"
#include "sim/sim_settings_store.h"

#include <gtest/gtest.h>

#include <regex>

namespace halomark {
namespace {

using sim::SimPanel;
using sim::SimScreenList;

class LocatorOverlayControllerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Two displays side by side; the right one is taller and reaches below the left one.
        screens.setScreens({SimScreenList::makeScreen(1, Rect{0, 0, 1440, 900}),
                            SimScreenList::makeScreen(2, Rect{1440, -180, 1920, 1080})});
        controller =
            std::make_shared<LocatorOverlayController>(loop, input, screens, factory, settings);
    }

    void tapAt(Point pointer)
    {
        input.movePointer(pointer);
        controller->showAtPointer();
    }

    std::shared_ptr<RingAnimationView> ringView(const SimPanel& panel)
    {
        return std::dynamic_pointer_cast<RingAnimationView>(panel.contentView());
    }

    sim::SimMainLoop loop;
    sim::SimInputState input;
    SimScreenList screens;
    sim::SimPanelFactory factory{loop};
    sim::SimSettingsStore store;
    AppearanceSettings settings{store};
    std::shared_ptr<LocatorOverlayController> controller;
};

TEST_F(LocatorOverlayControllerTest, ARingPanelCoversTheScreenUnderThePointerWithoutActivating)
{
    tapAt({1500, 100});
    ASSERT_EQ(factory.createdCount(), 1);
    auto panel = factory.panel(0);
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->configuration(), ringPanelConfiguration(screens.screens()[1]));
    EXPECT_EQ(panel->configuration().contentRect, Rect(1440, -180, 1920, 1080));
    EXPECT_EQ(panel->calls(),
              (std::vector<std::string>{"setLevel 1000", "setIgnoresMouseEvents true",
                                        "setCollectionBehavior 337", "setContentView",
                                        "orderFrontRegardless"}));
    EXPECT_TRUE(panel->isVisible());

    auto view = ringView(*panel);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->frame(), Rect(0, 0, 1920, 1080));
    ASSERT_EQ(view->generatedLayers().size(), 2u);
    // Centred on the pointer in the view's coordinates: (1500 - 1440, 100 + 180).
    EXPECT_EQ(view->generatedLayers()[0]->frame, Rect(60 - 52, 280 - 52, 104, 104));
    EXPECT_GE(panel->displayRequestCount(), 1);

    ASSERT_EQ(controller->activePanels().size(), 1u);
    const auto& [id, stored] = *controller->activePanels().begin();
    EXPECT_EQ(stored, panel);
    EXPECT_TRUE(std::regex_match(
        id, std::regex("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}")));
}

TEST_F(LocatorOverlayControllerTest, TwoTapsLiveSideBySideTheLaterInFrontEachForItsOwnRing)
{
    tapAt({100, 100});
    loop.advance(0.3);
    tapAt({200, 150});
    ASSERT_EQ(controller->activePanels().size(), 2u);
    auto first = factory.panel(0);
    auto second = factory.panel(1);
    EXPECT_EQ(factory.frontToBack(), (std::vector<std::shared_ptr<SimPanel>>{second, first}));
    first.reset();
    second.reset();

    loop.advance(0.559); // 0.859 s after the first
    EXPECT_EQ(controller->activePanels().size(), 2u);
    loop.advance(0.001);
    EXPECT_EQ(controller->activePanels().size(), 1u);
    EXPECT_EQ(factory.panel(0), nullptr); // ordered out and released
    ASSERT_TRUE(factory.panel(1));
    EXPECT_EQ(factory.frontToBack(), std::vector<std::shared_ptr<SimPanel>>{factory.panel(1)});

    loop.advance(0.299); // 0.859 s after the second
    EXPECT_EQ(controller->activePanels().size(), 1u);
    loop.advance(0.001);
    EXPECT_TRUE(controller->activePanels().empty());
    EXPECT_EQ(factory.panel(1), nullptr);
    EXPECT_TRUE(factory.frontToBack().empty());
}

TEST_F(LocatorOverlayControllerTest, HideAllRemovesEveryPanelAtOnceAndLateCompletionsDoNoHarm)
{
    tapAt({100, 100});
    loop.advance(0.1);
    tapAt({1600, 100});
    loop.advance(0.1);
    std::weak_ptr<SimPanel> first = factory.panel(0);
    controller->hideAll();
    EXPECT_TRUE(controller->activePanels().empty());
    EXPECT_TRUE(factory.frontToBack().empty());
    EXPECT_TRUE(first.expired());
    EXPECT_EQ(factory.panel(1), nullptr);

    loop.advance(0.3); // t = 0.5: a new ring while the old ones still run unseen
    tapAt({300, 300});
    auto fresh = factory.panel(2);
    loop.advance(0.5); // both old completions have run
    EXPECT_EQ(controller->activePanels().size(), 1u);
    EXPECT_TRUE(fresh->isVisible());
    EXPECT_EQ(fresh->calls().back(), "orderFrontRegardless");
    fresh.reset();
    loop.advance(0.36); // t = 1.36
    EXPECT_TRUE(controller->activePanels().empty());
    controller->hideAll(); // nothing left: harmless
    controller->dismissPanel("no such panel");
}

TEST_F(LocatorOverlayControllerTest, OffEveryScreenTheMainScreenTakesTheRingOrNothingDoes)
{
    // Exactly on the bottom edge of the left display lies outside every frame: the main
    // screen takes the ring, drawn at the pointer's offset from its origin.
    screens.setMainScreen(2);
    tapAt({100, 0});
    ASSERT_EQ(factory.createdCount(), 1);
    EXPECT_EQ(factory.panel(0)->configuration().display, 2u);
    auto view = ringView(*factory.panel(0));
    EXPECT_EQ(view->generatedLayers()[0]->frame, Rect(100 - 1440 - 52, 0 + 180 - 52, 104, 104));

    // Outside every frame and no main screen: nothing at all.
    screens.setNoMainScreen(true);
    tapAt({-10, -10});
    EXPECT_EQ(factory.createdCount(), 1);
    EXPECT_EQ(controller->activePanels().size(), 1u);
}

TEST_F(LocatorOverlayControllerTest, ALayerlessViewOrAReleasedControllerLeavesNoPanelBehind)
{
    factory.makeNextContentViewLayerless();
    tapAt({100, 100});
    ASSERT_EQ(factory.createdCount(), 1);
    EXPECT_TRUE(controller->activePanels().empty());
    EXPECT_EQ(factory.panel(0), nullptr);
    EXPECT_TRUE(factory.frontToBack().empty());
    EXPECT_EQ(loop.pendingCount(), 0u);

    tapAt({100, 100}); // the next view has its layer again
    EXPECT_EQ(controller->activePanels().size(), 1u);

    // A released controller lets its panels go and the completions run quietly.
    std::weak_ptr<SimPanel> panel = factory.panel(1);
    controller.reset();
    EXPECT_TRUE(panel.expired());
    loop.advance(1);
    EXPECT_EQ(loop.pendingCount(), 0u);
}

} // namespace
} // namespace halomark
