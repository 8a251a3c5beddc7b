#include "platform/canvas.h"

namespace halomark {
namespace {

Rect squareAround(Point center, double r)
{
    return Rect{center.x - r, center.y - r, 2 * r, 2 * r};
}

double between(double from, double to, double fraction)
{
    return from + (to - from) * fraction;
}

} // namespace

void Canvas::fillRadialGradientRing(Point center, double innerRadius, const Color& inner,
                                    double outerRadius, const Color& outer, int steps)
{
    const double step = (outerRadius - innerRadius) / steps;
    for (int i = 0; i < steps; ++i) {
        Path ring;
        ring.addEllipse(squareAround(center, innerRadius + step * (i + 1)));
        ring.addEllipse(squareAround(center, innerRadius + step * i));
        // Each ring takes the colour at its middle.
        const double f = (i + 0.5) / steps;
        Color color = inner;
        color.red = between(inner.red, outer.red, f);
        color.green = between(inner.green, outer.green, f);
        color.blue = between(inner.blue, outer.blue, f);
        color.alpha = between(inner.alpha, outer.alpha, f);
        fillPath(ring, color, FillRule::evenOdd);
    }
}

} // namespace halomark
