// The overlay panels on Qt: frameless top-level widgets that stay on top, never take focus,
// are click-through exactly while told so, and stay in level order (see platform/panel_stack.h).
//
// A panel hosts a core view. It forwards the view's mouse events in window coordinates and
// paints the view with a QPainter canvas at the main loop's media time. The window covers the
// device pixels its frame maps to on whichever monitor it lies, and the canvas is scaled so
// that a point of the view is the display's scale in pixels. While the view animates
// it repaints at the display's refresh rate, damaging only the view's animated rectangle; when
// nothing animates nothing repaints. Alpha animations follow the core's AlphaFade.
//
// What a window system adds (window hints, and another way of showing the panels where windows
// cannot be translucent) comes through a QtPanelWindowing that the program gives the factory.
//
// Native windows are made ahead of need: the factory keeps a hidden, hinted window ready for
// each kind of panel it is told to, hands it to the next panel of that kind and takes it back
// when the panel goes, so that showing a cue creates no window on its way to the screen.
#pragma once

#include "platform/alpha_fade.h"
#include "platform/main_loop.h"
#include "platform/panel.h"
#include "platform/panel_stack.h"
#include "platform/screen_list.h"
#include "qt/qt_coordinates.h"

#include <QPointF>
#include <QPointer>
#include <QRect>
#include <QRegion>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

class QPainter;
class QTimer;
class QWidget;

namespace halomark::qt {

struct QtPanelStack;

enum class PointerAction
{
    leftPress,
    leftDrag,
    leftRelease,
    rightPress
};

// How a panel's window shows what its view paints. The panel's own drawing paints the view
// into its translucent window; a window system whose windows cannot be translucent gives
// another one (see QtPanelWindowing). A drawing belongs to one panel and never outlives it.
class QtPanelDrawing
{
public:
    virtual ~QtPanelDrawing() = default;
    // What changed, in the window's pixels.
    virtual void damage(const QRect& rect) = 0;
    // Brings what the window shows up to date at once: as the panel is ordered front, and when
    // it must display now.
    virtual void refresh() = 0;
    virtual void paint(QPainter& painter, const QRegion& region) = 0;
    // Asked while the panel is ordered in, before its window shows: shapes the window to what
    // it shows, and says whether it shows anything.
    virtual bool shapeWindow() = 0;
    // Whether another window takes the panel's mouse events, so that its own lets them through.
    virtual bool takesMouseElsewhere() const = 0;
    // The panel's window showed, hid or moved, or the panel's mouse handling changed. True when
    // a window of the drawing's own showed, so that the panels are raised in order again.
    virtual bool windowChanged() = 0;
    // Raises the drawing's own windows as the panel's window is raised.
    virtual void raise() = 0;
};

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
    // Whether the window is on screen: false while the panel is ordered out, and while its
    // drawing shows nothing.
    bool isWindowShown() const;

    // For drawings: paints the view as the window shows it, in the window's pixels, at the
    // loop's media time; passes a mouse action at a point in the window's pixels on to the
    // view; shows or hides the window after the drawing's shape changed.
    void drawView(QPainter& painter);
    void forwardMouse(PointerAction action, QPointF windowPixel);
    void updateWindowShown();

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
    class TranslucentDrawing;
    friend class Surface;
    friend class QtPanelFactory;
    friend struct QtPanelStack;

    // A hidden native window for a panel of the kind: a kept one if there is one, else a new
    // one. A window goes back to be kept, reset and hidden, as its panel goes.
    static Surface* takeWindow(QtPanelStack& stack, PanelKind kind);
    static Surface* makeWindow(QtPanelStack& stack);
    static void keepOrDelete(QtPanelStack& stack, PanelKind kind, Surface* window);

    // Drawing.
    void damage(std::optional<Rect> viewRect);
    QRect widgetRect(const Rect& viewRect) const;
    void startFramesIfAnimating();
    void frameTick();
    void drawingModeChanged();

    // Window state.
    void applyInputMode();
    void restack();
    void alphaTick();
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
    QTimer* frameTimer = nullptr;   // owned by the surface
    QTimer* alphaTimer = nullptr;   // owned by the surface
    std::uint64_t alphaChanges = 0; // tells an ending animation whether it still applies
    std::optional<AlphaFade> fade;  // the running alpha animation, if any

    std::unique_ptr<QtPanelDrawing> drawing; // never empty
    bool drawsOpaque = false;                // the window system's drawing, for opaque windows
    bool pressForwarded = false;
};

// What a window system adds to the panels: hints on their windows, a way of showing them where
// windows cannot be translucent, and sending what they asked of the window system at once.
// The program gives the factory one; without one panels are plain translucent Qt windows.
class QtPanelWindowing
{
public:
    virtual ~QtPanelWindowing() = default;
    // Sets what the window system needs on a panel's window before it is created natively.
    virtual void prepareWindow(QWidget& window) = 0;
    // The drawing for a panel while windows cannot be translucent (no compositor runs).
    virtual std::unique_ptr<QtPanelDrawing> makeOpaqueDrawing(QtPanel& panel) = 0;
    // Sends the window system's requests at once, so that each step of a fade shows on time.
    virtual void flush() = 0;
};

// Where the core's global points lie in device pixels, asked for each time a panel is framed.
using QtDeviceSpace = std::function<QtCoordinates()>;

// What the panels of one factory share: the loop, the device space, the window system, the
// stacking order and the compositor.
struct QtPanelStack : std::enable_shared_from_this<QtPanelStack>
{
    QtPanelStack(MainLoop& mainLoop, QtDeviceSpace space, QtPanelWindowing* windowing)
        : mainLoop(mainLoop), space(std::move(space)), windowing(windowing)
    {}
    ~QtPanelStack();
    QtPanelStack(const QtPanelStack&) = delete;
    QtPanelStack& operator=(const QtPanelStack&) = delete;

    // Once no window was taken for a while: makes a window for each kept kind that has none,
    // and lets the kept windows' images go (see QtPanel::keepOrDelete).
    void refillWindows();
    void scheduleRefill(double delay);

    MainLoop& mainLoop;
    QtDeviceSpace space;
    QtPanelWindowing* windowing;
    bool compositorActive = false;
    std::vector<std::weak_ptr<QtPanel>> all;
    PanelStack order; // the panels ordered in

    std::set<PanelKind> keptKinds;                            // the kinds kept ready
    std::map<PanelKind, std::vector<QPointer<QWidget>>> kept; // hidden, at most one per kind
    int windowsMade = 0;
    double lastTaken = 0; // on the loop's clock
    bool refillScheduled = false;
};

class QtPanelFactory final : public PanelFactory
{
public:
    // Panels draw at the loop's media time and animate on it, place their frames in the
    // device space, and take what the window system adds from the windowing, if any. The loop,
    // the windowing and whatever the space reads must outlive every panel.
    QtPanelFactory(MainLoop& mainLoop, QtDeviceSpace space, QtPanelWindowing* windowing = nullptr);
    // The device space known from the screens alone: the first screen's top-left corner at the
    // device origin, at that screen's scale (see QtCoordinates::global).
    QtPanelFactory(MainLoop& mainLoop, ScreenList& screens, QtPanelWindowing* windowing = nullptr);

    // Whether a compositor composes translucent windows. Until told, the factory assumes none,
    // and panels show with the windowing's opaque drawing, which never hides the screen.
    // Panels that exist switch at once.
    void setCompositorActive(bool active);
    bool compositorActive() const { return stack->compositorActive; }

    // The panels ordered in, the frontmost first.
    std::vector<std::shared_ptr<QtPanel>> frontToBack() const;

    // Keeps a native window ready for the next panel of each kind: made now, and again once
    // no window was handed out for a while if none came back by then. Without this, each
    // panel makes its own window.
    void keepWindowsReady(const std::set<PanelKind>& kinds);
    // How many native windows the factory's panels were given that had to be made.
    int windowsMade() const { return stack->windowsMade; }

    std::shared_ptr<Panel> makePanel(const PanelConfiguration& configuration) override;

private:
    std::shared_ptr<QtPanelStack> stack;
};

} // namespace halomark::qt
