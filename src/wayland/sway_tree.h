// sway's layout tree (the JSON of GET_TREE) read as the windows and outputs of a snapshot.
// Windows are listed front to back: the focused output's first, then the others in the
// order they last had focus; on each, the visible workspace's full-screen window, its
// floating windows from the top one down, then its tiled windows in the order they last had
// focus (tiled windows do not overlap, so recency is the only order among them), then the
// windows of hidden workspaces and the scratchpad. A window's frame is its rectangle with the
// title bar above it (sway's rect leaves the title bar out and gives it as deco_rect).
// Malformed text or an unexpected shape gives nothing, never an exception.
#pragma once

#include "wayland/wayland_window_source.h"

#include <optional>
#include <string_view>

namespace halomark::wayland {

std::optional<WaylandWindowSnapshot> parseSwayTree(std::string_view json);

} // namespace halomark::wayland
