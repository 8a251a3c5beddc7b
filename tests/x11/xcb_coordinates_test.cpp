#include "x11/xcb_coordinates.h"

#include "platform/screen_list.h"

#include <gtest/gtest.h>

namespace halomark::x11 {
namespace {

TEST(XcbCoordinates, PixelsBecomeBottomLeftPointsAboutThePrimaryMonitor)
{
    // The primary monitor is not at the root's origin, and a point is two pixels.
    const XcbCoordinates space{PixelRect{1280, 100, 1920, 1080}, 2.0};

    EXPECT_EQ(space.toPoints(space.primary), (Rect{0, 0, 960, 540}));
    // A monitor to the left of the primary one and higher up.
    EXPECT_EQ(space.toPoints(PixelRect{0, 0, 1280, 800}), (Rect{-640, 190, 640, 400}));

    // The primary monitor's top-left pixel lies on its top edge; its bottom row just above
    // its bottom edge; both inside its frame by the point-in-frame rule.
    const Rect primary = space.toPoints(space.primary);
    EXPECT_EQ(space.toPoints(1280, 100), (Point{0, 540}));
    EXPECT_EQ(space.toPoints(1280, 1179), (Point{0, 0.5}));
    EXPECT_TRUE(mouseInRect(space.toPoints(1280, 100), primary));
    EXPECT_TRUE(mouseInRect(space.toPoints(3199, 1179), primary));
    EXPECT_FALSE(mouseInRect(space.toPoints(3200, 500), primary));
}

TEST(XcbCoordinates, TopLeftPointsGoThroughTheCoreFlipToTheSamePlace)
{
    const XcbCoordinates space{PixelRect{200, 50, 1600, 900}, 1.25};
    Screen primary;
    primary.frame = space.toPoints(space.primary);
    const std::vector<Screen> screens{primary};

    for (const PixelRect window :
         {PixelRect{300, 80, 400, 300}, PixelRect{0, 0, 100, 100}, PixelRect{1700, 900, 50, 50}}) {
        const Rect flipped = flipToBottomLeft(space.toTopLeftPoints(window), screens);
        const Rect direct = space.toPoints(window);
        EXPECT_DOUBLE_EQ(flipped.minX(), direct.minX());
        EXPECT_DOUBLE_EQ(flipped.minY(), direct.minY());
        EXPECT_DOUBLE_EQ(flipped.width(), direct.width());
        EXPECT_DOUBLE_EQ(flipped.height(), direct.height());
    }
}

} // namespace
} // namespace halomark::x11
