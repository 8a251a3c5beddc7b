#include "wayland/wayland_window_server.h"

namespace halomark::wayland {

WindowRecord windowRecord(const WaylandWindow& window, Point origin)
{
    const auto number = [](std::int64_t value) { return RecordValue{RecordNumber{value}}; };
    WindowRecord record;
    if (window.pid) {
        record.ownerPID = number(*window.pid);
    }
    record.layer =
        number(window.isFloating ? wayland_window_layers::floating : wayland_window_layers::normal);
    record.number = number(static_cast<WindowNumber>(window.id));
    record.bounds = RecordBounds{window.frame.minX() - origin.x, window.frame.minY() - origin.y,
                                 window.frame.width(), window.frame.height()};
    record.isOnscreen = number(window.isVisible ? 1 : 0);
    if (window.opacity) {
        record.alpha = RecordNumber{*window.opacity};
    }
    if (window.appId) {
        record.ownerName = *window.appId;
    }
    return record;
}

WaylandWindowServer::WaylandWindowServer(WaylandWindowSource& source,
                                         ProcessIdentifier ownProcessIdentifier,
                                         LayoutOrigin origin)
    : source(source), ownPid(ownProcessIdentifier), origin(std::move(origin))
{}

std::optional<std::vector<WindowRecord>>
WaylandWindowServer::copyWindowList(WindowListOptions options, WindowNumber /*relativeWindow*/)
{
    const auto snapshot = source.windows();
    if (!snapshot) {
        return std::nullopt;
    }
    const Point start = layoutOriginOf(origin, *snapshot);
    std::vector<WindowRecord> records;
    records.reserve(snapshot->frontToBack.size());
    for (const WaylandWindow& window : snapshot->frontToBack) {
        // A compositor has no desktop windows to exclude: its wallpaper is not a window.
        if (window.pid == ownPid ||
            ((options & window_list_options::onScreenOnly) != 0 && !window.isVisible)) {
            continue;
        }
        records.push_back(windowRecord(window, start));
    }
    return records;
}

std::optional<WindowRecord> WaylandWindowServer::windowDescription(WindowNumber number)
{
    const auto snapshot = source.windows();
    if (!snapshot) {
        return std::nullopt;
    }
    for (const WaylandWindow& window : snapshot->frontToBack) {
        if (static_cast<WindowNumber>(window.id) == number && window.pid != ownPid) {
            return windowRecord(window, layoutOriginOf(origin, *snapshot));
        }
    }
    return std::nullopt;
}

} // namespace halomark::wayland
