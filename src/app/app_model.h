// The hub of the application: owns the two input monitors, the three overlay controllers and
// the pointer cues for the life of the process, wires the monitors' reports to the
// controllers, and holds the switches: the master switch and the spotlight (off and on at
// every launch, never stored), the active-window highlight, the range-selection shortcut and
// the click pulses (stored). Reports of the monitors are acted
// on in a later turn of the main loop, with the switches as they are then. Own it through a
// shared_ptr made by create(): the callbacks hold it weakly, so a released model stops quietly.
#pragma once

#include "app/platform.h"
#include "focus/focus_cue_monitor.h"
#include "focus/focus_cue_overlay_controller.h"
#include "locator/appearance_settings.h"
#include "locator/command_key_monitor.h"
#include "locator/locator_key.h"
#include "locator/locator_overlay_controller.h"
#include "pointer_cues/pointer_cue_controller.h"
#include "selection/range_selection_overlay_controller.h"
#include "selection/range_selection_shortcut.h"

#include <memory>
#include <string>

namespace halomark {

class AppModel : public std::enable_shared_from_this<AppModel>
{
    struct Passkey
    {};

public:
    static constexpr const char* rangeSelectionShortcutKey = "Halomark.rangeSelectionShortcut";
    // Where earlier versions kept a plain on/off switch for range selection. Read once to
    // carry the user's choice over, never written and never removed.
    static constexpr const char* legacyCommandSelectionKey = "Halomark.commandSelectionEnabled";
    static constexpr const char* focusCueEnabledKey = "Halomark.focusCueEnabled";
    // The key whose lone tap shows the ring; a missing or unknown value reads as Super and is
    // left as it is until the user chooses.
    static constexpr const char* locatorKeyKey = "Halomark.locatorKey";
    static constexpr const char* showClicksEnabledKey = "Halomark.showClicksEnabled";

    // Builds the components, loads the switches and wires the callbacks. Starts nothing.
    static std::shared_ptr<AppModel> create(Platform& platform,
                                            const AppearanceSettings& appearanceSettings);

    AppModel(Passkey, Platform& platform, const AppearanceSettings& appearanceSettings);

    // At launch: the Command key monitor with the stored shortcut, and the focus cue monitor
    // when the highlight is on. Nothing while the master switch is off.
    void start();
    // At termination: both monitors stopped and every overlay removed.
    void stop();

    void setEnabled(bool enabled);
    void setFocusCueEnabled(bool enabled);
    void setRangeSelectionShortcut(RangeSelectionShortcut shortcut);
    void setLocatorKey(LocatorKey key);
    // Neither changes where the pointer cues are unavailable (see PointerCueController).
    void setSpotlightEnabled(bool enabled);
    void setShowClicksEnabled(bool enabled);
    // The ring at the pointer in a later turn, exactly as a lone tap of the locator key shows
    // it: nothing when the master switch is off by then.
    void locate();

    bool isEnabled() const { return enabled; }
    bool focusCueEnabled() const { return focusCueOn; }
    RangeSelectionShortcut rangeSelectionShortcut() const { return shortcut; }
    LocatorKey locatorKey() const { return monitor->currentLocatorKey(); }
    bool spotlightEnabled() const { return pointerCues->spotlightEnabled(); }
    bool showClicksEnabled() const { return pointerCues->showClicksEnabled(); }

    const std::shared_ptr<CommandKeyMonitor> monitor;
    const std::shared_ptr<FocusCueMonitor> focusCueMonitor;
    const std::shared_ptr<LocatorOverlayController> overlayController;
    const std::shared_ptr<FocusCueOverlayController> focusCueOverlayController;
    const std::shared_ptr<RangeSelectionOverlayController> rangeSelectionOverlayController;
    const std::shared_ptr<PointerCueController> pointerCues;

private:
    void installCallbacks();
    // Runs the action in a later turn of the main loop if the model still exists then.
    void defer(std::function<void(AppModel&)> action);

    RangeSelectionShortcut loadRangeSelectionShortcut();
    bool loadBool(const std::string& key, bool defaultValue);

    MainLoop& mainLoop;
    SettingsStore& settings;
    bool enabled = true;
    RangeSelectionShortcut shortcut = defaultRangeSelectionShortcut;
    bool focusCueOn = true;
};

} // namespace halomark
