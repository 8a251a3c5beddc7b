#include "qt/qt_canvas.h"

#include "focus/focus_cue_dimming_view.h"
#include "locator/appearance_settings.h"
#include "locator/ring_animation_view.h"
#include "selection/range_selection_capture_view.h"
#include "sim/sim_main_loop.h"
#include "sim/sim_settings_store.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace halomark::qt {
namespace {

// Renders a view of the given size at the media time onto a transparent image with `scale`
// pixels per point, as a panel on such a display paints it.
QImage render(const OverlayView& view, double mediaTime, double scale = 1.0)
{
    const Rect b = view.bounds();
    QImage image(static_cast<int>(std::lround(b.width() * scale)),
                 static_cast<int>(std::lround(b.height() * scale)),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.scale(scale, scale);
    QtCanvas canvas(painter, b.height());
    view.draw(canvas, mediaTime);
    return image;
}

// The pixel that holds the view point (bottom-left, points).
QColor pixelAt(const QImage& image, double scale, double viewHeight, double x, double y)
{
    return image.pixelColor(static_cast<int>(std::floor(x * scale)),
                            static_cast<int>(std::floor((viewHeight - y) * scale)));
}

// Source-over of `top` on `bottom`, both with straight alpha: what two stacked strokes read.
QColor over(const QColor& top, const QColor& bottom)
{
    const double a = top.alphaF() + bottom.alphaF() * (1 - top.alphaF());
    const auto mix = [&](double t, double b) {
        return (t * top.alphaF() + b * bottom.alphaF() * (1 - top.alphaF())) / a;
    };
    return QColor::fromRgbF(static_cast<float>(mix(top.redF(), bottom.redF())),
                            static_cast<float>(mix(top.greenF(), bottom.greenF())),
                            static_cast<float>(mix(top.blueF(), bottom.blueF())),
                            static_cast<float>(a));
}

::testing::AssertionResult near(const QColor& actual, const QColor& expected, int tolerance = 3)
{
    const int d = std::max(
        {std::abs(actual.red() - expected.red()), std::abs(actual.green() - expected.green()),
         std::abs(actual.blue() - expected.blue()), std::abs(actual.alpha() - expected.alpha())});
    if (d <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "got " << actual.red() << "," << actual.green() << "," << actual.blue() << ","
           << actual.alpha() << " expected " << expected.red() << "," << expected.green() << ","
           << expected.blue() << "," << expected.alpha();
}

QColor qColor(const Color& color)
{
    return *QtCanvas::toQColor(color);
}

class QtCanvasViews : public ::testing::Test
{
protected:
    void SetUp() override
    {
        loop.advance(3); // a media time that is not 0
        settings.setSelectedChoice(AppearanceSettings::ColorChoice::blue);
    }

    sim::SimMainLoop loop;
    sim::SimSettingsStore store;
    AppearanceSettings settings{store};
};

TEST_F(QtCanvasViews, RingStrokesShowTheirColoursAtTheRadiusOfTheMoment)
{
    constexpr double scale = 4; // fine enough to tell the 0.9-point outline rim apart
    constexpr double height = 150;
    auto view = std::make_shared<RingAnimationView>(Rect{0, 0, 200, height}, loop, settings);
    const Point centre{100, 70};
    const double start = loop.now();
    view->animate(centre, nullptr);
    const LocatorAppearance& a = view->locatorAppearance;
    const QColor foreground = qColor(a.foregroundColor);
    const QColor outline = qColor(a.outlineColor);
    ASSERT_NE(outline, foreground);

    // Half-way the eased scale is exactly half-way too, 1 - 0.82 / 2, and the ring is opaque.
    {
        const double s = 0.59;
        const double radius = 52 * s;
        const QImage frame = render(*view, start + 0.5 * 0.78, scale);
        const QColor bothStrokes = over(foreground, outline);
        // The right, top, left and bottom of the circle: the y flip puts top above.
        EXPECT_TRUE(near(pixelAt(frame, scale, height, centre.x + radius, centre.y), bothStrokes));
        EXPECT_TRUE(near(pixelAt(frame, scale, height, centre.x, centre.y + radius), bothStrokes));
        EXPECT_TRUE(near(pixelAt(frame, scale, height, centre.x - radius, centre.y), bothStrokes));
        EXPECT_TRUE(near(pixelAt(frame, scale, height, centre.x, centre.y - radius), bothStrokes));
        // The outline shows as a rim beside the coloured line, both scaled with the ring.
        const double rim = (2.6 / 2 + 0.9 / 2) * s;
        EXPECT_TRUE(
            near(pixelAt(frame, scale, height, centre.x + radius + rim, centre.y), outline, 8));
        EXPECT_TRUE(
            near(pixelAt(frame, scale, height, centre.x + radius - rim, centre.y), outline, 8));
        // Nothing inside or outside the ring.
        EXPECT_EQ(pixelAt(frame, scale, height, centre.x, centre.y).alpha(), 0);
        EXPECT_EQ(pixelAt(frame, scale, height, centre.x + radius - 3, centre.y).alpha(), 0);
        EXPECT_EQ(pixelAt(frame, scale, height, centre.x + radius + 3, centre.y).alpha(), 0);
        EXPECT_EQ(pixelAt(frame, scale, height, centre.x + 52, centre.y).alpha(), 0);
    }

    // At the start the ring is full size and still transparent; shortly after it shows there.
    {
        const QImage first = render(*view, start, scale);
        EXPECT_EQ(pixelAt(first, scale, height, centre.x + 52, centre.y).alpha(), 0);
        const QImage faded = render(*view, start + 0.08 * 0.78, scale);
        const double s = view->generatedLayers()[1]->presentation(start + 0.08 * 0.78).scale;
        EXPECT_GT(s, 0.97);
        EXPECT_TRUE(near(pixelAt(faded, scale, height, centre.x + 52 * s, centre.y),
                         over(foreground, outline)));
    }

    // On the way out the whole ring takes the layers' opacity.
    {
        const double t = start + 0.71 * 0.78;
        const LayerPresentation shown = view->generatedLayers()[0]->presentation(t);
        ASSERT_GT(shown.opacity, 0.5);
        ASSERT_LT(shown.opacity, 1.0);
        QColor dimForeground = foreground;
        dimForeground.setAlphaF(static_cast<float>(foreground.alphaF() * shown.opacity));
        QColor dimOutline = outline;
        dimOutline.setAlphaF(static_cast<float>(outline.alphaF() * shown.opacity));
        const QImage frame = render(*view, t, scale);
        EXPECT_TRUE(near(pixelAt(frame, scale, height, centre.x, centre.y + 52 * shown.scale),
                         over(dimForeground, dimOutline)));
    }

    // After the end nothing is drawn: the final state is transparent.
    const QImage after = render(*view, start + 0.8, scale);
    for (int y = 0; y < after.height(); y += 3) {
        for (int x = 0; x < after.width(); x += 3) {
            ASSERT_EQ(after.pixelColor(x, y).alpha(), 0) << x << "," << y;
        }
    }
}

TEST_F(QtCanvasViews, SelectionRectangleIsAnOutlineAtTheDraggedCorners)
{
    constexpr double height = 200;
    auto view = std::make_shared<RangeSelectionCaptureView>(Rect{0, 0, 300, height}, settings);
    view->mouseDown({40, 30});
    view->mouseDragged({140, 90});
    view->mouseUp({200, 150});
    constexpr double scale = 4;
    const QImage frame = render(*view, loop.now(), scale);
    const QColor stroke = over(qColor(view->foregroundColor), qColor(view->outlineColor));
    const QColor outline = qColor(view->outlineColor);
    const auto at = [&](double x, double y) { return pixelAt(frame, scale, height, x, y); };

    // The rectangle runs from (40, 30) to (200, 150): the middle of each side is covered by
    // the 2.6-point line over the outline, and 0.9 points of outline show on either side.
    EXPECT_TRUE(near(at(120, 30), stroke));  // bottom
    EXPECT_TRUE(near(at(120, 150), stroke)); // top
    EXPECT_TRUE(near(at(40, 90), stroke));   // left
    EXPECT_TRUE(near(at(200, 90), stroke));  // right
    EXPECT_TRUE(near(at(120, 30 - 1.75), outline, 8));
    EXPECT_TRUE(near(at(120, 30 + 1.75), outline, 8));
    EXPECT_TRUE(near(at(200 + 1.75, 90), outline, 8));
    // Inside, outside and beyond the rounded corner nothing is painted.
    EXPECT_EQ(at(120, 90).alpha(), 0);
    EXPECT_EQ(at(120, 27).alpha(), 0);
    EXPECT_EQ(at(120, 153).alpha(), 0);
    EXPECT_EQ(at(38.6, 28.6).alpha(), 0);
    EXPECT_EQ(at(250, 90).alpha(), 0);
}

TEST_F(QtCanvasViews, VeilIsHalfWhiteWithAClearRoundedHole)
{
    constexpr double height = 300;
    FocusCueDimmingView view(Rect{0, 0, 400, height}, [] { return 14; });
    // A free-standing window: every side moves 3 pixels inwards, corners of radius 12.
    view.holeFrame = Rect{100, 80, 200, 150};
    const QImage frame = render(view, loop.now());
    const auto at = [&](double x, double y) { return pixelAt(frame, 1, height, x, y); };
    const QColor veil(255, 255, 255, 128);

    EXPECT_TRUE(near(at(10, 10), veil, 1));
    EXPECT_TRUE(near(at(390, 290), veil, 1));
    EXPECT_TRUE(near(at(101.5, 150), veil, 1)); // within the 3-pixel inset
    EXPECT_EQ(at(200, 150).alpha(), 0);         // the window's middle
    EXPECT_EQ(at(103.5, 150).alpha(), 0);       // just inside the left side
    EXPECT_EQ(at(200, 226.5).alpha(), 0);       // just inside the top side
    // The corner of the hole is rounded: its square corner is veiled, a point on the
    // diagonal well inside the arc is clear.
    EXPECT_TRUE(near(at(103.5, 226.5), veil, 1));
    EXPECT_EQ(at(103 + 12 - 7, 227 - 12 + 7).alpha(), 0);

    // Without a hole the whole view is veiled.
    view.holeFrame.reset();
    const QImage whole = render(view, loop.now());
    EXPECT_TRUE(near(pixelAt(whole, 1, height, 200, 150), veil, 1));
}

TEST(QtCanvas, FillRulesOpacityAndUnbalancedRestoresKeepTheViewsCoordinates)
{
    QImage image(40, 40, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    Path nested;
    nested.addRect({0, 0, 20, 20});
    nested.addRect({5, 5, 10, 10}); // same direction: even-odd makes a hole, non-zero does not
    {
        QPainter painter(&image);
        QtCanvas canvas(painter, 40);
        canvas.restore(); // more restores than saves must not undo the flip
        canvas.fillPath(nested, Color::sRGB(1, 0, 0), FillRule::evenOdd);
        canvas.save();
        canvas.translate(20, 20);
        canvas.setOpacity(0.25);
        canvas.setOpacity(0.5); // replaces, does not multiply
        canvas.fillPath(nested, Color::sRGB(0, 0, 1), FillRule::nonZero);
        canvas.restore();
        canvas.fillPath(nested, Color::patternColor(), FillRule::nonZero); // draws nothing
    }
    // Bottom-left square, even-odd: the red frame, a clear hole.
    EXPECT_EQ(image.pixelColor(2, 37), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(10, 30).alpha(), 0);
    // Top-right square, non-zero at half opacity: filled through the middle.
    EXPECT_TRUE(near(image.pixelColor(22, 17), QColor(0, 0, 255, 128), 1));
    EXPECT_TRUE(near(image.pixelColor(30, 10), QColor(0, 0, 255, 128), 1));
    // The opacity and translation ended with the restore: nothing else was painted.
    EXPECT_EQ(image.pixelColor(30, 30).alpha(), 0);
    EXPECT_EQ(image.pixelColor(10, 10).alpha(), 0);
}

} // namespace
} // namespace halomark::qt
