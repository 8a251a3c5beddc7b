// One show of the active-window highlight on two displays with the window across both, on
// the simulated platform. An unchanged frame is the common case while a button is held: the
// panels are only ordered front again. A moved frame changes both holes, so both views are
// drawn (onto the recording canvas) before the show returns.
#include "focus/focus_cue_overlay_controller.h"
#include "sim/sim_main_loop.h"
#include "sim/sim_panel.h"
#include "sim/sim_screen_list.h"

#include <benchmark/benchmark.h>

namespace halomark {
namespace {

struct TwoDisplays
{
    TwoDisplays()
    {
        factory.setBackingScaleFactor(2, 2.0);
        screens.setScreens({sim::SimScreenList::makeScreen(1, Rect{0, 0, 2560, 1440}),
                            sim::SimScreenList::makeScreen(2, Rect{2560, 0, 1920, 1080}, 2.0)});
    }

    sim::SimMainLoop loop;
    sim::SimScreenList screens;
    sim::SimPanelFactory factory{loop};
    FocusCueOverlayController controller{screens, factory, [] { return 26; }};
};

void focusCueShowUnchangedFrame(benchmark::State& state)
{
    TwoDisplays setup;
    const Rect window{2200, 300, 800, 600};
    setup.controller.show(window);
    for (auto _ : state) {
        setup.controller.show(window);
        benchmark::ClobberMemory();
    }
    state.counters["draws"] = setup.factory.panel(0)->displayCount();
}
BENCHMARK(focusCueShowUnchangedFrame);

void focusCueShowMovedFrame(benchmark::State& state)
{
    TwoDisplays setup;
    // A window dragged back and forth by one point, across both displays every time.
    const Rect frames[] = {Rect{2200, 300, 800, 600}, Rect{2201, 301, 800, 600}};
    std::size_t next = 0;
    for (auto _ : state) {
        setup.controller.show(frames[next]);
        next ^= 1;
        benchmark::ClobberMemory();
    }
    state.counters["draws"] = setup.factory.panel(0)->displayCount();
}
BENCHMARK(focusCueShowMovedFrame);

} // namespace
} // namespace halomark
