// A unit of work for the main loop: a function plus a cancelled flag. Cancelling an item
// before it runs drops it; the loop skips cancelled items.
#pragma once

#include <functional>
#include <memory>
#include <utility>

namespace halomark {

class WorkItem
{
public:
    explicit WorkItem(std::function<void()> body) : body(std::move(body)) {}

    static std::shared_ptr<WorkItem> make(std::function<void()> body)
    {
        return std::make_shared<WorkItem>(std::move(body));
    }

    void cancel()
    {
        cancelled = true;
        body = nullptr; // release what the body captured at once
    }
    bool isCancelled() const { return cancelled; }

    // Runs the body unless the item was cancelled. The body is moved out first so that an
    // item runs at most once and may cancel or replace itself while running.
    void perform()
    {
        if (cancelled || !body) {
            return;
        }
        auto run = std::move(body);
        body = nullptr;
        run();
    }

private:
    std::function<void()> body;
    bool cancelled = false;
};

using WorkItemPtr = std::shared_ptr<WorkItem>;

} // namespace halomark
