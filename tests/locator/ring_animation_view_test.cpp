#include "locator/ring_animation_view.h"
#include "sim/sim_canvas.h"
#include "sim/sim_main_loop.h"
#include "sim/sim_settings_store.h"

#include <gtest/gtest.h>

namespace halomark {
namespace {

class RingAnimationViewTest : public ::testing::Test
{
protected:
    void SetUp() override { loop.advance(5); } // rings begin at a media time that is not 0

    std::shared_ptr<RingAnimationView> makeView()
    {
        return std::make_shared<RingAnimationView>(Rect{0, 0, 800, 600}, loop, settings);
    }

    // Draws the view at the given fraction of the ring duration after `start`.
    sim::SimCanvas frameAt(const RingAnimationView& view, double fraction)
    {
        sim::SimCanvas canvas;
        view.draw(canvas, start + fraction * 0.78);
        return canvas;
    }

    sim::SimMainLoop loop;
    sim::SimSettingsStore store;
    AppearanceSettings settings{store};
    const double start = 5;
};

TEST_F(RingAnimationViewTest, OneAnimateAddsTwoRingsOutlineBelowSharingOneGroup)
{
    auto view = makeView();
    view->animate({100, 200}, [] {});
    const auto& rings = view->generatedLayers();
    ASSERT_EQ(rings.size(), 2u);
    const auto& sublayers = view->layer()->sublayers();
    ASSERT_EQ(sublayers.size(), 2u);
    EXPECT_EQ(sublayers[0], rings[0]); // outline first, so below
    EXPECT_EQ(sublayers[1], rings[1]);

    const ShapeLayer& outline = *rings[0];
    const ShapeLayer& foreground = *rings[1];
    EXPECT_EQ(outline.strokeColor, Color::blackColor().withAlpha(0.82));
    EXPECT_EQ(outline.lineWidth, 4.4);
    EXPECT_EQ(foreground.strokeColor, Color::whiteColor().withAlpha(0.96));
    EXPECT_EQ(foreground.lineWidth, 2.6);
    for (const ShapeLayer* ring : {&outline, &foreground}) {
        EXPECT_EQ(ring->frame, Rect(48, 148, 104, 104));
        EXPECT_EQ(ring->path.boundingBox(), Rect(0, 0, 104, 104));
        EXPECT_EQ(ring->fillColor.alpha, 0);
        EXPECT_EQ(ring->opacity, 0); // invisible outside the animation
        EXPECT_EQ(ring->animationKeys(), std::vector<std::string>{"halomark-ring"});
    }
    const AnimationGroup* group = outline.animation(RingAnimationView::animationKey);
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(*group, *foreground.animation(RingAnimationView::animationKey));
    EXPECT_EQ(*group, view->makeRingAnimation(start));
    EXPECT_EQ(group->beginTime, start);
    EXPECT_EQ(group->duration, 0.78);
    EXPECT_EQ(group->fillMode, FillMode::forwards);
    EXPECT_FALSE(group->removedOnCompletion);
    EXPECT_TRUE(view->needsDisplay());
}

TEST_F(RingAnimationViewTest, RingsGo086LaterJustBeforeTheOnlyCompletion)
{
    auto view = makeView();
    int completions = 0;
    bool ringsGoneAtCompletion = false;
    view->animate({100, 200}, [&] {
        ++completions;
        ringsGoneAtCompletion =
            view->generatedLayers().empty() && view->layer()->sublayers().empty();
    });
    loop.advance(0.859);
    EXPECT_EQ(completions, 0);
    EXPECT_EQ(view->generatedLayers().size(), 2u);
    // The final state holds between the end of the ring and the clean-up: nothing is drawn.
    EXPECT_TRUE(frameAt(*view, 0.859 / 0.78).drawings().empty());
    EXPECT_FALSE(view->isAnimating(loop.now()));
    loop.advance(0.001);
    EXPECT_EQ(completions, 1);
    EXPECT_TRUE(ringsGoneAtCompletion);
    loop.advance(5);
    EXPECT_EQ(completions, 1);
}

TEST_F(RingAnimationViewTest, PresentationFollowsTheShrinkAndFadeTable)
{
    auto view = makeView();
    view->animate({400, 300}, [] {});
    const ShapeLayer& ring = *view->generatedLayers()[1];
    const auto at = [&](double fraction) { return ring.presentation(start + fraction * 0.78); };
    const double r = view->locatorAppearance.maximumRadius;

    EXPECT_EQ(at(0).opacity, 0);
    EXPECT_EQ(at(0).scale * r, 52);
    EXPECT_DOUBLE_EQ(at(1).scale * r, 9.36);
    EXPECT_EQ(at(1).opacity, 0);
    EXPECT_DOUBLE_EQ(at(3).scale * r, 9.36); // held until removed
    EXPECT_EQ(at(3).opacity, 0);

    EXPECT_NEAR(at(0.08).opacity, 1, 1e-12);
    EXPECT_NEAR(at(0.3).opacity, 1, 1e-12);
    EXPECT_NEAR(at(0.58).opacity, 1, 1e-12);
    EXPECT_NEAR(at(0.84).opacity, 0.7, 1e-12);
    // Half way through each segment: ease-out in, flat, ease-in-ease-out, ease-in out.
    EXPECT_NEAR(at(0.04).opacity, 0.6846431874274607, 1e-9);
    EXPECT_NEAR(at(0.71).opacity, 0.85, 1e-9);
    EXPECT_NEAR(at(0.92).opacity, 0.7 * (1 - 0.3153568125725393), 1e-9);
    // The scale eases in and out over the whole duration.
    EXPECT_NEAR(at(0.5).scale, 0.59, 1e-9);
    EXPECT_NEAR(at(0.25).scale, 1 - 0.82 * 0.12916193104731982, 1e-9);

    // The frame drawn half way: outline then foreground, centred on the point, scaled with
    // their strokes, fully opaque.
    const auto strokes = frameAt(*view, 0.5).strokes();
    ASSERT_EQ(strokes.size(), 2u);
    for (const auto& stroke : strokes) {
        EXPECT_NEAR(stroke.bounds().midX(), 400, 1e-9);
        EXPECT_NEAR(stroke.bounds().midY(), 300, 1e-9);
        EXPECT_NEAR(stroke.bounds().width() / 2, 52 * 0.59, 1e-9);
        EXPECT_NEAR(stroke.opacity, 1, 1e-12);
    }
    EXPECT_NEAR(strokes[0].lineWidth(), 4.4 * 0.59, 1e-9);
    EXPECT_NEAR(strokes[1].lineWidth(), 2.6 * 0.59, 1e-9);
    EXPECT_EQ(strokes[1].color, Color::whiteColor().withAlpha(0.96));
    EXPECT_TRUE(frameAt(*view, 0).drawings().empty()); // opacity 0 at the start
    EXPECT_TRUE(view->isAnimating(start + 0.77));
}

TEST_F(RingAnimationViewTest, APointNearTheEdgeIsNotMovedInwards)
{
    auto view = makeView();
    view->animate({10, 5}, [] {});
    EXPECT_EQ(view->generatedLayers()[0]->frame, Rect(-42, -47, 104, 104));
    const auto changed = view->animatedRect();
    ASSERT_TRUE(changed.has_value());
    EXPECT_LE(changed->minX(), -42 - 2.2);
    EXPECT_GE(changed->maxY(), 57 + 2.2);
}

TEST_F(RingAnimationViewTest, WithoutBackingLayerItCompletesAtOnceAndReleasedItStillCompletesOnce)
{
    auto view = makeView();
    view->setWantsLayer(false);
    int completions = 0;
    view->animate({100, 100}, [&] { ++completions; });
    EXPECT_EQ(completions, 1);
    EXPECT_TRUE(view->generatedLayers().empty());
    EXPECT_EQ(loop.pendingCount(), 0u);
    loop.advance(2);
    EXPECT_EQ(completions, 1);

    // A released view still completes exactly once.
    view = makeView();
    std::weak_ptr<RingAnimationView> weak = view;
    completions = 0;
    view->animate({100, 100}, [&] { ++completions; });
    loop.advance(0.3);
    view.reset();
    EXPECT_TRUE(weak.expired());
    loop.advance(0.56);
    EXPECT_EQ(completions, 1);
    loop.advance(2);
    EXPECT_EQ(completions, 1);
}

TEST_F(RingAnimationViewTest, AColourChosenAfterTheViewWasMadeDoesNotChangeItsRings)
{
    auto early = makeView();
    settings.setSelectedChoice(AppearanceSettings::ColorChoice::red);
    auto late = makeView();
    early->animate({100, 100}, [] {});
    late->animate({100, 100}, [] {});
    EXPECT_EQ(early->generatedLayers()[1]->strokeColor, Color::whiteColor().withAlpha(0.96));
    EXPECT_EQ(early->generatedLayers()[0]->strokeColor, Color::blackColor().withAlpha(0.82));
    EXPECT_EQ(late->generatedLayers()[1]->strokeColor, system_colors::red().withAlpha(0.96));
    EXPECT_EQ(late->generatedLayers()[0]->strokeColor, Color::whiteColor().withAlpha(0.82));
}

} // namespace
} // namespace halomark
