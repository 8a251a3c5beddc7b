#include "locator/ring_animation_view.h"

namespace halomark {

RingAnimationView::RingAnimationView(const Rect& frame, MainLoop& mainLoop,
                                     const AppearanceSettings& settings)
    : OverlayView(frame), locatorAppearance(makeLocatorAppearance(settings)), mainLoop(mainLoop)
{
    setWantsLayer(true);
}

AnimationGroup RingAnimationView::makeRingAnimation(double beginTime) const
{
    BasicAnimation scale;
    scale.keyPath = key_paths::scale;
    scale.fromValue = 1.0;
    scale.toValue = locatorAppearance.minimumScale;
    scale.timingFunction = TimingFunction::easeInEaseOut();

    KeyframeAnimation fade;
    fade.keyPath = key_paths::opacity;
    fade.values = {0.0, 1.0, 1.0, 0.7, 0.0};
    fade.keyTimes = {0.0, 0.08, 0.58, 0.84, 1.0};
    fade.timingFunctions = {TimingFunction::easeOut(), TimingFunction::linear(),
                            TimingFunction::easeInEaseOut(), TimingFunction::easeIn()};

    AnimationGroup group;
    group.animations = {scale, fade};
    group.beginTime = beginTime;
    group.duration = locatorAppearance.ringDuration;
    // The final state (smallest, transparent) stays until the layers are removed, so
    // nothing flashes back in between.
    group.fillMode = FillMode::forwards;
    group.removedOnCompletion = false;
    return group;
}

void RingAnimationView::animate(Point point, std::function<void()> completion)
{
    Layer* backing = layer();
    if (!backing) {
        if (completion) {
            completion();
        }
        return;
    }
    const LocatorAppearance& a = locatorAppearance;
    const double start = mainLoop.now();
    for (std::int64_t i = 0; i < a.ringCount; ++i) {
        auto outline = makeRingLayer(point, a.maximumRadius, a.outlineColor, a.outlineLineWidth);
        auto foreground =
            makeRingLayer(point, a.maximumRadius, a.foregroundColor, a.foregroundLineWidth);
        backing->addSublayer(outline);
        backing->addSublayer(foreground);
        generated.push_back(outline);
        generated.push_back(foreground);
        const AnimationGroup group =
            makeRingAnimation(start + a.ringDelay * static_cast<double>(i));
        outline->addAnimation(group, animationKey);
        foreground->addAnimation(group, animationKey);
    }
    setNeedsDisplay(animatedRect());

    const double lastRingEnd = a.ringDuration + a.ringDelay * static_cast<double>(a.ringCount - 1);
    std::weak_ptr<RingAnimationView> weak = weak_from_this();
    mainLoop.postAfter(lastRingEnd + cleanUpDelay, [weak, completion = std::move(completion)] {
        if (auto self = weak.lock()) {
            self->removeGeneratedLayers();
        }
        if (completion) {
            completion();
        }
    });
}

void RingAnimationView::removeGeneratedLayers()
{
    if (generated.empty()) {
        return;
    }
    const auto changed = animatedRect();
    for (const auto& ring : generated) {
        ring->removeFromSuperlayer();
    }
    generated.clear();
    setNeedsDisplay(changed);
}

} // namespace halomark
