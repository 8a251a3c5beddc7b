// The one place where the core's bottom-left geometry meets Qt's top-left geometry. Globally
// the core's origin is the primary screen's lower-left corner with y upwards, Qt's the primary
// screen's upper-left corner with y downwards; inside a window the core's origin is the content
// area's lower-left corner. Both flips mirror y about a top edge, so each direction is the same
// formula about that edge.
#pragma once

#include "platform/geometry.h"
#include "platform/screen_list.h"

#include <QPointF>
#include <QRectF>

#include <vector>

namespace halomark::qt {

class QtCoordinates
{
public:
    // Global coordinates about the top of the first screen in system order, the primary
    // screen (0 without screens, as the core's own flip does).
    static QtCoordinates global(const std::vector<Screen>& screens);
    // A window's content coordinates about the height of its content area.
    static QtCoordinates window(double contentHeight) { return QtCoordinates(contentHeight); }

    QPointF toQt(Point point) const { return {point.x, top - point.y}; }
    QRectF toQt(const Rect& rect) const
    {
        return {rect.minX(), top - rect.maxY(), rect.width(), rect.height()};
    }
    Point fromQt(QPointF point) const { return {point.x(), top - point.y()}; }
    Rect fromQt(const QRectF& rect) const
    {
        return {rect.x(), top - rect.y() - rect.height(), rect.width(), rect.height()};
    }

    double topEdge() const { return top; }

private:
    explicit QtCoordinates(double top) : top(top) {}

    double top;
};

} // namespace halomark::qt
