// The accessibility port over EWMH. The focused window of a process is the window manager's
// active window when that process owns it (as the window reader names owners) and it is no
// desktop window; the element of a window is its X
// window id, which is also its hash, and its position and size are its frame with
// decorations in top-left points, the same frame the window list reports, so the two match
// exactly. Without a display, or when no window manager publishes _NET_ACTIVE_WINDOW, the
// focused window cannot be read (cannotComplete); when another process owns the active window,
// the active window is the desktop, or none is active there is no value (noValue); a window that
// has gone is an invalid element. The focused window's frame is read in the same round trip as its
// owner and answers the position and size asked for right after (within 5 ms); later reads ask the
// server afresh.
#pragma once

#include "platform/window_accessibility.h"
#include "x11/xcb_screen_list.h"
#include "x11/xcb_window_reader.h"

#include <chrono>

namespace halomark::x11 {

class XcbAccessibility final : public WindowAccessibility
{
public:
    // Reads through the reader shared with the other adapters; the screen list gives the
    // coordinate space of positions.
    XcbAccessibility(XcbWindowReader& reader, const XcbScreenList& screens);

private:
    AccessibilityAttributeResult focusedWindow(ProcessIdentifier pid) override;
    AccessibilityAttributeResult windowAttribute(std::uint64_t id,
                                                 const std::string& attribute) override;

    XcbWindowReader& reader;
    const XcbScreenList& screens;
    struct RecentFrame
    {
        xcb_window_t window = XCB_WINDOW_NONE;
        PixelRect frame;
        std::chrono::steady_clock::time_point readAt;
    };
    std::optional<RecentFrame> recentFrame;
};

} // namespace halomark::x11
