// One round trip per turn of the main loop for everything the polling passes read from the X
// server. Each part sends its requests, then each reads its answers, so the input state and the
// window manager's root properties cost one wait between them. A part asks for the round when
// it needs its answers; the first ask in a turn runs the round for every part, and the others
// find their answers already there. Should the loop not turn, the answers still end after
// 15 ms, less than the shortest polling interval (1/60 s), so no two ticks ever share them.
#pragma once

#include "platform/main_loop.h"
#include "x11/xcb_connection.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace halomark::x11 {

class XcbPollingRound
{
public:
    class Part
    {
    public:
        virtual ~Part() = default;
        // Sends the part's requests without waiting; called only while connected.
        virtual void request() = 0;
        // Reads the answers to what request() sent, or takes note that there are none
        // (without a display nothing was sent).
        virtual void receive() = 0;
    };

    static constexpr std::chrono::microseconds defaultMaximumAge{15000};

    XcbPollingRound(XcbConnection& connection, const MainLoop& mainLoop,
                    std::chrono::microseconds maximumAge = defaultMaximumAge);
    XcbPollingRound(const XcbPollingRound&) = delete;
    XcbPollingRound& operator=(const XcbPollingRound&) = delete;

    // Parts must stay alive while added; each part adds itself for its own lifetime.
    void add(Part& part);
    void remove(Part& part);

    // Runs the round unless it already ran in this turn of the loop.
    void ensureCurrent();
    // The next ensureCurrent runs the round again.
    void invalidate() { lastRun.reset(); }

    XcbConnection& connection() { return xcb; }
    // Rounds run so far.
    int roundCount() const { return rounds; }

private:
    struct Run
    {
        std::uint64_t turn = 0;
        std::chrono::steady_clock::time_point at;
    };

    XcbConnection& xcb;
    const MainLoop& loop;
    std::chrono::microseconds maximumAge;
    std::vector<Part*> parts;
    std::optional<Run> lastRun;
    int rounds = 0;
};

} // namespace halomark::x11
