#include "x11/xcb_keyboard_map.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace halomark::x11 {
namespace {

namespace k = key_codes;

constexpr xcb_keysym_t superL = 0xffeb, superR = 0xffec, tab = 0xff09, isoLeftTab = 0xfe20,
                       grave = 0x60, tilde = 0x7e, bracketLeft = 0x5b, shiftL = 0xffe1,
                       numLock = 0xff7f, letterA = 0x61, capitalA = 0x41;

// A keysym table of two columns from keycode 8 on, set up by keycode.
class Table
{
public:
    void set(xcb_keycode_t keycode, xcb_keysym_t first, xcb_keysym_t second = 0)
    {
        keysyms[(keycode - 8) * 2] = first;
        keysyms[(keycode - 8) * 2 + 1] = second;
    }
    XcbKeyboardMap map(std::vector<xcb_keycode_t> modifierKeycodes = {}) const
    {
        return XcbKeyboardMap(8, 2, keysyms, modifierKeycodes);
    }

private:
    std::vector<xcb_keysym_t> keysyms = std::vector<xcb_keysym_t>(248 * 2, 0);
};

KeycodeSet keys(std::initializer_list<std::size_t> keycodes)
{
    KeycodeSet set;
    for (std::size_t keycode : keycodes) {
        set.set(keycode);
    }
    return set;
}

TEST(XcbKeyboardMap, FindsKeysByTheirKeysymsWhereverTheLayoutPutsThem)
{
    Table table;
    table.set(133, superL);
    table.set(206, 0, superL); // a second, shifted-level Super_L: not a key of its own
    table.set(134, superR);
    table.set(23, tab, isoLeftTab);
    table.set(49, grave, tilde);
    table.set(60, bracketLeft);
    table.set(61, bracketLeft); // two keys with one keysym: either counts
    table.set(38, letterA, capitalA);
    const XcbKeyboardMap map = table.map();
    EXPECT_EQ(map.keycodesFor(k::leftCommand), keys({133}));
    EXPECT_EQ(map.keycodesFor(k::rightCommand), keys({134}));
    EXPECT_EQ(map.keycodesFor(k::tab), keys({23}));
    EXPECT_EQ(map.keycodesFor(k::grave), keys({49}));
    EXPECT_EQ(map.keycodesFor(k::leftBracket), keys({60, 61}));
    EXPECT_EQ(map.keycodesFor(8), keys({})); // the C key has no translation
    EXPECT_EQ(map.commandKeycodes(), keys({133, 134}));

    // A layout with the grave accent only on a shifted level still finds it there.
    Table shifted;
    shifted.set(49, 0x5e, grave);
    EXPECT_EQ(shifted.map().keycodesFor(k::grave), keys({49}));
}

TEST(XcbKeyboardMap, ModifierKeysComeFromTheModifierMappingAndModifierKeysyms)
{
    Table table;
    table.set(50, shiftL);
    table.set(77, numLock);
    table.set(133, superL);
    table.set(38, letterA, capitalA);
    table.set(100, letterA); // bound to a modifier below although its keysym is a letter
    const XcbKeyboardMap map = table.map({0, 0, 100, 0});
    EXPECT_EQ(map.modifierKeycodes(), keys({50, 77, 100, 133}));
}

TEST(XcbKeyboardMap, KeymapBitsAreKeycodes)
{
    std::array<std::uint8_t, 32> keymap{};
    keymap[16] = 0x20; // keycode 133
    keymap[2] = 0x81;  // keycodes 16 and 23
    EXPECT_EQ(keycodesDown(keymap), keys({16, 23, 133}));
}

} // namespace
} // namespace halomark::x11
