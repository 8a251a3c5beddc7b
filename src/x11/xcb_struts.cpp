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
    const auto span = [](std::uint32_t start, std::uint32_t end) {
        return static_cast<std::int32_t>(end) - static_cast<std::int32_t>(start) + 1;
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
    Strut strut{values[0], values[1], values[2], values[3], values[4],  values[5],
                values[6], values[7], values[8], values[9], values[10], values[11]};
    const auto lastRow = static_cast<std::uint32_t>(std::max(rootHeight - 1, 0));
    const auto lastColumn = static_cast<std::uint32_t>(std::max(rootWidth - 1, 0));
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
