#include "x11/xcb_coordinates.h"

namespace halomark::x11 {

Point XcbCoordinates::toPoints(std::int32_t x, std::int32_t y) const
{
    return Point{(x - primary.x) / scale, (primary.bottom() - y) / scale};
}

Rect XcbCoordinates::toPoints(const PixelRect& rect) const
{
    return Rect{(rect.x - primary.x) / scale, (primary.bottom() - rect.bottom()) / scale,
                rect.width / scale, rect.height / scale};
}

Rect XcbCoordinates::toTopLeftPoints(const PixelRect& rect) const
{
    return Rect{(rect.x - primary.x) / scale, (rect.y - primary.y) / scale, rect.width / scale,
                rect.height / scale};
}

} // namespace halomark::x11
