// The status item's picture: an arrow pointer with three short rays at its tip, drawn for each
// size a tray asks for instead of scaling one picture, so that lines stay whole pixels wide and
// on the pixel grid from 16 to 48 pixels. Every shape is white inside a black outline, which
// reads on light and dark panels alike.
#pragma once

#include <QIcon>
#include <QImage>

namespace halomark::qt {

// The picture at one size, square, on a transparent background.
QImage pointerWithRaysImage(int pixelSize);

// The picture at the sizes trays use.
QIcon pointerWithRaysIcon();

} // namespace halomark::qt
