#include "qt/qt_color_panel.h"

#include <QColorDialog>
#include <QObject>
#include <QRgba64>

#include <utility>

namespace halomark::qt {

QColor toQColor(const Color& color)
{
    const auto device = color.usingDeviceRGB();
    if (!device) {
        return {};
    }
    return QColor::fromRgbF(static_cast<float>(device->red), static_cast<float>(device->green),
                            static_cast<float>(device->blue), static_cast<float>(device->alpha));
}

Color fromQColor(const QColor& color)
{
    // From the 16-bit components, as QColor's own F() accessors round to float.
    const QRgba64 rgb = color.toRgb().rgba64();
    constexpr double full = 65535.0;
    return Color::sRGB(rgb.red() / full, rgb.green() / full, rgb.blue() / full, rgb.alpha() / full);
}

QtColorPanel::QtColorPanel() : panel(std::make_unique<QColorDialog>())
{
    panel->setOption(QColorDialog::NoButtons);
    // A desktop's own colour chooser would report only the final colour.
    panel->setOption(QColorDialog::DontUseNativeDialog);
    panel->setWindowModality(Qt::NonModal);
    QObject::connect(panel.get(), &QColorDialog::currentColorChanged, panel.get(),
                     [this](const QColor& color) { userChanged(color); });
    QObject::connect(panel.get(), &QColorDialog::finished, panel.get(), [this] { closed(); });
}

QtColorPanel::~QtColorPanel()
{
    // No reports from the dialog while it goes.
    QObject::disconnect(panel.get(), nullptr, panel.get(), nullptr);
}

void QtColorPanel::setContinuous(bool value)
{
    continuous = value;
}

void QtColorPanel::setColor(const Color& color)
{
    const QColor converted = toQColor(color);
    if (!converted.isValid()) {
        return;
    }
    settingColor = true;
    panel->setCurrentColor(converted);
    settingColor = false;
}

Color QtColorPanel::color() const
{
    return fromQColor(panel->currentColor());
}

void QtColorPanel::setTarget(std::weak_ptr<ColorPanelTarget> value)
{
    target = std::move(value);
}

void QtColorPanel::orderFront()
{
    if (!panel->isVisible()) {
        changedSinceShown = false;
    }
    panel->show();
    panel->raise();
    panel->activateWindow();
}

void QtColorPanel::userChanged(const QColor&)
{
    if (settingColor) {
        return;
    }
    changedSinceShown = true;
    if (continuous) {
        tellTarget();
    }
}

void QtColorPanel::closed()
{
    if (!continuous && changedSinceShown) {
        tellTarget();
    }
    changedSinceShown = false;
}

void QtColorPanel::tellTarget()
{
    if (auto receiver = target.lock()) {
        receiver->customColorChanged(*this);
    }
}

} // namespace halomark::qt
