// The overlay panels on both monitors of the private X desktop at Xft.dpi 144, a scale of 1.5,
// set before Qt starts as on a user's desktop and with Qt set up as the program sets it up:
// without a compositor a drag on the selection panel reaches the view in points through the
// input window that takes the mouse over the panel's pixels.
#include "desktop.h"
#include "qt_testing.h"

#include "locator/appearance_settings.h"
#include "platform/panel_configuration.h"
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
    const Point start = screens->coordinates().toPoints(1581, 501);
    const Point inView{start.x - right.frame.minX(), start.y - right.frame.minY()};
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
