// The window server port over a compositor's window source. One record per window, front to
// back as the source orders them: its owner's pid, layer 0 for tiled windows and 3 (kept
// above) for floating ones, its number (the compositor's id), its frame with decorations in
// top-left points counted from the layout origin, whether it is shown now, its opacity when
// the compositor reports one, and its app_id as the owner's name. Windows of this process are
// left out. The relative window is not used: the whole list is always given.
#pragma once

#include "platform/window_server.h"
#include "wayland/wayland_window_source.h"

namespace halomark::wayland {

// The layers of the core's window list that a compositor's windows have.
namespace wayland_window_layers {
inline constexpr std::int64_t normal = 0;
inline constexpr std::int64_t floating = 3;
} // namespace wayland_window_layers

// A window's record, its bounds counted from the origin.
WindowRecord windowRecord(const WaylandWindow& window, Point origin);

class WaylandWindowServer final : public WindowServer
{
public:
    WaylandWindowServer(WaylandWindowSource& source, ProcessIdentifier ownProcessIdentifier,
                        LayoutOrigin origin = {});

    // Nothing when the compositor does not answer.
    std::optional<std::vector<WindowRecord>> copyWindowList(WindowListOptions options,
                                                            WindowNumber relativeWindow) override;
    // Nothing for a window the compositor does not know, and for windows of this process.
    std::optional<WindowRecord> windowDescription(WindowNumber number) override;

private:
    WaylandWindowSource& source;
    ProcessIdentifier ownPid;
    LayoutOrigin origin;
};

} // namespace halomark::wayland
