#include "x11/xcb_accessibility.h"

#include <limits>

namespace halomark::x11 {

namespace {

namespace e = accessibility_errors;

// Long enough for the reads of one resolution, far shorter than a polling interval.
constexpr std::chrono::milliseconds recentFrameAge{5};

} // namespace

XcbAccessibility::XcbAccessibility(XcbWindowReader& reader, const XcbScreenList& screens)
    : reader(reader), screens(screens)
{}

AccessibilityAttributeResult XcbAccessibility::focusedWindow(ProcessIdentifier pid)
{
    const std::optional<xcb_window_t> active = reader.activeWindow();
    if (!active) {
        return {e::cannotComplete, std::nullopt};
    }
    if (*active == XCB_WINDOW_NONE) {
        return {e::noValue, std::nullopt};
    }
    namespace d = window_details;
    const auto facts = reader.read(*active, d::owner | d::frame | d::state);
    if (!facts && !reader.connection().isConnected()) {
        return {e::cannotComplete, std::nullopt};
    }
    // Gone since it was active, or owned by another process: this one has no focused window.
    // Nor is the desktop drawn by a file manager a window of it: the whole monitor is no
    // window to show.
    if (!facts || facts->pid != pid || facts->type == XcbWindowType::desktop) {
        return {e::noValue, std::nullopt};
    }
    recentFrame = RecentFrame{*active, facts->frame, std::chrono::steady_clock::now()};
    return {e::success, AccessibilityValue{*windowElement(*active)}};
}

AccessibilityAttributeResult XcbAccessibility::windowAttribute(std::uint64_t id,
                                                               const std::string& attribute)
{
    const bool isPosition = attribute == accessibility_attributes::position;
    if (!isPosition && attribute != accessibility_attributes::size) {
        return {e::attributeUnsupported, std::nullopt};
    }
    // X window ids have 32 bits; a wider id was never handed out.
    if (id > std::numeric_limits<xcb_window_t>::max()) {
        return {e::invalidElement, std::nullopt};
    }
    const auto window = static_cast<xcb_window_t>(id);
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
