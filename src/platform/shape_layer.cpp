#include "platform/shape_layer.h"

#include <algorithm>

namespace halomark {
namespace {

Rect unite(const std::optional<Rect>& a, const Rect& b)
{
    if (!a) {
        return b;
    }
    const double x0 = std::min(a->minX(), b.minX());
    const double y0 = std::min(a->minY(), b.minY());
    const double x1 = std::max(a->maxX(), b.maxX());
    const double y1 = std::max(a->maxY(), b.maxY());
    return Rect{x0, y0, x1 - x0, y1 - y0};
}

// The largest scale any of the groups reaches, and never less than 1.
double largestScale(const std::vector<std::pair<std::string, AnimationGroup>>& animations)
{
    double largest = 1;
    for (const auto& [key, group] : animations) {
        for (const Animation& animation : group.animations) {
            if (keyPath(animation) != key_paths::scale) {
                continue;
            }
            if (const auto* basic = std::get_if<BasicAnimation>(&animation)) {
                largest = std::max({largest, basic->fromValue, basic->toValue});
            } else if (const auto* keyframes = std::get_if<KeyframeAnimation>(&animation)) {
                for (double value : keyframes->values) {
                    largest = std::max(largest, value);
                }
            }
        }
    }
    return largest;
}

} // namespace

Layer::~Layer()
{
    for (const auto& child : children) {
        child->parent = nullptr;
    }
}

void Layer::addSublayer(std::shared_ptr<Layer> layer)
{
    if (!layer || layer.get() == this) {
        return;
    }
    layer->removeFromSuperlayer();
    layer->parent = this;
    children.push_back(std::move(layer));
}

void Layer::removeFromSuperlayer()
{
    if (!parent) {
        return;
    }
    Layer* from = parent;
    parent = nullptr;
    // The superlayer's reference may be the last one: keep the layer alive until it is out.
    std::shared_ptr<Layer> keep;
    std::erase_if(from->children, [&](const std::shared_ptr<Layer>& child) {
        if (child.get() == this) {
            keep = child;
            return true;
        }
        return false;
    });
}

void Layer::addAnimation(const AnimationGroup& group, const std::string& key)
{
    removeAnimation(key);
    animations.emplace_back(key, group);
}

const AnimationGroup* Layer::animation(const std::string& key) const
{
    for (const auto& [k, group] : animations) {
        if (k == key) {
            return &group;
        }
    }
    return nullptr;
}

std::vector<std::string> Layer::animationKeys() const
{
    std::vector<std::string> keys;
    keys.reserve(animations.size());
    for (const auto& entry : animations) {
        keys.push_back(entry.first);
    }
    return keys;
}

void Layer::removeAnimation(const std::string& key)
{
    std::erase_if(animations, [&](const auto& entry) { return entry.first == key; });
}

void Layer::removeAllAnimations()
{
    animations.clear();
}

LayerPresentation Layer::presentation(double mediaTime) const
{
    LayerPresentation shown{opacity, 1.0};
    for (const auto& entry : animations) {
        const AnimationGroup& group = entry.second;
        const auto fraction = group.fractionAt(mediaTime);
        if (!fraction) {
            continue;
        }
        for (const Animation& animation : group.animations) {
            const auto value = valueAt(animation, *fraction);
            if (!value) {
                continue;
            }
            const std::string& path = keyPath(animation);
            if (path == key_paths::opacity) {
                shown.opacity = *value;
            } else if (path == key_paths::scale) {
                shown.scale = *value;
            }
        }
    }
    return shown;
}

bool Layer::isAnimating(double mediaTime) const
{
    for (const auto& entry : animations) {
        if (entry.second.isRunning(mediaTime)) {
            return true;
        }
    }
    return std::any_of(children.begin(), children.end(),
                       [mediaTime](const auto& child) { return child->isAnimating(mediaTime); });
}

std::optional<Rect> Layer::animatedBounds() const
{
    if (!animations.empty()) {
        // Scaling acts about the centre of the layer's bounds.
        const double s = largestScale(animations);
        const Rect content = contentBounds();
        const double cx = frame.width() / 2;
        const double cy = frame.height() / 2;
        return Rect{frame.minX() + cx + (content.minX() - cx) * s,
                    frame.minY() + cy + (content.minY() - cy) * s, content.width() * s,
                    content.height() * s};
    }
    std::optional<Rect> bounds;
    for (const auto& child : children) {
        if (const auto inner = child->animatedBounds()) {
            bounds = unite(bounds, Rect{inner->minX() + frame.minX(), inner->minY() + frame.minY(),
                                        inner->width(), inner->height()});
        }
    }
    return bounds;
}

void Layer::render(Canvas& canvas, double mediaTime, double inheritedOpacity) const
{
    if (hidden) {
        return;
    }
    const LayerPresentation shown = presentation(mediaTime);
    const double effectiveOpacity = inheritedOpacity * std::clamp(shown.opacity, 0.0, 1.0);
    if (effectiveOpacity <= 0) {
        return;
    }
    canvas.save();
    if (shown.scale == 1) {
        canvas.translate(frame.minX(), frame.minY());
    } else {
        canvas.translate(frame.midX(), frame.midY());
        canvas.scale(shown.scale, shown.scale);
        canvas.translate(-frame.width() / 2, -frame.height() / 2);
    }
    canvas.setOpacity(effectiveOpacity);
    drawContent(canvas);
    for (const auto& child : children) {
        child->render(canvas, mediaTime, effectiveOpacity);
    }
    canvas.restore();
}

void Layer::drawContent(Canvas& canvas) const
{
    if (backgroundColor.alpha <= 0 || frame.isEmpty()) {
        return;
    }
    Path bounds;
    bounds.addRect(Rect{0, 0, frame.width(), frame.height()});
    canvas.fillPath(bounds, backgroundColor, FillRule::nonZero);
}

void ShapeLayer::drawContent(Canvas& canvas) const
{
    Layer::drawContent(canvas);
    if (path.isEmpty()) {
        return;
    }
    if (fillColor.alpha > 0) {
        canvas.fillPath(path, fillColor, fillRule);
    }
    if (strokeColor && strokeColor->alpha > 0 && lineWidth > 0) {
        canvas.strokePath(path, *strokeColor, StrokeStyle{lineWidth, lineJoin});
    }
}

Rect Layer::contentBounds() const
{
    return Rect{0, 0, frame.width(), frame.height()};
}

Rect ShapeLayer::contentBounds() const
{
    if (path.isEmpty()) {
        return Layer::contentBounds();
    }
    // A stroke reaches out by half its width, a right-angled miter by that times the square
    // root of two: a whole width covers both, and a point more covers antialiasing.
    const double reach = (strokeColor ? lineWidth : 0) + 1;
    const Rect box = path.boundingBox();
    return unite(Layer::contentBounds(), Rect{box.minX() - reach, box.minY() - reach,
                                              box.width() + 2 * reach, box.height() + 2 * reach});
}

std::shared_ptr<ShapeLayer> makeRingLayer(Point center, double radius, const Color& stroke,
                                          double lineWidth)
{
    auto ring = std::make_shared<ShapeLayer>();
    ring->frame = Rect{center.x - radius, center.y - radius, 2 * radius, 2 * radius};
    ring->path.addEllipse(Rect{0, 0, 2 * radius, 2 * radius});
    ring->fillColor = Color::clearColor();
    ring->strokeColor = stroke;
    ring->lineWidth = lineWidth;
    ring->opacity = 0;
    return ring;
}

} // namespace halomark
