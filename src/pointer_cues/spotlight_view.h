// The view of one monitor's spotlight: the monitor darkened to 60% black except a soft-edged
// circle around the pointer, or darkened all over while the pointer is on another monitor.
// Moving the centre asks for display of only the part that changes (the old circle's bounds
// and the new one's); setting the centre it already has asks for nothing.
#pragma once

#include "platform/overlay_view.h"

#include <optional>
#include <vector>

namespace halomark {

class SpotlightView final : public OverlayView
{
public:
    static constexpr double dimAlpha = 0.6;
    // The circle's radius in points, measured to the middle of its soft edge.
    static constexpr double radius = 140;
    // The width of the soft edge, over which the darkness rises from none to full.
    static constexpr double softEdge = 24;
    // Where the canvas has no gradients, the soft edge is this many rings of rising darkness.
    static constexpr int softEdgeSteps = 12;

    explicit SpotlightView(const Rect& frame);

    // The circle's centre in view coordinates; nothing darkens the whole view.
    void setCenter(std::optional<Point> center);
    std::optional<Point> center() const { return circleCenter; }

    // The square that holds the circle and its soft edge, around a centre.
    static Rect circleBounds(Point center);

    void draw(Canvas& canvas, double mediaTime) const override;

private:
    std::optional<Point> circleCenter;
};

} // namespace halomark
