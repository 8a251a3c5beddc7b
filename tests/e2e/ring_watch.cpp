#include "ring_watch.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <thread>

namespace halomark::e2e {

namespace {

// A ring's stroke around a 9-point circle still has this many pixels; the zero-size rectangle
// of a click has fewer.
constexpr int kRingPixels = 40;

bool coversMonitorAt(const PixelRect& rect, int x, int y)
{
    for (const PixelRect& monitor : {kLeftMonitor, kRightMonitor}) {
        if (monitor.contains(x, y) && rect == monitor) {
            return true;
        }
    }
    return false;
}

} // namespace

std::vector<RingMeasure> RingWatch::ringFrames() const
{
    std::vector<RingMeasure> rings;
    for (const RingMeasure& frame : frames) {
        if (frame.cuePixels >= kRingPixels) {
            rings.push_back(frame);
        }
    }
    return rings;
}

RingWatch watchRing(DesktopScreen& screen, HalomarkProgram& program, int x, int y,
                    const std::function<bool(const Rgb&)>& isCue, Clock::time_point start,
                    std::chrono::milliseconds limit, int reach)
{
    RingWatch watch;
    const PixelRect square{x - reach, y - reach, 2 * reach + 1, 2 * reach + 1};
    std::set<xcb_window_t> panelsWithRing;
    std::map<xcb_window_t, double> firstSeen;
    const auto deadline = start + limit;
    while (Clock::now() < deadline) {
        std::vector<xcb_window_t> panels;
        for (const TopLevelWindow& window : program.overlays()) {
            if (coversMonitorAt(window.rect, x, y)) {
                panels.push_back(window.id);
                firstSeen.emplace(window.id, secondsSince(start));
            }
        }
        RingMeasure frame = measureRing(screen.grab(square), x, y, isCue);
        frame.seconds = secondsSince(start);
        watch.frames.push_back(frame);
        if (frame.cuePixels >= kRingPixels) {
            panelsWithRing.insert(panels.begin(), panels.end());
        }
        if (!panelsWithRing.empty() && !watch.panelShown) {
            watch.panelShown = firstSeen[*panelsWithRing.begin()];
        }
        const bool ringPanelShown = std::any_of(
            panels.begin(), panels.end(), [&](auto id) { return panelsWithRing.contains(id); });
        if (watch.panelShown && !ringPanelShown) {
            if (!watch.panelGone) {
                watch.panelGone = frame.seconds;
            }
            if (frame.cuePixels == 0) {
                break;
            }
        }
        std::this_thread::sleep_for(5ms);
    }
    return watch;
}

bool ringAppears(DesktopScreen& screen, int x, int y, const std::function<bool(const Rgb&)>& isCue,
                 std::chrono::milliseconds within)
{
    const PixelRect square{x - 62, y - 62, 125, 125};
    return waitUntil(
        [&] {
            const Image image = screen.grab(square);
            int count = 0;
            for (int py = square.y; py < square.bottom(); ++py) {
                for (int px = square.x; px < square.right(); ++px) {
                    const double distance = std::hypot(px - x, py - y);
                    count += distance >= 30 && distance <= 62 && isCue(image.at(px, py));
                }
            }
            return count >= kRingPixels;
        },
        within);
}

} // namespace halomark::e2e
