// Overlay panels for tests. The factory records every panel it makes, each panel records
// every setting and order in sequence, and the factory keeps the front-to-back order of the
// panels that are ordered in, by level as every panel adapter orders them (see
// platform/panel_stack.h). Panels are held weakly here, so tests also see when the code
// under test lets one go. Tests can make the next content view lose its backing layer, as a
// view can on a platform that refuses layers, and choose each display's scale. Alpha
// animations run on the main loop's virtual clock: the alpha reads along the curve while one
// runs, and its completion is called from the loop when it ends.
#pragma once

#include "platform/alpha_fade.h"
#include "platform/main_loop.h"
#include "platform/panel.h"
#include "platform/panel_stack.h"
#include "sim/sim_canvas.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace halomark::sim {

class SimPanel;

// What the panels of one factory share: the on-screen order and the test's settings.
struct SimPanelStack
{
    PanelStack order;
    bool nextContentViewLayerless = false;
};

class SimPanel final : public Panel, public std::enable_shared_from_this<SimPanel>
{
public:
    SimPanel(int number, const PanelConfiguration& configuration, double scale, MainLoop& clock,
             std::shared_ptr<SimPanelStack> stack);
    ~SimPanel() override;

    // Control surface.
    int number() const { return creationNumber; } // 0 for the factory's first panel
    const PanelConfiguration& configuration() const { return config; }
    // Every call in order: "setLevel 1000", "setIgnoresMouseEvents true", "setAlphaValue 1",
    // "setAnimationBehavior 2", "setCollectionBehavior 337", "setFrame x y w h",
    // "setContentView", "orderFrontRegardless", "orderOut", "displayIfNeeded",
    // "animateAlphaValue 0 0.85" (target, duration).
    const std::vector<std::string>& calls() const { return callLog; }
    std::optional<int> level() const { return levelValue; }
    std::optional<bool> ignoresMouseEvents() const { return ignoresMouse; }
    // The alpha as shown at the clock's time: along the curve while an animation runs.
    std::optional<double> alphaValue() const;

    using AlphaAnimation = AlphaFade;
    // The alpha animation that drives the alpha now; nothing once it ended or an alpha set
    // directly replaced it.
    const std::optional<AlphaAnimation>& alphaAnimation() const { return runningAlpha; }
    std::optional<AnimationBehavior> animationBehavior() const { return animation; }
    std::optional<std::uint64_t> collectionBehavior() const { return collection; }
    void setBackingScaleFactor(double scale) { scaleFactor = scale; }
    // Requests for display made by the content view, and the part asked for in the last one.
    int displayRequestCount() const { return displayRequests; }
    std::optional<Rect> lastDisplayRequest() const { return lastRequest; }
    // What the last displayIfNeeded that drew anything drew, and how many times it drew.
    const SimCanvas& lastFrame() const { return drawnFrame; }
    int displayCount() const { return displays; }

    // Panel.
    void setLevel(int level) override;
    void setIgnoresMouseEvents(bool ignores) override;
    void setAlphaValue(double value) override;
    void animateAlphaValue(double value, double duration, const TimingFunction& timing,
                           std::function<void()> completion) override;
    void setAnimationBehavior(AnimationBehavior behavior) override;
    void setCollectionBehavior(std::uint64_t behavior) override;
    Rect frame() const override { return contentRect; }
    void setFrame(const Rect& frame) override;
    void setContentView(std::shared_ptr<OverlayView> view) override;
    std::shared_ptr<OverlayView> contentView() const override { return content; }
    void orderFrontRegardless() override;
    void orderOut() override;
    bool isVisible() const override { return visible; }
    double backingScaleFactor() const override { return scaleFactor; }
    void displayIfNeeded() override;

private:
    int creationNumber;
    PanelConfiguration config;
    Rect contentRect;
    double scaleFactor;
    MainLoop& clock;
    std::shared_ptr<SimPanelStack> stack;

    std::vector<std::string> callLog;
    std::optional<int> levelValue;
    std::optional<bool> ignoresMouse;
    std::optional<double> alpha; // the model value: an animation's target once it started
    std::optional<AlphaAnimation> runningAlpha;
    std::uint64_t alphaChanges = 0; // tells an ending animation whether it still drives alpha
    std::optional<AnimationBehavior> animation;
    std::optional<std::uint64_t> collection;
    std::shared_ptr<OverlayView> content;
    bool visible = false;
    int displayRequests = 0;
    std::optional<Rect> lastRequest;
    SimCanvas drawnFrame;
    int displays = 0;
};

class SimPanelFactory final : public PanelFactory
{
public:
    // Panels draw their content at the clock's media time and animate on its clock.
    explicit SimPanelFactory(MainLoop& clock) : clock(clock) {}

    // Control surface.
    int createdCount() const { return static_cast<int>(created.size()); }
    // The panel made as the given number (0 first); empty once the code let it go.
    std::shared_ptr<SimPanel> panel(int number) const;
    // The panels ordered in, the frontmost first.
    std::vector<std::shared_ptr<SimPanel>> frontToBack() const;
    // The content view given to the next setContentView of any panel loses its backing layer.
    void makeNextContentViewLayerless() { stack->nextContentViewLayerless = true; }
    // The scale of panels made later on the display (1 unless set).
    void setBackingScaleFactor(DisplayIdentifier display, double scale) { scales[display] = scale; }

    // PanelFactory.
    std::shared_ptr<Panel> makePanel(const PanelConfiguration& configuration) override;

private:
    MainLoop& clock;
    std::shared_ptr<SimPanelStack> stack = std::make_shared<SimPanelStack>();
    std::vector<std::weak_ptr<SimPanel>> created;
    std::map<DisplayIdentifier, double> scales;
};

} // namespace halomark::sim
