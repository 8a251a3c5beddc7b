#include "selection/range_selection_shortcut.h"

namespace halomark {

std::string_view rawValue(RangeSelectionShortcut shortcut)
{
    switch (shortcut) {
    case RangeSelectionShortcut::command:
        return "command";
    case RangeSelectionShortcut::controlCommand:
        return "controlCommand";
    case RangeSelectionShortcut::optionCommand:
        return "optionCommand";
    case RangeSelectionShortcut::disabled:
        return "disabled";
    }
    return "command";
}

std::optional<RangeSelectionShortcut> rangeSelectionShortcutFromRawValue(std::string_view text)
{
    for (RangeSelectionShortcut shortcut : allRangeSelectionShortcuts) {
        if (rawValue(shortcut) == text) {
            return shortcut;
        }
    }
    return std::nullopt;
}

std::optional<EventFlags> requiredCompanionFlags(RangeSelectionShortcut shortcut)
{
    switch (shortcut) {
    case RangeSelectionShortcut::command:
        return EventFlags{0};
    case RangeSelectionShortcut::controlCommand:
        return event_flags::control;
    case RangeSelectionShortcut::optionCommand:
        return event_flags::option;
    case RangeSelectionShortcut::disabled:
        return std::nullopt;
    }
    return std::nullopt;
}

bool isShortcutHeld(RangeSelectionShortcut shortcut, EventFlags companionFlags)
{
    const auto required = requiredCompanionFlags(shortcut);
    return required.has_value() && *required == companionFlags;
}

} // namespace halomark
