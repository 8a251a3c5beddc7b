#include "x11/xcb_window_reader.h"

#include "x11/xcb_window_cache.h"

#include <unistd.h>
#include <xcb/res.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <unordered_set>

namespace halomark::x11 {

namespace {

constexpr std::array<std::pair<std::string_view, XcbWindowType>, 14> typeNames{{
    {"_NET_WM_WINDOW_TYPE_NORMAL", XcbWindowType::normal},
    {"_NET_WM_WINDOW_TYPE_DIALOG", XcbWindowType::dialog},
    {"_NET_WM_WINDOW_TYPE_DESKTOP", XcbWindowType::desktop},
    {"_NET_WM_WINDOW_TYPE_DOCK", XcbWindowType::dock},
    {"_NET_WM_WINDOW_TYPE_TOOLBAR", XcbWindowType::toolbar},
    {"_NET_WM_WINDOW_TYPE_MENU", XcbWindowType::menu},
    {"_NET_WM_WINDOW_TYPE_UTILITY", XcbWindowType::utility},
    {"_NET_WM_WINDOW_TYPE_SPLASH", XcbWindowType::splash},
    {"_NET_WM_WINDOW_TYPE_DROPDOWN_MENU", XcbWindowType::dropdownMenu},
    {"_NET_WM_WINDOW_TYPE_POPUP_MENU", XcbWindowType::popupMenu},
    {"_NET_WM_WINDOW_TYPE_TOOLTIP", XcbWindowType::tooltip},
    {"_NET_WM_WINDOW_TYPE_NOTIFICATION", XcbWindowType::notification},
    {"_NET_WM_WINDOW_TYPE_COMBO", XcbWindowType::combo},
    {"_NET_WM_WINDOW_TYPE_DND", XcbWindowType::dragAndDrop},
}};

// The reply to a request, with its error (if any) freed and noted in failed: a window that
// is gone answers every request about it with an error.
template <typename Function, typename Cookie>
auto replyOf(xcb_connection_t* connection, Function function, Cookie cookie, bool& failed)
{
    xcb_generic_error_t* error = nullptr;
    using Reply = std::remove_pointer_t<decltype(function(connection, cookie, &error))>;
    XcbReply<Reply> reply(function(connection, cookie, &error));
    if (error != nullptr) {
        std::free(error);
        failed = true;
    }
    if (!reply) {
        failed = true;
    }
    return reply;
}

XcbReply<xcb_get_property_reply_t>
propertyReply(xcb_connection_t* connection, const std::optional<xcb_get_property_cookie_t>& cookie,
              bool& failed)
{
    if (!cookie) {
        return nullptr;
    }
    return replyOf(connection, xcb_get_property_reply, *cookie, failed);
}

std::optional<std::uint32_t> firstValue(const xcb_get_property_reply_t* reply)
{
    const auto values = propertyValues32(reply);
    if (values.empty()) {
        return std::nullopt;
    }
    return values.front();
}

PropertyValue valueOf(const xcb_get_property_reply_t* reply)
{
    return propertyValue(reply).value_or(PropertyValue{});
}

} // namespace

bool isOnscreen(const XcbWindowFacts& facts, std::optional<std::uint32_t> currentDesktop)
{
    if (!facts.isViewable || facts.isHidden) {
        return false;
    }
    return !facts.desktop || !currentDesktop || *facts.desktop == allDesktops ||
           *facts.desktop == *currentDesktop;
}

std::int64_t windowLayer(XcbWindowType type, bool isAbove)
{
    namespace l = window_layers;
    switch (type) {
    case XcbWindowType::normal:
    case XcbWindowType::dialog:
        return isAbove ? l::floating : l::normal;
    case XcbWindowType::desktop:
        return l::desktop;
    case XcbWindowType::dock:
        return l::dock;
    case XcbWindowType::toolbar:
    case XcbWindowType::menu:
    case XcbWindowType::splash:
        return l::floating;
    case XcbWindowType::utility:
        return l::utility;
    case XcbWindowType::notification:
        return l::status;
    case XcbWindowType::dropdownMenu:
    case XcbWindowType::popupMenu:
    case XcbWindowType::combo:
        return l::popUpMenu;
    case XcbWindowType::tooltip:
        return l::help;
    case XcbWindowType::dragAndDrop:
        return l::dragging;
    }
    return l::normal;
}

WindowRecord windowRecord(const XcbWindowFacts& facts, bool isOnscreen,
                          const XcbCoordinates& coordinates)
{
    const auto number = [](std::int64_t value) { return RecordValue{RecordNumber{value}}; };
    WindowRecord record;
    if (facts.pid) {
        record.ownerPID = number(*facts.pid);
    }
    record.layer = number(windowLayer(facts.type, facts.isAbove));
    record.number = number(facts.window);
    const Rect bounds = coordinates.toTopLeftPoints(facts.frame);
    record.bounds = RecordBounds{bounds.minX(), bounds.minY(), bounds.width(), bounds.height()};
    record.isOnscreen = number(isOnscreen ? 1 : 0);
    if (facts.opacity) {
        record.alpha = RecordNumber{static_cast<double>(*facts.opacity) / 0xffffffffu};
    }
    if (facts.windowClass) {
        // The class names the application ("XTerm"); the instance is only the fallback.
        record.ownerName = facts.windowClass->className.empty() ? facts.windowClass->instance
                                                                : facts.windowClass->className;
    }
    return record;
}

struct XcbWindowReader::Pending
{
    xcb_window_t window = XCB_WINDOW_NONE;
    XcbWindowDetails details = 0;
    std::optional<xcb_get_window_attributes_cookie_t> attributes;
    std::optional<xcb_get_geometry_cookie_t> geometry;
    std::optional<xcb_translate_coordinates_cookie_t> origin;
    std::optional<xcb_get_property_cookie_t> frameExtents;
    std::optional<xcb_get_property_cookie_t> gtkFrameExtents;
    std::optional<xcb_get_property_cookie_t> pid;
    std::optional<xcb_get_property_cookie_t> clientMachine;
    std::optional<xcb_res_query_client_ids_cookie_t> clientIds;
    std::optional<xcb_get_property_cookie_t> windowClass;
    std::optional<xcb_get_property_cookie_t> gtkApplicationId;
    std::optional<xcb_get_property_cookie_t> kdeDesktopFile;
    std::optional<xcb_get_property_cookie_t> type;
    std::optional<xcb_get_property_cookie_t> state;
    std::optional<xcb_get_property_cookie_t> desktop;
    std::optional<xcb_get_property_cookie_t> opacity;
};

struct XcbWindowReader::StackingCookies
{
    std::optional<xcb_get_property_cookie_t> stacking;
    std::optional<xcb_get_property_cookie_t> clientList;
    std::optional<xcb_get_property_cookie_t> currentDesktop;
};

struct XcbWindowReader::TurnAnswers
{
    std::optional<xcb_window_t> active;
    std::optional<Stacking> stacking;
    struct Window
    {
        XcbWindowDetails details = 0;
        std::optional<XcbWindowFacts> facts; // nothing: the window is gone
    };
    std::unordered_map<xcb_window_t, Window> windows;
};

struct XcbWindowReader::RootCookies
{
    std::optional<xcb_get_property_cookie_t> active;
    std::optional<xcb_get_geometry_cookie_t> rootGeometry;
    StackingCookies stacking;
};

XcbWindowReader::~XcbWindowReader()
{
    round.remove(*this);
    xcb.removeListener(*this);
}

XcbWindowReader::XcbWindowReader(XcbPollingRound& round) : xcb(round.connection()), round(round)
{
    round.add(*this);
    xcb.addListener(*this);
    if (!xcb.isConnected()) {
        cache = std::make_unique<XcbWindowCache>(xcb, XcbWindowCache::PropertyParts{});
        return;
    }
    xcb.internAtoms({"_NET_CLIENT_LIST_STACKING",
                     "_NET_CLIENT_LIST",
                     "_NET_CURRENT_DESKTOP",
                     "_NET_ACTIVE_WINDOW",
                     "_NET_WM_PID",
                     "_NET_FRAME_EXTENTS",
                     "_GTK_FRAME_EXTENTS",
                     "_GTK_APPLICATION_ID",
                     "_KDE_NET_WM_DESKTOP_FILE",
                     "_NET_WM_WINDOW_TYPE",
                     "_NET_WM_STATE",
                     "_NET_WM_STATE_ABOVE",
                     "_NET_WM_STATE_HIDDEN",
                     "_NET_WM_DESKTOP",
                     "_NET_WM_WINDOW_OPACITY",
                     "_NET_WM_WINDOW_TYPE_NORMAL",
                     "_NET_WM_WINDOW_TYPE_DIALOG",
                     "_NET_WM_WINDOW_TYPE_DESKTOP",
                     "_NET_WM_WINDOW_TYPE_DOCK",
                     "_NET_WM_WINDOW_TYPE_TOOLBAR",
                     "_NET_WM_WINDOW_TYPE_MENU",
                     "_NET_WM_WINDOW_TYPE_UTILITY",
                     "_NET_WM_WINDOW_TYPE_SPLASH",
                     "_NET_WM_WINDOW_TYPE_DROPDOWN_MENU",
                     "_NET_WM_WINDOW_TYPE_POPUP_MENU",
                     "_NET_WM_WINDOW_TYPE_TOOLTIP",
                     "_NET_WM_WINDOW_TYPE_NOTIFICATION",
                     "_NET_WM_WINDOW_TYPE_COMBO",
                     "_NET_WM_WINDOW_TYPE_DND"});
    atoms.clientListStacking = xcb.atom("_NET_CLIENT_LIST_STACKING");
    atoms.clientList = xcb.atom("_NET_CLIENT_LIST");
    atoms.currentDesktop = xcb.atom("_NET_CURRENT_DESKTOP");
    atoms.activeWindow = xcb.atom("_NET_ACTIVE_WINDOW");
    atoms.pid = xcb.atom("_NET_WM_PID");
    atoms.frameExtents = xcb.atom("_NET_FRAME_EXTENTS");
    atoms.gtkFrameExtents = xcb.atom("_GTK_FRAME_EXTENTS");
    atoms.gtkApplicationId = xcb.atom("_GTK_APPLICATION_ID");
    atoms.kdeDesktopFile = xcb.atom("_KDE_NET_WM_DESKTOP_FILE");
    atoms.windowType = xcb.atom("_NET_WM_WINDOW_TYPE");
    atoms.state = xcb.atom("_NET_WM_STATE");
    atoms.stateAbove = xcb.atom("_NET_WM_STATE_ABOVE");
    atoms.stateHidden = xcb.atom("_NET_WM_STATE_HIDDEN");
    atoms.desktop = xcb.atom("_NET_WM_DESKTOP");
    atoms.opacity = xcb.atom("_NET_WM_WINDOW_OPACITY");
    // The X server's own record of each client's process, where it keeps one.
    xcb_connection_t* c = xcb.raw();
    const xcb_query_extension_reply_t* res = xcb_get_extension_data(c, &xcb_res_id);
    if (res != nullptr && res->present != 0) {
        const XcbReply<xcb_res_query_version_reply_t> version(
            xcb_res_query_version_reply(c, xcb_res_query_version(c, 1, 2), nullptr));
        hasClientIds = version && (version->server_major > 1 ||
                                   (version->server_major == 1 && version->server_minor >= 2));
    }
    resourceIdMask = xcb_get_setup(c)->resource_id_mask;
    std::array<char, 256> host{};
    if (gethostname(host.data(), host.size() - 1) == 0) {
        hostName = host.data();
    }
    for (const auto& [name, type] : typeNames) {
        const xcb_atom_t atom = xcb.atom(name);
        if (atom != XCB_ATOM_NONE) {
            typeAtoms.emplace_back(atom, type);
        }
    }
    namespace d = window_details;
    cache = std::make_unique<XcbWindowCache>(
        xcb, XcbWindowCache::PropertyParts{{{atoms.frameExtents, d::frame},
                                            {atoms.gtkFrameExtents, d::frame},
                                            {atoms.pid, d::owner},
                                            {XCB_ATOM_WM_CLIENT_MACHINE, d::owner},
                                            {XCB_ATOM_WM_CLASS, d::windowClass},
                                            {atoms.gtkApplicationId, d::applicationId},
                                            {atoms.kdeDesktopFile, d::applicationId},
                                            {atoms.windowType, d::state},
                                            {atoms.state, d::state},
                                            {atoms.desktop, d::state},
                                            {atoms.opacity, d::state}}});
}

void XcbWindowReader::handleEvent(const xcb_generic_event_t& event)
{
    cache->handleEvent(event);
}

XcbWindowReader::StackingCookies XcbWindowReader::requestStacking()
{
    StackingCookies cookies;
    const xcb_window_t root = xcb.root();
    const auto ask = [&](xcb_atom_t atom, std::uint32_t maxItems) {
        return atom == XCB_ATOM_NONE ? std::nullopt
                                     : std::optional{requestProperty(xcb, root, atom, maxItems)};
    };
    cookies.stacking = ask(atoms.clientListStacking, 65536);
    cookies.clientList = ask(atoms.clientList, 65536);
    cookies.currentDesktop = ask(atoms.currentDesktop, 1);
    return cookies;
}

std::optional<XcbWindowReader::Stacking>
XcbWindowReader::readStacking(const StackingCookies& cookies)
{
    xcb_connection_t* c = xcb.raw();
    bool failed = false;
    const auto stackingReply = propertyReply(c, cookies.stacking, failed);
    const auto clientListReply = propertyReply(c, cookies.clientList, failed);
    const auto desktopReply = propertyReply(c, cookies.currentDesktop, failed);
    if (!stackingReply || !xcb.isConnected()) {
        return std::nullopt;
    }
    Stacking result;
    result.currentDesktop = firstValue(desktopReply.get());
    const xcb_get_property_reply_t* list =
        stackingReply->format == 32 ? stackingReply.get() : clientListReply.get();
    const auto value = propertyValue(list);
    const std::vector<std::uint32_t> windows =
        value ? propertyLastCardinals(*value, maxListedWindows) : std::vector<std::uint32_t>{};
    // Both lists run from the bottom (or the oldest) window to the top (or the newest).
    result.frontToBack.assign(windows.rbegin(), windows.rend());
    return result;
}

XcbWindowReader::TurnAnswers& XcbWindowReader::currentAnswers()
{
    round.ensureCurrent();
    return *answers;
}

void XcbWindowReader::request()
{
    sent = std::make_unique<RootCookies>();
    if (atoms.activeWindow != XCB_ATOM_NONE) {
        sent->active = requestProperty(xcb, xcb.root(), atoms.activeWindow, 1);
    }
    sent->stacking = requestStacking();
    sent->rootGeometry = xcb_get_geometry(xcb.raw(), xcb.root());
}

void XcbWindowReader::receive()
{
    // A new turn: everything kept for the last one is dropped.
    answers = std::make_unique<TurnAnswers>();
    if (!sent) {
        return;
    }
    const std::unique_ptr<RootCookies> cookies = std::move(sent);
    TurnAnswers& turn = *answers;
    bool failed = false;
    const auto activeReply = propertyReply(xcb.raw(), cookies->active, failed);
    turn.stacking = readStacking(cookies->stacking);
    bool rootFailed = false;
    if (const auto root =
            replyOf(xcb.raw(), xcb_get_geometry_reply, *cookies->rootGeometry, rootFailed)) {
        rootSize = {root->width, root->height};
    }
    // A manager that does not keep the property leaves it missing; None is a real answer.
    if (cookies->active && !failed && xcb.isConnected()) {
        turn.active = firstValue(activeReply.get());
    }
    // The events that came before these replies tell what changed before they were sent;
    // later ones reach the cache before the next turn's answers.
    xcb.previewQueuedEvents(*this);
    const std::vector<xcb_window_t> none;
    const auto& listed = turn.stacking ? turn.stacking->frontToBack : none;
    // An unchanged listing, the rule on an idle desktop, costs one comparison.
    if (listed != lastListed) {
        cache->setListed(listed);
        lastListed = listed;
    }
}

void XcbWindowReader::learnAncestors(std::span<const xcb_window_t> windows)
{
    // Level by level, one round trip each (two under a reparenting manager): the notifications
    // of each ancestor are selected before its own parent is asked for, and all of them before
    // the window's frame is read.
    struct Walk
    {
        xcb_window_t window;
        xcb_window_t at;
        std::vector<xcb_window_t> ancestors;
        bool failed = false;
    };
    std::vector<Walk> walks;
    for (xcb_window_t window : windows) {
        walks.push_back(Walk{window, window, {}});
    }
    xcb_connection_t* c = xcb.raw();
    for (int depth = 0; depth < 64 && xcb.isConnected(); ++depth) {
        std::vector<std::pair<Walk*, xcb_query_tree_cookie_t>> asked;
        for (Walk& walk : walks) {
            if (walk.at != XCB_WINDOW_NONE && !walk.failed) {
                asked.emplace_back(&walk, xcb_query_tree(c, walk.at));
            }
        }
        if (asked.empty()) {
            break;
        }
        ++roundTrips;
        for (auto& [walk, cookie] : asked) {
            bool failed = false;
            const auto tree = replyOf(c, xcb_query_tree_reply, cookie, failed);
            if (failed) {
                walk->failed = true;
            } else if (tree->parent == XCB_WINDOW_NONE || tree->parent == tree->root) {
                walk->at = XCB_WINDOW_NONE;
            } else {
                walk->at = tree->parent;
                walk->ancestors.push_back(tree->parent);
                xcb.selectEvents(tree->parent, XCB_EVENT_MASK_STRUCTURE_NOTIFY);
            }
        }
    }
    for (Walk& walk : walks) {
        for (xcb_window_t ancestor : walk.ancestors) {
            // The cache holds its own selection of each; the walk's is withdrawn.
            xcb.releaseEvents(ancestor, XCB_EVENT_MASK_STRUCTURE_NOTIFY);
        }
        if (walk.failed) {
            cache->store(walk.window, 0, std::nullopt);
        } else {
            cache->setAncestors(walk.window, std::move(walk.ancestors));
        }
    }
}

std::vector<XcbWindowFacts> XcbWindowReader::readKept(TurnAnswers& turn,
                                                      std::span<const xcb_window_t> windows,
                                                      XcbWindowDetails details)
{
    namespace d = window_details;
    // A listed window is answered from the cache, reading only what notifications marked
    // stale since; any other window is read as asked. What this turn has answered about a
    // window stays its answer for the rest of the turn.
    // Sets keep each pass linear in the windows asked about, however long the list.
    std::vector<xcb_window_t> newlyListed;
    std::unordered_set<xcb_window_t> seen;
    for (xcb_window_t window : windows) {
        if (cache->needsAncestors(window) && !turn.windows.contains(window) &&
            seen.insert(window).second) {
            newlyListed.push_back(window);
        }
    }
    if (!newlyListed.empty()) {
        learnAncestors(newlyListed);
    }
    std::vector<Pending> pending;
    std::unordered_set<xcb_window_t> asked;
    std::vector<xcb_window_t> fromCache;
    for (xcb_window_t window : windows) {
        const auto kept = turn.windows.find(window);
        if (kept != turn.windows.end() && (kept->second.details & details) == details) {
            continue;
        }
        if (!asked.insert(window).second) {
            continue;
        }
        if (cache->isListed(window)) {
            const XcbWindowDetails stale = cache->staleParts(window);
            if (stale != 0) {
                cache->markReading(window, stale);
                pending.push_back(request(window, stale));
            }
            fromCache.push_back(window);
            continue;
        }
        const XcbWindowDetails wanted =
            details | (kept != turn.windows.end() ? kept->second.details : 0);
        pending.push_back(request(window, wanted));
    }
    roundTrips += pending.empty() ? 0 : 1;
    for (const Pending& one : pending) {
        auto read = readReplies(one);
        if (cache->isListed(one.window)) {
            cache->store(one.window, one.details, read);
        } else {
            turn.windows.insert_or_assign(one.window,
                                          TurnAnswers::Window{one.details, std::move(read)});
        }
    }
    for (xcb_window_t window : fromCache) {
        const XcbWindowFacts* known = cache->facts(window);
        turn.windows.insert_or_assign(
            window, TurnAnswers::Window{d::all, known ? std::optional{*known} : std::nullopt});
    }
    std::vector<XcbWindowFacts> facts;
    if (!xcb.isConnected()) {
        return facts;
    }
    facts.reserve(windows.size());
    for (xcb_window_t window : windows) {
        if (const auto kept = turn.windows.find(window);
            kept != turn.windows.end() && kept->second.facts) {
            facts.push_back(*kept->second.facts);
        }
    }
    return facts;
}

std::optional<XcbWindowReader::Stacking> XcbWindowReader::stacking()
{
    TurnAnswers& turn = currentAnswers();
    if (!xcb.isConnected()) {
        return std::nullopt;
    }
    return turn.stacking;
}

std::optional<XcbWindowReader::Stacking>
XcbWindowReader::stackingAndRead(std::span<const xcb_window_t> windows, XcbWindowDetails details,
                                 std::vector<XcbWindowFacts>& facts)
{
    facts.clear();
    if (!xcb.isConnected()) {
        return std::nullopt;
    }
    auto result = stacking();
    facts = read(windows, details);
    if (!xcb.isConnected()) {
        facts.clear();
        return std::nullopt;
    }
    return result;
}

std::optional<xcb_window_t> XcbWindowReader::activeWindow()
{
    if (!xcb.isConnected() || atoms.activeWindow == XCB_ATOM_NONE) {
        return std::nullopt;
    }
    return currentAnswers().active;
}

std::vector<XcbWindowFacts> XcbWindowReader::read(std::span<const xcb_window_t> windows,
                                                  XcbWindowDetails details)
{
    if (!xcb.isConnected()) {
        return {};
    }
    return readKept(currentAnswers(), windows, details);
}

std::optional<XcbWindowFacts> XcbWindowReader::read(xcb_window_t window, XcbWindowDetails details)
{
    auto facts = read(std::span<const xcb_window_t>(&window, 1), details);
    if (facts.empty()) {
        return std::nullopt;
    }
    return std::move(facts.front());
}

XcbWindowReader::Pending XcbWindowReader::request(xcb_window_t window, XcbWindowDetails details)
{
    namespace d = window_details;
    xcb_connection_t* c = xcb.raw();
    Pending pending;
    pending.window = window;
    pending.details = details;
    const auto ask = [&](XcbWindowDetails part, xcb_atom_t atom, std::uint32_t maxItems) {
        if ((details & part) == 0 || atom == XCB_ATOM_NONE) {
            return std::optional<xcb_get_property_cookie_t>{};
        }
        return std::optional{requestProperty(xcb, window, atom, maxItems)};
    };
    if ((details & d::state) != 0) {
        pending.attributes = xcb_get_window_attributes(c, window);
    }
    if ((details & d::frame) != 0) {
        pending.geometry = xcb_get_geometry(c, window);
        pending.origin = xcb_translate_coordinates(c, window, xcb.root(), 0, 0);
    }
    pending.frameExtents = ask(d::frame, atoms.frameExtents, 4);
    pending.gtkFrameExtents = ask(d::frame, atoms.gtkFrameExtents, 4);
    pending.pid = ask(d::owner, atoms.pid, 1);
    pending.clientMachine = ask(d::owner, XCB_ATOM_WM_CLIENT_MACHINE, 64);
    if ((details & d::owner) != 0 && hasClientIds) {
        const xcb_res_client_id_spec_t client{window & ~resourceIdMask,
                                              XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
        pending.clientIds = xcb_res_query_client_ids(c, 1, &client);
    }
    pending.windowClass = ask(d::windowClass, XCB_ATOM_WM_CLASS, 128);
    pending.gtkApplicationId = ask(d::applicationId, atoms.gtkApplicationId, 64);
    pending.kdeDesktopFile = ask(d::applicationId, atoms.kdeDesktopFile, 64);
    pending.type = ask(d::state, atoms.windowType, 32);
    pending.state = ask(d::state, atoms.state, 32);
    pending.desktop = ask(d::state, atoms.desktop, 1);
    pending.opacity = ask(d::state, atoms.opacity, 1);
    return pending;
}

std::optional<XcbWindowFacts> XcbWindowReader::readReplies(const Pending& pending)
{
    xcb_connection_t* c = xcb.raw();
    // Every reply is taken, even after a failure, so none is left queued in the library.
    bool failed = false;
    XcbReply<xcb_get_window_attributes_reply_t> attributes;
    if (pending.attributes) {
        attributes = replyOf(c, xcb_get_window_attributes_reply, *pending.attributes, failed);
    }
    XcbReply<xcb_get_geometry_reply_t> geometry;
    if (pending.geometry) {
        geometry = replyOf(c, xcb_get_geometry_reply, *pending.geometry, failed);
    }
    XcbReply<xcb_translate_coordinates_reply_t> origin;
    if (pending.origin) {
        origin = replyOf(c, xcb_translate_coordinates_reply, *pending.origin, failed);
    }
    const auto frameExtents = propertyReply(c, pending.frameExtents, failed);
    const auto gtkFrameExtents = propertyReply(c, pending.gtkFrameExtents, failed);
    const auto pid = propertyReply(c, pending.pid, failed);
    const auto clientMachine = propertyReply(c, pending.clientMachine, failed);
    // A client that is gone by now has no record: that is no failure of the window's read.
    bool noClient = false;
    XcbReply<xcb_res_query_client_ids_reply_t> clientIds;
    if (pending.clientIds) {
        clientIds = replyOf(c, xcb_res_query_client_ids_reply, *pending.clientIds, noClient);
    }
    const auto windowClass = propertyReply(c, pending.windowClass, failed);
    const auto gtkApplicationId = propertyReply(c, pending.gtkApplicationId, failed);
    const auto kdeDesktopFile = propertyReply(c, pending.kdeDesktopFile, failed);
    const auto type = propertyReply(c, pending.type, failed);
    const auto state = propertyReply(c, pending.state, failed);
    const auto desktop = propertyReply(c, pending.desktop, failed);
    const auto opacity = propertyReply(c, pending.opacity, failed);
    if (failed) {
        return std::nullopt;
    }

    XcbWindowFacts facts;
    facts.window = pending.window;
    if (attributes) {
        facts.isViewable = attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        facts.isOverrideRedirect = attributes->override_redirect != 0;
    }
    if (geometry && origin) {
        const FrameParts parts{origin->dst_x,
                               origin->dst_y,
                               geometry->width,
                               geometry->height,
                               geometry->border_width,
                               decodeExtents(valueOf(frameExtents.get())),
                               decodeExtents(valueOf(gtkFrameExtents.get()))};
        facts.frame = decodeFrame(parts, rootSize.first, rootSize.second);
    }
    if ((pending.details & window_details::owner) != 0) {
        OwnerClues clues;
        clues.publishedPid = decodeProcessId(valueOf(pid.get()));
        clues.clientMachine = propertyText(valueOf(clientMachine.get()));
        clues.clientMachine = clues.clientMachine.substr(0, clues.clientMachine.find('\0'));
        if (clientIds) {
            clues.serverPid =
                decodeClientPid({reinterpret_cast<const std::uint8_t*>(clientIds.get()),
                                 propertyReplyHeaderSize + std::size_t{clientIds->length} * 4});
        }
        clues.clientBase = pending.window & ~resourceIdMask;
        facts.pid = decodeOwner(clues, hostName);
    }
    if (windowClass) {
        facts.windowClass = parseWindowClass(propertyText(valueOf(windowClass.get())));
    }
    for (const auto* reply : {gtkApplicationId.get(), kdeDesktopFile.get()}) {
        if (const std::string_view id = decodeApplicationId(valueOf(reply)); !id.empty()) {
            facts.applicationId = std::string(id);
            break;
        }
    }
    facts.type = typeOf(propertyValues32(type.get()));
    for (std::uint32_t atom : propertyValues32(state.get())) {
        facts.isAbove = facts.isAbove || atom == atoms.stateAbove;
        facts.isHidden = facts.isHidden || atom == atoms.stateHidden;
    }
    facts.desktop = firstValue(desktop.get());
    facts.opacity = firstValue(opacity.get());
    return facts;
}

XcbWindowType XcbWindowReader::typeOf(std::span<const std::uint32_t> types) const
{
    // The types are listed in order of preference; the first one known decides.
    for (std::uint32_t atom : types) {
        const auto found = std::find_if(typeAtoms.begin(), typeAtoms.end(),
                                        [&](const auto& entry) { return entry.first == atom; });
        if (found != typeAtoms.end()) {
            return found->second;
        }
    }
    return XcbWindowType::normal;
}

} // namespace halomark::x11
