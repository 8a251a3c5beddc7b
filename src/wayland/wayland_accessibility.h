// The accessibility port over a compositor's window source. The focused window of a process is
// the compositor's focused window when that process owns it; the element of a window is its
// id, which is also its hash, and its position and size are the frame the window list
// reports, so the two match exactly. Without an answer from the compositor the focused window
// cannot be read (cannotComplete); when another process has the focus, or no window has it,
// there is no value (noValue); a window that has gone is an invalid element.
#pragma once

#include "platform/window_accessibility.h"
#include "wayland/wayland_window_source.h"

namespace halomark::wayland {

class WaylandAccessibility final : public WindowAccessibility
{
public:
    explicit WaylandAccessibility(WaylandWindowSource& source, LayoutOrigin origin = {});

private:
    AccessibilityAttributeResult focusedWindow(ProcessIdentifier pid) override;
    AccessibilityAttributeResult windowAttribute(std::uint64_t id,
                                                 const std::string& attribute) override;

    WaylandWindowSource& source;
    LayoutOrigin origin;
};

} // namespace halomark::wayland
