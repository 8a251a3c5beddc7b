#include "perf_x11.h"

#include <xcb/res.h>
#include <xcb/xtest.h>

#include <poll.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace halomark::perf {

namespace {

template <typename Reply> using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply> ReplyPtr<Reply> owned(Reply* reply)
{
    return ReplyPtr<Reply>(reply, &std::free);
}

} // namespace

XServer::XServer()
{
    int screenNumber = 0;
    xcb = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(xcb) != 0) {
        return;
    }
    const xcb_setup_t* setup = xcb_get_setup(xcb);
    idMask = setup->resource_id_mask;
    auto screens = xcb_setup_roots_iterator(setup);
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) {
        xcb_screen_next(&screens);
    }
    rootWindow = screens.data->root;

    auto damageVersion = owned(xcb_damage_query_version_reply(
        xcb, xcb_damage_query_version(xcb, XCB_DAMAGE_MAJOR_VERSION, XCB_DAMAGE_MINOR_VERSION),
        nullptr));
    const xcb_query_extension_reply_t* damage = xcb_get_extension_data(xcb, &xcb_damage_id);
    if (!damageVersion || damage == nullptr || damage->present == 0) {
        missingExtensions += " DAMAGE";
    } else {
        damageBase = damage->first_event;
    }
    auto testVersion =
        owned(xcb_test_get_version_reply(xcb, xcb_test_get_version(xcb, 2, 2), nullptr));
    if (!testVersion) {
        missingExtensions += " XTEST";
    }
    auto resVersion =
        owned(xcb_res_query_version_reply(xcb, xcb_res_query_version(xcb, 1, 2), nullptr));
    if (!resVersion || (resVersion->server_major == 1 && resVersion->server_minor < 2)) {
        missingExtensions += " X-Resource-1.2";
    }
}

XServer::~XServer()
{
    xcb_disconnect(xcb);
}

bool XServer::isConnected() const
{
    return xcb_connection_has_error(xcb) == 0;
}

xcb_atom_t XServer::atom(const std::string& name)
{
    auto reply = owned(xcb_intern_atom_reply(
        xcb, xcb_intern_atom(xcb, 0, static_cast<std::uint16_t>(name.size()), name.c_str()),
        nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

std::string XServer::atomName(xcb_atom_t atom)
{
    auto reply = owned(xcb_get_atom_name_reply(xcb, xcb_get_atom_name(xcb, atom), nullptr));
    if (!reply) {
        return {};
    }
    return std::string(xcb_get_atom_name_name(reply.get()),
                       static_cast<std::size_t>(xcb_get_atom_name_name_length(reply.get())));
}

std::optional<xcb_keycode_t> XServer::keycodeOf(xcb_keysym_t keysym)
{
    const xcb_setup_t* setup = xcb_get_setup(xcb);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    auto reply = owned(xcb_get_keyboard_mapping_reply(
        xcb, xcb_get_keyboard_mapping(xcb, setup->min_keycode, static_cast<std::uint8_t>(count)),
        nullptr));
    if (!reply) {
        return std::nullopt;
    }
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(reply.get());
    const int perKeycode = reply->keysyms_per_keycode;
    for (int key = 0; key < count; ++key) {
        for (int column = 0; column < perKeycode; ++column) {
            if (keysyms[key * perKeycode + column] == keysym) {
                return static_cast<xcb_keycode_t>(setup->min_keycode + key);
            }
        }
    }
    return std::nullopt;
}

void XServer::fakeKey(xcb_keycode_t keycode, bool press)
{
    xcb_test_fake_input(xcb, press ? XCB_KEY_PRESS : XCB_KEY_RELEASE, keycode, XCB_CURRENT_TIME,
                        XCB_WINDOW_NONE, 0, 0, 0);
    xcb_flush(xcb);
}

void XServer::fakeButton(std::uint8_t button, bool press)
{
    xcb_test_fake_input(xcb, press ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE, button,
                        XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0, 0);
    xcb_flush(xcb);
}

void XServer::fakeMotion(int x, int y)
{
    xcb_test_fake_input(xcb, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, rootWindow,
                        static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), 0);
    xcb_flush(xcb);
}

void XServer::sync()
{
    std::free(xcb_get_input_focus_reply(xcb, xcb_get_input_focus(xcb), nullptr));
}

std::vector<std::uint32_t> XServer::clientBasesOf(pid_t pid)
{
    std::vector<std::uint32_t> bases;
    xcb_res_client_id_spec_t all{0, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    auto reply =
        owned(xcb_res_query_client_ids_reply(xcb, xcb_res_query_client_ids(xcb, 1, &all), nullptr));
    if (!reply) {
        return bases;
    }
    for (auto ids = xcb_res_query_client_ids_ids_iterator(reply.get()); ids.rem > 0;
         xcb_res_client_id_value_next(&ids)) {
        if ((ids.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) == 0 ||
            xcb_res_client_id_value_value_length(ids.data) < 1) {
            continue;
        }
        if (static_cast<pid_t>(*xcb_res_client_id_value_value(ids.data)) == pid) {
            bases.push_back(ids.data->spec.client & ~idMask);
        }
    }
    return bases;
}

bool XServer::isOwnedBy(xcb_window_t window, const std::vector<std::uint32_t>& bases) const
{
    for (const std::uint32_t base : bases) {
        if ((window & ~idMask) == base) {
            return true;
        }
    }
    return false;
}

std::map<std::string, std::uint32_t> XServer::resourcesOf(pid_t pid)
{
    std::map<std::string, std::uint32_t> counts;
    for (const std::uint32_t base : clientBasesOf(pid)) {
        auto reply = owned(xcb_res_query_client_resources_reply(
            xcb, xcb_res_query_client_resources(xcb, base), nullptr));
        if (!reply) {
            continue;
        }
        for (auto types = xcb_res_query_client_resources_types_iterator(reply.get()); types.rem > 0;
             xcb_res_type_next(&types)) {
            counts[atomName(types.data->resource_type)] += types.data->count;
        }
    }
    return counts;
}

std::optional<WindowRect> XServer::rootRectOf(xcb_window_t window)
{
    auto geometry = owned(xcb_get_geometry_reply(xcb, xcb_get_geometry(xcb, window), nullptr));
    if (!geometry) {
        return std::nullopt;
    }
    auto translated = owned(xcb_translate_coordinates_reply(
        xcb, xcb_translate_coordinates(xcb, window, rootWindow, 0, 0), nullptr));
    if (!translated) {
        return std::nullopt;
    }
    return WindowRect{translated->dst_x, translated->dst_y, geometry->width, geometry->height};
}

xcb_window_t XServer::activeWindow()
{
    auto reply = owned(xcb_get_property_reply(
        xcb,
        xcb_get_property(xcb, 0, rootWindow, atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW, 0, 1),
        nullptr));
    if (!reply || xcb_get_property_value_length(reply.get()) < 4) {
        return XCB_WINDOW_NONE;
    }
    return *static_cast<xcb_window_t*>(xcb_get_property_value(reply.get()));
}

void XServer::requestActivation(xcb_window_t window)
{
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = atom("_NET_ACTIVE_WINDOW");
    message.data.data32[0] = 2; // from a pager: the window manager does not second-guess it
    message.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(xcb, 0, rootWindow,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(xcb);
}

OverlayWatch::OverlayWatch(XServer& server, pid_t pid) : server(server), pid(pid)
{
    xcb_connection_t* xcb = server.connection();
    activeAtom = server.atom("_NET_ACTIVE_WINDOW");
    opacityAtom = server.atom("_NET_WM_WINDOW_OPACITY");
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(xcb, server.root(), XCB_CW_EVENT_MASK, &mask);
    bases = server.clientBasesOf(pid);
    auto tree = owned(xcb_query_tree_reply(xcb, xcb_query_tree(xcb, server.root()), nullptr));
    if (!tree) {
        return;
    }
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        if (!server.isOwnedBy(children[i], bases)) {
            continue;
        }
        auto attributes = owned(xcb_get_window_attributes_reply(
            xcb, xcb_get_window_attributes(xcb, children[i]), nullptr));
        const auto rect = server.rootRectOf(children[i]);
        if (attributes && rect && attributes->_class == XCB_WINDOW_CLASS_INPUT_OUTPUT) {
            track(children[i], *rect, attributes->map_state == XCB_MAP_STATE_VIEWABLE);
        }
    }
    server.sync();
}

OverlayWatch::~OverlayWatch()
{
    for (const auto& [window, tracked] : windows) {
        xcb_damage_destroy(server.connection(), tracked.damage);
    }
    xcb_flush(server.connection());
}

void OverlayWatch::track(xcb_window_t window, const WindowRect& rect, bool mapped)
{
    xcb_connection_t* xcb = server.connection();
    Tracked tracked{rect, mapped, xcb_generate_id(xcb)};
    xcb_damage_create(xcb, tracked.damage, window, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(xcb, window, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(xcb);
    windows[window] = tracked;
}

std::optional<WindowRect> OverlayWatch::rectOf(xcb_window_t window) const
{
    const auto found = windows.find(window);
    if (found == windows.end()) {
        return std::nullopt;
    }
    return found->second.rect;
}

bool OverlayWatch::isMapped(xcb_window_t window) const
{
    const auto found = windows.find(window);
    return found != windows.end() && found->second.mapped;
}

void OverlayWatch::handle(xcb_generic_event_t* event, Clock::time_point at)
{
    // Only the server's own reports: a client withdrawing a window also sends a copy of its
    // UnmapNotify to the root.
    if ((event->response_type & 0x80) != 0) {
        return;
    }
    const std::uint8_t type = event->response_type & 0x7f;
    if (type == server.damageEventBase() + XCB_DAMAGE_NOTIFY) {
        const auto* damage = reinterpret_cast<xcb_damage_notify_event_t*>(event);
        const auto found = windows.find(damage->drawable);
        if (found != windows.end()) {
            const WindowRect& rect = found->second.rect;
            observed.push_back({Observed::Kind::damaged, damage->drawable, at, damage->timestamp,
                                WindowRect{rect.x + damage->area.x, rect.y + damage->area.y,
                                           damage->area.width, damage->area.height}});
        }
        return;
    }
    switch (type) {
    case XCB_CREATE_NOTIFY: {
        const auto* created = reinterpret_cast<xcb_create_notify_event_t*>(event);
        if (created->parent != server.root()) {
            return;
        }
        if (!server.isOwnedBy(created->window, bases)) {
            // A client the process opened since the watch began.
            bases = server.clientBasesOf(pid);
        }
        if (server.isOwnedBy(created->window, bases)) {
            track(created->window, {created->x, created->y, created->width, created->height},
                  false);
            observed.push_back({Observed::Kind::created, created->window, at, 0, {}});
        }
        return;
    }
    case XCB_CONFIGURE_NOTIFY: {
        const auto* configured = reinterpret_cast<xcb_configure_notify_event_t*>(event);
        const auto found = windows.find(configured->window);
        if (found != windows.end() && configured->event == server.root()) {
            found->second.rect = {configured->x, configured->y, configured->width,
                                  configured->height};
        }
        return;
    }
    case XCB_MAP_NOTIFY: {
        const auto* mapped = reinterpret_cast<xcb_map_notify_event_t*>(event);
        const auto found = windows.find(mapped->window);
        if (found != windows.end()) {
            found->second.mapped = true;
            observed.push_back({Observed::Kind::mapped, mapped->window, at, 0, {}});
        }
        return;
    }
    case XCB_UNMAP_NOTIFY: {
        const auto* unmapped = reinterpret_cast<xcb_unmap_notify_event_t*>(event);
        const auto found = windows.find(unmapped->window);
        if (found != windows.end()) {
            found->second.mapped = false;
            observed.push_back({Observed::Kind::unmapped, unmapped->window, at, 0, {}});
        }
        return;
    }
    case XCB_DESTROY_NOTIFY: {
        const auto* destroyed = reinterpret_cast<xcb_destroy_notify_event_t*>(event);
        // The damage object went with the window.
        windows.erase(destroyed->window);
        return;
    }
    case XCB_PROPERTY_NOTIFY: {
        const auto* property = reinterpret_cast<xcb_property_notify_event_t*>(event);
        if (property->window == server.root() && property->atom == activeAtom) {
            observed.push_back(
                {Observed::Kind::activeChanged, XCB_WINDOW_NONE, at, property->time, {}});
        } else if (property->atom == opacityAtom && windows.contains(property->window)) {
            observed.push_back(
                {Observed::Kind::opacityChanged, property->window, at, property->time, {}});
        }
        return;
    }
    default:
        return;
    }
}

bool OverlayWatch::readEvents(std::chrono::milliseconds wait)
{
    xcb_connection_t* xcb = server.connection();
    bool any = false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(xcb)) {
        handle(event, Clock::now());
        std::free(event);
        any = true;
    }
    if (any || !server.isConnected()) {
        return any;
    }
    pollfd descriptor{xcb_get_file_descriptor(xcb), POLLIN, 0};
    if (::poll(&descriptor, 1, static_cast<int>(wait.count())) > 0) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(xcb)) {
            handle(event, Clock::now());
            std::free(event);
            any = true;
        }
    }
    return any;
}

void OverlayWatch::pumpFor(std::chrono::milliseconds duration)
{
    pumpUntil([] { return false; }, duration);
}

bool OverlayWatch::pumpUntil(const std::function<bool()>& condition,
                             std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    while (true) {
        if (condition()) {
            return true;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0 || !server.isConnected()) {
            return condition();
        }
        readEvents(std::min(left, std::chrono::milliseconds(5)));
    }
}

} // namespace halomark::perf
