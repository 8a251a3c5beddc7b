// The arithmetic behind the performance report: order statistics, frame counting from damage
// times, /proc parsing and the gathering of result lines into tables and goal verdicts.
#include "perf_report.h"
#include "perf_stats.h"

#include <gtest/gtest.h>

namespace halomark::perf {
namespace {

TEST(PerfOrderStatistics, MedianAndNearestRankPercentileOfUnsortedValues)
{
    EXPECT_EQ(median({}), std::nullopt);
    EXPECT_EQ(median({7, 1, 3}), 3);
    EXPECT_EQ(median({10, 2, 4, 8}), 6); // the mean of the two middle values
    EXPECT_EQ(percentile({}, 0.9), std::nullopt);
    EXPECT_EQ(percentile({5, 1, 9, 3, 7, 2, 8, 4, 6, 10}, 0.9), 9); // 9 of 10 are at most 9
    EXPECT_EQ(percentile({42}, 0.9), 42);
    EXPECT_EQ(percentile({3, 1, 2}, 1.0), 3);
    EXPECT_EQ(maximum({3, 11, 2}), 11);
}

TEST(PerfFrames, BurstsMakeOneFrameAndLongIntervalsCountAsDropped)
{
    // Three frames: the reports of one flush arrive within a few milliseconds.
    EXPECT_EQ(frameStarts({100, 101, 101, 133, 134, 150}, 4), (std::vector<double>{100, 133, 150}));
    EXPECT_TRUE(frameStarts({}, 4).empty());

    // A steady 60 Hz animation of 0.5 s drops nothing.
    std::vector<double> steady;
    for (int i = 0; i <= 30; ++i) {
        steady.push_back(1000 + i * 1000.0 / 60);
    }
    FrameStats stats = frameStats(steady, 0, 1e9, 60);
    EXPECT_EQ(stats.frames, 31);
    EXPECT_EQ(stats.droppedFrames, 0);
    EXPECT_NEAR(stats.framesPerSecond, 60, 0.01);
    EXPECT_NEAR(stats.spanMs, 500, 0.01);

    // 25 ms is exactly 1.5 periods and still on time; 26 ms and a 100 ms stall are drops.
    stats = frameStats({0, 17, 42, 68, 168, 185}, 0, 1e9, 60);
    EXPECT_EQ(stats.droppedFrames, 2);
    EXPECT_EQ(stats.longestIntervalMs, 100);

    // Only the frames inside the window count: the pause before the fade is not a drop.
    stats = frameStats({0, 450, 467, 484}, 400, 1e9, 60);
    EXPECT_EQ(stats.frames, 3);
    EXPECT_EQ(stats.droppedFrames, 0);
    EXPECT_EQ(frameStats({5}, 0, 10, 60).framesPerSecond, 0);
}

TEST(PerfProc, CpuTicksAndResidentSizeFromProcText)
{
    // utime 1234 and stime 56 are the 14th and 15th fields; the name holds spaces and ')'.
    const std::string stat =
        "4242 (odd) name) S 1 4242 4242 0 -1 4194560 500 0 0 0 1234 56 0 0 20 0 3 0 100 1 2";
    EXPECT_EQ(cpuTicksFromStat(stat), 1290u);
    EXPECT_EQ(cpuTicksFromStat("4242 (short) S 1 2 3"), std::nullopt);
    EXPECT_EQ(cpuTicksFromStat("no name here"), std::nullopt);
    EXPECT_EQ(cpuTicksFromStat("1 (x) S 1 1 1 0 -1 0 0 0 0 0 12a 3 0"), std::nullopt);

    EXPECT_EQ(residentKilobytesFromStatus("Name:\thalomark\nVmPeak:\t 9 kB\nVmRSS:\t   51234 kB\n"
                                          "RssAnon:\t 1 kB\n"),
              51234u);
    EXPECT_EQ(residentKilobytesFromStatus("Name:\tkthreadd\nState:\tS\n"), std::nullopt);
}

TEST(PerfReport, ResultLinesBecomeTablesWithTheServerExtraShareAndGoalVerdicts)
{
    const auto line = parseResultLine("ring taps=20 seen=19 painted_p90_ms=31.5");
    ASSERT_TRUE(line);
    EXPECT_EQ(line->kind, "ring");
    EXPECT_EQ(line->fields.at("seen"), "19");
    EXPECT_EQ(parseResultLine(formatResultLine(*line))->fields, line->fields);
    EXPECT_EQ(parseResultLine("ring seen"), std::nullopt);
    EXPECT_EQ(parseResultLine(""), std::nullopt);

    std::vector<ResultLine> results;
    for (const char* text : {
             "idle-cpu subject=none server_cpu_pct=0.500 run=1",
             "idle-cpu subject=halomark subject_cpu_pct=1.800 server_cpu_pct=2.000 run=1",
             "idle-cpu subject=none server_cpu_pct=0.300 run=2",
             "idle-cpu subject=halomark subject_cpu_pct=1.900 server_cpu_pct=1.100 run=2",
             "ring painted_p90_ms=30 run=1",
             "ring painted_p90_ms=50 run=2",
         }) {
        results.push_back(*parseResultLine(text));
    }
    const std::string report = markdownReport(results);
    // The extra share pairs each subject with the baseline of its own run: 1.5 and 0.8.
    EXPECT_NE(report.find("| halomark: X server extra % | 1.50 | 0.80 | 1.15 |"), std::string::npos)
        << report;
    EXPECT_NE(report.find("| halomark: its own CPU % | 1.80 | 1.90 | 1.85 |"), std::string::npos);
    EXPECT_NE(report.find("| halomark idle CPU <= 1% of a core | 1.85 % | missed |"),
              std::string::npos);
    EXPECT_NE(report.find("extra share for halomark <= 1% of a core | 1.15 % | missed |"),
              std::string::npos);
    EXPECT_NE(report.find("(p90) | 40.0 ms | met |"), std::string::npos);
    EXPECT_NE(report.find("no dropped frames at 60 Hz (ring, fade) | n/a | not measured |"),
              std::string::npos);
}

} // namespace
} // namespace halomark::perf
