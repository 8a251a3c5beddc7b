// Painting through the Qt canvas in a view's flipped coordinates: fill rules, strokes, and
// opacity and transforms that end with their restore.
#include "qt/qt_canvas.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

namespace halomark::qt {
namespace {

bool near(const QColor& actual, const QColor& expected, int tolerance = 3)
{
    return std::abs(actual.red() - expected.red()) <= tolerance &&
           std::abs(actual.green() - expected.green()) <= tolerance &&
           std::abs(actual.blue() - expected.blue()) <= tolerance &&
           std::abs(actual.alpha() - expected.alpha()) <= tolerance;
}

TEST(QtCanvas, FillRulesStrokesOpacityAndUnbalancedRestoresKeepTheViewsCoordinates)
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
        Path square;
        square.addRect({24, 2, 12, 12});
        canvas.strokePath(square, Color::sRGB(0, 1, 0), StrokeStyle{2, LineJoin::miter});
        canvas.fillPath(nested, Color::patternColor(), FillRule::nonZero); // draws nothing
    }
    // Bottom-left square, even-odd: the red frame, a clear hole.
    EXPECT_EQ(image.pixelColor(2, 37), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(10, 30).alpha(), 0);
    // Top-right square, non-zero at half opacity: filled through the middle.
    EXPECT_TRUE(near(image.pixelColor(22, 17), QColor(0, 0, 255, 128), 1));
    EXPECT_TRUE(near(image.pixelColor(30, 10), QColor(0, 0, 255, 128), 1));
    // Bottom-right square: a stroke as wide as asked, centred on the path at x = 24.
    EXPECT_EQ(image.pixelColor(23, 32), QColor(0, 255, 0));
    EXPECT_EQ(image.pixelColor(24, 32), QColor(0, 255, 0));
    EXPECT_EQ(image.pixelColor(22, 32).alpha(), 0);
    EXPECT_EQ(image.pixelColor(25, 32).alpha(), 0);
    // The opacity and translation ended with the restore: nothing else was painted.
    EXPECT_EQ(image.pixelColor(30, 30).alpha(), 0);
    EXPECT_EQ(image.pixelColor(10, 10).alpha(), 0);
}

} // namespace
} // namespace halomark::qt
