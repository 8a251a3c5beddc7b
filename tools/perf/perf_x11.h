// What the measurements need from the X server, over a connection of their own: keys, buttons
// and pointer moves injected with XTEST as a person's would be, the clients of a process and
// the resources they hold (X-Resource), and a watch over the root's top-level windows that logs
// when a process's windows are created, mapped, unmapped and drawn into (DAMAGE), and when the
// active window changes, each with the moment it was read.
#pragma once

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace halomark::perf {

using Clock = std::chrono::steady_clock;

struct WindowRect
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool intersects(const WindowRect& other) const
    {
        return x < other.x + other.width && other.x < x + width && y < other.y + other.height &&
               other.y < y + height;
    }
};

class XServer
{
public:
    XServer();
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    bool isConnected() const;
    xcb_connection_t* connection() const { return xcb; }
    xcb_window_t root() const { return rootWindow; }
    // Why a needed extension is missing; empty when all are there.
    const std::string& missing() const { return missingExtensions; }
    std::uint8_t damageEventBase() const { return damageBase; }

    xcb_atom_t atom(const std::string& name);
    std::string atomName(xcb_atom_t atom);
    std::optional<xcb_keycode_t> keycodeOf(xcb_keysym_t keysym);

    void fakeKey(xcb_keycode_t keycode, bool press);
    void fakeButton(std::uint8_t button, bool press);
    void fakeMotion(int x, int y);
    // A round trip: every request sent before has been handled when it returns.
    void sync();

    // The resource bases of the clients that the server knows to belong to the process.
    std::vector<std::uint32_t> clientBasesOf(pid_t pid);
    bool isOwnedBy(xcb_window_t window, const std::vector<std::uint32_t>& bases) const;
    // Resources per type name ("WINDOW", "PIXMAP", ...) summed over the process's clients.
    std::map<std::string, std::uint32_t> resourcesOf(pid_t pid);

    std::optional<WindowRect> rootRectOf(xcb_window_t window);
    xcb_window_t activeWindow();
    // Asks the window manager to activate the window, as a pager does.
    void requestActivation(xcb_window_t window);

private:
    xcb_connection_t* xcb = nullptr;
    xcb_window_t rootWindow = XCB_WINDOW_NONE;
    std::uint32_t idMask = 0;
    std::uint8_t damageBase = 0;
    std::string missingExtensions;
};

// What the watch saw.
struct Observed
{
    enum class Kind
    {
        created,
        mapped,
        unmapped,
        damaged,
        activeChanged,
        opacityChanged // the window's _NET_WM_WINDOW_OPACITY, which a compositor applies
    };
    Kind kind = Kind::damaged;
    xcb_window_t window = XCB_WINDOW_NONE;
    Clock::time_point at;       // when this client read it
    std::uint32_t serverMs = 0; // the server's time stamp (damage and property changes)
    WindowRect area;            // damaged area in root coordinates (damage reports only)
};

// Watches the top-level windows of one process: every one that exists or is created gets a
// damage object reporting each drawn rectangle, and its opacity property is watched (a panel
// may fade by having the compositor change its opacity rather than by repainting).
class OverlayWatch
{
public:
    OverlayWatch(XServer& server, pid_t pid);
    ~OverlayWatch();
    OverlayWatch(const OverlayWatch&) = delete;
    OverlayWatch& operator=(const OverlayWatch&) = delete;

    // Reads events until the time passes.
    void pumpFor(std::chrono::milliseconds duration);
    // Reads events until the condition holds or the time passes; true when it held.
    bool pumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

    const std::vector<Observed>& log() const { return observed; }
    void clearLog() { observed.clear(); }
    std::optional<WindowRect> rectOf(xcb_window_t window) const;
    bool isMapped(xcb_window_t window) const;
    bool owns(xcb_window_t window) const { return windows.contains(window); }

private:
    struct Tracked
    {
        WindowRect rect;
        bool mapped = false;
        xcb_damage_damage_t damage = 0;
    };

    void track(xcb_window_t window, const WindowRect& rect, bool mapped);
    void handle(xcb_generic_event_t* event, Clock::time_point at);
    bool readEvents(std::chrono::milliseconds wait);

    XServer& server;
    pid_t pid;
    std::vector<std::uint32_t> bases;
    xcb_atom_t activeAtom = XCB_ATOM_NONE;
    xcb_atom_t opacityAtom = XCB_ATOM_NONE;
    std::map<xcb_window_t, Tracked> windows;
    std::vector<Observed> observed;
};

} // namespace halomark::perf
