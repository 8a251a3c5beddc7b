// Polls the input state every 0.02 s and turns changes of level into four callbacks: a
// standalone Command tap, the range-selection shortcut becoming held and released, and the
// release of Command after a focus-switch key (Tab, grave accent, left bracket) was used.
// A tap needs exactly one Command key with no companion modifier, mouse button, focus-switch
// key or any other non-modifier key at any poll of the press; it is delivered from a work
// item on a later turn of the main loop. When the locator key is another key than Command
// (right Control or right Option), that key's lone tap is reported instead, by the same rule:
// any other key, modifier or mouse button during the press spoils it; with `none`, no tap is
// reported at all. Own it through a shared_ptr: the timer and the work
// item hold it weakly, so a released monitor stops quietly.
#pragma once

#include "locator/locator_key.h"
#include "platform/input_state.h"
#include "platform/main_loop.h"
#include "selection/range_selection_shortcut.h"

#include <functional>
#include <memory>

namespace halomark {

class CommandKeyMonitor : public std::enable_shared_from_this<CommandKeyMonitor>
{
public:
    static constexpr double pollInterval = 0.02;

    CommandKeyMonitor(MainLoop& mainLoop, InputState& input);

    std::function<void()> onCommandKeyTap;
    std::function<void()> onSelectionShortcutPressed;
    std::function<void()> onSelectionShortcutReleased;
    std::function<void()> onFocusSwitchShortcutReleased;

    void start();
    void stop();
    void setSelectionShortcut(RangeSelectionShortcut shortcut);
    // A press of the key under way when the choice changes never becomes a tap.
    void setLocatorKey(LocatorKey key);
    void cancelPendingTap();

    // One sampling pass; the timer calls it every pollInterval seconds.
    void poll();

    bool isRunning() const { return timer != nullptr; }
    bool hasPendingTap() const { return pendingTapWorkItem != nullptr; }
    bool commandDown() const { return isCommandDown; }
    bool standaloneCommandCandidate() const { return isStandaloneCommandCandidate; }
    bool selectionShortcutActive() const { return isSelectionShortcutActive; }
    bool focusSwitchShortcutUsed() const { return focusSwitchShortcutWasUsed; }
    RangeSelectionShortcut currentSelectionShortcut() const { return selectionShortcut; }
    LocatorKey currentLocatorKey() const { return locatorKey; }

private:
    void resetState();
    void setSelectionShortcutActive(bool active);
    void fireCommandKeyTap();
    void postTap();
    // The lone-tap rule for a locator key other than Command, from one pass's samples.
    void pollSingleModifierKey(const SingleModifierKey& key, int commandCount,
                               EventFlags companions, bool anythingElseDown);

    MainLoop& mainLoop;
    InputState& input;

    std::unique_ptr<RepeatingTimer> timer;
    WorkItemPtr pendingTapWorkItem;
    bool isCommandDown = false;
    bool isStandaloneCommandCandidate = false;
    bool isSelectionShortcutActive = false;
    bool focusSwitchShortcutWasUsed = false;
    bool isLocatorKeyDown = false;
    RangeSelectionShortcut selectionShortcut = defaultRangeSelectionShortcut;
    LocatorKey locatorKey = defaultLocatorKey;
};

} // namespace halomark
