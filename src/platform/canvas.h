// The canvas port: what the core's views need to draw themselves. Coordinates are the view's
// own (bottom-left origin, y upwards, points); the adapter maps them to device pixels. All
// drawing is antialiased. Colours carry their alpha; the opacity set here multiplies it.
#pragma once

#include "platform/color.h"
#include "platform/geometry.h"
#include "platform/path.h"

namespace halomark {

enum class FillRule
{
    nonZero,
    evenOdd
};

enum class LineJoin
{
    miter,
    round,
    bevel
};

struct StrokeStyle
{
    double lineWidth = 1;
    LineJoin lineJoin = LineJoin::miter;
    friend bool operator==(const StrokeStyle&, const StrokeStyle&) = default;
};

class Canvas
{
public:
    virtual ~Canvas() = default;

    // Saves and restores the transform and the opacity.
    virtual void save() = 0;
    virtual void restore() = 0;

    // Changes the transform for what is drawn after: a move of the origin, a scale about it.
    virtual void translate(double dx, double dy) = 0;
    virtual void scale(double sx, double sy) = 0;

    // The opacity, 0 to 1, of everything drawn after, until changed or restored. It replaces
    // the previous value; nested layers pass the product of their opacities.
    virtual void setOpacity(double opacity) = 0;

    virtual void fillPath(const Path& path, const Color& color, FillRule rule) = 0;
    virtual void strokePath(const Path& path, const Color& color, const StrokeStyle& style) = 0;

    // Fills the ring between two circles around the centre with colours that run evenly from
    // the inner colour at the inner radius to the outer colour at the outer radius. By default
    // it is drawn as `steps` rings of even colour; a canvas that has gradients draws it at once.
    virtual void fillRadialGradientRing(Point center, double innerRadius, const Color& inner,
                                        double outerRadius, const Color& outer, int steps);
};

} // namespace halomark
