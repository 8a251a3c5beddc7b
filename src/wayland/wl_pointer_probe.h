// Finds where the pointer is on a compositor that offers no query for it: for a moment it maps
// a transparent, input-taking overlay surface over every output, nudges the pointer by zero
// through a virtual pointer so that the compositor looks again at what lies under it, and reads
// the position from the enter event one of the surfaces gets; then it removes the surfaces.
// This costs a few round trips, so it runs only when asked. Needs layer shell and the virtual
// pointer protocol; without them, or when no surface was entered, there is no answer.
#pragma once

#include "wayland/wl_connection.h"
#include "wayland/wl_screen_list.h"

#include <memory>
#include <optional>

struct wl_pointer;
struct wl_seat;
struct zwlr_virtual_pointer_v1;

namespace halomark::wayland {

class WlShmBuffer;

class WlPointerProbe
{
public:
    WlPointerProbe(WlConnection& connection, WlScreenList& screens);
    ~WlPointerProbe();
    WlPointerProbe(const WlPointerProbe&) = delete;
    WlPointerProbe& operator=(const WlPointerProbe&) = delete;

    bool isAvailable() const;
    // The pointer in the compositor's logical space.
    struct Position
    {
        double x = 0;
        double y = 0;
    };
    std::optional<Position> locate();

    struct Probe;

private:
    static void seatCapabilities(void* data, wl_seat* seat, std::uint32_t capabilities);

    WlConnection& connection;
    WlScreenList& screens;
    zwlr_virtual_pointer_v1* virtualPointer = nullptr;
    wl_pointer* pointer = nullptr;
    std::unique_ptr<WlShmBuffer> clearPixel;
    Probe* running = nullptr; // the probe under way, which the pointer's enter reports to
};

} // namespace halomark::wayland
