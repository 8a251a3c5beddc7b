// Whether a compositing manager runs on the default screen: one does while the
// _NET_WM_CM_S<screen> selection has an owner. Translucent overlays need one; without it the
// toolkit adapter cuts holes with a shape mask instead. Changes of owner are followed through
// XFixes selection events and reported to the change handler; a server without XFixes is
// asked afresh at every question and reports nothing.
#pragma once

#include "x11/xcb_connection.h"

#include <functional>
#include <optional>

namespace halomark::x11 {

class XcbCompositorMonitor final : private XcbEventListener
{
public:
    explicit XcbCompositorMonitor(XcbConnection& connection);
    ~XcbCompositorMonitor() override;
    XcbCompositorMonitor(const XcbCompositorMonitor&) = delete;
    XcbCompositorMonitor& operator=(const XcbCompositorMonitor&) = delete;

    // False without a display.
    bool isCompositing();

    // Called with the new answer whenever a compositing manager starts or stops. One
    // handler; setting another replaces it.
    void setChangeHandler(std::function<void(bool)> handler);

private:
    void handleEvent(const xcb_generic_event_t& event) override;
    void finishEvents() override;
    bool readOwner();

    XcbConnection& connection;
    xcb_atom_t selection = XCB_ATOM_NONE;
    std::optional<std::uint8_t> xfixesFirstEvent;
    bool compositing = false;
    bool isStale = false;
    std::function<void(bool)> changeHandler;
};

} // namespace halomark::x11
