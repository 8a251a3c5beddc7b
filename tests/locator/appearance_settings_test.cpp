#include "locator/appearance_settings.h"
#include "sim/sim_settings_store.h"

#include <gtest/gtest.h>

namespace halomark {
namespace {

using Choice = AppearanceSettings::ColorChoice;

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
    EXPECT_EQ(reread.color(), system_colors::blue());
    EXPECT_EQ(reread.selectedChoice(), Choice::custom);
    EXPECT_TRUE(store.writes().empty());
}

TEST(AppearanceSettings, OutlineIsBlackOnlyAboveTheStrictLumaThreshold)
{
    // A gray of exactly 0.58 has luma 0.58 (the weights add up to 1): white. Green alone has
    // luma 0.7152, blue alone 0.0722.
    const std::vector<std::pair<Color, Color>> cases{
        {Color::deviceRGB(0, 0, 0), Color::whiteColor()},
        {Color::white(0.58), Color::whiteColor()},
        {Color::white(0.5801), Color::blackColor()},
        {Color::deviceRGB(0, 1, 0), Color::blackColor()},
        {Color::deviceRGB(0, 0, 1), Color::whiteColor()},
        {Color::patternColor(), Color::blackColor()},
    };
    for (const auto& [colour, expected] : cases) {
        EXPECT_EQ(AppearanceSettings::contrastingOutlineColor(colour), expected);
    }
}

} // namespace
} // namespace halomark
