// One sampling pass of the Command key monitor on the simulated platform: the cost of the
// monitor's own logic plus the (trivial) simulated queries, idle and with Command held.
#include "locator/command_key_monitor.h"
#include "sim/sim_input_state.h"
#include "sim/sim_main_loop.h"

#include <benchmark/benchmark.h>

namespace halomark {
namespace {

void commandKeyMonitorPassIdle(benchmark::State& state)
{
    sim::SimMainLoop loop;
    sim::SimInputState input;
    auto monitor = std::make_shared<CommandKeyMonitor>(loop, input);
    for (auto _ : state) {
        monitor->poll();
    }
    state.counters["queries/pass"] =
        benchmark::Counter(input.queryCount(), benchmark::Counter::kAvgIterations);
}
BENCHMARK(commandKeyMonitorPassIdle);

void commandKeyMonitorPassCommandHeld(benchmark::State& state)
{
    sim::SimMainLoop loop;
    sim::SimInputState input;
    auto monitor = std::make_shared<CommandKeyMonitor>(loop, input);
    int selections = 0;
    monitor->onSelectionShortcutPressed = [&] { ++selections; };
    input.pressKey(key_codes::leftCommand);
    for (auto _ : state) {
        monitor->poll();
    }
    benchmark::DoNotOptimize(selections);
}
BENCHMARK(commandKeyMonitorPassCommandHeld);

} // namespace
} // namespace halomark
