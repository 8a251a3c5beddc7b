// The one place where the core's geometry meets the device pixels that Qt places windows in.
// The core works in points with y upwards: globally about the primary monitor's lower-left
// corner, inside a window about its content area's lower-left corner. Qt runs without its own
// scaling (see qt_screen_agreement.h), so its coordinates are the X screen's device pixels with
// y downwards. A point is `scale` device pixels on every monitor; each mapping places the
// core's origin at a device position and mirrors y, so both directions are one formula.
#pragma once

#include "platform/geometry.h"
#include "platform/screen_list.h"

#include <QPointF>
#include <QRect>
#include <QRectF>

#include <vector>

namespace halomark::qt {

class QtCoordinates
{
public:
    // Global coordinates of a display whose primary monitor covers the given device pixels.
    static QtCoordinates global(const QRect& primaryPixels, double scale);
    // Global coordinates known from the core's screens alone: the primary monitor (the first
    // screen) has its top-left corner at the device origin, and the scale is its scale. An
    // empty list gives scale 1 about the origin.
    static QtCoordinates global(const std::vector<Screen>& screens);

    // The coordinates of a window's content whose frame (in these global coordinates) is shown
    // by a window covering the given device pixels. The frame's lower-left corner need not lie
    // on a pixel corner; the window's coordinates keep it where the global ones put it.
    QtCoordinates window(const Rect& frame, const QRect& windowPixels) const;

    QPointF toQt(Point point) const { return {originX + point.x * s, originY - point.y * s}; }
    QRectF toQt(const Rect& rect) const
    {
        return {originX + rect.minX() * s, originY - rect.maxY() * s, rect.width() * s,
                rect.height() * s};
    }
    // The device pixels a rectangle covers: each edge goes to the nearest pixel boundary, so
    // rectangles that share an edge share it in pixels too, and a rectangle made from whole
    // pixels comes back as those pixels.
    QRect toPixels(const Rect& rect) const;

    Point fromQt(QPointF point) const
    {
        return {(point.x() - originX) / s, (originY - point.y()) / s};
    }
    Rect fromQt(const QRectF& rect) const
    {
        return {(rect.x() - originX) / s, (originY - rect.y() - rect.height()) / s,
                rect.width() / s, rect.height() / s};
    }

    // Device pixels per point.
    double scale() const { return s; }

    friend bool operator==(const QtCoordinates&, const QtCoordinates&) = default;

private:
    QtCoordinates(double originX, double originY, double scale)
        : originX(originX), originY(originY), s(scale)
    {}

    double originX; // where the core's origin lies in Qt's coordinates
    double originY;
    double s;
};

} // namespace halomark::qt
