// The ring of a tap: its colours as chosen and stored, the view's two animated rings, and the
// controller that gives each tap a panel over the screen under the pointer.
#include "locator/appearance_settings.h"
#include "locator/locator_overlay_controller.h"
#include "locator/ring_animation_view.h"
#include "sim/sim_canvas.h"
#include "sim/sim_input_state.h"
#include "sim/sim_main_loop.h"
#include "sim/sim_panel.h"
#include "sim/sim_screen_list.h"
#include "sim/sim_settings_store.h"

#include <gtest/gtest.h>

namespace halomark {
namespace {

using Choice = AppearanceSettings::ColorChoice;
using sim::SimPanel;
using sim::SimScreenList;
using Panels = std::vector<std::shared_ptr<SimPanel>>;

TEST(AppearanceSettings, ChoicesPersistMapToTheSystemColoursAndReadBackOrAsWhite)
{
    sim::SimSettingsStore store;
    for (const SettingValue& stored : {SettingValue{"magenta"}, SettingValue{std::int64_t{3}}}) {
        store.seed(AppearanceSettings::colorChoiceKey, stored);
        EXPECT_EQ(AppearanceSettings(store).color(), Color::whiteColor());
    }
    EXPECT_TRUE(store.writes().empty());
    AppearanceSettings settings(store);
    settings.setSelectedChoice(Choice::orange);
    EXPECT_EQ(store.writes().back().value, SettingValue{"orange"});
    EXPECT_EQ(AppearanceSettings(store).color(), Color::sRGB255(255, 149, 0));
    const std::vector<std::pair<Choice, Color>> colours{
        {Choice::red, Color::sRGB255(255, 59, 48)},
        {Choice::yellow, Color::sRGB255(255, 204, 0)},
        {Choice::green, Color::sRGB255(52, 199, 89)},
        {Choice::cyan, Color::sRGB255(50, 173, 230)},
        {Choice::blue, Color::sRGB255(0, 122, 255)},
        {Choice::purple, Color::sRGB255(175, 82, 222)},
        {Choice::defaultWhite, Color::whiteColor()}};
    for (const auto& [choice, colour] : colours) {
        EXPECT_EQ(settings.color(choice), colour) << AppearanceSettings::rawValue(choice);
        EXPECT_EQ(AppearanceSettings::colorChoiceFromRawValue(AppearanceSettings::rawValue(choice)),
                  choice);
    }
}

TEST(AppearanceSettings, CustomColourIsStoredInOrderReadBackUnclampedOrAsBlueWhenIncomplete)
{
    sim::SimSettingsStore store;
    AppearanceSettings settings(store);
    settings.setCustomColor(Color::sRGB(0.2, 0.4, 0.6, 0.5));
    EXPECT_EQ(store.writes(), (std::vector<sim::SimSettingsStore::Write>{
                                  {AppearanceSettings::customRedKey, 0.2},
                                  {AppearanceSettings::customGreenKey, 0.4},
                                  {AppearanceSettings::customBlueKey, 0.6},
                                  {AppearanceSettings::colorChoiceKey, "custom"}}));
    EXPECT_EQ(settings.color(), Color::calibratedRGB(0.2, 0.4, 0.6, 1.0));
    store.seed(AppearanceSettings::customRedKey, 1.7);
    store.seed(AppearanceSettings::customGreenKey, std::int64_t{-1});
    EXPECT_EQ(AppearanceSettings(store).color(), Color::calibratedRGB(1.7, -1.0, 0.6, 1.0));

    // A pattern colour writes nothing and keeps the choice.
    settings.setSelectedChoice(Choice::green);
    store.clearWrites();
    settings.setCustomColor(Color::patternColor());
    EXPECT_TRUE(store.writes().empty());
    EXPECT_EQ(settings.selectedChoice(), Choice::green);

    // A missing component gives system blue and keeps the stored choice.
    settings.setSelectedChoice(Choice::custom);
    store.remove(AppearanceSettings::customGreenKey);
    store.clearWrites();
    AppearanceSettings reread(store);
    EXPECT_EQ(std::tuple(reread.color(), reread.selectedChoice(), store.writes().empty()),
              std::tuple(system_colors::blue(), Choice::custom, true));

    // The outline is black only above a luma of 0.58: a gray of exactly 0.58 (the weights add
    // up to 1) keeps white; green alone has luma 0.7152, blue alone 0.0722.
    const std::vector<std::pair<Color, Color>> outlines{
        {Color::deviceRGB(0, 0, 0), Color::whiteColor()},
        {Color::white(0.58), Color::whiteColor()},
        {Color::white(0.5801), Color::blackColor()},
        {Color::deviceRGB(0, 1, 0), Color::blackColor()},
        {Color::deviceRGB(0, 0, 1), Color::whiteColor()},
        {Color::patternColor(), Color::blackColor()},
    };
    for (const auto& [colour, expected] : outlines) {
        EXPECT_EQ(AppearanceSettings::contrastingOutlineColor(colour), expected);
    }
}

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
    // A colour chosen after a view was made does not change its rings; a later view's.
    settings.setSelectedChoice(Choice::red);
    auto late = makeView();
    late->animate({100, 100}, [&] { completions += 10; });
    EXPECT_EQ(
        std::tuple(late->generatedLayers()[0]->strokeColor,
                   late->generatedLayers()[1]->strokeColor),
        std::tuple(Color::whiteColor().withAlpha(0.82), system_colors::red().withAlpha(0.96)));
    const auto& rings = view->generatedLayers();
    ASSERT_EQ(rings.size(), 2u);
    EXPECT_EQ(view->layer()->sublayers(),
              (std::vector<std::shared_ptr<Layer>>{rings[0], rings[1]})); // outline below
    EXPECT_EQ(std::tuple(rings[0]->strokeColor, rings[0]->lineWidth, rings[1]->strokeColor,
                         rings[1]->lineWidth),
              std::tuple(Color::blackColor().withAlpha(0.82), 4.4,
                         Color::whiteColor().withAlpha(0.96), 2.6));
    for (const auto& ring : rings) { // invisible outside the animation
        EXPECT_EQ(std::tuple(ring->frame, ring->path.boundingBox(), ring->fillColor.alpha,
                             ring->opacity, *ring->animation(RingAnimationView::animationKey)),
                  std::tuple(Rect(348, 248, 104, 104), Rect(0, 0, 104, 104), 0.0, 0.0,
                             view->makeRingAnimation(start)));
    }
    // What changes on screen reaches past the rings by half the outline's stroke.
    const Rect changed = view->animatedRect().value_or(Rect{});
    EXPECT_TRUE(view->needsDisplay() && changed.minX() <= 348 - 2.2 && changed.maxY() >= 352 + 2.2);

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

    // The final state holds until the clean-up at 0.86 s; a view released before the end
    // still completes, once.
    loop.advance(0.3);
    late.reset();
    loop.advance(0.559);
    EXPECT_EQ(std::tuple(completions, rings.size()), std::tuple(0, 2u));
    loop.advance(0.001);
    EXPECT_EQ(std::tuple(completions, ringsGoneAtCompletion), std::tuple(11, true));
    loop.advance(5);
    EXPECT_EQ(completions, 11);
}

class LocatorOverlayControllerTest : public ::testing::Test
{
protected:
    LocatorOverlayControllerTest()
    {
        // Two displays side by side; the right one is taller and reaches below the left one.
        screens.setScreens({SimScreenList::makeScreen(1, Rect{0, 0, 1440, 900}),
                            SimScreenList::makeScreen(2, Rect{1440, -180, 1920, 1080})});
    }

    void tapAt(Point pointer)
    {
        input.movePointer(pointer);
        controller->showAtPointer();
    }

    // The frame of the first ring the panel's view draws, in the view's coordinates.
    static Rect ringFrame(const SimPanel& panel)
    {
        const auto view = std::dynamic_pointer_cast<RingAnimationView>(panel.contentView());
        return view->generatedLayers().at(0)->frame;
    }

    sim::SimMainLoop loop;
    sim::SimInputState input;
    SimScreenList screens;
    sim::SimPanelFactory factory{loop};
    sim::SimSettingsStore store;
    AppearanceSettings settings{store};
    std::shared_ptr<LocatorOverlayController> controller =
        std::make_shared<LocatorOverlayController>(loop, input, screens, factory, settings);
};

TEST_F(LocatorOverlayControllerTest, EachTapGetsAPanelOverItsScreenInFrontUntilItsRingEnds)
{
    tapAt({1500, 100});
    ASSERT_EQ(factory.createdCount(), 1);
    auto first = factory.panel(0);
    EXPECT_EQ(first->configuration(), ringPanelConfiguration(screens.screens()[1]));
    EXPECT_EQ(first->calls(),
              (std::vector<std::string>{"setLevel 1000", "setIgnoresMouseEvents true",
                                        "setCollectionBehavior 337", "setContentView",
                                        "orderFrontRegardless"}));
    EXPECT_EQ(first->contentView()->frame(), Rect(0, 0, 1920, 1080));
    // Centred on the pointer in the view's coordinates: (1500 - 1440, 100 + 180).
    EXPECT_EQ(ringFrame(*first), Rect(60 - 52, 280 - 52, 104, 104));
    ASSERT_EQ(controller->activePanels().size(), 1u);
    EXPECT_EQ(controller->activePanels().begin()->second, first);

    loop.advance(0.3);
    tapAt({200, 150});
    auto second = factory.panel(1);
    EXPECT_EQ(factory.frontToBack(), (Panels{second, first}));
    first.reset();
    second.reset();
    loop.advance(0.559); // 0.859 s after the first
    EXPECT_EQ(controller->activePanels().size(), 2u);
    loop.advance(0.001);
    EXPECT_EQ(factory.panel(0), nullptr); // ordered out and released
    EXPECT_EQ(factory.frontToBack(), Panels{factory.panel(1)});
    loop.advance(0.3);
    EXPECT_TRUE(controller->activePanels().empty() && factory.frontToBack().empty());
}

TEST_F(LocatorOverlayControllerTest, HideAllRemovesEveryPanelAtOnceAndLateCompletionsDoNoHarm)
{
    tapAt({100, 100});
    loop.advance(0.1);
    tapAt({1600, 100});
    loop.advance(0.1);
    auto first = factory.panel(0); // kept alive here, so it must be ordered out, not just let go
    controller->hideAll();
    EXPECT_TRUE(controller->activePanels().empty() && factory.frontToBack().empty());
    EXPECT_EQ(first.use_count(), 1);
    first.reset();

    loop.advance(0.3); // a new ring while the old ones still run unseen
    tapAt({300, 300});
    auto fresh = factory.panel(2);
    loop.advance(0.5); // both old completions have run
    EXPECT_EQ(controller->activePanels().size(), 1u);
    EXPECT_EQ(fresh->calls().back(), "orderFrontRegardless");
    controller->dismissPanel("no such panel"); // harmless
}

TEST_F(LocatorOverlayControllerTest, OffEveryScreenTheMainScreenTakesTheRingOrNothingDoes)
{
    // Exactly on the bottom edge of the left display lies outside every frame: the main
    // screen takes the ring, drawn at the pointer's offset from its origin.
    screens.setMainScreen(2);
    tapAt({100, 0});
    ASSERT_EQ(factory.createdCount(), 1);
    EXPECT_EQ(factory.panel(0)->configuration().display, 2u);
    EXPECT_EQ(ringFrame(*factory.panel(0)), Rect(100 - 1440 - 52, 0 + 180 - 52, 104, 104));

    screens.setNoMainScreen(true);
    tapAt({-10, -10});
    EXPECT_EQ(factory.createdCount(), 1);
}

TEST_F(LocatorOverlayControllerTest, ALayerlessViewOrAReleasedControllerLeavesNoPanelBehind)
{
    factory.makeNextContentViewLayerless();
    tapAt({100, 100});
    ASSERT_EQ(factory.createdCount(), 1);
    EXPECT_TRUE(controller->activePanels().empty() && factory.frontToBack().empty());
    EXPECT_EQ(loop.pendingCount(), 0u);

    tapAt({100, 100}); // the next view has its layer again
    std::weak_ptr<SimPanel> panel = factory.panel(1);
    controller.reset();
    EXPECT_TRUE(panel.expired());
    loop.advance(1);
    EXPECT_EQ(loop.pendingCount(), 0u);
}

} // namespace
} // namespace halomark
