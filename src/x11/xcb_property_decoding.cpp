#include "x11/xcb_property_decoding.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace halomark::x11 {

namespace {

std::uint32_t wordAt(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    std::uint32_t word = 0;
    std::memcpy(&word, bytes.data() + offset, sizeof word);
    return word;
}

std::int32_t clampToInt32(std::int64_t value)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

std::vector<std::uint32_t> cardinalsFrom(const PropertyValue& value, std::size_t first,
                                         std::size_t count)
{
    std::vector<std::uint32_t> items(count);
    if (count != 0) {
        std::memcpy(items.data(), value.bytes.data() + first * 4, count * 4);
    }
    return items;
}

} // namespace

std::optional<PropertyValue> decodePropertyReply(std::span<const std::uint8_t> reply)
{
    constexpr std::uint8_t replyType = 1;
    if (reply.size() < propertyReplyHeaderSize || reply[0] != replyType) {
        return std::nullopt;
    }
    PropertyValue value;
    value.format = reply[1];
    if (value.format != 0 && value.format != 8 && value.format != 16 && value.format != 32) {
        return std::nullopt;
    }
    value.type = wordAt(reply, 8);
    const std::uint64_t length = std::uint64_t{wordAt(reply, 4)} * 4;
    const std::uint64_t claimed = std::uint64_t{wordAt(reply, 16)} * (value.format / 8);
    const std::uint64_t arrived = reply.size() - propertyReplyHeaderSize;
    if (claimed > length || claimed > arrived) {
        return std::nullopt;
    }
    value.bytes = reply.subspan(propertyReplyHeaderSize, static_cast<std::size_t>(claimed));
    return value;
}

std::vector<std::uint32_t> propertyCardinals(const PropertyValue& value, std::size_t maxItems)
{
    if (value.format != 32) {
        return {};
    }
    return cardinalsFrom(value, 0, std::min(value.itemCount(), maxItems));
}

std::vector<std::uint32_t> propertyLastCardinals(const PropertyValue& value, std::size_t maxItems)
{
    if (value.format != 32) {
        return {};
    }
    const std::size_t count = std::min(value.itemCount(), maxItems);
    return cardinalsFrom(value, value.itemCount() - count, count);
}

std::string_view propertyText(const PropertyValue& value)
{
    if (value.format != 8) {
        return {};
    }
    return {reinterpret_cast<const char*>(value.bytes.data()), value.bytes.size()};
}

std::optional<XcbWindowClass> parseWindowClass(std::string_view bytes)
{
    const std::size_t end = bytes.find('\0');
    XcbWindowClass result;
    result.instance = std::string(bytes.substr(0, end));
    if (end != std::string_view::npos) {
        const std::string_view rest = bytes.substr(end + 1);
        result.className = std::string(rest.substr(0, rest.find('\0')));
    }
    if (result.instance.empty() && result.className.empty()) {
        return std::nullopt;
    }
    return result;
}

std::array<std::uint32_t, 4> decodeExtents(const PropertyValue& value)
{
    const auto values = propertyCardinals(value, 4);
    if (values.size() < 4) {
        return {};
    }
    return {values[0], values[1], values[2], values[3]};
}

PixelRect decodeFrame(const FrameParts& parts, std::int32_t rootWidth, std::int32_t rootHeight)
{
    // 64-bit throughout: the parts are 16 and 32 bits wide and come from other clients.
    const std::int64_t border = parts.border;
    const std::int64_t width = parts.width + 2 * border;
    const std::int64_t height = parts.height + 2 * border;
    const auto limit = [](std::uint32_t extent, std::int64_t most) {
        return std::clamp<std::int64_t>(extent, 0, std::max<std::int64_t>(most, 0));
    };
    const auto& d = parts.decorations;
    const auto& m = parts.margins;
    const std::int64_t across = std::min<std::int64_t>(width, rootWidth);
    const std::int64_t down = std::min<std::int64_t>(height, rootHeight);
    const std::int64_t left = limit(d[0], across);
    const std::int64_t right = limit(d[1], across);
    const std::int64_t top = limit(d[2], down);
    const std::int64_t bottom = limit(d[3], down);
    const std::int64_t marginLeft = limit(m[0], width);
    const std::int64_t marginRight = limit(m[1], width - marginLeft);
    const std::int64_t marginTop = limit(m[2], height);
    const std::int64_t marginBottom = limit(m[3], height - marginTop);
    PixelRect frame;
    frame.x = clampToInt32(std::int64_t{parts.originX} - border - left + marginLeft);
    frame.y = clampToInt32(std::int64_t{parts.originY} - border - top + marginTop);
    frame.width = clampToInt32(width + left + right - marginLeft - marginRight);
    frame.height = clampToInt32(height + top + bottom - marginTop - marginBottom);
    return frame;
}

std::optional<std::int32_t> decodeProcessId(const PropertyValue& value)
{
    const auto values = propertyCardinals(value, 1);
    if (values.empty() || values.front() == 0 ||
        values.front() > std::uint32_t{std::numeric_limits<std::int32_t>::max()}) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(values.front());
}

std::string_view decodeApplicationId(const PropertyValue& value)
{
    std::string_view id = propertyText(value);
    id = id.substr(0, id.find('\0'));
    if (id.ends_with(".desktop")) {
        id.remove_suffix(std::string_view(".desktop").size());
    }
    return id;
}

std::optional<std::int32_t> decodeClientPid(std::span<const std::uint8_t> reply)
{
    constexpr std::uint8_t replyType = 1;
    constexpr std::uint32_t localClientPidMask = 2;
    constexpr std::size_t valueHeaderSize = 12; // client, mask, length in bytes
    if (reply.size() < propertyReplyHeaderSize || reply[0] != replyType) {
        return std::nullopt;
    }
    // The values end where the reply's own length says, or where the bytes do if sooner.
    const std::uint64_t length = std::uint64_t{wordAt(reply, 4)} * 4;
    const std::size_t end =
        propertyReplyHeaderSize + static_cast<std::size_t>(std::min<std::uint64_t>(
                                      length, reply.size() - propertyReplyHeaderSize));
    const std::uint32_t count = wordAt(reply, 8);
    std::size_t at = propertyReplyHeaderSize;
    for (std::uint32_t i = 0; i < count && end - at >= valueHeaderSize; ++i) {
        const std::uint32_t mask = wordAt(reply, at + 4);
        const std::uint32_t bytes = wordAt(reply, at + 8);
        at += valueHeaderSize;
        if (bytes % 4 != 0 || bytes > end - at) {
            return std::nullopt;
        }
        if (mask == localClientPidMask && bytes == 4) {
            const std::uint32_t pid = wordAt(reply, at);
            if (pid != 0 && pid <= std::uint32_t{std::numeric_limits<std::int32_t>::max()}) {
                return static_cast<std::int32_t>(pid);
            }
        }
        at += bytes;
    }
    return std::nullopt;
}

bool isThisHost(std::string_view clientMachine, std::string_view hostName)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    const auto same = [&](std::string_view a, std::string_view b) {
        return a.size() == b.size() &&
               std::equal(a.begin(), a.end(), b.begin(),
                          [&](char x, char y) { return lower(x) == lower(y); });
    };
    const auto firstLabel = [](std::string_view name) { return name.substr(0, name.find('.')); };
    if (same(clientMachine, "localhost")) {
        return true;
    }
    if (clientMachine.empty() || hostName.empty()) {
        return false;
    }
    return same(clientMachine, hostName) || same(firstLabel(clientMachine), firstLabel(hostName));
}

std::optional<std::int32_t> decodeOwner(const OwnerClues& clues, std::string_view hostName)
{
    // Resource ids leave their top three bits clear; the server's own windows have base 0.
    constexpr std::uint32_t resourceIdBits = 0x1fffffffu;
    if (clues.clientBase == 0 || clues.clientBase > resourceIdBits) {
        return std::nullopt;
    }
    const bool remote = !clues.clientMachine.empty() && !isThisHost(clues.clientMachine, hostName);
    if (!remote && clues.publishedPid) {
        return clues.publishedPid;
    }
    if (clues.serverPid) {
        return clues.serverPid;
    }
    return -static_cast<std::int32_t>(clues.clientBase);
}

std::optional<double> decodeXftDpi(std::string_view resources)
{
    constexpr std::string_view key = "Xft.dpi:";
    constexpr double lowest = 1;
    constexpr double highest = 10000;
    std::size_t start = 0;
    while (start < resources.size()) {
        std::size_t end = resources.find('\n', start);
        if (end == std::string_view::npos) {
            end = resources.size();
        }
        std::string_view line = resources.substr(start, end - start);
        start = end + 1;
        if (!line.starts_with(key)) {
            continue;
        }
        line.remove_prefix(key.size());
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos) {
            continue;
        }
        line.remove_prefix(first);
        // from_chars reads the C locale's numbers, whatever the user's locale says of commas.
        double dpi = 0;
        const char* lineEnd = line.data() + line.size();
        const auto [parsedEnd, error] = std::from_chars(line.data(), lineEnd, dpi);
        const bool rest = std::string_view(parsedEnd, static_cast<std::size_t>(lineEnd - parsedEnd))
                              .find_first_not_of(" \t\r") != std::string_view::npos;
        if (error == std::errc{} && !rest && std::isfinite(dpi) && dpi >= lowest &&
            dpi <= highest) {
            return dpi;
        }
    }
    return std::nullopt;
}

} // namespace halomark::x11
