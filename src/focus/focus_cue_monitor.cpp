#include "focus/focus_cue_monitor.h"

#include "platform/input_sampling.h"

namespace halomark {
namespace {

using FrontmostWindowResolver::framesNearlyEqual;

constexpr MouseButton leftButton = 0;

// A point inside a rectangle with the lower edges in and the upper edges out.
bool containsPoint(const Rect& rect, Point point)
{
    return rect.minX() <= point.x && point.x < rect.maxX() && rect.minY() <= point.y &&
           point.y < rect.maxY();
}

Rect grownBy(const Rect& rect, double margin)
{
    return Rect{rect.minX() - margin, rect.minY() - margin, rect.width() + 2 * margin,
                rect.height() + 2 * margin};
}

} // namespace

FocusCueMonitor::FocusCueMonitor(MainLoop& mainLoop, InputState& input, ResolverPorts ports)
    : mainLoop(mainLoop), input(input), ports(ports), ownPid(ports.workspace.ownProcessIdentifier())
{}

bool FocusCueMonitor::isSameWindow(const FocusCueTarget& a, const FocusCueTarget& b)
{
    if (a.processIdentifier != b.processIdentifier) {
        return false;
    }
    if (a.windowNumber && b.windowNumber) {
        return *a.windowNumber == *b.windowNumber;
    }
    return a.windowIdentifier == b.windowIdentifier;
}

void FocusCueMonitor::start()
{
    if (timer) {
        refreshNow();
        return;
    }
    resetState();
    refreshNow();
    std::weak_ptr<FocusCueMonitor> weak = weak_from_this();
    MainLoop* loop = &mainLoop;
    // Each tick queues the pass as its own unit of work on the main loop.
    timer = mainLoop.scheduleRepeating(pollInterval, [weak, loop] {
        if (weak.expired()) {
            return;
        }
        loop->post([weak] {
            if (auto self = weak.lock()) {
                self->poll(false);
            }
        });
    });
}

void FocusCueMonitor::stop()
{
    ++state.keyboardRefreshGeneration;
    if (timer) {
        timer->invalidate();
        timer.reset();
    }
    resetState();
}

void FocusCueMonitor::refreshNow()
{
    if (const auto target = FrontmostWindowResolver::resolve(ports, ownPid)) {
        state.unavailableSampleCount = 0;
        state.heldUnavailableSampleCount = 0;
        state.currentTarget = *target;
        state.windowManipulationSuspended = false;
        clearPendingTarget();
        reportTarget(*target);
        return;
    }
    state.currentTarget.reset();
    clearPendingTarget();
    clearLiveTracking();
    reportUnavailable();
}

void FocusCueMonitor::handleFocusSwitchShortcutReleased()
{
    const std::int64_t generation = ++state.keyboardRefreshGeneration;
    clearPendingTarget();
    clearLiveTracking();
    state.windowManipulationSuspended = false;
    std::weak_ptr<FocusCueMonitor> weak = weak_from_this();
    for (double delay : focusSwitchRefreshDelays) {
        mainLoop.postAfter(delay, [weak, generation] {
            auto self = weak.lock();
            if (!self || self->state.keyboardRefreshGeneration != generation) {
                return;
            }
            self->poll(true);
        });
    }
}

void FocusCueMonitor::poll(bool force)
{
    // This application in front: nothing of it is ever highlighted.
    if (const auto frontmost = ports.workspace.frontmostApplication();
        frontmost && frontmost->processIdentifier == ownPid) {
        const bool hadTarget = state.currentTarget.has_value();
        state.currentTarget.reset();
        state.unavailableSampleCount = 0;
        state.heldUnavailableSampleCount = 0;
        state.windowManipulationSuspended = false;
        clearPendingTarget();
        clearLiveTracking();
        if (hadTarget) {
            reportUnavailable();
        }
        return;
    }

    // Command held: a focus switch may be under way; its release brings its own burst.
    if (input_sampling::commandKeyCount(input) > 0) {
        clearPendingTarget();
        clearLiveTracking();
        return;
    }

    const bool anyDown = input_sampling::anyMouseButtonDown(input);
    const bool leftDown = input.buttonState(leftButton);
    const bool wasDown = state.mouseButtonWasDown;
    state.mouseButtonWasDown = anyDown;

    // Release edge: a drag is over, so a withdrawn highlight may come back at the new frame,
    // and this very pass resolves.
    if (wasDown && !anyDown) {
        clearLiveTracking();
        clearPendingTarget();
        if (state.windowManipulationSuspended) {
            state.windowManipulationSuspended = false;
            state.currentTarget.reset();
            state.idlePollCounter = 2;
        }
    }

    if (leftDown) {
        if (state.liveTrackingWindowNumber && state.liveTrackingProcessIdentifier) {
            if (const auto live = FrontmostWindowResolver::liveTarget(
                    ports, *state.liveTrackingProcessIdentifier, *state.liveTrackingWindowNumber)) {
                state.unavailableSampleCount = 0;
                state.heldUnavailableSampleCount = 0;
                if (state.currentTarget && isSameWindow(*state.currentTarget, *live) &&
                    !framesNearlyEqual(state.currentTarget->frame, live->frame)) {
                    suspendForWindowManipulation();
                    return;
                }
                if (!state.windowManipulationSuspended) {
                    state.currentTarget = *live;
                }
                return;
            }
            clearLiveTracking();
        }
        if (state.windowManipulationSuspended) {
            return;
        }
    }

    // With no button held, resolve on every third pass only.
    if (!anyDown && !force) {
        state.idlePollCounter = (state.idlePollCounter + 1) % 3;
        if (state.idlePollCounter != 0) {
            return;
        }
    } else {
        state.idlePollCounter = 0;
    }

    const auto resolved = FrontmostWindowResolver::resolve(ports, ownPid);
    if (!resolved) {
        if (!anyDown) {
            state.heldUnavailableSampleCount = 0;
            countUnavailableSample();
        } else if (++state.heldUnavailableSampleCount >= heldUnavailableSampleLimit) {
            withdrawTarget();
        } else {
            // The press that activates a window may pass through none: wait one pass.
            clearPendingTarget();
        }
        return;
    }
    state.unavailableSampleCount = 0;
    state.heldUnavailableSampleCount = 0;

    if (anyDown) {
        if (leftDown && state.currentTarget && isSameWindow(*state.currentTarget, *resolved) &&
            !framesNearlyEqual(state.currentTarget->frame, resolved->frame)) {
            suspendForWindowManipulation();
            return;
        }
        state.currentTarget = *resolved;
        clearPendingTarget();
        reportTarget(*resolved);
        if (leftDown && resolved->windowNumber) {
            // A press on or just outside the window's edge may start a move or a resize:
            // follow that window directly while the button stays down.
            if (containsPoint(grownBy(resolved->frame, liveTrackingMargin),
                              input.mouseLocation())) {
                state.liveTrackingWindowNumber = resolved->windowNumber;
                state.liveTrackingProcessIdentifier = resolved->processIdentifier;
                return;
            }
        }
        if (!wasDown) {
            clearLiveTracking();
        }
        return;
    }

    if (state.currentTarget && isSameWindow(*state.currentTarget, *resolved)) {
        if (framesNearlyEqual(state.currentTarget->frame, resolved->frame)) {
            const bool wasSuspended = state.windowManipulationSuspended;
            state.currentTarget = *resolved;
            state.windowManipulationSuspended = false;
            clearPendingTarget();
            if (wasSuspended) {
                reportTarget(*resolved);
            }
            return;
        }
        // The confirmed window moved without a button held (a keyboard move, a tiling
        // shortcut): withdraw until it settles back or a button is released. Where buttons
        // cannot be read no release is ever seen, so the window is confirmed again once its
        // new frame holds still, as a newly focused window is.
        if (input.readsKeysAndButtons()) {
            suspendForWindowManipulation();
        } else if (!state.windowManipulationSuspended) {
            state.windowManipulationSuspended = true;
            reportUnavailable();
        }
    }

    if (!state.pendingTarget || !isSameWindow(*state.pendingTarget, *resolved) ||
        !framesNearlyEqual(state.pendingTarget->frame, resolved->frame)) {
        state.pendingTarget = *resolved;
        state.pendingTargetSampleCount = 1;
        return;
    }
    ++state.pendingTargetSampleCount;
    state.pendingTarget = *resolved;
    if (state.pendingTargetSampleCount < 2) {
        return;
    }
    state.currentTarget = std::move(state.pendingTarget);
    state.windowManipulationSuspended = false;
    clearPendingTarget();
    reportTarget(*state.currentTarget);
}

void FocusCueMonitor::suspendForWindowManipulation()
{
    clearPendingTarget();
    if (!state.windowManipulationSuspended) {
        state.windowManipulationSuspended = true;
        reportUnavailable();
    }
}

void FocusCueMonitor::withdrawTarget()
{
    state.unavailableSampleCount = 0;
    state.heldUnavailableSampleCount = 0;
    state.windowManipulationSuspended = false;
    clearPendingTarget();
    clearLiveTracking();
    if (state.currentTarget) {
        state.currentTarget.reset();
        reportUnavailable();
    }
}

void FocusCueMonitor::countUnavailableSample()
{
    clearPendingTarget();
    ++state.unavailableSampleCount;
    if (state.unavailableSampleCount < unavailableSampleLimit) {
        return;
    }
    state.unavailableSampleCount = 0;
    if (state.currentTarget) {
        state.currentTarget.reset();
        state.windowManipulationSuspended = false;
        clearLiveTracking();
        reportUnavailable();
    }
}

void FocusCueMonitor::clearPendingTarget()
{
    state.pendingTarget.reset();
    state.pendingTargetSampleCount = 0;
}

void FocusCueMonitor::clearLiveTracking()
{
    state.liveTrackingWindowNumber.reset();
    state.liveTrackingProcessIdentifier.reset();
}

void FocusCueMonitor::reportTarget(const FocusCueTarget& target)
{
    if (onFocusCue) {
        onFocusCue(FocusCueEvent{target});
    }
}

void FocusCueMonitor::reportUnavailable()
{
    if (onFocusCueUnavailable) {
        onFocusCueUnavailable();
    }
}

void FocusCueMonitor::resetState()
{
    const std::int64_t generation = state.keyboardRefreshGeneration;
    state = State{};
    state.keyboardRefreshGeneration = generation;
}

} // namespace halomark
