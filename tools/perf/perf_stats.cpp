#include "perf_stats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace halomark::perf {

std::optional<double> median(std::vector<double> values)
{
    if (values.empty()) {
        return std::nullopt;
    }
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    if (values.size() % 2 == 1) {
        return values[middle];
    }
    return (values[middle - 1] + values[middle]) / 2;
}

std::optional<double> percentile(std::vector<double> values, double fraction)
{
    if (values.empty()) {
        return std::nullopt;
    }
    std::sort(values.begin(), values.end());
    const double rank = std::ceil(fraction * static_cast<double>(values.size()));
    const auto index = static_cast<std::size_t>(std::clamp(rank, 1.0, double(values.size()))) - 1;
    return values[index];
}

std::optional<double> maximum(const std::vector<double>& values)
{
    if (values.empty()) {
        return std::nullopt;
    }
    return *std::max_element(values.begin(), values.end());
}

std::vector<double> frameStarts(const std::vector<double>& damageTimesMs, double burstGapMs)
{
    std::vector<double> starts;
    double previous = 0;
    for (const double time : damageTimesMs) {
        if (starts.empty() || time - previous >= burstGapMs) {
            starts.push_back(time);
        }
        previous = time;
    }
    return starts;
}

FrameStats frameStats(const std::vector<double>& frameStartsMs, double fromMs, double toMs,
                      double refreshHz)
{
    std::vector<double> inside;
    for (const double start : frameStartsMs) {
        if (start >= fromMs && start <= toMs) {
            inside.push_back(start);
        }
    }
    FrameStats stats;
    stats.frames = static_cast<int>(inside.size());
    if (inside.size() < 2) {
        return stats;
    }
    const double limit = 1.5 * 1000.0 / refreshHz;
    for (std::size_t i = 1; i < inside.size(); ++i) {
        const double interval = inside[i] - inside[i - 1];
        stats.longestIntervalMs = std::max(stats.longestIntervalMs, interval);
        stats.droppedFrames += interval > limit ? 1 : 0;
    }
    stats.spanMs = inside.back() - inside.front();
    if (stats.spanMs > 0) {
        stats.framesPerSecond = static_cast<double>(inside.size() - 1) * 1000.0 / stats.spanMs;
    }
    return stats;
}

std::optional<std::uint64_t> cpuTicksFromStat(const std::string& statText)
{
    const std::size_t close = statText.rfind(')');
    if (close == std::string::npos) {
        return std::nullopt;
    }
    // After the name: state (field 3) ... utime (field 14), stime (field 15).
    std::istringstream rest(statText.substr(close + 1));
    std::string field;
    std::uint64_t utime = 0;
    std::uint64_t stime = 0;
    for (int number = 3; number <= 15; ++number) {
        if (!(rest >> field)) {
            return std::nullopt;
        }
        if (number >= 14) {
            if (field.empty() || !std::all_of(field.begin(), field.end(),
                                              [](char c) { return c >= '0' && c <= '9'; })) {
                return std::nullopt;
            }
            (number == 14 ? utime : stime) = std::stoull(field);
        }
    }
    return utime + stime;
}

std::optional<std::uint64_t> residentKilobytesFromStatus(const std::string& statusText)
{
    std::istringstream lines(statusText);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("VmRSS:", 0) != 0) {
            continue;
        }
        std::istringstream fields(line.substr(6));
        std::uint64_t kilobytes = 0;
        std::string unit;
        if (fields >> kilobytes >> unit && unit == "kB") {
            return kilobytes;
        }
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<ResultLine> parseResultLine(const std::string& line)
{
    std::istringstream words(line);
    ResultLine result;
    if (!(words >> result.kind) || result.kind.find('=') != std::string::npos) {
        return std::nullopt;
    }
    std::string word;
    while (words >> word) {
        const std::size_t equals = word.find('=');
        if (equals == std::string::npos || equals == 0) {
            return std::nullopt;
        }
        result.fields[word.substr(0, equals)] = word.substr(equals + 1);
    }
    return result;
}

std::string formatResultLine(const ResultLine& result)
{
    std::string line = result.kind;
    for (const auto& [key, value] : result.fields) {
        line += " " + key + "=" + value;
    }
    return line;
}

std::string formatNumber(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

} // namespace halomark::perf
