// The overlay panels on Qt's offscreen platform, with the X11 windowing as the program gives
// it: windows that bypass the window manager at the flipped frame, level order, the first-click
// rule, damage limited to an animating ring, alpha animations, and outline shapes while no
// compositor runs; and the mapping between the core's points and the device pixels that
// overlays are placed in, at the scales a display can have.
#include "qt/qt_canvas.h"
#include "qt/qt_coordinates.h"
#include "qt/qt_panel.h"

#include "qt_testing.h"

#include "focus/focus_cue_dimming_view.h"
#include "locator/appearance_settings.h"
#include "locator/ring_animation_view.h"
#include "platform/panel_configuration.h"
#include "qt/qt_main_loop.h"
#include "selection/range_selection_capture_view.h"
#include "sim/sim_screen_list.h"
#include "sim/sim_settings_store.h"
#include "x11/xcb_panel_windowing.h"

#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWidget>
#include <QWindow>

#include <cmath>

namespace halomark::qt {
namespace {

using testing::runEventsFor;
using testing::runEventsUntil;

void sendMouse(QWidget* widget, QEvent::Type type, Qt::MouseButton button, QPointF at)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, at, widget->mapToGlobal(at),
                      type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

// A view that records the mouse events it is given.
class RecordingView final : public OverlayView
{
public:
    RecordingView(bool firstMouse) : OverlayView(Rect{0, 0, 1000, 600}), firstMouse(firstMouse) {}
    bool acceptsFirstMouse() const override { return firstMouse; }
    void mouseDown(Point p) override { record("down", p); }
    void mouseDragged(Point p) override { record("dragged", p); }
    void mouseUp(Point p) override { record("up", p); }
    void rightMouseDown(Point p) override { record("right", p); }
    std::vector<std::string> events;

private:
    void record(const char* name, Point p)
    {
        events.push_back(std::string(name) + " " + std::to_string(static_cast<int>(p.x)) + "," +
                         std::to_string(static_cast<int>(p.y)));
    }
    bool firstMouse;
};

class QtPanelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The primary screen, and a second one to its right whose top lies 200 points lower.
        screens.setScreens({sim::SimScreenList::makeScreen(1, {0, 0, 1000, 600}),
                            sim::SimScreenList::makeScreen(2, {1000, 0, 800, 400})});
        factory.setCompositorActive(true);
    }

    std::shared_ptr<QtPanel> make(const PanelConfiguration& configuration)
    {
        auto panel = std::dynamic_pointer_cast<QtPanel>(factory.makePanel(configuration));
        applyPanelSettings(*panel, configuration);
        return panel;
    }
    Screen screen(int index) { return screens.screens()[static_cast<std::size_t>(index)]; }

    QtMainLoop loop;
    sim::SimScreenList screens;
    x11::XcbPanelWindowing windowing;
    QtPanelFactory factory{loop, screens, &windowing};
    sim::SimSettingsStore store;
    AppearanceSettings settings{store};
};

TEST_F(QtPanelTest, WindowsBypassTheManagerTakeNoFocusSitAtTheFlippedFrameAndKeepTheirLevels)
{
    auto ring = make(ringPanelConfiguration(screen(1)));
    QWidget* window = ring->widget();
    const Qt::WindowFlags flags =
        Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint | Qt::WindowDoesNotAcceptFocus;
    EXPECT_EQ(window->windowFlags() & flags, flags);
    EXPECT_TRUE(window->testAttribute(Qt::WA_ShowWithoutActivating) &&
                window->testAttribute(Qt::WA_TranslucentBackground));
    // (1000, 0) bottom-left with a height of 400 under a 600-point primary screen.
    EXPECT_EQ(window->geometry(), QRect(1000, 200, 800, 400));
    ring->setFrame({100, 50, 300, 200});
    EXPECT_EQ(window->geometry(), QRect(100, 350, 300, 200));
    // Where the system adapter says points lie at another scale, frames follow in pixels.
    QtPanelFactory scaled(loop, [] { return QtCoordinates::global(QRect(0, 0, 1280, 800), 1.5); });
    auto veilAtScale = scaled.makePanel(veilPanelConfiguration(screen(0)));
    veilAtScale->setFrame(Rect{800, 100, 200, 300});
    EXPECT_EQ(std::dynamic_pointer_cast<QtPanel>(veilAtScale)->widget()->geometry(),
              QRect(1200, 200, 300, 450));
    // Click-through exactly while told so.
    ASSERT_NE(window->windowHandle(), nullptr);
    EXPECT_TRUE(window->windowHandle()->flags() & Qt::WindowTransparentForInput);
    ring->setIgnoresMouseEvents(false);
    EXPECT_FALSE(window->windowHandle()->flags() & Qt::WindowTransparentForInput);
    EXPECT_FALSE(window->testAttribute(Qt::WA_TransparentForMouseEvents));

    auto veil = make(veilPanelConfiguration(screen(0)));
    auto selection = make(selectionPanelConfiguration(screen(0)));
    using List = std::vector<std::shared_ptr<QtPanel>>;
    ring->orderFrontRegardless();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isActiveWindow());
    veil->orderFrontRegardless();      // a lower level stays below, though ordered last
    selection->orderFrontRegardless(); // same level as the ring: in front of it
    EXPECT_EQ(factory.frontToBack(), (List{selection, ring, veil}));
    veil->setLevel(window_levels::screenSaver + 1);
    ring->orderOut();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(factory.frontToBack(), (List{veil, selection}));
}

TEST_F(QtPanelTest, MouseEventsReachAViewInItsCoordinatesOnlyWhenItTakesTheFirstClick)
{
    auto panel = make(selectionPanelConfiguration(screen(0)));
    // The panel is never active, so every click is a first one: a view that does not take
    // first clicks gets none of the sequence.
    for (const bool takesFirstClicks : {false, true}) {
        auto view = std::make_shared<RecordingView>(takesFirstClicks);
        panel->setContentView(view);
        panel->orderFrontRegardless();
        QWidget* window = panel->widget();
        sendMouse(window, QEvent::MouseButtonPress, Qt::LeftButton, {10, 590});
        sendMouse(window, QEvent::MouseMove, Qt::LeftButton, {30, 500});
        sendMouse(window, QEvent::MouseMove, Qt::NoButton, {40, 400}); // no button held
        sendMouse(window, QEvent::MouseButtonRelease, Qt::LeftButton, {50, 300});
        sendMouse(window, QEvent::MouseButtonPress, Qt::RightButton, {60, 0});
        const std::vector<std::string> all{"down 10,10", "dragged 30,100", "up 50,300",
                                           "right 60,600"};
        EXPECT_EQ(view->events, takesFirstClicks ? all : std::vector<std::string>{});
    }
}

// Records the region of every paint event a widget receives.
class PaintRecorder final : public QObject
{
public:
    explicit PaintRecorder(QWidget* widget) { widget->installEventFilter(this); }
    std::vector<QRect> regions;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            regions.push_back(static_cast<QPaintEvent*>(event)->region().boundingRect());
        }
        return false;
    }
};

TEST_F(QtPanelTest, AnAnimatingViewRepaintsOnlyItsRingAndAlphaAnimationsCompleteOnce)
{
    auto panel = make(ringPanelConfiguration(screen(0)));
    auto view = std::make_shared<RingAnimationView>(Rect{0, 0, 1000, 600}, loop, settings);
    panel->setContentView(view);
    panel->orderFrontRegardless();
    PaintRecorder paints(panel->widget());
    ASSERT_TRUE(runEventsUntil([&] { return !paints.regions.empty(); })); // first exposure
    runEventsFor(50);
    paints.regions.clear();
    bool done = false;
    view->animate({300, 200}, [&] { done = true; });
    ASSERT_TRUE(runEventsUntil([&] { return done; }));
    // The 52-point ring, its strokes and antialiasing around (300, 400) in Qt's coordinates.
    ASSERT_GE(paints.regions.size(), 10u) << "the ring was not repainted while it animated";
    for (const QRect& r : paints.regions) {
        EXPECT_TRUE(QRect(240, 340, 120, 120).contains(r)) << r.x() << "," << r.y();
    }
    runEventsFor(30);
    const std::size_t settled = paints.regions.size();
    runEventsFor(200);
    EXPECT_EQ(paints.regions.size(), settled) << "repainted with nothing animating";

    // The running animation keeps the panel; half-way its alpha has fallen no faster than the
    // straight line, as ease-in does, in the window's opacity too; the completion comes once,
    // from the loop.
    std::weak_ptr<QtPanel> weak = panel;
    int completions = 0;
    const double start = loop.now();
    panel->animateAlphaValue(0.0, 0.3, TimingFunction::easeIn(), [&] { ++completions; });
    EXPECT_EQ(completions, 0) << "completion ran inside the caller";
    QWidget* window = panel->widget();
    panel.reset();
    bool sampled = false;
    loop.postAfter(0.15, [&] {
        const auto p = weak.lock();
        ASSERT_TRUE(p) << "released while its animation ran";
        const double fraction = (loop.now() - start) / 0.3;
        EXPECT_GE(p->alphaValue(), 1.0 - fraction - 0.02);
        EXPECT_LT(p->alphaValue(), 0.95);
        EXPECT_NEAR(window->windowOpacity(), p->alphaValue(), 0.01);
        sampled = true;
    });
    ASSERT_TRUE(runEventsUntil([&] { return completions > 0; }));
    EXPECT_TRUE(sampled);
    runEventsFor(30);
    EXPECT_EQ(completions, 1);
    EXPECT_TRUE(weak.expired()) << "kept after the animation ended";
}

TEST_F(QtPanelTest, WithoutACompositorPanelsShowOnlyTheEdgesOfWhatTheyPaint)
{
    testing::MessageCapture log;
    factory.setCompositorActive(false);
    // The veil over the primary screen's usable frame (0, 0, 1000, 576) with a window's hole.
    auto veil = make(veilPanelConfiguration(screen(0)));
    auto dimming = std::make_shared<FocusCueDimmingView>(Rect{0, 0, 1000, 576}, [] { return 14; });
    dimming->holeFrame = Rect{300, 200, 200, 100};
    veil->setContentView(dimming);
    veil->orderFrontRegardless();
    ASSERT_TRUE(veil->isWindowShown());
    // The hole spans 303 to 497 across and 203 to 297 up (Qt's y is 576 - y): a frame of a
    // few points around it shows, the hole and the rest of the screen do not.
    const QRegion shape = veil->widget()->mask();
    EXPECT_TRUE(shape.contains(QPoint(301, 576 - 250)));
    EXPECT_TRUE(shape.contains(QPoint(400, 576 - 299)));
    EXPECT_FALSE(shape.contains(QPoint(400, 576 - 250)));
    EXPECT_LT(shape.boundingRect().width(), 220) << "the rest of the screen shows";
    // What shows is opaque: the veil's white without its translucency.
    EXPECT_EQ(veil->widget()->grab().toImage().pixelColor(301, 576 - 250), QColor(Qt::white));

    // The armed selection panel paints nothing, so its window stays off the screen.
    auto selection = make(selectionPanelConfiguration(screen(0)));
    selection->setContentView(
        std::make_shared<RangeSelectionCaptureView>(Rect{0, 0, 1000, 600}, settings));
    selection->orderFrontRegardless();
    EXPECT_FALSE(selection->isWindowShown());
    // The user hears about the compositor once, however many panels show.
    EXPECT_EQ(log.count("compositor"), 1);

    // A compositor arriving turns the panels translucent again, without shapes.
    factory.setCompositorActive(true);
    EXPECT_TRUE(veil->widget()->mask().isEmpty());
    EXPECT_TRUE(selection->isWindowShown());
}

TEST(QtCoordinates, PointsCoverEveryMonitorsPixelsAndFramesBetweenPixelsTakeTheNearestEdges)
{
    // Two 1280x800-pixel monitors side by side, the primary one on the left.
    for (const double scale : {1.0, 1.5, 2.0}) {
        SCOPED_TRACE(scale);
        const QtCoordinates global = QtCoordinates::global(QRect(0, 0, 1280, 800), scale);
        const Rect right{1280 / scale, 0, 1280 / scale, 800 / scale};
        EXPECT_EQ(global.toPixels(Rect{0, 0, 1280 / scale, 800 / scale}), QRect(0, 0, 1280, 800));
        EXPECT_EQ(global.toPixels(right), QRect(1280, 0, 1280, 800));
        EXPECT_EQ(global.fromQt(QRectF(1280, 0, 1280, 800)), right);
        // The last row of pixels lies just above y = 0.
        EXPECT_EQ(global.fromQt(QPointF(2559, 799)), (Point{2559 / scale, 1 / scale}));
    }
    // The primary monitor on the right of a higher one: its lower-left corner is the origin.
    const QtCoordinates offset = QtCoordinates::global(QRect(1920, 280, 1280, 800), 2.0);
    EXPECT_EQ(offset.toPixels(Rect{0, 0, 640, 400}), QRect(1920, 280, 1280, 800));
    EXPECT_EQ(offset.toPixels(Rect{-960, 0, 960, 540}), QRect(0, 0, 1920, 1080));
    EXPECT_EQ(offset.fromQt(QPointF(0, 0)), (Point{-960, 540}));
    // From the screens alone the primary is at the origin, at its scale.
    Screen primary;
    primary.frame = Rect{0, 0, 640, 400};
    primary.backingScaleFactor = 2;
    EXPECT_EQ(QtCoordinates::global(std::vector<Screen>{primary}),
              QtCoordinates::global(QRect(0, 0, 1280, 800), 2));
    EXPECT_EQ(QtCoordinates::global(std::vector<Screen>{}).toPixels(Rect{0, -10, 5, 10}),
              QRect(0, 0, 5, 10));

    // Frames between pixels take the nearest edges and keep their place in the window.
    const QtCoordinates global = QtCoordinates::global(QRect(0, 0, 1280, 800), 1.5);
    // 100.2 * 1.5 = 150.3, 133.6 * 1.5 = 200.4; the top 800 - 70.3 * 1.5 = 694.55, the
    // bottom 800 - 75. A frame that shares an edge shares it in pixels.
    const Rect a{100.2, 50, 33.4, 20.3};
    EXPECT_EQ(global.toPixels(a), QRect(150, 695, 50, 30));
    EXPECT_EQ(global.toPixels(Rect{a.maxX(), 50, 40.1, 20.3}).left(), 200);

    // The window covers the nearest pixels; the content's corner stays where it is globally,
    // and a pixel inside the window is the point it shows.
    const Rect frame{100.2, 50.1, 200, 100};
    const QRect pixels = global.toPixels(frame);
    const QtCoordinates window = global.window(frame, pixels);
    EXPECT_EQ(window.scale(), 1.5);
    const QPointF corner = window.toQt(Point{0, 0}) + QPointF(pixels.topLeft());
    const QPointF expected = global.toQt(Point{frame.minX(), frame.minY()});
    EXPECT_LT(std::hypot(corner.x() - expected.x(), corner.y() - expected.y()), 1e-9);
    const Point inWindow = window.fromQt(QPointF(30, 60));
    const Point globally = global.fromQt(QPointF(pixels.x() + 30, pixels.y() + 60));
    EXPECT_LT(
        std::hypot(inWindow.x + frame.minX() - globally.x, inWindow.y + frame.minY() - globally.y),
        1e-9);
}

// Painting through the Qt canvas in a view's flipped coordinates: fill rules, strokes, and
// opacity and transforms that end with their restore.
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
