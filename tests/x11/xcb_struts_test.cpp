#include "x11/xcb_struts.h"

#include <gtest/gtest.h>

#include <vector>

namespace halomark::x11 {
namespace {

// Two monitors side by side: 1280x800 on the left, 1920x1080 on the right; the root window
// is 3200x1080 and the left monitor does not reach its bottom.
const PixelRect left{0, 0, 1280, 800};
const PixelRect right{1280, 0, 1920, 1080};
constexpr std::int32_t rootWidth = 3200;
constexpr std::int32_t rootHeight = 1080;

Strut partial(std::vector<std::uint32_t> values)
{
    return *strutFromPartial(values, rootWidth, rootHeight);
}

TEST(XcbStruts, APanelReservesOnlyOnTheMonitorsItLiesOn)
{
    // Along the bottom of the left monitor, which ends 280 rows above the root's bottom: the
    // strut is measured from the root's bottom edge.
    const Strut bottomLeft = partial({0, 0, 0, 280 + 30, 0, 0, 0, 0, 0, 0, 0, 1279});
    EXPECT_EQ(usableArea(left, {bottomLeft}, rootWidth, rootHeight), (PixelRect{0, 0, 1280, 770}));
    EXPECT_EQ(usableArea(right, {bottomLeft}, rootWidth, rootHeight), right);

    // Along the top of the right monitor only.
    const Strut topRight = partial({0, 0, 24, 0, 0, 0, 0, 0, 1280, 3199, 0, 0});
    EXPECT_EQ(usableArea(left, {topRight}, rootWidth, rootHeight), left);
    EXPECT_EQ(usableArea(right, {bottomLeft, topRight}, rootWidth, rootHeight),
              (PixelRect{1280, 24, 1920, 1056}));

    // A dock on the right edge of the root covers the right monitor's right side.
    const Strut dock = partial({0, 64, 0, 0, 0, 0, 100, 900, 0, 0, 0, 0});
    EXPECT_EQ(usableArea(right, {dock}, rootWidth, rootHeight), (PixelRect{1280, 0, 1856, 1080}));
    EXPECT_EQ(usableArea(left, {dock}, rootWidth, rootHeight), left);

    // Of two panels on one edge, the thicker wins.
    const Strut thin = partial({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1280, 3199});
    const Strut bottomRight = partial({0, 0, 0, 40, 0, 0, 0, 0, 0, 0, 1280, 3199});
    const Strut thicker = partial({0, 0, 0, 60, 0, 0, 0, 0, 0, 0, 2000, 2100});
    EXPECT_EQ(usableArea(right, {thin, bottomRight, thicker}, rootWidth, rootHeight),
              (PixelRect{1280, 0, 1920, 1020}));
}

TEST(XcbStruts, APanelAtTheInnerEdgeOfAMonitorDoesNotSwallowItsNeighbour)
{
    // A 40-pixel panel at the left edge of the right monitor: measured from the root's left
    // edge it reserves 1320 columns, all of the left monitor included.
    const Strut inner = partial({1280 + 40, 0, 0, 0, 0, 1079, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(usableArea(left, {inner}, rootWidth, rootHeight), left);
    EXPECT_EQ(usableArea(right, {inner}, rootWidth, rootHeight), (PixelRect{1320, 0, 1880, 1080}));
}

TEST(XcbStruts, ReadsBothPropertyFormsAndRejectsShortOnes)
{
    // The older form spans whole edges, so a 24-pixel top bar shrinks both monitors.
    const std::vector<std::uint32_t> full{0, 0, 24, 0};
    const auto bar = strutFromFull(full, rootWidth, rootHeight);
    ASSERT_TRUE(bar.has_value());
    EXPECT_EQ(usableArea(left, {*bar}, rootWidth, rootHeight), (PixelRect{0, 24, 1280, 776}));
    EXPECT_EQ(usableArea(right, {*bar}, rootWidth, rootHeight), (PixelRect{1280, 24, 1920, 1056}));

    // A partial strut whose range is 0 to 0 means the whole edge as well.
    EXPECT_EQ(partial({0, 0, 24, 0, 0, 0, 0, 0, 0, 0, 0, 0}), *bar);
    // A real range starting at 0 stays as given.
    EXPECT_EQ(partial({0, 0, 24, 0, 0, 0, 0, 0, 0, 99, 0, 0}).topEndX, 99u);

    const std::vector<std::uint32_t> shortPartial(11, 0);
    const std::vector<std::uint32_t> shortFull(3, 0);
    EXPECT_EQ(strutFromPartial(shortPartial, rootWidth, rootHeight), std::nullopt);
    EXPECT_EQ(strutFromFull(shortFull, rootWidth, rootHeight), std::nullopt);

    // A strut with nothing reserved, or an empty range, changes nothing.
    const Strut nothing = partial({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    const Strut backwards = partial({0, 0, 0, 30, 0, 0, 0, 0, 0, 0, 500, 100});
    EXPECT_EQ(usableArea(left, {nothing, backwards}, rootWidth, rootHeight), left);
}

} // namespace
} // namespace halomark::x11
