#include "event_loop.h"
#include "qt/qt_main_loop.h"

#include <QEventLoop>
#include <QMenu>
#include <QMessageBox>
#include <QPoint>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace halomark::qt {
namespace {

using testing::runEventsUntil;

// Lets the loop run until work posted after the given delay has run, so that a test can
// tell that something else did not happen in the meantime.
void runEventsFor(QtMainLoop& loop, double seconds)
{
    bool done = false;
    loop.postAfter(seconds, [&] { done = true; });
    ASSERT_TRUE(runEventsUntil([&] { return done; }));
}

TEST(QtMainLoop, PostedWorkRunsOnALaterTurnInPostingOrder)
{
    QtMainLoop loop;
    std::vector<std::string> order;
    loop.post([&] {
        order.push_back("first");
        loop.post([&] { order.push_back("posted by first"); });
        order.push_back("first returns");
    });
    loop.post([&] { order.push_back("second"); });
    EXPECT_TRUE(order.empty()) << "posted work ran inside the caller";

    ASSERT_TRUE(runEventsUntil([&] { return order.size() == 4; }));
    EXPECT_EQ(order,
              (std::vector<std::string>{"first", "first returns", "second", "posted by first"}));
}

TEST(QtMainLoop, DelayedWorkRunsByDeadlineAndNeverEarly)
{
    QtMainLoop loop;
    std::vector<std::string> order;
    const double start = loop.now();
    double lateRanAt = 0;
    double earlyRanAt = 0;
    loop.postAfter(0.06, [&] {
        order.push_back("late");
        lateRanAt = loop.now();
    });
    loop.postAfter(0.02, [&] {
        order.push_back("early");
        earlyRanAt = loop.now();
    });
    bool undelayedRan = false;
    loop.postAfter(0.0, [&] { undelayedRan = true; });
    EXPECT_FALSE(undelayedRan) << "work without delay ran inside the caller";

    ASSERT_TRUE(runEventsUntil([&] { return order.size() == 2; }));
    EXPECT_TRUE(undelayedRan);
    EXPECT_EQ(order, (std::vector<std::string>{"early", "late"}));
    // Media time is monotonic and the delays are lower bounds (half a millisecond allows for
    // the clock's rounding, not for early timers).
    EXPECT_GE(earlyRanAt - start, 0.02 - 0.0005);
    EXPECT_GE(lateRanAt - start, 0.06 - 0.0005);
    EXPECT_GE(lateRanAt, earlyRanAt);
}

TEST(QtMainLoop, CancelledWorkNeverRunsAndWorkRunsOnlyOnce)
{
    QtMainLoop loop;
    int cancelledRuns = 0;
    int onceRuns = 0;
    auto posted = WorkItem::make([&] { ++cancelledRuns; });
    auto delayed = WorkItem::make([&] { ++cancelledRuns; });
    auto cancelledByEarlierWork = WorkItem::make([&] { ++cancelledRuns; });
    auto once = WorkItem::make([&] { ++onceRuns; });

    loop.post([&] { cancelledByEarlierWork->cancel(); });
    loop.post(posted);
    loop.post(cancelledByEarlierWork);
    loop.postAfter(0.005, delayed);
    loop.post(once);
    loop.postAfter(0.005, once);
    posted->cancel();
    delayed->cancel();

    runEventsFor(loop, 0.03);
    EXPECT_EQ(cancelledRuns, 0);
    EXPECT_EQ(onceRuns, 1);
}

TEST(QtMainLoop, RepeatingTimerStopsWhenInvalidatedDestroyedOrDestroyedByItsOwnTick)
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
    const int invalidatedAtStop = invalidatedTicks;
    const int destroyedAtStop = destroyedTicks;

    runEventsFor(loop, 0.04);
    EXPECT_EQ(invalidatedTicks, invalidatedAtStop);
    EXPECT_EQ(destroyedTicks, destroyedAtStop);
    EXPECT_EQ(selfDestroyedTicks, 2);
    EXPECT_EQ(selfDestroyed, nullptr);
}

// A menu or a modal dialog opened from an event runs a nested loop until it closes; the
// polling timers and delayed work must go on inside it.
TEST(QtMainLoop, TimersAndWorkKeepRunningInsideANestedLoop)
{
    QtMainLoop loop;
    bool inside = false;
    bool finished = false;
    int ticksInside = 0;
    bool postedRanInside = false;
    bool delayedRanInside = false;
    QEventLoop* nested = nullptr;

    auto timer = loop.scheduleRepeating(0.005, [&] {
        if (!inside) {
            return;
        }
        if (++ticksInside == 5 && nested != nullptr) {
            nested->quit();
        }
    });
    loop.post([&] {
        QEventLoop modal;
        nested = &modal;
        inside = true;
        loop.post([&] { postedRanInside = inside; });
        loop.postAfter(0.01, [&] { delayedRanInside = inside; });
        QTimer::singleShot(3000, &modal, &QEventLoop::quit);
        modal.exec();
        inside = false;
        nested = nullptr;
        finished = true;
    });

    ASSERT_TRUE(runEventsUntil([&] { return finished; }, 5000));
    EXPECT_GE(ticksInside, 5);
    EXPECT_TRUE(postedRanInside);
    EXPECT_TRUE(delayedRanInside);
}

TEST(QtMainLoop, RepeatingTimerTicksWhileAMenuOrAMessageBoxIsOpen)
{
    QtMainLoop loop;
    // Runs the widget's own loop; the timer closes it on the fifth tick seen while it shows.
    const auto ticksWhileOpen = [&](QWidget& widget, const std::function<void()>& exec,
                                    const std::function<void()>& close) {
        int ticks = 0;
        auto timer = loop.scheduleRepeating(0.005, [&] {
            if (widget.isVisible() && ++ticks == 5) {
                close();
            }
        });
        QTimer::singleShot(3000, &widget, close);
        exec();
        return ticks;
    };
    QMenu menu;
    menu.addAction(QStringLiteral("Item"));
    EXPECT_EQ(ticksWhileOpen(
                  menu, [&] { menu.exec(QPoint(20, 20)); }, [&] { menu.close(); }),
              5);
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Title"), QStringLiteral("Message"),
                    QMessageBox::Ok);
    EXPECT_EQ(ticksWhileOpen(
                  box, [&] { box.exec(); }, [&] { box.done(QMessageBox::Ok); }),
              5);
}

TEST(QtMainLoop, NothingRunsAfterTheLoopIsDestroyed)
{
    auto loop = std::make_unique<QtMainLoop>();
    bool ran = false;
    int ticks = 0;
    loop->post([&] { ran = true; });
    loop->postAfter(0.001, [&] { ran = true; });
    auto timer = loop->scheduleRepeating(0.001, [&] { ++ticks; });
    loop.reset();
    EXPECT_FALSE(timer->isValid());

    QtMainLoop other;
    runEventsFor(other, 0.02);
    EXPECT_FALSE(ran);
    EXPECT_EQ(ticks, 0);
    timer.reset(); // a handle that outlives its loop is harmless
}

} // namespace
} // namespace halomark::qt
