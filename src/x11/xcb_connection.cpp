#include "x11/xcb_connection.h"

#include <algorithm>

namespace halomark::x11 {

namespace {

std::string describeConnectionError(int code)
{
    switch (code) {
    case 0:
        return {};
    case XCB_CONN_ERROR:
        return "the connection to the X server failed or was closed";
    case XCB_CONN_CLOSED_EXT_NOTSUPPORTED:
        return "the X server lacks a required extension";
    case XCB_CONN_CLOSED_MEM_INSUFFICIENT:
        return "out of memory talking to the X server";
    case XCB_CONN_CLOSED_REQ_LEN_EXCEED:
        return "a request to the X server was too long";
    case XCB_CONN_CLOSED_PARSE_ERR:
        return "the display name could not be parsed";
    case XCB_CONN_CLOSED_INVALID_SCREEN:
        return "the display has no such screen";
    default:
        return "the connection to the X server failed (error " + std::to_string(code) + ")";
    }
}

} // namespace

XcbConnection::XcbConnection(const char* displayName)
{
    connection = xcb_connect(displayName, &defaultScreenNumber);
    if (xcb_connection_has_error(connection) != 0) {
        // Never reported as a loss: there was nothing to lose.
        lossReported = true;
        return;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int index = 0; it.rem > 0; ++index, xcb_screen_next(&it)) {
        if (index == defaultScreenNumber) {
            rootWindow = it.data->root;
            break;
        }
    }
}

XcbConnection::~XcbConnection()
{
    xcb_disconnect(connection);
}

bool XcbConnection::isConnected()
{
    if (xcb_connection_has_error(connection) == 0 && rootWindow != XCB_WINDOW_NONE) {
        return true;
    }
    if (!lossReported) {
        lossReported = true;
        if (lostHandler) {
            lostHandler(errorDescription());
        }
    }
    return false;
}

std::string XcbConnection::errorDescription() const
{
    const int code = xcb_connection_has_error(connection);
    if (code == 0 && rootWindow == XCB_WINDOW_NONE) {
        return describeConnectionError(XCB_CONN_CLOSED_INVALID_SCREEN);
    }
    return describeConnectionError(code);
}

void XcbConnection::setLostHandler(std::function<void(const std::string&)> handler)
{
    lostHandler = std::move(handler);
}

int XcbConnection::fileDescriptor() const
{
    if (xcb_connection_has_error(connection) != 0) {
        return -1;
    }
    return xcb_get_file_descriptor(connection);
}

void XcbConnection::processPendingEvents()
{
    deliverEvents(xcb_poll_for_event);
}

void XcbConnection::processQueuedEvents()
{
    deliverEvents(xcb_poll_for_queued_event);
}

void XcbConnection::previewQueuedEvents(XcbEventListener& listener)
{
    if (!isConnected()) {
        return;
    }
    for (HeldEvent& one : held) {
        if (std::find(one.seenBy.begin(), one.seenBy.end(), &listener) == one.seenBy.end()) {
            one.seenBy.push_back(&listener);
            listener.handleEvent(*one.event);
        }
    }
    while (xcb_generic_event_t* raw = xcb_poll_for_queued_event(connection)) {
        XcbReply<xcb_generic_event_t> event(raw);
        if (event->response_type == 0) {
            continue;
        }
        held.push_back(HeldEvent{std::move(event), {&listener}});
        listener.handleEvent(*held.back().event);
    }
}

void XcbConnection::deliverEvents(xcb_generic_event_t* (*next)(xcb_connection_t*))
{
    if (!isConnected()) {
        return;
    }
    // A listener may remove itself or another one while handling an event; only listeners
    // still registered get each call.
    const auto stillListening = [this](XcbEventListener* listener) {
        return std::find(listeners.begin(), listeners.end(), listener) != listeners.end();
    };
    const auto deliver = [&](const xcb_generic_event_t& event,
                             const std::vector<XcbEventListener*>& seenBy) {
        const auto current = listeners;
        for (XcbEventListener* listener : current) {
            if (stillListening(listener) &&
                std::find(seenBy.begin(), seenBy.end(), listener) == seenBy.end()) {
                listener->handleEvent(event);
            }
        }
    };
    bool delivered = false;
    // Those a preview took come first: they arrived before any still in the library.
    while (!held.empty()) {
        const HeldEvent one = std::move(held.front());
        held.pop_front();
        delivered = true;
        deliver(*one.event, one.seenBy);
    }
    while (xcb_generic_event_t* raw = next(connection)) {
        XcbReply<xcb_generic_event_t> event(raw);
        // Errors of requests nobody waits on arrive here; they need no action.
        if (event->response_type == 0) {
            continue;
        }
        delivered = true;
        deliver(*event, {});
    }
    if (delivered) {
        const auto current = listeners;
        for (XcbEventListener* listener : current) {
            if (stillListening(listener)) {
                listener->finishEvents();
            }
        }
    }
    isConnected();
}

void XcbConnection::addListener(XcbEventListener& listener)
{
    if (std::find(listeners.begin(), listeners.end(), &listener) == listeners.end()) {
        listeners.push_back(&listener);
    }
}

void XcbConnection::removeListener(XcbEventListener& listener)
{
    std::erase(listeners, &listener);
    // A listener added later at the same address has seen none of the held events.
    for (HeldEvent& one : held) {
        std::erase(one.seenBy, &listener);
    }
}

xcb_atom_t XcbConnection::atom(std::string_view name)
{
    const auto found = atoms.find(std::string(name));
    if (found != atoms.end()) {
        return found->second;
    }
    internAtoms({name});
    const auto interned = atoms.find(std::string(name));
    return interned != atoms.end() ? interned->second : xcb_atom_t{XCB_ATOM_NONE};
}

void XcbConnection::internAtoms(std::initializer_list<std::string_view> names)
{
    if (!isConnected()) {
        return;
    }
    std::vector<std::pair<std::string, xcb_intern_atom_cookie_t>> requests;
    for (std::string_view name : names) {
        if (atoms.contains(std::string(name))) {
            continue;
        }
        requests.emplace_back(
            std::string(name),
            xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data()));
    }
    for (auto& [name, cookie] : requests) {
        XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection, cookie, nullptr));
        if (reply) {
            atoms.emplace(name, reply->atom);
        }
    }
    isConnected();
}

void XcbConnection::selectEvents(xcb_window_t window, std::uint32_t mask)
{
    if (window == XCB_WINDOW_NONE || !isConnected()) {
        return;
    }
    Selection& selection = selections[window];
    for (std::size_t bit = 0; bit < selection.counts.size(); ++bit) {
        if ((mask & (1u << bit)) != 0) {
            ++selection.counts[bit];
        }
    }
    applySelection(window, selection);
}

void XcbConnection::releaseEvents(xcb_window_t window, std::uint32_t mask)
{
    const auto found = selections.find(window);
    if (found == selections.end()) {
        return;
    }
    Selection& selection = found->second;
    for (std::size_t bit = 0; bit < selection.counts.size(); ++bit) {
        if ((mask & (1u << bit)) != 0 && selection.counts[bit] > 0) {
            --selection.counts[bit];
        }
    }
    applySelection(window, selection);
    if (selection.mask == 0) {
        selections.erase(found);
    }
}

void XcbConnection::applySelection(xcb_window_t window, Selection& selection)
{
    std::uint32_t wanted = 0;
    for (std::size_t bit = 0; bit < selection.counts.size(); ++bit) {
        if (selection.counts[bit] > 0) {
            wanted |= 1u << bit;
        }
    }
    if (wanted == selection.mask) {
        return;
    }
    selection.mask = wanted;
    if (isConnected()) {
        // A window that is already gone answers with an error, which is dropped.
        const xcb_void_cookie_t cookie =
            xcb_change_window_attributes_checked(connection, window, XCB_CW_EVENT_MASK, &wanted);
        xcb_discard_reply(connection, cookie.sequence);
    }
}

void XcbConnection::flush()
{
    if (xcb_connection_has_error(connection) == 0) {
        xcb_flush(connection);
    }
}

std::optional<PropertyValue> propertyValue(const xcb_get_property_reply_t* reply)
{
    if (reply == nullptr) {
        return std::nullopt;
    }
    // The library allocated the fixed part and the reply's length in words, no more.
    const std::size_t size = propertyReplyHeaderSize + std::size_t{reply->length} * 4;
    return decodePropertyReply({reinterpret_cast<const std::uint8_t*>(reply), size});
}

std::vector<std::uint32_t> propertyValues32(const xcb_get_property_reply_t* reply,
                                            std::size_t maxItems)
{
    const auto value = propertyValue(reply);
    return value ? propertyCardinals(*value, maxItems) : std::vector<std::uint32_t>{};
}

xcb_get_property_cookie_t requestProperty(XcbConnection& connection, xcb_window_t window,
                                          xcb_atom_t property, std::uint32_t maxItems)
{
    return xcb_get_property(connection.raw(), 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0,
                            maxItems);
}

} // namespace halomark::x11
