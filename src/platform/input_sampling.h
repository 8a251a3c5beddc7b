// What the polling monitors derive from one pass over the input state: the number of Command
// keys down, the companion modifier flags, and any-of tests over focus-switch keys and mouse
// buttons. The any-of tests stop at the first hit.
#pragma once

#include "platform/input_state.h"

#include <array>

namespace halomark::input_sampling {

inline constexpr std::array<KeyCode, 2> commandKeyCodes{key_codes::rightCommand,
                                                        key_codes::leftCommand};
inline constexpr std::array<KeyCode, 3> focusSwitchKeyCodes{key_codes::tab, key_codes::grave,
                                                            key_codes::leftBracket};
inline constexpr std::array<MouseButton, 3> mouseButtons{0, 1, 2};

// Shift, Control, Option and Fn. Caps Lock, the numeric-pad and help flags and the Command
// flag are masked out: whether Command is held comes from the key states.
inline constexpr EventFlags companionModifiers =
    event_flags::shift | event_flags::control | event_flags::option | event_flags::function;

inline int commandKeyCount(InputState& input)
{
    int count = 0;
    for (KeyCode code : commandKeyCodes) {
        if (input.keyState(code)) {
            ++count;
        }
    }
    return count;
}

inline EventFlags companionFlags(InputState& input)
{
    return input.flagsState() & companionModifiers;
}

inline bool anyFocusSwitchKeyDown(InputState& input)
{
    for (KeyCode code : focusSwitchKeyCodes) {
        if (input.keyState(code)) {
            return true;
        }
    }
    return false;
}

inline bool anyMouseButtonDown(InputState& input)
{
    for (MouseButton button : mouseButtons) {
        if (input.buttonState(button)) {
            return true;
        }
    }
    return false;
}

} // namespace halomark::input_sampling
