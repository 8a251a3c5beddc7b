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
    RingAnimationViewTest() { loop.advance(start); } // rings begin at a media time that is not 0

    std::shared_ptr<RingAnimationView> makeView()
    {
        return std::make_shared<RingAnimationView>(Rect{0, 0, 800, 600}, loop, settings);
    }

    sim::SimMainLoop loop;
    sim::SimSettingsStore store;
    AppearanceSettings settings{store};
    const double start = 5;
};

TEST_F(RingAnimationViewTest, TwoRingsShrinkAndFadeTogetherAndGo086LaterJustBeforeTheCompletion)
{
    auto view = makeView();
    int completions = 0;
    bool ringsGoneAtCompletion = false;
    view->animate({400, 300}, [&] {
        ++completions;
        ringsGoneAtCompletion =
            view->generatedLayers().empty() && view->layer()->sublayers().empty();
    });
    const auto& rings = view->generatedLayers();
    ASSERT_EQ(rings.size(), 2u);
    EXPECT_EQ(view->layer()->sublayers().at(0), rings[0]); // the outline first, so below
    EXPECT_EQ(view->layer()->sublayers().at(1), rings[1]);
    EXPECT_EQ(rings[0]->strokeColor, Color::blackColor().withAlpha(0.82));
    EXPECT_EQ(rings[0]->lineWidth, 4.4);
    EXPECT_EQ(rings[1]->strokeColor, Color::whiteColor().withAlpha(0.96));
    EXPECT_EQ(rings[1]->lineWidth, 2.6);
    for (const auto& ring : rings) {
        EXPECT_EQ(ring->frame, Rect(348, 248, 104, 104));
        EXPECT_EQ(ring->path.boundingBox(), Rect(0, 0, 104, 104));
        EXPECT_EQ(ring->fillColor.alpha, 0);
        EXPECT_EQ(ring->opacity, 0); // invisible outside the animation
        EXPECT_EQ(*ring->animation(RingAnimationView::animationKey),
                  view->makeRingAnimation(start));
    }
    EXPECT_TRUE(view->needsDisplay());
    // What changes on screen reaches past the rings by half the outline's stroke.
    const auto changed = view->animatedRect();
    ASSERT_TRUE(changed.has_value());
    EXPECT_LE(changed->minX(), 348 - 2.2);
    EXPECT_GE(changed->maxY(), 352 + 2.2);

    // Opacity and scale over the duration: ease-out in, flat, ease-in-ease-out to 0.7, ease-in
    // out; the scale eases in and out from 52 to 9.36; both hold there until removed.
    const auto at = [&](double fraction) {
        return rings[1]->presentation(start + fraction * 0.78);
    };
    const std::vector<std::pair<double, double>> opacities{
        {0, 0},      {0.04, 0.6846431874274607},
        {0.08, 1},   {0.3, 1},
        {0.58, 1},   {0.71, 0.85},
        {0.84, 0.7}, {0.92, 0.7 * (1 - 0.3153568125725393)},
        {1, 0},      {3, 0}};
    for (const auto& [fraction, opacity] : opacities) {
        EXPECT_NEAR(at(fraction).opacity, opacity, 1e-9) << fraction;
    }
    const std::vector<std::pair<double, double>> scales{
        {0, 1}, {0.25, 1 - 0.82 * 0.12916193104731982}, {0.5, 0.59}, {1, 0.18}, {3, 0.18}};
    for (const auto& [fraction, scale] : scales) {
        EXPECT_NEAR(at(fraction).scale, scale, 1e-9) << fraction;
    }
    // Drawn half way: outline then foreground, centred on the point, scaled with their strokes.
    sim::SimCanvas canvas;
    view->draw(canvas, start + 0.39);
    const auto strokes = canvas.strokes();
    ASSERT_EQ(strokes.size(), 2u);
    EXPECT_NEAR(strokes[0].lineWidth(), 4.4 * 0.59, 1e-9);
    EXPECT_NEAR(strokes[1].bounds().midY(), 300, 1e-9);
    EXPECT_NEAR(strokes[1].bounds().width() / 2, 52 * 0.59, 1e-9);

    // The final state holds until the clean-up at 0.86 s.
    loop.advance(0.859);
    EXPECT_EQ(completions, 0);
    EXPECT_EQ(rings.size(), 2u);
    loop.advance(0.001);
    EXPECT_EQ(completions, 1);
    EXPECT_TRUE(ringsGoneAtCompletion);
    loop.advance(5);
    EXPECT_EQ(completions, 1);
}

// A view without a backing layer completes at once: the overlay controller's tests show it.
TEST_F(RingAnimationViewTest, ReleasedBeforeTheEndItStillCompletesOnce)
{
    auto view = makeView();
    int completions = 0;
    view->animate({100, 100}, [&] { ++completions; });
    loop.advance(0.3);
    view.reset();
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
    EXPECT_EQ(late->generatedLayers()[1]->strokeColor, system_colors::red().withAlpha(0.96));
    EXPECT_EQ(late->generatedLayers()[0]->strokeColor, Color::whiteColor().withAlpha(0.82));
}

} // namespace
} // namespace halomark
