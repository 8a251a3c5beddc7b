// The screens port on Wayland: one screen per wl_output, in the order of their logical
// positions (left to right, then top to bottom), placed and sized by xdg-output's logical
// geometry (the compositor's layout, already divided by each output's scale), falling back to
// the output's mode and integer scale without it. The output's name (HEADLESS-1, DP-2) is its
// identity and display identifier, so an output that goes and comes back keeps it. Layer
// shell does not report the exclusive zones of other clients' panels, so an output's usable
// frame is its whole frame. The main screen is the first unless the window source names the
// focused output (through sway's IPC in the program). Changes reach the handler on a later turn of
// the main loop, once per burst.
#pragma once

#include "platform/main_loop.h"
#include "platform/screen_list.h"
#include "wayland/wl_connection.h"
#include "wayland/wl_coordinates.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct wl_output;

namespace halomark::wayland {

// One output as the compositor describes it.
struct WlOutputState
{
    std::string name;
    LogicalRect logical;
    int scale = 1; // buffer pixels per logical pixel, rounded up
    bool complete = false;

    friend bool operator==(const WlOutputState&, const WlOutputState&) = default;
};

// The stable 32-bit identifier of an output's name (FNV-1a), its display identifier.
std::uint32_t outputIdentifier(const std::string& name);

// The screens and their coordinates for a set of outputs, in system order.
struct WlScreenLayout
{
    std::vector<Screen> screens;
    std::vector<WlOutputState> outputs; // in the order of screens
    WlCoordinates space;
};
WlScreenLayout layoutScreens(std::vector<WlOutputState> outputs);

class WlScreenList final : public ScreenList
{
public:
    WlScreenList(WlConnection& connection, MainLoop& mainLoop);
    ~WlScreenList() override;
    WlScreenList(const WlScreenList&) = delete;
    WlScreenList& operator=(const WlScreenList&) = delete;

    std::vector<Screen> screens() override { return layout.screens; }
    std::optional<Screen> mainScreen() override;
    void setChangeHandler(std::function<void()> handler) override;

    // Names the output that has the keyboard focus, asked each time the main screen is.
    void setFocusedOutputSource(std::function<std::optional<std::string>()> source);

    const WlCoordinates& coordinates() const { return layout.space; }
    const std::vector<WlOutputState>& outputStates() const { return layout.outputs; }
    // The protocol object of the output with this display identifier, or null.
    wl_output* output(DisplayIdentifier display) const;

    struct Output;

private:
    void outputChanged();
    void relayout();

    WlConnection& connection;
    MainLoop& mainLoop;
    std::vector<std::unique_ptr<Output>> outputs;
    WlScreenLayout layout;
    std::function<std::optional<std::string>()> focusedOutput;
    std::function<void()> changeHandler;
    bool notificationPending = false;
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);
};

} // namespace halomark::wayland
