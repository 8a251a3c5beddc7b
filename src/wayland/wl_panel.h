// The overlay panels on wlroots compositors: each panel ordered front is a layer-shell surface
// on the output its frame lies on, anchored at the output's top-left corner and offset by
// margins so that it covers exactly the frame (an exclusive zone of -1 keeps other panels'
// zones from moving it). Ordering out destroys the surface; ordering front makes one. Levels
// are kept apart by layers, both above every window: the screen-saver level and higher on the
// overlay layer, lower levels on the top layer (where a full-screen window covers them). The
// order within a layer is the compositor's.
//
// The pixels are the core's view painted by the Qt canvas into shared-memory buffers, two
// alternating, each repainted only where it is out of date and never while the compositor
// still reads it. While the view or an alpha fade animates, the compositor's frame callbacks
// pace the repaints; when nothing animates nothing repaints. The alpha multiplies the painted
// pixels. A click-through panel has an empty input region; one that takes the mouse takes it
// over its whole frame but forwards nothing to its view.
#pragma once

#include "platform/alpha_fade.h"
#include "platform/main_loop.h"
#include "platform/panel.h"
#include "platform/panel_stack.h"
#include "wayland/wl_connection.h"
#include "wayland/wl_screen_list.h"

#include <QRegion>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct wl_callback;
struct wl_surface;
struct zwlr_layer_surface_v1;

namespace halomark::wayland {

class WlShmBuffer;
class WlPanel;

// What the panels of one factory share.
struct WlPanelStack
{
    WlConnection& connection;
    WlScreenList& screens;
    MainLoop& mainLoop;
    PanelStack order; // the panels ordered in
};

class WlPanel final : public Panel, public std::enable_shared_from_this<WlPanel>
{
public:
    WlPanel(const PanelConfiguration& configuration, std::shared_ptr<WlPanelStack> stack);
    ~WlPanel() override;
    WlPanel(const WlPanel&) = delete;
    WlPanel& operator=(const WlPanel&) = delete;

    int level() const { return levelValue; }
    bool ignoresMouseEvents() const { return ignoresMouse; }
    double alphaValue() const { return shownAlpha; }
    // Whether a layer surface exists for the panel and has been shown at least once.
    bool isMapped() const { return surface && attached; }
    // Frames committed so far, for the measurements.
    std::uint64_t frameCount() const { return frames; }

    // Panel.
    void setLevel(int level) override;
    void setIgnoresMouseEvents(bool ignores) override;
    void setAlphaValue(double alpha) override;
    void animateAlphaValue(double alpha, double duration, const TimingFunction& timing,
                           std::function<void()> completion) override;
    void setAnimationBehavior(AnimationBehavior) override {}
    void setCollectionBehavior(std::uint64_t) override {}
    Rect frame() const override { return contentRect; }
    void setFrame(const Rect& frame) override;
    void setContentView(std::shared_ptr<OverlayView> view) override;
    std::shared_ptr<OverlayView> contentView() const override { return content; }
    void orderFrontRegardless() override;
    void orderOut() override;
    bool isVisible() const override { return visible; }
    double backingScaleFactor() const override { return scale; }
    void displayIfNeeded() override;

private:
    struct Placement;
    std::optional<Placement> placement() const;
    void map();
    void unmap();
    void applyInputRegion();
    void configured(std::uint32_t serial, std::uint32_t width, std::uint32_t height);
    void closed();
    void frameDone();
    void damage(std::optional<Rect> viewRect);
    void requestRender();
    void render();
    void paint(WlShmBuffer& buffer);
    WlShmBuffer* freeBuffer();
    double alphaAt(double now);

    static void handleConfigure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial,
                                std::uint32_t width, std::uint32_t height);
    static void handleClosed(void* data, zwlr_layer_surface_v1* layer);
    static void handleFrameDone(void* data, wl_callback* callback, std::uint32_t time);

    PanelConfiguration config;
    std::shared_ptr<WlPanelStack> stack;
    Rect contentRect;
    int levelValue = 0;
    bool ignoresMouse = true;
    bool visible = false;
    std::shared_ptr<OverlayView> content;

    // The alpha: the model value and the fade towards it, if one runs.
    double alphaModel = 1;
    double shownAlpha = 1;
    std::optional<AlphaFade> fade;
    std::uint64_t alphaChanges = 0;

    // The surface while ordered in.
    wl_surface* surface = nullptr;
    zwlr_layer_surface_v1* layer = nullptr;
    wl_callback* frameCallback = nullptr;
    DisplayIdentifier output = 0;
    double scale = 1;
    QSize pixelSize;
    bool isConfigured = false;
    bool attached = false;

    std::array<std::unique_ptr<WlShmBuffer>, 2> buffers;
    QRegion surfaceDamage; // what changed since the last commit, in buffer pixels
    bool renderPosted = false;
    std::uint64_t frames = 0;
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);
};

class WlPanelFactory final : public PanelFactory
{
public:
    // The connection, the screens and the loop must outlive every panel.
    WlPanelFactory(WlConnection& connection, WlScreenList& screens, MainLoop& mainLoop);

    // The panels ordered in, the frontmost first.
    std::vector<std::shared_ptr<WlPanel>> frontToBack() const;

    std::shared_ptr<Panel> makePanel(const PanelConfiguration& configuration) override;

private:
    std::shared_ptr<WlPanelStack> stack;
};

} // namespace halomark::wayland
