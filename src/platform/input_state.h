// The input state port: the system-wide state of keys, modifier flags, mouse buttons and the
// pointer, read by polling. Nothing here installs event hooks. Key codes are the macOS
// virtual key codes (ANSI key positions, not characters); flags use the macOS flag bits.
#pragma once

#include "platform/geometry.h"

#include <cstdint>

namespace halomark {

using KeyCode = std::uint16_t;
using EventFlags = std::uint64_t;
using MouseButton = std::uint32_t;

namespace key_codes {
inline constexpr KeyCode rightCommand = 54;
inline constexpr KeyCode leftCommand = 55;
inline constexpr KeyCode tab = 48;
inline constexpr KeyCode grave = 50;
inline constexpr KeyCode leftBracket = 33;
inline constexpr KeyCode leftOption = 58;
inline constexpr KeyCode leftControl = 59;
inline constexpr KeyCode rightOption = 61;
inline constexpr KeyCode rightControl = 62;
} // namespace key_codes

namespace event_flags {
inline constexpr EventFlags capsLock = 0x10000;
inline constexpr EventFlags shift = 0x20000;
inline constexpr EventFlags control = 0x40000;
inline constexpr EventFlags option = 0x80000;
inline constexpr EventFlags command = 0x100000;
inline constexpr EventFlags numericPad = 0x200000;
inline constexpr EventFlags help = 0x400000;
inline constexpr EventFlags function = 0x800000;
} // namespace event_flags

class InputState
{
public:
    virtual ~InputState() = default;

    // True while the key with this virtual key code is down.
    virtual bool keyState(KeyCode code) = 0;

    // The current modifier flags as a 64-bit mask.
    virtual EventFlags flagsState() = 0;

    // True while this mouse button is down: 0 left, 1 right, 2 centre.
    virtual bool buttonState(MouseButton button) = 0;

    // True while any key other than the modifier keys (Command, Shift, Control, Option, Fn,
    // Caps Lock) is down. Answers only whether, never which key.
    virtual bool isNonModifierKeyDown() = 0;

    // The pointer in global bottom-left coordinates.
    virtual Point mouseLocation() = 0;

    // Whether keys, modifiers and buttons held for other programs can be read at all. Where
    // they cannot (a Wayland session), they always read as released, so nothing that waits
    // for a held shortcut can start.
    virtual bool readsKeysAndButtons() const { return true; }
};

} // namespace halomark
