// The overlay panels on Qt: frameless top-level widgets that bypass the window manager (under a
// managing window manager the frame it adds would swallow clicks meant for the window below),
// never take focus, are click-through exactly while told so, and stay in level order: a panel
// ordered front goes above every panel of its level and below every panel of a higher one.
//
// A panel hosts a core view. It forwards the view's mouse events in window coordinates and
// paints the view with a QPainter canvas at the main loop's media time. The window covers the
// device pixels its frame maps to on whichever monitor it lies, and the canvas is scaled so
// that a point of the view is the display's scale in pixels. While the view animates
// it repaints at the display's refresh rate, damaging only the view's animated rectangle; when
// nothing animates nothing repaints.
//
// With a compositor the panels are translucent. Without one a translucent window shows as an
// opaque sheet that would hide the screen, so every panel then shows only the band along the
// edges of what its view painted, in opaque colours, cut out with a shape mask (see
// qt_outline_shape.h); a panel that takes the mouse takes it through an input-only window over
// its frame, even where it shows nothing. Alpha needs a compositor: without one it is kept but
// has no visible effect.
#pragma once

#include "platform/main_loop.h"
#include "platform/panel.h"
#include "platform/screen_list.h"
#include "qt/qt_coordinates.h"

#include <QPointer>
#include <QRect>
#include <QRegion>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QImage;
class QPainter;
class QPointF;
class QTimer;
class QWidget;

namespace halomark::qt {

class QtX11InputWindow;
enum class PointerAction;
struct QtPanelStack;

class QtPanel final : public Panel, public std::enable_shared_from_this<QtPanel>
{
public:
    // Made by QtPanelFactory.
    QtPanel(const PanelConfiguration& configuration, std::shared_ptr<QtPanelStack> stack);
    ~QtPanel() override;
    QtPanel(const QtPanel&) = delete;
    QtPanel& operator=(const QtPanel&) = delete;

    // The top-level window. It is deleted on a later turn of the event loop after the panel
    // goes, so that a panel released from inside one of the window's own events is safe.
    QWidget* widget() const;

    const PanelConfiguration& configuration() const { return config; }
    int level() const { return levelValue; }
    bool ignoresMouseEvents() const { return ignoresMouse; }
    // The alpha as it is now, along the curve while an animation runs.
    double alphaValue() const { return shownAlpha; }
    // Whether the panel shows only its view's outline band (no compositor).
    bool showsOutlineOnly() const;
    // The shape shown in that mode, in the window's coordinates; empty when nothing shows.
    const QRegion& outlineShape() const { return outlineMask; }
    // Whether the window is on screen: false while the panel is ordered out, and while it
    // shows only an outline and that outline is empty.
    bool isWindowShown() const;

    // Panel.
    void setLevel(int level) override;
    void setIgnoresMouseEvents(bool ignores) override;
    void setAlphaValue(double alpha) override;
    void animateAlphaValue(double alpha, double duration, const TimingFunction& timing,
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
    double backingScaleFactor() const override;
    void displayIfNeeded() override;

private:
    class Surface;
    friend class Surface;
    friend class QtPanelFactory;

    // Drawing.
    void paint(QPainter& painter, const QRegion& region);
    void display(QPainter& painter);
    void damage(std::optional<Rect> viewRect);
    QRect widgetRect(const Rect& viewRect) const;
    void startFramesIfAnimating();
    void frameTick();
    void refreshOutline();
    void renderOutline(const QRect& dirty);
    void drawingModeChanged();

    // Input.
    void forward(PointerAction action, QPointF windowPixel);
    void applyInputMode();

    // Window state.
    void updateWindowShown();
    void restack();
    void applyAlpha(double alpha);

    PanelConfiguration config;
    std::shared_ptr<QtPanelStack> stack;
    Rect contentRect;
    // The window's content coordinates as of the last frame, so that drawing and the mouse
    // agree with where the window is even if the display's scale changed since.
    QtCoordinates windowSpace = QtCoordinates::global(std::vector<Screen>{});
    int levelValue = 0;
    bool ignoresMouse = false;
    double alphaModel = 1;
    double shownAlpha = 1;
    bool visible = false;
    std::shared_ptr<OverlayView> content;

    QPointer<Surface> surface;
    QTimer* frameTimer = nullptr;     // owned by the surface
    QTimer* alphaTimer = nullptr;     // owned by the surface
    QTimer* outlineRefresh = nullptr; // owned by the surface
    std::uint64_t alphaChanges = 0;   // tells an ending animation whether it still applies
    std::function<void()> alphaStep;  // the running animation's step, if any

    // No compositor: what the view painted, in opaque colours, and the shape that shows.
    bool outlineMode = false;
    std::unique_ptr<QImage> outlineImage;
    QRegion outlineMask;
    QRegion outlineDirty;
    std::unique_ptr<QtX11InputWindow> inputWindow;
    bool pressForwarded = false;
};

// Where the core's global points lie in device pixels, asked for each time a panel is framed.
using QtDeviceSpace = std::function<QtCoordinates()>;

// What the panels of one factory share: the loop, the device space, the stacking order and
// the compositor.
struct QtPanelStack
{
    QtPanelStack(MainLoop& mainLoop, QtDeviceSpace space)
        : mainLoop(mainLoop), space(std::move(space))
    {}

    MainLoop& mainLoop;
    QtDeviceSpace space;
    bool compositorActive = false;
    bool toldAboutCompositor = false;
    std::vector<std::weak_ptr<QtPanel>> all;
    std::vector<std::weak_ptr<QtPanel>> bottomToTop; // the panels ordered in
};

class QtPanelFactory final : public PanelFactory
{
public:
    // Panels draw at the loop's media time and animate on it, and place their frames in the
    // device space. The loop, and whatever the space reads, must outlive every panel.
    QtPanelFactory(MainLoop& mainLoop, QtDeviceSpace space);
    // The device space known from the screens alone: the first screen's top-left corner at the
    // device origin, at that screen's scale (see QtCoordinates::global).
    QtPanelFactory(MainLoop& mainLoop, ScreenList& screens);

    // Whether a compositor composes translucent windows. Until told, the factory assumes none,
    // which never hides the screen. Panels that exist switch at once.
    void setCompositorActive(bool active);
    bool compositorActive() const { return stack->compositorActive; }

    // The panels ordered in, the frontmost first.
    std::vector<std::shared_ptr<QtPanel>> frontToBack() const;

    std::shared_ptr<Panel> makePanel(const PanelConfiguration& configuration) override;

private:
    std::shared_ptr<QtPanelStack> stack;
};

} // namespace halomark::qt
