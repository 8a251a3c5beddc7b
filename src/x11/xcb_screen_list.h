// The screens port over XCB. Each RandR monitor is a screen, the primary one first and then
// in the server's order. Frames are in points: the scale (device pixels per point) is the
// resource database's Xft.dpi over 96, the same factor the toolkit scales its windows by,
// and 1 when Xft.dpi is not set. The usable frame of each monitor is the monitor less the
// struts of the panels that lie on it (_NET_WORKAREA is one rectangle for the whole desktop
// and cannot say which monitor a panel is on). A monitor is identified by its RandR output,
// or by its name when it has none; both survive reconfiguration. The list is read once and
// again whenever monitors, panels or their struts, or Xft.dpi change, which is also when the
// change handler runs; without a display the last list is kept.
#pragma once

#include "platform/screen_list.h"
#include "x11/xcb_connection.h"
#include "x11/xcb_coordinates.h"

#include <optional>
#include <set>
#include <vector>

namespace halomark::x11 {

class XcbScreenList final : public ScreenList, private XcbEventListener
{
public:
    explicit XcbScreenList(XcbConnection& connection);
    ~XcbScreenList() override;
    XcbScreenList(const XcbScreenList&) = delete;
    XcbScreenList& operator=(const XcbScreenList&) = delete;

    std::vector<Screen> screens() override { return all; }
    // The monitor that holds most of the active window; the first screen when no window is
    // active or it lies on no monitor.
    std::optional<Screen> mainScreen() override;
    void setChangeHandler(std::function<void()> handler) override;

    // The coordinate space of the last reading, for adapters that convert X geometry.
    const XcbCoordinates& coordinates() const { return space; }

    // The monitors of the last reading in root pixels, in the order of screens().
    const std::vector<PixelRect>& monitorPixels() const { return monitors; }

private:
    void handleEvent(const xcb_generic_event_t& event) override;
    void finishEvents() override;

    // Reads everything again; true when the result differs from what was known.
    bool refresh();
    void watchClients(const std::vector<std::uint32_t>& clients);

    struct Atoms
    {
        xcb_atom_t clientList = XCB_ATOM_NONE;
        xcb_atom_t activeWindow = XCB_ATOM_NONE;
        xcb_atom_t strutPartial = XCB_ATOM_NONE;
        xcb_atom_t strut = XCB_ATOM_NONE;
        xcb_atom_t resources = XCB_ATOM_NONE;
    };

    XcbConnection& connection;
    Atoms atoms;
    std::optional<std::uint8_t> randrFirstEvent; // RandR 1.5 with monitors, when present
    std::vector<Screen> all;
    std::vector<PixelRect> monitors;
    XcbCoordinates space;
    std::set<xcb_window_t> watchedClients;
    std::function<void()> changeHandler;
    bool isStale = false;
};

} // namespace halomark::x11
