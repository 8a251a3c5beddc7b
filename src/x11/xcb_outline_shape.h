// What an overlay shows on a display without a compositor, where a window cannot be
// translucent: only a band along the edges of what the view painted, in opaque colours. The
// band keeps the painted pixels that lie within a few points of an unpainted one, so thin
// strokes show whole and a large translucent fill shrinks to a frame around its holes. The
// adapter knows nothing of the views it hosts; the rule depends only on the painted pixels.
#pragma once

#include <QImage>
#include <QRect>
#include <QRegion>

namespace halomark::x11 {

struct OutlineShapeRule
{
    // How far from the unpainted area a painted pixel may lie and still show, in pixels.
    int bandWidth = 4;
    // The alpha from which a pixel counts as painted; fainter antialiasing is dropped.
    int alphaThreshold = 85;
};

// The band of the pixels in `area` (image coordinates) of a premultiplied ARGB image. Pixels
// beyond the image count as painted, so the edges of the image draw no band: pass an image
// that reaches the band width beyond `area` wherever the panel goes on.
QRegion outlineBand(const QImage& painted, const QRect& area, const OutlineShapeRule& rule);

// The image with every pixel made opaque in its own colour (alpha divided out).
QImage opaqueColors(const QImage& painted);

} // namespace halomark::x11
