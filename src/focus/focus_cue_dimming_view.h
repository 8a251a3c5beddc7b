// The content view of every veil panel: a translucent white veil over the whole view with a
// rounded hole where the active window lies. The hole is shrunk slightly inside the window,
// snapped to device pixels, and rounded only at corners whose sides stay clear of the view's
// edges, so a window that fills a side of the display leaves no sliver of veil beside it.
#pragma once

#include "platform/canvas.h"
#include "platform/color.h"
#include "platform/geometry.h"
#include "platform/overlay_view.h"
#include "platform/panel.h"
#include "platform/path.h"

#include <functional>
#include <memory>
#include <optional>

namespace halomark {

// A hole snapped to device pixels, with the sides that lie on the view's edge.
struct AlignedHole
{
    Rect rect;
    bool touchesLeft = false;
    bool touchesRight = false;
    bool touchesBottom = false;
    bool touchesTop = false;
    friend bool operator==(const AlignedHole&, const AlignedHole&) = default;
};

struct CornerRadii
{
    double bottomLeft = 0;
    double bottomRight = 0;
    double topRight = 0;
    double topLeft = 0;
    friend bool operator==(const CornerRadii&, const CornerRadii&) = default;
};

class FocusCueDimmingView final : public OverlayView
{
public:
    // Holes smaller than this in either direction, before or after alignment, are dropped.
    static constexpr double minimumHoleSide = 20;
    // A side this many device pixels or less from the view's edge counts as on the edge.
    static constexpr double edgeTolerancePixels = 2;
    // Free sides move this many device pixels inside the window, so its border stays clear.
    static constexpr double freeSideInsetPixels = 3;
    // The largest corner radius on systems up to this major version, and above it.
    static constexpr int roundedWindowsMajorVersion = 25;
    static constexpr double cornerRadiusCap = 12;
    static constexpr double largeCornerRadiusCap = 18;

    // The veil does not follow the cue colour.
    static Color veilColor() { return Color::whiteColor().withAlpha(0.5); }

    // The provider answers the operating system's major version, which decides how round
    // the hole's corners may get to match the system's window corners.
    FocusCueDimmingView(const Rect& frame, std::function<int()> operatingSystemMajorVersion);

    // The window's hole in the view's own coordinates; nothing means the whole view is
    // veiled. Whoever changes it marks the view for display.
    std::optional<Rect> holeFrame;

    // The panel hosting the view, whose display decides the device pixel grid. Held weakly:
    // the panel owns the view.
    void setWindow(std::weak_ptr<const Panel> panel) { window = std::move(panel); }

    // The hole of the current holeFrame clipped to the bounds, inset and snapped to device
    // pixels; nothing when there is no hole or what is left is too small.
    std::optional<AlignedHole> pixelAlignedHole() const;

    // Half the hole's shorter side, capped, at each corner whose two sides are both free;
    // square corners elsewhere.
    CornerRadii holeCornerRadii(const AlignedHole& hole) const;

    // A closed counter-clockwise path around the rectangle with its own radius at each
    // corner: moves, lines and quarter arcs, a line in place of each square corner.
    static Path roundedHolePath(const Rect& rect, const CornerRadii& radii);

    // One antialiased even-odd fill of the bounds and the hole in the veil colour, which
    // leaves the hole unpainted.
    void draw(Canvas& canvas, double mediaTime) const override;

private:
    static void appendRoundedHole(Path& path, const Rect& rect, const CornerRadii& radii);
    // Device pixels per point: the window's scale when it has one of at least 1, else 1.
    double scale() const;

    std::function<int()> operatingSystemMajorVersion;
    std::weak_ptr<const Panel> window;
};

} // namespace halomark
