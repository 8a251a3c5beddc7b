#include "pointer_cues/click_pulse_view.h"

#include "locator/appearance_settings.h"

namespace halomark {

ClickPulseView::ClickPulseView(const Rect& frame, MainLoop& mainLoop, const Color& color)
    : OverlayView(frame), color(color), mainLoop(mainLoop)
{
    setWantsLayer(true);
}

void ClickPulseView::play(std::function<void()> completion)
{
    Layer* backing = layer();
    if (!backing) {
        if (completion) {
            completion();
        }
        return;
    }
    BasicAnimation grow;
    grow.keyPath = key_paths::scale;
    grow.fromValue = startRadius / endRadius;
    grow.toValue = 1.0;
    grow.timingFunction = TimingFunction::easeOut();
    BasicAnimation fade;
    fade.keyPath = key_paths::opacity;
    fade.fromValue = 1.0;
    fade.toValue = 0.0;
    fade.timingFunction = TimingFunction::easeIn();

    AnimationGroup group;
    group.animations = {grow, fade};
    group.beginTime = mainLoop.now();
    group.duration = duration;
    group.fillMode = FillMode::forwards;
    group.removedOnCompletion = false;

    const Point center{bounds().midX(), bounds().midY()};
    auto outline = makeRingLayer(center, endRadius,
                                 AppearanceSettings::contrastingOutlineColor(color).withAlpha(0.82),
                                 outlineWidth);
    auto foreground = makeRingLayer(center, endRadius, color.withAlpha(0.96), lineWidth);
    for (const auto& ring : {outline, foreground}) {
        backing->addSublayer(ring);
        ring->addAnimation(group, animationKey);
    }
    setNeedsDisplay(animatedRect());

    // One frame more than the pulse, so the last frame (fully faded) is drawn first.
    mainLoop.postAfter(duration + 1.0 / 60.0, [completion = std::move(completion)] {
        if (completion) {
            completion();
        }
    });
}

} // namespace halomark
