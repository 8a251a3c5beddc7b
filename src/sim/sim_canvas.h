// A canvas for tests that records what a view draws: every call in order, and for each fill
// and stroke the path, colour, rule or stroke style together with the transform and opacity
// in effect, so tests can read where and how visibly a shape lands in view coordinates.
#pragma once

#include "platform/canvas.h"

#include <vector>

namespace halomark::sim {

// The translate-and-scale transforms a canvas can build: (x, y) -> (sx x + tx, sy y + ty).
struct CanvasTransform
{
    double sx = 1;
    double sy = 1;
    double tx = 0;
    double ty = 0;

    Point apply(Point p) const { return {sx * p.x + tx, sy * p.y + ty}; }
    Rect apply(const Rect& r) const;

    friend bool operator==(const CanvasTransform&, const CanvasTransform&) = default;
};

class SimCanvas final : public Canvas
{
public:
    enum class Call
    {
        save,
        restore,
        translate,
        scale,
        setOpacity,
        fillPath,
        strokePath
    };

    struct Drawing
    {
        bool isStroke = false;
        Path path;
        Color color;
        FillRule fillRule = FillRule::nonZero; // fills
        StrokeStyle stroke;                    // strokes
        CanvasTransform transform;
        double opacity = 1;

        // The path's bounding box in view coordinates.
        Rect bounds() const { return transform.apply(path.boundingBox()); }
        // The stroke's width in view coordinates (the scales are uniform).
        double lineWidth() const { return stroke.lineWidth * transform.sx; }
    };

    // Control surface.
    const std::vector<Call>& calls() const { return callLog; }
    const std::vector<Drawing>& drawings() const { return drawingLog; }
    std::vector<Drawing> strokes() const;
    std::vector<Drawing> fills() const;
    // Saves not yet restored; a balanced drawing leaves 0.
    int saveDepth() const { return static_cast<int>(stack.size()); }
    // Forgets the record and resets the state, as a fresh frame.
    void clear();

    // Canvas.
    void save() override;
    void restore() override;
    void translate(double dx, double dy) override;
    void scale(double sx, double sy) override;
    void setOpacity(double opacity) override;
    void fillPath(const Path& path, const Color& color, FillRule rule) override;
    void strokePath(const Path& path, const Color& color, const StrokeStyle& style) override;

private:
    struct State
    {
        CanvasTransform transform;
        double opacity = 1;
    };

    State state;
    std::vector<State> stack;
    std::vector<Call> callLog;
    std::vector<Drawing> drawingLog;
};

} // namespace halomark::sim
