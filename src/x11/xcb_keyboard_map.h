// Which X keycodes stand for the keys the core asks about, and which keycodes are modifier
// keys, read from the server's keyboard and modifier mappings and re-read when the server
// announces a mapping change. Most keys are found through the keysyms they type, since
// remapping moves them. The grave accent and left bracket keys are found by position instead:
// the focus-switch shortcuts mean the key left of 1 and the key right of P, whatever character
// the layout puts there (a dead key on German and French layouts).
#pragma once

#include "platform/input_state.h"

#include <xcb/xcb.h>

#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <span>

namespace halomark::x11 {

// One bit per X keycode, as query_keymap reports which keys are down.
using KeycodeSet = std::bitset<256>;

// The X keycodes of the key left of 1 (TLDE) and the key right of P (AD11). X servers on Linux
// number keys by their evdev codes plus 8, the same on every layout.
inline constexpr xcb_keycode_t graveKeyPosition = 49;
inline constexpr xcb_keycode_t leftBracketKeyPosition = 34;

// The keys that have a known X counterpart: the two Command keys (Super), Tab, the grave
// accent, the left bracket, and both Control and both Option (Alt) keys, which the locator
// key may be.
inline constexpr std::array<KeyCode, 9> translatedKeyCodes{
    key_codes::rightCommand, key_codes::leftCommand, key_codes::tab,
    key_codes::grave,        key_codes::leftBracket, key_codes::leftControl,
    key_codes::rightControl, key_codes::leftOption,  key_codes::rightOption};

class XcbKeyboardMap
{
public:
    // Builds the map from the keysym table (keysymsPerKeycode keysyms for each keycode from
    // firstKeycode on) and the keycodes of the modifier mapping (zeros are unused slots).
    // The modifier mapping holds the same number of keycodes for each of the eight modifiers, in
    // the order Shift, Lock, Control, Mod1 to Mod5.
    XcbKeyboardMap(xcb_keycode_t firstKeycode, std::uint8_t keysymsPerKeycode,
                   std::span<const xcb_keysym_t> keysyms,
                   std::span<const xcb_keycode_t> modifierKeycodes);
    XcbKeyboardMap() = default;

    // Reads both mappings from the server (one round trip); nothing when it does not answer.
    static std::optional<XcbKeyboardMap> read(xcb_connection_t* connection);

    // The keycodes that carry the key. Grave accent and left bracket: the keycodes of their
    // positions. Command: the keys whose first keysym is Super, Hyper or Meta of that side (a
    // Windows key the layout maps to Meta or Hyper is still the Command key), unless the key
    // is bound to Mod1 like Alt. Other keys: those whose first keysym is the key's keysym; when
    // no keycode has it first (a layout that puts it on a shifted level), those that have it
    // second. Empty for keys without an X counterpart.
    const KeycodeSet& keycodesFor(KeyCode code) const;

    // Keycodes bound to a modifier (Shift, Lock, Control, Mod1 to Mod5) or carrying a modifier
    // keysym (Shift, Control, Alt, Meta, Super, Hyper, Caps Lock, level and group shifts).
    const KeycodeSet& modifierKeycodes() const { return modifiers; }

    // Keycodes of the Command keys, whose being down sets the Command flag. Empty when no key
    // of the keyboard gives Command.
    KeycodeSet commandKeycodes() const;

    // Keycodes of the keys that choose another level or group (AltGr, Mode_switch). They play
    // the part of Option: they type the other characters of a key and set the Option flag.
    const KeycodeSet& levelShiftKeycodes() const { return levelShifts; }

private:
    std::array<KeycodeSet, translatedKeyCodes.size()> keys;
    KeycodeSet modifiers;
    KeycodeSet levelShifts;
    KeycodeSet noKeys;
};

// The keymap bits of a query_keymap reply as a set of keycodes.
KeycodeSet keycodesDown(std::span<const std::uint8_t, 32> keymap);

} // namespace halomark::x11
