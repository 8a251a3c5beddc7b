#include "x11/xcb_polling_round.h"

#include <algorithm>

namespace halomark::x11 {

XcbPollingRound::XcbPollingRound(XcbConnection& connection, const MainLoop& mainLoop,
                                 std::chrono::microseconds maximumAge)
    : xcb(connection), loop(mainLoop), maximumAge(maximumAge)
{}

void XcbPollingRound::add(Part& part)
{
    if (std::find(parts.begin(), parts.end(), &part) == parts.end()) {
        parts.push_back(&part);
    }
    // A new part has no answers yet.
    invalidate();
}

void XcbPollingRound::remove(Part& part)
{
    std::erase(parts, &part);
}

void XcbPollingRound::ensureCurrent()
{
    const auto now = std::chrono::steady_clock::now();
    const std::uint64_t turn = loop.turnNumber();
    if (lastRun && lastRun->turn == turn && now - lastRun->at < maximumAge) {
        return;
    }
    lastRun = Run{turn, now};
    // A part may add or remove parts while it receives; the round serves those it started with.
    const auto current = parts;
    const bool connected = xcb.isConnected();
    if (connected) {
        ++rounds;
        for (Part* part : current) {
            part->request();
        }
    }
    for (Part* part : current) {
        if (std::find(parts.begin(), parts.end(), part) != parts.end()) {
            part->receive();
        }
    }
}

} // namespace halomark::x11
