#include "event_loop.h"
#include "qt/qt_panel.h"

#include "focus/focus_cue_dimming_view.h"
#include "locator/appearance_settings.h"
#include "locator/ring_animation_view.h"
#include "platform/panel_configuration.h"
#include "qt/qt_main_loop.h"
#include "selection/range_selection_capture_view.h"
#include "sim/sim_screen_list.h"
#include "sim/sim_settings_store.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace halomark::qt {
namespace {

using testing::runEventsFor;
using testing::runEventsUntil;

// Records the region of every paint event a widget receives.
class PaintRecorder final : public QObject
{
public:
    explicit PaintRecorder(QWidget* widget) { widget->installEventFilter(this); }
    std::vector<QRegion> regions;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            regions.push_back(static_cast<QPaintEvent*>(event)->region());
        }
        return false;
    }
};

void sendMouse(QWidget* widget, QEvent::Type type, Qt::MouseButton button, QPointF at,
               Qt::MouseButtons held)
{
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

// A view that records the mouse events it is given.
class RecordingView final : public OverlayView
{
public:
    RecordingView(const Rect& frame, bool firstMouse) : OverlayView(frame), firstMouse(firstMouse)
    {}
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
    QtPanelFactory factory{loop, screens};
    sim::SimSettingsStore store;
    AppearanceSettings settings{store};
};

TEST_F(QtPanelTest, WindowBypassesTheManagerNeverTakesFocusAndSitsAtTheFlippedFrame)
{
    auto panel = make(ringPanelConfiguration(screen(1)));
    QWidget* window = panel->widget();
    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_TRUE(flags & Qt::FramelessWindowHint);
    EXPECT_TRUE(flags & Qt::X11BypassWindowManagerHint);
    EXPECT_TRUE(flags & Qt::WindowDoesNotAcceptFocus);
    EXPECT_TRUE(window->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_TRUE(window->testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_EQ(window->focusPolicy(), Qt::NoFocus);
    // (1000, 0) bottom-left with a height of 400 under a 600-point primary screen.
    EXPECT_EQ(window->geometry(), QRect(1000, 200, 800, 400));
    EXPECT_EQ(panel->frame(), Rect(1000, 0, 800, 400));
    panel->setFrame({100, 50, 300, 200});
    EXPECT_EQ(window->geometry(), QRect(100, 350, 300, 200));

    // Click-through exactly while told so.
    ASSERT_NE(window->windowHandle(), nullptr);
    EXPECT_TRUE(window->windowHandle()->flags() & Qt::WindowTransparentForInput);
    panel->setIgnoresMouseEvents(false);
    EXPECT_FALSE(window->windowHandle()->flags() & Qt::WindowTransparentForInput);
    EXPECT_FALSE(window->testAttribute(Qt::WA_TransparentForMouseEvents));
    panel->setIgnoresMouseEvents(true);
    EXPECT_TRUE(window->windowHandle()->flags() & Qt::WindowTransparentForInput);

    EXPECT_FALSE(panel->isVisible());
    panel->orderFrontRegardless();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isActiveWindow());
    panel->orderOut();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_FALSE(window->isVisible());
}

TEST_F(QtPanelTest, PanelsKeepTheirLevelsOrderWhateverOrderTheyComeIn)
{
    auto ring = make(ringPanelConfiguration(screen(0)));
    auto veil = make(veilPanelConfiguration(screen(0)));
    auto selection = make(selectionPanelConfiguration(screen(0)));
    using List = std::vector<std::shared_ptr<QtPanel>>;

    ring->orderFrontRegardless();
    veil->orderFrontRegardless(); // a lower level stays below, though ordered last
    EXPECT_EQ(factory.frontToBack(), (List{ring, veil}));
    selection->orderFrontRegardless(); // same level as the ring: in front of it
    EXPECT_EQ(factory.frontToBack(), (List{selection, ring, veil}));
    ring->orderFrontRegardless();
    EXPECT_EQ(factory.frontToBack(), (List{ring, selection, veil}));
    veil->setLevel(window_levels::screenSaver + 1);
    EXPECT_EQ(factory.frontToBack(), (List{veil, ring, selection}));
    ring->orderOut();
    EXPECT_EQ(factory.frontToBack(), (List{veil, selection}));
    selection.reset(); // a released panel leaves the order
    EXPECT_EQ(factory.frontToBack(), (List{veil}));
}

TEST_F(QtPanelTest, MouseEventsReachTheViewInWindowCoordinatesWhenItTakesTheFirstClick)
{
    auto panel = make(selectionPanelConfiguration(screen(0)));
    auto taking = std::make_shared<RecordingView>(Rect{0, 0, 1000, 600}, true);
    panel->setContentView(taking);
    panel->orderFrontRegardless();
    QWidget* window = panel->widget();

    sendMouse(window, QEvent::MouseButtonPress, Qt::LeftButton, {10, 590}, Qt::LeftButton);
    sendMouse(window, QEvent::MouseMove, Qt::NoButton, {30, 500}, Qt::LeftButton);
    sendMouse(window, QEvent::MouseMove, Qt::NoButton, {40, 400}, Qt::NoButton); // no button
    sendMouse(window, QEvent::MouseButtonRelease, Qt::LeftButton, {50, 300}, Qt::NoButton);
    sendMouse(window, QEvent::MouseButtonPress, Qt::RightButton, {60, 0}, Qt::RightButton);
    EXPECT_EQ(taking->events, (std::vector<std::string>{"down 10,10", "dragged 30,100", "up 50,300",
                                                        "right 60,600"}));

    // A view that does not take first clicks gets none of the sequence: the panel is never
    // active, so every click is a first one.
    auto refusing = std::make_shared<RecordingView>(Rect{0, 0, 1000, 600}, false);
    panel->setContentView(refusing);
    sendMouse(window, QEvent::MouseButtonPress, Qt::LeftButton, {10, 590}, Qt::LeftButton);
    sendMouse(window, QEvent::MouseMove, Qt::NoButton, {30, 500}, Qt::LeftButton);
    sendMouse(window, QEvent::MouseButtonRelease, Qt::LeftButton, {50, 300}, Qt::NoButton);
    EXPECT_TRUE(refusing->events.empty());
}

TEST_F(QtPanelTest, AReleaseThatEndsThePanelIsSafe)
{
    auto panel = make(selectionPanelConfiguration(screen(0)));
    auto view = std::make_shared<RangeSelectionCaptureView>(Rect{0, 0, 1000, 600}, settings);
    std::weak_ptr<QtPanel> weak = panel;
    bool finished = false;
    view->onSelectionFinished = [&](bool visible) {
        finished = visible;
        panel.reset(); // the controller lets the panel go from inside the release
    };
    panel->setContentView(view);
    panel->orderFrontRegardless();
    QPointer<QWidget> window = panel->widget();

    sendMouse(window, QEvent::MouseButtonPress, Qt::LeftButton, {100, 500}, Qt::LeftButton);
    sendMouse(window, QEvent::MouseButtonRelease, Qt::LeftButton, {200, 400}, Qt::NoButton);
    EXPECT_TRUE(finished);
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(view->startPoint(), (Point{100, 100}));
    // The window goes on a later turn of the loop, outside the event that ended the panel.
    EXPECT_FALSE(window.isNull());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}

TEST_F(QtPanelTest, AnimatingViewRepaintsOnlyItsRingUntilItStops)
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
    const QRect ring(300 - 60, 400 - 60, 120, 120);
    ASSERT_GE(paints.regions.size(), 10u) << "the ring was not repainted while it animated";
    for (const QRegion& region : paints.regions) {
        const QRect r = region.boundingRect();
        EXPECT_TRUE(ring.contains(r)) << "damage beyond the ring: " << r.x() << "," << r.y() << " "
                                      << r.width() << "x" << r.height();
    }

    // Nothing animates any more: nothing repaints.
    runEventsFor(30);
    const std::size_t settled = paints.regions.size();
    runEventsFor(200);
    EXPECT_EQ(paints.regions.size(), settled);
}

TEST_F(QtPanelTest, AlphaAnimatesAlongTheCurveAndCompletesOnceFromTheLoop)
{
    auto panel = make(selectionPanelConfiguration(screen(0)));
    panel->orderFrontRegardless();
    std::weak_ptr<QtPanel> weak = panel;
    int completions = 0;
    std::vector<double> seen;
    const double start = loop.now();
    panel->animateAlphaValue(0.0, 0.3, TimingFunction::easeIn(), [&] { ++completions; });
    EXPECT_EQ(completions, 0) << "completion ran inside the caller";
    QWidget* window = panel->widget();
    panel.reset(); // the running animation keeps the panel
    ASSERT_FALSE(weak.expired());

    QTimer sample;
    QObject::connect(&sample, &QTimer::timeout, [&] {
        if (auto p = weak.lock()) {
            const double fraction = (loop.now() - start) / 0.3;
            if (fraction < 0.9) {
                // Ease-in stays above the straight line: the alpha falls slowly at first.
                EXPECT_GE(p->alphaValue(), 1.0 - fraction - 0.02);
                EXPECT_NEAR(window->windowOpacity(), p->alphaValue(), 0.01);
                seen.push_back(p->alphaValue());
            }
        }
    });
    sample.start(15);
    ASSERT_TRUE(runEventsUntil([&] { return completions > 0; }));
    sample.stop();
    EXPECT_GE(seen.size(), 3u);
    EXPECT_TRUE(std::is_sorted(seen.rbegin(), seen.rend())) << "alpha did not fall steadily";
    EXPECT_TRUE(std::any_of(seen.begin(), seen.end(), [](double a) { return a < 0.9; }));
    runEventsFor(30);
    EXPECT_EQ(completions, 1);
    EXPECT_TRUE(weak.expired()); // released once the animation ended

    // An alpha set during an animation wins; the animation's completion still comes once.
    auto other = make(selectionPanelConfiguration(screen(0)));
    int otherCompletions = 0;
    other->animateAlphaValue(0.0, 0.1, TimingFunction::linear(), [&] { ++otherCompletions; });
    other->setAlphaValue(0.7);
    ASSERT_TRUE(runEventsUntil([&] { return otherCompletions == 1; }));
    runEventsFor(30);
    EXPECT_DOUBLE_EQ(other->alphaValue(), 0.7);
    EXPECT_EQ(otherCompletions, 1);
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
    EXPECT_TRUE(veil->showsOutlineOnly());
    ASSERT_TRUE(veil->isWindowShown());
    // Qt's y of a bottom-left y in this 576-point-high panel.
    const auto qtPoint = [](int x, int y) { return QPoint(x, 576 - y); };
    const QRegion& shape = veil->outlineShape();
    // The hole spans 303 to 497 across and 203 to 297 up; a frame of a few points around it
    // shows, the hole and the rest of the screen do not, nor do the screen's edges.
    EXPECT_TRUE(shape.contains(qtPoint(301, 250)));
    EXPECT_TRUE(shape.contains(qtPoint(400, 299)));
    EXPECT_FALSE(shape.contains(qtPoint(295, 250)));
    EXPECT_FALSE(shape.contains(qtPoint(400, 250)));
    EXPECT_FALSE(shape.contains(qtPoint(100, 100)));
    EXPECT_FALSE(shape.contains(qtPoint(0, 300)));
    EXPECT_FALSE(shape.contains(qtPoint(500, 575)));
    EXPECT_LT(shape.boundingRect().width(), 220);
    // What shows is opaque: the veil's white without its translucency.
    const QImage shown = veil->widget()->grab().toImage();
    EXPECT_EQ(shown.pixelColor(qtPoint(301, 250)), QColor(255, 255, 255));

    // The armed selection panel paints nothing, so its window stays off the screen while the
    // panel is ordered in.
    auto selection = make(selectionPanelConfiguration(screen(0)));
    selection->setContentView(
        std::make_shared<RangeSelectionCaptureView>(Rect{0, 0, 1000, 600}, settings));
    selection->orderFrontRegardless();
    EXPECT_TRUE(selection->isVisible());
    EXPECT_FALSE(selection->isWindowShown());
    EXPECT_TRUE(selection->outlineShape().isEmpty());

    // A ring shows its strokes while it is visible and nothing once it is done.
    auto ring = make(ringPanelConfiguration(screen(0)));
    auto rings = std::make_shared<RingAnimationView>(Rect{0, 0, 1000, 600}, loop, settings);
    ring->setContentView(rings);
    ring->orderFrontRegardless();
    EXPECT_FALSE(ring->isWindowShown());
    bool done = false;
    bool sawStroke = false;
    rings->animate({500, 300}, [&] { done = true; });
    QTimer sample;
    QObject::connect(&sample, &QTimer::timeout, [&] {
        const QRegion& strokes = ring->outlineShape();
        if (!strokes.isEmpty()) {
            sawStroke = true;
            EXPECT_TRUE(QRect(500 - 60, 300 - 60, 120, 120).contains(strokes.boundingRect()));
            EXPECT_FALSE(strokes.contains(QPoint(500, 300))); // never the middle
            EXPECT_TRUE(ring->isWindowShown());
        }
    });
    sample.start(20);
    ASSERT_TRUE(runEventsUntil([&] { return done; }));
    sample.stop();
    EXPECT_TRUE(sawStroke);
    runEventsFor(50);
    EXPECT_TRUE(ring->outlineShape().isEmpty());
    EXPECT_FALSE(ring->isWindowShown());

    // The user hears about the compositor once, however many panels show.
    const auto told =
        std::count_if(log.messages().begin(), log.messages().end(),
                      [](const QString& line) { return line.contains("compositor"); });
    EXPECT_EQ(told, 1);

    // A compositor arriving turns the panels translucent again, without shapes.
    factory.setCompositorActive(true);
    EXPECT_FALSE(veil->showsOutlineOnly());
    EXPECT_TRUE(veil->isWindowShown());
    EXPECT_TRUE(veil->widget()->mask().isEmpty());
    EXPECT_TRUE(selection->isWindowShown());
}

} // namespace
} // namespace halomark::qt
