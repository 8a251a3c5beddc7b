// The arithmetic of the measurements, free of X and of the clock so that it can be tested on its
// own: order statistics, the frames of an animation from the times of its damage reports, the
// CPU time and resident size a process reports in /proc, and the key=value result lines that
// the subcommands print and the report reads back.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace halomark::perf {

// The middle value (the mean of the two middle ones for an even count); nothing when empty.
std::optional<double> median(std::vector<double> values);

// The nearest-rank percentile (0 < fraction <= 1): the smallest value that at least that
// fraction of the values do not exceed; nothing when empty.
std::optional<double> percentile(std::vector<double> values, double fraction);

std::optional<double> maximum(const std::vector<double>& values);

// The frames of an animation, from the times (milliseconds, ascending) at which damage was
// reported on its window. One flush of a frame reaches the server as a burst of drawing
// requests, so reports less than `burstGapMs` after the previous one belong to the same frame.
struct FrameStats
{
    int frames = 0;
    double spanMs = 0;          // first frame to last frame
    double framesPerSecond = 0; // intervals per second over the span; 0 with fewer than 2 frames
    int droppedFrames = 0;      // intervals longer than 1.5 refresh periods
    double longestIntervalMs = 0;
};

// The start time of each frame.
std::vector<double> frameStarts(const std::vector<double>& damageTimesMs, double burstGapMs);

// Statistics of the frames whose start lies in [fromMs, toMs]; dropped frames are intervals
// between consecutive such frames longer than 1.5 / refreshHz.
FrameStats frameStats(const std::vector<double>& frameStartsMs, double fromMs, double toMs,
                      double refreshHz);

// utime + stime in clock ticks from the text of /proc/PID/stat. The command name (in
// parentheses) may itself hold spaces and parentheses, so fields count from the last ')'.
std::optional<std::uint64_t> cpuTicksFromStat(const std::string& statText);

// VmRSS in kilobytes from the text of /proc/PID/status.
std::optional<std::uint64_t> residentKilobytesFromStatus(const std::string& statusText);

// A result line: a word naming the measurement, then key=value fields separated by spaces.
struct ResultLine
{
    std::string kind;
    std::map<std::string, std::string> fields;
};

std::optional<ResultLine> parseResultLine(const std::string& line);
std::string formatResultLine(const ResultLine& result);

// A number with the given decimals, as the result lines and tables write it.
std::string formatNumber(double value, int decimals);

} // namespace halomark::perf
