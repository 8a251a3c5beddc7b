#include "selection/range_selection_shortcut.h"

#include <gtest/gtest.h>

namespace halomark {
namespace {

using enum RangeSelectionShortcut;
namespace f = event_flags;

TEST(RangeSelectionShortcut, RawValuesRoundTripAndOtherTextsGiveNothing)
{
    for (auto shortcut : allRangeSelectionShortcuts) {
        EXPECT_EQ(rangeSelectionShortcutFromRawValue(rawValue(shortcut)), shortcut);
    }
    EXPECT_EQ(rawValue(controlCommand), "controlCommand");
    EXPECT_EQ(rangeSelectionShortcutFromRawValue("Command"), std::nullopt);
    EXPECT_EQ(rangeSelectionShortcutFromRawValue(""), std::nullopt);
}

TEST(RangeSelectionShortcut, CompanionFlagsMustMatchExactly)
{
    EXPECT_TRUE(isShortcutHeld(command, 0));
    EXPECT_FALSE(isShortcutHeld(command, f::shift));
    EXPECT_TRUE(isShortcutHeld(controlCommand, f::control));
    EXPECT_FALSE(isShortcutHeld(controlCommand, f::control | f::shift));
    EXPECT_FALSE(isShortcutHeld(controlCommand, 0));
    EXPECT_TRUE(isShortcutHeld(optionCommand, f::option));
    EXPECT_FALSE(isShortcutHeld(optionCommand, f::option | f::control));
    for (auto shortcut : allRangeSelectionShortcuts) {
        EXPECT_FALSE(isShortcutHeld(shortcut, f::function));
        EXPECT_FALSE(isShortcutHeld(shortcut, f::function | f::control));
    }
    for (EventFlags flags : {EventFlags{0}, f::control, f::option, f::shift}) {
        EXPECT_FALSE(isShortcutHeld(disabled, flags));
    }
    EXPECT_EQ(requiredCompanionFlags(disabled), std::nullopt);
}

} // namespace
} // namespace halomark
