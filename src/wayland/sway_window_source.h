// The window source of sway (and of compositors that speak its IPC): the layout tree read over
// one connection to $SWAYSOCK, and the window, workspace and (from sway 1.8) output events pushed
// over a second, subscribed one. A read is reused until an event says something changed or it is
// older than its lifetime (sway announces focus, new, closed and moved windows, but not
// resizes or floating windows dragged about), so the questions of one pass cost one read.
// Without an answer in time, or with a reply that is not a tree, there are no windows; the
// request connection is opened again at most once per reconnect interval.
// The events connection is read without blocking: when its socket turns readable and before
// every question (so that a question never gets an answer older than the last event); hand
// eventFileDescriptor(), processEvents() and processQueuedEvents() to the program's
// event-source pump, which calls the change handler from the main loop.
#pragma once

#include "wayland/sway_ipc.h"
#include "wayland/wayland_window_source.h"

#include <chrono>
#include <memory>
#include <string>

namespace halomark::wayland {

class SwayWindowSource final : public WaylandWindowSource
{
public:
    struct Options
    {
        std::chrono::milliseconds replyTimeout{250};
        // Bounds how long an unannounced change (a resize) goes unseen; a read of a small tree
        // costs sway and this process a few hundred microseconds.
        std::chrono::milliseconds snapshotLifetime{100};
        std::chrono::milliseconds reconnectInterval{1000};
    };

    // Connects to the IPC socket at the path and subscribes to its events.
    explicit SwayWindowSource(std::string socketPath, Options options);
    explicit SwayWindowSource(std::string socketPath) : SwayWindowSource(std::move(socketPath), {})
    {}

    // $SWAYSOCK, or nothing when it is not set.
    static std::optional<std::string> socketPathFromEnvironment();

    // Whether both connections stand; when not, why.
    bool isConnected() const;
    std::string errorDescription() const;

    std::shared_ptr<const WaylandWindowSnapshot> windows() override;
    void setChangeHandler(std::function<void()> handler) override;

    // The socket the events arrive on; -1 once it is lost.
    int eventFileDescriptor() const;
    // Reads the events that have arrived, without waiting, and calls the change handler if
    // any arrived since it was last called; false once the events connection is lost for good.
    bool processEvents();
    // The same without reading the socket: for the passes before the event loop waits, which
    // announce the events a question read first.
    bool processQueuedEvents();

    // How many trees were read, for the measurements.
    int treeReadCount() const { return treeReads; }

private:
    void connectRequests();
    // Reads the events connection without waiting; true when an event arrived.
    bool readEvents();

    std::string path;
    Options options;
    std::unique_ptr<SwayIpcConnection> requests;
    std::unique_ptr<SwayIpcConnection> events;
    std::string eventsError;
    std::chrono::steady_clock::time_point connectedAt;
    std::shared_ptr<const WaylandWindowSnapshot> snapshot;
    std::chrono::steady_clock::time_point readAt;
    bool isStale = true;
    bool hasUnannouncedChange = false;
    int treeReads = 0;
    std::function<void()> changeHandler;
};

} // namespace halomark::wayland
