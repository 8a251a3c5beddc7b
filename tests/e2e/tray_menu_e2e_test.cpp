// The tray menu as a person uses it: opened with a click on the icon in the panel's tray, and
// walked with the keys. What a choice does is checked where it shows: the menu's pixels for
// the language, the veil for the highlight switch, a preview ring for a colour, the settings
// file for what is stored, and the process and the screen for Quit.
#include "ring_watch.h"

#include <gtest/gtest.h>

namespace halomark::e2e {
namespace {

class TrayMenuTest : public EndToEndTest
{
protected:
    Image openAndGrabMenu(const std::string& name)
    {
        EXPECT_TRUE(halomark->openMenu());
        const auto open = halomark->openMenus();
        saveArtifact(name);
        EXPECT_TRUE(halomark->closeMenus());
        return open.empty() ? Image() : open.front().second;
    }
};

TEST_F(TrayMenuTest, ChoosingJapaneseRenamesEveryItemOfTheMenu)
{
    launch();
    ASSERT_TRUE(halomark && halomark->isRunning());
    const Image english = openAndGrabMenu("menu-english");
    ASSERT_FALSE(english.empty()) << "no menu opened on a click on the tray icon";
    const auto englishItems = menuItemRows(english);
    EXPECT_EQ(englishItems.size(), 11u) << "items counted in the English menu";

    // Language is the fifth item; Japanese the second entry of its submenu.
    ASSERT_TRUE(halomark->choose(MenuEntry::language, 2));
    ASSERT_TRUE(waitUntil([&] { return halomark->setting("Halomark.language") == "\"ja\""; }, 2s))
        << readFile(halomark->settingsFile());

    const Image japanese = openAndGrabMenu("menu-japanese");
    ASSERT_FALSE(japanese.empty());
    const auto japaneseItems = menuItemRows(japanese);
    ASSERT_EQ(japaneseItems.size(), englishItems.size()) << "items counted in the Japanese menu";
    // Every item reads differently: its band of pixels differs from the English one.
    const int width = std::min(english.area().width, japanese.area().width) - 6;
    for (std::size_t i = 0; i < englishItems.size(); ++i) {
        const int height = std::min(englishItems[i].second, japaneseItems[i].second);
        bool differs = englishItems[i].second != japaneseItems[i].second;
        for (int dy = 0; dy < height && !differs; ++dy) {
            for (int dx = 3; dx < width && !differs; ++dx) {
                differs = english.at(english.area().x + dx, englishItems[i].first + dy) !=
                          japanese.at(japanese.area().x + dx, japaneseItems[i].first + dy);
            }
        }
        EXPECT_TRUE(differs) << "item " << i + 1 << " was not renamed";
    }

    // The choice outlives the program: a new start shows the Japanese menu again.
    halomark->process().stop();
    ASSERT_TRUE(halomark->start());
    const Image again = openAndGrabMenu("menu-japanese-after-restart");
    EXPECT_EQ(again.area().width, japanese.area().width);
    EXPECT_EQ(again.area().height, japanese.area().height);
}

TEST_F(TrayMenuTest, TheHighlightSwitchAndAColourTakeEffectAtOnceAndQuitEndsTheProgram)
{
    ASSERT_NO_FATAL_FAILURE(useCompositor(true));
    BlueTerminal& terminal = addTerminal("e2e-menu", kLeftTerminalX, kTerminalY);
    ASSERT_TRUE(terminal.activate());
    const auto client = terminal.clientArea();
    ASSERT_TRUE(client);
    const Rgb desktop = screen->pixel(kLeftDesktopSampleX, kDesktopSampleY);
    const auto desktopNow = [&] { return screen->pixel(kLeftDesktopSampleX, kDesktopSampleY); };
    launch();
    ASSERT_TRUE(halomark && halomark->isRunning());
    EXPECT_EQ(halomark->setting("Halomark.colorChoice"), std::nullopt);
    ASSERT_TRUE(waitUntil([&] { return near(desktopNow(), veiled(desktop), 6); }, 5s));
    EXPECT_EQ(halomark->leftVeils().size(), 1u);

    // The highlight switched off: the veil goes.
    ASSERT_TRUE(halomark->choose(MenuEntry::highlight));
    EXPECT_TRUE(waitUntil([&] { return halomark->overlays().empty(); }, 2s)) << "the veil stayed";
    EXPECT_TRUE(near(desktopNow(), desktop, 3)) << describe(desktopNow());
    EXPECT_EQ(halomark->setting("Halomark.focusCueEnabled"), "false");

    // Red is the second entry of the colour submenu. The preview ring shows where the pointer
    // is, on the item just clicked.
    ASSERT_TRUE(halomark->choose(MenuEntry::color, 2));
    const auto chosen = Clock::now();
    const auto [px, py] = screen->pointer();
    EXPECT_TRUE(ringAppears(*screen, px, py, isRedStroke, 2s))
        << "no red preview ring at the pointer";
    RecordProperty("preview_ring_after_choice_ms", static_cast<int>(secondsSince(chosen) * 1000));
    EXPECT_EQ(halomark->setting("Halomark.colorChoice"), "\"red\"");
    ASSERT_TRUE(waitUntil([&] { return halomark->monitorPanels().empty(); }, 3s));

    // The highlight switched on again: the veil is back.
    ASSERT_TRUE(halomark->choose(MenuEntry::highlight));
    EXPECT_TRUE(waitUntil([&] { return near(desktopNow(), veiled(desktop), 6); }, 2s))
        << "no veil after switching the highlight on: " << describe(desktopNow());
    EXPECT_EQ(halomark->setting("Halomark.focusCueEnabled"), "true");

    // The next tap draws its ring in red too.
    ASSERT_TRUE(movePointer(client->centerX(), client->centerY()));
    tapSuper();
    EXPECT_TRUE(ringAppears(*screen, client->centerX(), client->centerY(), isRedStroke, 1s))
        << "the tap's ring is not red";
    ASSERT_TRUE(waitUntil([&] { return halomark->monitorPanels().empty(); }, 3s));

    ASSERT_TRUE(halomark->choose(MenuEntry::quit));
    expectCleanExit("Quit");
    EXPECT_TRUE(near(desktopNow(), desktop, 3)) << "the veil stayed after Quit";
}

} // namespace
} // namespace halomark::e2e
