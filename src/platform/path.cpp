#include "platform/path.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace halomark {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

// The distance of a cubic's control points from the ends of a circular arc of this sweep,
// as a fraction of the radius: the arc and the curve then meet at the middle as well.
double controlLength(double sweep)
{
    return 4.0 / 3.0 * std::tan(sweep / 4);
}

Rect standardized(const Rect& rect)
{
    double x = rect.minX();
    double y = rect.minY();
    double w = rect.width();
    double h = rect.height();
    if (w < 0) {
        x += w;
        w = -w;
    }
    if (h < 0) {
        y += h;
        h = -h;
    }
    return Rect{x, y, w, h};
}

} // namespace

void Path::moveTo(Point point)
{
    segmentList.push_back({PathSegment::Kind::moveTo, {point}});
    current = point;
    subpathStart = point;
    subpathClosed = false;
}

void Path::beginSegmentFrom(Point start)
{
    // After a close, drawing continues in a new subpath from the closed one's start.
    if (!current) {
        moveTo(start);
    } else if (subpathClosed) {
        moveTo(*current);
    }
}

void Path::lineTo(Point point)
{
    if (!current) {
        moveTo(point);
        return;
    }
    beginSegmentFrom(*current);
    segmentList.push_back({PathSegment::Kind::lineTo, {point}});
    current = point;
}

void Path::curveTo(Point control1, Point control2, Point end)
{
    segmentList.push_back({PathSegment::Kind::curveTo, {control1, control2, end}});
    current = end;
}

void Path::appendArcCurves(Point center, double radius, double startAngle, double sweep)
{
    // Pieces of at most a quarter turn keep the cubic within 0.03% of the circle.
    const int pieces =
        std::max(1, static_cast<int>(std::ceil(std::abs(sweep) / (kTwoPi / 4) - 1e-12)));
    const double step = sweep / pieces;
    const double k = controlLength(step) * radius;
    double angle = startAngle;
    for (int i = 0; i < pieces; ++i) {
        const double next = angle + step;
        const double c0 = std::cos(angle);
        const double s0 = std::sin(angle);
        const double c1 = std::cos(next);
        const double s1 = std::sin(next);
        curveTo({center.x + radius * c0 - k * s0, center.y + radius * s0 + k * c0},
                {center.x + radius * c1 + k * s1, center.y + radius * s1 - k * c1},
                {center.x + radius * c1, center.y + radius * s1});
        angle = next;
    }
}

void Path::addArc(Point center, double radius, double startAngle, double endAngle, bool clockwise)
{
    const Point start{center.x + radius * std::cos(startAngle),
                      center.y + radius * std::sin(startAngle)};
    if (!current) {
        moveTo(start);
    } else {
        beginSegmentFrom(*current);
        // A line only where the arc does not already start at the current point.
        if (std::abs(current->x - start.x) > 1e-9 || std::abs(current->y - start.y) > 1e-9) {
            lineTo(start);
        }
    }
    double sweep = clockwise ? startAngle - endAngle : endAngle - startAngle;
    if (sweep >= kTwoPi) {
        sweep = kTwoPi;
    } else {
        sweep = std::fmod(sweep, kTwoPi);
        if (sweep < 0) {
            sweep += kTwoPi;
        }
    }
    if (sweep == 0 || radius <= 0) {
        return;
    }
    appendArcCurves(center, radius, startAngle, clockwise ? -sweep : sweep);
}

void Path::addRect(const Rect& rect)
{
    const Rect r = standardized(rect);
    moveTo({r.minX(), r.minY()});
    lineTo({r.maxX(), r.minY()});
    lineTo({r.maxX(), r.maxY()});
    lineTo({r.minX(), r.maxY()});
    closeSubpath();
}

void Path::addEllipse(const Rect& rect)
{
    const Rect r = standardized(rect);
    const double rx = r.width() / 2;
    const double ry = r.height() / 2;
    const double kx = controlLength(kTwoPi / 4) * rx;
    const double ky = controlLength(kTwoPi / 4) * ry;
    const double cx = r.midX();
    const double cy = r.midY();
    moveTo({r.maxX(), cy});
    curveTo({r.maxX(), cy + ky}, {cx + kx, r.maxY()}, {cx, r.maxY()});
    curveTo({cx - kx, r.maxY()}, {r.minX(), cy + ky}, {r.minX(), cy});
    curveTo({r.minX(), cy - ky}, {cx - kx, r.minY()}, {cx, r.minY()});
    curveTo({cx + kx, r.minY()}, {r.maxX(), cy - ky}, {r.maxX(), cy});
    closeSubpath();
}

void Path::addRoundedRect(const Rect& rect, double cornerWidth, double cornerHeight)
{
    const Rect r = standardized(rect);
    const double cw = std::clamp(cornerWidth, 0.0, r.width() / 2);
    const double ch = std::clamp(cornerHeight, 0.0, r.height() / 2);
    if (cw <= 0 || ch <= 0) {
        addRect(r);
        return;
    }
    const double kx = controlLength(kTwoPi / 4) * cw;
    const double ky = controlLength(kTwoPi / 4) * ch;
    moveTo({r.minX() + cw, r.minY()});
    lineTo({r.maxX() - cw, r.minY()});
    curveTo({r.maxX() - cw + kx, r.minY()}, {r.maxX(), r.minY() + ch - ky},
            {r.maxX(), r.minY() + ch});
    lineTo({r.maxX(), r.maxY() - ch});
    curveTo({r.maxX(), r.maxY() - ch + ky}, {r.maxX() - cw + kx, r.maxY()},
            {r.maxX() - cw, r.maxY()});
    lineTo({r.minX() + cw, r.maxY()});
    curveTo({r.minX() + cw - kx, r.maxY()}, {r.minX(), r.maxY() - ch + ky},
            {r.minX(), r.maxY() - ch});
    lineTo({r.minX(), r.minY() + ch});
    curveTo({r.minX(), r.minY() + ch - ky}, {r.minX() + cw - kx, r.minY()},
            {r.minX() + cw, r.minY()});
    closeSubpath();
}

void Path::closeSubpath()
{
    if (!current || subpathClosed) {
        return;
    }
    segmentList.push_back({PathSegment::Kind::close, {}});
    current = subpathStart;
    subpathClosed = true;
}

Rect Path::boundingBox() const
{
    bool any = false;
    double x0 = 0;
    double y0 = 0;
    double x1 = 0;
    double y1 = 0;
    for (const PathSegment& segment : segmentList) {
        const int count = segment.kind == PathSegment::Kind::curveTo ? 3
                          : segment.kind == PathSegment::Kind::close ? 0
                                                                     : 1;
        for (int i = 0; i < count; ++i) {
            const Point p = segment.points[static_cast<std::size_t>(i)];
            if (!any) {
                x0 = x1 = p.x;
                y0 = y1 = p.y;
                any = true;
            } else {
                x0 = std::min(x0, p.x);
                y0 = std::min(y0, p.y);
                x1 = std::max(x1, p.x);
                y1 = std::max(y1, p.y);
            }
        }
    }
    return any ? Rect{x0, y0, x1 - x0, y1 - y0} : Rect{};
}

} // namespace halomark
