#include "wayland/wayland_accessibility.h"

namespace halomark::wayland {

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

WaylandAccessibility::WaylandAccessibility(WaylandWindowSource& source, LayoutOrigin origin)
    : source(source), origin(std::move(origin))
{}

AccessibilityElement WaylandAccessibility::applicationElement(ProcessIdentifier pid)
{
    return {applicationKind << kindShift | static_cast<std::uint32_t>(pid)};
}

AccessibilityAttributeResult
WaylandAccessibility::copyAttributeValue(const AccessibilityElement& element,
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

std::uint64_t WaylandAccessibility::hash(const AccessibilityElement& element)
{
    if (kindOf(element) == windowKind) {
        return payloadOf(element);
    }
    return element.reference;
}

AccessibilityAttributeResult WaylandAccessibility::focusedWindow(ProcessIdentifier pid)
{
    const auto snapshot = source.windows();
    if (!snapshot) {
        return {e::cannotComplete, std::nullopt};
    }
    const WaylandWindow* focused = snapshot->focused();
    if (!focused || focused->pid != pid || (focused->id & ~payloadMask) != 0) {
        return {e::noValue, std::nullopt};
    }
    return {e::success,
            AccessibilityValue{AccessibilityElement{windowKind << kindShift | focused->id}}};
}

AccessibilityAttributeResult WaylandAccessibility::windowAttribute(std::uint64_t id,
                                                                   const std::string& attribute)
{
    const bool isPosition = attribute == accessibility_attributes::position;
    if (!isPosition && attribute != accessibility_attributes::size) {
        return {e::attributeUnsupported, std::nullopt};
    }
    const auto snapshot = source.windows();
    if (!snapshot) {
        return {e::cannotComplete, std::nullopt};
    }
    const WaylandWindow* window = snapshot->window(id);
    if (!window) {
        return {e::invalidElement, std::nullopt};
    }
    if (isPosition) {
        const Point start = layoutOriginOf(origin, *snapshot);
        return {e::success, AccessibilityValue{Point{window->frame.minX() - start.x,
                                                     window->frame.minY() - start.y}}};
    }
    return {e::success, AccessibilityValue{window->frame.size}};
}

} // namespace halomark::wayland
