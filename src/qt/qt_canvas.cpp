#include "qt/qt_canvas.h"

#include <QBrush>
#include <QPainter>
#include <QPainterPath>
#include <QPen>

#include <algorithm>

namespace halomark::qt {
namespace {

// The miter limit of the core's drawing model; Qt's own default (2) would bevel the
// rectangle's corners.
constexpr double kMiterLimit = 10.0;

Qt::PenJoinStyle toQtJoin(LineJoin join)
{
    switch (join) {
    case LineJoin::round:
        return Qt::RoundJoin;
    case LineJoin::bevel:
        return Qt::BevelJoin;
    case LineJoin::miter:
        break;
    }
    return Qt::MiterJoin;
}

} // namespace

QtCanvas::QtCanvas(QPainter& painter, double viewHeight) : painter(painter)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.translate(0, viewHeight);
    painter.scale(1, -1);
}

QtCanvas::~QtCanvas()
{
    for (; depth > 0; --depth) {
        painter.restore();
    }
    painter.restore();
}

void QtCanvas::save()
{
    painter.save();
    ++depth;
}

void QtCanvas::restore()
{
    // More restores than saves would undo the caller's state and the flip.
    if (depth == 0) {
        return;
    }
    painter.restore();
    --depth;
}

void QtCanvas::translate(double dx, double dy)
{
    painter.translate(dx, dy);
}

void QtCanvas::scale(double sx, double sy)
{
    painter.scale(sx, sy);
}

void QtCanvas::setOpacity(double opacity)
{
    painter.setOpacity(std::clamp(opacity, 0.0, 1.0));
}

void QtCanvas::fillPath(const Path& path, const Color& color, FillRule rule)
{
    const auto qtColor = toQColor(color);
    if (!qtColor || path.isEmpty()) {
        return;
    }
    QPainterPath qtPath = toQPainterPath(path);
    qtPath.setFillRule(rule == FillRule::evenOdd ? Qt::OddEvenFill : Qt::WindingFill);
    painter.fillPath(qtPath, *qtColor);
}

void QtCanvas::fillRadialGradientRing(Point center, double innerRadius, const Color& inner,
                                      double outerRadius, const Color& outer, int /*steps*/)
{
    const auto innerColor = toQColor(inner);
    const auto outerColor = toQColor(outer);
    if (!innerColor || !outerColor || !(outerRadius > innerRadius)) {
        return;
    }
    // One antialiased fill: far cheaper than many rings of even colour.
    QPainterPath ring;
    ring.addEllipse(QPointF(center.x, center.y), outerRadius, outerRadius);
    ring.addEllipse(QPointF(center.x, center.y), innerRadius, innerRadius);
    ring.setFillRule(Qt::OddEvenFill);
    QRadialGradient gradient(QPointF(center.x, center.y), outerRadius);
    gradient.setColorAt(innerRadius / outerRadius, *innerColor);
    gradient.setColorAt(1.0, *outerColor);
    painter.fillPath(ring, QBrush(gradient));
}

void QtCanvas::strokePath(const Path& path, const Color& color, const StrokeStyle& style)
{
    const auto qtColor = toQColor(color);
    if (!qtColor || path.isEmpty() || !(style.lineWidth > 0)) {
        return;
    }
    QPen pen(*qtColor, style.lineWidth, Qt::SolidLine, Qt::FlatCap, toQtJoin(style.lineJoin));
    pen.setMiterLimit(kMiterLimit);
    painter.strokePath(toQPainterPath(path), pen);
}

QPainterPath QtCanvas::toQPainterPath(const Path& path)
{
    QPainterPath result;
    for (const PathSegment& segment : path.segments()) {
        const auto& p = segment.points;
        switch (segment.kind) {
        case PathSegment::Kind::moveTo:
            result.moveTo(p[0].x, p[0].y);
            break;
        case PathSegment::Kind::lineTo:
            result.lineTo(p[0].x, p[0].y);
            break;
        case PathSegment::Kind::curveTo:
            result.cubicTo(p[0].x, p[0].y, p[1].x, p[1].y, p[2].x, p[2].y);
            break;
        case PathSegment::Kind::close:
            result.closeSubpath();
            break;
        }
    }
    return result;
}

std::optional<QColor> QtCanvas::toQColor(const Color& color)
{
    const auto rgb = color.usingDeviceRGB();
    if (!rgb) {
        return std::nullopt;
    }
    const auto unit = [](double v) { return static_cast<float>(std::clamp(v, 0.0, 1.0)); };
    return QColor::fromRgbF(unit(rgb->red), unit(rgb->green), unit(rgb->blue), unit(rgb->alpha));
}

} // namespace halomark::qt
