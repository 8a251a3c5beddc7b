// What the X11 session adds to the Qt overlay panels. Their windows bypass the window manager,
// since under a managing window manager the frame it adds would swallow clicks meant for the
// window below, and never take focus. Each step of a fade is flushed to the X server at once.
//
// Without a compositor a translucent window shows as an opaque sheet that would hide the
// screen, so every panel then shows only the band along the edges of what its view painted,
// in opaque colours, cut out with a shape mask (see xcb_outline_shape.h); a panel that takes
// the mouse takes it through an input-only window over its frame, even where it shows nothing.
// Alpha needs a compositor: without one it is kept but has no visible effect. Input windows are
// made ahead with the panels' windows and kept when their panel goes, for the next one.
#pragma once

#include "qt/qt_panel.h"
#include "x11/xcb_input_window.h"

#include <memory>
#include <vector>

namespace halomark::x11 {

class XcbPanelWindowing final : public qt::QtPanelWindowing
{
public:
    void prepareWindow(QWidget& window) override;
    // The outline drawing; the first one to show tells the user once that no compositor runs.
    std::unique_ptr<qt::QtPanelDrawing> makeOpaqueDrawing(qt::QtPanel& panel) override;
    void flush() override;

private:
    class OutlineDrawing;

    std::unique_ptr<XcbInputWindow> takeInputWindow();
    void keepInputWindow(std::unique_ptr<XcbInputWindow> window);

    bool toldAboutCompositor = false;
    std::vector<std::unique_ptr<XcbInputWindow>> spareInputWindows; // hidden, for the next
};

} // namespace halomark::x11
