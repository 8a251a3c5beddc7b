// The status item's picture: an arrow pointer with short rays at its tip, drawn for each size
// a tray asks for instead of scaling one picture, so that lines stay whole pixels wide from 16
// to 48 pixels. A white arrow with a black outline and black rays with a white halo read on
// light and dark panels alike.
#pragma once

#include <QIcon>
#include <QImage>

namespace halomark::qt {

// The picture at one size, square, on a transparent background.
QImage pointerWithRaysImage(int pixelSize);

// The picture at the sizes trays use.
QIcon pointerWithRaysIcon();

} // namespace halomark::qt
