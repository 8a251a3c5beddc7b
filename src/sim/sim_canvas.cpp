#include "sim/sim_canvas.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace halomark::sim {

Rect CanvasTransform::apply(const Rect& r) const
{
    const Point a = apply(r.origin);
    const Point b = apply(Point{r.maxX(), r.maxY()});
    return Rect{std::min(a.x, b.x), std::min(a.y, b.y), std::abs(b.x - a.x), std::abs(b.y - a.y)};
}

std::vector<SimCanvas::Drawing> SimCanvas::strokes() const
{
    std::vector<Drawing> result;
    std::copy_if(drawingLog.begin(), drawingLog.end(), std::back_inserter(result),
                 [](const Drawing& d) { return d.isStroke; });
    return result;
}

std::vector<SimCanvas::Drawing> SimCanvas::fills() const
{
    std::vector<Drawing> result;
    std::copy_if(drawingLog.begin(), drawingLog.end(), std::back_inserter(result),
                 [](const Drawing& d) { return !d.isStroke; });
    return result;
}

void SimCanvas::clear()
{
    state = State{};
    stack.clear();
    callLog.clear();
    drawingLog.clear();
}

void SimCanvas::save()
{
    callLog.push_back(Call::save);
    stack.push_back(state);
}

void SimCanvas::restore()
{
    callLog.push_back(Call::restore);
    if (!stack.empty()) {
        state = stack.back();
        stack.pop_back();
    }
}

void SimCanvas::translate(double dx, double dy)
{
    callLog.push_back(Call::translate);
    state.transform.tx += state.transform.sx * dx;
    state.transform.ty += state.transform.sy * dy;
}

void SimCanvas::scale(double sx, double sy)
{
    callLog.push_back(Call::scale);
    state.transform.sx *= sx;
    state.transform.sy *= sy;
}

void SimCanvas::setOpacity(double opacity)
{
    callLog.push_back(Call::setOpacity);
    state.opacity = opacity;
}

void SimCanvas::fillPath(const Path& path, const Color& color, FillRule rule)
{
    callLog.push_back(Call::fillPath);
    drawingLog.push_back(Drawing{false, path, color, rule, {}, state.transform, state.opacity});
}

void SimCanvas::strokePath(const Path& path, const Color& color, const StrokeStyle& style)
{
    callLog.push_back(Call::strokePath);
    drawingLog.push_back(
        Drawing{true, path, color, FillRule::nonZero, style, state.transform, state.opacity});
}

} // namespace halomark::sim
