// The shared colour panel as a non-modal QColorDialog without OK and Cancel: a picked colour
// applies at once, as the panel stays open beside everything else. While continuous, every
// colour the user passes through (dragging in the spectrum, turning a spin box) goes to the
// target; otherwise only the colour the panel holds when the user closes it, if it changed.
// Colours set by the program are not reported back.
#pragma once

#include "platform/color_panel.h"

#include <QColor>

#include <memory>

class QColorDialog;

namespace halomark::qt {

// Colours between the core and Qt: components as they are, as the display is taken for an
// sRGB device. A pattern has no components and converts to nothing.
QColor toQColor(const Color& color);
Color fromQColor(const QColor& color);

class QtColorPanel final : public ColorPanel
{
public:
    QtColorPanel();
    ~QtColorPanel() override;
    QtColorPanel(const QtColorPanel&) = delete;
    QtColorPanel& operator=(const QtColorPanel&) = delete;

    QColorDialog& dialog() { return *panel; }

    void setContinuous(bool continuous) override;
    void setColor(const Color& color) override;
    Color color() const override;
    void setTarget(std::weak_ptr<ColorPanelTarget> target) override;
    void orderFront() override;

private:
    void userChanged(const QColor& color);
    void closed();
    void tellTarget();

    std::unique_ptr<QColorDialog> panel;
    std::weak_ptr<ColorPanelTarget> target;
    bool continuous = false;
    bool settingColor = false;
    bool changedSinceShown = false;
};

} // namespace halomark::qt
