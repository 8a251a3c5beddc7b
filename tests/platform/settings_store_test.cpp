#include "platform/color.h"
#include "sim/sim_settings_store.h"

#include <gtest/gtest.h>

namespace halomark {
namespace {

TEST(SettingsStoreReading, BoolCoercesNumbersAndTexts)
{
    sim::SimSettingsStore store;
    EXPECT_FALSE(store.boolForKey("missing"));
    const std::vector<std::pair<SettingValue, bool>> cases{{true, true},
                                                           {false, false},
                                                           {std::int64_t{0}, false},
                                                           {std::int64_t{2}, true},
                                                           {0.0, false},
                                                           {0.25, true},
                                                           {std::string("YES"), true},
                                                           {std::string("yes"), true},
                                                           {std::string("true"), true},
                                                           {std::string("  T"), true},
                                                           {std::string("1"), true},
                                                           {std::string("007"), true},
                                                           {std::string("-3"), true},
                                                           {std::string("NO"), false},
                                                           {std::string("0"), false},
                                                           {std::string("000"), false},
                                                           {std::string(""), false},
                                                           {std::string("false"), false},
                                                           {std::string("on"), false},
                                                           {OtherSettingValue{"list"}, false}};
    for (const auto& [value, expected] : cases) {
        store.seed("k", value);
        EXPECT_EQ(store.boolForKey("k"), expected) << value.index();
    }
}

TEST(SettingsStoreReading, StringAnswersNothingForANonTextAndDoubleZeroForMissing)
{
    sim::SimSettingsStore store;
    EXPECT_EQ(store.stringForKey("k"), std::nullopt);
    EXPECT_EQ(store.doubleForKey("k"), 0.0);
    EXPECT_EQ(store.integerForKey("k"), 0);
    EXPECT_FALSE(store.hasValue("k"));

    store.seed("k", std::int64_t{42});
    EXPECT_EQ(store.stringForKey("k"), std::nullopt);
    EXPECT_EQ(store.doubleForKey("k"), 42.0);
    store.seed("k", true);
    EXPECT_EQ(store.stringForKey("k"), std::nullopt);
    EXPECT_EQ(store.doubleForKey("k"), 1.0);
    store.seed("k", std::string("0.75xyz"));
    EXPECT_EQ(store.stringForKey("k"), "0.75xyz");
    EXPECT_EQ(store.doubleForKey("k"), 0.75);
    store.seed("k", std::string("blue"));
    EXPECT_EQ(store.doubleForKey("k"), 0.0);
    store.seed("k", -2.9);
    EXPECT_EQ(store.integerForKey("k"), -2);
    store.seed("k", 1e300);
    EXPECT_EQ(store.integerForKey("k"), std::numeric_limits<std::int64_t>::max());
    EXPECT_TRUE(store.hasValue("k"));
}

TEST(SettingsStoreWriting, TypedSettersRecordEachWriteInOrder)
{
    sim::SimSettingsStore store;
    store.setBool("a", true);
    store.setString("b", "x");
    store.remove("a");
    ASSERT_EQ(store.writes().size(), 3u);
    EXPECT_EQ(store.writes()[1],
              (sim::SimSettingsStore::Write{"b", SettingValue{std::string("x")}}));
    EXPECT_EQ(store.writes()[2].value, std::nullopt);
    EXPECT_FALSE(store.hasValue("a"));
}

TEST(ColorModel, DeviceRGBConversionKeepsComponentsAndFailsForAPattern)
{
    const auto gray = Color::white(0.5, 0.3).usingDeviceRGB();
    ASSERT_TRUE(gray);
    EXPECT_EQ(*gray, Color::deviceRGB(0.5, 0.5, 0.5, 0.3));
    const auto blue = system_colors::blue().usingDeviceRGB();
    ASSERT_TRUE(blue);
    EXPECT_DOUBLE_EQ(blue->green, 122.0 / 255.0);
    EXPECT_EQ(Color::patternColor().usingDeviceRGB(), std::nullopt);
}

} // namespace
} // namespace halomark
