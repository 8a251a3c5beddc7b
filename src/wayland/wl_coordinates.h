// The conversion between the compositor's logical space (the global space outputs are laid out
// in: origin at the top-left, y downwards, logical pixels) and the core's (points, origin at
// the lower-left corner of the first screen, y upwards). A logical pixel is a point: the
// outputs' scales only say how many buffer pixels one takes.
#pragma once

#include "platform/geometry.h"

namespace halomark::wayland {

// A rectangle in the compositor's logical space.
struct LogicalRect
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    int right() const { return x + width; }
    int bottom() const { return y + height; }
    bool contains(double px, double py) const
    {
        return px >= x && px < right() && py >= y && py < bottom();
    }

    friend bool operator==(const LogicalRect&, const LogicalRect&) = default;
};

struct WlCoordinates
{
    LogicalRect primary; // the first screen

    // A logical position such as the pointer's: row r of the first screen becomes
    // y = height - r, as the X11 adapter maps pixel rows.
    Point toPoints(double x, double y) const { return {x - primary.x, primary.bottom() - y}; }
    Rect toPoints(const LogicalRect& rect) const
    {
        return {static_cast<double>(rect.x - primary.x),
                static_cast<double>(primary.bottom() - rect.bottom()),
                static_cast<double>(rect.width), static_cast<double>(rect.height)};
    }
    // A rectangle in global bottom-left points back in logical space (not rounded).
    Rect toLogical(const Rect& rect) const
    {
        return {rect.minX() + primary.x, primary.bottom() - rect.maxY(), rect.width(),
                rect.height()};
    }

    friend bool operator==(const WlCoordinates&, const WlCoordinates&) = default;
};

} // namespace halomark::wayland
