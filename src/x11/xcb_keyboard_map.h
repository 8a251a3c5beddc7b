// Which X keycodes stand for the keys the core asks about, and which keycodes are modifier
// keys, read from the server's keyboard and modifier mappings. Keycodes differ between
// servers and keyboards, so they are always found through their keysyms and re-read when the
// server announces a mapping change.
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
    XcbKeyboardMap(xcb_keycode_t firstKeycode, std::uint8_t keysymsPerKeycode,
                   std::span<const xcb_keysym_t> keysyms,
                   std::span<const xcb_keycode_t> modifierKeycodes);
    XcbKeyboardMap() = default;

    // Reads both mappings from the server (one round trip); nothing when it does not answer.
    static std::optional<XcbKeyboardMap> read(xcb_connection_t* connection);

    // The keycodes that carry the key: those whose first keysym is the key's keysym; when no
    // keycode has it first (a layout that puts it on a shifted level), those that have it
    // second. Empty for keys without an X counterpart.
    const KeycodeSet& keycodesFor(KeyCode code) const;

    // Keycodes bound to a modifier (Shift, Lock, Control, Mod1 to Mod5) or carrying a modifier
    // keysym (Shift, Control, Alt, Meta, Super, Hyper, Caps Lock, level and group shifts).
    const KeycodeSet& modifierKeycodes() const { return modifiers; }

    // Keycodes of the Super keys, whose being down sets the Command flag.
    KeycodeSet commandKeycodes() const;

private:
    std::array<KeycodeSet, translatedKeyCodes.size()> keys;
    KeycodeSet modifiers;
    KeycodeSet noKeys;
};

// The keymap bits of a query_keymap reply as a set of keycodes.
KeycodeSet keycodesDown(std::span<const std::uint8_t, 32> keymap);

} // namespace halomark::x11
