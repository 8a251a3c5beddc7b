// The window server port over XCB and the window manager's EWMH properties. The list is the
// window manager's stacking order turned front to back, one record per managed window with
// its owner's pid, a layer after its type and state, its number (the X window id), its frame
// with decorations in top-left points, whether it is on screen (viewable, not hidden, on the
// current desktop), its opacity when set, and its class as the owner's name. Every request of
// a list is sent before any reply is read. A window that disappears while it is read is left
// out. Windows that bypass the window manager (this application's overlays among them) are
// not managed and so never listed; windows of this application's own process are left out too.
// The relative window is not used: the whole list is always given.
#pragma once

#include "platform/window_server.h"
#include "x11/xcb_screen_list.h"
#include "x11/xcb_window_reader.h"

namespace halomark::x11 {

class XcbWindowServer final : public WindowServer
{
public:
    // Reads through the reader shared with the other adapters; the screen list gives the
    // coordinate space of the bounds.
    XcbWindowServer(XcbWindowReader& reader, const XcbScreenList& screens,
                    ProcessIdentifier ownProcessIdentifier);

    std::optional<std::vector<WindowRecord>> copyWindowList(WindowListOptions options,
                                                            WindowNumber relativeWindow) override;

    // Nothing for a window that the window manager does not manage (or no longer does), and
    // for windows of this application.
    std::optional<WindowRecord> windowDescription(WindowNumber number) override;

private:
    // The records of these windows, front to back as given, with the list's filters.
    std::vector<WindowRecord> recordsOf(std::span<const xcb_window_t> frontToBack,
                                        WindowListOptions options,
                                        std::optional<std::uint32_t> currentDesktop);
    std::optional<WindowRecord> recordOf(const XcbWindowFacts& facts, WindowListOptions options,
                                         std::optional<std::uint32_t> currentDesktop) const;

    XcbWindowReader& reader;
    const XcbScreenList& screens;
    ProcessIdentifier ownPid;
};

} // namespace halomark::x11
