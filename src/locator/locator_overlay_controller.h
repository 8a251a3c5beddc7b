// Shows the pointer locator: each request covers the display under the pointer with a
// click-through ring panel, plays one ring centred on the pointer and then removes the
// panel. Panels of quick successive requests live side by side, each for its own ring.
// Own it through a shared_ptr: ring completions hold it weakly.
#pragma once

#include "locator/appearance_settings.h"
#include "platform/geometry.h"
#include "platform/input_state.h"
#include "platform/main_loop.h"
#include "platform/panel.h"
#include "platform/screen_list.h"
#include "platform/uuid.h"

#include <map>
#include <memory>
#include <optional>
#include <string>

namespace halomark {

class LocatorOverlayController : public std::enable_shared_from_this<LocatorOverlayController>
{
public:
    LocatorOverlayController(MainLoop& mainLoop, InputState& input, ScreenList& screens,
                             PanelFactory& panels, const AppearanceSettings& appearanceSettings);

    // Shows one ring at the current pointer location; nothing when there is no screen.
    void showAtPointer();

    // Takes every ring panel off screen at once and forgets it. The rings play on unseen and
    // their completions find nothing left to do.
    void hideAll();

    // The completion of one ring: orders its panel out and forgets it; nothing when the
    // identifier is no longer known.
    void dismissPanel(const std::string& id);

    // The screen whose frame holds the point, else the main screen, else nothing.
    std::optional<Screen> screen(Point point);

    // Every ring panel on screen or still animating, under its random identifier. The map
    // owns the panels: an entry's removal releases its panel.
    const std::map<std::string, std::shared_ptr<Panel>>& activePanels() const { return panels; }

private:
    MainLoop& mainLoop;
    InputState& input;
    ScreenList& screens;
    PanelFactory& panelFactory;
    const AppearanceSettings& appearanceSettings;
    UuidGenerator uuids;
    std::map<std::string, std::shared_ptr<Panel>> panels;
};

} // namespace halomark
