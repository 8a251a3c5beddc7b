// The conversion between the X server's space (device pixels, origin at the top-left corner
// of the root window, y downwards) and the core's (points, origin at the lower-left corner of
// the primary monitor, y upwards). A point is scale device pixels.
#pragma once

#include "platform/geometry.h"

#include <cstdint>

namespace halomark::x11 {

// A rectangle in root-window device pixels, top-left origin.
struct PixelRect
{
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;

    std::int32_t right() const { return x + width; }   // first column past the rectangle
    std::int32_t bottom() const { return y + height; } // first row past the rectangle
    bool isEmpty() const { return width <= 0 || height <= 0; }

    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

struct XcbCoordinates
{
    PixelRect primary; // the primary monitor
    double scale = 1.0;

    // A pixel position such as the pointer's. Pixel row r of the primary monitor becomes
    // y = height - r, so the top row lies on the monitor's top edge and the bottom row just
    // above its bottom edge, as the point-in-frame rule of the core expects.
    Point toPoints(std::int32_t x, std::int32_t y) const;

    // A rectangle in global bottom-left points.
    Rect toPoints(const PixelRect& rect) const;

    // A rectangle in top-left points about the primary monitor's top-left corner: the form in
    // which window bounds go through the core's coordinate flip.
    Rect toTopLeftPoints(const PixelRect& rect) const;

    friend bool operator==(const XcbCoordinates&, const XcbCoordinates&) = default;
};

} // namespace halomark::x11
