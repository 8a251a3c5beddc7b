#include "x11/xcb_struts.h"

#include <algorithm>

namespace halomark::x11 {

namespace {

enum class Edge
{
    left,
    right,
    top,
    bottom
};

// The rectangle of the root window reserved at one edge; nothing when that edge reserves
// nothing.
std::optional<PixelRect> reservation(const Strut& strut, Edge edge, std::int32_t rootWidth,
                                     std::int32_t rootHeight)
{
    // The values were clamped to the root when read, so they fit; an end before its start
    // reserves nothing.
    const auto span = [](std::uint32_t start, std::uint32_t end) {
        return static_cast<std::int32_t>(std::max<std::int64_t>(std::int64_t{end} - start + 1, 0));
    };
    PixelRect rect;
    switch (edge) {
    case Edge::left:
        rect = {0, static_cast<std::int32_t>(strut.leftStartY),
                static_cast<std::int32_t>(strut.left), span(strut.leftStartY, strut.leftEndY)};
        break;
    case Edge::right:
        rect = {rootWidth - static_cast<std::int32_t>(strut.right),
                static_cast<std::int32_t>(strut.rightStartY),
                static_cast<std::int32_t>(strut.right), span(strut.rightStartY, strut.rightEndY)};
        break;
    case Edge::top:
        rect = {static_cast<std::int32_t>(strut.topStartX), 0, span(strut.topStartX, strut.topEndX),
                static_cast<std::int32_t>(strut.top)};
        break;
    case Edge::bottom:
        rect = {static_cast<std::int32_t>(strut.bottomStartX),
                rootHeight - static_cast<std::int32_t>(strut.bottom),
                span(strut.bottomStartX, strut.bottomEndX),
                static_cast<std::int32_t>(strut.bottom)};
        break;
    }
    if (rect.isEmpty()) {
        return std::nullopt;
    }
    return rect;
}

bool overlaps(const PixelRect& a, const PixelRect& b)
{
    return a.x < b.right() && b.x < a.right() && a.y < b.bottom() && b.y < a.bottom();
}

} // namespace

std::optional<Strut> strutFromPartial(std::span<const std::uint32_t> values, std::int32_t rootWidth,
                                      std::int32_t rootHeight)
{
    if (values.size() < 12) {
        return std::nullopt;
    }
    // Other clients write these: thicknesses count at most to the root's size and ranges at
    // most to its last row or column, so every later sum fits.
    const auto width = static_cast<std::uint32_t>(std::max(rootWidth, 0));
    const auto height = static_cast<std::uint32_t>(std::max(rootHeight, 0));
    const auto lastRow = height == 0 ? 0 : height - 1;
    const auto lastColumn = width == 0 ? 0 : width - 1;
    const auto at = [&](std::size_t i, std::uint32_t most) { return std::min(values[i], most); };
    Strut strut{at(0, width),      at(1, width),      at(2, height),      at(3, height),
                at(4, lastRow),    at(5, lastRow),    at(6, lastRow),     at(7, lastRow),
                at(8, lastColumn), at(9, lastColumn), at(10, lastColumn), at(11, lastColumn)};
    const auto widen = [](std::uint32_t thickness, std::uint32_t& start, std::uint32_t& end,
                          std::uint32_t last) {
        if (thickness != 0 && start == 0 && end == 0) {
            end = last;
        }
    };
    widen(strut.left, strut.leftStartY, strut.leftEndY, lastRow);
    widen(strut.right, strut.rightStartY, strut.rightEndY, lastRow);
    widen(strut.top, strut.topStartX, strut.topEndX, lastColumn);
    widen(strut.bottom, strut.bottomStartX, strut.bottomEndX, lastColumn);
    return strut;
}

std::optional<Strut> strutFromFull(std::span<const std::uint32_t> values, std::int32_t rootWidth,
                                   std::int32_t rootHeight)
{
    if (values.size() < 4) {
        return std::nullopt;
    }
    const std::uint32_t zero = 0;
    const std::uint32_t partial[12] = {values[0], values[1], values[2], values[3], zero, zero,
                                       zero,      zero,      zero,      zero,      zero, zero};
    return strutFromPartial(partial, rootWidth, rootHeight);
}

PixelRect usableArea(const PixelRect& monitor, const std::vector<Strut>& struts,
                     std::int32_t rootWidth, std::int32_t rootHeight)
{
    std::int32_t left = monitor.x;
    std::int32_t top = monitor.y;
    std::int32_t right = monitor.right();
    std::int32_t bottom = monitor.bottom();
    for (const Strut& strut : struts) {
        for (Edge edge : {Edge::left, Edge::right, Edge::top, Edge::bottom}) {
            const auto reserved = reservation(strut, edge, rootWidth, rootHeight);
            if (!reserved || !overlaps(*reserved, monitor)) {
                continue;
            }
            switch (edge) {
            case Edge::left:
                if (reserved->right() < monitor.right()) {
                    left = std::max(left, reserved->right());
                }
                break;
            case Edge::right:
                if (reserved->x > monitor.x) {
                    right = std::min(right, reserved->x);
                }
                break;
            case Edge::top:
                if (reserved->bottom() < monitor.bottom()) {
                    top = std::max(top, reserved->bottom());
                }
                break;
            case Edge::bottom:
                if (reserved->y > monitor.y) {
                    bottom = std::min(bottom, reserved->y);
                }
                break;
            }
        }
    }
    return PixelRect{left, top, std::max(right - left, 0), std::max(bottom - top, 0)};
}

} // namespace halomark::x11
