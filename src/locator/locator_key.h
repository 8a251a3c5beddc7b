// The key whose lone tap shows the ring. Super is the Command key itself; the right Control
// and right Option (Alt) keys are free on desktops that bind a lone Super tap themselves;
// `none` leaves the ring to commands from outside.
#pragma once

#include "platform/input_state.h"

#include <array>
#include <optional>
#include <string_view>

namespace halomark {

enum class LocatorKey
{
    super,
    rightControl,
    rightAlt,
    none
};

inline constexpr std::array<LocatorKey, 4> allLocatorKeys{
    LocatorKey::super, LocatorKey::rightControl, LocatorKey::rightAlt, LocatorKey::none};

inline constexpr LocatorKey defaultLocatorKey = LocatorKey::super;

std::string_view rawValue(LocatorKey key);

// The case whose raw value is the text exactly; nothing for any other text.
std::optional<LocatorKey> locatorKeyFromRawValue(std::string_view text);

// For the keys other than Super: the key itself, the other key of the same modifier (which
// spoils a tap like any other key) and the modifier flag that both set. Nothing for Super,
// whose tap is the Command key's, and for `none`.
struct SingleModifierKey
{
    KeyCode key;
    KeyCode otherSide;
    EventFlags flag;
};
std::optional<SingleModifierKey> singleModifierKey(LocatorKey key);

} // namespace halomark
