#include "sim/sim_main_loop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace halomark::sim {
namespace {

TEST(SimMainLoop, RunsWorkOnceByDeadlineThenPostingOrderNeverInsideTheCallerNorCancelled)
{
    SimMainLoop loop;
    std::vector<std::string> order;
    loop.postAfter(0.05, [&] { order.push_back("late"); });
    loop.post([&] {
        order.push_back("first");
        // Work posted while running runs in the same advance, after what is already due.
        loop.post([&] { order.push_back("nested"); });
    });
    loop.post([&] { order.push_back("second"); });
    EXPECT_TRUE(order.empty());

    loop.runDue();
    EXPECT_EQ(order, (std::vector<std::string>{"first", "second", "nested"}));
    loop.advance(0.049);
    EXPECT_EQ(order.size(), 3u);
    loop.advance(0.001);
    EXPECT_EQ(order.back(), "late");
    EXPECT_DOUBLE_EQ(loop.now(), 0.05);

    // Cancelled work is dropped and work posted twice runs only once.
    int runs = 0;
    auto cancelled = WorkItem::make([&] { runs += 100; });
    auto kept = WorkItem::make([&] { ++runs; });
    loop.post(cancelled);
    loop.post(kept);
    loop.post(kept);
    cancelled->cancel();
    loop.runDue();
    EXPECT_EQ(runs, 1);
}

TEST(SimMainLoop, RepeatingTimerKeepsItsPeriodAndStopsWhenInvalidatedEvenByItselfOrDestroyed)
{
    SimMainLoop loop;
    std::vector<double> ticks;
    auto timer = loop.scheduleRepeating(0.02, [&] { ticks.push_back(loop.now()); });
    loop.advance(0.1);
    ASSERT_EQ(ticks.size(), 5u);
    EXPECT_DOUBLE_EQ(ticks[0], 0.02);
    EXPECT_DOUBLE_EQ(ticks[4], 0.1);

    timer->invalidate();
    EXPECT_FALSE(timer->isValid());
    loop.advance(0.1);
    EXPECT_EQ(ticks.size(), 5u);

    int other = 0;
    {
        auto scoped = loop.scheduleRepeating(1.0 / 60, [&] { ++other; });
        loop.advance(0.051);
        EXPECT_EQ(other, 3);
        EXPECT_EQ(loop.activeTimerCount(), 1);
    }
    loop.advance(1);
    EXPECT_EQ(other, 3);
    EXPECT_EQ(loop.activeTimerCount(), 0);

    // A timer that invalidates itself from its tick stops.
    int selfStopped = 0;
    timer = loop.scheduleRepeating(0.01, [&] {
        if (++selfStopped == 2) {
            timer->invalidate();
        }
    });
    loop.advance(0.1);
    EXPECT_EQ(selfStopped, 2);
}

} // namespace
} // namespace halomark::sim
