#include "perf_report.h"

#include <algorithm>
#include <functional>
#include <set>

namespace halomark::perf {

namespace {

std::optional<double> number(const ResultLine& line, const std::string& key)
{
    const auto found = line.fields.find(key);
    if (found == line.fields.end()) {
        return std::nullopt;
    }
    try {
        std::size_t used = 0;
        const double value = std::stod(found->second, &used);
        return used == found->second.size() ? std::optional<double>(value) : std::nullopt;
    } catch (...) {
        return std::nullopt;
    }
}

std::string field(const ResultLine& line, const std::string& key)
{
    const auto found = line.fields.find(key);
    return found == line.fields.end() ? std::string() : found->second;
}

struct Row
{
    std::string label;
    std::string kind;
    std::string subject; // empty: any
    std::string key;
    int decimals = 1;
};

class Tables
{
public:
    explicit Tables(const std::vector<ResultLine>& results) : results(results)
    {
        for (const ResultLine& line : results) {
            if (const auto run = number(line, "run")) {
                runs.insert(static_cast<int>(*run));
            }
        }
    }

    // The value of a row in one run.
    std::optional<double> value(const Row& row, int run) const
    {
        for (const ResultLine& line : results) {
            if (line.kind == row.kind && number(line, "run") == double(run) &&
                (row.subject.empty() || field(line, "subject") == row.subject)) {
                return number(line, row.key);
            }
        }
        return std::nullopt;
    }

    std::optional<double> medianOf(const Row& row) const
    {
        std::vector<double> values;
        for (const int run : runs) {
            if (const auto v = value(row, run)) {
                values.push_back(*v);
            }
        }
        return median(values);
    }

    std::string table(const std::string& title, const std::vector<Row>& rows) const
    {
        std::string text = "### " + title + "\n\n| |";
        std::string rule = "|---|";
        for (const int run : runs) {
            text += " run " + std::to_string(run) + " |";
            rule += "---:|";
        }
        text += " median |\n" + rule + "---:|\n";
        for (const Row& row : rows) {
            text += "| " + row.label + " |";
            for (const int run : runs) {
                const auto v = value(row, run);
                text += " " + (v ? formatNumber(*v, row.decimals) : std::string("n/a")) + " |";
            }
            const auto m = medianOf(row);
            text += " " + (m ? formatNumber(*m, row.decimals) : std::string("n/a")) + " |\n";
        }
        return text + "\n";
    }

private:
    const std::vector<ResultLine>& results;
    std::set<int> runs;
};

// The X server's CPU share during a subject's window less its share during the window with no
// subject of the same run.
std::vector<ResultLine> withServerExtraShare(const std::vector<ResultLine>& results)
{
    std::vector<ResultLine> out = results;
    for (ResultLine& line : out) {
        if (line.kind != "idle-cpu" || field(line, "subject") == "none") {
            continue;
        }
        for (const ResultLine& baseline : results) {
            if (baseline.kind == "idle-cpu" && field(baseline, "subject") == "none" &&
                field(baseline, "run") == field(line, "run")) {
                const auto during = number(line, "server_cpu_pct");
                const auto without = number(baseline, "server_cpu_pct");
                if (during && without) {
                    line.fields["server_extra_pct"] = formatNumber(*during - *without, 3);
                }
            }
        }
    }
    return out;
}

} // namespace

std::string markdownReport(const std::vector<ResultLine>& input)
{
    const std::vector<ResultLine> results = withServerExtraShare(input);
    const Tables tables(results);
    std::string text;

    std::vector<Row> idle;
    for (const auto& [subject, name] :
         std::vector<std::pair<std::string, std::string>>{{"halomark", "halomark"},
                                                          {"idle-client", "idle X client"},
                                                          {"poller", "50 Hz poller"}}) {
        idle.push_back({name + ": its own CPU %", "idle-cpu", subject, "subject_cpu_pct", 2});
        idle.push_back({name + ": X server CPU %", "idle-cpu", subject, "server_cpu_pct", 2});
        idle.push_back({name + ": X server extra %", "idle-cpu", subject, "server_extra_pct", 2});
        idle.push_back({name + ": compositor CPU %", "idle-cpu", subject, "compositor_cpu_pct", 2});
    }
    idle.push_back({"no subject: X server CPU %", "idle-cpu", "none", "server_cpu_pct", 2});
    idle.push_back({"no subject: compositor CPU %", "idle-cpu", "none", "compositor_cpu_pct", 2});
    idle.push_back({"window length s", "idle-cpu", "none", "seconds", 1});
    text += tables.table("Idle CPU (% of one core)", idle);

    text += tables.table("Ring latency after the release of Super (ms)",
                         {{"taps with a ring seen", "ring", "", "seen", 0},
                          {"mapped: median", "ring", "", "mapped_median_ms", 1},
                          {"mapped: p90", "ring", "", "mapped_p90_ms", 1},
                          {"mapped: max", "ring", "", "mapped_max_ms", 1},
                          {"first paint: median", "ring", "", "painted_median_ms", 1},
                          {"first paint: p90", "ring", "", "painted_p90_ms", 1},
                          {"first paint: max", "ring", "", "painted_max_ms", 1}});

    text += tables.table(
        "Veil latency after an activation request (ms)",
        {{"switches with the hole seen moving", "veil", "", "seen", 0},
         {"window manager set the active window: median", "veil", "", "active_median_ms", 1},
         {"veil repainted over the new window: median", "veil", "", "painted_median_ms", 1},
         {"veil repainted: p90", "veil", "", "painted_p90_ms", 1},
         {"veil repainted: max", "veil", "", "painted_max_ms", 1}});

    text +=
        tables.table("Frames (medians over the animations of a run)",
                     {{"ring: frames", "frames", "", "ring_frames", 0},
                      {"ring: frames per second", "frames", "", "ring_fps", 1},
                      {"ring: dropped frames", "frames", "", "ring_dropped", 0},
                      {"ring: longest interval ms", "frames", "", "ring_longest_ms", 0},
                      {"selection fade: frames", "frames", "", "fade_frames", 0},
                      {"selection fade: frames per second", "frames", "", "fade_fps", 1},
                      {"selection fade: dropped frames", "frames", "", "fade_dropped", 0},
                      {"selection fade: longest interval ms", "frames", "", "fade_longest_ms", 0}});

    text += tables.table("Growth over many taps",
                         {{"taps", "growth", "", "taps", 0},
                          {"halomark RSS before kB", "growth", "", "rss_before_kb", 0},
                          {"halomark RSS after kB", "growth", "", "rss_after_kb", 0},
                          {"halomark RSS growth kB", "growth", "", "rss_growth_kb", 0},
                          {"halomark windows before", "growth", "", "windows_before", 0},
                          {"halomark windows after", "growth", "", "windows_after", 0},
                          {"halomark pixmaps before", "growth", "", "pixmaps_before", 0},
                          {"halomark pixmaps after", "growth", "", "pixmaps_after", 0},
                          {"X server RSS before kB", "growth", "", "server_rss_before_kb", 0},
                          {"X server RSS after kB", "growth", "", "server_rss_after_kb", 0}});

    // Each goal against the medians of the runs.
    struct Goal
    {
        std::string name;
        std::vector<Row> rows;
        std::function<bool(const std::vector<double>&)> met;
        std::string shown; // how the values read
    };
    const std::vector<Goal> goals{
        {"halomark idle CPU <= 1% of a core",
         {{"", "idle-cpu", "halomark", "subject_cpu_pct", 2}},
         [](const auto& v) { return v[0] <= 1.0; },
         "%"},
        {"X server's extra share for halomark <= 1% of a core",
         {{"", "idle-cpu", "halomark", "server_extra_pct", 2}},
         [](const auto& v) { return v[0] <= 1.0; },
         "%"},
        {"ring painted within 40 ms of the release (p90)",
         {{"", "ring", "", "painted_p90_ms", 1}},
         [](const auto& v) { return v[0] <= 40.0; },
         "ms"},
        {"no dropped frames at 60 Hz (ring, fade)",
         {{"", "frames", "", "ring_dropped", 0}, {"", "frames", "", "fade_dropped", 0}},
         [](const auto& v) { return v[0] == 0 && v[1] == 0; },
         "dropped"},
        {"no growth of windows over the taps (before, after)",
         {{"", "growth", "", "windows_before", 0}, {"", "growth", "", "windows_after", 0}},
         [](const auto& v) { return v[1] <= v[0]; },
         "windows"},
        {"no growth of RSS over the taps (at most 1 MB of allocator noise)",
         {{"", "growth", "", "rss_growth_kb", 0}},
         [](const auto& v) { return v[0] <= 1024.0; },
         "kB"},
    };
    text += "### Goals (medians of the runs)\n\n| goal | measured | verdict |\n|---|---:|---|\n";
    for (const Goal& goal : goals) {
        std::vector<double> values;
        std::string measured;
        for (const Row& row : goal.rows) {
            if (const auto m = tables.medianOf(row)) {
                values.push_back(*m);
                measured += (measured.empty() ? "" : ", ") + formatNumber(*m, row.decimals);
            }
        }
        const bool complete = values.size() == goal.rows.size();
        text += "| " + goal.name + " | " + (complete ? measured + " " + goal.shown : "n/a") +
                " | " + (complete ? (goal.met(values) ? "met" : "missed") : "not measured") +
                " |\n";
    }
    return text;
}

} // namespace halomark::perf
