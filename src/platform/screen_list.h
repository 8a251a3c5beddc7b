// The screens port: the displays in system order (the primary first) with their whole frame,
// usable frame, identity and scale, the main screen, and a notification when any of it
// changes. Geometry is in points, global bottom-left coordinates.
#pragma once

#include "platform/geometry.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace halomark {

using DisplayIdentifier = std::uint32_t;

struct Screen
{
    Rect frame;        // the whole display
    Rect visibleFrame; // the display less the menu bar, panels and docks
    // The system's number for the display, when it offers one as a number.
    std::optional<std::uint32_t> screenNumber;
    // A value that identifies the screen object for as long as it exists.
    std::uint64_t objectIdentity = 0;
    double backingScaleFactor = 1.0; // device pixels per point
    double refreshRate = 0;          // frames per second; 0 when the system does not say

    friend bool operator==(const Screen&, const Screen&) = default;
};

// The display's number when the system gives one, otherwise the low 32 bits of the screen
// object's identity.
inline DisplayIdentifier displayIdentifier(const Screen& screen)
{
    if (screen.screenNumber) {
        return *screen.screenNumber;
    }
    return static_cast<DisplayIdentifier>(screen.objectIdentity & 0xffffffffu);
}

class ScreenList
{
public:
    virtual ~ScreenList() = default;

    virtual std::vector<Screen> screens() = 0;

    // The screen that holds the keyboard focus, if any.
    virtual std::optional<Screen> mainScreen() = 0;

    // Called on the main loop whenever screens are added, removed or rearranged, or their
    // usable areas change. One handler; setting another replaces it.
    virtual void setChangeHandler(std::function<void()> handler) = 0;
};

// The first screen, in system order, whose frame holds the point by the unflipped mouse rule
// (left and top edges in, right and bottom edges out); the main screen when none does;
// nothing when there is no main screen either.
std::optional<Screen> screenContaining(ScreenList& screens, Point point);

// Turns a rectangle in top-left coordinates (as the window server reports window bounds) into
// global bottom-left coordinates, about the top of the first screen (0 without screens).
Rect flipToBottomLeft(const Rect& topLeftRect, const std::vector<Screen>& screens);

} // namespace halomark
