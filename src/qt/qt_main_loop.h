// The main loop on Qt's event loop: media time from a monotonic clock, posted work as queued
// calls, delayed work and repeating timers as precise Qt timers. Qt runs timers and queued
// calls in the nested loops of menus and modal dialogs too, so polling goes on while they are
// open. Create it on the thread of the application object, after that object exists.
#pragma once

#include "platform/main_loop.h"

#include <QElapsedTimer>

#include <cstdint>
#include <memory>

namespace halomark::qt {

class QtMainLoop final : public MainLoop
{
public:
    QtMainLoop();
    // Pending work and live timers are dropped: nothing runs after the loop is gone.
    ~QtMainLoop() override;
    QtMainLoop(const QtMainLoop&) = delete;
    QtMainLoop& operator=(const QtMainLoop&) = delete;

    double now() const override;
    void post(WorkItemPtr item) override;
    void postAfter(double seconds, WorkItemPtr item) override;
    std::unique_ptr<RepeatingTimer> scheduleRepeating(double interval,
                                                      std::function<void()> tick) override;
    // A turn begins each time the event loop, or a nested one, wakes or is about to wait.
    std::uint64_t turnNumber() const override { return turns; }
    using MainLoop::post;
    using MainLoop::postAfter;

private:
    class TimerHost;
    class Timer;

    QElapsedTimer clock;
    std::unique_ptr<TimerHost> host;
    std::uint64_t turns = 0;
};

} // namespace halomark::qt
