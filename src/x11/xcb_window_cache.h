// The facts of the listed (managed) windows as last read, kept current by the X server's own
// notifications instead of by reading them again: structure changes of each window and of each
// of its ancestors below the root (moves and resizes, the synthetic configure events that
// reparenting window managers send, map, unmap, reparent, destroy) and property changes of the
// window. A notification marks the parts of the facts it may change as stale; the reader reads
// only stale parts. Nothing about keys or the pointer is listened to.
//
// The notifications must be selected before the parts they cover are read, so a new window's
// own notifications are selected when it is first listed and its ancestors' when they are
// learnt, before the reader reads its facts.
#pragma once

#include "x11/xcb_connection.h"
#include "x11/xcb_window_reader.h"

#include <span>
#include <unordered_map>
#include <vector>

namespace halomark::x11 {

class XcbWindowCache
{
public:
    // The properties whose changes matter, by the parts of the facts they give.
    struct PropertyParts
    {
        std::vector<std::pair<xcb_atom_t, XcbWindowDetails>> atoms;
    };

    XcbWindowCache(XcbConnection& connection, PropertyParts properties);
    ~XcbWindowCache();
    XcbWindowCache(const XcbWindowCache&) = delete;
    XcbWindowCache& operator=(const XcbWindowCache&) = delete;

    // The windows now listed: new ones are followed from now on with every part stale, those
    // no longer listed are forgotten and no longer followed.
    void setListed(std::span<const xcb_window_t> listed);
    bool isListed(xcb_window_t window) const { return entries.contains(window); }

    // Marks stale what an event may have changed.
    void handleEvent(const xcb_generic_event_t& event);

    // A listed window that is known to be gone (destroyed, or a read failed).
    bool isGone(xcb_window_t window) const;
    // Whether the window's ancestors must be learnt before its facts are read.
    bool needsAncestors(xcb_window_t window) const;
    // Follows the structure changes of these ancestors (parent first) instead of earlier ones.
    void setAncestors(xcb_window_t window, std::vector<xcb_window_t> ancestors);
    // The stale parts of a listed window; none for a window not listed.
    XcbWindowDetails staleParts(xcb_window_t window) const;
    // The parts about to be read are no longer stale; an event that comes before the reply
    // marks them again, so a change during the read is never lost.
    void markReading(xcb_window_t window, XcbWindowDetails parts);
    // Keeps the parts read; nothing read means the window is gone.
    void store(xcb_window_t window, XcbWindowDetails parts,
               const std::optional<XcbWindowFacts>& read);
    // The kept facts of a listed window, whatever is stale.
    const XcbWindowFacts* facts(xcb_window_t window) const;

private:
    struct Entry
    {
        XcbWindowFacts facts;
        XcbWindowDetails stale = window_details::all;
        bool ancestorsKnown = false;
        bool gone = false;
        std::vector<xcb_window_t> ancestors;
    };
    // Marks the window and every listed window it is an ancestor of.
    void markWhere(xcb_window_t changed, XcbWindowDetails parts, bool ancestryChanged);
    void forgetDescendant(xcb_window_t ancestor, xcb_window_t window);
    void unfollow(xcb_window_t window, const Entry& entry);

    XcbConnection& xcb;
    PropertyParts properties;
    std::unordered_map<xcb_window_t, Entry> entries;
    // Each followed ancestor with the listed windows below it, so that an event finds the
    // windows it concerns without a walk over all of them.
    std::unordered_multimap<xcb_window_t, xcb_window_t> descendants;
};

} // namespace halomark::x11
