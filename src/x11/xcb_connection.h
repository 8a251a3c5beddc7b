// The private connection to the X server that the XCB adapters share: the default screen and
// its root window, interned atoms, the event selections every adapter made on a window, and
// the delivery of X events to the adapters that listen for them. Everything runs on the main
// thread. A broken or missing display never throws: the adapters see isConnected() turn false,
// answer from what they last knew, and the loss is reported once.
#pragma once

#include "x11/xcb_property_decoding.h"

#include <xcb/xcb.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace halomark::x11 {

// Replies and events from XCB are malloc'ed and owned by the caller.
struct XcbFree
{
    void operator()(void* pointer) const { std::free(pointer); }
};
template <typename T> using XcbReply = std::unique_ptr<T, XcbFree>;

// An adapter that reacts to X events. handleEvent sees every event of a batch; finishEvents is
// called once after the batch, so an adapter re-reads state and notifies once, not per event.
class XcbEventListener
{
public:
    virtual ~XcbEventListener() = default;
    virtual void handleEvent(const xcb_generic_event_t& event) = 0;
    virtual void finishEvents() {}
};

class XcbConnection
{
public:
    // Connects to the named display, or to $DISPLAY when none is given.
    explicit XcbConnection(const char* displayName = nullptr);
    ~XcbConnection();
    XcbConnection(const XcbConnection&) = delete;
    XcbConnection& operator=(const XcbConnection&) = delete;

    xcb_connection_t* raw() const { return connection; }

    // False once the connection failed or was never made. The first time it is found broken
    // the lost handler runs (at most once per connection).
    bool isConnected();
    // Why the connection is not usable; empty while it is.
    std::string errorDescription() const;

    // Called once when a working connection breaks, with a description. It may run from
    // inside any adapter query, so it should only record or report the loss.
    void setLostHandler(std::function<void(const std::string&)> handler);

    // The socket to watch for readability; -1 without a connection. When it turns readable,
    // and after each turn of the main loop (events read while a reply was awaited wait in
    // the library, not on the socket), call processPendingEvents(). Stop watching it once
    // the connection is lost: a closed socket stays readable.
    int fileDescriptor() const;

    // Delivers every event that has arrived to the listeners, then lets each finish.
    void processPendingEvents();
    // Shows one listener at once the events the library has already read (those that came
    // while a reply was awaited), without finishing. The other listeners get them, in order,
    // at the next delivery; this one does not get them twice. A listener that answers from
    // what the events told it uses this to be as current as the reply it just read.
    void previewQueuedEvents(XcbEventListener& listener);
    // The same for the events the library has already read from the socket, without asking
    // the socket: enough before the loop waits, since the socket's own readiness wakes the
    // loop for anything newer.
    void processQueuedEvents();

    // Listeners must stay alive while registered; adapters register for their own lifetime.
    void addListener(XcbEventListener& listener);
    void removeListener(XcbEventListener& listener);

    int screenNumber() const { return defaultScreenNumber; }
    xcb_window_t root() const { return rootWindow; }

    // The atom for a name, interned on first use and kept; XCB_ATOM_NONE without a server.
    xcb_atom_t atom(std::string_view name);
    // Interns several names with one round trip.
    void internAtoms(std::initializer_list<std::string_view> names);

    // Adds to the events this client receives from a window. An X client has one event mask
    // per window, so the selections of all adapters are counted bit by bit and combined.
    void selectEvents(xcb_window_t window, std::uint32_t mask);
    // Withdraws one earlier selectEvents of the same bits; a bit no adapter wants any more is
    // removed from the window's mask. The window may be gone already: the server's error for
    // a change of its mask is dropped, never delivered as an event.
    void releaseEvents(xcb_window_t window, std::uint32_t mask);

    // Sends what is buffered without waiting for anything.
    void flush();

private:
    xcb_connection_t* connection = nullptr;
    int defaultScreenNumber = 0;
    xcb_window_t rootWindow = XCB_WINDOW_NONE;
    bool lossReported = false;
    std::function<void(const std::string&)> lostHandler;
    std::vector<XcbEventListener*> listeners;
    std::unordered_map<std::string, xcb_atom_t> atoms;
    struct Selection
    {
        std::array<std::uint32_t, 32> counts{}; // adapters wanting each bit
        std::uint32_t mask = 0;
    };
    void applySelection(xcb_window_t window, Selection& selection);
    void deliverEvents(xcb_generic_event_t* (*next)(xcb_connection_t*));
    // Events taken from the library by a preview, with the listeners that have seen them.
    struct HeldEvent
    {
        XcbReply<xcb_generic_event_t> event;
        std::vector<XcbEventListener*> seenBy;
    };
    std::deque<HeldEvent> held;
    std::unordered_map<xcb_window_t, Selection> selections;
};

// The value of a property reply, its claimed length checked against the reply's real length
// (see xcb_property_decoding.h); nothing for a missing or inconsistent reply.
std::optional<PropertyValue> propertyValue(const xcb_get_property_reply_t* reply);

// Reads a property of 32-bit items (CARDINAL, WINDOW, ATOM) from a reply, at most maxItems of
// them; empty when the reply is missing, inconsistent or of another format.
std::vector<std::uint32_t> propertyValues32(const xcb_get_property_reply_t* reply,
                                            std::size_t maxItems = 1u << 16);

// Sends a GetProperty request for up to maxItems 32-bit items (or bytes of a string).
xcb_get_property_cookie_t requestProperty(XcbConnection& connection, xcb_window_t window,
                                          xcb_atom_t property, std::uint32_t maxItems = 1024);

} // namespace halomark::x11
