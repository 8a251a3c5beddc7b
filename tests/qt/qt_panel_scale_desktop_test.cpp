// The overlay panels on both monitors of the private X desktop at Xft.dpi 144, a scale of 1.5,
// set before Qt starts as on a user's desktop and with Qt set up as the program sets it up: a
// panel covers exactly the device pixels of its frame on either monitor, a veil's hole lies on
// a window's pixels, and a drag on the selection panel reaches the view in points, with and
// without a compositor.
#include "desktop.h"
#include "event_loop.h"

#include "focus/focus_cue_dimming_view.h"
#include "locator/appearance_settings.h"
#include "platform/panel_configuration.h"
#include "qt/qt_coordinates.h"
#include "qt/qt_main_loop.h"
#include "qt/qt_panel.h"
#include "qt/qt_screen_agreement.h"
#include "selection/range_selection_capture_view.h"
#include "sim/sim_settings_store.h"
#include "x11/xcb_connection.h"
#include "x11/xcb_screen_list.h"

#include <QApplication>
#include <QColor>
#include <QDir>
#include <QEventLoop>
#include <QImage>
#include <QProcess>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

namespace halomark::x11 {

// Failures show pixel rectangles as such.
void PrintTo(const PixelRect& r, std::ostream* out)
{
    *out << r.x << "," << r.y << " " << r.width << "x" << r.height;
}

} // namespace halomark::x11

namespace halomark::qt {
namespace {

using x11::PixelRect;
using x11::testing::desktopScript;
using x11::testing::sh;

constexpr double kScale = 1.5; // Xft.dpi 144 over 96

void runEventsFor(int milliseconds)
{
    QEventLoop events;
    QTimer::singleShot(milliseconds, &events, &QEventLoop::quit);
    events.exec();
}

// Where a window lies on the X screen, read from the server.
std::optional<PixelRect> rootGeometry(x11::XcbConnection& connection, xcb_window_t window)
{
    xcb_connection_t* c = connection.raw();
    std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> geometry(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr), &std::free);
    std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&std::free)> origin(
        xcb_translate_coordinates_reply(
            c, xcb_translate_coordinates(c, window, connection.root(), 0, 0), nullptr),
        &std::free);
    if (!geometry || !origin) {
        return std::nullopt;
    }
    return PixelRect{origin->dst_x, origin->dst_y, geometry->width, geometry->height};
}

bool nearColor(const QColor& actual, const QColor& expected, int tolerance)
{
    return std::abs(actual.red() - expected.red()) <= tolerance &&
           std::abs(actual.green() - expected.green()) <= tolerance &&
           std::abs(actual.blue() - expected.blue()) <= tolerance;
}

std::string describe(const QColor& c)
{
    return std::to_string(c.red()) + "," + std::to_string(c.green()) + "," +
           std::to_string(c.blue());
}

std::string describe(const std::optional<PixelRect>& r)
{
    if (!r) {
        return "nothing";
    }
    return std::to_string(r->x) + "," + std::to_string(r->y) + " " + std::to_string(r->width) +
           "x" + std::to_string(r->height);
}

QImage screenshot(const QString& name)
{
    const QString path = QStringLiteral(HALOMARK_SCREENSHOT_DIR "/%1.png").arg(name);
    QProcess::execute(QStringLiteral("import"), {"-window", "root", "-depth", "8", path});
    return QImage(path).convertToFormat(QImage::Format_RGB32);
}

class QtPanelScaleDesktopTest : public x11::testing::DesktopTest
{
protected:
    void SetUp() override
    {
        DesktopTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        screens = std::make_unique<x11::XcbScreenList>(*connection);
        // Wired as the program wires it: the system adapter says where its points lie.
        factory = std::make_unique<QtPanelFactory>(loop, [this] {
            const x11::XcbCoordinates& space = screens->coordinates();
            return QtCoordinates::global(
                QRect(space.primary.x, space.primary.y, space.primary.width, space.primary.height),
                space.scale);
        });
        const auto all = screens->screens();
        ASSERT_EQ(all.size(), 2u);
        ASSERT_EQ(all[0].backingScaleFactor, kScale) << "Xft.dpi 144 was not read";
        left = all[0];
        right = all[1];
        QDir().mkpath(QStringLiteral(HALOMARK_SCREENSHOT_DIR));
    }

    std::shared_ptr<QtPanel> make(const PanelConfiguration& configuration)
    {
        auto panel = std::dynamic_pointer_cast<QtPanel>(factory->makePanel(configuration));
        applyPanelSettings(*panel, configuration);
        return panel;
    }

    // Waits until the panel's window is on the X screen where the pixels say, and gives where
    // it is.
    std::optional<PixelRect> placedAt(const QtPanel& panel, const PixelRect& expected)
    {
        const auto window = static_cast<xcb_window_t>(panel.widget()->winId());
        std::optional<PixelRect> placed;
        testing::runEventsUntil([&] {
            placed = rootGeometry(*connection, window);
            return placed == expected && panel.isWindowShown();
        });
        return placed;
    }

    // A selection drag on the right monitor between two device pixels below the terminal there
    // (over the black root window): the view gets the press and the release at the points of
    // those pixels, and draws the rectangle between them on those pixels.
    void checkSelectionDragOnTheRightMonitor()
    {
        auto selection = make(selectionPanelConfiguration(right));
        auto view = std::make_shared<RangeSelectionCaptureView>(
            Rect{0, 0, right.frame.width(), right.frame.height()}, settings);
        bool finished = false;
        view->onSelectionFinished = [&](bool) { finished = true; };
        selection->setContentView(view);
        selection->orderFrontRegardless();
        // Without a compositor the window shows nothing and stays unmapped; an input window
        // over the same pixels takes the mouse.
        if (factory->compositorActive()) {
            ASSERT_EQ(placedAt(*selection, PixelRect{1280, 0, 1280, 800}),
                      (PixelRect{1280, 0, 1280, 800}));
        }
        runEventsFor(300);
        const QImage before = screenshot(QStringLiteral("scaled-selection-before"));
        ASSERT_TRUE(sh("xdotool mousemove 1581 501 mousedown 1 mousemove 1650 580 "
                       "mousemove 1731 651 mouseup 1"));
        ASSERT_TRUE(testing::runEventsUntil([&] { return finished; }, 5000))
            << "the selection panel took no drag";

        // The rectangle's strokes are centred on the pixel corners the drag went between:
        // the pixels on either side of each corner line change, those a few pixels beyond
        // the 4.4-point (6.6-pixel) outline stay as they were.
        struct Probe
        {
            QPoint at;
            bool changes;
        };
        const Probe probes[] = {
            {{1580, 576}, true}, {{1581, 576}, true}, {{1575, 576}, false}, {{1587, 576}, false},
            {{1730, 576}, true}, {{1731, 576}, true}, {{1725, 576}, false}, {{1737, 576}, false},
            {{1656, 500}, true}, {{1656, 501}, true}, {{1656, 495}, false}, {{1656, 507}, false},
            {{1656, 650}, true}, {{1656, 651}, true}, {{1656, 645}, false}, {{1656, 657}, false},
        };
        const auto changed = [&](const QImage& shot, QPoint at) {
            return !nearColor(shot.pixelColor(at), before.pixelColor(at), 24);
        };
        QImage after;
        testing::runEventsUntil([&] {
            after = screenshot(QStringLiteral("scaled-selection-drawn"));
            return std::all_of(std::begin(probes), std::end(probes), [&](const Probe& probe) {
                return changed(after, probe.at) == probe.changes;
            });
        });
        for (const Probe& probe : probes) {
            EXPECT_EQ(changed(after, probe.at), probe.changes)
                << probe.at.x() << "," << probe.at.y() << " was "
                << describe(before.pixelColor(probe.at)) << ", is "
                << describe(after.pixelColor(probe.at));
        }

        // The pixels' points as the system adapter has them, in the view's coordinates.
        const x11::XcbCoordinates& space = screens->coordinates();
        const Point start = space.toPoints(1581, 501);
        const Point end = space.toPoints(1731, 651);
        const Point origin{right.frame.minX(), right.frame.minY()};
        ASSERT_TRUE(view->startPoint());
        EXPECT_NEAR(view->startPoint()->x, start.x - origin.x, 1e-9);
        EXPECT_NEAR(view->startPoint()->y, start.y - origin.y, 1e-9);
        const Rect drawn = view->foregroundLayer->path.boundingBox();
        EXPECT_NEAR(drawn.minX(), start.x - origin.x, 1e-9);
        EXPECT_NEAR(drawn.maxX(), end.x - origin.x, 1e-9);
        EXPECT_NEAR(drawn.minY(), end.y - origin.y, 1e-9);
        EXPECT_NEAR(drawn.maxY(), start.y - origin.y, 1e-9);
        // 150 by 150 pixels are 100 by 100 points.
        EXPECT_NEAR(drawn.width(), 100, 1e-9);
        EXPECT_NEAR(drawn.height(), 100, 1e-9);
        selection->orderOut();
    }

    QtMainLoop loop;
    std::unique_ptr<x11::XcbScreenList> screens;
    std::unique_ptr<QtPanelFactory> factory;
    Screen left;
    Screen right;
    sim::SimSettingsStore store;
    AppearanceSettings settings{store};
};

TEST_F(QtPanelScaleDesktopTest, PanelsCoverTheirFramesPixelsOnBothMonitors)
{
    // Qt works in device pixels, yet its text grows with the resolution setting.
    EXPECT_EQ(scaledScreen(), std::nullopt) << scaledScreen().value_or("");
    for (const QScreen* screen : QGuiApplication::screens()) {
        EXPECT_EQ(screen->logicalDotsPerInch(), 144) << screen->name().toStdString();
    }

    // Translucent panels map even when they draw nothing; without a compositor an empty one
    // would stay unmapped. Where a window lies does not depend on the compositor.
    factory->setCompositorActive(true);
    // The right monitor's usable area is the whole monitor; the left one's ends above the
    // 30-pixel panel.
    auto onRight = make(veilPanelConfiguration(right));
    auto onLeft = make(veilPanelConfiguration(left));
    for (const auto& panel : {onRight, onLeft}) {
        panel->setContentView(std::make_shared<OverlayView>(
            Rect{0, 0, panel->frame().width(), panel->frame().height()}));
        panel->orderFrontRegardless();
        EXPECT_EQ(panel->backingScaleFactor(), kScale);
    }
    const PixelRect rightPixels{1280, 0, 1280, 800};
    const PixelRect leftPixels{0, 0, 1280, 770};
    const auto placedRight = placedAt(*onRight, rightPixels);
    const auto placedLeft = placedAt(*onLeft, leftPixels);
    EXPECT_EQ(placedRight, rightPixels) << describe(placedRight);
    EXPECT_EQ(placedLeft, leftPixels) << describe(placedLeft);
    // Those pixels are the frames the panels were given, in the system adapter's points.
    EXPECT_EQ(screens->coordinates().toPoints(rightPixels), right.visibleFrame);
    EXPECT_EQ(screens->coordinates().toPoints(leftPixels), left.visibleFrame);

    // A frame moved across the monitors' boundary follows in pixels.
    onRight->setFrame(Rect{800, 100, 200, 300});
    const PixelRect across{1200, 200, 300, 450};
    const auto placedAcross = placedAt(*onRight, across);
    EXPECT_EQ(placedAcross, across) << describe(placedAcross);
}

TEST_F(QtPanelScaleDesktopTest, TheVeilsHoleLiesOnAWindowOnTheRightMonitor)
{
    ASSERT_TRUE(desktopScript("compositor-start"));
    factory->setCompositorActive(true);
    // An all-blue terminal at odd pixels, which fall between points.
    x11::testing::SpawnedProcess terminal({"xterm", "-T", "halomark-scale-target", "-bg", "blue",
                                           "-fg", "blue", "-cr", "blue", "-geometry",
                                           "60x20+1481+151", "-e", "sleep", "600"});
    xcb_window_t window = XCB_WINDOW_NONE;
    const auto pid = static_cast<std::uint32_t>(terminal.pid());
    ASSERT_TRUE(testing::runEventsUntil(
        [&] {
            for (std::uint32_t candidate : x11::testing::managedWindows(*connection)) {
                if (x11::testing::cardinals(*connection, candidate, "_NET_WM_PID") ==
                    std::vector{pid}) {
                    window = candidate;
                }
            }
            return window != XCB_WINDOW_NONE;
        },
        10000));
    runEventsFor(300);
    const auto pixels = rootGeometry(*connection, window);
    ASSERT_TRUE(pixels);
    ASSERT_GE(pixels->x, 1280) << describe(pixels);

    // The hole over the window as the core has it: the window's frame in points, in the
    // coordinates of a veil over the right monitor.
    auto veil = make(veilPanelConfiguration(right));
    auto view = std::make_shared<FocusCueDimmingView>(
        Rect{0, 0, right.visibleFrame.width(), right.visibleFrame.height()}, [] { return 14; });
    const Rect windowPoints = screens->coordinates().toPoints(*pixels);
    view->holeFrame = Rect{windowPoints.minX() - right.visibleFrame.minX(),
                           windowPoints.minY() - right.visibleFrame.minY(), windowPoints.width(),
                           windowPoints.height()};
    view->setWindow(veil);
    veil->setContentView(view);
    veil->orderFrontRegardless();
    ASSERT_TRUE(view->pixelAlignedHole());

    // Each free side of the hole lies its inset inside the window's edge, to the pixel: the
    // last pixel before it is veiled and the first one past it is clear.
    const int inset = static_cast<int>(FocusCueDimmingView::freeSideInsetPixels);
    const int middleX = pixels->x + pixels->width / 2;
    const int middleY = pixels->y + pixels->height / 2;
    struct Side
    {
        const char* name;
        QPoint veiled;
        QPoint clear;
    };
    const Side sides[] = {
        {"left", {pixels->x + inset - 1, middleY}, {pixels->x + inset, middleY}},
        {"right", {pixels->right() - inset, middleY}, {pixels->right() - inset - 1, middleY}},
        {"top", {middleX, pixels->y + inset - 1}, {middleX, pixels->y + inset}},
        {"bottom", {middleX, pixels->bottom() - inset}, {middleX, pixels->bottom() - inset - 1}},
    };
    const QColor blue(0, 0, 255);
    const QColor veiledBlue(128, 128, 255);
    const auto matches = [&](const QImage& shot) {
        for (const Side& side : sides) {
            if (!nearColor(shot.pixelColor(side.veiled), veiledBlue, 6) ||
                !nearColor(shot.pixelColor(side.clear), blue, 2)) {
                return false;
            }
        }
        return true;
    };
    // The compositor takes a moment to compose its first frames: look until the screen
    // settles on the expected picture or time runs out.
    QImage shot;
    testing::runEventsUntil(
        [&] {
            shot = screenshot(QStringLiteral("scaled-veil-hole"));
            return matches(shot);
        },
        10000);
    for (const Side& side : sides) {
        EXPECT_TRUE(nearColor(shot.pixelColor(side.veiled), veiledBlue, 6))
            << side.name << " outside: " << describe(shot.pixelColor(side.veiled));
        EXPECT_TRUE(nearColor(shot.pixelColor(side.clear), blue, 2))
            << side.name << " inside: " << describe(shot.pixelColor(side.clear));
    }
    veil->orderOut();
    veil.reset();
    terminal.stop();

    checkSelectionDragOnTheRightMonitor();
    EXPECT_TRUE(desktopScript("compositor-stop"));
}

TEST_F(QtPanelScaleDesktopTest, WithoutACompositorASelectionDragStillReachesTheViewInPoints)
{
    ASSERT_TRUE(desktopScript("compositor-stop"));
    factory->setCompositorActive(false);
    // The drag now goes through the input window over the panel's pixels.
    checkSelectionDragOnTheRightMonitor();
}

} // namespace
} // namespace halomark::qt

// Sets Xft.dpi to 144 before Qt starts, as a user's desktop does, and removes it at the end.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests)) {
        return RUN_ALL_TESTS();
    }
    if (const auto problem = halomark::x11::testing::loadDesktopEnvironment()) {
        std::fprintf(stderr, "%s\n", problem->c_str());
        return 1;
    }
    if (!halomark::x11::testing::sh("echo 'Xft.dpi: 144' | xrdb -nocpp -merge")) {
        std::fputs("cannot set Xft.dpi with xrdb\n", stderr);
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    int code = 0;
    {
        halomark::qt::DevicePixelEnvironment devicePixels;
        QApplication application(argc, argv);
        devicePixels.restore();
        QApplication::setQuitOnLastWindowClosed(false);
        code = RUN_ALL_TESTS();
    }
    halomark::x11::testing::sh("xprop -root -remove RESOURCE_MANAGER");
    return code;
}
