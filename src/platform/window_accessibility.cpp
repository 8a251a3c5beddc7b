#include "platform/window_accessibility.h"

namespace halomark {

namespace {

namespace e = accessibility_errors;

// An element is a kind in the top byte and a pid or a window id below it.
constexpr std::uint64_t kindShift = 56;
constexpr std::uint64_t payloadMask = (std::uint64_t{1} << kindShift) - 1;
constexpr std::uint64_t applicationKind = 1;
constexpr std::uint64_t windowKind = 2;

std::uint64_t kindOf(const AccessibilityElement& element)
{
    return element.reference >> kindShift;
}

std::uint64_t payloadOf(const AccessibilityElement& element)
{
    return element.reference & payloadMask;
}

} // namespace

AccessibilityElement WindowAccessibility::applicationElement(ProcessIdentifier pid)
{
    return {applicationKind << kindShift | static_cast<std::uint32_t>(pid)};
}

AccessibilityAttributeResult
WindowAccessibility::copyAttributeValue(const AccessibilityElement& element,
                                        const std::string& attribute)
{
    switch (kindOf(element)) {
    case applicationKind:
        if (attribute != accessibility_attributes::focusedWindow) {
            return {e::attributeUnsupported, std::nullopt};
        }
        return focusedWindow(static_cast<ProcessIdentifier>(payloadOf(element)));
    case windowKind:
        return windowAttribute(payloadOf(element), attribute);
    default:
        return {e::invalidElement, std::nullopt};
    }
}

std::uint64_t WindowAccessibility::hash(const AccessibilityElement& element)
{
    if (kindOf(element) == windowKind) {
        return payloadOf(element);
    }
    return element.reference;
}

std::optional<AccessibilityElement> WindowAccessibility::windowElement(std::uint64_t id)
{
    if ((id & ~payloadMask) != 0) {
        return std::nullopt;
    }
    return AccessibilityElement{windowKind << kindShift | id};
}

} // namespace halomark
