#include "focus/focus_cue_overlay_controller.h"
#include "sim/sim_main_loop.h"
#include "sim/sim_panel.h"
#include "sim/sim_screen_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace halomark {
namespace {

using sim::SimPanel;
using sim::SimScreenList;
using Calls = std::vector<std::string>;

class FocusCueOverlayControllerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Display 1 at scale 1 and, to its right, a taller display 2 at scale 2; each loses a
        // 24-point menu bar at the top.
        factory.setBackingScaleFactor(2, 2.0);
        screens.setScreens({SimScreenList::makeScreen(1, Rect{0, 0, 1440, 900}),
                            SimScreenList::makeScreen(2, Rect{1440, 0, 1920, 1080}, 2.0)});
    }

    std::shared_ptr<SimPanel> panel(DisplayIdentifier display) const
    {
        const auto found = controller.overlays().find(display);
        if (found == controller.overlays().end()) {
            return nullptr;
        }
        return std::dynamic_pointer_cast<SimPanel>(found->second.panel);
    }

    std::shared_ptr<FocusCueDimmingView> view(DisplayIdentifier display) const
    {
        return controller.overlays().at(display).view;
    }

    // The calls a panel received after the first `from`.
    static Calls callsSince(const SimPanel& panel, std::size_t from)
    {
        return Calls(panel.calls().begin() + static_cast<std::ptrdiff_t>(from),
                     panel.calls().end());
    }

    sim::SimMainLoop loop;
    SimScreenList screens;
    sim::SimPanelFactory factory{loop};
    int majorVersion = 26;
    FocusCueOverlayController controller{screens, factory, [this] { return majorVersion; }};

    // Spans both displays: 200 points on each.
    const Rect acrossBoth{1240, 300, 400, 300};
};

TEST_F(FocusCueOverlayControllerTest, AShowMakesAVeilPanelPerDisplayAndVeilsOnlyTheWindowsDisplay)
{
    EXPECT_TRUE(controller.overlays().empty());
    EXPECT_FALSE(controller.activeWindowFrame());

    controller.show({200, 300, 600, 400});
    EXPECT_EQ(controller.activeWindowFrame(), Rect(200, 300, 600, 400));
    ASSERT_EQ(factory.createdCount(), 2);
    ASSERT_EQ(controller.overlays().size(), 2u);
    auto first = panel(1);
    auto second = panel(2);
    ASSERT_TRUE(first && second);

    EXPECT_EQ(first->configuration(), veilPanelConfiguration(screens.screens()[0]));
    EXPECT_EQ(first->configuration().contentRect, Rect(0, 0, 1440, 876));
    EXPECT_EQ(first->calls(), (Calls{"setLevel 25", "setIgnoresMouseEvents true", "setAlphaValue 1",
                                     "setAnimationBehavior 2", "setCollectionBehavior 337",
                                     "setContentView", "orderFrontRegardless", "displayIfNeeded"}));
    EXPECT_EQ(first->contentView(), view(1));
    EXPECT_EQ(view(1)->frame(), Rect(0, 0, 1440, 876));
    EXPECT_EQ(view(1)->holeFrame, Rect(200, 300, 600, 400));
    // Drawn before the show returned, once.
    EXPECT_EQ(first->displayCount(), 1);
    EXPECT_FALSE(view(1)->needsDisplay());
    ASSERT_EQ(first->lastFrame().fills().size(), 1u);
    EXPECT_EQ(first->lastFrame().fills()[0].fillRule, FillRule::evenOdd);
    EXPECT_EQ(first->lastFrame().fills()[0].path.segments().size(), 15u); // bounds + hole

    // The other display gets its panel, not yet ordered front.
    EXPECT_EQ(second->configuration().contentRect, Rect(1440, 0, 1920, 1056));
    EXPECT_EQ(second->calls(), (Calls{"setLevel 25", "setIgnoresMouseEvents true",
                                      "setAlphaValue 1", "setAnimationBehavior 2",
                                      "setCollectionBehavior 337", "setContentView", "orderOut"}));
    EXPECT_FALSE(second->isVisible());
    EXPECT_FALSE(view(2)->holeFrame);
    EXPECT_EQ(second->displayCount(), 0);
    EXPECT_EQ(factory.frontToBack(), std::vector<std::shared_ptr<SimPanel>>{first});
}

TEST_F(FocusCueOverlayControllerTest,
       WindowsBelowEightyByFiftyOrOnNoDisplayByFortyByThirtyPointsHideEverything)
{
    controller.show({200, 300, 79, 400});
    EXPECT_EQ(factory.createdCount(), 0);
    EXPECT_FALSE(controller.activeWindowFrame());

    controller.show({200, 300, 80, 50});
    EXPECT_EQ(controller.activeWindowFrame(), Rect(200, 300, 80, 50));
    EXPECT_TRUE(panel(1)->isVisible());

    for (const Rect& tooSmall : {Rect{200, 300, 80, 49}, Rect{200, 300, 79, 400}}) {
        controller.show({200, 300, 600, 400});
        ASSERT_TRUE(panel(1)->isVisible());
        controller.show(tooSmall);
        EXPECT_FALSE(controller.activeWindowFrame());
        EXPECT_FALSE(panel(1)->isVisible());
        EXPECT_EQ(panel(1)->calls().back(), "orderOut");
        EXPECT_TRUE(factory.frontToBack().empty());
        EXPECT_EQ(controller.overlays().size(), 2u); // kept for the next show
    }

    // A window must overlap some display by 40 x 30 points: 39 on display 1, off its left edge.
    controller.show({200, 300, 600, 400});
    controller.show({-361, 300, 400, 300});
    EXPECT_FALSE(controller.activeWindowFrame());
    EXPECT_TRUE(factory.frontToBack().empty());

    controller.show({-360, 300, 400, 300});
    EXPECT_TRUE(panel(1)->isVisible());
    EXPECT_EQ(view(1)->holeFrame, Rect(0, 300, 40, 300));

    // 29 and then 30 points of it above the bottom of display 1.
    controller.show({200, -271, 400, 300});
    EXPECT_FALSE(controller.activeWindowFrame());
    EXPECT_FALSE(panel(1)->isVisible());
    controller.show({200, -270, 400, 300});
    EXPECT_TRUE(panel(1)->isVisible());
    EXPECT_EQ(view(1)->holeFrame, Rect(200, 0, 400, 30));

    // 39 points on display 1 and 41 on display 2: the window counts, and each display holds
    // enough of it to be veiled.
    controller.show({1401, 300, 80, 300});
    EXPECT_TRUE(panel(1)->isVisible());
    EXPECT_TRUE(panel(2)->isVisible());
    EXPECT_EQ(view(1)->holeFrame, Rect(1401, 300, 39, 300));
    EXPECT_EQ(view(2)->holeFrame, Rect(0, 300, 41, 300));
}

TEST_F(FocusCueOverlayControllerTest, AWindowAcrossTwoDisplaysVeilsEachWithItsPartOfTheHole)
{
    controller.show(acrossBoth);
    auto first = panel(1);
    auto second = panel(2);
    EXPECT_TRUE(first->isVisible());
    EXPECT_TRUE(second->isVisible());
    EXPECT_EQ(factory.frontToBack(), (std::vector<std::shared_ptr<SimPanel>>{second, first}));
    EXPECT_EQ(view(1)->holeFrame, Rect(1240, 300, 200, 300));
    EXPECT_EQ(view(2)->holeFrame, Rect(0, 300, 200, 300));
    EXPECT_EQ(first->displayCount(), 1);
    EXPECT_EQ(second->displayCount(), 1);

    // Each part lies on its display's pixel grid and is square where it meets the other
    // display: display 1 aligns at scale 1, display 2 at its panel's scale 2.
    EXPECT_EQ(view(1)->pixelAlignedHole(),
              (AlignedHole{{1243, 303, 197, 294}, false, true, false, false}));
    EXPECT_EQ(view(2)->pixelAlignedHole(),
              (AlignedHole{{0, 301.5, 198.5, 297}, true, false, false, false}));
    EXPECT_EQ(view(1)->holeCornerRadii(*view(1)->pixelAlignedHole()), (CornerRadii{18, 0, 0, 18}));
    // The views read the system version when they draw.
    majorVersion = 25;
    EXPECT_EQ(view(1)->holeCornerRadii(*view(1)->pixelAlignedHole()), (CornerRadii{12, 0, 0, 12}));

    // 19 points on display 2 leave it unveiled; its old hole goes and it is redrawn later.
    const int secondRequests = second->displayRequestCount();
    controller.show({1000, 300, 459, 300});
    EXPECT_TRUE(first->isVisible());
    EXPECT_FALSE(second->isVisible());
    EXPECT_FALSE(view(2)->holeFrame);
    EXPECT_EQ(second->displayRequestCount(), secondRequests + 1);
    EXPECT_EQ(view(1)->holeFrame, Rect(1000, 300, 440, 300));
    EXPECT_EQ(first->displayCount(), 2);

    // 20 points are enough.
    controller.show({1000, 300, 460, 300});
    EXPECT_TRUE(second->isVisible());
    EXPECT_EQ(view(2)->holeFrame, Rect(0, 300, 20, 300));
}

TEST_F(FocusCueOverlayControllerTest, AWindowOnlyUnderTheMenuBarLeavesThatDisplayUnveiled)
{
    // 30 points of the display's frame but only 6 of its usable area.
    controller.show({100, 870, 400, 300});
    EXPECT_EQ(controller.activeWindowFrame(), Rect(100, 870, 400, 300));
    ASSERT_TRUE(panel(1));
    EXPECT_FALSE(panel(1)->isVisible());
    EXPECT_FALSE(view(1)->holeFrame);
    EXPECT_EQ(panel(1)->displayCount(), 0);
    EXPECT_TRUE(factory.frontToBack().empty());

    // 19 and then 20 points of the usable area below the menu bar.
    controller.show({200, 857, 400, 300});
    EXPECT_FALSE(panel(1)->isVisible());
    controller.show({200, 856, 400, 300});
    EXPECT_TRUE(panel(1)->isVisible());
    EXPECT_EQ(view(1)->holeFrame, Rect(200, 856, 400, 20));
}

TEST_F(FocusCueOverlayControllerTest, ARepeatedShowChangesNoHoleAndOnlyOrdersTheVeilsFront)
{
    controller.show(acrossBoth);
    auto first = panel(1);
    auto second = panel(2);
    const std::size_t firstCalls = first->calls().size();
    const std::size_t secondCalls = second->calls().size();
    const int firstRequests = first->displayRequestCount();
    const int secondRequests = second->displayRequestCount();

    controller.show(acrossBoth);
    // A drag that moves the window by less than 0.1 points changes nothing either.
    controller.show({1240.0625, 300, 400, 300});
    EXPECT_EQ(callsSince(*first, firstCalls),
              (Calls{"orderFrontRegardless", "orderFrontRegardless"}));
    EXPECT_EQ(callsSince(*second, secondCalls),
              (Calls{"orderFrontRegardless", "orderFrontRegardless"}));
    EXPECT_EQ(first->displayRequestCount(), firstRequests);
    EXPECT_EQ(second->displayRequestCount(), secondRequests);
    EXPECT_EQ(first->displayCount(), 1);
    EXPECT_EQ(second->displayCount(), 1);
    EXPECT_EQ(view(1)->holeFrame, Rect(1240, 300, 200, 300));

    // Small moves add up against the hole last drawn, not the last frame shown.
    controller.show({1240.125, 300, 400, 300});
    EXPECT_EQ(callsSince(*first, firstCalls + 2),
              (Calls{"orderFrontRegardless", "displayIfNeeded"}));
    EXPECT_EQ(first->displayCount(), 2);
    EXPECT_EQ(second->displayCount(), 2);
    EXPECT_EQ(view(1)->holeFrame, Rect(1240.125, 300, 199.875, 300));
    EXPECT_EQ(view(2)->holeFrame, Rect(0, 300, 200.125, 300));

    // A window inside display 1 moved along either axis alone, then made taller.
    controller.show({200, 300, 600, 400});
    controller.show({200.0625, 300.0625, 600, 400});
    EXPECT_EQ(first->displayCount(), 3);
    controller.show({200.125, 300, 600, 400});
    EXPECT_EQ(first->displayCount(), 4);
    controller.show({200.125, 300.125, 600, 400});
    EXPECT_EQ(first->displayCount(), 5);
    controller.show({200.125, 300.125, 600, 400.125});
    EXPECT_EQ(first->displayCount(), 6);
    EXPECT_EQ(view(1)->holeFrame, Rect(200.125, 300.125, 600, 400.125));
}

TEST_F(FocusCueOverlayControllerTest, AnUnpluggedDisplayLosesItsPanelAtTheNextShowAndANewOneGetsOne)
{
    controller.show(acrossBoth);
    auto second = panel(2);
    const std::size_t callCount = second->calls().size();

    screens.unplug(2);
    EXPECT_TRUE(second->isVisible()); // nothing happens before the next show
    EXPECT_EQ(second->calls().size(), callCount);

    controller.show(acrossBoth);
    EXPECT_EQ(controller.overlays().size(), 1u);
    EXPECT_EQ(callsSince(*second, callCount), Calls{"orderOut"});
    EXPECT_EQ(second.use_count(), 1); // the controller let it go
    EXPECT_EQ(factory.frontToBack(), std::vector<std::shared_ptr<SimPanel>>{panel(1)});
    EXPECT_EQ(panel(1)->displayCount(), 1); // its part of the hole did not change

    // A display plugged in its place is a new display with a new panel.
    screens.plug(SimScreenList::makeScreen(3, Rect{1440, 0, 1920, 1080}));
    controller.show(acrossBoth);
    EXPECT_EQ(factory.createdCount(), 3);
    ASSERT_TRUE(panel(3));
    EXPECT_EQ(panel(3)->number(), 2);
    EXPECT_TRUE(panel(3)->isVisible());
    EXPECT_EQ(view(3)->holeFrame, Rect(0, 300, 200, 300));
}

TEST_F(FocusCueOverlayControllerTest, PanelsFollowUsableAreasBeyondAQuarterPointButNeverEmptyOnes)
{
    controller.show({200, 300, 600, 400});
    auto first = panel(1);
    auto second = panel(2);
    const std::size_t firstCalls = first->calls().size();

    // A quarter point is noise.
    screens.setScreens(
        {SimScreenList::makeScreen(1, Rect{0, 0, 1440, 900}, 1.0, Rect{0, 0.25, 1440, 875.75}),
         SimScreenList::makeScreen(2, Rect{1440, 0, 1920, 1080}, 2.0)});
    controller.show({200, 300, 600, 400});
    EXPECT_EQ(callsSince(*first, firstCalls), Calls{"orderFrontRegardless"});

    // A dock appears: the panel and its view are reframed and the hole follows.
    screens.setScreens(
        {SimScreenList::makeScreen(1, Rect{0, 0, 1440, 900}, 1.0, Rect{0, 60, 1440, 816}),
         SimScreenList::makeScreen(2, Rect{1440, 0, 1920, 1080}, 2.0)});
    controller.show({200, 300, 600, 400});
    EXPECT_EQ(callsSince(*first, firstCalls + 1),
              (Calls{"setFrame 0 60 1440 816", "orderFrontRegardless", "displayIfNeeded"}));
    EXPECT_EQ(view(1)->frame(), Rect(0, 0, 1440, 816));
    EXPECT_EQ(view(1)->holeFrame, Rect(200, 240, 600, 400));
    EXPECT_EQ(first->lastFrame().fills()[0].path.boundingBox(), Rect(0, 0, 1440, 816));

    // Display 2's usable area becomes empty: its panel keeps its old frame and still serves.
    // A new display 3 with an empty usable area gets no panel.
    Screen third =
        SimScreenList::makeScreen(3, Rect{-1280, 0, 1280, 800}, 1.0, Rect{-1280, 0, 1280, 0});
    screens.setScreens(
        {SimScreenList::makeScreen(1, Rect{0, 0, 1440, 900}, 1.0, Rect{0, 60, 1440, 816}),
         SimScreenList::makeScreen(2, Rect{1440, 0, 1920, 1080}, 2.0, Rect{1440, 0, 0, 1056}),
         third});
    controller.show(acrossBoth);
    EXPECT_EQ(factory.createdCount(), 2);
    EXPECT_EQ(controller.overlays().count(3), 0u);
    EXPECT_EQ(second->frame(), Rect(1440, 0, 1920, 1056));
    for (const std::string& call : second->calls()) {
        EXPECT_EQ(call.rfind("setFrame", 0), std::string::npos) << call;
    }
    EXPECT_TRUE(second->isVisible());
    EXPECT_EQ(view(2)->holeFrame, Rect(0, 300, 200, 300));
}

TEST_F(FocusCueOverlayControllerTest, HideOrdersEveryVeilOutAndTheNextShowReusesThePanels)
{
    controller.hide(); // nothing to hide yet
    EXPECT_EQ(factory.createdCount(), 0);

    controller.show(acrossBoth);
    auto first = panel(1);
    auto second = panel(2);
    controller.hide();
    EXPECT_FALSE(controller.activeWindowFrame());
    EXPECT_FALSE(first->isVisible());
    EXPECT_FALSE(second->isVisible());
    EXPECT_EQ(first->calls().back(), "orderOut");
    EXPECT_EQ(controller.overlays().size(), 2u);

    // While hidden, the internal steps keep the panels but show nothing.
    controller.updateHoles();
    EXPECT_TRUE(factory.frontToBack().empty());

    controller.show(acrossBoth);
    EXPECT_EQ(factory.createdCount(), 2);
    EXPECT_EQ(panel(1), first);
    EXPECT_EQ(panel(2), second);
    EXPECT_TRUE(first->isVisible());
    EXPECT_TRUE(second->isVisible());
    // The holes were kept, so nothing is drawn again.
    EXPECT_EQ(first->displayCount(), 1);
    EXPECT_EQ(second->displayCount(), 1);
}

} // namespace
} // namespace halomark
