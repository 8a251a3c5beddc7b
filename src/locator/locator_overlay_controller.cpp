#include "locator/locator_overlay_controller.h"

#include "locator/ring_animation_view.h"
#include "platform/panel_configuration.h"

namespace halomark {

LocatorOverlayController::LocatorOverlayController(MainLoop& mainLoop, InputState& input,
                                                   ScreenList& screens, PanelFactory& panels,
                                                   const AppearanceSettings& appearanceSettings)
    : mainLoop(mainLoop), input(input), screens(screens), panelFactory(panels),
      appearanceSettings(appearanceSettings)
{}

std::optional<Screen> LocatorOverlayController::screen(Point point)
{
    return screenContaining(screens, point);
}

void LocatorOverlayController::showAtPointer()
{
    const Point pointer = input.mouseLocation();
    const auto target = screen(pointer);
    if (!target) {
        return;
    }
    const Rect f = target->frame;
    const PanelConfiguration configuration = ringPanelConfiguration(*target);
    std::shared_ptr<Panel> panel = panelFactory.makePanel(configuration);
    applyPanelSettings(*panel, configuration);

    auto view = std::make_shared<RingAnimationView>(Rect{0, 0, f.width(), f.height()}, mainLoop,
                                                    appearanceSettings);
    panel->setContentView(view);
    // The pointer may lie outside the panel (off every screen): the ring is then drawn at
    // its offset from this screen, clipped or unseen, never moved inwards.
    const Point local{pointer.x - f.minX(), pointer.y - f.minY()};

    const std::string id = uuids.next();
    panels[id] = panel;
    panel->orderFrontRegardless();

    std::weak_ptr<LocatorOverlayController> weakSelf = weak_from_this();
    std::weak_ptr<Panel> weakPanel = panel;
    view->animate(local, [weakSelf, weakPanel, id] {
        if (auto self = weakSelf.lock()) {
            self->dismissPanel(id);
        } else if (auto orphan = weakPanel.lock()) {
            orphan->orderOut();
        }
    });
}

void LocatorOverlayController::dismissPanel(const std::string& id)
{
    const auto found = panels.find(id);
    if (found == panels.end()) {
        return;
    }
    // Out of the map first, so that the panel's release comes after its last use here.
    std::shared_ptr<Panel> panel = std::move(found->second);
    panels.erase(found);
    panel->orderOut();
}

void LocatorOverlayController::hideAll()
{
    auto hidden = std::move(panels);
    panels.clear();
    for (const auto& entry : hidden) {
        entry.second->orderOut();
    }
}

} // namespace halomark
