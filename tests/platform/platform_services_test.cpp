// Screens, panel configurations, settings, colours and identifiers.
#include "platform/color.h"
#include "platform/panel_configuration.h"
#include "platform/uuid.h"
#include "sim/sim_screen_list.h"
#include "sim/sim_settings_store.h"

#include <gtest/gtest.h>

#include <limits>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace halomark {
namespace {

using sim::SimScreenList;

TEST(ScreenList, LookupEdgesFallbackFlipAndIdentifiers)
{
    // Two displays side by side; the right one is taller and reaches below the left one.
    SimScreenList screens;
    screens.setScreens({SimScreenList::makeScreen(1, {0, 0, 1280, 800}),
                        SimScreenList::makeScreen(2, {1280, -100, 1280, 1000}, 2.0)});
    screens.setMainScreen(1);
    auto lookup = [&](double x, double y) -> std::optional<DisplayIdentifier> {
        const auto screen = screenContaining(screens, {x, y});
        return screen ? std::optional(displayIdentifier(*screen)) : std::nullopt;
    };
    // Left and top edges belong to a screen, right and bottom edges do not; off every
    // screen the main screen answers, and without one nothing does.
    const std::vector<std::pair<Point, DisplayIdentifier>> points{
        {{0, 400}, 1}, {{100, 800}, 1}, {{1280, 400}, 2}, {{1500, -100}, 1}, {{-50, 10}, 1}};
    for (const auto& [point, display] : points) {
        EXPECT_EQ(lookup(point.x, point.y), display) << point.x << ", " << point.y;
    }
    screens.setNoMainScreen(true);
    EXPECT_EQ(lookup(-50, 10), std::nullopt);

    // The flip uses the top of the first screen, not the tallest, or 0.
    const auto all = screens.screens();
    EXPECT_EQ(flipToBottomLeft({10, 20, 300, 200}, all), (Rect{10, 580, 300, 200}));
    EXPECT_EQ(flipToBottomLeft({10, 20, 300, 200}, {all[1], all[0]}), (Rect{10, 680, 300, 200}));
    EXPECT_EQ(flipToBottomLeft({10, 20, 300, 200}, {}), (Rect{10, -220, 300, 200}));

    Screen screen;
    screen.objectIdentity = 0x1234'5678'9abc'def0ull;
    EXPECT_EQ(displayIdentifier(screen), 0x9abcdef0u);
    screen.screenNumber = 7;
    EXPECT_EQ(displayIdentifier(screen), 7u);
}

// Level, mouse handling, alpha and animation behaviour reach the panels as calls, which the
// overlay controllers' tests check; what never becomes a call is checked here.
TEST(PanelConfiguration, RingsAndSelectionsCoverTheFrameVeilsTheUsableAreaNoneIsOpaque)
{
    const Screen screen =
        SimScreenList::makeScreen(3, {0, 0, 1440, 900}, 2.0, Rect{0, 70, 1440, 805});
    const auto ring = ringPanelConfiguration(screen);
    const auto veil = veilPanelConfiguration(screen);
    const auto selection = selectionPanelConfiguration(screen);
    EXPECT_EQ(ring.contentRect, screen.frame);
    EXPECT_EQ(veil.contentRect, screen.visibleFrame);
    EXPECT_EQ(selection.contentRect, screen.frame);
    for (const auto& c : {ring, veil, selection}) {
        EXPECT_EQ(c.display, 3u);
        EXPECT_EQ(c.styleMask, 128u);
        EXPECT_EQ(c.collectionBehavior, 337u);
        EXPECT_FALSE(c.opaque || c.hasShadow || c.hidesOnDeactivate);
    }
}

TEST(SettingsStore, TypedReadsCoerceLikeThePlatform)
{
    sim::SimSettingsStore store;
    EXPECT_EQ(std::tuple(store.boolForKey("k"), store.stringForKey("k"), store.doubleForKey("k"),
                         store.hasValue("k")),
              std::tuple(false, std::nullopt, 0.0, false));
    // Texts are true when their first sign, space and leading zero are followed by Y, T or
    // a digit from 1 to 9, and their number is the one they begin with.
    const std::vector<std::string> texts{"YES", "yes", "true", "  T", "007",     "-3",
                                         "NO",  "000", "",     "on",  "0.75xyz", "blue"};
    std::vector<SettingValue> values(texts.begin(), texts.end());
    using I = std::int64_t;
    values.insert(values.end(), {true, I(2), 0.25, 0.0, I(0), OtherSettingValue("list"), I(42)});
    std::vector<bool> truths;
    std::vector<double> numbers;
    for (const SettingValue& value : values) {
        store.seed("k", value);
        truths.push_back(store.boolForKey("k"));
        numbers.push_back(store.doubleForKey("k"));
    }
    EXPECT_EQ(truths, (std::vector<bool>{1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 1, 1, 1, 0, 0, 0, 1}));
    EXPECT_EQ(numbers, (std::vector<double>{0, 0, 0, 0, 7, -3, 0, 0, 0, 0, 0.75, 0, 1, 2, 0.25, 0,
                                            0, 0, 42}));
    EXPECT_EQ(store.stringForKey("k"), std::nullopt); // a number is not a text
    store.seed("k", std::string("0.75xyz"));
    EXPECT_EQ(store.stringForKey("k"), "0.75xyz");
    store.seed("k", -2.9);
    EXPECT_EQ(store.integerForKey("k"), -2);
    store.seed("k", 1e300);
    EXPECT_EQ(store.integerForKey("k"), std::numeric_limits<std::int64_t>::max());
}

TEST(ColorAndUuid, DeviceRGBConversionAndDistinctVersionFourIdentifiers)
{
    EXPECT_EQ(Color::white(0.5, 0.3).usingDeviceRGB(), Color::deviceRGB(0.5, 0.5, 0.5, 0.3));
    EXPECT_DOUBLE_EQ(system_colors::blue().usingDeviceRGB()->green, 122.0 / 255.0);
    EXPECT_EQ(Color::patternColor().usingDeviceRGB(), std::nullopt);

    const std::regex form("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
    UuidGenerator generator;
    std::set<std::string> seen;
    for (int i = 0; i < 2000; ++i) {
        const std::string id = generator.next();
        EXPECT_TRUE(std::regex_match(id, form)) << id;
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), 2000u);
    // Each generator draws from its own engine: equal seeds repeat, system seeds do not.
    EXPECT_EQ(UuidGenerator(7).next(), UuidGenerator(7).next());
    EXPECT_NE(UuidGenerator().next(), UuidGenerator().next());
}

} // namespace
} // namespace halomark
