// Decides when the active-window highlight is shown, moved and withdrawn, by sampling the
// system 60 times a second. With no button held a new window is reported once two
// consecutive resolved samples agree (resolution runs on every third pass); with a button
// held every resolved sample is reported at once, so a click that activates another window
// moves the highlight at once; a click may pass through no active window for a moment, so
// with a button held the highlight is withdrawn only when the next resolved sample finds
// nothing either. While the active window is dragged or resized the highlight is
// withdrawn, and it returns after the button is released. After a focus-switch shortcut a
// burst of five immediate passes follows the release of Command. Nothing is sampled while a
// Command key is held, and nothing is shown while this application is frontmost.
// Own it through a shared_ptr: the timer and the scheduled passes hold it weakly.
#pragma once

#include "focus/focus_cue_target.h"
#include "focus/frontmost_window_resolver.h"
#include "platform/input_state.h"
#include "platform/main_loop.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace halomark {

class FocusCueMonitor : public std::enable_shared_from_this<FocusCueMonitor>
{
public:
    static constexpr double pollInterval = 1.0 / 60.0;
    // Delays of the forced passes after the release of a focus-switch shortcut.
    static constexpr std::array<double, 5> focusSwitchRefreshDelays{0.01, 0.04, 0.08, 0.14, 0.22};
    // How far outside the active window a left press still starts live tracking.
    static constexpr double liveTrackingMargin = 12;
    // Consecutive resolved samples without a target, no button held, before withdrawal.
    static constexpr int unavailableSampleLimit = 4;
    // The same with a button held: one sample without a target is a click passing through.
    static constexpr int heldUnavailableSampleLimit = 2;

    // Everything the monitor remembers between passes.
    struct State
    {
        std::optional<FocusCueTarget> currentTarget; // last reported through onFocusCue
        std::optional<FocusCueTarget> pendingTarget; // a different target awaiting agreement
        int pendingTargetSampleCount = 0;
        int unavailableSampleCount = 0;
        int heldUnavailableSampleCount = 0;         // the same, counted while a button is held
        std::int64_t keyboardRefreshGeneration = 0; // invalidates scheduled forced passes
        bool mouseButtonWasDown = false;
        int idlePollCounter = 0;                  // passes modulo 3 while no button is down
        bool windowManipulationSuspended = false; // withdrawn while the window moves
        std::optional<WindowNumber> liveTrackingWindowNumber;
        std::optional<ProcessIdentifier> liveTrackingProcessIdentifier;
    };

    FocusCueMonitor(MainLoop& mainLoop, InputState& input, ResolverPorts ports);

    std::function<void(const FocusCueEvent&)> onFocusCue;
    std::function<void()> onFocusCueUnavailable;

    void start();
    void stop();
    // One unconditional evaluation, always reported.
    void refreshNow();
    // Schedules the burst of forced passes that follows a focus-switch shortcut.
    void handleFocusSwitchShortcutReleased();
    // One sampling pass; the timer runs it with force false, the burst with force true.
    void poll(bool force);

    bool isRunning() const { return timer != nullptr; }
    const State& currentState() const { return state; }
    ProcessIdentifier ownProcessIdentifier() const { return ownPid; }

    // The same window of the same process: by window number when both have one, otherwise by
    // identifier.
    static bool isSameWindow(const FocusCueTarget& a, const FocusCueTarget& b);

private:
    void suspendForWindowManipulation();
    void withdrawTarget();
    void countUnavailableSample();
    void clearPendingTarget();
    void clearLiveTracking();
    void reportTarget(const FocusCueTarget& target);
    void reportUnavailable();
    // The state a stopped monitor has, keeping the refresh generation.
    void resetState();

    MainLoop& mainLoop;
    InputState& input;
    ResolverPorts ports;
    const ProcessIdentifier ownPid;
    std::unique_ptr<RepeatingTimer> timer;
    State state;
};

} // namespace halomark
