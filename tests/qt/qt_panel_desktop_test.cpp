// The overlay panels on both monitors of the private X desktop at Xft.dpi 144, a scale of 1.5,
// set before Qt starts as on a user's desktop and with Qt set up as the program sets it up:
// panels of a kind take turns on one window made ahead, which never shows what the last panel
// drew nor its fade; without a compositor a drag on the selection panel reaches the view in
// points through the input window that takes the mouse over the panel's pixels.
#include "desktop.h"
#include "qt_testing.h"

#include "locator/appearance_settings.h"
#include "platform/panel_configuration.h"
#include "platform/shape_layer.h"
#include "qt/qt_coordinates.h"
#include "qt/qt_main_loop.h"
#include "qt/qt_panel.h"
#include "qt/qt_screen_agreement.h"
#include "selection/range_selection_capture_view.h"
#include "sim/sim_settings_store.h"
#include "x11/xcb_panel_windowing.h"
#include "x11/xcb_screen_list.h"

#include <QApplication>
#include <QScreen>

#include <cstdio>

namespace halomark::qt {
namespace {

class QtPanelDesktopTest : public x11::testing::DesktopTest
{};

TEST_F(QtPanelDesktopTest, AtAScaleOfOneAndAHalfADragReachesTheViewInPointsThroughTheInputWindow)
{
    // Qt works in device pixels, yet its text grows with the resolution setting.
    EXPECT_EQ(scaledScreen(), std::nullopt) << scaledScreen().value_or("");
    EXPECT_EQ(QGuiApplication::primaryScreen()->logicalDotsPerInch(), 144);
    QtMainLoop loop;
    // Wired as the program wires it: the system adapter says where its points lie, and the
    // X11 windowing draws outlines and takes the mouse without a compositor.
    x11::XcbPanelWindowing windowing;
    QtPanelFactory factory(
        loop,
        [this] {
            const x11::XcbCoordinates& space = screens->coordinates();
            return QtCoordinates::global(
                QRect(space.primary.x, space.primary.y, space.primary.width, space.primary.height),
                space.scale);
        },
        &windowing);
    const Screen right = screens->screens().at(1);
    ASSERT_EQ(right.backingScaleFactor, 1.5) << "Xft.dpi 144 was not read";
    const auto viewPoint = [&](int x, int y) {
        const Point point = screens->coordinates().toPoints(x, y);
        return Point{point.x - right.frame.minX(), point.y - right.frame.minY()};
    };

    // Two rings one after the other on the window made ahead for rings: the first paints a red
    // square and fades out, the next a green one elsewhere, which shows at full alpha with no
    // red from before at any moment, though the window's image went in between; no window
    // was made on the way.
    ASSERT_TRUE(x11::testing::desktopScript("compositor-start"));
    x11::testing::DesktopScreen desktop;
    // The root is black until picom paints it grey.
    ASSERT_TRUE(waitUntil([&] { return desktop.pixel(1581, 501) != x11::testing::Rgb{}; }));
    factory.setCompositorActive(true);
    factory.keepWindowsReady({PanelKind::ring, PanelKind::selection});
    const auto ring = [&](int x, int y, Color colour) {
        auto panel =
            std::dynamic_pointer_cast<QtPanel>(factory.makePanel(ringPanelConfiguration(right)));
        applyPanelSettings(*panel, ringPanelConfiguration(right));
        auto view =
            std::make_shared<OverlayView>(Rect{0, 0, right.frame.width(), right.frame.height()});
        view->setWantsLayer(true);
        auto square = std::make_shared<ShapeLayer>();
        square->path.addRect({viewPoint(x, y).x - 20, viewPoint(x, y).y - 20, 40, 40});
        square->fillColor = colour;
        view->layer()->addSublayer(square);
        panel->setContentView(view);
        panel->orderFrontRegardless();
        return panel;
    };
    auto first = ring(1581, 501, Color::sRGB(1, 0, 0));
    EXPECT_TRUE(testing::runEventsUntil([&] { return desktop.pixel(1581, 501).red > 240; }));
    first->setAlphaValue(0);
    first->orderOut();
    first.reset();
    testing::runEventsFor(1700); // long enough that the kept window's image goes
    auto second = ring(2000, 300, Color::sRGB(0, 1, 0));
    bool stale = false;
    EXPECT_TRUE(testing::runEventsUntil([&] {
        stale = stale || desktop.pixel(1581, 501).red > 128;
        return desktop.pixel(2000, 300).green > 240;
    })) << "the reused window did not show at full alpha";
    EXPECT_FALSE(stale) << "the reused window showed the last panel's frame";
    EXPECT_EQ(factory.windowsMade(), 2) << "windows were made on the way";
    second.reset();

    // A drag between two device pixels over the black root window, without a compositor.
    ASSERT_TRUE(x11::testing::desktopScript("compositor-stop"));
    factory.setCompositorActive(false);
    sim::SimSettingsStore store;
    AppearanceSettings settings(store);
    const PanelConfiguration configuration = selectionPanelConfiguration(right);
    auto selection = std::dynamic_pointer_cast<QtPanel>(factory.makePanel(configuration));
    applyPanelSettings(*selection, configuration);
    auto view = std::make_shared<RangeSelectionCaptureView>(
        Rect{0, 0, right.frame.width(), right.frame.height()}, settings);
    bool finished = false;
    view->onSelectionFinished = [&](bool) { finished = true; };
    selection->setContentView(view);
    selection->orderFrontRegardless();
    testing::runEventsFor(300);
    ASSERT_TRUE(x11::testing::sh("xdotool mousemove 1581 501 mousedown 1 mousemove 1650 580 "
                                 "mousemove 1731 651 mouseup 1"));
    ASSERT_TRUE(testing::runEventsUntil([&] { return finished; }, 5000)) << "no drag arrived";

    // 150 by 150 pixels are 100 by 100 points, from the press's point in the view.
    const Point inView = viewPoint(1581, 501);
    ASSERT_TRUE(view->startPoint());
    EXPECT_NEAR(view->startPoint()->x, inView.x, 1e-9);
    EXPECT_NEAR(view->startPoint()->y, inView.y, 1e-9);
    const Rect drawn = view->foregroundLayer->path.boundingBox();
    EXPECT_NEAR(drawn.minX(), inView.x, 1e-9);
    EXPECT_NEAR(drawn.maxY(), inView.y, 1e-9);
    EXPECT_NEAR(drawn.width(), 100, 1e-9);
    EXPECT_NEAR(drawn.height(), 100, 1e-9);
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
