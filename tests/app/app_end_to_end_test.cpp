// The whole application on the simulated platform, used as a person would use it: launched
// with an empty settings store, driven with the keyboard, the mouse and the status menu, and
// quit from the menu. Everything below the shell is the real code.
#include "app_test_platform.h"
#include "focus/focus_cue_dimming_view.h"
#include "locator/ring_animation_view.h"
#include "selection/range_selection_capture_view.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace halomark {
namespace {

using app_test::browserFrame;
using app_test::browserPid;
using app_test::browserWindow;
using app_test::editorFrame;

class ApplicationSessionTest : public app_test::ShellTest
{
protected:
    // The window the veil is cut around, as the one veil on screen shows it, in global
    // coordinates; nothing without exactly one veil with a hole.
    std::optional<Rect> highlightedFrame() const
    {
        const auto veils = sim.visiblePanels(PanelKind::veil);
        if (veils.size() != 1) {
            return std::nullopt;
        }
        const auto view = std::dynamic_pointer_cast<FocusCueDimmingView>(veils[0]->contentView());
        if (!view || !view->holeFrame) {
            return std::nullopt;
        }
        const Rect panel = veils[0]->frame();
        const Rect hole = *view->holeFrame;
        return Rect{hole.minX() + panel.minX(), hole.minY() + panel.minY(), hole.width(),
                    hole.height()};
    }
};

TEST_F(ApplicationSessionTest, FromFirstLaunchThroughTheThreeCuesToQuit)
{
    // First launch with an empty store: both monitors poll.
    launch();
    EXPECT_EQ(sim.loop.activeTimerCount(), 2);

    // The active window is highlighted as soon as the monitor has looked.
    sim.wait(0.1);
    EXPECT_EQ(sim.visible(PanelKind::veil), 1u);
    EXPECT_EQ(highlightedFrame(), editorFrame);

    // A Command tap shows one ring at the pointer, which goes away by itself.
    sim.input.movePointer({500, 400});
    sim.tapCommand();
    sim.wait(0.05);
    ASSERT_EQ(sim.visible(PanelKind::ring), 1u);
    auto ring = sim.visiblePanels(PanelKind::ring)[0];
    auto view = std::dynamic_pointer_cast<RingAnimationView>(ring->contentView());
    ASSERT_TRUE(view);
    ASSERT_FALSE(view->generatedLayers().empty());
    EXPECT_EQ(view->generatedLayers()[0]->frame.midX(), 500);
    EXPECT_EQ(view->generatedLayers()[0]->frame.midY(), 400);
    sim.wait(1.0);
    EXPECT_EQ(sim.visible(PanelKind::ring), 0u);

    // Command+Tab to the browser moves the highlight to the browser's window.
    sim.commandTab(browserPid, browserWindow);
    sim.wait(0.3);
    EXPECT_EQ(highlightedFrame(), browserFrame);
    EXPECT_EQ(sim.visible(PanelKind::ring), 0u); // Command+Tab is no tap

    // Holding Command and dragging draws a rectangle that fades; the Command press shows no
    // ring.
    const int panelsBefore = sim.panels.createdCount();
    ASSERT_TRUE(sim.commandDrag({200, 200}, {420, 330}));
    ASSERT_EQ(sim.visible(PanelKind::selection), 1u);
    const auto selection = sim.visiblePanels(PanelKind::selection)[0];
    EXPECT_EQ(selection->ignoresMouseEvents(), true); // clicks pass while it fades
    const auto capture =
        std::dynamic_pointer_cast<RangeSelectionCaptureView>(selection->contentView());
    ASSERT_TRUE(capture);
    EXPECT_TRUE(capture->hasFinishedSelection());
    EXPECT_TRUE(capture->hasVisibleSelection());
    EXPECT_FALSE(capture->foregroundLayer->hidden);
    const Rect drawn = capture->foregroundLayer->path.boundingBox();
    EXPECT_NEAR(drawn.minX(), 200, 3);
    EXPECT_NEAR(drawn.minY(), 200, 3);
    EXPECT_NEAR(drawn.maxX(), 420, 3);
    EXPECT_NEAR(drawn.maxY(), 330, 3);
    sim.wait(2.0);
    EXPECT_EQ(sim.visible(PanelKind::selection), 0u);
    EXPECT_EQ(sim.visible(PanelKind::ring), 0u);
    EXPECT_EQ(sim.panels.createdCount(), panelsBefore + 1); // the selection panel only

    // The monitors keep polling while a dialog is up: a tap under the dialog shows its ring.
    std::size_t ringsUnderTheDialog = 0;
    sim.alerts.setResponder([&](const Alert&) {
        sim.tapCommand();
        sim.wait(0.05);
        ringsUnderTheDialog = sim.visible(PanelKind::ring);
        return alertFirstButtonReturn;
    });
    ASSERT_TRUE(choose({text(Key::howToUse)}));
    EXPECT_EQ(ringsUnderTheDialog, 1u);
    sim.wait(1.0);

    // From here on the menu is in Japanese.
    ASSERT_TRUE(choose({"Language", "日本語"}));

    // The master switch off: no ring, no highlight, no selection.
    ASSERT_TRUE(choose({text(Key::enableHalomark)}));
    EXPECT_EQ(sim.visible(PanelKind::veil), 0u);
    EXPECT_EQ(sim.loop.activeTimerCount(), 0);
    sim.tapCommand();
    sim.wait(1.0);
    EXPECT_EQ(sim.visible(PanelKind::ring), 0u);
    ASSERT_TRUE(choose({text(Key::enableHalomark)}));
    sim.wait(0.2);
    EXPECT_EQ(highlightedFrame(), browserFrame);

    // Quit from the menu stops every monitor and takes every overlay away.
    sim.tapCommand();
    sim.wait(0.05);
    ASSERT_EQ(sim.visible(PanelKind::ring), 1u);
    ASSERT_TRUE(choose({text(Key::quitHalomark)}));
    EXPECT_TRUE(sim.application.isTerminated());
    EXPECT_FALSE(delegate->appModel->monitor->isRunning());
    EXPECT_FALSE(delegate->appModel->focusCueMonitor->isRunning());
    EXPECT_EQ(sim.loop.activeTimerCount(), 0);
    EXPECT_TRUE(sim.panels.frontToBack().empty());
    sim.tapCommand();
    sim.wait(1.0);
    EXPECT_TRUE(sim.panels.frontToBack().empty());
}

TEST_F(ApplicationSessionTest, TheLoginItemInEachOfItsFourStates)
{
    launch();
    auto& service = sim.loginItems;
    const std::string title = text(Key::launchAtLogin);
    const auto mark = [&] { return items()[4].state; };
    const auto errorAlert = [&](const std::string& description) {
        return Alert{
            "Could not update Launch at Login", description, AlertStyle::informational, {"OK"}};
    };

    // Not registered: choosing registers, and the mark follows the service.
    EXPECT_EQ(mark(), MenuItemState::off);
    ASSERT_TRUE(choose({title}));
    EXPECT_EQ(service.registerCount(), 1);
    EXPECT_EQ(mark(), MenuItemState::on);

    // Enabled: choosing unregisters; a refusal is shown with the service's own words and the
    // mark stays as the service reports.
    service.failNextUnregister("The autostart entry could not be removed.");
    ASSERT_TRUE(choose({title}));
    EXPECT_EQ(service.unregisterCount(), 1);
    ASSERT_EQ(sim.alerts.shown().size(), 1u);
    EXPECT_EQ(sim.alerts.shown()[0], errorAlert("The autostart entry could not be removed."));
    EXPECT_EQ(mark(), MenuItemState::on);
    ASSERT_TRUE(choose({title}));
    EXPECT_EQ(service.unregisterCount(), 2);
    EXPECT_EQ(mark(), MenuItemState::off);

    // Waiting for approval: no mark; choosing asks to register again, and the mark follows
    // what the service then reports (still waiting here).
    service.setStatus(LoginItemStatus::requiresApproval);
    service.setStatusAfterRegistering(LoginItemStatus::requiresApproval);
    ASSERT_TRUE(choose({text(Key::color), text(Key::colorRed)})); // any rebuild
    EXPECT_EQ(mark(), MenuItemState::off);
    ASSERT_TRUE(choose({title}));
    EXPECT_EQ(service.registerCount(), 2);
    EXPECT_EQ(service.unregisterCount(), 2);
    EXPECT_EQ(mark(), MenuItemState::off);

    // Not found, and the service refuses: the alert, in the current language, and no mark.
    service.setStatus(LoginItemStatus::notFound);
    service.failNextRegister("Halomark is not installed where the session can start it.");
    ASSERT_TRUE(choose({title}));
    EXPECT_EQ(service.registerCount(), 3);
    ASSERT_EQ(sim.alerts.shown().size(), 2u);
    EXPECT_EQ(sim.alerts.shown()[1],
              errorAlert("Halomark is not installed where the session can start it."));
    EXPECT_EQ(mark(), MenuItemState::off);

    // A change made outside shows only after the next rebuild.
    service.setStatus(LoginItemStatus::enabled);
    EXPECT_EQ(mark(), MenuItemState::off);
    ASSERT_TRUE(choose({text(Key::language), "Español"}));
    EXPECT_EQ(mark(), MenuItemState::on);
    EXPECT_EQ(items()[4].title, "Abrir al iniciar sesión");
}

} // namespace
} // namespace halomark
