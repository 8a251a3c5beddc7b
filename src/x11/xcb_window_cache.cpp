#include "x11/xcb_window_cache.h"

#include <algorithm>
#include <unordered_set>

namespace halomark::x11 {

namespace {

constexpr std::uint32_t windowEvents =
    XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
// An ancestor's structure decides where the window lies and whether it is viewable.
constexpr std::uint32_t ancestorEvents = XCB_EVENT_MASK_STRUCTURE_NOTIFY;

namespace d = window_details;

// Copies the parts read into the kept facts.
void merge(XcbWindowFacts& kept, const XcbWindowFacts& read, XcbWindowDetails parts)
{
    if ((parts & d::frame) != 0) {
        kept.frame = read.frame;
    }
    if ((parts & d::owner) != 0) {
        kept.pid = read.pid;
    }
    if ((parts & d::windowClass) != 0) {
        kept.windowClass = read.windowClass;
    }
    if ((parts & d::applicationId) != 0) {
        kept.applicationId = read.applicationId;
    }
    if ((parts & d::state) != 0) {
        kept.isViewable = read.isViewable;
        kept.isOverrideRedirect = read.isOverrideRedirect;
        kept.type = read.type;
        kept.isAbove = read.isAbove;
        kept.isHidden = read.isHidden;
        kept.desktop = read.desktop;
        kept.opacity = read.opacity;
    }
}

} // namespace

XcbWindowCache::XcbWindowCache(XcbConnection& connection, PropertyParts properties)
    : xcb(connection), properties(std::move(properties))
{}

XcbWindowCache::~XcbWindowCache()
{
    for (const auto& [window, entry] : entries) {
        unfollow(window, entry);
    }
    xcb.flush();
}

void XcbWindowCache::setListed(std::span<const xcb_window_t> listed)
{
    const std::unordered_set<xcb_window_t> stillListed(listed.begin(), listed.end());
    std::erase_if(entries, [&](const auto& item) {
        if (stillListed.contains(item.first)) {
            return false;
        }
        unfollow(item.first, item.second);
        return true;
    });
    for (xcb_window_t window : listed) {
        if (window != XCB_WINDOW_NONE && !entries.contains(window)) {
            // Selected before anything is read, so no change after the read goes unnoticed.
            xcb.selectEvents(window, windowEvents);
            Entry& entry = entries[window];
            entry.facts.window = window;
        }
    }
}

void XcbWindowCache::unfollow(xcb_window_t window, const Entry& entry)
{
    xcb.releaseEvents(window, windowEvents);
    for (xcb_window_t ancestor : entry.ancestors) {
        xcb.releaseEvents(ancestor, ancestorEvents);
        forgetDescendant(ancestor, window);
    }
}

bool XcbWindowCache::isGone(xcb_window_t window) const
{
    const auto found = entries.find(window);
    return found != entries.end() && found->second.gone;
}

bool XcbWindowCache::needsAncestors(xcb_window_t window) const
{
    const auto found = entries.find(window);
    return found != entries.end() && !found->second.gone && !found->second.ancestorsKnown;
}

void XcbWindowCache::setAncestors(xcb_window_t window, std::vector<xcb_window_t> ancestors)
{
    const auto found = entries.find(window);
    if (found == entries.end()) {
        return;
    }
    Entry& entry = found->second;
    // The new ones first, so that an ancestor kept from before is never unselected between.
    for (xcb_window_t ancestor : ancestors) {
        xcb.selectEvents(ancestor, ancestorEvents);
    }
    for (xcb_window_t ancestor : entry.ancestors) {
        xcb.releaseEvents(ancestor, ancestorEvents);
        forgetDescendant(ancestor, window);
    }
    for (xcb_window_t ancestor : ancestors) {
        descendants.emplace(ancestor, window);
    }
    entry.ancestors = std::move(ancestors);
    entry.ancestorsKnown = true;
}

XcbWindowDetails XcbWindowCache::staleParts(xcb_window_t window) const
{
    const auto found = entries.find(window);
    return found != entries.end() && !found->second.gone ? found->second.stale : 0;
}

void XcbWindowCache::markReading(xcb_window_t window, XcbWindowDetails parts)
{
    if (const auto found = entries.find(window); found != entries.end()) {
        found->second.stale &= ~parts;
    }
}

void XcbWindowCache::store(xcb_window_t window, XcbWindowDetails parts,
                           const std::optional<XcbWindowFacts>& read)
{
    const auto found = entries.find(window);
    if (found == entries.end()) {
        return;
    }
    if (!read) {
        // A window id is not handed out again while the window is listed.
        found->second.gone = true;
        return;
    }
    merge(found->second.facts, *read, parts);
}

const XcbWindowFacts* XcbWindowCache::facts(xcb_window_t window) const
{
    const auto found = entries.find(window);
    return found != entries.end() && !found->second.gone ? &found->second.facts : nullptr;
}

void XcbWindowCache::markWhere(xcb_window_t changed, XcbWindowDetails parts, bool ancestryChanged)
{
    const auto mark = [&](xcb_window_t window) {
        if (const auto found = entries.find(window); found != entries.end()) {
            found->second.stale |= parts;
            found->second.ancestorsKnown = found->second.ancestorsKnown && !ancestryChanged;
        }
    };
    mark(changed);
    const auto [first, last] = descendants.equal_range(changed);
    for (auto it = first; it != last; ++it) {
        mark(it->second);
    }
}

void XcbWindowCache::forgetDescendant(xcb_window_t ancestor, xcb_window_t window)
{
    const auto [first, last] = descendants.equal_range(ancestor);
    const auto found =
        std::find_if(first, last, [&](const auto& pair) { return pair.second == window; });
    if (found != last) {
        descendants.erase(found);
    }
}

void XcbWindowCache::handleEvent(const xcb_generic_event_t& event)
{
    // The frame depends on the window's and its ancestors' geometry; being viewable on the
    // map state of all of them.
    constexpr XcbWindowDetails placement = d::frame | d::state;
    switch (event.response_type & 0x7f) {
    case XCB_CONFIGURE_NOTIFY:
        // Also the synthetic ones that a window manager sends when it moves the frame.
        markWhere(reinterpret_cast<const xcb_configure_notify_event_t&>(event).window, d::frame,
                  false);
        break;
    case XCB_GRAVITY_NOTIFY:
        markWhere(reinterpret_cast<const xcb_gravity_notify_event_t&>(event).window, d::frame,
                  false);
        break;
    case XCB_MAP_NOTIFY:
        markWhere(reinterpret_cast<const xcb_map_notify_event_t&>(event).window, d::state, false);
        break;
    case XCB_UNMAP_NOTIFY:
        markWhere(reinterpret_cast<const xcb_unmap_notify_event_t&>(event).window, d::state, false);
        break;
    case XCB_REPARENT_NOTIFY:
        markWhere(reinterpret_cast<const xcb_reparent_notify_event_t&>(event).window, placement,
                  true);
        break;
    case XCB_DESTROY_NOTIFY: {
        const xcb_window_t destroyed =
            reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window;
        if (const auto found = entries.find(destroyed); found != entries.end()) {
            found->second.gone = true;
        }
        markWhere(destroyed, placement, true);
        break;
    }
    case XCB_PROPERTY_NOTIFY: {
        const auto& change = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        const auto found = entries.find(change.window);
        if (found == entries.end()) {
            break;
        }
        for (const auto& [atom, parts] : properties.atoms) {
            if (atom == change.atom) {
                found->second.stale |= parts;
            }
        }
        break;
    }
    default:
        break;
    }
}

} // namespace halomark::x11
