#include "qt/qt_coordinates.h"

#include <cmath>

namespace halomark::qt {

QtCoordinates QtCoordinates::global(const QRect& primaryPixels, double scale)
{
    // The first row below the primary monitor is the core's y = 0.
    return QtCoordinates(primaryPixels.x(), primaryPixels.y() + primaryPixels.height(),
                         scale > 0 ? scale : 1.0);
}

QtCoordinates QtCoordinates::global(const std::vector<Screen>& screens)
{
    if (screens.empty()) {
        return QtCoordinates(0, 0, 1);
    }
    const Screen& primary = screens.front();
    const double scale = primary.backingScaleFactor > 0 ? primary.backingScaleFactor : 1.0;
    return QtCoordinates(0, primary.frame.maxY() * scale, scale);
}

QtCoordinates QtCoordinates::window(const Rect& frame, const QRect& windowPixels) const
{
    const QPointF corner = toQt(Point{frame.minX(), frame.minY()});
    return QtCoordinates(corner.x() - windowPixels.x(), corner.y() - windowPixels.y(), s);
}

QRect QtCoordinates::toPixels(const Rect& rect) const
{
    const QRectF exact = toQt(rect);
    const auto left = static_cast<int>(std::lround(exact.left()));
    const auto top = static_cast<int>(std::lround(exact.top()));
    const auto right = static_cast<int>(std::lround(exact.left() + exact.width()));
    const auto bottom = static_cast<int>(std::lround(exact.top() + exact.height()));
    return QRect(left, top, right - left, bottom - top);
}

} // namespace halomark::qt
