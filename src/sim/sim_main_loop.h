// A main loop on a virtual clock for tests. Work runs in the order of its deadline and, for
// equal deadlines, the order it was posted. Time moves only when a test advances it; there is
// no "run until idle", because the polling timers repeat for ever.
#pragma once

#include "platform/main_loop.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <utility>

namespace halomark::sim {

class SimMainLoop final : public MainLoop
{
public:
    double now() const override { return static_cast<double>(nowNanoseconds) / 1e9; }
    void post(WorkItemPtr item) override;
    void postAfter(double seconds, WorkItemPtr item) override;
    std::unique_ptr<RepeatingTimer> scheduleRepeating(double interval,
                                                      std::function<void()> tick) override;
    // Every piece of work runs in a turn of its own, and each advance begins one.
    std::uint64_t turnNumber() const override { return turns; }
    using MainLoop::post;
    using MainLoop::postAfter;

    // Moves the clock forward by the given seconds, running every piece of work that falls
    // due on the way (including work that the work itself posts), each at its own deadline.
    void advance(double seconds);

    // Runs the work that is due now, without moving the clock.
    void runDue() { advance(0); }

    // Work and timer ticks waiting to run (cancelled items included until their turn).
    std::size_t pendingCount() const { return queue.size(); }
    // Live repeating timers.
    int activeTimerCount() const;

private:
    struct TimerState
    {
        std::int64_t interval = 0;
        std::function<void()> tick;
        bool valid = true;
    };
    class Timer;

    using Key = std::pair<std::int64_t, std::uint64_t>; // deadline, sequence
    void enqueue(std::int64_t deadline, std::function<void()> run);
    void scheduleTick(const std::shared_ptr<TimerState>& state, std::int64_t deadline);

    std::int64_t nowNanoseconds = 0;
    std::uint64_t nextSequence = 0;
    std::uint64_t turns = 0;
    std::map<Key, std::function<void()>> queue;
    std::map<const TimerState*, std::weak_ptr<TimerState>> timers;
};

} // namespace halomark::sim
