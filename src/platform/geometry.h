// Points, sizes and rectangles in points, as doubles. The core works in global
// bottom-left coordinates: the origin is the lower-left corner of the primary display
// and y grows upwards. Adapters convert at their edge.
#pragma once

#include <algorithm>

namespace halomark {

struct Point
{
    double x = 0;
    double y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size
{
    double width = 0;
    double height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect
{
    Point origin;
    Size size;

    constexpr Rect() = default;
    constexpr Rect(double x, double y, double width, double height)
        : origin{x, y}, size{width, height}
    {}
    constexpr Rect(Point o, Size s) : origin(o), size(s) {}

    double minX() const { return origin.x; }
    double minY() const { return origin.y; }
    double maxX() const { return origin.x + size.width; }
    double maxY() const { return origin.y + size.height; }
    double midX() const { return origin.x + size.width / 2; }
    double midY() const { return origin.y + size.height / 2; }
    double width() const { return size.width; }
    double height() const { return size.height; }
    bool isEmpty() const { return size.width <= 0 || size.height <= 0; }

    friend bool operator==(const Rect&, const Rect&) = default;
};

// The overlap of two rectangles; an empty rectangle (zero size) when they do not overlap.
inline Rect intersection(const Rect& a, const Rect& b)
{
    const double x0 = std::max(a.minX(), b.minX());
    const double y0 = std::max(a.minY(), b.minY());
    const double x1 = std::min(a.maxX(), b.maxX());
    const double y1 = std::min(a.maxY(), b.maxY());
    if (x1 <= x0 || y1 <= y0) {
        return Rect{};
    }
    return Rect{x0, y0, x1 - x0, y1 - y0};
}

// Whether a point lies in a rectangle by the unflipped mouse rule: the left and top edges
// belong to the rectangle, the right and bottom edges do not
// (minX <= x < maxX and minY < y <= maxY).
inline bool mouseInRect(Point p, const Rect& r)
{
    return r.minX() <= p.x && p.x < r.maxX() && r.minY() < p.y && p.y <= r.maxY();
}

} // namespace halomark
