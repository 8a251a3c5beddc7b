#include "x11/xcb_screen_list.h"

#include "x11/xcb_struts.h"

#include <xcb/randr.h>

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

namespace halomark::x11 {

namespace {

constexpr std::string_view clientListName = "_NET_CLIENT_LIST";
constexpr std::string_view activeWindowName = "_NET_ACTIVE_WINDOW";
constexpr std::string_view strutPartialName = "_NET_WM_STRUT_PARTIAL";
constexpr std::string_view strutName = "_NET_WM_STRUT";
constexpr std::string_view resourcesName = "RESOURCE_MANAGER";

// Identifiers made from a monitor's name are kept apart from output identifiers, which like
// every X resource identifier leave the top three bits clear.
constexpr std::uint32_t namedMonitorBit = 0x80000000u;

struct Monitor
{
    PixelRect rect;
    std::uint32_t identifier = 0;
    bool isPrimary = false;
};

std::int64_t overlapArea(const PixelRect& a, const PixelRect& b)
{
    const std::int64_t width = std::min(a.right(), b.right()) - std::max(a.x, b.x);
    const std::int64_t height = std::min(a.bottom(), b.bottom()) - std::max(a.y, b.y);
    return width > 0 && height > 0 ? width * height : 0;
}

// Frames per second of a mode: its pixel clock over the pixels of a frame, fewer lines for an
// interlaced mode and twice as many for a double-scanned one; 0 when the mode does not say.
double modeRefreshRate(const xcb_randr_mode_info_t& mode)
{
    double lines = mode.vtotal;
    if ((mode.mode_flags & XCB_RANDR_MODE_FLAG_DOUBLE_SCAN) != 0) {
        lines *= 2;
    }
    if ((mode.mode_flags & XCB_RANDR_MODE_FLAG_INTERLACE) != 0) {
        lines /= 2;
    }
    const double pixels = mode.htotal * lines;
    return pixels > 0 ? mode.dot_clock / pixels : 0;
}

// The area and refresh rate of each lit CRTC, asked for all at once.
std::vector<std::pair<PixelRect, double>>
crtcRates(xcb_connection_t* c, xcb_randr_get_screen_resources_current_reply_t* resources)
{
    std::vector<std::pair<PixelRect, double>> rates;
    if (resources == nullptr) {
        return rates;
    }
    const xcb_randr_crtc_t* crtcs = xcb_randr_get_screen_resources_current_crtcs(resources);
    const int crtcCount = xcb_randr_get_screen_resources_current_crtcs_length(resources);
    const xcb_randr_mode_info_t* modes = xcb_randr_get_screen_resources_current_modes(resources);
    const int modeCount = xcb_randr_get_screen_resources_current_modes_length(resources);
    std::vector<xcb_randr_get_crtc_info_cookie_t> cookies;
    for (int index = 0; index < crtcCount; ++index) {
        cookies.push_back(xcb_randr_get_crtc_info(c, crtcs[index], resources->config_timestamp));
    }
    for (const auto& cookie : cookies) {
        XcbReply<xcb_randr_get_crtc_info_reply_t> crtc(
            xcb_randr_get_crtc_info_reply(c, cookie, nullptr));
        if (!crtc || crtc->mode == XCB_NONE) {
            continue;
        }
        const auto mode = std::find_if(modes, modes + modeCount, [&](const auto& candidate) {
            return candidate.id == crtc->mode;
        });
        if (mode != modes + modeCount) {
            rates.emplace_back(PixelRect{crtc->x, crtc->y, crtc->width, crtc->height},
                               modeRefreshRate(*mode));
        }
    }
    return rates;
}

} // namespace

XcbScreenList::XcbScreenList(XcbConnection& connection) : connection(connection)
{
    connection.addListener(*this);
    if (!connection.isConnected()) {
        return;
    }
    connection.internAtoms(
        {clientListName, activeWindowName, strutPartialName, strutName, resourcesName});
    atoms = Atoms{connection.atom(clientListName), connection.atom(activeWindowName),
                  connection.atom(strutPartialName), connection.atom(strutName),
                  connection.atom(resourcesName)};
    xcb_connection_t* c = connection.raw();
    const xcb_query_extension_reply_t* randr = xcb_get_extension_data(c, &xcb_randr_id);
    if (randr != nullptr && randr->present != 0) {
        XcbReply<xcb_randr_query_version_reply_t> version(
            xcb_randr_query_version_reply(c, xcb_randr_query_version(c, 1, 5), nullptr));
        if (version && (version->major_version > 1 ||
                        (version->major_version == 1 && version->minor_version >= 5))) {
            randrFirstEvent = randr->first_event;
            xcb_randr_select_input(c, connection.root(),
                                   XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE |
                                       XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE |
                                       XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE);
        }
    }
    connection.selectEvents(connection.root(),
                            XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY);
    refresh();
    connection.flush();
}

XcbScreenList::~XcbScreenList()
{
    connection.removeListener(*this);
    connection.releaseEvents(connection.root(),
                             XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY);
    for (xcb_window_t window : watchedClients) {
        connection.releaseEvents(window, XCB_EVENT_MASK_PROPERTY_CHANGE);
    }
    connection.flush();
}

void XcbScreenList::setChangeHandler(std::function<void()> handler)
{
    changeHandler = std::move(handler);
}

std::optional<Screen> XcbScreenList::mainScreen()
{
    if (all.empty()) {
        return std::nullopt;
    }
    if (!connection.isConnected()) {
        return all.front();
    }
    xcb_connection_t* c = connection.raw();
    XcbReply<xcb_get_property_reply_t> active(xcb_get_property_reply(
        c, requestProperty(connection, connection.root(), atoms.activeWindow, 1), nullptr));
    const auto windows = propertyValues32(active.get());
    if (windows.empty() || windows.front() == XCB_WINDOW_NONE) {
        return all.front();
    }
    const xcb_window_t window = windows.front();
    const auto geometryCookie = xcb_get_geometry(c, window);
    const auto originCookie = xcb_translate_coordinates(c, window, connection.root(), 0, 0);
    XcbReply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, geometryCookie, nullptr));
    XcbReply<xcb_translate_coordinates_reply_t> origin(
        xcb_translate_coordinates_reply(c, originCookie, nullptr));
    if (!geometry || !origin) {
        return all.front();
    }
    const PixelRect frame{origin->dst_x, origin->dst_y, geometry->width, geometry->height};
    std::size_t best = 0;
    std::int64_t bestArea = 0;
    for (std::size_t index = 0; index < monitors.size(); ++index) {
        const std::int64_t area = overlapArea(frame, monitors[index]);
        if (area > bestArea) {
            best = index;
            bestArea = area;
        }
    }
    return all[best];
}

void XcbScreenList::handleEvent(const xcb_generic_event_t& event)
{
    const std::uint8_t type = event.response_type & 0x7f;
    if (randrFirstEvent && (type == *randrFirstEvent + XCB_RANDR_SCREEN_CHANGE_NOTIFY ||
                            type == *randrFirstEvent + XCB_RANDR_NOTIFY)) {
        isStale = true;
        return;
    }
    if (type == XCB_CONFIGURE_NOTIFY) {
        const auto& configure = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
        if (configure.window == connection.root()) {
            isStale = true;
        }
        return;
    }
    if (type == XCB_PROPERTY_NOTIFY) {
        const auto& property = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if (property.window == connection.root()) {
            if (property.atom == atoms.clientList || property.atom == atoms.resources) {
                isStale = true;
            }
        } else if (watchedClients.contains(property.window) &&
                   (property.atom == atoms.strutPartial || property.atom == atoms.strut)) {
            isStale = true;
        }
    }
}

void XcbScreenList::finishEvents()
{
    if (!isStale) {
        return;
    }
    isStale = false;
    if (refresh() && changeHandler) {
        changeHandler();
    }
}

bool XcbScreenList::refresh()
{
    if (!connection.isConnected()) {
        return false;
    }
    xcb_connection_t* c = connection.raw();
    const xcb_window_t root = connection.root();

    const auto rootCookie = xcb_get_geometry(c, root);
    std::optional<xcb_randr_get_monitors_cookie_t> monitorsCookie;
    std::optional<xcb_randr_get_screen_resources_current_cookie_t> crtcsCookie;
    if (randrFirstEvent) {
        monitorsCookie = xcb_randr_get_monitors(c, root, 1);
        crtcsCookie = xcb_randr_get_screen_resources_current(c, root);
    }
    const auto clientsCookie = requestProperty(connection, root, atoms.clientList, 65536);
    const auto resourcesCookie =
        xcb_get_property(c, 0, root, atoms.resources, XCB_ATOM_STRING, 0, 1u << 18);

    XcbReply<xcb_get_geometry_reply_t> rootGeometry(xcb_get_geometry_reply(c, rootCookie, nullptr));
    XcbReply<xcb_randr_get_monitors_reply_t> monitorsReply;
    XcbReply<xcb_randr_get_screen_resources_current_reply_t> crtcsReply;
    if (monitorsCookie) {
        monitorsReply.reset(xcb_randr_get_monitors_reply(c, *monitorsCookie, nullptr));
        crtcsReply.reset(xcb_randr_get_screen_resources_current_reply(c, *crtcsCookie, nullptr));
    }
    XcbReply<xcb_get_property_reply_t> clientsReply(
        xcb_get_property_reply(c, clientsCookie, nullptr));
    XcbReply<xcb_get_property_reply_t> resourcesReply(
        xcb_get_property_reply(c, resourcesCookie, nullptr));
    if (!rootGeometry) {
        connection.isConnected();
        return false;
    }
    const std::int32_t rootWidth = rootGeometry->width;
    const std::int32_t rootHeight = rootGeometry->height;

    // The struts of every managed window, all requests sent before any answer is read.
    const auto clientList = propertyValue(clientsReply.get());
    const std::vector<std::uint32_t> clients =
        clientList ? propertyLastCardinals(*clientList, maxListedWindows)
                   : std::vector<std::uint32_t>{};
    std::vector<std::pair<xcb_get_property_cookie_t, xcb_get_property_cookie_t>> strutCookies;
    strutCookies.reserve(clients.size());
    for (std::uint32_t client : clients) {
        strutCookies.emplace_back(requestProperty(connection, client, atoms.strutPartial, 12),
                                  requestProperty(connection, client, atoms.strut, 4));
    }
    std::vector<Strut> struts;
    for (auto& [partialCookie, fullCookie] : strutCookies) {
        XcbReply<xcb_get_property_reply_t> partial(
            xcb_get_property_reply(c, partialCookie, nullptr));
        XcbReply<xcb_get_property_reply_t> full(xcb_get_property_reply(c, fullCookie, nullptr));
        auto strut = strutFromPartial(propertyValues32(partial.get()), rootWidth, rootHeight);
        if (!strut) {
            strut = strutFromFull(propertyValues32(full.get()), rootWidth, rootHeight);
        }
        if (strut) {
            struts.push_back(*strut);
        }
    }
    if (!connection.isConnected()) {
        return false;
    }
    watchClients(clients);

    std::vector<Monitor> found;
    if (monitorsReply) {
        std::set<std::uint32_t> used;
        auto it = xcb_randr_get_monitors_monitors_iterator(monitorsReply.get());
        for (; it.rem > 0; xcb_randr_monitor_info_next(&it)) {
            const xcb_randr_monitor_info_t& info = *it.data;
            Monitor monitor{PixelRect{info.x, info.y, info.width, info.height},
                            namedMonitorBit | info.name, info.primary != 0};
            if (xcb_randr_monitor_info_outputs_length(it.data) > 0) {
                const xcb_randr_output_t output = xcb_randr_monitor_info_outputs(it.data)[0];
                if (!used.contains(output)) {
                    monitor.identifier = output;
                }
            }
            used.insert(monitor.identifier);
            found.push_back(monitor);
        }
    }
    if (found.empty()) {
        // No RandR monitors: the root window is the one screen.
        found.push_back(Monitor{PixelRect{0, 0, rootWidth, rootHeight},
                                static_cast<std::uint32_t>(connection.screenNumber()), true});
    }
    std::stable_partition(found.begin(), found.end(),
                          [](const Monitor& monitor) { return monitor.isPrimary; });

    const auto resources = propertyValue(resourcesReply.get());
    const double scale =
        decodeXftDpi(resources ? propertyText(*resources) : std::string_view{}).value_or(96.0) /
        96.0;

    // A monitor refreshes as fast as the fastest CRTC that shows part of it.
    const auto rates = crtcRates(c, crtcsReply.get());
    XcbCoordinates newSpace{found.front().rect, scale};
    std::vector<Screen> newScreens;
    std::vector<PixelRect> newMonitors;
    for (const Monitor& monitor : found) {
        Screen screen;
        screen.frame = newSpace.toPoints(monitor.rect);
        screen.visibleFrame =
            newSpace.toPoints(usableArea(monitor.rect, struts, rootWidth, rootHeight));
        screen.screenNumber = monitor.identifier;
        screen.objectIdentity = monitor.identifier;
        screen.backingScaleFactor = scale;
        for (const auto& [area, rate] : rates) {
            if (overlapArea(area, monitor.rect) > 0) {
                screen.refreshRate = std::max(screen.refreshRate, rate);
            }
        }
        newScreens.push_back(screen);
        newMonitors.push_back(monitor.rect);
    }
    const bool changed = newScreens != all;
    all = std::move(newScreens);
    monitors = std::move(newMonitors);
    space = newSpace;
    return changed;
}

void XcbScreenList::watchClients(const std::vector<std::uint32_t>& clients)
{
    const std::set<xcb_window_t> current(clients.begin(), clients.end());
    for (xcb_window_t window : current) {
        if (!watchedClients.contains(window)) {
            connection.selectEvents(window, XCB_EVENT_MASK_PROPERTY_CHANGE);
        }
    }
    for (xcb_window_t window : watchedClients) {
        if (!current.contains(window)) {
            // Gone or no longer managed: its struts no longer count.
            connection.releaseEvents(window, XCB_EVENT_MASK_PROPERTY_CHANGE);
        }
    }
    watchedClients = current;
}

} // namespace halomark::x11
