#include "qt/qt_panel.h"

#include "qt/qt_canvas.h"
#include "qt/qt_coordinates.h"

#include <QBackingStore>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace halomark::qt {
namespace {

constexpr double kFallbackRefreshRate = 60.0;

// How long after the last kept window was handed out the kept windows are seen to: long
// enough that a cue is over by then and its window returns, so that a window is made only
// when cues overlap, and never while one is on its way to the screen.
constexpr double kRefillDelay = 1.5;

constexpr Qt::WindowFlags kPanelFlags = Qt::Window | Qt::FramelessWindowHint |
                                        Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus |
                                        Qt::NoDropShadowWindowHint;

// Milliseconds between frames at the refresh rate of the widget's screen.
int frameInterval(const QWidget& widget)
{
    const QScreen* screen = widget.screen();
    const double rate =
        screen && screen->refreshRate() >= 1 ? screen->refreshRate() : kFallbackRefreshRate;
    return std::max(1, static_cast<int>(std::lround(1000.0 / rate)));
}

} // namespace

// The panel's window. It only passes paint and mouse events on; the panel decides. Kept
// between panels, it belongs to one panel at a time, or to none while it is kept.
class QtPanel::Surface final : public QWidget
{
public:
    Surface() : QWidget(nullptr, kPanelFlags)
    {
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_ShowWithoutActivating);
        setFocusPolicy(Qt::NoFocus);
        setWindowTitle(QStringLiteral("Halomark overlay"));
    }

    void attach(QtPanel* panel) { owner = panel; }
    void detach() { owner = nullptr; }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        if (owner) {
            QPainter painter(this);
            owner->drawing->paint(painter, event->region());
        }
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        event->accept();
        if (!owner) {
            return;
        }
        if (event->button() == Qt::LeftButton) {
            owner->forwardMouse(PointerAction::leftPress, event->position());
        } else if (event->button() == Qt::RightButton) {
            owner->forwardMouse(PointerAction::rightPress, event->position());
        }
    }

    void mouseMoveEvent(QMouseEvent* event) override
    {
        event->accept();
        if (owner && (event->buttons() & Qt::LeftButton)) {
            owner->forwardMouse(PointerAction::leftDrag, event->position());
        }
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        event->accept();
        if (owner && event->button() == Qt::LeftButton) {
            owner->forwardMouse(PointerAction::leftRelease, event->position());
        }
    }

    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        if (owner) {
            owner->damage(std::nullopt);
        }
    }

private:
    QtPanel* owner = nullptr;
};

// Qt's own drawing: the view painted into the translucent window.
class QtPanel::TranslucentDrawing final : public QtPanelDrawing
{
public:
    explicit TranslucentDrawing(QtPanel& panel) : panel(panel) {}

    // Qt drops updates of a hidden window. What changed while it was hidden is asked for as it
    // shows, so that a panel shown and displayed at once paints without waiting for exposure.
    void damage(const QRect& rect) override
    {
        if (panel.surface->isVisible()) {
            panel.surface->update(rect);
        } else {
            hiddenDamage += rect;
        }
    }
    void refresh() override {}
    void paint(QPainter& painter, const QRegion& region) override
    {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        for (const QRect& rect : region) {
            painter.fillRect(rect, Qt::transparent);
        }
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.setClipRegion(region);
        panel.drawView(painter);
    }
    bool shapeWindow() override { return true; }
    bool takesMouseElsewhere() const override { return false; }
    bool windowChanged() override
    {
        if (panel.surface->isVisible() && !hiddenDamage.isEmpty()) {
            panel.surface->update(hiddenDamage);
            hiddenDamage = QRegion();
        }
        return false;
    }
    void raise() override {}

private:
    QtPanel& panel;
    QRegion hiddenDamage;
};

QtPanel::QtPanel(const PanelConfiguration& configuration, std::shared_ptr<QtPanelStack> stack)
    : config(configuration), stack(std::move(stack)), contentRect(configuration.contentRect),
      levelValue(configuration.level), ignoresMouse(configuration.ignoresMouseEvents),
      surface(takeWindow(*this->stack, configuration.kind)),
      drawing(std::make_unique<TranslucentDrawing>(*this))
{
    surface->attach(this);
    frameTimer = new QTimer(surface);
    frameTimer->setTimerType(Qt::PreciseTimer);
    QObject::connect(frameTimer, &QTimer::timeout, surface, [this] { frameTick(); });
    alphaTimer = new QTimer(surface);
    alphaTimer->setTimerType(Qt::PreciseTimer);
    QObject::connect(alphaTimer, &QTimer::timeout, surface, [this] { alphaTick(); });

    setFrame(contentRect);
    drawingModeChanged();
    applyInputMode();
}

QtPanel::~QtPanel()
{
    if (content) {
        content->setDisplayRequestHandler(nullptr);
    }
    std::erase_if(stack->all, [](const auto& entry) { return entry.expired(); });
    // The timers go later, as a panel may be released from inside one of their timeouts.
    for (QTimer* timer : {frameTimer, alphaTimer}) {
        timer->stop();
        QObject::disconnect(timer, nullptr, nullptr, nullptr);
        timer->deleteLater();
    }
    // The drawing lets go of what it added to the window while the window is still there.
    drawing.reset();
    if (surface) {
        surface->detach();
        surface->hide();
        keepOrDelete(*stack, config.kind, surface);
    }
}

QtPanel::Surface* QtPanel::makeWindow(QtPanelStack& stack)
{
    auto* window = new Surface;
    if (stack.windowing) {
        stack.windowing->prepareWindow(*window);
    }
    // The native window exists from now on, so that flags and shapes apply before it shows.
    window->winId();
    ++stack.windowsMade;
    return window;
}

QtPanel::Surface* QtPanel::takeWindow(QtPanelStack& stack, PanelKind kind)
{
    if (stack.keptKinds.contains(kind)) {
        stack.lastTaken = stack.mainLoop.now();
        stack.scheduleRefill(kRefillDelay);
    }
    auto& kept = stack.kept[kind];
    while (!kept.empty()) {
        QPointer<QWidget> window = kept.back();
        kept.pop_back();
        if (window) {
            return static_cast<Surface*>(window.data());
        }
    }
    return makeWindow(stack);
}

void QtPanel::keepOrDelete(QtPanelStack& stack, PanelKind kind, Surface* window)
{
    auto& kept = stack.kept[kind];
    std::erase_if(kept, [](const QPointer<QWidget>& entry) { return entry.isNull(); });
    if (!stack.keptKinds.contains(kind) || !kept.empty()) {
        // Deleted later, so that a panel released from inside one of its window's own events
        // is safe.
        window->deleteLater();
        return;
    }
    // What the last panel left on the window that the next one would not set: its fade. Its
    // mask went with its drawing; its size, place and mouse handling are set again.
    window->setWindowOpacity(1.0);
    kept.push_back(window);
}

QtPanelStack::~QtPanelStack()
{
    for (auto& [kind, windows] : kept) {
        for (const QPointer<QWidget>& window : windows) {
            delete window.data();
        }
    }
}

void QtPanelStack::scheduleRefill(double delay)
{
    if (refillScheduled) {
        return;
    }
    refillScheduled = true;
    mainLoop.postAfter(delay, [weak = weak_from_this()] {
        const auto self = weak.lock();
        if (!self) {
            return;
        }
        self->refillScheduled = false;
        // While cues keep coming, their windows and images stay as they are.
        const double quietFor = self->mainLoop.now() - self->lastTaken;
        if (quietFor < kRefillDelay) {
            self->scheduleRefill(kRefillDelay - quietFor);
        } else {
            self->refillWindows();
        }
    });
}

void QtPanelStack::refillWindows()
{
    for (const PanelKind kind : keptKinds) {
        auto& windows = kept[kind];
        std::erase_if(windows, [](const QPointer<QWidget>& entry) { return entry.isNull(); });
        if (windows.empty()) {
            windows.push_back(QtPanel::makeWindow(*this));
        }
        // A kept window's image, as large as its monitor, goes until it shows again; the next
        // paint makes it anew. Only the native window is kept.
        for (const QPointer<QWidget>& window : windows) {
            if (QBackingStore* store = window->backingStore(); store && !window->isVisible()) {
                store->resize(QSize(1, 1));
            }
        }
    }
}

QWidget* QtPanel::widget() const
{
    return surface;
}

bool QtPanel::isWindowShown() const
{
    return surface && surface->isVisible();
}

void QtPanel::setLevel(int level)
{
    levelValue = level;
    if (!visible) {
        return;
    }
    stack->order.setLevel(*this, level);
    restack();
}

void QtPanel::setIgnoresMouseEvents(bool ignores)
{
    ignoresMouse = ignores;
    applyInputMode();
    updateWindowShown();
}

void QtPanel::setAlphaValue(double alpha)
{
    ++alphaChanges;
    alphaTimer->stop();
    fade.reset();
    alphaModel = alpha;
    applyAlpha(alpha);
}

void QtPanel::animateAlphaValue(double alpha, double duration, const TimingFunction& timing,
                                std::function<void()> completion)
{
    const double span = std::max(0.0, duration);
    const std::uint64_t change = ++alphaChanges;
    fade = AlphaFade{shownAlpha, alpha, stack->mainLoop.now(), span, timing};
    alphaModel = alpha;
    if (surface) {
        alphaTimer->start(frameInterval(*surface));
    }
    alphaTick();
    // The pending end holds the panel, as a running animation does.
    stack->mainLoop.postAfter(
        span, [self = shared_from_this(), change, completion = std::move(completion)] {
            if (self->alphaChanges == change) {
                self->alphaTimer->stop();
                self->fade.reset();
                self->applyAlpha(self->alphaModel);
            }
            if (completion) {
                completion();
            }
        });
}

void QtPanel::alphaTick()
{
    if (!fade) {
        alphaTimer->stop();
        return;
    }
    const double now = stack->mainLoop.now();
    applyAlpha(fade->valueAt(now));
    if (fade->isFinished(now)) {
        alphaTimer->stop();
    }
}

void QtPanel::applyAlpha(double alpha)
{
    shownAlpha = std::clamp(alpha, 0.0, 1.0);
    if (surface) {
        surface->setWindowOpacity(shownAlpha);
        // The window system may hold the new opacity back until its connection is next
        // flushed, which in an otherwise idle loop can be long after the step.
        if (stack->windowing) {
            stack->windowing->flush();
        }
    }
}

// The overlay windows are on every desktop, in no window list and never animated by a window
// manager (the windowing's hints see to that where one would): these settings need nothing.
void QtPanel::setAnimationBehavior(AnimationBehavior) {}
void QtPanel::setCollectionBehavior(std::uint64_t) {}

void QtPanel::setFrame(const Rect& frame)
{
    contentRect = frame;
    if (!surface) {
        return;
    }
    const QtCoordinates global = stack->space();
    const QRect pixels = global.toPixels(frame);
    const QtCoordinates previous = windowSpace;
    windowSpace = global.window(frame, pixels);
    surface->setGeometry(pixels);
    if (windowSpace.scale() != previous.scale()) {
        damage(std::nullopt);
    }
    updateWindowShown();
}

void QtPanel::setContentView(std::shared_ptr<OverlayView> view)
{
    if (content) {
        content->setDisplayRequestHandler(nullptr);
    }
    content = std::move(view);
    pressForwarded = false;
    if (content) {
        content->setDisplayRequestHandler([this](std::optional<Rect> rect) {
            damage(rect);
            startFramesIfAnimating();
        });
    }
    damage(std::nullopt);
    startFramesIfAnimating();
}

void QtPanel::orderFrontRegardless()
{
    stack->order.orderFront(shared_from_this(), levelValue);
    visible = true;
    // The drawing is brought up to date before the window first shows, so that a shaped
    // window never flashes as a sheet.
    damage(std::nullopt);
    drawing->refresh();
    updateWindowShown();
    restack();
    startFramesIfAnimating();
}

void QtPanel::orderOut()
{
    stack->order.orderOut(*this);
    visible = false;
    frameTimer->stop();
    updateWindowShown();
}

double QtPanel::backingScaleFactor() const
{
    return windowSpace.scale();
}

void QtPanel::displayIfNeeded()
{
    if (!content || !content->needsDisplay() || !visible || !surface) {
        return;
    }
    drawing->refresh();
    QCoreApplication::sendPostedEvents(surface, QEvent::UpdateRequest);
}

void QtPanel::drawView(QPainter& painter)
{
    if (!content) {
        return;
    }
    // The canvas mirrors y about the content's height in points; the painter then scales
    // points to pixels and puts the content's top-left corner where the window's coordinates
    // have it.
    const double height = contentRect.height();
    painter.translate(windowSpace.toQt(Point{0, height}));
    painter.scale(windowSpace.scale(), windowSpace.scale());
    QtCanvas canvas(painter, height);
    canvas.translate(content->frame().minX(), content->frame().minY());
    content->display(canvas, stack->mainLoop.now());
}

QRect QtPanel::widgetRect(const Rect& viewRect) const
{
    const Rect frame = content ? content->frame() : Rect{};
    const Rect inWindow{viewRect.minX() + frame.minX(), viewRect.minY() + frame.minY(),
                        viewRect.width(), viewRect.height()};
    const QRectF rect = windowSpace.toQt(inWindow);
    // Antialiasing may touch the pixel beyond a fractional edge.
    return rect.toAlignedRect().adjusted(-1, -1, 1, 1) & surface->rect();
}

void QtPanel::damage(std::optional<Rect> viewRect)
{
    if (!surface) {
        return;
    }
    const QRect rect = viewRect ? widgetRect(*viewRect) : surface->rect();
    if (!rect.isEmpty()) {
        drawing->damage(rect);
    }
}

void QtPanel::startFramesIfAnimating()
{
    if (!visible || !content || !surface || frameTimer->isActive() ||
        !content->isAnimating(stack->mainLoop.now())) {
        return;
    }
    frameTimer->start(frameInterval(*surface));
}

void QtPanel::frameTick()
{
    if (!visible || !content) {
        frameTimer->stop();
        return;
    }
    const bool animating = content->isAnimating(stack->mainLoop.now());
    const auto changing = content->animatedRect();
    // The first tick after the end draws the final state; then nothing repaints.
    if (animating || changing) {
        damage(changing);
    }
    if (!animating) {
        frameTimer->stop();
    }
}

void QtPanel::drawingModeChanged()
{
    const bool opaque = !stack->compositorActive && stack->windowing;
    if (opaque == drawsOpaque) {
        return;
    }
    drawsOpaque = opaque;
    // The old drawing lets go of its windows and shape before the new one starts.
    drawing.reset();
    if (opaque) {
        drawing = stack->windowing->makeOpaqueDrawing(*this);
    }
    if (!drawing) {
        drawing = std::make_unique<TranslucentDrawing>(*this);
    }
    applyInputMode();
    damage(std::nullopt);
    if (visible) {
        drawing->refresh();
    }
    updateWindowShown();
}

void QtPanel::forwardMouse(PointerAction action, QPointF windowPixel)
{
    // The view may release the panel while it handles the event: keep it, and touch nothing
    // of the panel after the call.
    const std::shared_ptr<OverlayView> view = content;
    if (!view || !surface) {
        return;
    }
    const Point inWindow = windowSpace.fromQt(windowPixel);
    switch (action) {
    case PointerAction::leftPress:
        // The panel never becomes active, so every press is a first click: a view that does
        // not take first clicks gets none of this mouse sequence.
        pressForwarded = view->acceptsFirstMouse();
        if (pressForwarded) {
            view->mouseDown(inWindow);
        }
        break;
    case PointerAction::leftDrag:
        if (pressForwarded) {
            view->mouseDragged(inWindow);
        }
        break;
    case PointerAction::leftRelease:
        if (pressForwarded) {
            pressForwarded = false;
            view->mouseUp(inWindow);
        }
        break;
    case PointerAction::rightPress:
        if (view->acceptsFirstMouse()) {
            view->rightMouseDown(inWindow);
        }
        break;
    }
}

void QtPanel::applyInputMode()
{
    if (!surface) {
        return;
    }
    const bool transparent = ignoresMouse || drawing->takesMouseElsewhere();
    surface->setAttribute(Qt::WA_TransparentForMouseEvents, transparent);
    if (QWindow* window = surface->windowHandle()) {
        window->setFlag(Qt::WindowTransparentForInput, transparent);
    }
}

void QtPanel::updateWindowShown()
{
    if (!surface) {
        return;
    }
    const bool show = visible && drawing->shapeWindow();
    if (show && !surface->isVisible()) {
        surface->show();
        restack();
    } else if (!show && surface->isVisible()) {
        surface->hide();
    }
    if (drawing->windowChanged()) {
        restack();
    }
}

void QtPanel::restack()
{
    // Raising every ordered-in panel from the bottom up puts each level above the lower ones
    // and the most recently ordered panel first within its level; other windows stay below.
    // The stack holds only this factory's panels.
    for (const auto& entry : stack->order.bottomToTop()) {
        const auto panel = std::static_pointer_cast<QtPanel>(entry);
        if (!panel->surface) {
            continue;
        }
        if (panel->surface->isVisible()) {
            panel->surface->raise();
        }
        panel->drawing->raise();
    }
}

QtPanelFactory::QtPanelFactory(MainLoop& mainLoop, QtDeviceSpace space, QtPanelWindowing* windowing)
    : stack(std::make_shared<QtPanelStack>(mainLoop, std::move(space), windowing))
{}

QtPanelFactory::QtPanelFactory(MainLoop& mainLoop, ScreenList& screens, QtPanelWindowing* windowing)
    : QtPanelFactory(
          mainLoop, [&screens] { return QtCoordinates::global(screens.screens()); }, windowing)
{}

void QtPanelFactory::setCompositorActive(bool active)
{
    if (stack->compositorActive == active) {
        return;
    }
    stack->compositorActive = active;
    for (const auto& entry : std::vector(stack->all)) {
        if (auto panel = entry.lock()) {
            panel->drawingModeChanged();
        }
    }
}

void QtPanelFactory::keepWindowsReady(const std::set<PanelKind>& kinds)
{
    stack->keptKinds = kinds;
    stack->refillWindows();
}

std::vector<std::shared_ptr<QtPanel>> QtPanelFactory::frontToBack() const
{
    std::vector<std::shared_ptr<QtPanel>> result;
    for (const auto& panel : stack->order.frontToBack()) {
        result.push_back(std::static_pointer_cast<QtPanel>(panel));
    }
    return result;
}

std::shared_ptr<Panel> QtPanelFactory::makePanel(const PanelConfiguration& configuration)
{
    auto panel = std::make_shared<QtPanel>(configuration, stack);
    std::erase_if(stack->all, [](const auto& entry) { return entry.expired(); });
    stack->all.push_back(panel);
    return panel;
}

} // namespace halomark::qt
