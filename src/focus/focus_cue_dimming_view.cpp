#include "focus/focus_cue_dimming_view.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace halomark {
namespace {

// Pixel boundaries computed at a fractional scale come out a rounding error off the whole
// number (e.g. 566 / 1.5 * 1.5); such a value is taken as that boundary, not as a pixel short.
constexpr double kBoundarySlack = 1e-6;

double floorToPixel(double value)
{
    return std::floor(value + kBoundarySlack);
}

double ceilToPixel(double value)
{
    return std::ceil(value - kBoundarySlack);
}

} // namespace

FocusCueDimmingView::FocusCueDimmingView(const Rect& frame,
                                         std::function<int()> operatingSystemMajorVersion)
    : OverlayView(frame), operatingSystemMajorVersion(std::move(operatingSystemMajorVersion))
{}

double FocusCueDimmingView::scale() const
{
    const auto panel = window.lock();
    if (!panel) {
        return 1;
    }
    const double factor = panel->backingScaleFactor();
    return factor >= 1 ? factor : 1;
}

std::optional<AlignedHole> FocusCueDimmingView::pixelAlignedHole() const
{
    if (!holeFrame) {
        return std::nullopt;
    }
    const Rect b = bounds();
    const Rect c = intersection(*holeFrame, b);
    // Written so that a side that is not a number fails the test and gives no hole.
    if (!(c.width() >= minimumHoleSide) || !(c.height() >= minimumHoleSide)) {
        return std::nullopt;
    }

    const double s = scale();
    const double t = edgeTolerancePixels / s;
    const double i = freeSideInsetPixels / s;

    AlignedHole hole;
    hole.touchesLeft = c.minX() <= b.minX() + t;
    hole.touchesRight = b.maxX() - t <= c.maxX();
    hole.touchesBottom = c.minY() <= b.minY() + t;
    hole.touchesTop = b.maxY() - t <= c.maxY();

    // A side on the edge snaps outwards so that no strip of veil is left beside it; a free
    // side snaps inwards so that it stays inside the window's border.
    const double left =
        hole.touchesLeft ? floorToPixel(s * c.minX()) / s : ceilToPixel(s * (c.minX() + i)) / s;
    const double bottom =
        hole.touchesBottom ? floorToPixel(s * c.minY()) / s : ceilToPixel(s * (c.minY() + i)) / s;
    const double right =
        hole.touchesRight ? ceilToPixel(s * c.maxX()) / s : floorToPixel(s * (c.maxX() - i)) / s;
    const double top =
        hole.touchesTop ? ceilToPixel(s * c.maxY()) / s : floorToPixel(s * (c.maxY() - i)) / s;

    const double width = right - left;
    const double height = top - bottom;
    if (!(width >= minimumHoleSide) || !(height >= minimumHoleSide)) {
        return std::nullopt;
    }
    hole.rect = Rect{left, bottom, width, height};
    return hole;
}

CornerRadii FocusCueDimmingView::holeCornerRadii(const AlignedHole& hole) const
{
    const int majorVersion = operatingSystemMajorVersion ? operatingSystemMajorVersion() : 0;
    const double cap =
        majorVersion > roundedWindowsMajorVersion ? largeCornerRadiusCap : cornerRadiusCap;
    const double r = std::clamp(std::min(hole.rect.width(), hole.rect.height()) * 0.5, 0.0, cap);

    CornerRadii radii;
    radii.bottomLeft = !hole.touchesLeft && !hole.touchesBottom ? r : 0;
    radii.bottomRight = !hole.touchesRight && !hole.touchesBottom ? r : 0;
    radii.topRight = !hole.touchesRight && !hole.touchesTop ? r : 0;
    radii.topLeft = !hole.touchesLeft && !hole.touchesTop ? r : 0;
    return radii;
}

void FocusCueDimmingView::appendRoundedHole(Path& path, const Rect& rect, const CornerRadii& radii)
{
    constexpr double pi = std::numbers::pi;
    const double x0 = rect.minX();
    const double y0 = rect.minY();
    const double x1 = rect.maxX();
    const double y1 = rect.maxY();
    const double bl = radii.bottomLeft;
    const double br = radii.bottomRight;
    const double tr = radii.topRight;
    const double tl = radii.topLeft;

    path.moveTo({x0 + bl, y0});
    path.lineTo({x1 - br, y0});
    if (br > 0) {
        path.addArc({x1 - br, y0 + br}, br, -pi / 2, 0, false);
    } else {
        path.lineTo({x1, y0});
    }
    path.lineTo({x1, y1 - tr});
    if (tr > 0) {
        path.addArc({x1 - tr, y1 - tr}, tr, 0, pi / 2, false);
    } else {
        path.lineTo({x1, y1});
    }
    path.lineTo({x0 + tl, y1});
    if (tl > 0) {
        path.addArc({x0 + tl, y1 - tl}, tl, pi / 2, pi, false);
    } else {
        path.lineTo({x0, y1});
    }
    path.lineTo({x0, y0 + bl});
    if (bl > 0) {
        path.addArc({x0 + bl, y0 + bl}, bl, pi, 3 * pi / 2, false);
    } else {
        path.lineTo({x0, y0});
    }
    path.closeSubpath();
}

Path FocusCueDimmingView::roundedHolePath(const Rect& rect, const CornerRadii& radii)
{
    Path path;
    appendRoundedHole(path, rect, radii);
    return path;
}

void FocusCueDimmingView::draw(Canvas& canvas, double mediaTime) const
{
    OverlayView::draw(canvas, mediaTime);
    const Rect b = bounds();
    if (!(b.width() > 0) || !(b.height() > 0)) {
        return;
    }
    Path path;
    path.addRect(b);
    if (holeFrame) {
        if (const auto hole = pixelAlignedHole()) {
            appendRoundedHole(path, hole->rect, holeCornerRadii(*hole));
        }
    }
    canvas.save();
    canvas.fillPath(path, veilColor(), FillRule::evenOdd);
    canvas.restore();
}

} // namespace halomark
