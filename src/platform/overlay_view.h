// The core's view, hosted by a panel as its content view. A view has a frame in the panel's
// content area and its own bounds from (0, 0), not flipped (y upwards). It draws itself onto
// a canvas at a media time, by default by drawing its backing layer tree; tells its host
// whether it is animating and which part changes from frame to frame; asks its host to
// redraw it; and receives mouse events with their location in the window, which it converts
// into its own coordinates.
#pragma once

#include "platform/canvas.h"
#include "platform/geometry.h"
#include "platform/shape_layer.h"

#include <functional>
#include <memory>
#include <optional>

namespace halomark {

class OverlayView
{
public:
    explicit OverlayView(const Rect& frame);
    OverlayView(const OverlayView&) = delete;
    OverlayView& operator=(const OverlayView&) = delete;
    virtual ~OverlayView() = default;

    Rect frame() const { return viewFrame; }
    void setFrame(const Rect& frame);
    Rect bounds() const { return Rect{0, 0, viewFrame.width(), viewFrame.height()}; }

    // Layer backing: turning it on gives the view a backing layer over its bounds with a
    // clear background; turning it off drops the layer and everything in it.
    void setWantsLayer(bool wants);
    bool wantsLayer() const { return backingLayer != nullptr; }
    Layer* layer() const { return backingLayer.get(); }

    // Draws the view and clears its request for display. Hosts call this.
    void display(Canvas& canvas, double mediaTime);

    // Draws the view in its own coordinates: the backing layer tree unless overridden.
    virtual void draw(Canvas& canvas, double mediaTime) const;

    // Whether what the view shows still changes at or after this media time, so that the
    // host keeps drawing frames.
    virtual bool isAnimating(double mediaTime) const;

    // The part of the view that changes while it animates; nothing means the whole view.
    virtual std::optional<Rect> animatedRect() const;

    // Asks the host to draw the given part of the view (nothing: all of it) again.
    void setNeedsDisplay(std::optional<Rect> rect = std::nullopt);
    bool needsDisplay() const { return displayRequested; }

    // Set by the hosting panel; the view calls it on every request for display.
    void setDisplayRequestHandler(std::function<void(std::optional<Rect>)> handler)
    {
        displayRequestHandler = std::move(handler);
    }

    // A point in the hosting window's content area (bottom-left origin, as the frame is) in
    // the view's own coordinates.
    Point convertFromWindow(Point locationInWindow) const
    {
        return {locationInWindow.x - viewFrame.minX(), locationInWindow.y - viewFrame.minY()};
    }

    // Mouse events, each with its location in the window's content area. A view that takes
    // the first click on a panel that is never active says so.
    virtual bool acceptsFirstMouse() const { return false; }
    virtual void mouseDown(Point /*locationInWindow*/) {}
    virtual void mouseDragged(Point /*locationInWindow*/) {}
    virtual void mouseUp(Point /*locationInWindow*/) {}
    virtual void rightMouseDown(Point /*locationInWindow*/) {}

private:
    Rect viewFrame;
    std::shared_ptr<Layer> backingLayer;
    bool displayRequested = false;
    std::function<void(std::optional<Rect>)> displayRequestHandler;
};

} // namespace halomark
