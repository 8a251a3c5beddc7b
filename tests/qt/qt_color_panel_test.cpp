#include "qt/qt_color_panel.h"

#include "event_loop.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QFrame>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace halomark::qt {
namespace {

using testing::runEventsUntil;

class RecordingTarget final : public ColorPanelTarget
{
public:
    void customColorChanged(ColorPanel& sender) override { reported.push_back(sender.color()); }
    std::vector<Color> reported;
};

// The hue and saturation field of the dialog, where the user drags.
QWidget* spectrum(QColorDialog& dialog)
{
    for (QFrame* frame : dialog.findChildren<QFrame*>()) {
        if (QString::fromLatin1(frame->metaObject()->className()).endsWith("QColorPicker")) {
            return frame;
        }
    }
    return nullptr;
}

void send(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButtons held)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), button, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

// Presses in the spectrum, drags through the points and lets go.
void drag(QWidget* field, const std::vector<QPoint>& points)
{
    send(field, QEvent::MouseButtonPress, points.front(), Qt::LeftButton);
    for (std::size_t i = 1; i < points.size(); ++i) {
        send(field, QEvent::MouseMove, points[i], Qt::LeftButton);
    }
    send(field, QEvent::MouseButtonRelease, points.back(), Qt::NoButton);
}

const std::vector<QPoint> kDrag{{10, 10}, {40, 30}, {80, 50}, {120, 70}};

// Opens the panel on a colour set by the program, reporting to the target.
QWidget* openedOnBlue(QtColorPanel& panel, const std::shared_ptr<RecordingTarget>& target,
                      bool continuous)
{
    panel.setContinuous(continuous);
    panel.setColor(Color::deviceRGB(0.2, 0.4, 0.8));
    panel.setTarget(target);
    panel.orderFront();
    return spectrum(panel.dialog());
}

bool near(const Color& a, const Color& b)
{
    return std::abs(a.red - b.red) < 1e-3 && std::abs(a.green - b.green) < 1e-3 &&
           std::abs(a.blue - b.blue) < 1e-3 && std::abs(a.alpha - b.alpha) < 1e-3;
}

TEST(QtColorPanel, WhileContinuousEveryColourOfADragReachesTheTarget)
{
    QtColorPanel panel;
    auto target = std::make_shared<RecordingTarget>();
    QWidget* field = openedOnBlue(panel, target, true);
    ASSERT_TRUE(runEventsUntil([&] { return panel.dialog().isVisible(); }));
    EXPECT_EQ(panel.dialog().windowModality(), Qt::NonModal);
    EXPECT_TRUE(target->reported.empty()) << "a colour set by the program is not reported";
    EXPECT_TRUE(near(panel.color(), Color::sRGB(0.2, 0.4, 0.8)));
    ASSERT_NE(field, nullptr);
    drag(field, kDrag);

    // One report per position, each a new colour, the last the panel's colour now.
    ASSERT_EQ(target->reported.size(), kDrag.size());
    for (std::size_t i = 1; i < target->reported.size(); ++i) {
        EXPECT_FALSE(near(target->reported[i], target->reported[i - 1])) << i;
    }
    EXPECT_TRUE(near(target->reported.back(), panel.color()));
    EXPECT_EQ(target->reported.back().space, ColorSpace::sRGB);

    // A target that has gone hears nothing, and nothing breaks.
    target.reset();
    drag(field, {{30, 30}, {60, 60}});
    panel.dialog().hide();
}

TEST(QtColorPanel, WithoutContinuousOnlyTheColourLeftWhenClosingIsReported)
{
    QtColorPanel panel;
    auto target = std::make_shared<RecordingTarget>();
    QWidget* field = openedOnBlue(panel, target, false);
    ASSERT_NE(field, nullptr);
    drag(field, kDrag);
    EXPECT_TRUE(target->reported.empty());
    panel.dialog().close();
    ASSERT_EQ(target->reported.size(), 1u);
    EXPECT_TRUE(near(target->reported[0], panel.color()));

    // Opened and closed again without a change: nothing.
    panel.orderFront();
    panel.dialog().close();
    EXPECT_EQ(target->reported.size(), 1u);
}

TEST(QtColorPanel, ColoursCrossOverWithTheirComponentsAndAPatternIsIgnored)
{
    QtColorPanel panel;
    // The dialog keeps eight bits per component; these values survive that exactly.
    panel.setColor(Color::white(0.6));
    EXPECT_TRUE(near(panel.color(), Color::sRGB(0.6, 0.6, 0.6)));
    // Read back to double precision, not rounded through float.
    EXPECT_DOUBLE_EQ(panel.color().red, 0.6);
    panel.setColor(Color::calibratedRGB(1.0, 0.0, 0.2));
    EXPECT_TRUE(near(panel.color(), Color::sRGB(1.0, 0.0, 0.2)));
    panel.setColor(Color::patternColor());
    EXPECT_TRUE(near(panel.color(), Color::sRGB(1.0, 0.0, 0.2)));
    EXPECT_FALSE(toQColor(Color::patternColor()).isValid());
}

} // namespace
} // namespace halomark::qt
