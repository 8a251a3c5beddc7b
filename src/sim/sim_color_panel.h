// The shared colour panel for tests. It records every request in order ("setContinuous
// true", "setColor", "setTarget", "orderFront"), and the test picks colours as a user
// dragging in the panel would: each pick becomes the panel's colour and is told to the
// target if it still exists.
#pragma once

#include "platform/color_panel.h"

#include <string>
#include <utility>
#include <vector>

namespace halomark::sim {

class SimColorPanel final : public ColorPanel
{
public:
    // Control surface. False when no target took the colour.
    bool userPicks(const Color& picked)
    {
        current = picked;
        auto receiver = target.lock();
        if (!receiver) {
            return false;
        }
        receiver->customColorChanged(*this);
        return true;
    }
    const std::vector<std::string>& calls() const { return callLog; }
    bool isContinuous() const { return continuous; }
    bool isVisible() const { return visible; }
    bool hasTarget() const { return !target.expired(); }

    // ColorPanel.
    void setContinuous(bool value) override
    {
        continuous = value;
        callLog.push_back(value ? "setContinuous true" : "setContinuous false");
    }
    void setColor(const Color& value) override
    {
        current = value;
        callLog.push_back("setColor");
    }
    Color color() const override { return current; }
    void setTarget(std::weak_ptr<ColorPanelTarget> value) override
    {
        target = std::move(value);
        callLog.push_back("setTarget");
    }
    void orderFront() override
    {
        visible = true;
        callLog.push_back("orderFront");
    }

private:
    Color current = Color::whiteColor();
    bool continuous = false;
    bool visible = false;
    std::weak_ptr<ColorPanelTarget> target;
    std::vector<std::string> callLog;
};

} // namespace halomark::sim
