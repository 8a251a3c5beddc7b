// The colour panel port: the application's one shared colour picker. In continuous mode it
// tells its target of every colour while the user drags, not only the final one. The target
// is held weakly and stands in for a target and action pair.
#pragma once

#include "platform/color.h"

#include <memory>

namespace halomark {

class ColorPanel;

class ColorPanelTarget
{
public:
    virtual ~ColorPanelTarget() = default;
    // The user picked a colour; it is the panel's current colour.
    virtual void customColorChanged(ColorPanel& sender) = 0;
};

class ColorPanel
{
public:
    virtual ~ColorPanel() = default;
    virtual void setContinuous(bool continuous) = 0;
    virtual void setColor(const Color& color) = 0;
    virtual Color color() const = 0;
    virtual void setTarget(std::weak_ptr<ColorPanelTarget> target) = 0;
    // Shows the panel in front of the other windows.
    virtual void orderFront() = 0;
};

} // namespace halomark
