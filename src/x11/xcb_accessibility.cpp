#include "x11/xcb_accessibility.h"

namespace halomark::x11 {

namespace {

namespace e = accessibility_errors;

// An element is a kind in the top byte and a pid or a window id below it.
constexpr std::uint64_t kindShift = 56;
constexpr std::uint64_t applicationKind = 1;
constexpr std::uint64_t windowKind = 2;

std::uint64_t kindOf(const AccessibilityElement& element)
{
    return element.reference >> kindShift;
}

// Long enough for the reads of one resolution, far shorter than a polling interval.
constexpr std::chrono::milliseconds recentFrameAge{5};

std::uint32_t payloadOf(const AccessibilityElement& element)
{
    return static_cast<std::uint32_t>(element.reference & 0xffffffffu);
}

} // namespace

XcbAccessibility::XcbAccessibility(XcbWindowReader& reader, const XcbScreenList& screens)
    : reader(reader), screens(screens)
{}

AccessibilityElement XcbAccessibility::applicationElement(ProcessIdentifier pid)
{
    return {applicationKind << kindShift | static_cast<std::uint32_t>(pid)};
}

AccessibilityAttributeResult
XcbAccessibility::copyAttributeValue(const AccessibilityElement& element,
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

std::uint64_t XcbAccessibility::hash(const AccessibilityElement& element)
{
    if (kindOf(element) == windowKind) {
        return payloadOf(element);
    }
    return element.reference;
}

AccessibilityAttributeResult XcbAccessibility::focusedWindow(ProcessIdentifier pid)
{
    const std::optional<xcb_window_t> active = reader.activeWindow();
    if (!active) {
        return {e::cannotComplete, std::nullopt};
    }
    if (*active == XCB_WINDOW_NONE) {
        return {e::noValue, std::nullopt};
    }
    const auto facts = reader.read(*active, window_details::owner | window_details::frame);
    if (!facts && !reader.connection().isConnected()) {
        return {e::cannotComplete, std::nullopt};
    }
    // Gone since it was active, or owned by another process: this one has no focused window.
    if (!facts || facts->pid != pid) {
        return {e::noValue, std::nullopt};
    }
    recentFrame = RecentFrame{*active, facts->frame, std::chrono::steady_clock::now()};
    return {e::success,
            AccessibilityValue{AccessibilityElement{windowKind << kindShift | *active}}};
}

AccessibilityAttributeResult XcbAccessibility::windowAttribute(xcb_window_t window,
                                                               const std::string& attribute)
{
    const bool isPosition = attribute == accessibility_attributes::position;
    if (!isPosition && attribute != accessibility_attributes::size) {
        return {e::attributeUnsupported, std::nullopt};
    }
    std::optional<PixelRect> pixels;
    if (recentFrame && recentFrame->window == window &&
        std::chrono::steady_clock::now() - recentFrame->readAt <= recentFrameAge) {
        pixels = recentFrame->frame;
    } else if (const auto facts = reader.read(window, window_details::frame)) {
        pixels = facts->frame;
    } else {
        return {reader.connection().isConnected() ? e::invalidElement : e::cannotComplete,
                std::nullopt};
    }
    const Rect frame = screens.coordinates().toTopLeftPoints(*pixels);
    if (isPosition) {
        return {e::success, AccessibilityValue{frame.origin}};
    }
    return {e::success, AccessibilityValue{frame.size}};
}

} // namespace halomark::x11
