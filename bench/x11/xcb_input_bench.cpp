// The cost of one pass of the Command key monitor against a real X server: the monitor's
// questions answered by one query_keymap and one query_pointer. Run it on the test desktop:
//   scripts/xvfb-desktop.sh run build/desktop/bench/x11/halomark_x11_benchmarks
// Each pass is timed on its own; the median and 90th percentile are reported as counters,
// since a shared machine makes the mean noisy.
#include "locator/command_key_monitor.h"
#include "sim/sim_main_loop.h"
#include "x11/xcb_connection.h"
#include "x11/xcb_input_state.h"
#include "x11/xcb_polling_round.h"
#include "x11/xcb_screen_list.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace halomark::x11 {
namespace {

double percentile(std::vector<double>& values, double fraction)
{
    if (values.empty()) {
        return 0;
    }
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(index),
                     values.end());
    return values[index];
}

void commandKeyMonitorPassOnX(benchmark::State& state)
{
    XcbConnection connection;
    if (!connection.isConnected()) {
        state.SkipWithError("no X display; run under scripts/xvfb-desktop.sh run");
        return;
    }
    XcbScreenList screens(connection);
    sim::SimMainLoop loop;
    XcbPollingRound round(connection, loop);
    XcbInputState input(round, screens);
    auto monitor = std::make_shared<CommandKeyMonitor>(loop, input);

    std::vector<double> microseconds;
    microseconds.reserve(200000);
    const int readsBefore = input.snapshotCount();
    for (auto _ : state) {
        // A new turn of the loop, so the pass reads the server afresh, as every tick does.
        loop.runDue();
        const auto start = std::chrono::steady_clock::now();
        monitor->poll();
        const auto end = std::chrono::steady_clock::now();
        microseconds.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    state.counters["reads/pass"] =
        benchmark::Counter(input.snapshotCount() - readsBefore, benchmark::Counter::kAvgIterations);
    state.counters["median_us"] = percentile(microseconds, 0.5);
    state.counters["p90_us"] = percentile(microseconds, 0.9);
}
BENCHMARK(commandKeyMonitorPassOnX)->UseRealTime()->MinTime(3.0);

} // namespace
} // namespace halomark::x11
