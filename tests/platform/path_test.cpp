#include "platform/path.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace halomark {
namespace {

using Kind = PathSegment::Kind;
constexpr double pi = std::numbers::pi;

// The middle of a cubic segment, to check how closely it follows a circle.
Point curveMiddle(Point start, const PathSegment& curve)
{
    const auto& p = curve.points;
    return {(start.x + 3 * p[0].x + 3 * p[1].x + p[2].x) / 8,
            (start.y + 3 * p[0].y + 3 * p[1].y + p[2].y) / 8};
}

void expectNear(Point actual, Point expected, double tolerance = 1e-9)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
}

void expectNear(const Rect& actual, const Rect& expected, double tolerance = 1e-9)
{
    expectNear(actual.origin, expected.origin, tolerance);
    EXPECT_NEAR(actual.width(), expected.width(), tolerance);
    EXPECT_NEAR(actual.height(), expected.height(), tolerance);
}

TEST(Path, RoundedHoleOfMovesLinesAndArcsRunsCounterClockwiseAndStaysOnItsCircles)
{
    // A hole with a square lower-left corner and three rounded ones, radius 10.
    Path path;
    path.moveTo({0, 0});
    path.lineTo({90, 0});
    path.addArc({90, 10}, 10, -pi / 2, 0, false);
    path.lineTo({100, 40});
    path.addArc({90, 40}, 10, 0, pi / 2, false);
    path.lineTo({10, 50});
    path.addArc({10, 40}, 10, pi / 2, pi, false);
    path.lineTo({0, 0});
    path.closeSubpath();

    const auto& segments = path.segments();
    // Arcs that start at the current point add no joining line: one curve each.
    ASSERT_EQ(segments.size(), 9u);
    EXPECT_EQ(segments[2].kind, Kind::curveTo);
    expectNear(segments[2].endPoint(), {100, 10});
    expectNear(segments[4].endPoint(), {90, 50});
    expectNear(segments[6].endPoint(), {0, 40});
    EXPECT_EQ(segments.back().kind, Kind::close);
    const Point middle = curveMiddle(segments[1].endPoint(), segments[2]);
    EXPECT_NEAR(std::hypot(middle.x - 90, middle.y - 10), 10, 10 * 3e-4);
    expectNear(path.boundingBox(), Rect(0, 0, 100, 50));
    EXPECT_EQ(path.currentPoint(), Point(0, 0));
}

TEST(Path, ArcDirectionSweepAndJoiningLine)
{
    Path counterClockwise;
    counterClockwise.addArc({0, 0}, 10, 0, pi / 2, false);
    EXPECT_EQ(counterClockwise.segments().size(), 2u); // move, one quarter
    expectNear(counterClockwise.boundingBox(), Rect(0, 0, 10, 10));

    Path clockwise; // the long way round: three quarters
    clockwise.addArc({0, 0}, 10, 0, pi / 2, true);
    EXPECT_EQ(clockwise.segments().size(), 4u);
    expectNear(clockwise.segments()[1].endPoint(), {0, -10});
    expectNear(*clockwise.currentPoint(), {0, 10});

    Path full; // a difference of 2 pi or more is a whole circle, not nothing
    full.addArc({5, 5}, 5, 0, 2 * pi, false);
    EXPECT_EQ(full.segments().size(), 5u);
    expectNear(full.boundingBox(), Rect(0, 0, 10, 10));

    Path joined; // from an existing point a line leads to the arc's start
    joined.moveTo({-20, 0});
    joined.addArc({0, 0}, 10, pi, 3 * pi / 2, false);
    ASSERT_EQ(joined.segments().size(), 3u);
    EXPECT_EQ(joined.segments()[1].kind, Kind::lineTo);
    expectNear(joined.segments()[1].endPoint(), {-10, 0});
    expectNear(joined.segments()[2].endPoint(), {0, -10});
}

TEST(Path, EllipsesAndRoundedRectsFitTheirRectangles)
{
    Path ellipse;
    ellipse.addEllipse(Rect{10, 20, 104, 60});
    ASSERT_EQ(ellipse.segments().size(), 6u);
    EXPECT_EQ(ellipse.segments()[0], (PathSegment{Kind::moveTo, {Point{114, 50}}}));
    EXPECT_EQ(ellipse.segments()[1].endPoint(), Point(62, 80)); // counter-clockwise: top next
    EXPECT_EQ(ellipse.boundingBox(), Rect(10, 20, 104, 60));
    const Point middle = curveMiddle({114, 50}, ellipse.segments()[1]);
    EXPECT_NEAR(std::hypot((middle.x - 62) / 52, (middle.y - 50) / 30), 1, 3e-4);

    Path rounded; // corners clamped to half the height; a normalised rectangle
    rounded.addRoundedRect(Rect{110, 4, -100, -4}, 5, 5);
    EXPECT_EQ(rounded.boundingBox(), Rect(10, 0, 100, 4));
    EXPECT_EQ(rounded.segments().front().endPoint(), Point(15, 0));
    expectNear(rounded.segments()[2].endPoint(), {110, 2});

    Path dot; // a zero-size rectangle with rounded corners: a closed outline at one point
    dot.addRoundedRect(Rect{30, 40, 0, 0}, 5, 5);
    EXPECT_EQ(dot.boundingBox(), Rect(30, 40, 0, 0));
    EXPECT_EQ(dot.segments().back().kind, Kind::close);
    EXPECT_FALSE(dot.isEmpty());
}

TEST(Path, DrawingAfterACloseStartsANewSubpathAtTheClosedOnesStart)
{
    Path path;
    path.lineTo({1, 1}); // no current point: starts a subpath
    EXPECT_EQ(path.segments().front().kind, Kind::moveTo);
    path.lineTo({5, 1});
    path.closeSubpath();
    path.closeSubpath(); // closing twice adds nothing
    path.lineTo({3, 4});
    const auto& s = path.segments();
    ASSERT_EQ(s.size(), 5u);
    EXPECT_EQ(s[2].kind, Kind::close);
    EXPECT_EQ(s[3], (PathSegment{Kind::moveTo, {Point{1, 1}}}));
    EXPECT_EQ(s[4], (PathSegment{Kind::lineTo, {Point{3, 4}}}));
    EXPECT_EQ(Path{}.boundingBox(), Rect{});
}

} // namespace
} // namespace halomark
