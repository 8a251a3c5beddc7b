#include "localization/key.h"

namespace halomark {
namespace {

// Indexed by the key's position in declaration order.
constexpr std::array<std::string_view, keyCount> keyNames{
    "enableHalomark",
    "focusCue",
    "rangeSelectionShortcut",
    "drag",
    "off",
    "launchAtLogin",
    "language",
    "systemDefault",
    "color",
    "colorDefault",
    "colorRed",
    "colorOrange",
    "colorYellow",
    "colorGreen",
    "colorCyan",
    "colorBlue",
    "colorPurple",
    "colorCustom",
    "howToUse",
    "howToUseTitle",
    "howToUseMessage",
    "aboutHalomark",
    "aboutMessage",
    "version",
    "privacyPolicy",
    "privacyPolicyTitle",
    "privacyPolicyMessage",
    "support",
    "openWebVersion",
    "close",
    "quitHalomark",
    "loginErrorTitle",
    "ok",
    "locatorKey",
    "locatorKeySuper",
    "locatorKeyRightControl",
    "locatorKeyRightAlt",
    "locatorKeyNone",
    "locatorKeyConflictTitle",
    "locatorKeyConflictMessage",
    "useRightControl",
    "keepSuper",
    "howToUseMessageLinux",
    "aboutMessageLinux",
    "privacyPolicyMessageLinux",
    "spotlight",
    "showClicks",
};

} // namespace

std::string_view rawValue(Key key)
{
    const auto index = static_cast<std::size_t>(key);
    return index < keyCount ? keyNames[index] : std::string_view{};
}

std::optional<Key> keyFromRawValue(std::string_view text)
{
    for (std::size_t i = 0; i < keyCount; ++i) {
        if (keyNames[i] == text) {
            return static_cast<Key>(i);
        }
    }
    return std::nullopt;
}

std::optional<Key> linuxVariant(Key key)
{
    switch (key) {
    case Key::howToUseMessage:
        return Key::howToUseMessageLinux;
    case Key::aboutMessage:
        return Key::aboutMessageLinux;
    case Key::privacyPolicyMessage:
        return Key::privacyPolicyMessageLinux;
    default:
        return std::nullopt;
    }
}

} // namespace halomark
