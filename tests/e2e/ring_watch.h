// Watching the pointer locator on the screen: the ring's pixels in a square around the pointer,
// frame after frame, and the window that carries it, from a moment (a key's release) on.
#pragma once

#include "end_to_end_test.h"

#include <optional>
#include <vector>

namespace halomark::e2e {

struct RingWatch
{
    std::vector<RingMeasure> frames; // every look at the square, oldest first
    // When a ring panel (an overlay over the pointer's whole monitor that was on screen while
    // the ring's pixels were) was first and last seen, in seconds since the start.
    std::optional<double> panelShown;
    std::optional<double> panelGone;

    // The frames in which a ring is drawn: enough cue pixels for a circle.
    std::vector<RingMeasure> ringFrames() const;
};

// Looks at the square (2 * reach + 1 pixels wide) around the point until a ring has come and
// gone with its panel, or the limit passes. Times count from `start`.
RingWatch watchRing(DesktopScreen& screen, HalomarkProgram& program, int x, int y,
                    const std::function<bool(const Rgb&)>& isCue, Clock::time_point start,
                    std::chrono::milliseconds limit, int reach = 66);

// Whether a ring (cue pixels between 30 and 62 pixels from the point) shows within the time.
bool ringAppears(DesktopScreen& screen, int x, int y, const std::function<bool(const Rgb&)>& isCue,
                 std::chrono::milliseconds within);

} // namespace halomark::e2e
