#include "selection/range_selection_capture_view.h"

#include <algorithm>
#include <cmath>

namespace halomark {
namespace {

Rect unite(const Rect& a, const Rect& b)
{
    const double x0 = std::min(a.minX(), b.minX());
    const double y0 = std::min(a.minY(), b.minY());
    const double x1 = std::max(a.maxX(), b.maxX());
    const double y1 = std::max(a.maxY(), b.maxY());
    return Rect{x0, y0, x1 - x0, y1 - y0};
}

// Calls a copy of the callback, so that the callback may replace itself or release the view.
template <class Callback, class... Arguments>
void report(const Callback& callback, Arguments... arguments)
{
    if (Callback copy = callback) {
        copy(arguments...);
    }
}

} // namespace

RangeSelectionCaptureView::RangeSelectionCaptureView(const Rect& frame,
                                                     const AppearanceSettings& settings)
    : OverlayView(frame),
      outlineColor(AppearanceSettings::contrastingOutlineColor(settings.color()).withAlpha(0.82)),
      foregroundColor(settings.color().withAlpha(0.96))
{
    setUpLayers();
}

void RangeSelectionCaptureView::setUpLayers()
{
    setWantsLayer(true);
    for (const auto& shape : {outlineLayer, foregroundLayer}) {
        // Both layers lie over the whole view, so their paths are in view coordinates.
        shape->frame = bounds();
        shape->fillColor = Color::clearColor();
        shape->lineJoin = LineJoin::round;
        shape->hidden = true;
        // The foreground is added last and so lies above the outline. Both strokes are drawn
        // at full layer opacity, each blended on its own: the 2.6-point line covers the middle
        // of the 4.4-point outline and lets 4% of it show through, and 0.9 points of outline
        // stay on either side. With a clear fill nothing else overlaps.
        layer()->addSublayer(shape);
    }
    outlineLayer->strokeColor = outlineColor;
    outlineLayer->lineWidth = outlineLineWidth;
    foregroundLayer->strokeColor = foregroundColor;
    foregroundLayer->lineWidth = foregroundLineWidth;
}

Point RangeSelectionCaptureView::clampedLocation(Point locationInWindow) const
{
    const Point p = convertFromWindow(locationInWindow);
    const Rect b = bounds();
    return {std::min(b.maxX(), std::max(b.minX(), p.x)),
            std::min(b.maxY(), std::max(b.minY(), p.y))};
}

Rect RangeSelectionCaptureView::paintedRect(const Rect& selection) const
{
    // A stroke reaches half its width beyond the path; a point more covers antialiasing.
    const double reach = std::max(outlineLineWidth, foregroundLineWidth) / 2 + 1;
    return Rect{selection.minX() - reach, selection.minY() - reach, selection.width() + 2 * reach,
                selection.height() + 2 * reach};
}

void RangeSelectionCaptureView::requestDisplay(std::optional<Rect> newlyPainted)
{
    std::optional<Rect> changed = paintedSelection;
    if (newlyPainted) {
        changed = changed ? unite(*changed, *newlyPainted) : *newlyPainted;
    }
    paintedSelection = newlyPainted;
    if (changed) {
        setNeedsDisplay(changed);
    }
}

void RangeSelectionCaptureView::updateSelection(Point from, Point to)
{
    const Rect selection{std::min(from.x, to.x), std::min(from.y, to.y), std::abs(to.x - from.x),
                         std::abs(to.y - from.y)};
    selectionIsVisible = true;
    // The corner size goes to the path unchanged; the path limits it to what fits, so a
    // rectangle smaller than two corners (a click's zero-size one too) has smaller corners.
    Path path;
    path.addRoundedRect(selection, cornerRadius, cornerRadius);
    for (const auto& shape : {outlineLayer, foregroundLayer}) {
        shape->path = path;
        shape->hidden = false;
    }
    requestDisplay(paintedRect(selection));
}

void RangeSelectionCaptureView::hideSelection()
{
    outlineLayer->hidden = true;
    foregroundLayer->hidden = true;
    selectionIsVisible = false;
    selectionIsFinished = false;
    selectionIsWithdrawn = true;
    requestDisplay(std::nullopt);
}

void RangeSelectionCaptureView::mouseDown(Point locationInWindow)
{
    const auto keepAlive = weak_from_this().lock();
    report(onSelectionStarted);
    mouseIsDown = true;
    selectionIsFinished = false;
    selectionIsWithdrawn = false;
    const Point p = clampedLocation(locationInWindow);
    start = p;
    updateSelection(p, p);
}

void RangeSelectionCaptureView::mouseDragged(Point locationInWindow)
{
    if (!mouseIsDown || !start || selectionIsWithdrawn) {
        return;
    }
    updateSelection(*start, clampedLocation(locationInWindow));
}

void RangeSelectionCaptureView::mouseUp(Point locationInWindow)
{
    const auto keepAlive = weak_from_this().lock();
    if (!mouseIsDown || !start) {
        report(onMouseSequenceCancelled);
        return;
    }
    // A withdrawn selection stays hidden: the release then reports that nothing is visible.
    if (!selectionIsWithdrawn) {
        updateSelection(*start, clampedLocation(locationInWindow));
    }
    mouseIsDown = false;
    selectionIsFinished = selectionIsVisible;
    report(onSelectionFinished, selectionIsFinished);
}

void RangeSelectionCaptureView::rightMouseDown(Point)
{
    const auto keepAlive = weak_from_this().lock();
    report(onSelectionStarted);
    hideSelection();
    report(onMouseSequenceCancelled);
}

} // namespace halomark
