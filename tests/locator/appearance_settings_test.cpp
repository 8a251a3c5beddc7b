#include "locator/appearance_settings.h"
#include "sim/sim_settings_store.h"

#include <gtest/gtest.h>

namespace halomark {
namespace {

using Choice = AppearanceSettings::ColorChoice;

TEST(AppearanceSettings, NoUnknownOrMistypedStoredChoiceReadsAsWhiteAndIsNotRewritten)
{
    for (const std::optional<SettingValue>& stored :
         {std::optional<SettingValue>{}, std::optional<SettingValue>{std::string("magenta")},
          std::optional<SettingValue>{std::int64_t{3}}, std::optional<SettingValue>{true}}) {
        sim::SimSettingsStore store;
        if (stored) {
            store.seed(AppearanceSettings::colorChoiceKey, *stored);
        }
        AppearanceSettings settings(store);
        EXPECT_EQ(settings.selectedChoice(), Choice::defaultWhite);
        EXPECT_EQ(settings.color(), Color::whiteColor());
        EXPECT_EQ(AppearanceSettings::contrastingOutlineColor(settings.color()),
                  Color::blackColor());
        EXPECT_TRUE(store.writes().empty());
        EXPECT_EQ(store.object(AppearanceSettings::colorChoiceKey), stored);
    }
}

TEST(AppearanceSettings, ChoicesPersistAndMapToTheSystemColours)
{
    sim::SimSettingsStore store;
    AppearanceSettings settings(store);
    settings.setSelectedChoice(Choice::orange);
    EXPECT_EQ(store.stringForKey(AppearanceSettings::colorChoiceKey), "orange");
    EXPECT_EQ(AppearanceSettings(store).selectedChoice(), Choice::orange);

    EXPECT_EQ(settings.color(), Color::sRGB255(255, 149, 0));
    EXPECT_EQ(settings.color(Choice::red), Color::sRGB255(255, 59, 48));
    EXPECT_EQ(settings.color(Choice::yellow), Color::sRGB255(255, 204, 0));
    EXPECT_EQ(settings.color(Choice::green), Color::sRGB255(52, 199, 89));
    EXPECT_EQ(settings.color(Choice::cyan), Color::sRGB255(50, 173, 230));
    EXPECT_EQ(settings.color(Choice::blue), Color::sRGB255(0, 122, 255));
    EXPECT_EQ(settings.color(Choice::purple), Color::sRGB255(175, 82, 222));
    for (Choice choice : AppearanceSettings::allColorChoices) {
        EXPECT_EQ(AppearanceSettings::colorChoiceFromRawValue(AppearanceSettings::rawValue(choice)),
                  choice);
    }
}

TEST(AppearanceSettings, CustomColourIsStoredInOrderReadBackUnclampedAndAPatternIsRefused)
{
    sim::SimSettingsStore store;
    AppearanceSettings settings(store);
    settings.setCustomColor(Color::sRGB(0.2, 0.4, 0.6, 0.5));
    EXPECT_EQ(settings.selectedChoice(), Choice::custom);
    ASSERT_EQ(store.writes().size(), 4u);
    EXPECT_EQ(store.writes()[0].key, AppearanceSettings::customRedKey);
    EXPECT_EQ(store.writes()[1].key, AppearanceSettings::customGreenKey);
    EXPECT_EQ(store.writes()[2].key, AppearanceSettings::customBlueKey);
    EXPECT_EQ(store.writes()[3],
              (sim::SimSettingsStore::Write{AppearanceSettings::colorChoiceKey,
                                            SettingValue{std::string("custom")}}));
    EXPECT_EQ(settings.color(), Color::calibratedRGB(0.2, 0.4, 0.6, 1.0));

    store.seed(AppearanceSettings::customRedKey, 1.7);
    store.seed(AppearanceSettings::customGreenKey, std::int64_t{-1});
    EXPECT_EQ(settings.color(Choice::custom), Color::calibratedRGB(1.7, -1.0, 0.6, 1.0));

    // A pattern colour writes nothing and keeps the choice.
    settings.setSelectedChoice(Choice::green);
    store.clearWrites();
    settings.setCustomColor(Color::patternColor());
    EXPECT_TRUE(store.writes().empty());
    EXPECT_EQ(settings.selectedChoice(), Choice::green);
}

TEST(AppearanceSettings, MissingCustomComponentGivesSystemBlueAndKeepsTheChoice)
{
    sim::SimSettingsStore store;
    store.seed(AppearanceSettings::colorChoiceKey, std::string("custom"));
    store.seed(AppearanceSettings::customRedKey, 0.1);
    store.seed(AppearanceSettings::customBlueKey, 0.3);
    AppearanceSettings settings(store);
    EXPECT_EQ(settings.selectedChoice(), Choice::custom);
    EXPECT_EQ(settings.color(), system_colors::blue());
    EXPECT_EQ(store.stringForKey(AppearanceSettings::colorChoiceKey), "custom");
    EXPECT_TRUE(store.writes().empty());
}

TEST(AppearanceSettings, OutlineIsBlackOnlyAboveTheStrictLumaThreshold)
{
    const auto outline = AppearanceSettings::contrastingOutlineColor;
    EXPECT_EQ(outline(Color::deviceRGB(0, 0, 0)), Color::whiteColor());
    EXPECT_EQ(outline(Color::deviceRGB(1, 1, 1)), Color::blackColor());
    // A gray of exactly 0.58 has luma 0.58 (the weights add up to 1): white.
    EXPECT_EQ(outline(Color::white(0.58)), Color::whiteColor());
    EXPECT_EQ(outline(Color::white(0.5801)), Color::blackColor());
    // Green alone: luma 0.7152; blue alone: 0.0722; system yellow is light.
    EXPECT_EQ(outline(Color::deviceRGB(0, 1, 0)), Color::blackColor());
    EXPECT_EQ(outline(system_colors::blue()), Color::whiteColor());
    EXPECT_EQ(outline(system_colors::yellow()), Color::blackColor());
    EXPECT_EQ(outline(Color::patternColor()), Color::blackColor());
}

TEST(AppearanceSettings, SharedInstanceIsCreatedOnceOnFirstUse)
{
    // The shared instance outlives the test, so the stores it may bind to must as well.
    static sim::SimSettingsStore first;
    static sim::SimSettingsStore second;
    auto a = AppearanceSettings::shared(first);
    auto b = AppearanceSettings::shared(second);
    EXPECT_EQ(a.get(), b.get());
}

} // namespace
} // namespace halomark
