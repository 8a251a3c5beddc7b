// The accessibility port over a compositor's window source. The focused window of a process is
// the compositor's focused window when that process owns it; the element of a window is its
// id, which is also its hash, and its position and size are the frame the window list
// reports, so the two match exactly. Without an answer from the compositor the focused window
// cannot be read (cannotComplete); when another process has the focus, or no window has it,
// there is no value (noValue); a window that has gone is an invalid element.
#pragma once

#include "platform/accessibility.h"
#include "wayland/wayland_window_source.h"

namespace halomark::wayland {

class WaylandAccessibility final : public Accessibility
{
public:
    explicit WaylandAccessibility(WaylandWindowSource& source, LayoutOrigin origin = {});

    AccessibilityElement applicationElement(ProcessIdentifier pid) override;
    AccessibilityAttributeResult copyAttributeValue(const AccessibilityElement& element,
                                                    const std::string& attribute) override;
    // The window's id for a window element.
    std::uint64_t hash(const AccessibilityElement& element) override;

private:
    AccessibilityAttributeResult focusedWindow(ProcessIdentifier pid);
    AccessibilityAttributeResult windowAttribute(std::uint64_t id, const std::string& attribute);

    WaylandWindowSource& source;
    LayoutOrigin origin;
};

} // namespace halomark::wayland
