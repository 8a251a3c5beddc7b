#include "sim/sim_main_loop.h"

#include <algorithm>
#include <cmath>

namespace halomark::sim {
namespace {

std::int64_t toNanoseconds(double seconds)
{
    return static_cast<std::int64_t>(std::llround(std::max(0.0, seconds) * 1e9));
}

} // namespace

class SimMainLoop::Timer final : public RepeatingTimer
{
public:
    explicit Timer(std::shared_ptr<TimerState> state) : state(std::move(state)) {}
    ~Timer() override { invalidate(); }
    void invalidate() override
    {
        state->valid = false;
        state->tick = nullptr;
    }
    bool isValid() const override { return state->valid; }

private:
    std::shared_ptr<TimerState> state;
};

void SimMainLoop::enqueue(std::int64_t deadline, std::function<void()> run)
{
    queue.emplace(Key{deadline, nextSequence++}, std::move(run));
}

void SimMainLoop::post(WorkItemPtr item)
{
    enqueue(nowNanoseconds, [item] { item->perform(); });
}

void SimMainLoop::postAfter(double seconds, WorkItemPtr item)
{
    enqueue(nowNanoseconds + toNanoseconds(seconds), [item] { item->perform(); });
}

void SimMainLoop::scheduleTick(const std::shared_ptr<TimerState>& state, std::int64_t deadline)
{
    std::weak_ptr<TimerState> weak = state;
    enqueue(deadline, [this, weak, deadline] {
        auto strong = weak.lock();
        if (!strong || !strong->valid) {
            return;
        }
        // The next tick is queued before this one runs, so a tick that invalidates its own
        // timer still stops it, and the period does not drift.
        scheduleTick(strong, deadline + strong->interval);
        auto tick = strong->tick;
        tick();
    });
}

std::unique_ptr<RepeatingTimer> SimMainLoop::scheduleRepeating(double interval,
                                                               std::function<void()> tick)
{
    auto state = std::make_shared<TimerState>();
    state->interval = std::max<std::int64_t>(1, toNanoseconds(interval));
    state->tick = std::move(tick);
    std::erase_if(timers, [](const auto& entry) { return entry.second.expired(); });
    timers[state.get()] = state;
    scheduleTick(state, nowNanoseconds + state->interval);
    return std::make_unique<Timer>(state);
}

void SimMainLoop::advance(double seconds)
{
    const std::int64_t target = nowNanoseconds + toNanoseconds(seconds);
    ++turns;
    while (!queue.empty() && queue.begin()->first.first <= target) {
        auto node = queue.extract(queue.begin());
        nowNanoseconds = std::max(nowNanoseconds, node.key().first);
        ++turns;
        node.mapped()();
    }
    nowNanoseconds = target;
}

int SimMainLoop::activeTimerCount() const
{
    int count = 0;
    for (const auto& [key, weak] : timers) {
        if (auto state = weak.lock(); state && state->valid) {
            ++count;
        }
    }
    return count;
}

} // namespace halomark::sim
