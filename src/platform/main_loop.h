// The main loop port: media time, one-shot work on a later turn of the loop, and repeating
// timers. Everything runs on one thread. Timers keep firing while menus and modal dialogs
// run their own nested loops.
#pragma once

#include "platform/work_item.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace halomark {

// An owned handle to a repeating timer. Invalidating or destroying it stops the timer for
// good; a stopped timer never calls its tick again.
class RepeatingTimer
{
public:
    virtual ~RepeatingTimer() = default;
    virtual void invalidate() = 0;
    virtual bool isValid() const = 0;
};

class MainLoop
{
public:
    virtual ~MainLoop() = default;

    // Media time in seconds, monotonic.
    virtual double now() const = 0;

    // Runs the item on a later turn of the loop, after the caller has returned.
    virtual void post(WorkItemPtr item) = 0;

    // Runs the item once the given number of seconds has passed.
    virtual void postAfter(double seconds, WorkItemPtr item) = 0;

    // Calls tick every interval seconds until the returned handle is invalidated or destroyed.
    virtual std::unique_ptr<RepeatingTimer> scheduleRepeating(double interval,
                                                              std::function<void()> tick) = 0;

    // Counts the turns of the loop begun so far; it never changes while a piece of work (a
    // timer tick, a posted item) runs, unless that work runs a nested loop itself. Adapters use it
    // to let the questions of one sampling pass share one read of the system and to read afresh on
    // the next pass.
    virtual std::uint64_t turnNumber() const = 0;

    // Conveniences for work that is never cancelled.
    void post(std::function<void()> body) { post(WorkItem::make(std::move(body))); }
    void postAfter(double seconds, std::function<void()> body)
    {
        postAfter(seconds, WorkItem::make(std::move(body)));
    }
};

} // namespace halomark
