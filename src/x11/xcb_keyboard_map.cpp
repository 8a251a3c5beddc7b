#include "x11/xcb_keyboard_map.h"

#include "x11/xcb_connection.h"

#include <algorithm>
#include <vector>

namespace halomark::x11 {

namespace {

// The keysyms that stand for the key, in order of preference: the right Alt key types Alt_R
// on some layouts and AltGr (ISO_Level3_Shift) on many others. The Command keys and the keys
// found by position are not looked up this way.
std::vector<xcb_keysym_t> keysymsFor(KeyCode code)
{
    switch (code) {
    case key_codes::tab:
        return {0xff09};
    case key_codes::leftControl:
        return {0xffe3};
    case key_codes::rightControl:
        return {0xffe4};
    case key_codes::leftOption:
        return {0xffe9};
    case key_codes::rightOption:
        return {0xffea, 0xfe03};
    default:
        return {};
    }
}

// Super, Hyper and Meta of one side: Super_L, Hyper_L, Meta_L and their right counterparts.
bool isCommandKeysym(xcb_keysym_t keysym, bool left)
{
    return left ? keysym == 0xffeb || keysym == 0xffed || keysym == 0xffe7
                : keysym == 0xffec || keysym == 0xffee || keysym == 0xffe8;
}

// ISO_Level3_Shift, ISO_Level5_Shift and Mode_switch.
bool isLevelShiftKeysym(xcb_keysym_t keysym)
{
    return keysym == 0xfe03 || keysym == 0xfe11 || keysym == 0xff7e;
}

constexpr std::size_t mod1Index = 3;

bool isModifierKeysym(xcb_keysym_t keysym)
{
    return (keysym >= 0xffe1 && keysym <= 0xffee)    // Shift_L .. Hyper_R, Caps_Lock
           || (keysym >= 0xfe01 && keysym <= 0xfe13) // ISO level and group shifts and locks
           || keysym == 0xff7e                       // Mode_switch
           || keysym == 0xff7f;                      // Num_Lock
}

std::optional<std::size_t> indexOf(KeyCode code)
{
    const auto found = std::find(translatedKeyCodes.begin(), translatedKeyCodes.end(), code);
    if (found == translatedKeyCodes.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(found - translatedKeyCodes.begin());
}

} // namespace

XcbKeyboardMap::XcbKeyboardMap(xcb_keycode_t firstKeycode, std::uint8_t keysymsPerKeycode,
                               std::span<const xcb_keysym_t> keysyms,
                               std::span<const xcb_keycode_t> modifierKeycodes)
{
    const std::size_t columns = keysymsPerKeycode;
    const std::size_t rows = columns == 0 ? 0 : keysyms.size() / columns;
    const auto keysymAt = [&](std::size_t row, std::size_t column) -> xcb_keysym_t {
        return column < columns ? keysyms[row * columns + column] : 0;
    };
    const auto keycodeAt = [&](std::size_t row) { return firstKeycode + row; };

    // The keys bound to Mod1 are Alt keys even when they type Meta.
    KeycodeSet altKeys;
    const std::size_t perModifier = modifierKeycodes.size() / 8;
    for (std::size_t slot = 0; slot < modifierKeycodes.size(); ++slot) {
        if (modifierKeycodes[slot] != 0) {
            modifiers.set(modifierKeycodes[slot]);
            if (perModifier != 0 && slot / perModifier == mod1Index) {
                altKeys.set(modifierKeycodes[slot]);
            }
        }
    }

    for (std::size_t index = 0; index < translatedKeyCodes.size(); ++index) {
        KeycodeSet& found = keys[index];
        const KeyCode code = translatedKeyCodes[index];
        if (code == key_codes::grave || code == key_codes::leftBracket) {
            const xcb_keycode_t position =
                code == key_codes::grave ? graveKeyPosition : leftBracketKeyPosition;
            if (position >= firstKeycode && position < keycodeAt(rows)) {
                found.set(position);
            }
            continue;
        }
        if (code == key_codes::leftCommand || code == key_codes::rightCommand) {
            for (std::size_t row = 0; row < rows && keycodeAt(row) < 256; ++row) {
                if (isCommandKeysym(keysymAt(row, 0), code == key_codes::leftCommand) &&
                    !altKeys.test(keycodeAt(row))) {
                    found.set(keycodeAt(row));
                }
            }
            continue;
        }
        for (xcb_keysym_t wanted : keysymsFor(code)) {
            for (std::size_t column : {0u, 1u}) {
                for (std::size_t row = 0; row < rows && keycodeAt(row) < 256; ++row) {
                    if (keysymAt(row, column) == wanted) {
                        found.set(keycodeAt(row));
                    }
                }
                if (found.any()) {
                    break;
                }
            }
            if (found.any()) {
                break;
            }
        }
    }

    for (std::size_t row = 0; row < rows && keycodeAt(row) < 256; ++row) {
        for (std::size_t column = 0; column < columns; ++column) {
            if (isModifierKeysym(keysymAt(row, column))) {
                modifiers.set(keycodeAt(row));
            }
            if (isLevelShiftKeysym(keysymAt(row, column))) {
                levelShifts.set(keycodeAt(row));
            }
        }
    }
}

std::optional<XcbKeyboardMap> XcbKeyboardMap::read(xcb_connection_t* connection)
{
    const xcb_setup_t* setup = xcb_get_setup(connection);
    if (setup == nullptr || setup->max_keycode < setup->min_keycode) {
        return std::nullopt;
    }
    const auto count = static_cast<std::uint8_t>(setup->max_keycode - setup->min_keycode + 1);
    const auto keyboardCookie = xcb_get_keyboard_mapping(connection, setup->min_keycode, count);
    const auto modifierCookie = xcb_get_modifier_mapping(connection);
    XcbReply<xcb_get_keyboard_mapping_reply_t> keyboard(
        xcb_get_keyboard_mapping_reply(connection, keyboardCookie, nullptr));
    XcbReply<xcb_get_modifier_mapping_reply_t> modifiers(
        xcb_get_modifier_mapping_reply(connection, modifierCookie, nullptr));
    if (!keyboard || !modifiers) {
        return std::nullopt;
    }
    const std::span<const xcb_keysym_t> keysyms(
        xcb_get_keyboard_mapping_keysyms(keyboard.get()),
        static_cast<std::size_t>(xcb_get_keyboard_mapping_keysyms_length(keyboard.get())));
    const std::span<const xcb_keycode_t> modifierKeycodes(
        xcb_get_modifier_mapping_keycodes(modifiers.get()),
        static_cast<std::size_t>(xcb_get_modifier_mapping_keycodes_length(modifiers.get())));
    return XcbKeyboardMap(setup->min_keycode, keyboard->keysyms_per_keycode, keysyms,
                          modifierKeycodes);
}

const KeycodeSet& XcbKeyboardMap::keycodesFor(KeyCode code) const
{
    const auto index = indexOf(code);
    return index ? keys[*index] : noKeys;
}

KeycodeSet XcbKeyboardMap::commandKeycodes() const
{
    return keycodesFor(key_codes::leftCommand) | keycodesFor(key_codes::rightCommand);
}

KeycodeSet keycodesDown(std::span<const std::uint8_t, 32> keymap)
{
    KeycodeSet down;
    for (std::size_t byte = 0; byte < keymap.size(); ++byte) {
        for (std::size_t bit = 0; bit < 8; ++bit) {
            if ((keymap[byte] & (1u << bit)) != 0) {
                down.set(byte * 8 + bit);
            }
        }
    }
    return down;
}

} // namespace halomark::x11
