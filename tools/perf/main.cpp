// halomark-perf: measurements of the running halomark program on an X desktop. Each subcommand
// prints one result line (a word, then key=value fields); `report` turns the lines of several
// runs into markdown tables. scripts/perf.sh runs them all on a private desktop.
#include "perf_report.h"
#include "perf_stats.h"
#include "perf_x11.h"

#include <xcb/xcb.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace halomark::perf {
namespace {

using namespace std::chrono_literals;

constexpr xcb_keysym_t kSuperL = 0xffeb;

std::atomic<bool> stopRequested{false};

void requestStop(int)
{
    stopRequested = true;
}

class Options
{
public:
    Options(int argc, char** argv, int first)
    {
        for (int i = first; i < argc; ++i) {
            const std::string word = argv[i];
            if (word.rfind("--", 0) == 0 && i + 1 < argc) {
                values[word.substr(2)] = argv[++i];
            } else {
                positional.push_back(word);
            }
        }
    }

    long integer(const std::string& name, long fallback) const
    {
        const auto found = values.find(name);
        return found == values.end() ? fallback : std::strtol(found->second.c_str(), nullptr, 0);
    }
    double real(const std::string& name, double fallback) const
    {
        const auto found = values.find(name);
        return found == values.end() ? fallback : std::strtod(found->second.c_str(), nullptr);
    }
    std::string text(const std::string& name, const std::string& fallback) const
    {
        const auto found = values.find(name);
        return found == values.end() ? fallback : found->second;
    }
    // A window id from the option, else from the environment variable (as the desktop's env
    // file writes them), else none.
    xcb_window_t window(const std::string& name, const char* variable) const
    {
        std::string value = text(name, "");
        if (value.empty() && std::getenv(variable) != nullptr) {
            value = std::getenv(variable);
        }
        return static_cast<xcb_window_t>(std::strtoul(value.c_str(), nullptr, 0));
    }

    std::vector<std::string> positional;

private:
    std::map<std::string, std::string> values;
};

std::string readText(const std::string& path)
{
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::optional<std::uint64_t> cpuTicks(pid_t pid)
{
    if (pid <= 0) {
        return std::nullopt;
    }
    return cpuTicksFromStat(readText("/proc/" + std::to_string(pid) + "/stat"));
}

std::optional<std::uint64_t> residentKilobytes(pid_t pid)
{
    return residentKilobytesFromStatus(readText("/proc/" + std::to_string(pid) + "/status"));
}

double milliseconds(Clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

int fail(const std::string& message)
{
    std::cerr << "halomark-perf: " << message << "\n";
    return 1;
}

void print(const ResultLine& result)
{
    std::cout << formatResultLine(result) << std::endl;
}

void addStats(ResultLine& result, const std::string& prefix, const std::vector<double>& values)
{
    if (values.empty()) {
        return;
    }
    result.fields[prefix + "_median_ms"] = formatNumber(*median(values), 1);
    result.fields[prefix + "_p90_ms"] = formatNumber(*percentile(values, 0.9), 1);
    result.fields[prefix + "_max_ms"] = formatNumber(*maximum(values), 1);
}

// A connection with every extension the measurements use, or the reason there is none.
std::optional<std::string> unusable(const XServer& server)
{
    if (!server.isConnected()) {
        return "cannot connect to the X display (is DISPLAY set?)";
    }
    if (!server.missing().empty()) {
        return "the X server lacks:" + server.missing();
    }
    return std::nullopt;
}

// CPU time of the subject, the X server and the compositor over an idle window.
int idleCpu(const Options& options)
{
    const auto subject = static_cast<pid_t>(options.integer("pid", 0));
    const auto serverPid = static_cast<pid_t>(options.integer("server-pid", 0));
    const auto compositorPid = static_cast<pid_t>(options.integer("compositor-pid", 0));
    const double seconds = options.real("seconds", 30);
    const std::vector<std::pair<std::string, pid_t>> watched{
        {"subject", subject}, {"server", serverPid}, {"compositor", compositorPid}};
    std::map<std::string, std::uint64_t> before;
    for (const auto& [name, pid] : watched) {
        if (const auto ticks = cpuTicks(pid)) {
            before[name] = *ticks;
        } else if (pid > 0) {
            return fail("no process " + std::to_string(pid));
        }
    }
    const auto start = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    ResultLine result{"idle-cpu", {}};
    result.fields["subject"] = subject > 0 ? options.text("subject", "process") : "none";
    result.fields["seconds"] = formatNumber(elapsed, 2);
    const double ticksPerSecond = static_cast<double>(sysconf(_SC_CLK_TCK));
    for (const auto& [name, pid] : watched) {
        if (!before.contains(name)) {
            continue;
        }
        const auto after = cpuTicks(pid);
        if (!after) {
            return fail("process " + std::to_string(pid) + " ended during the measurement");
        }
        const double busy = static_cast<double>(*after - before[name]) / ticksPerSecond;
        result.fields[name + "_cpu_pct"] = formatNumber(100.0 * busy / elapsed, 3);
    }
    print(result);
    return 0;
}

// Connects and waits, doing nothing, until the connection closes; a signal ends it.
int idleClient()
{
    XServer server;
    if (!server.isConnected()) {
        return fail("cannot connect to the X display");
    }
    print({"idle-client", {{"pid", std::to_string(getpid())}}});
    while (true) {
        // Blocks in the kernel until an event or the end of the connection.
        xcb_generic_event_t* event = xcb_wait_for_event(server.connection());
        if (event == nullptr) {
            break;
        }
        std::free(event);
    }
    return 0;
}

// The floor of a polling design: one keymap and one pointer query, answered in one round trip,
// at a fixed rate.
int poller(const Options& options)
{
    XServer server;
    if (!server.isConnected()) {
        return fail("cannot connect to the X display");
    }
    const double hz = options.real("hz", 50);
    const double seconds = options.real("seconds", 0);
    std::signal(SIGTERM, requestStop);
    std::signal(SIGINT, requestStop);
    const auto period =
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1 / hz));
    const auto start = Clock::now();
    auto next = start;
    long ticks = 0;
    xcb_connection_t* xcb = server.connection();
    while (!stopRequested &&
           (seconds <= 0 || Clock::now() - start < std::chrono::duration<double>(seconds))) {
        const auto keymap = xcb_query_keymap(xcb);
        const auto pointer = xcb_query_pointer(xcb, server.root());
        std::free(xcb_query_keymap_reply(xcb, keymap, nullptr));
        std::free(xcb_query_pointer_reply(xcb, pointer, nullptr));
        ++ticks;
        next += period;
        std::this_thread::sleep_until(next);
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    print({"poller",
           {{"hz", formatNumber(hz, 1)},
            {"ticks", std::to_string(ticks)},
            {"seconds", formatNumber(elapsed, 2)}}});
    return 0;
}

// The first event of the kind at or after the index, optionally on one window.
std::optional<Observed> firstAfter(const std::vector<Observed>& log, std::size_t from,
                                   Observed::Kind kind, xcb_window_t window = XCB_WINDOW_NONE)
{
    for (std::size_t i = from; i < log.size(); ++i) {
        if (log[i].kind == kind && (window == XCB_WINDOW_NONE || log[i].window == window)) {
            return log[i];
        }
    }
    return std::nullopt;
}

// What the watch saw, one line each on standard error, in ms from the moment.
void describe(const std::vector<Observed>& log, Clock::time_point from)
{
    static const char* const names[] = {"created", "mapped", "unmapped",
                                        "damaged", "active", "opacity"};
    for (const Observed& seen : log) {
        std::cerr << formatNumber(milliseconds(seen.at - from), 1) << " ms "
                  << names[static_cast<int>(seen.kind)] << " 0x" << std::hex << seen.window
                  << std::dec << " server " << seen.serverMs << " area " << seen.area.x << ","
                  << seen.area.y << " " << seen.area.width << "x" << seen.area.height << "\n";
    }
}

struct Tap
{
    Clock::time_point released;
    std::size_t logIndex = 0; // where the log stood at the release
};

// Presses Super, holds it (reading events meanwhile) and releases it.
Tap tapSuper(XServer& server, OverlayWatch& watch, xcb_keycode_t super,
             std::chrono::milliseconds hold)
{
    server.fakeKey(super, true);
    watch.pumpFor(hold);
    Tap tap{Clock::now(), watch.log().size()};
    server.fakeKey(super, false);
    return tap;
}

// The ring's window: the first of the program's windows mapped after the release.
std::optional<Observed> ringMapped(const OverlayWatch& watch, const Tap& tap)
{
    return firstAfter(watch.log(), tap.logIndex, Observed::Kind::mapped);
}

int ring(const Options& options)
{
    const auto pid = static_cast<pid_t>(options.integer("pid", 0));
    const long taps = options.integer("taps", 20);
    const auto interval = std::chrono::milliseconds(options.integer("interval-ms", 1200));
    const auto hold = std::chrono::milliseconds(options.integer("hold-ms", 80));
    XServer server;
    if (const auto why = unusable(server)) {
        return fail(*why);
    }
    const auto super = server.keycodeOf(kSuperL);
    if (!super) {
        return fail("no keycode for Super_L");
    }
    OverlayWatch watch(server, pid);
    server.fakeMotion(static_cast<int>(options.integer("x", 640)),
                      static_cast<int>(options.integer("y", 400)));
    watch.pumpFor(500ms);
    std::vector<double> mapped;
    std::vector<double> painted;
    for (long i = 0; i < taps; ++i) {
        watch.clearLog();
        const Tap tap = tapSuper(server, watch, *super, hold);
        std::optional<Observed> map;
        std::optional<Observed> paint;
        watch.pumpUntil(
            [&] {
                map = ringMapped(watch, tap);
                paint = map ? firstAfter(watch.log(), tap.logIndex, Observed::Kind::damaged,
                                         map->window)
                            : std::nullopt;
                return paint.has_value();
            },
            1s);
        if (options.integer("verbose", 0) != 0) {
            describe(watch.log(), tap.released);
        }
        if (map && paint) {
            mapped.push_back(milliseconds(map->at - tap.released));
            painted.push_back(milliseconds(paint->at - tap.released));
        }
        watch.pumpFor(std::chrono::duration_cast<std::chrono::milliseconds>(
            tap.released + interval - hold - Clock::now()));
    }
    ResultLine result{"ring",
                      {{"taps", std::to_string(taps)}, {"seen", std::to_string(painted.size())}}};
    addStats(result, "mapped", mapped);
    addStats(result, "painted", painted);
    print(result);
    return painted.empty() ? 1 : 0;
}

int veil(const Options& options)
{
    const auto pid = static_cast<pid_t>(options.integer("pid", 0));
    const long switches = options.integer("switches", 20);
    const auto interval = std::chrono::milliseconds(options.integer("interval-ms", 1000));
    const xcb_window_t first = options.window("first", "HALOMARK_XTERM_LEFT");
    const xcb_window_t second = options.window("second", "HALOMARK_XTERM_RIGHT");
    if (first == XCB_WINDOW_NONE || second == XCB_WINDOW_NONE) {
        return fail("give --first and --second windows (or HALOMARK_XTERM_LEFT/RIGHT)");
    }
    XServer server;
    if (const auto why = unusable(server)) {
        return fail(*why);
    }
    OverlayWatch watch(server, pid);
    server.requestActivation(first);
    watch.pumpFor(1500ms);
    std::vector<double> active;
    std::vector<double> painted;
    for (long i = 0; i < switches; ++i) {
        const xcb_window_t target = i % 2 == 0 ? second : first;
        const auto area = server.rootRectOf(target);
        if (!area) {
            return fail("window " + std::to_string(target) + " is gone");
        }
        watch.clearLog();
        const auto start = Clock::now();
        server.requestActivation(target);
        std::optional<Observed> moved;
        watch.pumpUntil(
            [&] {
                for (const Observed& seen : watch.log()) {
                    if (seen.kind == Observed::Kind::damaged && seen.area.intersects(*area)) {
                        moved = seen;
                        return true;
                    }
                }
                return false;
            },
            interval);
        if (const auto changed = firstAfter(watch.log(), 0, Observed::Kind::activeChanged)) {
            active.push_back(milliseconds(changed->at - start));
        }
        if (moved) {
            painted.push_back(milliseconds(moved->at - start));
        }
        watch.pumpFor(
            std::chrono::duration_cast<std::chrono::milliseconds>(start + interval - Clock::now()));
    }
    ResultLine result{
        "veil", {{"switches", std::to_string(switches)}, {"seen", std::to_string(painted.size())}}};
    addStats(result, "active", active);
    addStats(result, "painted", painted);
    print(result);
    return painted.empty() ? 1 : 0;
}

// The server's time stamps (ms) of the window's updates, from the log index on up to its
// unmapping: damage reports (repaints) and changes of its opacity (fades the compositor draws).
std::vector<double> updateTimes(const std::vector<Observed>& log, std::size_t from,
                                xcb_window_t window, Clock::time_point notBefore)
{
    std::vector<double> times;
    for (std::size_t i = from; i < log.size(); ++i) {
        if (log[i].window != window) {
            continue;
        }
        if (log[i].kind == Observed::Kind::unmapped) {
            break;
        }
        const bool update =
            log[i].kind == Observed::Kind::damaged || log[i].kind == Observed::Kind::opacityChanged;
        if (update && log[i].at >= notBefore) {
            times.push_back(static_cast<double>(log[i].serverMs));
        }
    }
    return times;
}

constexpr double kBurstGapMs = 4;
constexpr double kRefreshHz = 60;

int frames(const Options& options)
{
    const auto pid = static_cast<pid_t>(options.integer("pid", 0));
    const long repeats = options.integer("repeats", 3);
    const xcb_window_t terminal = options.window("window", "HALOMARK_XTERM_LEFT");
    XServer server;
    if (const auto why = unusable(server)) {
        return fail(*why);
    }
    const auto super = server.keycodeOf(kSuperL);
    if (!super) {
        return fail("no keycode for Super_L");
    }
    OverlayWatch watch(server, pid);
    WindowRect drag{400, 200, 300, 200};
    if (const auto area =
            terminal != XCB_WINDOW_NONE ? server.rootRectOf(terminal) : std::nullopt) {
        drag = {area->x + 40, area->y + 40, std::min(300, area->width - 80),
                std::min(200, area->height - 80)};
    }
    std::map<std::string, std::vector<double>> collected;
    auto collect = [&](const std::string& prefix, const FrameStats& stats) {
        collected[prefix + "_frames"].push_back(stats.frames);
        collected[prefix + "_fps"].push_back(stats.framesPerSecond);
        collected[prefix + "_dropped"].push_back(stats.droppedFrames);
        collected[prefix + "_longest_ms"].push_back(stats.longestIntervalMs);
    };
    for (long i = 0; i < repeats; ++i) {
        // The ring: from its first frame until its window goes.
        server.fakeMotion(drag.x + drag.width / 2, drag.y + drag.height / 2);
        watch.pumpFor(300ms);
        watch.clearLog();
        const Tap tap = tapSuper(server, watch, *super, 80ms);
        std::optional<Observed> map;
        watch.pumpUntil(
            [&] {
                map = ringMapped(watch, tap);
                return map &&
                       firstAfter(watch.log(), tap.logIndex, Observed::Kind::unmapped, map->window);
            },
            2s);
        if (options.integer("verbose", 0) != 0) {
            describe(watch.log(), tap.released);
        }
        if (map) {
            const auto starts = frameStarts(
                updateTimes(watch.log(), tap.logIndex, map->window, tap.released), kBurstGapMs);
            collect("ring", frameStats(starts, -1e18, 1e18, kRefreshHz));
        }

        // The selection: Super held, a left drag, the button and Super released; the fade
        // starts 0.45 s after the release and runs until the window goes.
        server.fakeMotion(drag.x, drag.y);
        watch.pumpFor(300ms);
        watch.clearLog();
        server.fakeKey(*super, true);
        std::optional<Observed> panel;
        watch.pumpUntil(
            [&] {
                panel = firstAfter(watch.log(), 0, Observed::Kind::mapped);
                return panel.has_value();
            },
            2s);
        server.fakeButton(1, true);
        watch.pumpFor(30ms);
        for (int step = 1; step <= 12; ++step) {
            server.fakeMotion(drag.x + drag.width * step / 12, drag.y + drag.height * step / 12);
            watch.pumpFor(16ms);
        }
        watch.pumpFor(100ms);
        server.fakeButton(1, false);
        const auto released = Clock::now();
        // Super goes a moment after the button, as a person lets go of it, so that no poll of
        // the program sees both released at once.
        watch.pumpFor(60ms);
        server.fakeKey(*super, false);
        if (panel) {
            watch.pumpUntil(
                [&] {
                    return firstAfter(watch.log(), 0, Observed::Kind::unmapped, panel->window)
                        .has_value();
                },
                4s);
            if (options.integer("verbose", 0) != 0) {
                watch.pumpFor(2500ms);
                describe(watch.log(), released);
            }
            const auto starts = frameStarts(
                updateTimes(watch.log(), 0, panel->window, released + 400ms), kBurstGapMs);
            collect("fade", frameStats(starts, -1e18, 1e18, kRefreshHz));
        }
        watch.pumpFor(300ms);
    }
    ResultLine result{"frames", {{"repeats", std::to_string(repeats)}}};
    for (const auto& [key, values] : collected) {
        const bool longest = key.ends_with("_longest_ms");
        result.fields[key] = formatNumber(longest ? *maximum(values) : *median(values),
                                          key.ends_with("_fps") ? 1 : 0);
        result.fields[key.substr(0, key.find('_')) + "_seen"] = std::to_string(values.size());
    }
    print(result);
    return collected.empty() ? 1 : 0;
}

int growth(const Options& options)
{
    const auto pid = static_cast<pid_t>(options.integer("pid", 0));
    const auto serverPid = static_cast<pid_t>(options.integer("server-pid", 0));
    const long taps = options.integer("taps", 1000);
    const auto hold = std::chrono::milliseconds(options.integer("hold-ms", 80));
    const auto interval = std::chrono::milliseconds(options.integer("interval-ms", 150));
    const auto settle = std::chrono::milliseconds(options.integer("settle-ms", 3000));
    XServer server;
    if (const auto why = unusable(server)) {
        return fail(*why);
    }
    const auto super = server.keycodeOf(kSuperL);
    if (!super) {
        return fail("no keycode for Super_L");
    }
    server.fakeMotion(static_cast<int>(options.integer("x", 640)),
                      static_cast<int>(options.integer("y", 400)));
    std::this_thread::sleep_for(settle);
    const auto rssBefore = residentKilobytes(pid);
    auto resourcesBefore = server.resourcesOf(pid);
    const auto serverBefore = residentKilobytes(serverPid);
    if (!rssBefore || resourcesBefore.empty()) {
        return fail("no process " + std::to_string(pid) + " with X clients");
    }
    auto next = Clock::now();
    for (long i = 0; i < taps; ++i) {
        server.fakeKey(*super, true);
        std::this_thread::sleep_for(hold);
        server.fakeKey(*super, false);
        next += interval;
        std::this_thread::sleep_until(next);
    }
    std::this_thread::sleep_for(settle);
    const auto rssAfter = residentKilobytes(pid);
    auto resourcesAfter = server.resourcesOf(pid);
    const auto serverAfter = residentKilobytes(serverPid);
    if (!rssAfter) {
        return fail("halomark ended during the taps");
    }
    ResultLine result{"growth",
                      {{"taps", std::to_string(taps)},
                       {"rss_before_kb", std::to_string(*rssBefore)},
                       {"rss_after_kb", std::to_string(*rssAfter)},
                       {"rss_growth_kb", std::to_string(static_cast<long long>(*rssAfter) -
                                                        static_cast<long long>(*rssBefore))},
                       {"windows_before", std::to_string(resourcesBefore["WINDOW"])},
                       {"windows_after", std::to_string(resourcesAfter["WINDOW"])},
                       {"pixmaps_before", std::to_string(resourcesBefore["PIXMAP"])},
                       {"pixmaps_after", std::to_string(resourcesAfter["PIXMAP"])}}};
    if (serverBefore && serverAfter) {
        result.fields["server_rss_before_kb"] = std::to_string(*serverBefore);
        result.fields["server_rss_after_kb"] = std::to_string(*serverAfter);
    }
    print(result);
    return 0;
}

// The resources the process's X clients hold, by type.
int resources(const Options& options)
{
    XServer server;
    if (const auto why = unusable(server)) {
        return fail(*why);
    }
    const auto pid = static_cast<pid_t>(options.integer("pid", 0));
    ResultLine result{"resources", {{"clients", std::to_string(server.clientBasesOf(pid).size())}}};
    for (const auto& [type, count] : server.resourcesOf(pid)) {
        std::string key = type;
        std::replace(key.begin(), key.end(), ' ', '_');
        result.fields[key] = std::to_string(count);
    }
    print(result);
    return result.fields["clients"] == "0" ? 1 : 0;
}

// Markdown tables from files of result lines.
int report(const Options& options)
{
    std::vector<ResultLine> results;
    for (const std::string& path : options.positional) {
        std::ifstream file(path);
        if (!file) {
            return fail("cannot read " + path);
        }
        std::string line;
        while (std::getline(file, line)) {
            if (auto parsed = parseResultLine(line)) {
                results.push_back(std::move(*parsed));
            }
        }
    }
    std::cout << markdownReport(results);
    return 0;
}

const char* kUsage = R"(usage: halomark-perf COMMAND [--option value]...
  idle-cpu  [--pid P --subject NAME] [--server-pid S] [--compositor-pid C] [--seconds 30]
  idle-client                      connect to $DISPLAY and do nothing until told to stop
  poller    [--hz 50] [--seconds 0 (until stopped)]
  ring      --pid P [--taps 20] [--interval-ms 1200] [--hold-ms 80] [--x 640 --y 400]
  veil      --pid P [--first W --second W] [--switches 20] [--interval-ms 1000]
  frames    --pid P [--repeats 3] [--window W (where to drag)]
  growth    --pid P [--server-pid S] [--taps 1000] [--hold-ms 80] [--interval-ms 150]
  resources --pid P
  report    FILE...                  markdown tables from result lines with run=N fields
ring and frames take --verbose 1: every event they saw, on standard error
)";

} // namespace
} // namespace halomark::perf

int main(int argc, char** argv)
{
    using namespace halomark::perf;
    if (argc < 2) {
        std::cerr << kUsage;
        return 2;
    }
    const std::string command = argv[1];
    const Options options(argc, argv, 2);
    const std::pair<std::string_view, int (*)(const Options&)> commands[] = {
        {"idle-cpu", idleCpu}, {"idle-client", [](const Options&) { return idleClient(); }},
        {"poller", poller},    {"ring", ring},
        {"veil", veil},        {"frames", frames},
        {"growth", growth},    {"resources", resources},
        {"report", report},
    };
    for (const auto& [name, run] : commands) {
        if (command == name) {
            return run(options);
        }
    }
    std::cerr << kUsage;
    return 2;
}
