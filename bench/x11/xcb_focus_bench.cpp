// The cost of the active-window highlight's work against a real X server: one pass of the
// focus cue monitor (a timer pass, which resolves on every third tick, and a forced pass,
// which always resolves), and one resolution of the active window with 5, 20 and 50 xterms
// on the desktop, with the medians of its three parts (the frontmost application, the window
// list, the focused window). Run it on the test desktop:
//   scripts/xvfb-desktop.sh run build/desktop/bench/x11/halomark_x11_benchmarks
// Most of the time goes to the round trip of each turn, little to this code: on a desktop
// where nothing changes the listed windows' facts are kept, so the number of windows barely
// counts. The xterms beyond the desktop's own are started here and stopped again. Each call is
// timed on its own; the median and 90th percentile are reported as counters, since a shared machine
// makes the mean noisy.
#include "focus/focus_cue_monitor.h"
#include "focus/frontmost_window_resolver.h"
#include "qt/qt_workspace.h"
#include "sim/sim_main_loop.h"
#include "x11/xcb_accessibility.h"
#include "x11/xcb_input_state.h"
#include "x11/xcb_polling_round.h"
#include "x11/xcb_window_reader.h"
#include "x11/xcb_window_server.h"
#include "x11/xcb_workspace.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <numeric>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace halomark::x11 {
namespace {

using namespace std::chrono_literals;

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

void reportTimes(benchmark::State& state, std::vector<double>& microseconds)
{
    state.counters["median_us"] = percentile(microseconds, 0.5);
    state.counters["p90_us"] = percentile(microseconds, 0.9);
}

// The median time of a call, in microseconds.
double medianOf(int count, const std::function<void()>& call)
{
    std::vector<double> microseconds;
    for (int i = 0; i < count; ++i) {
        const auto start = std::chrono::steady_clock::now();
        call();
        const auto end = std::chrono::steady_clock::now();
        microseconds.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    return percentile(microseconds, 0.5);
}

// The adapters on one connection, as the program wires them: one polling round for the input
// and the window reader, shared by the adapters that read windows, and the workspace joined
// with Qt's half. Their answers last for a turn of the loop, so every measured call begins a
// new turn.
struct XDesktop
{
    XcbConnection connection;
    sim::SimMainLoop loop;
    XcbScreenList screens{connection};
    XcbPollingRound round{connection, loop};
    XcbInputState input{round, screens};
    XcbWindowReader reader{round};
    XcbWindowServer windowServer{reader, screens, getpid()};
    XcbAccessibility accessibility{reader, screens};
    XcbWorkspace xcbWorkspace{reader};
    qt::QtWorkspace<XcbWorkspace> workspace{xcbWorkspace, qt::QtDesktopServices()};

    ResolverPorts ports() { return {workspace, windowServer, accessibility, screens}; }
    void newTurn() { loop.runDue(); }

    // The on-screen xterms, front to back.
    std::vector<WindowNumber> xterms()
    {
        std::vector<WindowNumber> found;
        for (const WindowRecord& record : FrontmostWindowResolver::copyWindowList(windowServer)) {
            if (record.ownerName == RecordValue{std::string("XTerm")}) {
                found.push_back(std::get<RecordNumber>(*record.number).unsignedIntValue());
            }
        }
        return found;
    }
};

// xterms started for a benchmark, stopped by their pids when it ends.
class StartedXterms
{
public:
    ~StartedXterms()
    {
        for (pid_t pid : pids) {
            kill(pid, SIGTERM);
        }
        for (pid_t pid : pids) {
            waitpid(pid, nullptr, 0);
        }
    }

    void start(int index)
    {
        const std::string geometry = "80x24+" + std::to_string(40 + (index % 25) * 40) + "+" +
                                     std::to_string(30 + (index % 12) * 30);
        const std::string title = "halomark-bench-" + std::to_string(index);
        std::vector<const char*> argv{"xterm",          "-T", title.c_str(), "-geometry",
                                      geometry.c_str(), "-e", "sleep",       "600",
                                      nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid = 0;
        if (posix_spawnp(&pid, "xterm", &actions, nullptr, const_cast<char* const*>(argv.data()),
                         environ) == 0) {
            pids.push_back(pid);
        }
        posix_spawn_file_actions_destroy(&actions);
    }

private:
    std::vector<pid_t> pids;
};

bool waitFor(const std::function<bool()>& condition, std::chrono::seconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

bool activate(WindowNumber window)
{
    return std::system(("xdotool windowactivate --sync " + std::to_string(window)).c_str()) == 0;
}

// Activates the front-most xterm and waits until the resolver finds it.
bool activateFrontXterm(XDesktop& desktop)
{
    const auto xterms = desktop.xterms();
    if (xterms.empty() || !activate(xterms.front())) {
        return false;
    }
    return waitFor(
        [&] {
            desktop.newTurn();
            const auto target = FrontmostWindowResolver::resolve(desktop.ports(), getpid());
            return target && target->windowNumber == xterms.front();
        },
        5s);
}

void focusMonitorPassOnX(benchmark::State& state)
{
    const bool forced = state.range(0) != 0;
    XDesktop desktop;
    if (!desktop.connection.isConnected()) {
        state.SkipWithError("no X display; run under scripts/xvfb-desktop.sh run");
        return;
    }
    if (!activateFrontXterm(desktop)) {
        state.SkipWithError("no xterm to activate on the desktop");
        return;
    }
    sim::SimMainLoop& loop = desktop.loop;
    auto monitor = std::make_shared<FocusCueMonitor>(loop, desktop.input, desktop.ports());
    int reports = 0;
    monitor->onFocusCue = [&](const FocusCueEvent&) { ++reports; };
    monitor->start();

    std::vector<double> microseconds;
    microseconds.reserve(static_cast<std::size_t>(state.max_iterations));
    for (auto _ : state) {
        // A new turn of the loop, so the pass reads the input afresh, as every tick does.
        loop.runDue();
        const auto start = std::chrono::steady_clock::now();
        monitor->poll(forced);
        const auto end = std::chrono::steady_clock::now();
        microseconds.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    monitor->stop();
    if (!monitor->currentState().currentTarget && reports == 0) {
        state.SkipWithError("the monitor never found the active xterm");
        return;
    }
    state.counters["mean_us"] =
        benchmark::Counter(std::accumulate(microseconds.begin(), microseconds.end(), 0.0) /
                           static_cast<double>(std::max<std::size_t>(microseconds.size(), 1)));
    reportTimes(state, microseconds);
}
BENCHMARK(focusMonitorPassOnX)->ArgName("forced")->Arg(0)->Arg(1)->Iterations(3000)->UseRealTime();

void resolveOnX(benchmark::State& state)
{
    const auto wanted = static_cast<std::size_t>(state.range(0));
    XDesktop desktop;
    if (!desktop.connection.isConnected()) {
        state.SkipWithError("no X display; run under scripts/xvfb-desktop.sh run");
        return;
    }
    StartedXterms started;
    const std::size_t present = desktop.xterms().size();
    for (std::size_t index = present; index < wanted; ++index) {
        started.start(static_cast<int>(index));
    }
    if (!waitFor([&] { return desktop.xterms().size() >= wanted; }, 60s)) {
        state.SkipWithError("the xterms did not all appear");
        return;
    }
    if (!activateFrontXterm(desktop)) {
        state.SkipWithError("the resolver did not find the activated xterm");
        return;
    }
    const std::size_t windows =
        FrontmostWindowResolver::copyWindowList(desktop.windowServer).size();

    std::vector<double> microseconds;
    microseconds.reserve(static_cast<std::size_t>(state.max_iterations));
    for (auto _ : state) {
        desktop.newTurn();
        const auto start = std::chrono::steady_clock::now();
        auto target = FrontmostWindowResolver::resolve(desktop.ports(), getpid());
        const auto end = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(target);
        microseconds.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    // Its three parts on their own, each in a turn of its own (the round trip of the turn
    // included): the frontmost application, the window list and the focused window.
    const auto pid = desktop.workspace.frontmostApplication()->processIdentifier;
    state.counters["frontmost_us"] = medianOf(500, [&] {
        desktop.newTurn();
        desktop.workspace.frontmostApplication();
    });
    state.counters["list_us"] = medianOf(500, [&] {
        desktop.newTurn();
        FrontmostWindowResolver::copyWindowList(desktop.windowServer);
    });
    state.counters["focused_us"] = medianOf(500, [&] {
        desktop.newTurn();
        FrontmostWindowResolver::focusedWindow(desktop.ports(), pid);
    });
    state.counters["xterms"] = static_cast<double>(desktop.xterms().size());
    state.counters["windows"] = static_cast<double>(windows);
    reportTimes(state, microseconds);
}
BENCHMARK(resolveOnX)->ArgName("xterms")->Arg(5)->Arg(20)->Arg(50)->Iterations(2000)->UseRealTime();

} // namespace
} // namespace halomark::x11
