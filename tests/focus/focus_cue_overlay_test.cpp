#include "focus/focus_cue_dimming_view.h"
#include "focus/focus_cue_overlay_controller.h"
#include "sim/sim_canvas.h"
#include "sim/sim_main_loop.h"
#include "sim/sim_panel.h"
#include "sim/sim_screen_list.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <string>
#include <vector>

namespace halomark {
namespace {

using Kind = PathSegment::Kind;

class FocusCueDimmingViewTest : public ::testing::Test
{
protected:
    // An 800 x 600 view, hosted by a panel on a display of the given scale unless it is 0.
    std::shared_ptr<FocusCueDimmingView> makeView(double scale)
    {
        auto view = std::make_shared<FocusCueDimmingView>(Rect{0, 0, 800, 600},
                                                          [this] { return majorVersion; });
        if (scale > 0) {
            PanelConfiguration configuration;
            configuration.display = nextDisplay++;
            factory.setBackingScaleFactor(configuration.display, scale);
            panels.push_back(factory.makePanel(configuration));
            panels.back()->setContentView(view);
            view->setWindow(panels.back());
        }
        return view;
    }

    // What the view draws, which must be one fill.
    static sim::SimCanvas::Drawing drawnFill(const FocusCueDimmingView& view)
    {
        sim::SimCanvas canvas;
        view.draw(canvas, 0);
        using enum sim::SimCanvas::Call;
        EXPECT_EQ(canvas.calls(), (std::vector{save, fillPath, restore}));
        return canvas.fills().empty() ? sim::SimCanvas::Drawing{} : canvas.fills()[0];
    }

    sim::SimMainLoop loop;
    sim::SimPanelFactory factory{loop};
    std::vector<std::shared_ptr<Panel>> panels;
    DisplayIdentifier nextDisplay = 1;
    int majorVersion = 15;
};

TEST_F(FocusCueDimmingViewTest, HolesAreClippedInsetSnappedAndSquareWhereTheyTouchAnEdge)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case
    {
        double scale; // 0: a view in no window
        Rect hole;
        std::optional<AlignedHole> aligned;
    };
    const std::vector<Case> cases{
        {1, {900, 100, 100, 100}, std::nullopt},   // outside the bounds
        {1, {780.5, 100, 100, 100}, std::nullopt}, // 19.5 points inside
        {1, {100, -80.5, 100, 100}, std::nullopt},
        {1, {nan, 100, 100, 100}, std::nullopt},
        {1, {100, 100, 300, nan}, std::nullopt},
        // Clipped to 24 points with both sides free: 18 are left. 26 leave exactly 20.
        {1, {300, -50, 24, 350}, std::nullopt},
        {1, {300, -50, 26, 350}, AlignedHole{{303, 0, 20, 297}, false, false, true, false}},
        // Scale 1: sides within 2 points of an edge touch; free sides move in by 3.
        {1, {2, 100, 300, 200}, AlignedHole{{2, 103, 297, 194}, true, false, false, false}},
        {1, {2.5, 100, 300, 200}, AlignedHole{{6, 103, 293, 194}}},
        {1, {500, 2, 298, 596}, AlignedHole{{503, 2, 295, 596}, false, true, true, true}},
        {1, {500, 2.5, 297.5, 595}, AlignedHole{{503, 6, 291, 588}}},
        // Scale 2: within 1 point, in by 1.5, on the half-point grid; touching sides snap
        // outwards, free ones inwards.
        {2, {1, 100, 300, 200}, AlignedHole{{1, 101.5, 298.5, 197}, true, false, false, false}},
        {2, {1.25, 100, 300, 200}, AlignedHole{{3, 101.5, 296.5, 197}}},
        {2, {100.3, 50.7, 200.2, 120.45}, AlignedHole{{102, 52.5, 197, 117}}},
        {2,
         {500.3, 0.7, 299, 599.1},
         AlignedHole{{502, 0.5, 297.5, 599.5}, false, true, true, true}},
        // Without a window, or below scale 1, the view aligns at scale 1.
        {0, {1.5, 100, 300, 200}, AlignedHole{{1, 103, 297, 194}, true, false, false, false}},
        {0.5, {1.5, 100, 300, 200}, AlignedHole{{1, 103, 297, 194}, true, false, false, false}},
        {2, {1.5, 100, 300, 200}, AlignedHole{{3, 101.5, 297, 197}}},
        // Over the whole bounds: every side touches and the hole is the bounds.
        {2, {-10, -10, 820, 620}, AlignedHole{{0, 0, 800, 600}, true, true, true, true}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        auto view = makeView(cases[i].scale);
        view->holeFrame = cases[i].hole;
        EXPECT_EQ(view->pixelAlignedHole(), cases[i].aligned) << "case " << i;
        // Without a hole the even-odd fill covers the bounds alone.
        const auto fill = drawnFill(*view);
        EXPECT_EQ(fill.path.segments().size(), cases[i].aligned ? 15u : 5u) << "case " << i;
        EXPECT_EQ(fill.path.boundingBox(), Rect(0, 0, 800, 600));
    }
}

TEST_F(FocusCueDimmingViewTest, CornersAreHalfTheShorterSideCappedByVersionAndRoundOnlyWhenFree)
{
    auto view = makeView(1);
    // The caps on either side of version 26 are the controller's scenario.
    const AlignedHole thirtyHigh{{100, 100, 200, 30}};
    EXPECT_EQ(view->holeCornerRadii(thirtyHigh), (CornerRadii{12, 12, 12, 12}));
    EXPECT_EQ(view->holeCornerRadii({{0, 0, 20, 20}}), (CornerRadii{10, 10, 10, 10}));
    majorVersion = 26;
    EXPECT_EQ(view->holeCornerRadii(thirtyHigh), (CornerRadii{15, 15, 15, 15}));
    const Rect square{0, 0, 200, 200};
    // A corner is round only when both of its sides are free: one touching side at a time.
    const std::vector<std::pair<AlignedHole, CornerRadii>> touching{
        {{square, true, false, false, false}, {0, 18, 18, 0}},
        {{square, false, true, false, false}, {18, 0, 0, 18}},
        {{square, false, false, true, false}, {0, 0, 18, 18}},
        {{square, false, false, false, true}, {18, 18, 0, 0}}};
    for (const auto& [hole, radii] : touching) {
        EXPECT_EQ(view->holeCornerRadii(hole), radii);
    }
}

TEST_F(FocusCueDimmingViewTest, TheHolePathRunsCounterClockwiseWithItsOwnArcAtEachCorner)
{
    // x 10..110, y 20..80; radii bottom-left 4, bottom-right 6, top-right 8, top-left 12. An
    // arc's control points lie 4/3 tan(pi/8) of the radius from its ends.
    const double k = 0.5522847498307936;
    const Path path = FocusCueDimmingView::roundedHolePath({10, 20, 100, 60}, {4, 6, 8, 12});
    const std::vector<PathSegment> expected{
        {Kind::moveTo, {Point{14, 20}}},
        {Kind::lineTo, {Point{104, 20}}},
        {Kind::curveTo, {Point{104 + 6 * k, 20}, Point{110, 26 - 6 * k}, Point{110, 26}}},
        {Kind::lineTo, {Point{110, 72}}},
        {Kind::curveTo, {Point{110, 72 + 8 * k}, Point{102 + 8 * k, 80}, Point{102, 80}}},
        {Kind::lineTo, {Point{22, 80}}},
        {Kind::curveTo, {Point{22 - 12 * k, 80}, Point{10, 68 + 12 * k}, Point{10, 68}}},
        {Kind::lineTo, {Point{10, 24}}},
        {Kind::curveTo, {Point{10, 24 - 4 * k}, Point{14 - 4 * k, 20}, Point{14, 20}}},
        {Kind::close, {}},
    };
    ASSERT_EQ(path.segments().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(path.segments()[i].kind, expected[i].kind) << i;
        for (std::size_t p = 0; p < expected[i].points.size(); ++p) {
            EXPECT_NEAR(path.segments()[i].points[p].x, expected[i].points[p].x, 1e-9) << i;
            EXPECT_NEAR(path.segments()[i].points[p].y, expected[i].points[p].y, 1e-9) << i;
        }
    }
    // A square corner is a line to the corner itself.
    std::vector<PathSegment> square{{Kind::moveTo, {Point{0, 0}}}};
    for (const Point p :
         {Point{50, 0}, {50, 0}, {50, 30}, {50, 30}, {0, 30}, {0, 30}, {0, 0}, {0, 0}}) {
        square.push_back({Kind::lineTo, {p}});
    }
    square.push_back({Kind::close, {}});
    EXPECT_EQ(FocusCueDimmingView::roundedHolePath({0, 0, 50, 30}, {}).segments(), square);
}

TEST_F(FocusCueDimmingViewTest, TheVeilIsOneHalfWhiteEvenOddFillOfTheBoundsAndTheHole)
{
    auto view = makeView(1);
    view->holeFrame = Rect{100, 100, 300, 200};
    const auto fill = drawnFill(*view);
    EXPECT_EQ(std::tuple(fill.color, fill.fillRule, fill.opacity),
              std::tuple(Color::white(1.0, 0.5), FillRule::evenOdd, 1.0));
    // The bounds, then the hole inset by 3 points with four 12-point corners.
    Path bounds;
    bounds.addRect({0, 0, 800, 600});
    const Path hole = FocusCueDimmingView::roundedHolePath({103, 103, 294, 194}, {12, 12, 12, 12});
    const auto& segments = fill.path.segments();
    ASSERT_EQ(segments.size(), 15u);
    EXPECT_EQ(std::vector(segments.begin(), segments.begin() + 5), bounds.segments());
    EXPECT_EQ(std::vector(segments.begin() + 5, segments.end()), hole.segments());

    view->setFrame({0, 0, 0, 600}); // a view without area draws nothing
    sim::SimCanvas empty;
    view->draw(empty, 0);
    EXPECT_TRUE(empty.calls().empty());
}

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

TEST_F(FocusCueOverlayControllerTest, ARepeatedShowOrHideChangesNoHoleAndOnlyOrdersTheVeils)
{
    controller.hide(); // nothing to hide yet
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

    // Hidden, every veil is out and the internal steps show nothing; the next show reuses the
    // panels and, the holes kept, draws nothing again.
    controller.show(acrossBoth);
    draws = first->displayCount();
    controller.hide();
    EXPECT_EQ(std::tuple(controller.activeWindowFrame(), first->calls().back(),
                         second->calls().back(), factory.frontToBack().size()),
              std::tuple(std::nullopt, "orderOut", "orderOut", 0u));
    controller.updateHoles();
    EXPECT_TRUE(factory.frontToBack().empty());
    controller.show(acrossBoth);
    EXPECT_EQ(
        std::tuple(factory.createdCount(), panel(1), factory.frontToBack(), first->displayCount()),
        std::tuple(2, first, Panels{second, first}, draws));
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

} // namespace
} // namespace halomark
