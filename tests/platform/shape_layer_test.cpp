#include "platform/shape_layer.h"
#include "sim/sim_canvas.h"

#include <gtest/gtest.h>

namespace halomark {
namespace {

AnimationGroup fadeGroup(double begin, double duration, FillMode fill, bool removedOnCompletion)
{
    BasicAnimation fade;
    fade.keyPath = key_paths::opacity;
    fade.fromValue = 1;
    fade.toValue = 0;
    AnimationGroup group;
    group.animations = {fade};
    group.beginTime = begin;
    group.duration = duration;
    group.fillMode = fill;
    group.removedOnCompletion = removedOnCompletion;
    return group;
}

TEST(Animation, GroupTimingFollowsFillModeAndRemovalOnCompletion)
{
    const auto held = fadeGroup(10, 2, FillMode::forwards, false);
    EXPECT_EQ(held.fractionAt(9.999), std::nullopt);
    EXPECT_EQ(held.fractionAt(10), 0.0);
    EXPECT_DOUBLE_EQ(*held.fractionAt(11.5), 0.75);
    EXPECT_EQ(held.fractionAt(12), 1.0);
    EXPECT_EQ(held.fractionAt(100), 1.0);
    EXPECT_TRUE(held.isRunning(11.999));
    EXPECT_FALSE(held.isRunning(12));

    // Removed on completion, a forward fill holds nothing; without a forward fill neither.
    EXPECT_EQ(fadeGroup(10, 2, FillMode::forwards, true).fractionAt(12), std::nullopt);
    EXPECT_EQ(fadeGroup(10, 2, FillMode::removed, false).fractionAt(12), std::nullopt);
    EXPECT_EQ(fadeGroup(10, 2, FillMode::backwards, false).fractionAt(3), 0.0);
    EXPECT_EQ(fadeGroup(10, 2, FillMode::both, false).fractionAt(13), 1.0);
}

TEST(Animation, KeyframesInterpolateEachSegmentAlongItsOwnCurve)
{
    KeyframeAnimation steps;
    steps.keyPath = key_paths::opacity;
    steps.values = {0, 1, 0.5};
    steps.keyTimes = {0, 0.2, 1};
    steps.timingFunctions = {TimingFunction::easeIn()}; // the second segment is linear
    EXPECT_EQ(steps.valueAt(-1), 0.0);
    EXPECT_NEAR(*steps.valueAt(0.1), 0.3153568125725393, 1e-9); // ease-in at half way
    EXPECT_EQ(steps.valueAt(0.2), 1.0);
    EXPECT_NEAR(*steps.valueAt(0.6), 0.75, 1e-12);
    EXPECT_EQ(steps.valueAt(1), 0.5);

    steps.keyTimes = {0, 1}; // wrong length: spaced evenly at 0, 0.5, 1
    EXPECT_NEAR(*steps.valueAt(0.75), 0.75, 1e-12);
    EXPECT_EQ(KeyframeAnimation{}.valueAt(0.5), std::nullopt);
}

TEST(Layer, TreeMembershipFollowsAddAndRemove)
{
    auto root = std::make_shared<Layer>();
    auto other = std::make_shared<Layer>();
    auto a = std::make_shared<ShapeLayer>();
    auto b = std::make_shared<ShapeLayer>();
    root->addSublayer(a);
    root->addSublayer(b);
    other->addSublayer(a); // moves, it is not shared
    ASSERT_EQ(root->sublayers().size(), 1u);
    EXPECT_EQ(root->sublayers()[0], b);
    EXPECT_EQ(a->superlayer(), other.get());

    std::weak_ptr<Layer> weakB = b;
    b->removeFromSuperlayer();
    b.reset(); // the superlayer held the other reference; removal let it go
    EXPECT_TRUE(weakB.expired());
    EXPECT_TRUE(root->sublayers().empty());

    other.reset();
    EXPECT_EQ(a->superlayer(), nullptr);
    a->removeFromSuperlayer(); // harmless once the superlayer is gone
}

TEST(Layer, PresentationAppliesGroupsInOrderOverTheModelValues)
{
    ShapeLayer layer;
    layer.opacity = 0.4;
    EXPECT_EQ(layer.presentation(0), (LayerPresentation{0.4, 1}));

    layer.addAnimation(fadeGroup(1, 1, FillMode::forwards, false), "fade");
    BasicAnimation grow;
    grow.keyPath = key_paths::scale;
    grow.fromValue = 1;
    grow.toValue = 3;
    AnimationGroup growGroup;
    growGroup.animations = {grow, BasicAnimation{key_paths::opacity, 0.2, 0.2, {}}};
    growGroup.beginTime = 1;
    growGroup.duration = 2;
    layer.addAnimation(growGroup, "grow");
    EXPECT_EQ(layer.presentation(0.5), (LayerPresentation{0.4, 1})); // neither has begun
    // The later group's opacity wins over the earlier one's.
    EXPECT_EQ(layer.presentation(2), (LayerPresentation{0.2, 2}));
    EXPECT_EQ(layer.presentation(3), (LayerPresentation{0, 1})); // grow removed, fade held

    layer.addAnimation(fadeGroup(0, 10, FillMode::removed, true), "grow"); // replaces, goes last
    EXPECT_EQ(layer.animationKeys(), (std::vector<std::string>{"fade", "grow"}));
    EXPECT_DOUBLE_EQ(layer.presentation(5).opacity, 0.5);
    layer.removeAllAnimations();
    EXPECT_EQ(layer.animation("fade"), nullptr);
}

TEST(Layer, RenderingScalesAboutTheCentreMultipliesOpacityAndSkipsHiddenTrees)
{
    auto root = std::make_shared<Layer>();
    root->frame = Rect{0, 0, 400, 300};
    root->opacity = 0.5;
    auto ring = std::make_shared<ShapeLayer>();
    ring->frame = Rect{10, 20, 100, 50};
    ring->path.addEllipse(Rect{0, 0, 100, 50});
    ring->fillColor = Color::clearColor();
    ring->strokeColor = Color::sRGB(1, 0, 0, 0.9);
    ring->lineWidth = 4;
    ring->lineJoin = LineJoin::round;
    BasicAnimation shrink{key_paths::scale, 1, 0, {}};
    AnimationGroup group;
    group.animations = {shrink};
    group.duration = 1;
    ring->addAnimation(group, "shrink");
    root->addSublayer(ring);

    sim::SimCanvas canvas;
    root->render(canvas, 0.5);
    EXPECT_EQ(canvas.saveDepth(), 0);
    ASSERT_EQ(canvas.drawings().size(), 1u); // clear fill and clear background: not drawn
    const auto stroke = canvas.strokes().at(0);
    EXPECT_EQ(stroke.bounds(), Rect(35, 32.5, 50, 25));
    EXPECT_DOUBLE_EQ(stroke.lineWidth(), 2);
    EXPECT_EQ(stroke.stroke.lineJoin, LineJoin::round);
    EXPECT_EQ(stroke.color, Color::sRGB(1, 0, 0, 0.9));
    EXPECT_DOUBLE_EQ(stroke.opacity, 0.5);

    const auto bounds = root->animatedBounds();
    ASSERT_TRUE(bounds.has_value()); // the whole stroke at full size, plus a point
    EXPECT_EQ(*bounds, Rect(5, 15, 110, 60));
    EXPECT_TRUE(root->isAnimating(0.99));
    EXPECT_FALSE(root->isAnimating(1));

    canvas.clear();
    root->hidden = true;
    root->render(canvas, 0.5);
    EXPECT_TRUE(canvas.calls().empty());
    root->hidden = false;
    root->opacity = 0;
    root->render(canvas, 0.5);
    EXPECT_TRUE(canvas.calls().empty());
}

} // namespace
} // namespace halomark
