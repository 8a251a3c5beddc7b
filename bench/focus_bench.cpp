// Resolution of the active window over desktops of 10, 50 and 200 windows on the simulated
// platform, for an ordinary application and for Finder (which also scans for Quick Look
// panels and covering windows), and the focus cue monitor's passes: those that resolve
// nothing, and a full idle cycle of three timer passes of which one resolves.
#include "focus/focus_cue_monitor.h"
#include "focus/frontmost_window_resolver.h"
#include "sim/sim_accessibility.h"
#include "sim/sim_input_state.h"
#include "sim/sim_main_loop.h"
#include "sim/sim_screen_list.h"
#include "sim/sim_window_server.h"
#include "sim/sim_workspace.h"

#include <benchmark/benchmark.h>

#include <string>

namespace halomark {
namespace {

constexpr ProcessIdentifier ownPid = 700;
constexpr ProcessIdentifier firstPid = 500;
constexpr int applicationCount = 8;

// Windows of eight applications in round-robin order, cascading over one screen; the
// application of the window in the middle of the stack is frontmost and has that window
// focused, so the match has candidates in front of and behind it.
struct BenchDesktop
{
    explicit BenchDesktop(int windowCount, bool finderFrontmost = false)
    {
        screens.setScreens({sim::SimScreenList::makeScreen(1, {0, 0, 1920, 1080})});
        for (int a = 0; a < applicationCount; ++a) {
            const bool finder = finderFrontmost && a == 0;
            workspace.launch({firstPid + a,
                              finder ? "com.apple.finder" : "org.example.App" + std::to_string(a),
                              "App " + std::to_string(a)});
        }
        for (int i = 0; i < windowCount; ++i) {
            sim::SimWindow w;
            w.ownerPid = firstPid + i % applicationCount;
            w.number = static_cast<WindowNumber>(100 + i);
            w.bounds = {40.0 + (i % 20) * 30, 40.0 + (i % 15) * 25, 900, 600};
            w.ownerName = "App " + std::to_string(i % applicationCount);
            windows.addWindowAtBack(w);
        }
        const int middle = windowCount / 2 - (windowCount / 2) % applicationCount;
        const ProcessIdentifier frontmost = firstPid;
        workspace.activate(frontmost);
        accessibility.focusWindow(frontmost, static_cast<WindowNumber>(100 + middle));
    }

    ResolverPorts ports() { return {workspace, windows, accessibility, screens}; }

    sim::SimScreenList screens;
    sim::SimWorkspace workspace{ownPid};
    sim::SimWindowServer windows;
    sim::SimAccessibility accessibility{&windows};
};

void resolveFrontmostWindow(benchmark::State& state)
{
    BenchDesktop desktop(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto target = FrontmostWindowResolver::resolve(desktop.ports(), ownPid);
        benchmark::DoNotOptimize(target);
    }
    state.counters["listCopies/resolve"] =
        benchmark::Counter(desktop.windows.listCopyCount(), benchmark::Counter::kAvgIterations);
}
BENCHMARK(resolveFrontmostWindow)->Arg(10)->Arg(50)->Arg(200);

void resolveFinderFrontmost(benchmark::State& state)
{
    BenchDesktop desktop(static_cast<int>(state.range(0)), true);
    for (auto _ : state) {
        auto target = FrontmostWindowResolver::resolve(desktop.ports(), ownPid);
        benchmark::DoNotOptimize(target);
    }
    state.counters["listCopies/resolve"] =
        benchmark::Counter(desktop.windows.listCopyCount(), benchmark::Counter::kAvgIterations);
}
BENCHMARK(resolveFinderFrontmost)->Arg(10)->Arg(50)->Arg(200);

// Passes that resolve nothing: two timer passes thinned away by the idle counter, then a
// stop() of the never-started monitor, which only resets its state (and so the counter).
// The window count does not matter to these passes; the desktop has 50 windows.
void focusCueMonitorUnresolvedPass(benchmark::State& state)
{
    BenchDesktop desktop(50);
    sim::SimMainLoop loop;
    sim::SimInputState input;
    auto monitor = std::make_shared<FocusCueMonitor>(loop, input, desktop.ports());
    monitor->stop();
    for (auto _ : state) {
        monitor->poll(false);
        monitor->poll(false);
        monitor->stop();
    }
    state.counters["s/pass"] = benchmark::Counter(2, benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
    state.counters["inputQueries/pass"] =
        benchmark::Counter(input.queryCount() / 2.0, benchmark::Counter::kAvgIterations);
    state.counters["resolutions"] = desktop.windows.listCopyCount();
}
BENCHMARK(focusCueMonitorUnresolvedPass);

// A full idle cycle of three timer passes, one of which resolves.
void focusCueMonitorIdleCycle(benchmark::State& state)
{
    BenchDesktop desktop(static_cast<int>(state.range(0)));
    sim::SimMainLoop loop;
    sim::SimInputState input;
    auto monitor = std::make_shared<FocusCueMonitor>(loop, input, desktop.ports());
    int reports = 0;
    monitor->onFocusCue = [&](const FocusCueEvent&) { ++reports; };
    monitor->refreshNow();
    const int copiesBefore = desktop.windows.listCopyCount();
    for (auto _ : state) {
        monitor->poll(false);
        monitor->poll(false);
        monitor->poll(false);
    }
    state.counters["resolutions/cycle"] = benchmark::Counter(
        desktop.windows.listCopyCount() - copiesBefore, benchmark::Counter::kAvgIterations);
    benchmark::DoNotOptimize(reports);
}
BENCHMARK(focusCueMonitorIdleCycle)->Arg(10)->Arg(50)->Arg(200);

} // namespace
} // namespace halomark
