#include "locator/locator_key.h"

namespace halomark {

std::string_view rawValue(LocatorKey key)
{
    switch (key) {
    case LocatorKey::super:
        return "super";
    case LocatorKey::rightControl:
        return "rightControl";
    case LocatorKey::rightAlt:
        return "rightAlt";
    case LocatorKey::none:
        return "none";
    }
    return "super";
}

std::optional<LocatorKey> locatorKeyFromRawValue(std::string_view text)
{
    for (LocatorKey key : allLocatorKeys) {
        if (rawValue(key) == text) {
            return key;
        }
    }
    return std::nullopt;
}

std::optional<SingleModifierKey> singleModifierKey(LocatorKey key)
{
    switch (key) {
    case LocatorKey::rightControl:
        return SingleModifierKey{key_codes::rightControl, key_codes::leftControl,
                                 event_flags::control};
    case LocatorKey::rightAlt:
        return SingleModifierKey{key_codes::rightOption, key_codes::leftOption,
                                 event_flags::option};
    case LocatorKey::super:
    case LocatorKey::none:
        break;
    }
    return std::nullopt;
}

} // namespace halomark
