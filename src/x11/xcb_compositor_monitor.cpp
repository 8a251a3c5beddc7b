#include "x11/xcb_compositor_monitor.h"

#include <xcb/xfixes.h>

#include <string>

namespace halomark::x11 {

XcbCompositorMonitor::XcbCompositorMonitor(XcbConnection& connection) : connection(connection)
{
    connection.addListener(*this);
    if (!connection.isConnected()) {
        return;
    }
    selection = connection.atom("_NET_WM_CM_S" + std::to_string(connection.screenNumber()));
    xcb_connection_t* c = connection.raw();
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (xfixes != nullptr && xfixes->present != 0) {
        XcbReply<xcb_xfixes_query_version_reply_t> version(xcb_xfixes_query_version_reply(
            c, xcb_xfixes_query_version(c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION),
            nullptr));
        if (version && version->major_version >= 1) {
            xfixesFirstEvent = xfixes->first_event;
            xcb_xfixes_select_selection_input(
                c, connection.root(), selection,
                XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                    XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                    XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
        }
    }
    compositing = readOwner();
}

XcbCompositorMonitor::~XcbCompositorMonitor()
{
    connection.removeListener(*this);
    if (xfixesFirstEvent && connection.isConnected()) {
        xcb_xfixes_select_selection_input(connection.raw(), connection.root(), selection, 0);
        connection.flush();
    }
}

bool XcbCompositorMonitor::isCompositing()
{
    if (!xfixesFirstEvent) {
        compositing = readOwner();
    }
    return compositing;
}

void XcbCompositorMonitor::setChangeHandler(std::function<void(bool)> handler)
{
    changeHandler = std::move(handler);
}

void XcbCompositorMonitor::handleEvent(const xcb_generic_event_t& event)
{
    if (xfixesFirstEvent &&
        (event.response_type & 0x7f) == *xfixesFirstEvent + XCB_XFIXES_SELECTION_NOTIFY) {
        const auto& notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t&>(event);
        if (notify.selection == selection) {
            isStale = true;
        }
    }
}

void XcbCompositorMonitor::finishEvents()
{
    if (!isStale) {
        return;
    }
    isStale = false;
    // Asked again rather than taken from the event: after a quick stop and start only the
    // present owner matters.
    const bool now = readOwner();
    if (now != compositing) {
        compositing = now;
        if (changeHandler) {
            changeHandler(now);
        }
    }
}

bool XcbCompositorMonitor::readOwner()
{
    if (selection == XCB_ATOM_NONE || !connection.isConnected()) {
        return false;
    }
    xcb_connection_t* c = connection.raw();
    XcbReply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr));
    if (!owner) {
        connection.isConnected();
        return false;
    }
    return owner->owner != XCB_WINDOW_NONE;
}

} // namespace halomark::x11
