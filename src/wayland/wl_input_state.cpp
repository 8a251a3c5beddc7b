#include "wayland/wl_input_state.h"

namespace halomark::wayland {

WlInputState::WlInputState(MainLoop& mainLoop, WlScreenList& screens, WlPointerProbe& probe)
    : mainLoop(mainLoop), screens(screens), probe(probe)
{}

Point WlInputState::mouseLocation()
{
    const std::uint64_t turn = mainLoop.turnNumber();
    if (probedInTurn != turn) {
        probedInTurn = turn;
        ++probes;
        if (const auto found = probe.locate()) {
            last = screens.coordinates().toPoints(found->x, found->y);
        }
    }
    if (last) {
        return *last;
    }
    if (const auto screen = screens.mainScreen()) {
        return {screen->frame.midX(), screen->frame.midY()};
    }
    return {};
}

} // namespace halomark::wayland
