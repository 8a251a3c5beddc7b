// The modifier shortcut that arms the range selection while it is held. Every choice includes
// at least one Command key; the companion flags (Shift, Control, Option, Fn) must match the
// choice's required flags exactly. `disabled` is never held.
#pragma once

#include "platform/input_state.h"

#include <array>
#include <optional>
#include <string_view>

namespace halomark {

enum class RangeSelectionShortcut
{
    command,
    controlCommand,
    optionCommand,
    disabled
};

inline constexpr std::array<RangeSelectionShortcut, 4> allRangeSelectionShortcuts{
    RangeSelectionShortcut::command, RangeSelectionShortcut::controlCommand,
    RangeSelectionShortcut::optionCommand, RangeSelectionShortcut::disabled};

inline constexpr RangeSelectionShortcut defaultRangeSelectionShortcut =
    RangeSelectionShortcut::command;

std::string_view rawValue(RangeSelectionShortcut shortcut);

// The case whose raw value is the text exactly; nothing for any other text.
std::optional<RangeSelectionShortcut> rangeSelectionShortcutFromRawValue(std::string_view text);

// The companion flags that must be held, exactly, besides Command; nothing for `disabled`.
std::optional<EventFlags> requiredCompanionFlags(RangeSelectionShortcut shortcut);

// Whether the shortcut is held, given that at least one Command key is down and the companion
// flags (the modifier flags masked to Shift, Control, Option and Fn) are as given.
bool isShortcutHeld(RangeSelectionShortcut shortcut, EventFlags companionFlags);

} // namespace halomark
