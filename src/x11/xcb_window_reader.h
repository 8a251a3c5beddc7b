// What the X server and the window manager say about the managed (client) windows: the
// stacking order, the active window, and for each window its frame with decorations, owner
// process, class, type, state, desktop and opacity. Every request for a batch of windows is
// sent before the first reply is read, so a batch costs one round trip. A window that is gone
// by the time the server reads a request about it answers with an error; it is left out of
// the result, never reported.
//
// The reader reads in a polling round and is shared by the adapters that read windows, so the
// questions of one pass share one read: the active window and the stacking travel with the
// round's other requests and are kept for the turn of the loop they were read in, as are the
// facts of each window.
// The facts of listed windows are read once and then kept, learning what changes from the X
// server's notifications (XcbWindowCache): only what a notification marked is read again, so a
// pass over an idle desktop sends no request per window, however many there are. The events
// that arrived with a round's replies are taken into account before its answers are given, so
// no answer is older than the round's own replies. Other windows are read when asked about.
#pragma once

#include "platform/process_identifier.h"
#include "platform/window_server.h"
#include "x11/xcb_connection.h"
#include "x11/xcb_coordinates.h"
#include "x11/xcb_polling_round.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace halomark::x11 {

// The kinds of window of _NET_WM_WINDOW_TYPE; a window without the property, or with only
// types this list does not know, is normal.
enum class XcbWindowType
{
    normal,
    dialog,
    desktop,
    dock,
    toolbar,
    menu,
    utility,
    splash,
    dropdownMenu,
    popupMenu,
    tooltip,
    notification,
    combo,
    dragAndDrop,
};

// The parts of a window that a read asks for, combined with |.
using XcbWindowDetails = std::uint32_t;
namespace window_details {
// Frame from the geometry, the origin in the root and _NET_FRAME_EXTENTS/_GTK_FRAME_EXTENTS.
inline constexpr XcbWindowDetails frame = 1;
// The owning process: _NET_WM_PID, WM_CLIENT_MACHINE and the X server's record of the client.
inline constexpr XcbWindowDetails owner = 2;
inline constexpr XcbWindowDetails windowClass = 4; // WM_CLASS
inline constexpr XcbWindowDetails applicationId =
    8; // _GTK_APPLICATION_ID, _KDE_NET_WM_DESKTOP_FILE
// Map state, override-redirect, type, state, desktop and opacity.
inline constexpr XcbWindowDetails state = 16;
inline constexpr XcbWindowDetails all = frame | owner | windowClass | applicationId | state;
// What names a window's program; set before the window is mapped and kept.
inline constexpr XcbWindowDetails identity = owner | windowClass | applicationId;
} // namespace window_details

// One window as read; a part that was not asked for keeps its default.
struct XcbWindowFacts
{
    xcb_window_t window = XCB_WINDOW_NONE;
    // Root pixels: the client and its border, grown by the window manager's decorations and
    // shrunk by the invisible margins (shadows) that client-side decorations draw.
    PixelRect frame;
    // The owner (see decodeOwner): negative for a remote client the server knows no process of.
    std::optional<ProcessIdentifier> pid;
    std::optional<XcbWindowClass> windowClass;
    std::optional<std::string> applicationId; // a desktop entry id, without ".desktop"
    bool isViewable = false; // mapped with every ancestor: not minimised, not on another desktop
    bool isOverrideRedirect = false;
    XcbWindowType type = XcbWindowType::normal;
    bool isAbove = false;  // _NET_WM_STATE_ABOVE
    bool isHidden = false; // _NET_WM_STATE_HIDDEN: minimised or otherwise not shown
    std::optional<std::uint32_t> desktop;
    std::optional<std::uint32_t> opacity; // _NET_WM_WINDOW_OPACITY, 0xffffffff opaque

    friend bool operator==(const XcbWindowFacts&, const XcbWindowFacts&) = default;
};

// The desktop number that places a window on every desktop.
inline constexpr std::uint32_t allDesktops = 0xffffffffu;

// Whether the window is shown on the current desktop: viewable, not hidden, and on that
// desktop or on all of them (a window or a desktop that the manager does not number counts
// as on it).
bool isOnscreen(const XcbWindowFacts& facts, std::optional<std::uint32_t> currentDesktop);

// The window server layer of a window. The core's window list reads layers as the macOS
// window server numbers them, so each kind of window gets the layer of its counterpart there:
// normal windows and dialogs 0, windows kept above others 3 (floating), docks 20, and so on.
std::int64_t windowLayer(XcbWindowType type, bool isAbove);

namespace window_layers {
inline constexpr std::int64_t normal = 0;
inline constexpr std::int64_t floating = 3; // also torn-off menus and toolbars
inline constexpr std::int64_t utility = 19; // palettes
inline constexpr std::int64_t dock = 20;
inline constexpr std::int64_t status = 25; // notifications
inline constexpr std::int64_t popUpMenu = 101;
inline constexpr std::int64_t help = 200; // tooltips
inline constexpr std::int64_t dragging = 500;
inline constexpr std::int64_t desktop = -2147483623;
} // namespace window_layers

// A window's record for the window server port, with its bounds in top-left points.
WindowRecord windowRecord(const XcbWindowFacts& facts, bool isOnscreen,
                          const XcbCoordinates& coordinates);

class XcbWindowCache;

class XcbWindowReader final : private XcbPollingRound::Part, private XcbEventListener
{
public:
    explicit XcbWindowReader(XcbPollingRound& round);
    ~XcbWindowReader() override;
    XcbWindowReader(const XcbWindowReader&) = delete;
    XcbWindowReader& operator=(const XcbWindowReader&) = delete;

    struct Stacking
    {
        std::vector<xcb_window_t> frontToBack; // managed windows, the top-most first
        std::optional<std::uint32_t> currentDesktop;
    };

    // The managed windows from _NET_CLIENT_LIST_STACKING (or, from a manager that publishes
    // only _NET_CLIENT_LIST, in that list's order, newest first). An empty list without a
    // window manager; nothing without a display.
    std::optional<Stacking> stacking();

    // The stacking together with the facts of the given windows, all in one round trip.
    std::optional<Stacking> stackingAndRead(std::span<const xcb_window_t> windows,
                                            XcbWindowDetails details,
                                            std::vector<XcbWindowFacts>& facts);

    // _NET_ACTIVE_WINDOW: XCB_WINDOW_NONE while no window is active; nothing when no window
    // manager publishes it, or without a display.
    std::optional<xcb_window_t> activeWindow();

    // The facts of the windows that still exist, in the given order.
    std::vector<XcbWindowFacts> read(std::span<const xcb_window_t> windows,
                                     XcbWindowDetails details);
    std::optional<XcbWindowFacts> read(xcb_window_t window, XcbWindowDetails details);

    XcbConnection& connection() { return xcb; }

    // How often the reader waited for the answers about windows, beyond the round's own.
    int roundTripCount() const { return roundTrips; }

private:
    struct Pending;
    struct StackingCookies;
    struct TurnAnswers;

    // The answers of the current turn, read now unless the round has run in this turn.
    TurnAnswers& currentAnswers();
    void request() override;
    void receive() override;
    void handleEvent(const xcb_generic_event_t& event) override;
    // Finds the ancestors of newly listed windows below the root and has the cache follow them.
    void learnAncestors(std::span<const xcb_window_t> windows);
    std::vector<XcbWindowFacts>
    readKept(TurnAnswers& answers, std::span<const xcb_window_t> windows, XcbWindowDetails details);

    StackingCookies requestStacking();
    std::optional<Stacking> readStacking(const StackingCookies& cookies);
    Pending request(xcb_window_t window, XcbWindowDetails details);
    std::optional<XcbWindowFacts> readReplies(const Pending& pending);
    XcbWindowType typeOf(std::span<const std::uint32_t> types) const;

    XcbConnection& xcb;
    struct Atoms
    {
        xcb_atom_t clientListStacking = XCB_ATOM_NONE;
        xcb_atom_t clientList = XCB_ATOM_NONE;
        xcb_atom_t currentDesktop = XCB_ATOM_NONE;
        xcb_atom_t activeWindow = XCB_ATOM_NONE;
        xcb_atom_t pid = XCB_ATOM_NONE;
        xcb_atom_t frameExtents = XCB_ATOM_NONE;
        xcb_atom_t gtkFrameExtents = XCB_ATOM_NONE;
        xcb_atom_t gtkApplicationId = XCB_ATOM_NONE;
        xcb_atom_t kdeDesktopFile = XCB_ATOM_NONE;
        xcb_atom_t windowType = XCB_ATOM_NONE;
        xcb_atom_t state = XCB_ATOM_NONE;
        xcb_atom_t stateAbove = XCB_ATOM_NONE;
        xcb_atom_t stateHidden = XCB_ATOM_NONE;
        xcb_atom_t desktop = XCB_ATOM_NONE;
        xcb_atom_t opacity = XCB_ATOM_NONE;
    } atoms;
    // The atom of each known window type, in the order of XcbWindowType after normal.
    std::vector<std::pair<xcb_atom_t, XcbWindowType>> typeAtoms;

    XcbPollingRound& round;
    int roundTrips = 0;
    // Whether the server tells the local process of a client (X-Resource 1.2), the bits of a
    // resource id that a client picks itself, and this machine's name.
    bool hasClientIds = false;
    std::uint32_t resourceIdMask = 0;
    std::string hostName;
    // The root's size as last read, which bounds the decorations of a frame.
    std::pair<std::int32_t, std::int32_t> rootSize{32767, 32767};
    struct RootCookies;
    std::unique_ptr<RootCookies> sent;
    std::unique_ptr<TurnAnswers> answers;
    // The facts of the listed windows, kept current by the server's notifications, and the
    // listing they follow.
    std::unique_ptr<XcbWindowCache> cache;
    std::vector<xcb_window_t> lastListed;
};

} // namespace halomark::x11
