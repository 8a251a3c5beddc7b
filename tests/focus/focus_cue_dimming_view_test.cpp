#include "focus/focus_cue_dimming_view.h"
#include "sim/sim_canvas.h"
#include "sim/sim_main_loop.h"
#include "sim/sim_panel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace halomark {
namespace {

using Kind = PathSegment::Kind;

// 4/3 tan(pi/8): the distance of a quarter circle's cubic control points from its ends, as
// a fraction of the radius.
constexpr double kQuarter = 0.5522847498307936;

struct ExpectedSegment
{
    Kind kind;
    std::vector<Point> points;
};

void expectPath(const Path& path, const std::vector<ExpectedSegment>& expected)
{
    const auto& segments = path.segments();
    ASSERT_EQ(segments.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("segment " + std::to_string(i));
        EXPECT_EQ(segments[i].kind, expected[i].kind);
        for (std::size_t p = 0; p < expected[i].points.size(); ++p) {
            EXPECT_NEAR(segments[i].points[p].x, expected[i].points[p].x, 1e-9);
            EXPECT_NEAR(segments[i].points[p].y, expected[i].points[p].y, 1e-9);
        }
    }
}

// The bounding box of the points of the path's second subpath (the hole), or nothing.
std::optional<Rect> holeSubpathBounds(const Path& path)
{
    Path hole;
    int moves = 0;
    for (const PathSegment& segment : path.segments()) {
        moves += segment.kind == Kind::moveTo ? 1 : 0;
        const int count = segment.kind == Kind::curveTo ? 3 : segment.kind == Kind::close ? 0 : 1;
        for (int i = 0; moves == 2 && i < count; ++i) {
            hole.lineTo(segment.points[static_cast<std::size_t>(i)]);
        }
    }
    return hole.isEmpty() ? std::nullopt : std::optional<Rect>(hole.boundingBox());
}

// What the view draws: it must be exactly one fill.
sim::SimCanvas::Drawing drawnFill(const FocusCueDimmingView& view)
{
    sim::SimCanvas canvas;
    view.draw(canvas, 0);
    EXPECT_EQ(canvas.fills().size(), 1u);
    return canvas.fills().empty() ? sim::SimCanvas::Drawing{} : canvas.fills()[0];
}

class FocusCueDimmingViewTest : public ::testing::Test
{
protected:
    // An 800 x 600 view hosted by a panel on a display of the given scale.
    std::shared_ptr<FocusCueDimmingView> makeView(double scale)
    {
        PanelConfiguration configuration;
        configuration.display = nextDisplay++;
        factory.setBackingScaleFactor(configuration.display, scale);
        std::shared_ptr<Panel> panel = factory.makePanel(configuration);
        auto view = makeUnhostedView();
        panel->setContentView(view);
        view->setWindow(panel);
        panels.push_back(panel);
        return view;
    }

    std::shared_ptr<FocusCueDimmingView> makeUnhostedView()
    {
        return std::make_shared<FocusCueDimmingView>(Rect{0, 0, 800, 600},
                                                     [this] { return majorVersion; });
    }

    static std::optional<AlignedHole> alignedAt(FocusCueDimmingView& view, const Rect& hole)
    {
        view.holeFrame = hole;
        return view.pixelAlignedHole();
    }

    sim::SimMainLoop loop;
    sim::SimPanelFactory factory{loop};
    std::vector<std::shared_ptr<Panel>> panels;
    DisplayIdentifier nextDisplay = 1;
    int majorVersion = 15;
};

TEST_F(FocusCueDimmingViewTest, WithoutAUsableHoleTheWholeViewIsVeiled)
{
    auto view = makeView(1);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<std::optional<Rect>> holes = {
        std::nullopt,
        Rect{900, 100, 100, 100},   // outside the bounds
        Rect{780.5, 100, 100, 100}, // 19.5 points of it inside, horizontally
        Rect{100, -80.5, 100, 100}, // 19.5 points of it inside, vertically
        Rect{nan, 100, 100, 100},
        Rect{100, 100, 300, nan},
    };
    for (const auto& hole : holes) {
        SCOPED_TRACE(hole ? std::to_string(hole->minX()) + " " + std::to_string(hole->minY())
                          : "absent");
        view->holeFrame = hole;
        EXPECT_FALSE(view->pixelAlignedHole());
        expectPath(drawnFill(*view).path, {{Kind::moveTo, {{0, 0}}},
                                           {Kind::lineTo, {{800, 0}}},
                                           {Kind::lineTo, {{800, 600}}},
                                           {Kind::lineTo, {{0, 600}}},
                                           {Kind::close, {}}});
    }
}

TEST_F(FocusCueDimmingViewTest, ASideWithinTwoDevicePixelsOfTheEdgeTouchesAndKeepsSquareCorners)
{
    // Scale 2: the tolerance is 1 point and free sides move in by 1.5 points.
    auto retina = makeView(2);
    EXPECT_EQ(alignedAt(*retina, {1, 100, 300, 200}),
              (AlignedHole{{1, 101.5, 298.5, 197}, true, false, false, false}));
    EXPECT_EQ(retina->holeCornerRadii(*retina->pixelAlignedHole()), (CornerRadii{0, 12, 12, 0}));
    // The drawn hole starts 1 point in: a 1-point strip of veil stays on the left.
    EXPECT_EQ(holeSubpathBounds(drawnFill(*retina).path), Rect(1, 101.5, 298.5, 197));
    // A quarter point further out of tolerance, the side is free: inset and snapped inwards.
    EXPECT_EQ(alignedAt(*retina, {1.25, 100, 300, 200}),
              (AlignedHole{{3, 101.5, 296.5, 197}, false, false, false, false}));

    // Scale 1: the tolerance is 2 points and free sides move in by 3 points.
    auto plain = makeView(1);
    EXPECT_EQ(alignedAt(*plain, {2, 100, 300, 200}),
              (AlignedHole{{2, 103, 297, 194}, true, false, false, false}));
    EXPECT_EQ(alignedAt(*plain, {2.5, 100, 300, 200}),
              (AlignedHole{{6, 103, 293, 194}, false, false, false, false}));
    // The same holds at the right, bottom and top edges.
    EXPECT_EQ(alignedAt(*plain, {500, 2, 298, 596}),
              (AlignedHole{{503, 2, 295, 596}, false, true, true, true}));
    EXPECT_EQ(alignedAt(*plain, {500, 2.5, 297.5, 595}),
              (AlignedHole{{503, 6, 291, 588}, false, false, false, false}));
}

TEST_F(FocusCueDimmingViewTest, AtScaleTwoSidesLieOnTheHalfPointGridFreeOnesWellInsideTheWindow)
{
    auto view = makeView(2);
    const Rect window{100.3, 50.7, 200.2, 120.45};
    const auto free = alignedAt(*view, window);
    ASSERT_TRUE(free);
    EXPECT_EQ(*free, (AlignedHole{{102, 52.5, 197, 117}, false, false, false, false}));
    const Rect r = free->rect;
    for (double side : {r.minX(), r.minY(), r.maxX(), r.maxY()}) {
        EXPECT_EQ(std::fmod(side * 2, 1.0), 0.0) << side;
    }
    EXPECT_GE(r.minX() - window.minX(), 1.5);
    EXPECT_GE(r.minY() - window.minY(), 1.5);
    EXPECT_GE(window.maxX() - r.maxX(), 1.5);
    EXPECT_GE(window.maxY() - r.maxY(), 1.5);

    // Touching sides snap outwards, to the view's edge or past the window's own edge.
    const auto touching = alignedAt(*view, {500.3, 0.7, 299.0, 599.1});
    ASSERT_TRUE(touching);
    EXPECT_EQ(*touching, (AlignedHole{{502, 0.5, 297.5, 599.5}, false, true, true, true}));
    EXPECT_EQ(view->holeCornerRadii(*touching), (CornerRadii{0, 0, 0, 0}));
}

TEST_F(FocusCueDimmingViewTest, AClippedHoleThatShrinksBelowTwentyPointsIsDropped)
{
    auto view = makeView(1);
    // Clipped at the bottom to 24 x 300: both vertical sides are free and lose 3 points each.
    EXPECT_FALSE(alignedAt(*view, {300, -50, 24, 350}));
    const Path drawn = drawnFill(*view).path;
    EXPECT_EQ(drawn.segments().size(), 5u); // the bounds alone
    EXPECT_FALSE(holeSubpathBounds(drawn));

    // Two points wider, exactly 20 points are left.
    EXPECT_EQ(alignedAt(*view, {300, -50, 26, 350}),
              (AlignedHole{{303, 0, 20, 297}, false, false, true, false}));
}

TEST_F(FocusCueDimmingViewTest, WithoutAWindowOrWithAScaleBelowOneTheViewAlignsAtScaleOne)
{
    // 1.5 points from the left edge: touching at scale 1 (tolerance 2), free at scale 2.
    const Rect hole{1.5, 100, 300, 200};
    const AlignedHole atScaleOne{{1, 103, 297, 194}, true, false, false, false};

    auto unhosted = makeUnhostedView();
    EXPECT_EQ(alignedAt(*unhosted, hole), atScaleOne);

    auto tiny = makeView(0.5);
    EXPECT_EQ(alignedAt(*tiny, hole), atScaleOne);

    auto retina = makeView(2);
    EXPECT_EQ(alignedAt(*retina, hole),
              (AlignedHole{{3, 101.5, 297, 197}, false, false, false, false}));
    // Once its panel is gone the view falls back to scale 1.
    panels.clear();
    EXPECT_EQ(retina->pixelAlignedHole(), atScaleOne);
}

TEST_F(FocusCueDimmingViewTest, AHoleOverTheWholeBoundsTouchesEverySideAndEqualsTheBounds)
{
    for (double scale : {1.0, 2.0}) {
        auto view = makeView(scale);
        const auto hole = alignedAt(*view, {-10, -10, 820, 620});
        ASSERT_TRUE(hole);
        EXPECT_EQ(*hole, (AlignedHole{{0, 0, 800, 600}, true, true, true, true}));
        EXPECT_EQ(view->holeCornerRadii(*hole), (CornerRadii{0, 0, 0, 0}));
        // The hole traces the bounds again, so the even-odd fill paints nothing.
        const auto fill = drawnFill(*view);
        EXPECT_EQ(fill.fillRule, FillRule::evenOdd);
        EXPECT_EQ(holeSubpathBounds(fill.path), Rect(0, 0, 800, 600));
    }
}

TEST_F(FocusCueDimmingViewTest, CornerRadiusIsHalfTheShorterSideCappedByTheSystemVersion)
{
    auto view = makeView(1);
    const AlignedHole thirtyHigh{{100, 100, 200, 30}};
    majorVersion = 25;
    EXPECT_EQ(view->holeCornerRadii(thirtyHigh), (CornerRadii{12, 12, 12, 12}));
    majorVersion = 26;
    EXPECT_EQ(view->holeCornerRadii(thirtyHigh), (CornerRadii{15, 15, 15, 15}));
    const AlignedHole fortyWide{{100, 100, 40, 300}};
    EXPECT_EQ(view->holeCornerRadii(fortyWide), (CornerRadii{18, 18, 18, 18}));
    majorVersion = 25;
    EXPECT_EQ(view->holeCornerRadii(fortyWide), (CornerRadii{12, 12, 12, 12}));
    EXPECT_EQ(view->holeCornerRadii(AlignedHole{{0, 0, 20, 20}}), (CornerRadii{10, 10, 10, 10}));

    // A corner is round only when both of its sides are free.
    EXPECT_EQ(view->holeCornerRadii({{0, 0, 200, 200}, false, false, true, false}),
              (CornerRadii{0, 0, 12, 12}));
    EXPECT_EQ(view->holeCornerRadii({{0, 0, 200, 200}, false, true, false, false}),
              (CornerRadii{12, 0, 0, 12}));
    EXPECT_EQ(view->holeCornerRadii({{0, 0, 200, 200}, true, false, false, true}),
              (CornerRadii{0, 12, 0, 0}));
}

TEST_F(FocusCueDimmingViewTest, RoundedHolePathRunsCounterClockwiseWithALineForEachSquareCorner)
{
    // Rectangle x 10..110, y 20..80; bottom-left 4, bottom-right square, top-right 8,
    // top-left 12.
    const Path mixed = FocusCueDimmingView::roundedHolePath({10, 20, 100, 60}, {4, 0, 8, 12});
    expectPath(mixed,
               {
                   {Kind::moveTo, {{14, 20}}},
                   {Kind::lineTo, {{110, 20}}},
                   {Kind::lineTo, {{110, 20}}}, // the square bottom-right corner
                   {Kind::lineTo, {{110, 72}}},
                   // Centre (102, 72), radius 8, from 0 to pi/2.
                   {Kind::curveTo, {{110, 72 + 8 * kQuarter}, {102 + 8 * kQuarter, 80}, {102, 80}}},
                   {Kind::lineTo, {{22, 80}}},
                   // Centre (22, 68), radius 12, from pi/2 to pi.
                   {Kind::curveTo, {{22 - 12 * kQuarter, 80}, {10, 68 + 12 * kQuarter}, {10, 68}}},
                   {Kind::lineTo, {{10, 24}}},
                   // Centre (14, 24), radius 4, from pi to 3 pi/2.
                   {Kind::curveTo, {{10, 24 - 4 * kQuarter}, {14 - 4 * kQuarter, 20}, {14, 20}}},
                   {Kind::close, {}},
               });

    // Only the bottom-right corner round, radius 5.
    const Path oneRound = FocusCueDimmingView::roundedHolePath({0, 0, 50, 30}, {0, 5, 0, 0});
    expectPath(oneRound,
               {
                   {Kind::moveTo, {{0, 0}}},
                   {Kind::lineTo, {{45, 0}}},
                   // Centre (45, 5), radius 5, from -pi/2 to 0.
                   {Kind::curveTo, {{45 + 5 * kQuarter, 0}, {50, 5 - 5 * kQuarter}, {50, 5}}},
                   {Kind::lineTo, {{50, 30}}},
                   {Kind::lineTo, {{50, 30}}},
                   {Kind::lineTo, {{0, 30}}},
                   {Kind::lineTo, {{0, 30}}},
                   {Kind::lineTo, {{0, 0}}},
                   {Kind::lineTo, {{0, 0}}},
                   {Kind::close, {}},
               });
}

TEST_F(FocusCueDimmingViewTest, DrawingIsOneEvenOddFillOfBoundsAndRoundedHoleInHalfWhite)
{
    auto view = makeView(1);
    view->holeFrame = Rect{100, 100, 300, 200};
    sim::SimCanvas canvas;
    view->draw(canvas, 0);
    EXPECT_EQ(canvas.calls(), (std::vector<sim::SimCanvas::Call>{sim::SimCanvas::Call::save,
                                                                 sim::SimCanvas::Call::fillPath,
                                                                 sim::SimCanvas::Call::restore}));
    const auto fills = canvas.fills();
    ASSERT_EQ(fills.size(), 1u);
    const auto& fill = fills[0];
    EXPECT_EQ(fill.color, Color::white(1.0, 0.5));
    EXPECT_EQ(fill.fillRule, FillRule::evenOdd);
    EXPECT_EQ(fill.opacity, 1);

    // The bounds, then the hole inset by 3 points with four 12-point corners.
    const auto& segments = fill.path.segments();
    ASSERT_EQ(segments.size(), 15u);
    const std::vector<Kind> holeKinds{Kind::moveTo,  Kind::lineTo, Kind::curveTo, Kind::lineTo,
                                      Kind::curveTo, Kind::lineTo, Kind::curveTo, Kind::lineTo,
                                      Kind::curveTo, Kind::close};
    for (std::size_t i = 0; i < holeKinds.size(); ++i) {
        EXPECT_EQ(segments[5 + i].kind, holeKinds[i]) << i;
    }
    EXPECT_EQ(segments[5].points[0], (Point{115, 103}));
    EXPECT_EQ(holeSubpathBounds(fill.path), Rect(103, 103, 294, 194));

    // A view without area draws nothing.
    view->setFrame({0, 0, 0, 600});
    sim::SimCanvas empty;
    view->draw(empty, 0);
    EXPECT_TRUE(empty.calls().empty());
}

} // namespace
} // namespace halomark
