// The cues that follow the pointer while they are on: the spotlight (one click-through panel per
// monitor, darkened except around the pointer) and the click pulses (a ring at the pointer for
// each press of the left or right button). Both come from one sampling of the pointer and the
// buttons every refresh, which runs only while one of them is on and the cues are not
// suspended (the master switch off), and never where buttons cannot be read: there both stay
// unavailable. Own it through a shared_ptr: the timer and the pulses' completions hold it
// weakly.
#pragma once

#include "locator/appearance_settings.h"
#include "platform/input_state.h"
#include "platform/main_loop.h"
#include "platform/panel.h"
#include "platform/screen_list.h"
#include "pointer_cues/spotlight_view.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace halomark {

class PointerCueController : public std::enable_shared_from_this<PointerCueController>
{
public:
    // Sampling follows the fastest monitor's refresh; this is the rate where none is known.
    static constexpr double defaultRefreshRate = 60.0;
    static constexpr MouseButton leftButton = 0;
    static constexpr MouseButton rightButton = 1;

    PointerCueController(MainLoop& mainLoop, InputState& input, ScreenList& screens,
                         PanelFactory& panels, const AppearanceSettings& appearanceSettings);

    // Whether the cues can work here: they need the pointer and the buttons every refresh.
    bool isAvailable() const { return input.readsKeysAndButtons(); }

    void setSpotlightEnabled(bool enabled);
    void setShowClicksEnabled(bool enabled);
    // While suspended nothing shows and nothing is sampled; the switches keep their values.
    void setSuspended(bool suspended);
    // Rebuilds the spotlight's panels for the monitors as they are now.
    void screensChanged();
    // Takes every panel off screen and stops sampling, as at termination.
    void stop();

    // One sampling pass; the timer calls it once a refresh of the fastest monitor.
    void poll();
    // Seconds between two passes for the monitors as they are now.
    double pollInterval() const;

    bool spotlightEnabled() const { return spotlightOn; }
    bool showClicksEnabled() const { return clicksOn; }
    bool isPolling() const { return timer != nullptr; }

    // The pulse colours: the cue colour for the left button, its complement for the right.
    Color pulseColor(MouseButton button) const;

    struct SpotlightPanel
    {
        Rect screenFrame;
        std::shared_ptr<Panel> panel;
        std::shared_ptr<SpotlightView> view;
    };
    const std::vector<SpotlightPanel>& spotlightPanels() const { return spotlights; }
    // The pulses on screen, by the order of their presses; the map owns their panels.
    const std::map<std::uint64_t, std::shared_ptr<Panel>>& pulsePanels() const { return pulses; }

private:
    bool active() const { return !suspended && isAvailable(); }
    // Starts or stops the sampling and shows or removes the spotlight to match the switches.
    void update();
    void showSpotlight();
    void hideSpotlight();
    void followPointer(Point pointer);
    void showPulse(MouseButton button, Point pointer);
    void dismissPulse(std::uint64_t number);
    void hidePulses();

    MainLoop& mainLoop;
    InputState& input;
    ScreenList& screens;
    PanelFactory& panelFactory;
    const AppearanceSettings& appearanceSettings;

    bool spotlightOn = false;
    bool clicksOn = false;
    bool suspended = false;
    std::unique_ptr<RepeatingTimer> timer;
    double timerInterval = 0; // the interval the timer was started with
    std::vector<SpotlightPanel> spotlights;
    std::map<std::uint64_t, std::shared_ptr<Panel>> pulses;
    std::uint64_t pressCount = 0;
    // The buttons as the last pass saw them; a press is a button up then and down now.
    std::array<bool, 2> wasDown{};
};

} // namespace halomark
