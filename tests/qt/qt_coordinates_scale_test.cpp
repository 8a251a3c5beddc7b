// The mapping between the core's points and the device pixels that overlays are placed in, at
// the scales a display can have, with the primary monitor anywhere on the X screen.
#include "qt/qt_coordinates.h"

#include <gtest/gtest.h>

#include <vector>

namespace halomark::qt {
namespace {

// Two 1280x800-pixel monitors side by side, the primary one on the left.
constexpr QRect kLeft(0, 0, 1280, 800);
constexpr QRect kRight(1280, 0, 1280, 800);

TEST(QtCoordinatesScale, EveryMonitorsPointsCoverItsPixelsAtEveryScale)
{
    for (const double scale : {1.0, 1.5, 2.0}) {
        SCOPED_TRACE(scale);
        const QtCoordinates global = QtCoordinates::global(kLeft, scale);
        const double width = 1280 / scale;
        const double height = 800 / scale;
        // The core's screens: the right one begins where the left one ends, in points.
        EXPECT_EQ(global.toPixels(Rect{0, 0, width, height}), kLeft);
        EXPECT_EQ(global.toPixels(Rect{width, 0, width, height}), kRight);
        // Each way gives back what went in.
        const Rect right{width, 0, width, height};
        EXPECT_EQ(global.fromQt(QRectF(kRight)), right);
        EXPECT_EQ(global.toQt(right), QRectF(kRight));
        // The top-left device pixel of the right monitor is its top-left point; the last row
        // of pixels lies just above y = 0.
        EXPECT_EQ(global.toQt(Point{width, height}), QPointF(1280, 0));
        EXPECT_EQ(global.fromQt(QPointF(2559, 799)), (Point{2559 / scale, 1 / scale}));
    }
}

TEST(QtCoordinatesScale, FramesThatShareAnEdgeShareItInPixels)
{
    const QtCoordinates global = QtCoordinates::global(kLeft, 1.5);
    // Thirds of a point do not fall on pixel boundaries at 1.5; the shared edge still does.
    const Rect a{100.2, 50, 33.4, 20.3};
    const Rect b{a.maxX(), 50, 40.1, 20.3};
    const QRect pa = global.toPixels(a);
    const QRect pb = global.toPixels(b);
    EXPECT_EQ(pa.x() + pa.width(), pb.x());
    EXPECT_EQ(pa.y(), pb.y());
    EXPECT_EQ(pa.height(), pb.height());
    // The edges are the nearest boundaries: 100.2 * 1.5 = 150.3, 133.6 * 1.5 = 200.4, the top
    // 800 - 70.3 * 1.5 = 694.55 and the bottom 800 - 75.
    EXPECT_EQ(pa, QRect(150, 695, 50, 30));
}

TEST(QtCoordinatesScale, APrimaryMonitorOffTheOriginMovesEverything)
{
    // The primary monitor on the right of a higher one: its lower-left corner is the origin.
    const QRect primary(1920, 280, 1280, 800);
    const QtCoordinates global = QtCoordinates::global(primary, 2.0);
    EXPECT_EQ(global.toPixels(Rect{0, 0, 640, 400}), primary);
    EXPECT_EQ(global.toPixels(Rect{-960, 0, 960, 540}), QRect(0, 0, 1920, 1080));
    EXPECT_EQ(global.fromQt(QPointF(0, 0)), (Point{-960, 540}));
}

TEST(QtCoordinatesScale, WindowCoordinatesKeepTheFramesPlaceInsideItsPixels)
{
    const QtCoordinates global = QtCoordinates::global(kLeft, 1.5);
    // A frame whose corners fall between pixels: the window covers the nearest ones, and the
    // content's corner stays where it is globally.
    const Rect frame{100.2, 50.1, 200, 100};
    const QRect pixels = global.toPixels(frame);
    const QtCoordinates window = global.window(frame, pixels);
    EXPECT_EQ(window.scale(), 1.5);
    const QPointF corner = window.toQt(Point{0, 0}) + QPointF(pixels.topLeft());
    const QPointF expected = global.toQt(Point{frame.minX(), frame.minY()});
    EXPECT_NEAR(corner.x(), expected.x(), 1e-9);
    EXPECT_NEAR(corner.y(), expected.y(), 1e-9);
    // A pixel inside the window is the point it shows.
    const Point inWindow = window.fromQt(QPointF(30, 60));
    const Point globally = global.fromQt(QPointF(pixels.x() + 30, pixels.y() + 60));
    EXPECT_NEAR(inWindow.x + frame.minX(), globally.x, 1e-9);
    EXPECT_NEAR(inWindow.y + frame.minY(), globally.y, 1e-9);
}

TEST(QtCoordinatesScale, FromTheScreensAloneThePrimaryIsAtTheOriginAtItsScale)
{
    Screen primary;
    primary.frame = Rect{0, 0, 640, 400};
    primary.backingScaleFactor = 2;
    const QtCoordinates global = QtCoordinates::global(std::vector<Screen>{primary});
    EXPECT_EQ(global, QtCoordinates::global(QRect(0, 0, 1280, 800), 2));
    EXPECT_EQ(QtCoordinates::global(std::vector<Screen>{}).toPixels(Rect{0, -10, 5, 10}),
              QRect(0, 0, 5, 10));
}

} // namespace
} // namespace halomark::qt
