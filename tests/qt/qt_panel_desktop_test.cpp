// The overlay panels on a real X server with a window manager, with and without a compositor:
// clicks go through click-through panels to the window below without changing the active
// window, a panel that takes the mouse takes it, the veil blends over a window, and without a
// compositor nothing hides the screen.
#include "desktop.h"
#include "event_loop.h"

#include "focus/focus_cue_dimming_view.h"
#include "locator/appearance_settings.h"
#include "locator/ring_animation_view.h"
#include "platform/panel_configuration.h"
#include "qt/qt_main_loop.h"
#include "qt/qt_panel.h"
#include "selection/range_selection_capture_view.h"
#include "sim/sim_screen_list.h"
#include "sim/sim_settings_store.h"

#include <QRect>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace halomark::qt {
namespace {

namespace e2e = x11::testing;
using e2e::BlueTerminal;
using e2e::DesktopScreen;
using e2e::Image;
using e2e::Rgb;
using testing::runEventsFor;
using x11::testing::desktopScript;

// Windows on the shared X desktop can take longer to settle than offscreen ones.
bool runEventsUntil(const std::function<bool()>& condition, int limitMilliseconds = 5000)
{
    return testing::runEventsUntil(condition, limitMilliseconds);
}

constexpr e2e::PixelRect kBothMonitors{0, 0, 2560, 800};
constexpr Rgb kBlue{0, 0, 255};

class QtPanelDesktopTest : public ::testing::Test
{
protected:
    // The target: a blue terminal at (700, 150) that records the clicks it gets, active.
    void SetUp() override
    {
        // The fixture's two monitors; the panel's strut takes 30 pixels off the left one.
        Screen left =
            sim::SimScreenList::makeScreen(1, {0, 0, 1280, 800}, 1.0, Rect{0, 30, 1280, 770});
        Screen right =
            sim::SimScreenList::makeScreen(2, {1280, 0, 1280, 800}, 1.0, Rect{1280, 0, 1280, 800});
        screens.setScreens({left, right});
        terminal =
            std::make_unique<BlueTerminal>(screen, folder.path(), "halomark-qt-target", 700, 150);
        ASSERT_TRUE(terminal->waitForWindow() && terminal->activate())
            << "the target xterm did not come up";
        const auto area = terminal->clientArea();
        ASSERT_TRUE(area && area->width > 100);
        target = QRect(area->x, area->y, area->width, area->height);
    }

    void TearDown() override
    {
        if (HasFailure()) {
            const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
            e2e::saveScreenshot(std::string(HALOMARK_SCREENSHOT_DIR "/") + test->name() + ".png");
        }
    }

    std::shared_ptr<QtPanel> make(const PanelConfiguration& configuration)
    {
        auto panel = std::dynamic_pointer_cast<QtPanel>(factory.makePanel(configuration));
        applyPanelSettings(*panel, configuration);
        return panel;
    }

    // A veil over the left monitor's usable area with its hole over the right half of the
    // target window.
    std::shared_ptr<QtPanel> showVeil()
    {
        auto veil = make(veilPanelConfiguration(screens.screens()[0]));
        auto view = std::make_shared<FocusCueDimmingView>(Rect{0, 0, 1280, 770}, [] { return 14; });
        const QRect r = target;
        // View coordinates: bottom-left of the 770-point-high area that starts 30 points up.
        view->holeFrame = Rect{
            static_cast<double>(r.center().x()), static_cast<double>(800 - r.bottom() - 1 - 30),
            static_cast<double>(r.right() + 1 - r.center().x()), static_cast<double>(r.height())};
        view->setWindow(veil);
        veil->setContentView(view);
        veil->orderFrontRegardless();
        veilView = view;
        return veil;
    }

    Rgb pixel(QPoint at) { return screen.pixel(at.x(), at.y()); }

    bool click(QPoint at)
    {
        return e2e::movePointer(at.x(), at.y()) && e2e::xdotool({"click", "1"});
    }

    // Clicks on the veil just left of its hole, over the target, reach the target; the active
    // window stays; the selection panel then takes a press there and the target gets nothing.
    void checkClicksPassThroughAndAreTaken()
    {
        const Screen left = screens.screens()[0];
        const xcb_window_t active = screen.activeWindow();
        auto veil = showVeil();
        auto ring = make(ringPanelConfiguration(left)); // a click-through panel over everything
        ring->setContentView(std::make_shared<OverlayView>(Rect{0, 0, 1280, 800}));
        ring->orderFrontRegardless();
        runEventsFor(300);

        // On the veil just left of the hole: without a compositor that is the veil's frame.
        const QPoint onVeil(target.center().x() + 1, target.center().y());
        if (veil->showsOutlineOnly()) {
            ASSERT_TRUE(
                veil->outlineShape().contains(onVeil - veil->widget()->geometry().topLeft()));
        }
        ASSERT_TRUE(click(onVeil));
        EXPECT_TRUE(runEventsUntil([&] { return terminal->pressesReceived() > 0; }))
            << "the click did not reach the window below";
        EXPECT_EQ(screen.activeWindow(), active);

        auto selection = make(selectionPanelConfiguration(left));
        auto view = std::make_shared<RangeSelectionCaptureView>(Rect{0, 0, 1280, 800}, settings);
        bool finished = false;
        view->onSelectionFinished = [&](bool) { finished = true; };
        selection->setContentView(view);
        selection->orderFrontRegardless();
        runEventsFor(300);
        const std::string before = terminal->reports();
        ASSERT_TRUE(e2e::xdotool({"mousemove", "300", "300", "mousedown", "1", "mousemove", "400",
                                  "350", "mouseup", "1"}));
        EXPECT_TRUE(runEventsUntil([&] { return finished; }))
            << "the selection panel took no press";
        EXPECT_EQ(view->startPoint(), (Point{300, 500}));
        runEventsFor(200);
        EXPECT_EQ(terminal->reports(), before) << "a click went through the selection panel";
        EXPECT_EQ(screen.activeWindow(), active);
    }

    e2e::TemporaryFolder folder;
    DesktopScreen screen;
    std::unique_ptr<BlueTerminal> terminal;
    QRect target; // the terminal's area, in X coordinates
    QtMainLoop loop;
    sim::SimScreenList screens;
    QtPanelFactory factory{loop, screens};
    sim::SimSettingsStore store;
    AppearanceSettings settings{store};
    std::shared_ptr<FocusCueDimmingView> veilView;
};

TEST_F(QtPanelDesktopTest, WithACompositorClicksPassAndTheVeilBlendsOverTheWindow)
{
    ASSERT_TRUE(desktopScript("compositor-start"));
    factory.setCompositorActive(true);

    auto veil = showVeil();
    const QPoint veiled(target.left() + 40, target.center().y());
    const QPoint inHole(target.right() - 40, target.center().y());
    // The compositor takes a moment to compose its first frames after it starts, and the
    // veil to show: look until the screen settles on the expected picture or time runs out.
    const auto blended = [&] { return e2e::near(pixel(veiled), e2e::veiled(kBlue), 6); };
    const auto clearHole = [&] { return e2e::near(pixel(inHole), kBlue, 2); };
    runEventsUntil([&] { return blended() && clearHole(); }, 10000);
    EXPECT_TRUE(blended()) << e2e::describe(pixel(veiled));
    EXPECT_TRUE(clearHole()) << e2e::describe(pixel(inHole));

    // A fade reaches the screen step by step while nothing else happens in the loop: the
    // veiled pixel passes through colours between the veil's and the window's own.
    bool faded = false;
    veil->animateAlphaValue(0, 0.8, TimingFunction::linear(), [&] { faded = true; });
    const Rgb half{64, 64, 255};
    EXPECT_TRUE(runEventsUntil([&] { return e2e::near(pixel(veiled), half, 40); }, 700))
        << "no step of the fade was shown; " << e2e::describe(pixel(veiled));
    EXPECT_TRUE(runEventsUntil([&] { return faded; }));
    veil->orderOut();
    veil.reset();

    checkClicksPassThroughAndAreTaken();
    EXPECT_TRUE(desktopScript("compositor-stop"));
}

TEST_F(QtPanelDesktopTest, WithoutACompositorNothingHidesTheScreenAndClicksStillPass)
{
    ASSERT_TRUE(desktopScript("compositor-stop"));
    factory.setCompositorActive(false);
    // Once the compositor is gone the windows repaint themselves: wait for a settled screen.
    Image before = screen.grab(kBothMonitors);
    runEventsUntil(
        [&] {
            runEventsFor(100);
            Image again = screen.grab(kBothMonitors);
            std::swap(before, again);
            return before.differingPixels(again) == 0;
        },
        10000);

    // The veil and a ring in the middle of the target window.
    auto veil = showVeil();
    auto ring = make(ringPanelConfiguration(screens.screens()[0]));
    auto rings = std::make_shared<RingAnimationView>(Rect{0, 0, 1280, 800}, loop, settings);
    ring->setContentView(rings);
    ring->orderFrontRegardless();
    const QPoint centre(target.left() + 120, target.center().y());
    bool ringDone = false;
    rings->animate({static_cast<double>(centre.x()), static_cast<double>(800 - centre.y())},
                   [&] { ringDone = true; });
    runEventsFor(200);
    const Image during = screen.grab(kBothMonitors);
    const auto at = [&](QPoint p) { return during.at(p.x(), p.y()); };

    // Only a few pixels changed: the veil's frame and the ring's strokes.
    const std::int64_t changed = during.differingPixels(before);
    EXPECT_LT(changed, std::int64_t{kBothMonitors.width} * kBothMonitors.height / 100) << changed;
    // The window stays visible next to the frame, in the hole and inside the ring.
    const QPoint veiled(target.left() + 40, target.bottom() - 20);
    EXPECT_EQ(at(veiled), kBlue) << e2e::describe(at(veiled));
    EXPECT_EQ(at({target.right() - 40, target.center().y()}), kBlue);
    EXPECT_EQ(at(centre), kBlue);
    // The frame left of the hole is opaque white.
    const QPoint frame(target.center().x() + 1, target.center().y());
    EXPECT_EQ(at(frame), (Rgb{255, 255, 255})) << e2e::describe(at(frame));
    ASSERT_TRUE(runEventsUntil([&] { return ringDone; }));
    veil->orderOut();
    ring->orderOut();
    veil.reset();
    ring.reset();
    runEventsFor(200);

    // The armed selection panel shows nothing at all.
    auto selection = make(selectionPanelConfiguration(screens.screens()[0]));
    selection->setContentView(
        std::make_shared<RangeSelectionCaptureView>(Rect{0, 0, 1280, 800}, settings));
    selection->orderFrontRegardless();
    runEventsFor(300);
    EXPECT_EQ(screen.grab(kBothMonitors).differingPixels(before), 0);
    selection->orderOut();
    selection.reset();

    checkClicksPassThroughAndAreTaken();
}

} // namespace
} // namespace halomark::qt
