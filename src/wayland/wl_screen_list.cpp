#include "wayland/wl_screen_list.h"

#include "xdg-output-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <algorithm>
#include <tuple>

namespace halomark::wayland {

// The protocol objects of one output and what they said so far.
struct WlScreenList::Output
{
    WlScreenList* owner = nullptr;
    std::uint32_t globalName = 0;
    wl_output* output = nullptr;
    zxdg_output_v1* xdgOutput = nullptr;
    WlOutputState state;
    // From wl_output, used when xdg-output is missing.
    int modeWidth = 0;
    int modeHeight = 0;
    int transform = WL_OUTPUT_TRANSFORM_NORMAL;
    bool hasLogicalSize = false;

    ~Output()
    {
        if (xdgOutput) {
            zxdg_output_v1_destroy(xdgOutput);
        }
        if (output) {
            if (wl_output_get_version(output) >= WL_OUTPUT_RELEASE_SINCE_VERSION) {
                wl_output_release(output);
            } else {
                wl_output_destroy(output);
            }
        }
    }

    void done()
    {
        if (!hasLogicalSize) {
            // Without xdg-output: the mode, turned as the output is, divided by its scale.
            const bool turned = transform % 2 == 1;
            state.logical.width = (turned ? modeHeight : modeWidth) / std::max(1, state.scale);
            state.logical.height = (turned ? modeWidth : modeHeight) / std::max(1, state.scale);
        }
        state.complete = state.logical.width > 0 && state.logical.height > 0;
        owner->outputChanged();
    }
};

namespace {

using Output = WlScreenList::Output;

void outputGeometry(void* data, wl_output*, std::int32_t x, std::int32_t y, std::int32_t,
                    std::int32_t, std::int32_t, const char*, const char*, std::int32_t transform)
{
    auto* output = static_cast<Output*>(data);
    output->transform = transform;
    if (!output->hasLogicalSize) {
        output->state.logical.x = x;
        output->state.logical.y = y;
    }
}

void outputMode(void* data, wl_output*, std::uint32_t flags, std::int32_t width,
                std::int32_t height, std::int32_t)
{
    if (flags & WL_OUTPUT_MODE_CURRENT) {
        auto* output = static_cast<Output*>(data);
        output->modeWidth = width;
        output->modeHeight = height;
    }
}

void outputDone(void* data, wl_output*)
{
    static_cast<Output*>(data)->done();
}

void outputScale(void* data, wl_output*, std::int32_t factor)
{
    static_cast<Output*>(data)->state.scale = std::max(1, factor);
}

void outputName(void* data, wl_output*, const char* name)
{
    static_cast<Output*>(data)->state.name = name ? name : "";
}

void outputDescription(void*, wl_output*, const char*) {}

const wl_output_listener kOutputListener = {outputGeometry, outputMode, outputDone,
                                            outputScale,    outputName, outputDescription};

void xdgPosition(void* data, zxdg_output_v1*, std::int32_t x, std::int32_t y)
{
    auto* output = static_cast<Output*>(data);
    output->state.logical.x = x;
    output->state.logical.y = y;
}

void xdgSize(void* data, zxdg_output_v1*, std::int32_t width, std::int32_t height)
{
    auto* output = static_cast<Output*>(data);
    output->hasLogicalSize = width > 0 && height > 0;
    output->state.logical.width = width;
    output->state.logical.height = height;
}

void xdgDone(void* data, zxdg_output_v1* xdgOutput)
{
    // From version 3 on, wl_output.done closes each change instead.
    if (zxdg_output_v1_get_version(xdgOutput) < 3) {
        static_cast<Output*>(data)->done();
    }
}

void xdgName(void* data, zxdg_output_v1*, const char* name)
{
    auto* output = static_cast<Output*>(data);
    if (output->state.name.empty() && name) {
        output->state.name = name;
    }
}

void xdgDescription(void*, zxdg_output_v1*, const char*) {}

const zxdg_output_v1_listener kXdgOutputListener = {xdgPosition, xdgSize, xdgDone, xdgName,
                                                    xdgDescription};

} // namespace

std::uint32_t outputIdentifier(const std::string& name)
{
    std::uint32_t hash = 2166136261u;
    for (const unsigned char c : name) {
        hash = (hash ^ c) * 16777619u;
    }
    return hash;
}

WlScreenLayout layoutScreens(std::vector<WlOutputState> outputs)
{
    std::erase_if(outputs, [](const WlOutputState& output) { return !output.complete; });
    std::stable_sort(outputs.begin(), outputs.end(), [](const auto& a, const auto& b) {
        return std::tie(a.logical.x, a.logical.y) < std::tie(b.logical.x, b.logical.y);
    });
    WlScreenLayout layout;
    if (!outputs.empty()) {
        layout.space.primary = outputs.front().logical;
    }
    for (const WlOutputState& output : outputs) {
        Screen screen;
        screen.frame = layout.space.toPoints(output.logical);
        screen.visibleFrame = screen.frame;
        screen.screenNumber = outputIdentifier(output.name);
        screen.objectIdentity = outputIdentifier(output.name);
        screen.backingScaleFactor = output.scale;
        layout.screens.push_back(screen);
    }
    layout.outputs = std::move(outputs);
    return layout;
}

WlScreenList::WlScreenList(WlConnection& connection, MainLoop& mainLoop)
    : connection(connection), mainLoop(mainLoop)
{
    connection.setOutputHandlers(
        [this](const WlConnection::OutputGlobal& global) {
            auto entry = std::make_unique<Output>();
            entry->owner = this;
            entry->globalName = global.name;
            entry->output = this->connection.bindOutput(global);
            if (!entry->output) {
                return;
            }
            wl_output_add_listener(entry->output, &kOutputListener, entry.get());
            if (auto* manager = this->connection.xdgOutputManager()) {
                entry->xdgOutput = zxdg_output_manager_v1_get_xdg_output(manager, entry->output);
                zxdg_output_v1_add_listener(entry->xdgOutput, &kXdgOutputListener, entry.get());
            }
            outputs.push_back(std::move(entry));
        },
        [this](std::uint32_t name) {
            std::erase_if(outputs, [name](const auto& entry) { return entry->globalName == name; });
            outputChanged();
        });
    // The outputs describe themselves in the next round trip.
    connection.roundtrip();
    relayout();
}

WlScreenList::~WlScreenList()
{
    connection.setOutputHandlers(nullptr, nullptr);
}

std::optional<Screen> WlScreenList::mainScreen()
{
    if (layout.screens.empty()) {
        return std::nullopt;
    }
    if (const auto name = focusedOutput ? focusedOutput() : std::nullopt) {
        for (std::size_t i = 0; i < layout.outputs.size(); ++i) {
            if (layout.outputs[i].name == *name) {
                return layout.screens[i];
            }
        }
    }
    return layout.screens.front();
}

void WlScreenList::setChangeHandler(std::function<void()> handler)
{
    changeHandler = std::move(handler);
}

void WlScreenList::setFocusedOutputSource(std::function<std::optional<std::string>()> source)
{
    focusedOutput = std::move(source);
}

wl_output* WlScreenList::output(DisplayIdentifier display) const
{
    for (const auto& entry : outputs) {
        if (entry->state.complete && outputIdentifier(entry->state.name) == display) {
            return entry->output;
        }
    }
    return nullptr;
}

void WlScreenList::relayout()
{
    std::vector<WlOutputState> states;
    for (const auto& entry : outputs) {
        states.push_back(entry->state);
    }
    layout = layoutScreens(std::move(states));
}

void WlScreenList::outputChanged()
{
    const auto before = layout.screens;
    relayout();
    if (layout.screens == before || notificationPending) {
        return;
    }
    notificationPending = true;
    mainLoop.post([this, alive = std::weak_ptr<bool>(alive)] {
        if (alive.expired()) {
            return;
        }
        notificationPending = false;
        if (changeHandler) {
            changeHandler();
        }
    });
}

} // namespace halomark::wayland
