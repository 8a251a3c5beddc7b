#include "qt/qt_panel.h"

#include "qt/qt_canvas.h"
#include "qt/qt_coordinates.h"
#include "qt/qt_outline_shape.h"
#include "qt/qt_x11_input_window.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <cmath>

namespace halomark::qt {
namespace {

constexpr double kFallbackRefreshRate = 60.0;

// How the outline band is cut, per point: wide enough that the 4.4-point strokes show whole,
// narrow enough that a veil becomes a frame rather than a sheet.
constexpr OutlineShapeRule kOutlineRule{4, 85};

OutlineShapeRule outlineRuleAt(double scale)
{
    return {std::max(1, static_cast<int>(std::lround(kOutlineRule.bandWidth * scale))),
            kOutlineRule.alphaThreshold};
}

constexpr Qt::WindowFlags kPanelFlags = Qt::Window | Qt::FramelessWindowHint |
                                        Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus |
                                        Qt::X11BypassWindowManagerHint | Qt::NoDropShadowWindowHint;

} // namespace

// The panel's window. It only passes paint and mouse events on; the panel decides.
class QtPanel::Surface final : public QWidget
{
public:
    explicit Surface(QtPanel* owner) : QWidget(nullptr, kPanelFlags), owner(owner)
    {
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_X11DoNotAcceptFocus);
        setFocusPolicy(Qt::NoFocus);
        setWindowTitle(QStringLiteral("Halomark overlay"));
    }

    void detach() { owner = nullptr; }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        if (owner) {
            QPainter painter(this);
            owner->paint(painter, event->region());
        }
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        event->accept();
        if (!owner) {
            return;
        }
        if (event->button() == Qt::LeftButton) {
            owner->forward(PointerAction::leftPress, event->position());
        } else if (event->button() == Qt::RightButton) {
            owner->forward(PointerAction::rightPress, event->position());
        }
    }

    void mouseMoveEvent(QMouseEvent* event) override
    {
        event->accept();
        if (owner && (event->buttons() & Qt::LeftButton)) {
            owner->forward(PointerAction::leftDrag, event->position());
        }
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        event->accept();
        if (owner && event->button() == Qt::LeftButton) {
            owner->forward(PointerAction::leftRelease, event->position());
        }
    }

    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        if (owner && owner->outlineMode) {
            owner->damage(std::nullopt);
        }
    }

private:
    QtPanel* owner;
};

QtPanel::QtPanel(const PanelConfiguration& configuration, std::shared_ptr<QtPanelStack> stack)
    : config(configuration), stack(std::move(stack)), contentRect(configuration.contentRect),
      levelValue(configuration.level), ignoresMouse(configuration.ignoresMouseEvents),
      surface(new Surface(this))
{
    frameTimer = new QTimer(surface);
    frameTimer->setTimerType(Qt::PreciseTimer);
    QObject::connect(frameTimer, &QTimer::timeout, surface, [this] { frameTick(); });
    alphaTimer = new QTimer(surface);
    alphaTimer->setTimerType(Qt::PreciseTimer);
    QObject::connect(alphaTimer, &QTimer::timeout, surface, [this] {
        if (alphaStep) {
            alphaStep();
        }
    });
    outlineRefresh = new QTimer(surface);
    outlineRefresh->setSingleShot(true);
    outlineRefresh->setInterval(0);
    QObject::connect(outlineRefresh, &QTimer::timeout, surface, [this] { refreshOutline(); });

    // The native window exists from now on, so that flags and shapes apply before it shows.
    surface->winId();
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
    std::erase_if(stack->bottomToTop, [](const auto& entry) { return entry.expired(); });
    for (QTimer* timer : {frameTimer, alphaTimer, outlineRefresh}) {
        timer->stop();
        QObject::disconnect(timer, nullptr, nullptr, nullptr);
    }
    if (surface) {
        surface->detach();
        surface->hide();
        surface->deleteLater();
    }
    if (inputWindow) {
        // The panel may go from inside the input window's own event: delete it afterwards.
        std::shared_ptr<QtX11InputWindow> later(std::move(inputWindow));
        later->hide();
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [later] {}, Qt::QueuedConnection);
    }
}

QWidget* QtPanel::widget() const
{
    return surface;
}

bool QtPanel::showsOutlineOnly() const
{
    return outlineMode;
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
    auto self = shared_from_this();
    std::erase_if(stack->bottomToTop, [&](const auto& entry) { return entry.lock() == self; });
    const auto above =
        std::find_if(stack->bottomToTop.begin(), stack->bottomToTop.end(), [&](const auto& entry) {
            auto other = entry.lock();
            return other && other->levelValue > level;
        });
    // Among equals the changed panel goes in front, as it does when ordered front.
    stack->bottomToTop.insert(above, self);
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
    alphaStep = nullptr;
    alphaModel = alpha;
    applyAlpha(alpha);
}

void QtPanel::animateAlphaValue(double alpha, double duration, const TimingFunction& timing,
                                std::function<void()> completion)
{
    const double from = shownAlpha;
    const double begin = stack->mainLoop.now();
    const double span = std::max(0.0, duration);
    const std::uint64_t change = ++alphaChanges;
    alphaModel = alpha;
    alphaStep = [this, from, alpha, begin, span, timing] {
        const double fraction = span > 0 ? (stack->mainLoop.now() - begin) / span : 1.0;
        applyAlpha(from + (alpha - from) * timing.value(fraction));
        if (fraction >= 1.0) {
            alphaTimer->stop();
        }
    };
    if (surface) {
        const QScreen* screen = surface->screen();
        const double rate =
            screen && screen->refreshRate() >= 1 ? screen->refreshRate() : kFallbackRefreshRate;
        alphaTimer->start(std::max(1, static_cast<int>(std::lround(1000.0 / rate))));
    }
    alphaStep();
    // The pending end holds the panel, as a running animation does.
    stack->mainLoop.postAfter(
        span, [self = shared_from_this(), change, completion = std::move(completion)] {
            if (self->alphaChanges == change) {
                self->alphaTimer->stop();
                self->alphaStep = nullptr;
                self->applyAlpha(self->alphaModel);
            }
            if (completion) {
                completion();
            }
        });
}

void QtPanel::applyAlpha(double alpha)
{
    shownAlpha = std::clamp(alpha, 0.0, 1.0);
    if (surface) {
        surface->setWindowOpacity(shownAlpha);
        // Qt sends the new opacity with its other requests when its own X event source next
        // runs, which in an otherwise idle loop can be long after the step: each step of a
        // fade is sent at once instead.
        if (auto* x11 =
                qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr) {
            if (xcb_connection_t* connection = x11->connection()) {
                xcb_flush(connection);
            }
        }
    }
}

// A window that bypasses the window manager is on every desktop, in no window list and never
// animated by it: these settings need nothing more on X11.
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
    auto self = shared_from_this();
    std::erase_if(stack->bottomToTop, [&](const auto& entry) { return entry.lock() == self; });
    const auto above =
        std::find_if(stack->bottomToTop.begin(), stack->bottomToTop.end(), [&](const auto& entry) {
            auto other = entry.lock();
            return other && other->levelValue > levelValue;
        });
    stack->bottomToTop.insert(above, self);
    visible = true;
    if (outlineMode) {
        if (!stack->toldAboutCompositor) {
            stack->toldAboutCompositor = true;
            qInfo("halomark: no compositor is running, so the overlays show only their outlines "
                  "in opaque colours; run a compositing manager (such as picom) for the "
                  "translucent cues.");
        }
        // The shape is known before the window first shows, so no sheet ever flashes.
        damage(std::nullopt);
        refreshOutline();
    } else {
        updateWindowShown();
        damage(std::nullopt);
    }
    restack();
    startFramesIfAnimating();
}

void QtPanel::orderOut()
{
    auto self = shared_from_this();
    std::erase_if(stack->bottomToTop, [&](const auto& entry) { return entry.lock() == self; });
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
    if (outlineMode) {
        refreshOutline();
    }
    QCoreApplication::sendPostedEvents(surface, QEvent::UpdateRequest);
}

void QtPanel::paint(QPainter& painter, const QRegion& region)
{
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    if (outlineMode) {
        if (outlineImage) {
            for (const QRect& rect : region) {
                painter.drawImage(rect, *outlineImage, rect);
            }
        }
        return;
    }
    for (const QRect& rect : region) {
        painter.fillRect(rect, Qt::transparent);
    }
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (!content) {
        return;
    }
    painter.setClipRegion(region);
    display(painter);
}

void QtPanel::display(QPainter& painter)
{
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
    if (rect.isEmpty()) {
        return;
    }
    if (outlineMode) {
        outlineDirty += rect;
        if (visible) {
            outlineRefresh->start();
        }
    } else {
        surface->update(rect);
    }
}

void QtPanel::startFramesIfAnimating()
{
    if (!visible || !content || !surface || frameTimer->isActive() ||
        !content->isAnimating(stack->mainLoop.now())) {
        return;
    }
    const QScreen* screen = surface->screen();
    const double rate =
        screen && screen->refreshRate() >= 1 ? screen->refreshRate() : kFallbackRefreshRate;
    frameTimer->start(std::max(1, static_cast<int>(std::lround(1000.0 / rate))));
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

void QtPanel::refreshOutline()
{
    outlineRefresh->stop();
    if (!outlineMode || !surface || !visible) {
        return;
    }
    const QRect dirty = outlineDirty.boundingRect() & surface->rect();
    outlineDirty = QRegion();
    if (!dirty.isEmpty() || !outlineImage) {
        renderOutline(dirty);
    }
    updateWindowShown();
    surface->update(dirty);
}

void QtPanel::renderOutline(const QRect& requested)
{
    QRect dirty = requested;
    if (!outlineImage || outlineImage->size() != surface->size()) {
        outlineImage = std::make_unique<QImage>(surface->size(), QImage::Format_RGB32);
        outlineImage->fill(Qt::black);
        outlineMask = QRegion();
        dirty = surface->rect();
    }
    if (dirty.isEmpty()) {
        return;
    }
    // The band of a pixel depends on its neighbours within the band width: draw those too.
    const OutlineShapeRule rule = outlineRuleAt(windowSpace.scale());
    const int margin = rule.bandWidth + 1;
    const QRect drawn = dirty.adjusted(-margin, -margin, margin, margin) & surface->rect();
    QImage painted(drawn.size(), QImage::Format_ARGB32_Premultiplied);
    painted.fill(Qt::transparent);
    if (content) {
        QPainter painter(&painted);
        painter.translate(-drawn.topLeft());
        display(painter);
    }
    const QRect local = dirty.translated(-drawn.topLeft());
    const QRegion band = outlineBand(painted, local, rule).translated(drawn.topLeft());
    {
        QPainter painter(outlineImage.get());
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(dirty.topLeft(), opaqueColors(painted.copy(local)));
    }
    outlineMask = outlineMask.subtracted(dirty).united(band);
}

void QtPanel::drawingModeChanged()
{
    const bool outline = !stack->compositorActive;
    if (outline == outlineMode) {
        return;
    }
    outlineMode = outline;
    outlineImage.reset();
    outlineMask = QRegion();
    outlineDirty = QRegion();
    if (outlineMode) {
        if (!inputWindow) {
            // It covers the same pixels as the panel's window.
            inputWindow = QtX11InputWindow::create(
                [this](PointerAction action, QPointF at) { forward(action, at); });
        }
        applyInputMode();
        if (visible) {
            damage(std::nullopt);
            refreshOutline();
        } else {
            updateWindowShown();
        }
    } else {
        surface->clearMask();
        applyInputMode();
        updateWindowShown();
        damage(std::nullopt);
    }
}

void QtPanel::forward(PointerAction action, QPointF windowPixel)
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
    // Without a compositor the input window takes the mouse where the panel shows nothing.
    const bool transparent = ignoresMouse || (outlineMode && inputWindow);
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
    const bool show = visible && (!outlineMode || !outlineMask.isEmpty());
    if (outlineMode && show) {
        // A mask must be set before the window maps: without it the window is an opaque sheet.
        surface->setMask(outlineMask);
    }
    if (show && !surface->isVisible()) {
        surface->show();
        restack();
    } else if (!show && surface->isVisible()) {
        surface->hide();
    }
    if (inputWindow) {
        const bool takesMouse = visible && outlineMode && !ignoresMouse;
        if (takesMouse) {
            inputWindow->setGeometry(surface->geometry());
            if (!inputWindow->isShown()) {
                inputWindow->show();
                restack();
            }
        } else if (inputWindow->isShown()) {
            inputWindow->hide();
        }
    }
}

void QtPanel::restack()
{
    // Raising every ordered-in panel from the bottom up puts each level above the lower ones
    // and the most recently ordered panel first within its level; other windows stay below.
    for (const auto& entry : stack->bottomToTop) {
        auto panel = entry.lock();
        if (!panel || !panel->surface) {
            continue;
        }
        if (panel->surface->isVisible()) {
            panel->surface->raise();
        }
        if (panel->inputWindow && panel->inputWindow->isShown()) {
            panel->inputWindow->raise();
        }
    }
}

QtPanelFactory::QtPanelFactory(MainLoop& mainLoop, QtDeviceSpace space)
    : stack(std::make_shared<QtPanelStack>(mainLoop, std::move(space)))
{}

QtPanelFactory::QtPanelFactory(MainLoop& mainLoop, ScreenList& screens)
    : QtPanelFactory(mainLoop, [&screens] { return QtCoordinates::global(screens.screens()); })
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

std::vector<std::shared_ptr<QtPanel>> QtPanelFactory::frontToBack() const
{
    std::vector<std::shared_ptr<QtPanel>> result;
    for (auto it = stack->bottomToTop.rbegin(); it != stack->bottomToTop.rend(); ++it) {
        if (auto panel = it->lock()) {
            result.push_back(std::move(panel));
        }
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
