#include "wayland/wayland_accessibility.h"

namespace halomark::wayland {

namespace {

namespace e = accessibility_errors;

} // namespace

WaylandAccessibility::WaylandAccessibility(WaylandWindowSource& source, LayoutOrigin origin)
    : source(source), origin(std::move(origin))
{}

AccessibilityAttributeResult WaylandAccessibility::focusedWindow(ProcessIdentifier pid)
{
    const auto snapshot = source.windows();
    if (!snapshot) {
        return {e::cannotComplete, std::nullopt};
    }
    const WaylandWindow* focused = snapshot->focused();
    const auto element = focused && focused->pid == pid ? windowElement(focused->id) : std::nullopt;
    if (!element) {
        return {e::noValue, std::nullopt};
    }
    return {e::success, AccessibilityValue{*element}};
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
