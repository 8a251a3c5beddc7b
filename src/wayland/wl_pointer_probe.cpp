#include "wayland/wl_pointer_probe.h"

#include "wayland/wl_shm_buffer.h"

#include "viewporter-client-protocol.h"
#include "wayland/wl_layer_shell.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <chrono>
#include <vector>

namespace halomark::wayland {

// The surfaces of one probe, one per output.
struct WlPointerProbe::Probe
{
    struct Cover
    {
        wl_surface* surface = nullptr;
        zwlr_layer_surface_v1* layer = nullptr;
        wp_viewport* viewport = nullptr;
        std::unique_ptr<WlShmBuffer> fullBuffer; // without the viewporter
        LogicalRect logical;
        std::uint32_t width = 0;
        std::uint32_t height = 0;
        bool configured = false;
    };
    std::vector<std::unique_ptr<Cover>> covers;
    std::optional<Position> entered;

    ~Probe()
    {
        for (auto& cover : covers) {
            if (cover->viewport) {
                wp_viewport_destroy(cover->viewport);
            }
            if (cover->layer) {
                zwlr_layer_surface_v1_destroy(cover->layer);
            }
            if (cover->surface) {
                wl_surface_destroy(cover->surface);
            }
        }
    }
};

namespace {

using Cover = WlPointerProbe::Probe::Cover;

void coverConfigure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial,
                    std::uint32_t width, std::uint32_t height)
{
    auto* cover = static_cast<Cover*>(data);
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    cover->width = width;
    cover->height = height;
    cover->configured = width > 0 && height > 0;
}

void coverClosed(void* data, zwlr_layer_surface_v1*)
{
    static_cast<Cover*>(data)->configured = false;
}

const zwlr_layer_surface_v1_listener kCoverListener = {coverConfigure, coverClosed};

void pointerEnter(void* data, wl_pointer*, std::uint32_t, wl_surface* surface, wl_fixed_t x,
                  wl_fixed_t y)
{
    auto* probe = *static_cast<WlPointerProbe::Probe**>(data);
    if (!probe || probe->entered) {
        return;
    }
    for (const auto& cover : probe->covers) {
        if (cover->surface == surface) {
            probe->entered = WlPointerProbe::Position{cover->logical.x + wl_fixed_to_double(x),
                                                      cover->logical.y + wl_fixed_to_double(y)};
        }
    }
}
void pointerLeave(void*, wl_pointer*, std::uint32_t, wl_surface*) {}
void pointerMotion(void*, wl_pointer*, std::uint32_t, wl_fixed_t, wl_fixed_t) {}
void pointerButton(void*, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t)
{}
void pointerAxis(void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {}
void pointerFrame(void*, wl_pointer*) {}
void pointerAxisSource(void*, wl_pointer*, std::uint32_t) {}
void pointerAxisStop(void*, wl_pointer*, std::uint32_t, std::uint32_t) {}
void pointerAxisDiscrete(void*, wl_pointer*, std::uint32_t, std::int32_t) {}

const wl_pointer_listener kPointerListener = {
    pointerEnter, pointerLeave,      pointerMotion,   pointerButton,       pointerAxis,
    pointerFrame, pointerAxisSource, pointerAxisStop, pointerAxisDiscrete, nullptr,
};

void seatName(void*, wl_seat*, const char*) {}

constexpr int kMaxTrips = 4;

} // namespace

WlPointerProbe::WlPointerProbe(WlConnection& connection, WlScreenList& screens)
    : connection(connection), screens(screens)
{
    if (!connection.seat() || !connection.virtualPointerManager() || !connection.layerShell()) {
        return;
    }
    // The seat gains a pointer with the first pointing device; on a headless compositor that
    // is this virtual one.
    virtualPointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(
        connection.virtualPointerManager(), connection.seat());
    static const wl_seat_listener seatListener = {&WlPointerProbe::seatCapabilities, seatName};
    wl_seat_add_listener(connection.seat(), &seatListener, this);
    clearPixel = WlShmBuffer::create(connection.shm(), QSize(1, 1));
    connection.roundtrip();
}

WlPointerProbe::~WlPointerProbe()
{
    if (pointer) {
        if (wl_pointer_get_version(pointer) >= WL_POINTER_RELEASE_SINCE_VERSION) {
            wl_pointer_release(pointer);
        } else {
            wl_pointer_destroy(pointer);
        }
    }
    if (virtualPointer) {
        zwlr_virtual_pointer_v1_destroy(virtualPointer);
    }
    connection.flush();
}

void WlPointerProbe::seatCapabilities(void* data, wl_seat* seat, std::uint32_t capabilities)
{
    auto* self = static_cast<WlPointerProbe*>(data);
    const bool hasPointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
    if (hasPointer && !self->pointer) {
        self->pointer = wl_seat_get_pointer(seat);
        wl_pointer_add_listener(self->pointer, &kPointerListener, &self->running);
    } else if (!hasPointer && self->pointer) {
        wl_pointer_destroy(self->pointer);
        self->pointer = nullptr;
    }
}

bool WlPointerProbe::isAvailable() const
{
    return connection.isConnected() && virtualPointer && pointer;
}

std::optional<WlPointerProbe::Position> WlPointerProbe::locate()
{
    if (!isAvailable()) {
        return std::nullopt;
    }
    Probe probe;
    for (const WlOutputState& state : screens.outputStates()) {
        wl_output* output = screens.output(outputIdentifier(state.name));
        if (!output) {
            continue;
        }
        auto cover = std::make_unique<Cover>();
        cover->logical = state.logical;
        cover->surface = wl_compositor_create_surface(connection.compositor());
        cover->layer = zwlr_layer_shell_v1_get_layer_surface(
            connection.layerShell(), cover->surface, output, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY,
            "halomark-pointer-probe");
        zwlr_layer_surface_v1_add_listener(cover->layer, &kCoverListener, cover.get());
        zwlr_layer_surface_v1_set_anchor(cover->layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP |
                                                           ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                                           ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT |
                                                           ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
        zwlr_layer_surface_v1_set_size(cover->layer, 0, 0);
        zwlr_layer_surface_v1_set_exclusive_zone(cover->layer, -1);
        wl_surface_commit(cover->surface);
        probe.covers.push_back(std::move(cover));
    }
    if (probe.covers.empty() || !connection.roundtrip()) {
        return std::nullopt;
    }
    for (auto& cover : probe.covers) {
        if (!cover->configured) {
            continue;
        }
        if (connection.viewporter() && clearPixel) {
            cover->viewport = wp_viewporter_get_viewport(connection.viewporter(), cover->surface);
            wp_viewport_set_destination(cover->viewport, static_cast<std::int32_t>(cover->width),
                                        static_cast<std::int32_t>(cover->height));
            wl_surface_attach(cover->surface, clearPixel->buffer(), 0, 0);
        } else {
            cover->fullBuffer =
                WlShmBuffer::create(connection.shm(), QSize(static_cast<int>(cover->width),
                                                            static_cast<int>(cover->height)));
            if (!cover->fullBuffer) {
                continue;
            }
            wl_surface_attach(cover->surface, cover->fullBuffer->buffer(), 0, 0);
        }
        wl_surface_commit(cover->surface);
    }
    running = &probe;
    connection.roundtrip();
    // The nudge: a relative motion of nothing makes the compositor find the surface under the
    // pointer again, which is now one of the covers.
    const auto time =
        static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                       std::chrono::steady_clock::now().time_since_epoch())
                                       .count());
    zwlr_virtual_pointer_v1_motion(virtualPointer, time, wl_fixed_from_int(0),
                                   wl_fixed_from_int(0));
    zwlr_virtual_pointer_v1_frame(virtualPointer);
    for (int trip = 0; trip < kMaxTrips && !probe.entered; ++trip) {
        if (!connection.roundtrip()) {
            break;
        }
    }
    running = nullptr;
    const auto result = probe.entered;
    // The covers go with the probe; the compositor hands the pointer back to what lies below.
    return result;
}

} // namespace halomark::wayland
