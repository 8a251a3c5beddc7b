// The space that panels reserve at the edges of the desktop (their struts) and what remains
// usable of each monitor. A strut is measured from the edge of the whole root window, not of
// a monitor, so it is turned into a reserved rectangle first and then cut out of each monitor
// it actually lies on: a panel on one monitor leaves the others whole.
#pragma once

#include "x11/xcb_coordinates.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace halomark::x11 {

struct Strut
{
    // Thickness reserved at each edge of the root window.
    std::uint32_t left = 0;
    std::uint32_t right = 0;
    std::uint32_t top = 0;
    std::uint32_t bottom = 0;
    // The inclusive range along each edge that the reservation covers.
    std::uint32_t leftStartY = 0;
    std::uint32_t leftEndY = 0;
    std::uint32_t rightStartY = 0;
    std::uint32_t rightEndY = 0;
    std::uint32_t topStartX = 0;
    std::uint32_t topEndX = 0;
    std::uint32_t bottomStartX = 0;
    std::uint32_t bottomEndX = 0;

    friend bool operator==(const Strut&, const Strut&) = default;
};

// A strut from the twelve values of _NET_WM_STRUT_PARTIAL, clamped to the root. A range given
// as 0 to 0 with a non-zero thickness is read as the whole edge: a one-pixel panel range is
// never meant.
std::optional<Strut> strutFromPartial(std::span<const std::uint32_t> values, std::int32_t rootWidth,
                                      std::int32_t rootHeight);

// A strut from the four values of the older _NET_WM_STRUT, which always spans whole edges.
std::optional<Strut> strutFromFull(std::span<const std::uint32_t> values, std::int32_t rootWidth,
                                   std::int32_t rootHeight);

// The part of a monitor left usable by the struts. A reserved rectangle counts for a monitor
// only when it overlaps the monitor without spanning it along the strut's direction (a
// panel at the inner edge of the right monitor reserves, measured from the root's left edge,
// all of the left monitor too, but does not lie on it).
PixelRect usableArea(const PixelRect& monitor, const std::vector<Strut>& struts,
                     std::int32_t rootWidth, std::int32_t rootHeight);

} // namespace halomark::x11
