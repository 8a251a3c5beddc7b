#include "x11/xcb_input_window.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <algorithm>
#include <array>

namespace halomark::x11 {

std::unique_ptr<XcbInputWindow> XcbInputWindow::create(Handler handler)
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection) {
        return nullptr;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen) {
        return nullptr;
    }
    const std::uint32_t window = xcb_generate_id(connection);
    // Override-redirect, as the overlays are: a window manager would otherwise frame it.
    const std::array<std::uint32_t, 2> values{1, XCB_EVENT_MASK_BUTTON_PRESS |
                                                     XCB_EVENT_MASK_BUTTON_RELEASE |
                                                     XCB_EVENT_MASK_POINTER_MOTION};
    xcb_create_window(connection, 0, window, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT,
                      XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values.data());
    xcb_flush(connection);
    return std::unique_ptr<XcbInputWindow>(
        new XcbInputWindow(connection, window, std::move(handler)));
}

XcbInputWindow::XcbInputWindow(xcb_connection_t* connection, std::uint32_t window, Handler handler)
    : connection(connection), window(window), handler(std::move(handler))
{
    QCoreApplication::instance()->installNativeEventFilter(this);
}

XcbInputWindow::~XcbInputWindow()
{
    if (QCoreApplication::instance()) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
    xcb_destroy_window(connection, window);
    xcb_flush(connection);
}

void XcbInputWindow::setGeometry(const QRect& rect)
{
    const std::array<std::uint32_t, 4> values{
        static_cast<std::uint32_t>(rect.x()), static_cast<std::uint32_t>(rect.y()),
        static_cast<std::uint32_t>(std::max(1, rect.width())),
        static_cast<std::uint32_t>(std::max(1, rect.height()))};
    xcb_configure_window(connection, window,
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                             XCB_CONFIG_WINDOW_HEIGHT,
                         values.data());
    xcb_flush(connection);
}

void XcbInputWindow::show()
{
    xcb_map_window(connection, window);
    shown = true;
    raise();
}

void XcbInputWindow::hide()
{
    xcb_unmap_window(connection, window);
    xcb_flush(connection);
    shown = false;
}

void XcbInputWindow::raise()
{
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(connection, window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    xcb_flush(connection);
}

bool XcbInputWindow::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t" || !message) {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    // A copy: the handler may end the panel, and with it this window, while it runs.
    const Handler handle = handler;
    if (!handle) {
        return false; // kept for a panel to come
    }
    switch (event->response_type & 0x7f) {
    case XCB_BUTTON_PRESS: {
        const auto* press = static_cast<const xcb_button_press_event_t*>(message);
        if (press->event != window) {
            return false;
        }
        const QPointF at(press->event_x, press->event_y);
        if (press->detail == 1) {
            handle(PointerAction::leftPress, at);
        } else if (press->detail == 3) {
            handle(PointerAction::rightPress, at);
        }
        return true;
    }
    case XCB_BUTTON_RELEASE: {
        const auto* release = static_cast<const xcb_button_release_event_t*>(message);
        if (release->event != window) {
            return false;
        }
        if (release->detail == 1) {
            handle(PointerAction::leftRelease, QPointF(release->event_x, release->event_y));
        }
        return true;
    }
    case XCB_MOTION_NOTIFY: {
        const auto* motion = static_cast<const xcb_motion_notify_event_t*>(message);
        if (motion->event != window) {
            return false;
        }
        if (motion->state & XCB_BUTTON_MASK_1) {
            handle(PointerAction::leftDrag, QPointF(motion->event_x, motion->event_y));
        }
        return true;
    }
    default:
        return false;
    }
}

} // namespace halomark::x11
