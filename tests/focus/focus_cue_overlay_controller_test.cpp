#include "focus/focus_cue_overlay_controller.h"
#include "sim/sim_main_loop.h"
#include "sim/sim_panel.h"
#include "sim/sim_screen_list.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace halomark {
namespace {

using sim::SimPanel;
using sim::SimScreenList;
using Calls = std::vector<std::string>;
using Panels = std::vector<std::shared_ptr<SimPanel>>;

class FocusCueOverlayControllerTest : public ::testing::Test
{
protected:
    // Display 1 at scale 1 and, to its right, a taller display 2 at scale 2; each loses a
    // 24-point menu bar at the top.
    void SetUp() override { setScreens(); }

    void setScreens(Rect usable1 = {0, 0, 1440, 876}, Rect usable2 = {1440, 0, 1920, 1056},
                    std::vector<Screen> more = {})
    {
        factory.setBackingScaleFactor(2, 2.0);
        more.insert(more.begin(),
                    {SimScreenList::makeScreen(1, Rect{0, 0, 1440, 900}, 1.0, usable1),
                     SimScreenList::makeScreen(2, Rect{1440, 0, 1920, 1080}, 2.0, usable2)});
        screens.setScreens(more);
    }

    std::shared_ptr<SimPanel> panel(DisplayIdentifier display) const
    {
        const auto found = controller.overlays().find(display);
        return found == controller.overlays().end()
                   ? nullptr
                   : std::dynamic_pointer_cast<SimPanel>(found->second.panel);
    }

    std::optional<Rect> hole(DisplayIdentifier display) const
    {
        return controller.overlays().at(display).view->holeFrame;
    }

    // The calls a panel received since the last time they were taken.
    Calls newCalls(const SimPanel& panel)
    {
        std::size_t& from = seen[&panel];
        Calls calls(panel.calls().begin() + static_cast<std::ptrdiff_t>(from), panel.calls().end());
        from = panel.calls().size();
        return calls;
    }

    sim::SimMainLoop loop;
    SimScreenList screens;
    sim::SimPanelFactory factory{loop};
    int majorVersion = 26;
    FocusCueOverlayController controller{screens, factory, [this] { return majorVersion; }};
    std::map<const SimPanel*, std::size_t> seen;
    const Rect acrossBoth{1240, 300, 400, 300}; // 200 points on each display
};

TEST_F(FocusCueOverlayControllerTest, AShowMakesAVeilPanelPerDisplayAndVeilsOnlyTheWindowsDisplay)
{
    EXPECT_TRUE(controller.overlays().empty());
    controller.show({200, 300, 600, 400});
    EXPECT_EQ(controller.activeWindowFrame(), Rect(200, 300, 600, 400));
    ASSERT_EQ(factory.createdCount(), 2);
    auto first = panel(1);
    auto second = panel(2);
    ASSERT_TRUE(first && second);
    const Calls setUp{"setLevel 25",
                      "setIgnoresMouseEvents true",
                      "setAlphaValue 1",
                      "setAnimationBehavior 2",
                      "setCollectionBehavior 337",
                      "setContentView"};
    EXPECT_EQ(first->configuration(), veilPanelConfiguration(screens.screens()[0]));
    Calls expected = setUp;
    expected.insert(expected.end(), {"orderFrontRegardless", "displayIfNeeded"});
    EXPECT_EQ(newCalls(*first), expected);
    EXPECT_EQ(first->contentView(), controller.overlays().at(1).view);
    // Drawn before the show returned, once, with the hole.
    EXPECT_EQ(std::tuple(controller.overlays().at(1).view->frame(), hole(1), first->displayCount(),
                         first->lastFrame().fills().at(0).path.segments().size()),
              std::tuple(Rect(0, 0, 1440, 876), std::optional(Rect(200, 300, 600, 400)), 1, 15u));

    // The other display gets its panel, not yet ordered front.
    EXPECT_EQ(second->configuration().contentRect, Rect(1440, 0, 1920, 1056));
    expected = setUp;
    expected.push_back("orderOut");
    EXPECT_EQ(newCalls(*second), expected);
    EXPECT_EQ(std::tuple(hole(2), factory.frontToBack()),
              std::tuple(std::optional<Rect>{}, Panels{first}));

    // Across both displays: each veiled with its part of the hole, aligned on its own pixel
    // grid and square where it meets the other display.
    controller.show(acrossBoth);
    EXPECT_EQ(factory.frontToBack(), (Panels{second, first}));
    EXPECT_EQ(std::tuple(hole(1), hole(2)),
              std::tuple(Rect(1240, 300, 200, 300), Rect(0, 300, 200, 300)));
    const auto& view1 = *controller.overlays().at(1).view;
    EXPECT_EQ(controller.overlays().at(2).view->pixelAlignedHole(),
              (AlignedHole{{0, 301.5, 198.5, 297}, true, false, false, false}));
    EXPECT_EQ(view1.holeCornerRadii(*view1.pixelAlignedHole()), (CornerRadii{18, 0, 0, 18}));
    majorVersion = 25; // the views read the system version when they draw
    EXPECT_EQ(view1.holeCornerRadii(*view1.pixelAlignedHole()), (CornerRadii{12, 0, 0, 12}));
}

TEST_F(FocusCueOverlayControllerTest, TheWindowSizeAndOverlapThresholdsAreInclusive)
{
    controller.show({200, 300, 79, 400});
    EXPECT_EQ(std::tuple(factory.createdCount(), controller.activeWindowFrame()),
              std::tuple(0, std::optional<Rect>{}));

    // Each: the frame shown, whether it is kept as the active frame (else everything is
    // hidden), and whether display 1 and display 2 are veiled.
    struct Case
    {
        Rect frame;
        bool kept, first, second;
    };
    const std::vector<Case> cases{
        {{200, 300, 80, 50}, true, true, false},
        {{200, 300, 80, 49}, false, false, false}, // below 80 x 50
        {{200, 300, 600, 400}, true, true, false},
        {{200, 300, 79, 400}, false, false, false},
        {{-361, 300, 400, 300}, false, false, false}, // 39 points on display 1
        {{-360, 300, 400, 300}, true, true, false},
        {{200, -271, 400, 300}, false, false, false},
        {{200, -270, 400, 300}, true, true, false}, // 30 points high on it
        {{1401, 300, 80, 300}, true, true, true},   // 39 and 41 points: each enough to veil
        {{1000, 300, 459, 300}, true, true, false}, // 19 points on display 2 do not veil it
        {{1000, 300, 460, 300}, true, true, true},
        {{100, 870, 400, 300}, true, false, false}, // under the menu bar: 6 usable points
        {{200, 857, 400, 300}, true, false, false},
        {{200, 856, 400, 300}, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.frame));
        controller.show(c.frame);
        EXPECT_EQ(std::tuple(controller.activeWindowFrame().has_value(), panel(1)->isVisible(),
                             panel(2)->isVisible(), controller.overlays().size()),
                  std::tuple(c.kept, c.first, c.second, 2u)); // panels kept for the next show
        EXPECT_EQ(controller.activeWindowFrame(), c.kept ? std::optional(c.frame) : std::nullopt);
    }
    EXPECT_EQ(hole(1), Rect(200, 856, 400, 20));
    controller.show({-360, 300, 400, 300});
    EXPECT_EQ(hole(1), Rect(0, 300, 40, 300));
    EXPECT_FALSE(hole(2));
    controller.show({1401, 300, 80, 300});
    EXPECT_EQ(hole(2), Rect(0, 300, 41, 300));
}

TEST_F(FocusCueOverlayControllerTest, ARepeatedShowChangesNoHoleAndOnlyOrdersTheVeilsFront)
{
    controller.show(acrossBoth);
    auto first = panel(1);
    auto second = panel(2);
    newCalls(*first);
    newCalls(*second);
    const int requests = first->displayRequestCount();
    controller.show(acrossBoth);
    controller.show({1240.0625, 300, 400, 300}); // less than 0.1 points: nothing either
    EXPECT_EQ(newCalls(*first), (Calls{"orderFrontRegardless", "orderFrontRegardless"}));
    EXPECT_EQ(newCalls(*second), (Calls{"orderFrontRegardless", "orderFrontRegardless"}));
    EXPECT_EQ(
        std::tuple(first->displayRequestCount(), first->displayCount(), second->displayCount()),
        std::tuple(requests, 1, 1));

    // Small moves add up against the hole last drawn, not the last frame shown.
    controller.show({1240.125, 300, 400, 300});
    EXPECT_EQ(newCalls(*first), (Calls{"orderFrontRegardless", "displayIfNeeded"}));
    EXPECT_EQ(std::tuple(second->displayCount(), hole(1)),
              std::tuple(2, Rect(1240.125, 300, 199.875, 300)));

    // Moves along either axis alone, and a change of height, are each redrawn.
    int draws = first->displayCount();
    for (const Rect& frame : {Rect{200, 300, 600, 400}, Rect{200.0625, 300.0625, 600, 400},
                              Rect{200.125, 300, 600, 400}, Rect{200.125, 300.125, 600, 400},
                              Rect{200.125, 300.125, 600, 400.125}}) {
        controller.show(frame);
        draws += frame.minX() == 200.0625 ? 0 : 1;
        EXPECT_EQ(first->displayCount(), draws) << ::testing::PrintToString(frame);
    }
}

TEST_F(FocusCueOverlayControllerTest, PanelsFollowTheDisplaysAndTheirUsableAreasAtTheNextShow)
{
    controller.show(acrossBoth);
    auto first = panel(1);
    auto second = panel(2);
    newCalls(*first);
    newCalls(*second);

    // Display 2 is unplugged: nothing happens before the next show, which lets its panel go.
    screens.unplug(2);
    EXPECT_TRUE(newCalls(*second).empty());
    controller.show(acrossBoth);
    // Display 1's part of the hole did not change: not drawn again.
    EXPECT_EQ(std::tuple(controller.overlays().size(), newCalls(*second), second.use_count(),
                         first->displayCount()),
              std::tuple(1u, Calls{"orderOut"}, 1, 1));

    // A quarter point is noise; a dock appearing reframes the panel and its view, and the
    // hole follows.
    newCalls(*first);
    setScreens({0, 0.25, 1440, 875.75});
    controller.show({200, 300, 600, 400});
    EXPECT_EQ(newCalls(*first), (Calls{"orderFrontRegardless", "displayIfNeeded"}));
    setScreens({0, 60, 1440, 816});
    controller.show({200, 300, 600, 400});
    EXPECT_EQ(newCalls(*first),
              (Calls{"setFrame 0 60 1440 816", "orderFrontRegardless", "displayIfNeeded"}));
    EXPECT_EQ(std::tuple(controller.overlays().at(1).view->frame(), hole(1),
                         first->lastFrame().fills()[0].path.boundingBox()),
              std::tuple(Rect(0, 0, 1440, 816), Rect(200, 240, 600, 400), Rect(0, 0, 1440, 816)));
    ASSERT_TRUE(panel(2)); // plugged back: a new panel
    EXPECT_NE(panel(2), second);

    // A display whose usable area is empty gets no panel, and one it has keeps its frame.
    const auto replug = panel(2);
    setScreens({0, 60, 1440, 816}, {1440, 0, 0, 1056},
               {SimScreenList::makeScreen(3, {-1280, 0, 1280, 800}, 1.0, Rect{-1280, 0, 1280, 0})});
    controller.show(acrossBoth);
    EXPECT_EQ(
        std::tuple(controller.overlays().count(3), replug->frame(), replug->isVisible(), hole(2)),
        std::tuple(0u, Rect(1440, 0, 1920, 1056), true, Rect(0, 300, 200, 300)));
}

TEST_F(FocusCueOverlayControllerTest, HideOrdersEveryVeilOutAndTheNextShowReusesThePanels)
{
    controller.hide(); // nothing to hide yet
    controller.show(acrossBoth);
    auto first = panel(1);
    auto second = panel(2);
    controller.hide();
    EXPECT_EQ(std::tuple(controller.activeWindowFrame(), first->calls().back(),
                         second->calls().back(), factory.frontToBack().size()),
              std::tuple(std::nullopt, "orderOut", "orderOut", 0u));
    controller.updateHoles(); // while hidden the internal steps show nothing
    EXPECT_TRUE(factory.frontToBack().empty());

    controller.show(acrossBoth);
    // The holes were kept: nothing drawn again.
    EXPECT_EQ(
        std::tuple(factory.createdCount(), panel(1), factory.frontToBack(), first->displayCount()),
        std::tuple(2, first, Panels{second, first}, 1));
}

} // namespace
} // namespace halomark
