// The seam between the Wayland adapters and the compositor: what a compositor says about its
// windows, which no Wayland protocol gives a client (the foreign-toplevel protocol has no
// geometry). Each compositor family answers it its own way (sway through its IPC socket; KWin
// or GNOME Shell would through a script or an extension reporting over D-Bus), and the window
// server, accessibility and workspace adapters read only this.
#pragma once

#include "platform/geometry.h"
#include "platform/process_identifier.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace halomark::wayland {

// A rectangle in the compositor's layout: logical pixels, origin at the layout's top-left
// corner, y downwards (the Rect type, read top-left).
using LayoutRect = Rect;

struct WaylandWindow
{
    std::uint64_t id = 0; // the compositor's number for the window, stable while it lives
    std::optional<ProcessIdentifier> pid;
    std::optional<std::string> appId; // the Wayland app_id, or an X11 window's class
    std::optional<std::string> title;
    LayoutRect frame;       // with the compositor's decorations (title bar and border)
    bool isVisible = false; // shown now: on a visible workspace, not hidden behind a tab
    bool isFloating = false;
    bool isFullscreen = false;
    std::optional<double> opacity;

    friend bool operator==(const WaylandWindow&, const WaylandWindow&) = default;
};

struct WaylandOutput
{
    std::string name; // HEADLESS-1, DP-2
    LayoutRect frame;

    friend bool operator==(const WaylandOutput&, const WaylandOutput&) = default;
};

// The windows and outputs at one moment.
struct WaylandWindowSnapshot
{
    std::vector<WaylandWindow> frontToBack; // the top-most first
    std::vector<WaylandOutput> outputs;     // in the compositor's order
    std::optional<std::uint64_t> focusedWindow;

    const WaylandWindow* window(std::uint64_t id) const
    {
        for (const WaylandWindow& one : frontToBack) {
            if (one.id == id) {
                return &one;
            }
        }
        return nullptr;
    }
    const WaylandWindow* focused() const
    {
        return focusedWindow ? window(*focusedWindow) : nullptr;
    }

    friend bool operator==(const WaylandWindowSnapshot&, const WaylandWindowSnapshot&) = default;
};

class WaylandWindowSource
{
public:
    virtual ~WaylandWindowSource() = default;

    // The windows as they are now, or nothing when the compositor does not answer. Successive
    // calls within a moment share one read.
    virtual std::shared_ptr<const WaylandWindowSnapshot> windows() = 0;

    // Called on the main loop when the compositor announces that windows, focus, workspaces or
    // outputs changed. One handler; setting another replaces it.
    virtual void setChangeHandler(std::function<void()> handler) = 0;
};

// The layout point that the ports' top-left coordinates count from: the top-left corner of
// the screen the core's screen list names first. Without one, the first output's.
using LayoutOrigin = std::function<std::optional<Point>()>;

// Where the port coordinates start in this snapshot's layout.
inline Point layoutOriginOf(const LayoutOrigin& origin, const WaylandWindowSnapshot& snapshot)
{
    if (origin) {
        if (const auto point = origin()) {
            return *point;
        }
    }
    if (!snapshot.outputs.empty()) {
        return snapshot.outputs.front().frame.origin;
    }
    return {};
}

} // namespace halomark::wayland
