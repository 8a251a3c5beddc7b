// Feeds arbitrary bytes to the decoders of window properties, as the reply a server sent and as
// the values other clients wrote. Besides crashes and sanitizer reports, a result out of the
// bounds the decoders promise is a fault: a usable area or a frame outside what the root and
// the window allow, a dpi that is not finite and sane, a remote client's own word on its pid.
// The corpus holds replies whose item count or length lies, which the address sanitizer
// reports as an over-read unless the decoding checks them against the bytes that came.
#include "x11/xcb_property_decoding.h"
#include "x11/xcb_struts.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

using namespace halomark::x11;

namespace {

void check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::uint32_t w[12]{};
    std::memcpy(w, data, std::min(size, sizeof w));

    if (const auto dpi = decodeXftDpi(text)) {
        check(std::isfinite(*dpi) && *dpi >= 1 && *dpi <= 10000);
    }
    parseWindowClass(text);
    check(decodeClientPid(bytes).value_or(1) > 0);
    const std::int32_t rootWidth = static_cast<std::int32_t>(w[0] % 20000);
    const std::int32_t rootHeight = static_cast<std::int32_t>(w[1] % 20000);
    if (const auto value = decodePropertyReply(bytes)) {
        const auto all = propertyCardinals(*value);
        const auto top = propertyLastCardinals(*value, 3); // a capped list keeps the top-most
        check(value->bytes.size() + propertyReplyHeaderSize <= size &&
              top.size() == std::min<std::size_t>(all.size(), 3) &&
              std::equal(top.begin(), top.end(), all.end() - top.size()));
        decodeApplicationId(*value);
        check(decodeProcessId(*value).value_or(1) > 0);
        std::vector<Strut> struts;
        for (auto strut : {strutFromPartial(all, rootWidth, rootHeight),
                           strutFromFull(all, rootWidth, rootHeight)}) {
            if (strut) {
                struts.push_back(*strut);
            }
        }
        const PixelRect usable =
            usableArea({0, 0, rootWidth, rootHeight}, struts, rootWidth, rootHeight);
        check(usable.width >= 0 && usable.height >= 0 && usable.right() <= rootWidth &&
              usable.bottom() <= rootHeight);
        const FrameParts parts{std::int16_t(w[2]),   std::int16_t(w[3]),  std::uint16_t(w[4]),
                               std::uint16_t(w[5]),  std::uint16_t(w[6]), decodeExtents(*value),
                               decodeExtents(*value)};
        const PixelRect frame = decodeFrame(parts, rootWidth, rootHeight);
        const std::int64_t across = parts.width + 2 * parts.border;
        check(frame.width >= 0 && frame.width <= 3 * across &&
              std::abs(std::int64_t{frame.x} - parts.originX) <= across + parts.border);
    }
    // A client on another machine is never known by the id it publishes.
    const OwnerClues clues{std::int32_t(w[7] | 1), text.substr(0, size / 2),
                           w[8] % 2 ? std::optional{std::int32_t(w[9] | 1)} : std::nullopt, w[10]};
    const auto owner = decodeOwner(clues, text.substr(size / 2));
    check(owner.has_value() == (w[10] != 0 && w[10] < 0x20000000));
    if (owner && !clues.clientMachine.empty() &&
        !isThisHost(clues.clientMachine, text.substr(size / 2))) {
        check(owner == clues.serverPid || (!clues.serverPid && *owner < 0));
    }
    return 0;
}
