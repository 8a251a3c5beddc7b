// The overlay panel port: a borderless window that floats above other windows without ever
// taking focus or activating the application. A factory makes each panel with the settings
// fixed at creation (frame, display, clear non-opaque background, no shadow, stays when the
// application is inactive); the settings below are applied after creation. A panel hosts
// one core view as its content and draws it when the view asks; ordering a panel out hides
// it, and the last reference going frees it. Its alpha can also be animated, with a completion.
#pragma once

#include "platform/geometry.h"
#include "platform/overlay_view.h"
#include "platform/panel_configuration.h"
#include "platform/timing_function.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace halomark {

class Panel
{
public:
    virtual ~Panel() = default;

    virtual void setLevel(int level) = 0;
    // True makes the panel click-through: clicks reach the windows beneath.
    virtual void setIgnoresMouseEvents(bool ignores) = 0;
    virtual void setAlphaValue(double alpha) = 0;
    // Animates the alpha from its current value to the given one over the duration (seconds)
    // along the timing function, then calls the completion once, from the main loop. The
    // running animation keeps the panel alive until it ends. A panel that cannot animate
    // takes the value and calls the completion at once.
    virtual void animateAlphaValue(double alpha, double duration, const TimingFunction& timing,
                                   std::function<void()> completion);
    virtual void setAnimationBehavior(AnimationBehavior behavior) = 0;
    virtual void setCollectionBehavior(std::uint64_t behavior) = 0;

    // The content rectangle in global bottom-left coordinates.
    virtual Rect frame() const = 0;
    virtual void setFrame(const Rect& frame) = 0;

    // The panel keeps the view and draws it when the view asks for display.
    virtual void setContentView(std::shared_ptr<OverlayView> view) = 0;
    virtual std::shared_ptr<OverlayView> contentView() const = 0;

    // Shows the panel in front of every other panel of its level without activating the
    // application or making the panel key.
    virtual void orderFrontRegardless() = 0;
    virtual void orderOut() = 0;
    virtual bool isVisible() const = 0;

    // Device pixels per point of the display the panel is on.
    virtual double backingScaleFactor() const = 0;

    // Draws the content view now if it asked for display.
    virtual void displayIfNeeded() = 0;
};

class PanelFactory
{
public:
    virtual ~PanelFactory() = default;
    virtual std::shared_ptr<Panel> makePanel(const PanelConfiguration& configuration) = 0;
};

// Applies the settings of a configuration that are set after creation, in this order: level,
// mouse handling, alpha and animation behaviour where the kind of panel sets them, and the
// collection behaviour.
void applyPanelSettings(Panel& panel, const PanelConfiguration& configuration);

} // namespace halomark
