#include "qt/qt_main_loop.h"

#include <QAbstractEventDispatcher>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QTimerEvent>
#include <QtGlobal>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <unordered_map>
#include <utility>

namespace halomark::qt {
namespace {

// Delayed work never runs early: the delay rounds up to whole milliseconds, with a little
// slack so that 0.07 s (70.00000000000001 ms in binary) stays 70 ms.
int delayMilliseconds(double seconds)
{
    const double milliseconds = std::ceil(seconds * 1000.0 - 1e-6);
    if (!(milliseconds > 0.0)) {
        return 0;
    }
    return static_cast<int>(std::min(milliseconds, double{std::numeric_limits<int>::max()}));
}

// A period keeps its average rate best when rounded to the nearest millisecond.
std::chrono::milliseconds periodMilliseconds(double seconds)
{
    const double milliseconds = std::round(seconds * 1000.0);
    if (!(milliseconds >= 1.0)) {
        return std::chrono::milliseconds{1};
    }
    return std::chrono::milliseconds{
        static_cast<long long>(std::min(milliseconds, double{std::numeric_limits<int>::max()}))};
}

} // namespace

// Owns the repeating timers and is the context of every queued call and single shot, so that
// deleting it drops all of them at once. Stopping a timer only kills its id, which is safe
// even from inside that timer's own tick.
class QtMainLoop::TimerHost final : public QObject
{
public:
    int start(std::chrono::milliseconds period, std::function<void()> tick)
    {
        const int id = startTimer(period, Qt::PreciseTimer);
        if (id != 0) {
            ticks.emplace(id, std::move(tick));
        }
        return id;
    }

    void stop(int id)
    {
        if (ticks.erase(id) > 0) {
            killTimer(id);
        }
    }

protected:
    void timerEvent(QTimerEvent* event) override
    {
        const auto found = ticks.find(event->timerId());
        if (found == ticks.end()) {
            return;
        }
        // A copy, because the tick may stop its own timer or start others while it runs.
        auto tick = found->second;
        tick();
    }

private:
    std::unordered_map<int, std::function<void()>> ticks;
};

class QtMainLoop::Timer final : public RepeatingTimer
{
public:
    Timer(TimerHost* host, int id) : host(host), id(id) {}
    ~Timer() override { invalidate(); }
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    void invalidate() override
    {
        if (host && id != 0) {
            host->stop(id);
        }
        id = 0;
    }
    bool isValid() const override { return host && id != 0; }

private:
    QPointer<TimerHost> host; // cleared when the loop goes first
    int id;
};

QtMainLoop::QtMainLoop() : host(std::make_unique<TimerHost>())
{
    clock.start();
    // The host is the context, so the counting ends when the loop is gone.
    if (auto* dispatcher = QAbstractEventDispatcher::instance(host->thread())) {
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, host.get(),
                         [this] { ++turns; });
        QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, host.get(),
                         [this] { ++turns; });
    }
}

QtMainLoop::~QtMainLoop() = default;

double QtMainLoop::now() const
{
    return static_cast<double>(clock.nsecsElapsed()) / 1e9;
}

void QtMainLoop::post(WorkItemPtr item)
{
    QMetaObject::invokeMethod(
        host.get(), [item = std::move(item)] { item->perform(); }, Qt::QueuedConnection);
}

void QtMainLoop::postAfter(double seconds, WorkItemPtr item)
{
    QTimer::singleShot(delayMilliseconds(seconds), Qt::PreciseTimer, host.get(),
                       [item = std::move(item)] { item->perform(); });
}

std::unique_ptr<RepeatingTimer> QtMainLoop::scheduleRepeating(double interval,
                                                              std::function<void()> tick)
{
    const int id = host->start(periodMilliseconds(interval), std::move(tick));
    if (id == 0) {
        qWarning("halomark: a repeating timer could not be started; it will never tick");
    }
    return std::make_unique<Timer>(host.get(), id);
}

} // namespace halomark::qt
