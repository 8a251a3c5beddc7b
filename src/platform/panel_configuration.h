// How each kind of overlay panel is set up: where it lies, how high it floats, whether it
// takes the mouse, and the settings every overlay shares (borderless, non-activating, clear,
// no shadow, on every space, skipped by window cycling, above full-screen windows).
#pragma once

#include "platform/geometry.h"
#include "platform/screen_list.h"

#include <cstdint>
#include <optional>

namespace halomark {

enum class PanelKind
{
    ring,
    veil,
    selection,
    spotlight,
    clickPulse
};

enum class AnimationBehavior
{
    defaultBehavior = 0,
    none = 2,
    documentWindow = 3,
    utilityWindow = 4,
    alertPanel = 5
};

namespace window_levels {
inline constexpr int status = 25;
inline constexpr int popUpMenu = 101;
inline constexpr int screenSaver = 1000;
} // namespace window_levels

struct PanelConfiguration
{
    PanelKind kind = PanelKind::ring;
    Rect contentRect;
    DisplayIdentifier display = 0;
    int level = 0;
    bool ignoresMouseEvents = true;
    std::optional<double> alphaValue;
    std::optional<AnimationBehavior> animationBehavior;

    // Shared by every overlay.
    std::uint64_t styleMask = 128; // non-activating panel, otherwise borderless
    int backing = 2;               // buffered
    bool deferCreation = false;
    bool opaque = false; // clear background
    bool hasShadow = false;
    bool hidesOnDeactivate = false;
    bool releasedWhenClosed = false;
    std::uint64_t collectionBehavior = 337; // all spaces, stationary, no cycling, full-screen aux

    friend bool operator==(const PanelConfiguration&, const PanelConfiguration&) = default;
};

// A click-through ring panel over the screen's whole frame, at screen-saver level.
PanelConfiguration ringPanelConfiguration(const Screen& screen);

// A click-through veil panel over the screen's usable frame, at status level, fully opaque
// alpha and without the platform's show and hide animation.
PanelConfiguration veilPanelConfiguration(const Screen& screen);

// A selection panel over the screen's whole frame, at screen-saver level, that takes the
// mouse until its fade is scheduled.
PanelConfiguration selectionPanelConfiguration(const Screen& screen);

// A click-through spotlight panel over the screen's whole frame, at pop-up menu level: above
// the veil, below the ring, the selection and the click pulses.
PanelConfiguration spotlightPanelConfiguration(const Screen& screen);

// A small click-through panel for one click pulse, over the given rectangle (global
// coordinates) on the screen, at screen-saver level.
PanelConfiguration clickPulsePanelConfiguration(const Screen& screen, const Rect& rect);

} // namespace halomark
