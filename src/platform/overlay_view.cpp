#include "platform/overlay_view.h"

namespace halomark {

OverlayView::OverlayView(const Rect& frame) : viewFrame(frame) {}

void OverlayView::setFrame(const Rect& frame)
{
    viewFrame = frame;
    if (backingLayer) {
        backingLayer->frame = bounds();
    }
}

void OverlayView::setWantsLayer(bool wants)
{
    if (!wants) {
        backingLayer.reset();
        return;
    }
    if (!backingLayer) {
        backingLayer = std::make_shared<Layer>();
        backingLayer->frame = bounds();
        backingLayer->backgroundColor = Color::clearColor();
    }
}

void OverlayView::display(Canvas& canvas, double mediaTime)
{
    displayRequested = false;
    draw(canvas, mediaTime);
}

void OverlayView::draw(Canvas& canvas, double mediaTime) const
{
    if (backingLayer) {
        // The backing layer lies over the bounds, so its superlayer space is the view's.
        backingLayer->render(canvas, mediaTime);
    }
}

bool OverlayView::isAnimating(double mediaTime) const
{
    return backingLayer && backingLayer->isAnimating(mediaTime);
}

std::optional<Rect> OverlayView::animatedRect() const
{
    if (!backingLayer) {
        return std::nullopt;
    }
    return backingLayer->animatedBounds();
}

void OverlayView::setNeedsDisplay(std::optional<Rect> rect)
{
    displayRequested = true;
    if (displayRequestHandler) {
        displayRequestHandler(rect);
    }
}

} // namespace halomark
