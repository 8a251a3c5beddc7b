#include "pointer_cues/pointer_cue_controller.h"

#include "platform/panel_configuration.h"
#include "pointer_cues/click_pulse_view.h"

#include <algorithm>
#include <cmath>

namespace halomark {

PointerCueController::PointerCueController(MainLoop& mainLoop, InputState& input,
                                           ScreenList& screens, PanelFactory& panels,
                                           const AppearanceSettings& appearanceSettings)
    : mainLoop(mainLoop), input(input), screens(screens), panelFactory(panels),
      appearanceSettings(appearanceSettings)
{}

void PointerCueController::setSpotlightEnabled(bool enabled)
{
    if (enabled == spotlightOn) {
        return;
    }
    spotlightOn = enabled;
    update();
}

void PointerCueController::setShowClicksEnabled(bool enabled)
{
    if (enabled == clicksOn) {
        return;
    }
    clicksOn = enabled;
    update();
}

void PointerCueController::setSuspended(bool value)
{
    if (value == suspended) {
        return;
    }
    suspended = value;
    update();
}

void PointerCueController::stop()
{
    suspended = true;
    update();
}

void PointerCueController::screensChanged()
{
    if (!spotlights.empty()) {
        hideSpotlight();
        showSpotlight();
    }
    // A monitor with another refresh rate: the sampling starts again at the new rate.
    if (timer && pollInterval() != timerInterval) {
        timer->invalidate();
        timer.reset();
        update();
    }
}

void PointerCueController::update()
{
    const bool spotlightWanted = spotlightOn && active();
    if (spotlightWanted && spotlights.empty()) {
        showSpotlight();
    } else if (!spotlightWanted) {
        hideSpotlight();
    }
    if (!clicksOn || !active()) {
        hidePulses();
    }

    const bool sampling = (spotlightOn || clicksOn) && active();
    if (sampling && !timer) {
        // A button already held when sampling starts is no press.
        for (MouseButton button : {leftButton, rightButton}) {
            wasDown[button] = input.buttonState(button);
        }
        std::weak_ptr<PointerCueController> weak = weak_from_this();
        timerInterval = pollInterval();
        timer = mainLoop.scheduleRepeating(timerInterval, [weak] {
            if (auto self = weak.lock()) {
                self->poll();
            }
        });
    } else if (!sampling && timer) {
        timer->invalidate();
        timer.reset();
    }
}

double PointerCueController::pollInterval() const
{
    double fastest = 0;
    for (const Screen& screen : screens.screens()) {
        // Beyond what any display shows, a reported rate is taken for a fault.
        if (std::isfinite(screen.refreshRate) && screen.refreshRate <= 1000) {
            fastest = std::max(fastest, screen.refreshRate);
        }
    }
    return 1.0 / (fastest >= 1 ? fastest : defaultRefreshRate);
}

void PointerCueController::poll()
{
    const Point pointer = input.mouseLocation();
    if (!spotlights.empty()) {
        followPointer(pointer);
    }
    if (!clicksOn) {
        return;
    }
    for (MouseButton button : {leftButton, rightButton}) {
        const bool down = input.buttonState(button);
        if (down && !wasDown[button]) {
            showPulse(button, pointer);
        }
        wasDown[button] = down;
    }
}

void PointerCueController::showSpotlight()
{
    const Point pointer = input.mouseLocation();
    for (const Screen& screen : screens.screens()) {
        const PanelConfiguration configuration = spotlightPanelConfiguration(screen);
        std::shared_ptr<Panel> panel = panelFactory.makePanel(configuration);
        applyPanelSettings(*panel, configuration);
        auto view = std::make_shared<SpotlightView>(
            Rect{0, 0, screen.frame.width(), screen.frame.height()});
        panel->setContentView(view);
        spotlights.push_back({screen.frame, panel, view});
    }
    followPointer(pointer);
    for (const SpotlightPanel& entry : spotlights) {
        entry.panel->orderFrontRegardless();
    }
}

void PointerCueController::hideSpotlight()
{
    auto hidden = std::move(spotlights);
    spotlights.clear();
    for (const SpotlightPanel& entry : hidden) {
        entry.panel->orderOut();
    }
}

void PointerCueController::followPointer(Point pointer)
{
    // Only the first monitor that holds the pointer lights its circle; overlapping monitors
    // (mirrors) stay dark, as do the others.
    bool lit = false;
    for (const SpotlightPanel& entry : spotlights) {
        const Rect& f = entry.screenFrame;
        if (!lit && mouseInRect(pointer, f)) {
            lit = true;
            entry.view->setCenter(Point{pointer.x - f.minX(), pointer.y - f.minY()});
        } else {
            entry.view->setCenter(std::nullopt);
        }
    }
}

Color PointerCueController::pulseColor(MouseButton button) const
{
    const Color cue = appearanceSettings.color();
    if (button == leftButton) {
        return cue;
    }
    Color complement = cue;
    complement.red = 1 - cue.red;
    complement.green = 1 - cue.green;
    complement.blue = 1 - cue.blue;
    return complement;
}

void PointerCueController::showPulse(MouseButton button, Point pointer)
{
    const auto screen = screenContaining(screens, pointer);
    if (!screen) {
        return;
    }
    constexpr double half = ClickPulseView::side / 2;
    const Rect rect{pointer.x - half, pointer.y - half, 2 * half, 2 * half};
    const PanelConfiguration configuration = clickPulsePanelConfiguration(*screen, rect);
    std::shared_ptr<Panel> panel = panelFactory.makePanel(configuration);
    applyPanelSettings(*panel, configuration);
    auto view = std::make_shared<ClickPulseView>(Rect{0, 0, 2 * half, 2 * half}, mainLoop,
                                                 pulseColor(button));
    panel->setContentView(view);
    const std::uint64_t number = ++pressCount;
    pulses[number] = panel;
    panel->orderFrontRegardless();

    std::weak_ptr<PointerCueController> weak = weak_from_this();
    std::weak_ptr<Panel> weakPanel = panel;
    view->play([weak, weakPanel, number] {
        if (auto self = weak.lock()) {
            self->dismissPulse(number);
        } else if (auto orphan = weakPanel.lock()) {
            orphan->orderOut();
        }
    });
}

void PointerCueController::dismissPulse(std::uint64_t number)
{
    const auto found = pulses.find(number);
    if (found == pulses.end()) {
        return;
    }
    std::shared_ptr<Panel> panel = std::move(found->second);
    pulses.erase(found);
    panel->orderOut();
}

void PointerCueController::hidePulses()
{
    auto hidden = std::move(pulses);
    pulses.clear();
    for (const auto& entry : hidden) {
        entry.second->orderOut();
    }
}

} // namespace halomark
