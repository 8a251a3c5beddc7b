// Decoding of window properties from the raw bytes of a GetProperty reply, with no connection:
// other clients write these properties and a server may be buggy or lying, so every length is
// checked against the bytes that actually arrived, every list is capped and every number is
// clamped before it reaches the adapters. Replies are in the client's byte order.
#pragma once

#include "x11/xcb_coordinates.h"
#include "xdg/desktop_applications.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace halomark::x11 {

// The value of a property as a reply carries it: the item size (8, 16 or 32 bits; 0 when the
// property does not exist) and the bytes of the items that fit in the reply.
struct PropertyValue
{
    std::uint8_t format = 0;
    std::uint32_t type = 0;
    std::span<const std::uint8_t> bytes;

    std::size_t itemCount() const { return format == 0 ? 0 : bytes.size() / (format / 8); }
};

// The size of a GetProperty reply's fixed part; the value follows it.
inline constexpr std::size_t propertyReplyHeaderSize = 32;

// The two strings of WM_CLASS: the instance name and the class name ("xterm", "XTerm").
using XcbWindowClass = xdg::WindowClass;

// WM_CLASS from the property's bytes: two NUL-terminated strings. A missing second string
// leaves the class name empty; nothing when both are empty.
std::optional<XcbWindowClass> parseWindowClass(std::string_view bytes);

// The value of a whole reply (its fixed part and what follows). Nothing when the reply is
// shorter than its fixed part, is not a reply, has a format other than 0, 8, 16 or 32, or
// claims more items than its own length holds or than the bytes given hold.
std::optional<PropertyValue> decodePropertyReply(std::span<const std::uint8_t> reply);

// The 32-bit items of a value (CARDINAL, WINDOW, ATOM), at most maxItems of them; empty for a
// value of another format.
std::vector<std::uint32_t> propertyCardinals(const PropertyValue& value,
                                             std::size_t maxItems = 1u << 16);
// The last (at most maxItems) 32-bit items: of a stacking list, the top-most windows.
std::vector<std::uint32_t> propertyLastCardinals(const PropertyValue& value, std::size_t maxItems);
// The bytes of an 8-bit value as text; empty for another format.
std::string_view propertyText(const PropertyValue& value);

// The most windows a client list or stacking is read with. A desktop has tens of windows;
// a list far longer is a broken or hostile client, and only its top-most windows are read, so
// a pass stays bounded whatever the list holds.
inline constexpr std::size_t maxListedWindows = 4096;

// The four extents (left, right, top, bottom) of _NET_FRAME_EXTENTS or _GTK_FRAME_EXTENTS;
// zeros when the value holds fewer than four.
std::array<std::uint32_t, 4> decodeExtents(const PropertyValue& value);

// The inputs to a window's frame: its origin in the root (inside its border), its size and
// border, the decorations a window manager draws around it and the invisible margins a
// client-side decorated window draws inside it (both left, right, top, bottom).
struct FrameParts
{
    std::int32_t originX = 0;
    std::int32_t originY = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint16_t border = 0;
    std::array<std::uint32_t, 4> decorations{};
    std::array<std::uint32_t, 4> margins{};
};

// The frame in root pixels: the window and its border grown by the decorations and shrunk by
// the margins. No decoration counts for more than the window or the root reaches along its
// axis (a manager draws title bars and borders, not frames larger than what they hold), and
// the margins for no more than the window, so the frame stays near the window and its size is
// never negative.
PixelRect decodeFrame(const FrameParts& parts, std::int32_t rootWidth, std::int32_t rootHeight);

// A process id from _NET_WM_PID: positive and within the range of process ids.
std::optional<std::int32_t> decodeProcessId(const PropertyValue& value);

// The first of the NUL-separated strings of a text value, without a ".desktop" suffix (the
// application id of _GTK_APPLICATION_ID or _KDE_NET_WM_DESKTOP_FILE); empty when none.
std::string_view decodeApplicationId(const PropertyValue& value);

// The local process id of a client from the raw bytes of an X-Resource QueryClientIds reply
// asked with the local-client-pid mask; nothing when the server knows none (a client that
// came over the network) or the reply does not hold together.
std::optional<std::int32_t> decodeClientPid(std::span<const std::uint8_t> reply);

// Whether WM_CLIENT_MACHINE names this host: the same name, or the same first label of a
// domain name, in any case ("box" and "Box.example.org"); "localhost" is this host too.
bool isThisHost(std::string_view clientMachine, std::string_view hostName);

// What is known of a window's owner: the process id its client published (_NET_WM_PID), the
// machine it says it runs on (WM_CLIENT_MACHINE), the local process id the X server has for
// its client, and that client's resource base (its window ids with the per-client bits
// cleared; 0 for the server's own windows, and never above 29 bits).
struct OwnerClues
{
    std::optional<std::int32_t> publishedPid;
    std::string_view clientMachine;
    std::optional<std::int32_t> serverPid;
    std::uint32_t clientBase = 0;
};

// The process that owns a window. A client on another machine owns it as the X server records
// it, and when the server has no local process for it, as an identity of its own that is no
// process id of this machine (negative, made from the client's resource base): the id such a
// client publishes belongs to another machine and may match a local process, or this one. A
// local client's published id stands; without one the server's record decides, and without
// that the client's identity. Nothing for the server's own windows or a base no client has.
std::optional<std::int32_t> decodeOwner(const OwnerClues& clues, std::string_view hostName);

// The value of Xft.dpi in the text of the resource database: a finite number in a sane range
// (1 to 10000 dots per inch), read the same way whatever the locale; nothing otherwise.
std::optional<double> decodeXftDpi(std::string_view resources);

} // namespace halomark::x11
