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

// The drawing on a 24-unit grid: the arrow's tip sits right of and below the centre so that
// the rays have room above and to the left of it.
constexpr double kGrid = 24.0;
constexpr std::array<QPointF, 7> kArrow{{
    {10.0, 9.0},
    {10.0, 22.5},
    {13.2, 19.4},
    {15.6, 23.5},
    {18.2, 22.2},
    {15.8, 18.2},
    {20.2, 18.2},
}};
// Five rays fanning out from the tip, from down-left round to up-right.
constexpr std::array<std::array<QPointF, 2>, 5> kRays{{
    {{{6.6, 11.2}, {3.2, 13.4}}},
    {{{6.4, 8.2}, {2.4, 7.6}}},
    {{{7.6, 6.0}, {4.4, 2.8}}},
    {{{10.2, 5.4}, {10.6, 1.4}}},
    {{{12.6, 6.4}, {15.2, 3.4}}},
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
    const double outline = std::max(1.0, std::round(pixelSize / 16.0));
    const double ray = std::max(1.0, std::round(pixelSize / 12.0));

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor dark(0, 0, 0);
    const QColor light(255, 255, 255);

    for (const auto& [from, to] : kRays) {
        const QLineF line(from * scale, to * scale);
        painter.setPen(QPen(light, ray + 2 * outline, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(line);
    }
    for (const auto& [from, to] : kRays) {
        const QLineF line(from * scale, to * scale);
        painter.setPen(QPen(dark, ray, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(line);
    }

    QPainterPath arrow;
    arrow.moveTo(kArrow.front() * scale);
    for (std::size_t i = 1; i < kArrow.size(); ++i) {
        arrow.lineTo(kArrow[i] * scale);
    }
    arrow.closeSubpath();
    // The outline is stroked twice as wide and then half covered by the fill, so all of it
    // lies outside the arrow's white body.
    painter.strokePath(arrow, QPen(dark, 2 * outline, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
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
