// Paths for the drawing model, in a view's own coordinates (bottom-left origin, y upwards).
// Angles are in radians, counter-clockwise from the positive x axis. Every shape is stored
// as moves, lines, cubic curves and closes, so a canvas needs only those four to draw it.
#pragma once

#include "platform/geometry.h"

#include <array>
#include <optional>
#include <vector>

namespace halomark {

struct PathSegment
{
    enum class Kind
    {
        moveTo,
        lineTo,
        curveTo, // points: first control point, second control point, end point
        close
    };

    Kind kind = Kind::moveTo;
    std::array<Point, 3> points{};

    Point endPoint() const { return kind == Kind::curveTo ? points[2] : points[0]; }

    friend bool operator==(const PathSegment&, const PathSegment&) = default;
};

class Path
{
public:
    // Starts a new subpath at the point.
    void moveTo(Point point);

    // A straight line from the current point; without a current point it starts a subpath.
    void lineTo(Point point);

    // A circular arc from startAngle to endAngle. A line joins the current point, if any, to
    // the arc's start. Counter-clockwise arcs sweep from the start up to the end angle
    // (a difference of 2 pi or more is a full circle); clockwise arcs sweep downwards.
    void addArc(Point center, double radius, double startAngle, double endAngle, bool clockwise);

    // A closed rectangle, counter-clockwise from its lower-left corner.
    void addRect(const Rect& rect);

    // A closed ellipse inscribed in the rectangle, counter-clockwise from its rightmost point.
    void addEllipse(const Rect& rect);

    // A closed rectangle with elliptical corners. Corner sizes larger than half a side, or
    // negative, are limited to what fits; with none left it is a plain rectangle.
    void addRoundedRect(const Rect& rect, double cornerWidth, double cornerHeight);

    // Closes the current subpath; the current point returns to the subpath's start.
    void closeSubpath();

    bool isEmpty() const { return segmentList.empty(); }
    const std::vector<PathSegment>& segments() const { return segmentList; }
    std::optional<Point> currentPoint() const { return current; }

    // The smallest rectangle holding every point of the path, control points included (an
    // empty rectangle for an empty path). Curves lie within it.
    Rect boundingBox() const;

    friend bool operator==(const Path& a, const Path& b) { return a.segmentList == b.segmentList; }

private:
    void beginSegmentFrom(Point start);
    void appendArcCurves(Point center, double radius, double startAngle, double sweep);
    void curveTo(Point control1, Point control2, Point end);

    std::vector<PathSegment> segmentList;
    std::optional<Point> current;
    Point subpathStart;
    bool subpathClosed = false;
};

} // namespace halomark
