// The names of the user-visible texts. Every menu title, alert title, alert message and button
// title is looked up by one of these; the raw value of a key is its case name. A text that
// speaks of the Mac (its keys, its menu bar, its Dock) has a Linux variant, a key of its own that
// the lookup uses instead on a Linux desktop.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace halomark {

enum class Key
{
    enableHalomark,
    focusCue,
    rangeSelectionShortcut,
    drag,
    off,
    launchAtLogin,
    language,
    systemDefault,
    color,
    colorDefault,
    colorRed,
    colorOrange,
    colorYellow,
    colorGreen,
    colorCyan,
    colorBlue,
    colorPurple,
    colorCustom,
    howToUse,
    howToUseTitle,
    howToUseMessage,
    aboutHalomark,
    aboutMessage,
    version,
    privacyPolicy,
    privacyPolicyTitle,
    privacyPolicyMessage,
    support,
    openWebVersion,
    close,
    quitHalomark,
    loginErrorTitle,
    ok,
    locatorKey,
    locatorKeySuper,
    locatorKeyRightControl,
    locatorKeyRightAlt,
    locatorKeyNone,
    locatorKeyConflictTitle,
    // Holds "{desktop}" once, which the caller replaces with the desktop's name.
    locatorKeyConflictMessage,
    useRightControl,
    keepSuper,
    howToUseMessageLinux,
    aboutMessageLinux,
    privacyPolicyMessageLinux,
    spotlight,
    showClicks
};

inline constexpr std::size_t keyCount = static_cast<std::size_t>(Key::showClicks) + 1;

// Every key in declaration order.
inline constexpr std::array<Key, keyCount> allKeys = [] {
    std::array<Key, keyCount> keys{};
    for (std::size_t i = 0; i < keyCount; ++i) {
        keys[i] = static_cast<Key>(i);
    }
    return keys;
}();

// The case name, "enableHalomark" to "showClicks".
std::string_view rawValue(Key key);

// The key whose case name is the text exactly; nothing for any other text.
std::optional<Key> keyFromRawValue(std::string_view text);

// The key whose text replaces the key's on a Linux desktop; nothing when the text fits both.
std::optional<Key> linuxVariant(Key key);

} // namespace halomark
