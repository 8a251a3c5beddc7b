// The main loop on Qt's event loop: posted work in order and never inside the caller, delayed
// work never early, repeating timers that stop for good and keep ticking inside menus, nothing
// after the loop is gone; and the pump that reads the X connection whenever the loop would wait.
#include "qt/qt_event_source_pump.h"
#include "qt/qt_main_loop.h"

#include "qt_testing.h"

#include <QMenu>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace halomark::qt {
namespace {

using testing::runEventsUntil;

TEST(QtMainLoop, WorkRunsOnALaterTurnInPostingOrderByDeadlineNeverEarlyAndOnlyOnce)
{
    QtMainLoop loop;
    std::vector<std::string> order;
    const double start = loop.now();
    std::vector<double> ranAt;
    loop.postAfter(0.06, [&] {
        order.push_back("late");
        ranAt.push_back(loop.now() - start);
    });
    loop.postAfter(0.0209, [&] {
        order.push_back("early");
        ranAt.push_back(loop.now() - start);
    });
    bool undelayedRan = false;
    loop.postAfter(0.0, [&] { undelayedRan = true; });
    // Work due within a millisecond still waits for its timer, after work already posted.
    bool subMillisecondWaited = false;
    loop.postAfter(0.0009, [&] { subMillisecondWaited = order.size() >= 2; });
    loop.post([&] {
        order.push_back("first");
        loop.post([&] { order.push_back("posted by first"); });
    });
    loop.post([&] { order.push_back("second"); });
    EXPECT_TRUE(order.empty() && !undelayedRan) << "work ran inside the caller";

    int cancelledRuns = 0;
    int onceRuns = 0;
    auto posted = WorkItem::make([&] { ++cancelledRuns; });
    auto delayed = WorkItem::make([&] { ++cancelledRuns; });
    auto once = WorkItem::make([&] { ++onceRuns; });
    loop.post(posted);
    loop.postAfter(0.005, delayed);
    loop.post(once);
    loop.postAfter(0.005, once);
    posted->cancel();
    delayed->cancel();

    ASSERT_TRUE(runEventsUntil([&] { return order.size() == 5; }));
    EXPECT_TRUE(undelayedRan);
    EXPECT_TRUE(subMillisecondWaited) << "a delay under a millisecond was rounded to none";
    EXPECT_EQ(order,
              (std::vector<std::string>{"first", "second", "posted by first", "early", "late"}));
    // A delay between whole milliseconds rounds up; half a millisecond allows for the clock's
    // rounding, not for early timers.
    EXPECT_GE(ranAt[0], 0.0209 - 0.0005);
    EXPECT_GE(ranAt[1], 0.06 - 0.0005);
    EXPECT_EQ(cancelledRuns, 0);
    EXPECT_EQ(onceRuns, 1);
}

TEST(QtMainLoop, RepeatingTimersStopForGoodAndTickInsideAMenusLoop)
{
    QtMainLoop loop;
    int invalidatedTicks = 0;
    auto invalidated = loop.scheduleRepeating(0.005, [&] { ++invalidatedTicks; });
    int destroyedTicks = 0;
    auto destroyed = loop.scheduleRepeating(0.005, [&] { ++destroyedTicks; });
    std::unique_ptr<RepeatingTimer> selfDestroyed;
    int selfDestroyedTicks = 0;
    selfDestroyed = loop.scheduleRepeating(0.005, [&] {
        if (++selfDestroyedTicks == 2) {
            selfDestroyed.reset();
        }
    });
    EXPECT_TRUE(invalidated->isValid());
    ASSERT_TRUE(runEventsUntil([&] { return invalidatedTicks >= 3 && destroyedTicks >= 3; }));
    invalidated->invalidate();
    EXPECT_FALSE(invalidated->isValid());
    destroyed.reset();
    const int ticksAtStop = invalidatedTicks + destroyedTicks;

    // A menu runs a loop of its own until it closes; timers and work go on inside it.
    QMenu menu;
    menu.addAction("Item");
    int ticksInside = 0;
    bool postedRanInside = false;
    bool delayedRanInside = false;
    auto timer = loop.scheduleRepeating(0.005, [&] {
        if (menu.isVisible() && ++ticksInside == 5) {
            menu.close();
        }
    });
    QTimer::singleShot(0, [&] {
        loop.post([&] { postedRanInside = menu.isVisible(); });
        loop.postAfter(0.01, [&] { delayedRanInside = menu.isVisible(); });
    });
    QTimer::singleShot(3000, &menu, &QMenu::close);
    menu.exec(QPoint(20, 20));
    EXPECT_EQ(ticksInside, 5);
    EXPECT_TRUE(postedRanInside);
    EXPECT_TRUE(delayedRanInside);
    EXPECT_EQ(invalidatedTicks + destroyedTicks, ticksAtStop);
    EXPECT_EQ(selfDestroyedTicks, 2);
    EXPECT_EQ(selfDestroyed, nullptr);
}

// A pipe standing in for the X connection's socket.
struct Pipe
{
    Pipe() { EXPECT_EQ(::pipe2(ends, O_CLOEXEC | O_NONBLOCK), 0); }
    ~Pipe()
    {
        ::close(ends[0]);
        ::close(ends[1]);
    }
    // Reads what is there; false once the writing end is closed.
    bool read(std::string& into) const
    {
        char buffer[16];
        ssize_t count = 0;
        while ((count = ::read(ends[0], buffer, sizeof buffer)) > 0) {
            into.append(buffer, static_cast<std::size_t>(count));
        }
        return count != 0;
    }
    int ends[2] = {-1, -1};
};

// As the program uses it: readiness reads the socket; before each wait the source is asked for
// what it has already read, without reading the socket, until the socket closes.
TEST(QtEventSourcePump, ReadsWhenTheSocketIsReadableAndAsksBeforeEveryWaitUntilItCloses)
{
    Pipe pipe;
    std::string arrived;
    int reads = 0;
    int queuedPasses = 0;
    QtEventSourcePump pump(
        pipe.ends[0],
        [&] {
            ++reads;
            return pipe.read(arrived);
        },
        [&] { return ++queuedPasses > 0; });
    ASSERT_TRUE(pump.isWatching());
    testing::runEventsFor(20);
    EXPECT_GT(queuedPasses, 0);
    EXPECT_EQ(reads, 0) << "the socket was read without readiness";
    ASSERT_EQ(::write(pipe.ends[1], "ab", 2), 2);
    ASSERT_TRUE(runEventsUntil([&] { return arrived == "ab"; }));
    ::close(std::exchange(pipe.ends[1], -1));
    ASSERT_TRUE(runEventsUntil([&] { return !pump.isWatching(); }));
    const int passes = reads + queuedPasses;
    testing::runEventsFor(20);
    EXPECT_EQ(reads + queuedPasses, passes) << "asked after the source was gone";
}

} // namespace
} // namespace halomark::qt
