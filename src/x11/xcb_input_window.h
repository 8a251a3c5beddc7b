// An input-only X window that takes the mouse over an area without showing anything. On a
// display without a compositor an overlay cannot be translucent, and its visible shape also
// limits where it takes clicks; a panel that must take the mouse while showing nothing (or only
// thin strokes) puts one of these over its frame. It lives on Qt's own X connection, so its
// events arrive in order with Qt's, on the main thread.
#pragma once

#include "qt/qt_panel.h"

#include <QAbstractNativeEventFilter>
#include <QPointF>
#include <QRect>

#include <cstdint>
#include <functional>
#include <memory>

struct xcb_connection_t;

namespace halomark::x11 {

using qt::PointerAction;

class XcbInputWindow final : public QAbstractNativeEventFilter
{
public:
    // Receives each action with the pointer in the window's own pixels (top-left origin).
    using Handler = std::function<void(PointerAction, QPointF)>;

    // Nothing when the application does not run on an X server.
    static std::unique_ptr<XcbInputWindow> create(Handler handler);
    ~XcbInputWindow() override;
    XcbInputWindow(const XcbInputWindow&) = delete;
    XcbInputWindow& operator=(const XcbInputWindow&) = delete;

    std::uint32_t windowId() const { return window; }
    // Who receives the actions from now on, as the window passes from one panel to another.
    void setHandler(Handler newHandler) { handler = std::move(newHandler); }

    // Geometry in the X screen's pixels.
    void setGeometry(const QRect& rect);
    // Maps the window on top of its siblings, or unmaps it.
    void show();
    void hide();
    void raise();
    bool isShown() const { return shown; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    XcbInputWindow(xcb_connection_t* connection, std::uint32_t window, Handler handler);

    xcb_connection_t* connection;
    std::uint32_t window;
    Handler handler;
    bool shown = false;
};

} // namespace halomark::x11
