#include "pointer_cues/spotlight_view.h"

#include <algorithm>

namespace halomark {
namespace {

Rect squareAround(Point center, double r)
{
    return Rect{center.x - r, center.y - r, 2 * r, 2 * r};
}

bool overlaps(const Rect& a, const Rect& b)
{
    return !intersection(a, b).isEmpty();
}

Rect unite(const Rect& a, const Rect& b)
{
    const double x0 = std::min(a.minX(), b.minX());
    const double y0 = std::min(a.minY(), b.minY());
    return Rect{x0, y0, std::max(a.maxX(), b.maxX()) - x0, std::max(a.maxY(), b.maxY()) - y0};
}

} // namespace

SpotlightView::SpotlightView(const Rect& frame) : OverlayView(frame) {}

Rect SpotlightView::circleBounds(Point center)
{
    // One point more for the antialiased rim.
    const double r = radius + softEdge / 2 + 1;
    return Rect{center.x - r, center.y - r, 2 * r, 2 * r};
}

void SpotlightView::setCenter(std::optional<Point> center)
{
    if (center == circleCenter) {
        return;
    }
    const std::optional<Point> old = circleCenter;
    circleCenter = center;
    if (old && center && overlaps(circleBounds(*old), circleBounds(*center))) {
        setNeedsDisplay(unite(circleBounds(*old), circleBounds(*center)));
        return;
    }
    // Two apart rectangles, so that a jump across the monitor repaints two circles, not
    // everything between them.
    if (old) {
        setNeedsDisplay(circleBounds(*old));
    }
    if (center) {
        setNeedsDisplay(circleBounds(*center));
    }
}

void SpotlightView::draw(Canvas& canvas, double /*mediaTime*/) const
{
    const Color black = Color::blackColor();
    Path outside;
    outside.addRect(bounds());
    if (!circleCenter) {
        canvas.fillPath(outside, black.withAlpha(dimAlpha), FillRule::nonZero);
        return;
    }
    const Point c = *circleCenter;
    const double inner = radius - softEdge / 2;
    outside.addEllipse(squareAround(c, inner + softEdge));
    canvas.fillPath(outside, black.withAlpha(dimAlpha), FillRule::evenOdd);
    canvas.fillRadialGradientRing(c, inner, black.withAlpha(0), inner + softEdge,
                                  black.withAlpha(dimAlpha), softEdgeSteps);
}

} // namespace halomark
