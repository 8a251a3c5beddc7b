// The input state port on Wayland, where no client may read the keyboard or the buttons of
// another client's windows: no key, modifier or button is ever reported held (taps reach the
// program through the compositor's key bindings calling `halomark locate`), and the pointer is
// found by the pointer probe when asked, once per turn of the main loop. When the probe has no
// answer the last position found stands; before the first, the middle of the main screen.
#pragma once

#include "platform/input_state.h"
#include "platform/main_loop.h"
#include "wayland/wl_pointer_probe.h"
#include "wayland/wl_screen_list.h"

#include <cstdint>
#include <optional>

namespace halomark::wayland {

class WlInputState final : public InputState
{
public:
    WlInputState(MainLoop& mainLoop, WlScreenList& screens, WlPointerProbe& probe);

    bool keyState(KeyCode) override { return false; }
    EventFlags flagsState() override { return 0; }
    bool buttonState(MouseButton) override { return false; }
    bool isNonModifierKeyDown() override { return false; }
    Point mouseLocation() override;
    bool readsKeysAndButtons() const override { return false; }

    // How many probes ran, for the measurements.
    std::uint64_t probeCount() const { return probes; }

private:
    MainLoop& mainLoop;
    WlScreenList& screens;
    WlPointerProbe& probe;
    std::optional<Point> last;
    std::optional<std::uint64_t> probedInTurn;
    std::uint64_t probes = 0;
};

} // namespace halomark::wayland
