// Shows the active-window highlight: one click-through veil panel per display over its
// usable area, and on every display that the active window overlaps enough, a veil with a
// hole at the window. Other displays stay unmasked. Veils appear, move and vanish at once.
// Panels are made the first time a show finds their display, reused across hides, and
// dropped by the first show after their display has gone.
#pragma once

#include "focus/focus_cue_dimming_view.h"
#include "platform/geometry.h"
#include "platform/panel.h"
#include "platform/screen_list.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace halomark {

// The veil of one display: its panel and that panel's content view.
struct ScreenOverlay
{
    std::shared_ptr<Panel> panel;
    std::shared_ptr<FocusCueDimmingView> view;
};

class FocusCueOverlayController
{
public:
    // Smaller windows are never highlighted.
    static constexpr double minimumWindowWidth = 80;
    static constexpr double minimumWindowHeight = 50;
    // The window must overlap some display's whole frame by this much to be highlighted.
    static constexpr double minimumScreenOverlapWidth = 40;
    static constexpr double minimumScreenOverlapHeight = 30;
    // A display is veiled only where its panel holds at least this much of the window.
    static constexpr double minimumPanelOverlap = 20;
    // Differences up to these are noise: panels are not reframed, holes not redrawn.
    static constexpr double panelFrameTolerance = 0.25;
    static constexpr double holeTolerance = 0.1;

    // The provider answers the operating system's major version for the views' corners.
    FocusCueOverlayController(ScreenList& screens, PanelFactory& panels,
                              std::function<int()> operatingSystemMajorVersion);

    // Highlights the window at the frame (global bottom-left coordinates), or hides
    // everything when the window is too small or lies almost entirely off every display.
    void show(const Rect& activeWindowFrame);

    // Orders every veil out; the panels stay for the next show.
    void hide();

    // Panels follow the current displays: gone displays lose theirs, new ones get one (not
    // yet ordered front), moved or resized usable areas reframe theirs.
    void synchronizeOverlays();

    // Holes and visibility follow the active window frame; nothing while hidden.
    void updateHoles();

    // The veil of every display found by a show, by display identifier.
    const std::map<DisplayIdentifier, ScreenOverlay>& overlays() const { return screenOverlays; }

    // The window being highlighted; nothing while hidden.
    std::optional<Rect> activeWindowFrame() const { return windowFrame; }

private:
    // A show reads the displays once and hands the same list to both steps.
    void synchronizeOverlays(const std::vector<Screen>& current);
    void updateHoles(const std::vector<Screen>& current);
    ScreenOverlay makeOverlay(const Screen& screen);

    ScreenList& screens;
    PanelFactory& panelFactory;
    std::function<int()> operatingSystemMajorVersion;
    std::map<DisplayIdentifier, ScreenOverlay> screenOverlays;
    std::optional<Rect> windowFrame;
};

} // namespace halomark
