#include "x11/xcb_window_server.h"

#include <algorithm>

namespace halomark::x11 {

XcbWindowServer::XcbWindowServer(XcbWindowReader& reader, const XcbScreenList& screens,
                                 ProcessIdentifier ownProcessIdentifier)
    : reader(reader), screens(screens), ownPid(ownProcessIdentifier)
{}

std::optional<std::vector<WindowRecord>>
XcbWindowServer::copyWindowList(WindowListOptions options, WindowNumber /*relativeWindow*/)
{
    const auto stacking = reader.stacking();
    if (!stacking) {
        return std::nullopt;
    }
    auto records = recordsOf(stacking->frontToBack, options, stacking->currentDesktop);
    if (!reader.connection().isConnected()) {
        return std::nullopt;
    }
    return records;
}

std::optional<WindowRecord> XcbWindowServer::windowDescription(WindowNumber number)
{
    // The window's own requests go out with the stacking request: one round trip.
    const xcb_window_t window = number;
    std::vector<XcbWindowFacts> facts;
    const auto stacking = reader.stackingAndRead(std::span<const xcb_window_t>(&window, 1),
                                                 window_details::all, facts);
    if (!stacking || facts.empty() ||
        std::find(stacking->frontToBack.begin(), stacking->frontToBack.end(), window) ==
            stacking->frontToBack.end()) {
        return std::nullopt;
    }
    return recordOf(facts.front(), 0, stacking->currentDesktop);
}

std::vector<WindowRecord> XcbWindowServer::recordsOf(std::span<const xcb_window_t> frontToBack,
                                                     WindowListOptions options,
                                                     std::optional<std::uint32_t> currentDesktop)
{
    std::vector<WindowRecord> records;
    const auto facts = reader.read(frontToBack, window_details::all);
    records.reserve(facts.size());
    for (const XcbWindowFacts& one : facts) {
        if (auto record = recordOf(one, options, currentDesktop)) {
            records.push_back(std::move(*record));
        }
    }
    return records;
}

std::optional<WindowRecord>
XcbWindowServer::recordOf(const XcbWindowFacts& facts, WindowListOptions options,
                          std::optional<std::uint32_t> currentDesktop) const
{
    // A managed window never bypasses the manager; one that does is not an application window.
    if (facts.isOverrideRedirect || facts.pid == ownPid) {
        return std::nullopt;
    }
    const bool onscreen = isOnscreen(facts, currentDesktop);
    if ((options & window_list_options::onScreenOnly) != 0 && !onscreen) {
        return std::nullopt;
    }
    if ((options & window_list_options::excludeDesktopElements) != 0 &&
        facts.type == XcbWindowType::desktop) {
        return std::nullopt;
    }
    return windowRecord(facts, onscreen, screens.coordinates());
}

} // namespace halomark::x11
