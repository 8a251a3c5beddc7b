// The content view of the selection panel. While the range-selection shortcut is held it takes
// the mouse: a left press starts a rectangle at the press point, dragging stretches it to the
// pointer (never past the view's edges), the release completes it, and a right press cancels.
// The rectangle is a rounded outline of two stacked shape layers, a wider contrasting outline
// under a narrower line in the cue colour. The view reports the start of an interaction, the
// end of a selection and a cancelled mouse sequence; it never removes itself.
//
// A selection hidden during a press (the shortcut let go mid-drag) is withdrawn for the rest
// of that press: later drags draw nothing and the release reports no visible selection.
//
// Own it through a shared_ptr: a callback may release the last other reference while the view
// is still handling the event that called it.
#pragma once

#include "locator/appearance_settings.h"
#include "platform/color.h"
#include "platform/geometry.h"
#include "platform/overlay_view.h"
#include "platform/shape_layer.h"

#include <functional>
#include <memory>
#include <optional>

namespace halomark {

class RangeSelectionCaptureView final
    : public OverlayView,
      public std::enable_shared_from_this<RangeSelectionCaptureView>
{
public:
    // Takes the colours from the settings as they are now and sets up the two hidden layers.
    RangeSelectionCaptureView(const Rect& frame, const AppearanceSettings& settings);

    std::function<void()> onSelectionStarted;
    // Whether a visible selection was drawn.
    std::function<void(bool)> onSelectionFinished;
    std::function<void()> onMouseSequenceCancelled;

    const double cornerRadius = 5.0;
    const double outlineLineWidth = 4.4;
    const double foregroundLineWidth = 2.6;
    const Color outlineColor;    // the cue colour's contrasting outline colour, alpha 0.82
    const Color foregroundColor; // the cue colour, alpha 0.96
    const std::shared_ptr<ShapeLayer> outlineLayer = std::make_shared<ShapeLayer>();
    const std::shared_ptr<ShapeLayer> foregroundLayer = std::make_shared<ShapeLayer>();

    // Where the current or last press started, in view coordinates.
    std::optional<Point> startPoint() const { return start; }
    bool isMouseDown() const { return mouseIsDown; }
    bool hasVisibleSelection() const { return selectionIsVisible; }
    bool hasFinishedSelection() const { return selectionIsFinished; }
    // Whether the selection was hidden since the current or last press began.
    bool isSelectionWithdrawn() const { return selectionIsWithdrawn; }

    // The panel is never active, so every click is a first click: take it as a press.
    bool acceptsFirstMouse() const override { return true; }
    void mouseDown(Point locationInWindow) override;
    void mouseDragged(Point locationInWindow) override;
    void mouseUp(Point locationInWindow) override;
    void rightMouseDown(Point locationInWindow) override;

    // Hides both layers at once and forgets the visible and finished selection. During a press
    // the selection stays withdrawn until the next press.
    void hideSelection();

    // The location in view coordinates, held within the view's bounds.
    Point clampedLocation(Point locationInWindow) const;

    // Shows the normalised rectangle between the two points (view coordinates) on both layers.
    void updateSelection(Point from, Point to);

private:
    void setUpLayers();
    // The part of the view that the rectangle's strokes can paint.
    Rect paintedRect(const Rect& selection) const;
    void requestDisplay(std::optional<Rect> newlyPainted);

    std::optional<Point> start;
    bool mouseIsDown = false;
    bool selectionIsVisible = false;
    bool selectionIsFinished = false;
    bool selectionIsWithdrawn = false;
    // What the last display request covered, so that the next one also clears it.
    std::optional<Rect> paintedSelection;
};

} // namespace halomark
