// The canvas port on a QPainter. The painter's device is the view's area with Qt's top-left
// origin; the canvas mirrors y about the view's height so that the view draws in its own
// bottom-left coordinates. Everything is antialiased; strokes have butt caps and a miter
// limit of 10, as the core's drawing model assumes.
#pragma once

#include "platform/canvas.h"

#include <QColor>
#include <QPainterPath>

#include <optional>

class QPainter;

namespace halomark::qt {

class QtCanvas final : public Canvas
{
public:
    // Draws on the painter, whose current transform places the view's top-left corner at the
    // origin, for a view of the given height in points. The painter's state is saved here and
    // restored when the canvas goes.
    QtCanvas(QPainter& painter, double viewHeight);
    ~QtCanvas() override;
    QtCanvas(const QtCanvas&) = delete;
    QtCanvas& operator=(const QtCanvas&) = delete;

    void save() override;
    void restore() override;
    void translate(double dx, double dy) override;
    void scale(double sx, double sy) override;
    void setOpacity(double opacity) override;
    void fillPath(const Path& path, const Color& color, FillRule rule) override;
    void strokePath(const Path& path, const Color& color, const StrokeStyle& style) override;
    void fillRadialGradientRing(Point center, double innerRadius, const Color& inner,
                                double outerRadius, const Color& outer, int steps) override;

    // The path as a Qt path in the same coordinates.
    static QPainterPath toQPainterPath(const Path& path);
    // The colour in device RGB, or nothing for a colour without components (a pattern).
    static std::optional<QColor> toQColor(const Color& color);

private:
    QPainter& painter;
    int depth = 0; // saves made through the canvas, so that unbalanced ones are undone
};

} // namespace halomark::qt
