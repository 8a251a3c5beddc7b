#include "wayland/wl_panel.h"

#include "qt/qt_canvas.h"
#include "wayland/wl_shm_buffer.h"

#include "wayland/wl_layer_shell.h"

#include <QColor>
#include <QPainter>

#include <wayland-client.h>

#include <algorithm>
#include <cmath>

namespace halomark::wayland {

namespace {

bool isOverlayLevel(int level)
{
    return level >= window_levels::screenSaver;
}

} // namespace

// Where a panel's surface goes: its output and the frame's logical rectangle on it.
struct WlPanel::Placement
{
    wl_output* output = nullptr;
    DisplayIdentifier display = 0;
    LogicalRect outputRect;
    LogicalRect frame;
    int scale = 1;
};

WlPanel::WlPanel(const PanelConfiguration& configuration, std::shared_ptr<WlPanelStack> stack)
    : config(configuration), stack(std::move(stack)), contentRect(configuration.contentRect),
      levelValue(configuration.level), ignoresMouse(configuration.ignoresMouseEvents)
{
    if (const auto place = placement()) {
        scale = place->scale;
    }
}

WlPanel::~WlPanel()
{
    if (content) {
        content->setDisplayRequestHandler(nullptr);
    }
    unmap();
    stack->connection.flush();
}

std::optional<WlPanel::Placement> WlPanel::placement() const
{
    const WlCoordinates& space = stack->screens.coordinates();
    const Rect logical = space.toLogical(contentRect);
    const double midX = logical.midX();
    const double midY = logical.midY();
    const WlOutputState* chosen = nullptr;
    for (const WlOutputState& state : stack->screens.outputStates()) {
        if (outputIdentifier(state.name) == config.display) {
            chosen = &state;
            break;
        }
    }
    if (!chosen) {
        for (const WlOutputState& state : stack->screens.outputStates()) {
            if (state.logical.contains(midX, midY)) {
                chosen = &state;
                break;
            }
        }
    }
    if (!chosen) {
        return std::nullopt;
    }
    Placement place;
    place.display = outputIdentifier(chosen->name);
    place.output = stack->screens.output(place.display);
    place.outputRect = chosen->logical;
    place.scale = chosen->scale;
    const int left = static_cast<int>(std::lround(logical.minX()));
    const int top = static_cast<int>(std::lround(logical.minY()));
    place.frame = {left, top, static_cast<int>(std::lround(logical.maxX())) - left,
                   static_cast<int>(std::lround(logical.maxY())) - top};
    if (!place.output || place.frame.width <= 0 || place.frame.height <= 0) {
        return std::nullopt;
    }
    return place;
}

void WlPanel::setLevel(int level)
{
    const bool otherLayer = isOverlayLevel(level) != isOverlayLevel(levelValue);
    levelValue = level;
    if (visible) {
        stack->order.setLevel(*this, level);
        if (otherLayer) {
            unmap();
            map();
        }
    }
}

void WlPanel::setIgnoresMouseEvents(bool ignores)
{
    ignoresMouse = ignores;
    if (surface) {
        applyInputRegion();
        wl_surface_commit(surface);
        stack->connection.flush();
    }
}

void WlPanel::applyInputRegion()
{
    if (ignoresMouse) {
        wl_region* empty = wl_compositor_create_region(stack->connection.compositor());
        wl_surface_set_input_region(surface, empty);
        wl_region_destroy(empty);
    } else {
        wl_surface_set_input_region(surface, nullptr); // the whole surface
    }
}

void WlPanel::setAlphaValue(double alpha)
{
    ++alphaChanges;
    fade.reset();
    alphaModel = alpha;
    if (std::clamp(alpha, 0.0, 1.0) != shownAlpha) {
        shownAlpha = std::clamp(alpha, 0.0, 1.0);
        damage(std::nullopt);
    }
}

void WlPanel::animateAlphaValue(double alpha, double duration, const TimingFunction& timing,
                                std::function<void()> completion)
{
    const std::uint64_t change = ++alphaChanges;
    const double now = stack->mainLoop.now();
    const double span = std::max(0.0, duration);
    fade = AlphaFade{shownAlpha, alpha, now, span, timing};
    alphaModel = alpha;
    damage(std::nullopt);
    // The pending end holds the panel, as a running animation does.
    stack->mainLoop.postAfter(
        span, [self = shared_from_this(), change, completion = std::move(completion)] {
            if (self->alphaChanges == change && self->fade) {
                self->fade.reset();
                self->shownAlpha = std::clamp(self->alphaModel, 0.0, 1.0);
                self->damage(std::nullopt);
            }
            if (completion) {
                completion();
            }
        });
}

double WlPanel::alphaAt(double now)
{
    if (fade) {
        shownAlpha = std::clamp(fade->valueAt(now), 0.0, 1.0);
    }
    return shownAlpha;
}

void WlPanel::setFrame(const Rect& frame)
{
    if (frame == contentRect) {
        return;
    }
    contentRect = frame;
    if (!surface) {
        if (const auto place = placement()) {
            scale = place->scale;
        }
        return;
    }
    const auto place = placement();
    if (!place || place->display != output || place->scale != scale) {
        // Another output: the surface cannot move there, a new one is made.
        unmap();
        map();
        return;
    }
    zwlr_layer_surface_v1_set_size(layer, static_cast<std::uint32_t>(place->frame.width),
                                   static_cast<std::uint32_t>(place->frame.height));
    zwlr_layer_surface_v1_set_margin(layer, place->frame.y - place->outputRect.y, 0, 0,
                                     place->frame.x - place->outputRect.x);
    wl_surface_commit(surface);
    stack->connection.flush();
}

void WlPanel::setContentView(std::shared_ptr<OverlayView> view)
{
    if (content) {
        content->setDisplayRequestHandler(nullptr);
    }
    content = std::move(view);
    if (content) {
        content->setDisplayRequestHandler([this](std::optional<Rect> rect) { damage(rect); });
    }
    damage(std::nullopt);
}

void WlPanel::orderFrontRegardless()
{
    stack->order.orderFront(shared_from_this(), levelValue);
    visible = true;
    // Within a layer the compositor keeps its own order (sway 1.7 puts a new surface below
    // the older ones): a surface that shows stays as it is.
    map();
}

void WlPanel::orderOut()
{
    stack->order.orderOut(*this);
    visible = false;
    unmap();
    stack->connection.flush();
}

void WlPanel::displayIfNeeded()
{
    if (content && content->needsDisplay() && visible && isConfigured) {
        render();
    }
}

void WlPanel::map()
{
    if (!visible || surface || !stack->connection.isConnected()) {
        return;
    }
    const auto place = placement();
    if (!place) {
        return;
    }
    output = place->display;
    scale = place->scale;
    surface = wl_compositor_create_surface(stack->connection.compositor());
    // Levels map to layers, since sway 1.7 stacks a new surface below the older ones of its
    // layer: the screen-saver level (rings, selections) floats on the overlay layer, above
    // the lower levels (veils) on the top layer; both are above every window.
    const std::uint32_t layerKind = isOverlayLevel(levelValue) ? ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY
                                                               : ZWLR_LAYER_SHELL_V1_LAYER_TOP;
    layer = zwlr_layer_shell_v1_get_layer_surface(stack->connection.layerShell(), surface,
                                                  place->output, layerKind, "halomark");
    static const zwlr_layer_surface_v1_listener listener = {&WlPanel::handleConfigure,
                                                            &WlPanel::handleClosed};
    zwlr_layer_surface_v1_add_listener(layer, &listener, this);
    zwlr_layer_surface_v1_set_anchor(layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP |
                                                ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT);
    zwlr_layer_surface_v1_set_size(layer, static_cast<std::uint32_t>(place->frame.width),
                                   static_cast<std::uint32_t>(place->frame.height));
    zwlr_layer_surface_v1_set_margin(layer, place->frame.y - place->outputRect.y, 0, 0,
                                     place->frame.x - place->outputRect.x);
    zwlr_layer_surface_v1_set_exclusive_zone(layer, -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(layer, 0);
    wl_surface_set_buffer_scale(surface, place->scale);
    applyInputRegion();
    // The first commit carries no buffer; the compositor answers with the size to use.
    wl_surface_commit(surface);
    stack->connection.flush();
}

void WlPanel::unmap()
{
    if (frameCallback) {
        wl_callback_destroy(frameCallback);
        frameCallback = nullptr;
    }
    if (layer) {
        zwlr_layer_surface_v1_destroy(layer);
        layer = nullptr;
    }
    if (surface) {
        wl_surface_destroy(surface);
        surface = nullptr;
    }
    isConfigured = false;
    attached = false;
}

void WlPanel::handleConfigure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial,
                              std::uint32_t width, std::uint32_t height)
{
    auto* self = static_cast<WlPanel*>(data);
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    self->configured(serial, width, height);
}

void WlPanel::handleClosed(void* data, zwlr_layer_surface_v1*)
{
    static_cast<WlPanel*>(data)->closed();
}

void WlPanel::configured(std::uint32_t, std::uint32_t width, std::uint32_t height)
{
    const QSize size(static_cast<int>(width) * static_cast<int>(scale),
                     static_cast<int>(height) * static_cast<int>(scale));
    if (size.isEmpty()) {
        return;
    }
    if (size != pixelSize) {
        pixelSize = size;
        for (auto& buffer : buffers) {
            buffer.reset();
        }
    }
    isConfigured = true;
    // A new surface shows nothing yet: all of it is damaged.
    surfaceDamage = QRegion(QRect(QPoint(0, 0), pixelSize));
    requestRender();
}

void WlPanel::closed()
{
    // The compositor took the surface away (its output went); a later order front or frame
    // change makes a new one where the panel then lies.
    unmap();
}

void WlPanel::damage(std::optional<Rect> viewRect)
{
    QRect rect(QPoint(0, 0), pixelSize);
    if (viewRect && content && !pixelSize.isEmpty()) {
        // The view's rectangle in the panel's content area, then in buffer pixels (y down).
        const Rect frame = content->frame();
        const double left = (viewRect->minX() + frame.minX()) * scale;
        const double top = (contentRect.height() - (viewRect->maxY() + frame.minY())) * scale;
        // Antialiasing may touch the pixel beyond a fractional edge.
        rect = QRectF(left, top, viewRect->width() * scale, viewRect->height() * scale)
                   .toAlignedRect()
                   .adjusted(-1, -1, 1, 1) &
               QRect(QPoint(0, 0), pixelSize);
    }
    if (rect.isEmpty()) {
        return;
    }
    surfaceDamage += rect;
    for (auto& buffer : buffers) {
        if (buffer) {
            buffer->stale += rect;
        }
    }
    requestRender();
}

void WlPanel::requestRender()
{
    if (renderPosted || frameCallback || !isConfigured) {
        // A pending frame callback renders what is damaged by then.
        return;
    }
    renderPosted = true;
    stack->mainLoop.post([this, alive = std::weak_ptr<bool>(alive)] {
        if (alive.expired()) {
            return;
        }
        renderPosted = false;
        render();
    });
}

WlShmBuffer* WlPanel::freeBuffer()
{
    for (auto& buffer : buffers) {
        if (!buffer) {
            buffer = WlShmBuffer::create(stack->connection.shm(), pixelSize);
            if (buffer) {
                buffer->setReleaseHandler([this] {
                    if (!surfaceDamage.isEmpty()) {
                        requestRender();
                    }
                });
            }
        }
        if (buffer && !buffer->isBusy()) {
            return buffer.get();
        }
    }
    return nullptr;
}

void WlPanel::render()
{
    if (!surface || !isConfigured || frameCallback || !stack->connection.isConnected()) {
        return;
    }
    if (surfaceDamage.isEmpty() && attached) {
        return;
    }
    WlShmBuffer* buffer = freeBuffer();
    if (!buffer) {
        return; // a release renders what is damaged by then
    }
    paint(*buffer);
    for (const QRect& rect : surfaceDamage) {
        wl_surface_damage_buffer(surface, rect.x(), rect.y(), rect.width(), rect.height());
    }
    surfaceDamage = QRegion();
    const double now = stack->mainLoop.now();
    if ((content && content->isAnimating(now)) || fade) {
        static const wl_callback_listener listener = {&WlPanel::handleFrameDone};
        frameCallback = wl_surface_frame(surface);
        wl_callback_add_listener(frameCallback, &listener, this);
    }
    wl_surface_attach(surface, buffer->buffer(), 0, 0);
    buffer->markBusy();
    wl_surface_commit(surface);
    attached = true;
    ++frames;
    stack->connection.flush();
}

void WlPanel::paint(WlShmBuffer& buffer)
{
    const double now = stack->mainLoop.now();
    const double alpha = alphaAt(now);
    QPainter painter(&buffer.image());
    painter.setClipRegion(buffer.stale);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (const QRect& rect : buffer.stale) {
        painter.fillRect(rect, Qt::transparent);
    }
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (content) {
        // The canvas mirrors y about the content's height in points; the painter scales points
        // to buffer pixels.
        painter.save();
        painter.scale(scale, scale);
        {
            qt::QtCanvas canvas(painter, contentRect.height());
            canvas.translate(content->frame().minX(), content->frame().minY());
            content->display(canvas, now);
        }
        painter.restore();
    }
    if (alpha < 1.0) {
        painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        for (const QRect& rect : buffer.stale) {
            painter.fillRect(rect, QColor(0, 0, 0, static_cast<int>(std::lround(alpha * 255))));
        }
    }
    buffer.stale = QRegion();
}

void WlPanel::handleFrameDone(void* data, wl_callback* callback, std::uint32_t)
{
    auto* self = static_cast<WlPanel*>(data);
    wl_callback_destroy(callback);
    self->frameCallback = nullptr;
    self->frameDone();
}

void WlPanel::frameDone()
{
    const double now = stack->mainLoop.now();
    if (fade) {
        damage(std::nullopt);
    }
    if (content) {
        const bool animating = content->isAnimating(now);
        const auto changing = content->animatedRect();
        // The first frame after the end draws the final state; then nothing repaints.
        if (animating || changing) {
            damage(changing);
        }
    }
    render();
}

WlPanelFactory::WlPanelFactory(WlConnection& connection, WlScreenList& screens, MainLoop& mainLoop)
    : stack(std::make_shared<WlPanelStack>(WlPanelStack{connection, screens, mainLoop, {}}))
{}

std::vector<std::shared_ptr<WlPanel>> WlPanelFactory::frontToBack() const
{
    std::vector<std::shared_ptr<WlPanel>> result;
    for (const auto& panel : stack->order.frontToBack()) {
        if (auto wayland = std::dynamic_pointer_cast<WlPanel>(panel)) {
            result.push_back(std::move(wayland));
        }
    }
    return result;
}

std::shared_ptr<Panel> WlPanelFactory::makePanel(const PanelConfiguration& configuration)
{
    return std::make_shared<WlPanel>(configuration, stack);
}

} // namespace halomark::wayland
