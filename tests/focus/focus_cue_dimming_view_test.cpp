#include "focus/focus_cue_dimming_view.h"
#include "sim/sim_canvas.h"
#include "sim/sim_main_loop.h"
#include "sim/sim_panel.h"

#include <gtest/gtest.h>

#include <limits>
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
        EXPECT_EQ(canvas.calls(), (std::vector<sim::SimCanvas::Call>{
                                      sim::SimCanvas::Call::save, sim::SimCanvas::Call::fillPath,
                                      sim::SimCanvas::Call::restore}));
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
    const AlignedHole thirtyHigh{{100, 100, 200, 30}};
    const AlignedHole fortyWide{{100, 100, 40, 300}};
    EXPECT_EQ(view->holeCornerRadii(thirtyHigh), (CornerRadii{12, 12, 12, 12}));
    EXPECT_EQ(view->holeCornerRadii({{0, 0, 20, 20}}), (CornerRadii{10, 10, 10, 10}));
    majorVersion = 25;
    EXPECT_EQ(view->holeCornerRadii(fortyWide), (CornerRadii{12, 12, 12, 12}));
    majorVersion = 26;
    EXPECT_EQ(view->holeCornerRadii(thirtyHigh), (CornerRadii{15, 15, 15, 15}));
    EXPECT_EQ(view->holeCornerRadii(fortyWide), (CornerRadii{18, 18, 18, 18}));
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
    const Path square = FocusCueDimmingView::roundedHolePath({0, 0, 50, 30}, {});
    std::vector<double> ends; // x and y of each segment's end; a close adds -1
    for (const PathSegment& segment : square.segments()) {
        const Point end = segment.kind == Kind::close ? Point{-1, -1} : segment.endPoint();
        ends.insert(ends.end(), {end.x, end.y});
    }
    EXPECT_EQ(ends, (std::vector<double>{0, 0,  50, 0,  50, 0, 50, 30, 50, 30,
                                         0, 30, 0,  30, 0,  0, 0,  0,  -1, -1}));
}

TEST_F(FocusCueDimmingViewTest, TheVeilIsOneHalfWhiteEvenOddFillOfTheBoundsAndTheHole)
{
    auto view = makeView(1);
    view->holeFrame = Rect{100, 100, 300, 200};
    const auto fill = drawnFill(*view);
    EXPECT_EQ(fill.color, Color::white(1.0, 0.5));
    EXPECT_EQ(fill.fillRule, FillRule::evenOdd);
    EXPECT_EQ(fill.opacity, 1);
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

} // namespace
} // namespace halomark
