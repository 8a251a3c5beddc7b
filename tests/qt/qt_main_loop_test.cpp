// The main loop on Qt's event loop: posted work in order and never inside the caller, delayed
// work never early, repeating timers that stop for good and keep ticking inside menus, nothing
// after the loop is gone; and the pump that reads the X connection whenever the loop would wait.
#include "qt/qt_event_source_pump.h"
#include "qt/qt_main_loop.h"

#include "qt_testing.h"

#include <QMenu>

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
    const auto record = [&](std::string name) {
        return [&, name] {
            order.push_back(name);
            ranAt.push_back(loop.now() - start);
        };
    };
    loop.postAfter(0.06, record("late"));
    loop.postAfter(0.0209, record("early"));
    bool undelayedRan = false;
    loop.postAfter(0.0, [&] { undelayedRan = true; });
    // Work due within a millisecond still waits for its timer, after work already posted.
    bool subMillisecondWaited = false;
    loop.postAfter(0.0009, [&] { subMillisecondWaited = order.size() >= 2; });
    loop.post([&] {
        record("first")();
        loop.post(record("posted by first"));
    });
    loop.post(record("second"));
    EXPECT_TRUE(order.empty() && !undelayedRan) << "work ran inside the caller";

    int runs = 0; // a cancelled item that runs adds 10, an item run twice 2
    auto posted = WorkItem::make([&] { runs += 10; });
    auto delayed = WorkItem::make([&] { runs += 10; });
    auto once = WorkItem::make([&] { ++runs; });
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
    EXPECT_GE(ranAt[3], 0.0209 - 0.0005);
    EXPECT_GE(ranAt[4], 0.06 - 0.0005);
    EXPECT_EQ(runs, 1);
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

// As the program uses it: readiness reads the socket; before each wait the source is asked for
// what it has already read, without reading the socket, until the socket closes.
TEST(QtEventSourcePump, ReadsWhenTheSocketIsReadableAndAsksBeforeEveryWaitUntilItCloses)
{
    // A pipe stands in for the X connection's socket.
    int pipe[2] = {-1, -1};
    ASSERT_EQ(::pipe2(pipe, O_CLOEXEC | O_NONBLOCK), 0);
    std::string arrived;
    int reads = 0;
    int queuedPasses = 0;
    QtEventSourcePump pump(
        pipe[0],
        [&] { // reads what is there; false once the writing end is closed
            ++reads;
            char buffer[16];
            ssize_t count = 0;
            while ((count = ::read(pipe[0], buffer, sizeof buffer)) > 0) {
                arrived.append(buffer, static_cast<std::size_t>(count));
            }
            return count != 0;
        },
        [&] { return ++queuedPasses > 0; });
    ASSERT_TRUE(pump.isWatching());
    testing::runEventsFor(20);
    EXPECT_GT(queuedPasses, 0);
    EXPECT_EQ(reads, 0) << "the socket was read without readiness";
    ASSERT_EQ(::write(pipe[1], "ab", 2), 2);
    ASSERT_TRUE(runEventsUntil([&] { return arrived == "ab"; }));
    ::close(pipe[1]);
    ASSERT_TRUE(runEventsUntil([&] { return !pump.isWatching(); }));
    const int passes = reads + queuedPasses;
    testing::runEventsFor(20);
    EXPECT_EQ(reads + queuedPasses, passes) << "asked after the source was gone";
    ::close(pipe[0]);
}

} // namespace
} // namespace halomark::qt
