#include "wayland/sway_window_source.h"

#include "wayland/sway_tree.h"

#include <nlohmann/json.hpp>

#include <cstdlib>

namespace halomark::wayland {

namespace {

bool replySucceeded(const std::optional<std::string>& reply)
{
    if (!reply) {
        return false;
    }
    const auto json = nlohmann::json::parse(*reply, nullptr, false);
    return json.is_object() && json.value("success", false) == true;
}

} // namespace

SwayWindowSource::SwayWindowSource(std::string socketPath, Options options)
    : path(std::move(socketPath)), options(options)
{
    connectRequests();
    events = std::make_unique<SwayIpcConnection>(path);
    if (!replySucceeded(events->request(sway_ipc::subscribe, R"(["window","workspace"])",
                                        options.replyTimeout))) {
        eventsError =
            events->isConnected() ? "sway refused the subscription" : events->errorDescription();
        events.reset();
        return;
    }
    // Output events came with sway 1.8; an older sway refuses them, and then the lifetime of a
    // read bounds how long a changed output goes unseen.
    events->request(sway_ipc::subscribe, R"(["output"])", options.replyTimeout);
    if (!events->isConnected()) {
        eventsError = events->errorDescription();
        events.reset();
    }
}

std::optional<std::string> SwayWindowSource::socketPathFromEnvironment()
{
    const char* value = std::getenv("SWAYSOCK");
    if (value == nullptr || *value == '\0') {
        return std::nullopt;
    }
    return std::string(value);
}

bool SwayWindowSource::isConnected() const
{
    return requests && requests->isConnected() && events && events->isConnected();
}

std::string SwayWindowSource::errorDescription() const
{
    if (!requests || !requests->isConnected()) {
        return requests ? requests->errorDescription() : "not connected";
    }
    if (!events || !events->isConnected()) {
        return events ? events->errorDescription() : eventsError;
    }
    return {};
}

std::shared_ptr<const WaylandWindowSnapshot> SwayWindowSource::windows()
{
    // Events that arrived since the pump last ran count at once; their handler runs when the
    // pump runs next, not from inside a question.
    if (readEvents()) {
        isStale = true;
        hasUnannouncedChange = true;
    }
    const auto now = std::chrono::steady_clock::now();
    if (snapshot && !isStale && now - readAt < options.snapshotLifetime) {
        return snapshot;
    }
    if ((!requests || !requests->isConnected()) && now - connectedAt >= options.reconnectInterval) {
        connectRequests();
    }
    snapshot.reset();
    if (requests && requests->isConnected()) {
        ++treeReads;
        if (const auto tree = requests->request(sway_ipc::getTree, {}, options.replyTimeout)) {
            if (auto parsed = parseSwayTree(*tree)) {
                snapshot = std::make_shared<const WaylandWindowSnapshot>(std::move(*parsed));
            }
        }
    }
    readAt = std::chrono::steady_clock::now();
    isStale = false;
    return snapshot;
}

void SwayWindowSource::setChangeHandler(std::function<void()> handler)
{
    changeHandler = std::move(handler);
}

int SwayWindowSource::eventFileDescriptor() const
{
    return events ? events->fileDescriptor() : -1;
}

bool SwayWindowSource::processEvents()
{
    if (readEvents()) {
        isStale = true;
        hasUnannouncedChange = true;
    }
    return processQueuedEvents();
}

bool SwayWindowSource::processQueuedEvents()
{
    if (hasUnannouncedChange) {
        hasUnannouncedChange = false;
        if (changeHandler) {
            changeHandler();
        }
    }
    return events && events->isConnected();
}

bool SwayWindowSource::readEvents()
{
    if (!events || !events->isConnected()) {
        return false;
    }
    bool changed = false;
    for (const SwayIpcMessage& message : events->readAvailable()) {
        changed = changed || message.isEvent();
    }
    return changed;
}

void SwayWindowSource::connectRequests()
{
    connectedAt = std::chrono::steady_clock::now();
    requests = std::make_unique<SwayIpcConnection>(path);
}

} // namespace halomark::wayland
