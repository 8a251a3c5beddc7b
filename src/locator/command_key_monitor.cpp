#include "locator/command_key_monitor.h"

#include "platform/input_sampling.h"

namespace halomark {

CommandKeyMonitor::CommandKeyMonitor(MainLoop& mainLoop, InputState& input)
    : mainLoop(mainLoop), input(input)
{}

void CommandKeyMonitor::start()
{
    // Where held keys cannot be read there is nothing to watch: taps arrive as commands.
    if (timer || !input.readsKeysAndButtons()) {
        return;
    }
    resetState();
    std::weak_ptr<CommandKeyMonitor> weak = weak_from_this();
    timer = mainLoop.scheduleRepeating(pollInterval, [weak] {
        if (auto self = weak.lock()) {
            self->poll();
        }
    });
    poll();
}

void CommandKeyMonitor::stop()
{
    if (timer) {
        timer->invalidate();
        timer.reset();
    }
    if (pendingTapWorkItem) {
        pendingTapWorkItem->cancel();
        pendingTapWorkItem.reset();
    }
    if (isSelectionShortcutActive && onSelectionShortcutReleased) {
        onSelectionShortcutReleased();
    }
    resetState();
}

void CommandKeyMonitor::setSelectionShortcut(RangeSelectionShortcut shortcut)
{
    if (shortcut == selectionShortcut) {
        return;
    }
    if (isSelectionShortcutActive) {
        isSelectionShortcutActive = false;
        if (onSelectionShortcutReleased) {
            onSelectionShortcutReleased();
        }
    }
    selectionShortcut = shortcut;
    poll();
}

void CommandKeyMonitor::setLocatorKey(LocatorKey key)
{
    if (key == locatorKey) {
        return;
    }
    cancelPendingTap();
    locatorKey = key;
    // Taken as held until a pass sees it up, so a press that began before the change is
    // never mistaken for a whole tap.
    isLocatorKeyDown = true;
}

void CommandKeyMonitor::cancelPendingTap()
{
    isStandaloneCommandCandidate = false;
    if (pendingTapWorkItem) {
        pendingTapWorkItem->cancel();
        pendingTapWorkItem.reset();
    }
}

void CommandKeyMonitor::poll()
{
    using namespace input_sampling;
    const int commandCount = commandKeyCount(input);
    const EventFlags companions = companionFlags(input);
    const bool focusSwitchKeyDown = anyFocusSwitchKeyDown(input);
    const bool mouseButtonDown = anyMouseButtonDown(input);
    // Any other key (Command+C, Super+1) makes the press a shortcut, never a tap.
    const bool otherKeyDown = input.isNonModifierKeyDown();
    if (const auto single = singleModifierKey(locatorKey)) {
        pollSingleModifierKey(*single, commandCount, companions,
                              mouseButtonDown || otherKeyDown || focusSwitchKeyDown);
    }

    if (commandCount == 0) {
        setSelectionShortcutActive(false);
        if (!isCommandDown) {
            return;
        }
        isCommandDown = false;
        const bool focusSwitchWasUsed = focusSwitchShortcutWasUsed;
        focusSwitchShortcutWasUsed = false;
        const bool wasCandidate = isStandaloneCommandCandidate;
        if (focusSwitchWasUsed && onFocusSwitchShortcutReleased) {
            onFocusSwitchShortcutReleased();
        }
        if (locatorKey != LocatorKey::super) {
            return;
        }
        if (!wasCandidate) {
            isStandaloneCommandCandidate = false;
            return;
        }
        postTap();
        return;
    }

    const bool spoiled = commandCount != 1 || companions != 0 || mouseButtonDown || otherKeyDown;
    if (!isCommandDown) {
        isCommandDown = true;
        focusSwitchShortcutWasUsed = false;
        if (locatorKey == LocatorKey::super) {
            isStandaloneCommandCandidate = !spoiled;
        }
    }
    if (focusSwitchKeyDown) {
        focusSwitchShortcutWasUsed = true;
        cancelPendingTap();
    } else if (spoiled) {
        cancelPendingTap();
    }
    setSelectionShortcutActive(isShortcutHeld(selectionShortcut, companions));
}

void CommandKeyMonitor::pollSingleModifierKey(const SingleModifierKey& key, int commandCount,
                                              EventFlags companions, bool anythingElseDown)
{
    if (!input.keyState(key.key)) {
        if (!isLocatorKeyDown) {
            return;
        }
        isLocatorKeyDown = false;
        if (isStandaloneCommandCandidate) {
            postTap();
        }
        return;
    }
    // The key sets its own flag; any other flag, the same modifier's other key or a Command
    // key makes the press a shortcut.
    const bool spoiled = anythingElseDown || commandCount > 0 || (companions & ~key.flag) != 0 ||
                         input.keyState(key.otherSide);
    if (!isLocatorKeyDown) {
        isLocatorKeyDown = true;
        isStandaloneCommandCandidate = !spoiled;
    } else if (spoiled) {
        cancelPendingTap();
    }
}

void CommandKeyMonitor::postTap()
{
    std::weak_ptr<CommandKeyMonitor> weak = weak_from_this();
    auto item = WorkItem::make([weak] {
        if (auto self = weak.lock()) {
            self->fireCommandKeyTap();
        }
    });
    if (pendingTapWorkItem) {
        pendingTapWorkItem->cancel();
    }
    pendingTapWorkItem = item;
    mainLoop.post(item);
}

void CommandKeyMonitor::resetState()
{
    if (pendingTapWorkItem) {
        pendingTapWorkItem->cancel();
        pendingTapWorkItem.reset();
    }
    isCommandDown = false;
    isStandaloneCommandCandidate = false;
    isSelectionShortcutActive = false;
    focusSwitchShortcutWasUsed = false;
    isLocatorKeyDown = false;
}

void CommandKeyMonitor::setSelectionShortcutActive(bool active)
{
    if (active == isSelectionShortcutActive) {
        return;
    }
    isSelectionShortcutActive = active;
    if (active) {
        if (onSelectionShortcutPressed) {
            onSelectionShortcutPressed();
        }
    } else if (onSelectionShortcutReleased) {
        onSelectionShortcutReleased();
    }
}

void CommandKeyMonitor::fireCommandKeyTap()
{
    if (!isStandaloneCommandCandidate) {
        return;
    }
    if (onCommandKeyTap) {
        onCommandKeyTap();
    }
    isStandaloneCommandCandidate = false;
    pendingTapWorkItem.reset();
}

} // namespace halomark
