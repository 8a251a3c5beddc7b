#include "focus/focus_cue_overlay_controller.h"

#include "platform/panel_configuration.h"

#include <algorithm>
#include <cmath>

namespace halomark {
namespace {

// Whether every one of minX, minY, width and height differs by no more than the tolerance.
bool nearlyEqual(const Rect& a, const Rect& b, double tolerance)
{
    return std::abs(a.minX() - b.minX()) <= tolerance &&
           std::abs(a.minY() - b.minY()) <= tolerance &&
           std::abs(a.width() - b.width()) <= tolerance &&
           std::abs(a.height() - b.height()) <= tolerance;
}

Rect viewFrame(const Rect& visibleFrame)
{
    return Rect{0, 0, visibleFrame.width(), visibleFrame.height()};
}

} // namespace

FocusCueOverlayController::FocusCueOverlayController(
    ScreenList& screens, PanelFactory& panels, std::function<int()> operatingSystemMajorVersion)
    : screens(screens), panelFactory(panels),
      operatingSystemMajorVersion(std::move(operatingSystemMajorVersion))
{}

void FocusCueOverlayController::show(const Rect& activeWindowFrame)
{
    const Rect& f = activeWindowFrame;
    // Written so that a frame that is not a number fails and hides.
    if (!(f.width() >= minimumWindowWidth) || !(f.height() >= minimumWindowHeight)) {
        hide();
        return;
    }
    const std::vector<Screen> current = screens.screens();
    const bool onSomeScreen = std::any_of(current.begin(), current.end(), [&](const Screen& s) {
        const Rect overlap = intersection(f, s.frame);
        return !overlap.isEmpty() && overlap.width() >= minimumScreenOverlapWidth &&
               overlap.height() >= minimumScreenOverlapHeight;
    });
    if (!onSomeScreen) {
        hide();
        return;
    }
    windowFrame = f;
    synchronizeOverlays(current);
    updateHoles(current);
}

void FocusCueOverlayController::hide()
{
    windowFrame.reset();
    for (const auto& entry : screenOverlays) {
        entry.second.panel->orderOut();
    }
}

void FocusCueOverlayController::synchronizeOverlays()
{
    synchronizeOverlays(screens.screens());
}

void FocusCueOverlayController::updateHoles()
{
    updateHoles(screens.screens());
}

ScreenOverlay FocusCueOverlayController::makeOverlay(const Screen& screen)
{
    const PanelConfiguration configuration = veilPanelConfiguration(screen);
    ScreenOverlay overlay;
    overlay.panel = panelFactory.makePanel(configuration);
    applyPanelSettings(*overlay.panel, configuration);
    overlay.view = std::make_shared<FocusCueDimmingView>(viewFrame(screen.visibleFrame),
                                                         operatingSystemMajorVersion);
    overlay.panel->setContentView(overlay.view);
    overlay.view->setWindow(overlay.panel);
    return overlay;
}

void FocusCueOverlayController::synchronizeOverlays(const std::vector<Screen>& current)
{
    std::erase_if(screenOverlays, [&](const auto& entry) {
        const bool present = std::any_of(current.begin(), current.end(), [&](const Screen& s) {
            return displayIdentifier(s) == entry.first;
        });
        if (!present) {
            entry.second.panel->orderOut();
        }
        return !present;
    });

    for (const Screen& screen : current) {
        const Rect& v = screen.visibleFrame;
        // A display without a usable area gets no panel, and one it has keeps its frame.
        if (!(v.width() > 0) || !(v.height() > 0)) {
            continue;
        }
        const DisplayIdentifier id = displayIdentifier(screen);
        const auto found = screenOverlays.find(id);
        if (found == screenOverlays.end()) {
            screenOverlays.emplace(id, makeOverlay(screen));
            continue;
        }
        const ScreenOverlay& overlay = found->second;
        if (!nearlyEqual(overlay.panel->frame(), v, panelFrameTolerance)) {
            overlay.panel->setFrame(v);
            overlay.view->setFrame(viewFrame(v));
            overlay.view->setNeedsDisplay();
        }
    }
}

void FocusCueOverlayController::updateHoles(const std::vector<Screen>& current)
{
    if (!windowFrame) {
        return;
    }
    for (const Screen& screen : current) {
        const auto found = screenOverlays.find(displayIdentifier(screen));
        if (found == screenOverlays.end()) {
            continue;
        }
        const ScreenOverlay& overlay = found->second;
        FocusCueDimmingView& view = *overlay.view;
        const Rect p = overlay.panel->frame();
        const Rect overlap = intersection(*windowFrame, p);
        if (overlap.isEmpty() || overlap.width() < minimumPanelOverlap ||
            overlap.height() < minimumPanelOverlap) {
            if (view.holeFrame) {
                view.holeFrame.reset();
                view.setNeedsDisplay();
            }
            overlay.panel->orderOut();
            continue;
        }
        const Rect hole{overlap.minX() - p.minX(), overlap.minY() - p.minY(), overlap.width(),
                        overlap.height()};
        if (view.holeFrame && nearlyEqual(*view.holeFrame, hole, holeTolerance)) {
            overlay.panel->orderFrontRegardless();
            continue;
        }
        view.holeFrame = hole;
        view.setNeedsDisplay();
        overlay.panel->orderFrontRegardless();
        // A dragged window's hole follows it pass by pass: draw before returning.
        overlay.panel->displayIfNeeded();
    }
}

} // namespace halomark
