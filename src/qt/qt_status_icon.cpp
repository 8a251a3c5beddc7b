#include "qt/qt_status_icon.h"

#include <QColor>
#include <QLineF>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPixmap>
#include <QPointF>

#include <algorithm>
#include <array>
#include <cmath>

namespace halomark::qt {
namespace {

// The drawing on a 24-unit grid: the arrow's tip sits a little left of and above the centre,
// so that the rays have room above and to the left of it.
constexpr double kGrid = 24.0;
constexpr QPointF kTip{10.5, 10.5};
constexpr std::array<QPointF, 7> kArrow{{
    kTip,
    {10.5, 22.6},
    {13.2, 19.9},
    {15.3, 23.6},
    {17.4, 22.6},
    {15.3, 18.8},
    {19.1, 18.8},
}};
// Three rays fanning out from the tip, up, up-left and left, with a gap to the tip and between
// each other.
constexpr double kRayStart = 4.2;
constexpr double kRayEnd = 8.2;
constexpr std::array<QPointF, 3> kRayDirections{{
    {0.0, -1.0},
    {-0.70710678, -0.70710678},
    {-1.0, 0.0},
}};

} // namespace

QImage pointerWithRaysImage(int pixelSize)
{
    QImage image(pixelSize, pixelSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (pixelSize <= 0) {
        return image;
    }
    const double scale = pixelSize / kGrid;
    // Widths in whole pixels, so that small sizes keep sharp, solid lines.
    const double outline = std::max(1.0, std::round(pixelSize / 24.0));
    const double ray = std::max(1.0, std::round(pixelSize / 16.0));

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor dark(0, 0, 0);
    const QColor light(255, 255, 255);

    // Snapped to the pixel grid: the arrow's straight edges through the tip on pixel
    // boundaries, the straight rays on pixel centres for odd widths and on boundaries for
    // even ones, so that they cover whole pixels instead of smearing over two.
    const QPointF tip = kTip * scale;
    const auto snap = [](double value, double fraction) {
        return std::round(value - fraction) + fraction - value;
    };
    const double rayFraction = std::fmod(ray + 2 * outline, 2.0) == 1.0 ? 0.5 : 0.0;
    const QPointF rayShift(snap(tip.x(), rayFraction), snap(tip.y(), rayFraction));
    const QPointF arrowShift(snap(tip.x(), 0.0), snap(tip.y(), 0.0));

    QPainterPath arrow;
    arrow.moveTo(kArrow.front() * scale + arrowShift);
    for (std::size_t i = 1; i < kArrow.size(); ++i) {
        arrow.lineTo(kArrow[i] * scale + arrowShift);
    }
    arrow.closeSubpath();

    // Every shape is white inside a black outline: the white reads on dark panels, the black
    // on light ones. The outlines go first, so that no outline crosses a white part.
    std::array<QLineF, kRayDirections.size()> rays;
    for (std::size_t i = 0; i < rays.size(); ++i) {
        rays[i] = QLineF((kTip + kRayDirections[i] * kRayStart) * scale + rayShift,
                         (kTip + kRayDirections[i] * kRayEnd) * scale + rayShift);
    }
    for (const QLineF& line : rays) {
        painter.setPen(QPen(dark, ray + 2 * outline, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(line);
    }
    // Stroked twice as wide and then half covered by the fill, so all of it lies outside the
    // arrow's white body.
    painter.strokePath(arrow, QPen(dark, 2 * outline, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (const QLineF& line : rays) {
        painter.setPen(QPen(light, ray, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(line);
    }
    painter.fillPath(arrow, light);
    painter.end();
    return image;
}

QIcon pointerWithRaysIcon()
{
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64}) {
        icon.addPixmap(QPixmap::fromImage(pointerWithRaysImage(size)));
    }
    return icon;
}

} // namespace halomark::qt
