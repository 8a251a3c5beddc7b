// Layers as data for the core's views: a tree of layers with a frame in the superlayer's
// coordinates, opacity, a hidden flag and animation groups by key; shape layers add a path
// with fill and stroke. A layer's presentation values at a media time (its opacity and its
// scale about the centre) and its drawing onto a canvas are computed here, so every platform
// shows the same frames.
#pragma once

#include "platform/animation.h"
#include "platform/canvas.h"
#include "platform/color.h"
#include "platform/geometry.h"
#include "platform/path.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace halomark {

// What a layer shows at a media time once its animations are applied.
struct LayerPresentation
{
    double opacity = 1;
    double scale = 1;
    friend bool operator==(const LayerPresentation&, const LayerPresentation&) = default;
};

class Layer
{
public:
    Layer() = default;
    Layer(const Layer&) = delete;
    Layer& operator=(const Layer&) = delete;
    virtual ~Layer();

    Rect frame; // in the superlayer's coordinates; the layer's own origin is its lower left
    double opacity = 1;
    bool hidden = false;
    Color backgroundColor = Color::clearColor();

    // Adds the layer on top of the others, taking it from its previous superlayer first.
    void addSublayer(std::shared_ptr<Layer> layer);
    void removeFromSuperlayer();
    const std::vector<std::shared_ptr<Layer>>& sublayers() const { return children; }
    Layer* superlayer() const { return parent; }

    // Adds a copy of the group under the key, replacing a group with the same key. Groups
    // apply in the order they were added.
    void addAnimation(const AnimationGroup& group, const std::string& key);
    const AnimationGroup* animation(const std::string& key) const;
    std::vector<std::string> animationKeys() const;
    void removeAnimation(const std::string& key);
    void removeAllAnimations();

    // The opacity and scale shown at the media time: the model values with every group that
    // has an effect then applied over them.
    LayerPresentation presentation(double mediaTime) const;

    // Whether this layer or one below it has a group that still changes at this time.
    bool isAnimating(double mediaTime) const;

    // The part of the superlayer that animated layers of this tree can paint, in the
    // superlayer's coordinates; nothing when no layer carries an animation.
    std::optional<Rect> animatedBounds() const;

    // Draws the layer and its sublayers, as presented at the media time, onto a canvas whose
    // transform is the superlayer's coordinates. Hidden and fully transparent layers and
    // everything below them are skipped.
    void render(Canvas& canvas, double mediaTime, double inheritedOpacity = 1.0) const;

protected:
    // Draws the layer's own content in its own coordinates.
    virtual void drawContent(Canvas& canvas) const;
    // The area the content can paint, in the layer's own coordinates.
    virtual Rect contentBounds() const;

private:
    std::vector<std::shared_ptr<Layer>> children;
    Layer* parent = nullptr;
    std::vector<std::pair<std::string, AnimationGroup>> animations;
};

class ShapeLayer final : public Layer
{
public:
    Path path; // in the layer's own coordinates
    Color fillColor = Color::blackColor();
    FillRule fillRule = FillRule::nonZero;
    std::optional<Color> strokeColor; // nothing: no stroke
    double lineWidth = 1;
    LineJoin lineJoin = LineJoin::miter;

protected:
    void drawContent(Canvas& canvas) const override;
    Rect contentBounds() const override;
};

// An unfilled circle of the radius around the centre, stroked with the colour and width, and
// invisible (opacity 0) until an animation shows it: the rings of the locator and the pulses.
std::shared_ptr<ShapeLayer> makeRingLayer(Point center, double radius, const Color& stroke,
                                          double lineWidth);

} // namespace halomark
