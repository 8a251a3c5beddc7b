// The shell on the whole simulated platform, used as a person would use it: launched with an
// empty settings store, driven with the keyboard, the mouse and the status menu, and quit from
// the menu. Everything below the shell is the real code.
#include "app/build_info.h"
#include "app/web_address.h"
#include "app_test_platform.h"

#include <regex>

namespace halomark {
namespace {

using Strings = std::vector<std::string>;

class AppDelegateTest : public app_test::ShellTest
{};

TEST_F(AppDelegateTest, LaunchHidesTheDockEntryPutsUpTheItemWithItsMenuAndStartsBothMonitors)
{
    launch();
    EXPECT_EQ(sim.application.calls().front(), "setActivationPolicy 1");
    EXPECT_EQ(statusItem().length(), StatusBar::squareLength);
    EXPECT_EQ(statusItem().simButton()->symbolName(), "cursorarrow.rays");
    EXPECT_EQ(statusItem().simButton()->accessibilityDescription(), "Halomark");
    EXPECT_EQ(statusItem().simButton()->toolTip(), "Halomark");
    EXPECT_EQ(statusItem().menu(), delegate->statusMenu());
    EXPECT_EQ(sim.loop.activeTimerCount(), 2);
    EXPECT_EQ(delegate->privacyPolicyURL, build_info::privacyPolicyAddress());
    EXPECT_EQ(delegate->supportURL, build_info::supportAddress());

    EXPECT_EQ(menuText(),
              "*Enable Halomark | *Highlight Active Window | Spotlight | Show Clicks | Range "
              "Selection > *⌘ + Drag, "
              "⌃ + ⌘ + Drag, ⌥ + ⌘ + Drag, Off | Locator Key > *Super, Right Ctrl, Right Alt, "
              "None | --- | Launch at Login | Language > *System "
              "Default, 日本語, English, 简体中文, 繁體中文, 한국어, Español, Français, Deutsch, "
              "Português | Color > *Default (White), Red, Orange, Yellow, Green, Cyan, Blue, "
              "Purple, Custom… | --- | How to Use | About Halomark | Privacy Policy | Support | "
              "Quit Halomark ^q");
    EXPECT_EQ(items()[8].submenu->items().at(3).representedObject, "zh-Hans");

    // An item without a button still gets its menu.
    sim.statusBar.setItemsHaveButtons(false);
    launch();
    EXPECT_EQ(statusItem().simButton(), nullptr);
    EXPECT_EQ(items().size(), 16u);

    // The shared instances are used unless others are given; they outlive this test, so their
    // store must too.
    static app_test::SimulatedPlatform shared;
    auto withShared = std::make_shared<AppDelegate>(shared.platform);
    EXPECT_EQ(withShared->localization,
              LocalizationManager::shared(shared.settings, [] { return Strings{}; }));
    EXPECT_EQ(withShared->appearanceSettings, AppearanceSettings::shared(shared.settings));
    EXPECT_NE(delegate->localization, withShared->localization);

    // Where held keys and buttons cannot be read, the range selection and the pointer cues show
    // disabled and only the focus monitor polls.
    sim.input.setReadsKeysAndButtons(false);
    launch();
    EXPECT_EQ(sim.loop.activeTimerCount(), 1);
    EXPECT_EQ(menuText(1, 5), "*Highlight Active Window | ~Spotlight | ~Show Clicks | ~Range "
                              "Selection > *⌘ + Drag, ⌃ + ⌘ + Drag, ⌥ + ⌘ + Drag, Off");
}

TEST_F(AppDelegateTest, OnlyKnownShortcutsAndLanguagesChangeAnythingAndEachChoiceIsStoredOnce)
{
    launch();
    sim.settings.clearWrites();
    const auto revision = delegate->statusMenu()->revision();
    for (std::size_t submenu : {4, 5, 8}) {
        MenuItem unknown = items()[submenu].submenu->items()[1];
        unknown.representedObject = "it";
        delegate->performMenuAction(unknown);
        unknown.representedObject.reset();
        delegate->performMenuAction(unknown);
    }
    EXPECT_EQ(delegate->statusMenu()->revision(), revision);

    // The entry already checked changes nothing but still rebuilds the menu.
    ASSERT_TRUE(choose({"Range Selection", "⌘ + Drag"}));
    EXPECT_GT(delegate->statusMenu()->revision(), revision);
    ASSERT_TRUE(choose({"Range Selection", "Off"}));
    EXPECT_EQ(delegate->appModel->rangeSelectionShortcut(), RangeSelectionShortcut::disabled);
    ASSERT_TRUE(choose({"Language", "日本語"}));
    EXPECT_EQ(sim.settings.writes(), (std::vector<sim::SimSettingsStore::Write>{
                                         {AppModel::rangeSelectionShortcutKey, "disabled"},
                                         {LocalizationManager::preferenceKey, "ja"}}));
    EXPECT_EQ(menuText(0, 5), "*Halomarkを有効にする | *アクティブウインドウを強調 | "
                              "スポットライト | クリックを表示 | 範囲選択ショートカット > ⌘ + "
                              "ドラッグ, ⌃ + ⌘ + ドラッグ, "
                              "⌥ + ⌘ + ドラッグ, *使用しない");
    EXPECT_EQ(items()[4].submenu->title(), items()[4].title);

    // Back to the system's language, which the preferred languages say is Spanish.
    sim.desktop.workspace.setPreferredLanguages({"es-MX", "en-US"});
    ASSERT_TRUE(choose({"言語", "システム設定に合わせる"}));
    EXPECT_TRUE(menuText(8, 9).starts_with("Idioma > *Usar configuración del sistema, 日本語"));
    ASSERT_TRUE(choose({"Cómo usar Halomark"}));
    EXPECT_EQ(sim.alerts.shown().at(0), (Alert{"Cómo usar Halomark",
                                               text(Key::howToUseMessage),
                                               AlertStyle::informational,
                                               {"Aceptar"}}));
}

TEST_F(AppDelegateTest, SwitchingTheHighlightOnLooksTheWindowUpAgainAfterAMomentWhenStillOn)
{
    launch();
    ASSERT_TRUE(choose({"Highlight Active Window"}));
    EXPECT_EQ(sim.loop.activeTimerCount(), 1);
    EXPECT_EQ(sim.onScreen(), "");

    // Passes resolve every 0.05 s from the start; the extra lookup lands in between at 0.18 s.
    ASSERT_TRUE(choose({"Highlight Active Window"}));
    const auto& windows = sim.desktop.windows;
    sim.wait(0.17);
    const int beforeRefresh = windows.listCopyCount();
    sim.wait(0.0099);
    EXPECT_EQ(windows.listCopyCount(), beforeRefresh);
    sim.wait(0.0002);
    EXPECT_EQ(windows.listCopyCount(), beforeRefresh + 1);
    EXPECT_EQ(sim.onScreen(), "veil");

    // With the master switch off, switching the highlight on starts nothing, and the lookup
    // 0.18 s later does nothing either.
    ASSERT_TRUE(choose({"Highlight Active Window"}));
    ASSERT_TRUE(choose({"Enable Halomark"}));
    delegate->toggleFocusCue();
    EXPECT_TRUE(delegate->appModel->focusCueEnabled());
    const int stopped = windows.listCopyCount();
    sim.wait(0.5);
    EXPECT_EQ(windows.listCopyCount(), stopped);
}

TEST_F(AppDelegateTest, ColourChoicesInQuickSuccessionGiveOnePreviewRingAfterTheLast)
{
    sim.settings.seed(AppModel::focusCueEnabledKey, false); // every panel made is a ring
    launch();
    ASSERT_TRUE(choose({"Color", "Red"}));
    sim.wait(0.05);
    ASSERT_TRUE(choose({"Color", "Yellow"}));
    EXPECT_EQ(sim.settings.stringForKey(AppearanceSettings::colorChoiceKey), "yellow");
    sim.wait(0.1199);
    EXPECT_EQ(sim.panels.createdCount(), 0);
    sim.wait(0.0002);
    EXPECT_EQ(sim.onScreen(), "ring");
    sim.wait(2.0);
    EXPECT_TRUE(delegate->colorPreviewWorkItem()); // kept after it ran

    // The custom entry opens the panel and keeps the mark until the panel reports a colour.
    ASSERT_TRUE(choose({"Color", "Custom…"}));
    EXPECT_EQ(sim.colorPanel.calls(),
              (Strings{"setContinuous true", "setColor", "setTarget", "orderFront"}));
    EXPECT_EQ(sim.colorPanel.color(), appearance->color(AppearanceSettings::ColorChoice::custom));
    EXPECT_EQ(sim.application.calls().back(), "activateIgnoringOtherApps true");
    sim.wait(1.0);
    EXPECT_EQ(menuText(9, 10), "Color > Default (White), Red, Orange, *Yellow, Green, Cyan, "
                               "Blue, Purple, Custom…");
    ASSERT_TRUE(sim.colorPanel.userPicks(Color::deviceRGB(0.2, 0.4, 0.6)));
    EXPECT_EQ(items()[9].submenu->items()[8].state, MenuItemState::on);
    EXPECT_EQ(sim.settings.doubleForKey(AppearanceSettings::customGreenKey), 0.4);
    sim.wait(0.1201);
    EXPECT_EQ(sim.panels.createdCount(), 2);

    // With the master switch off the menu follows the colour but no ring is shown.
    ASSERT_TRUE(choose({"Enable Halomark"}));
    ASSERT_TRUE(choose({"Color", "Blue"}));
    EXPECT_EQ(items()[9].submenu->items()[6].state, MenuItemState::on);
    sim.wait(1.0);
    EXPECT_EQ(sim.panels.createdCount(), 2);
}

TEST_F(AppDelegateTest, DialogsComeToTheFrontAndOnlyTheFirstPrivacyButtonOpensThePage)
{
    launch();
    auto& workspace = sim.desktop.workspace;
    std::vector<int> activationsWhileShown;
    int button = 1;
    sim.alerts.setResponder([&](const Alert&) {
        activationsWhileShown.push_back(sim.application.activationCount());
        return alertFirstButtonReturn + button;
    });
    ASSERT_TRUE(choose({"Privacy Policy"}));
    EXPECT_EQ(sim.alerts.shown().at(0), (Alert{text(Key::privacyPolicyTitle),
                                               text(Key::privacyPolicyMessage),
                                               AlertStyle::informational,
                                               {"Open Web Version", "Close"}}));
    EXPECT_TRUE(workspace.openedURLs().empty());
    button = 0;
    ASSERT_TRUE(choose({"Privacy Policy"}));
    EXPECT_EQ(workspace.openedURLs(), Strings{delegate->privacyPolicyURL});

    // The support page opens at once, without a dialog; a page that cannot be opened is not
    // reported.
    ASSERT_TRUE(choose({"Support"}));
    EXPECT_EQ(workspace.openedURLs().back(), delegate->supportURL);
    workspace.setOpensURLs(false);
    ASSERT_TRUE(choose({"Support"}));

    // The about dialog: the bundle's version if it declares one as text, else the fixed one.
    workspace.setBundleValue(AppDelegate::versionKey, BundleValue{std::string("3.4.5")});
    ASSERT_TRUE(choose({"About Halomark"}));
    EXPECT_EQ(sim.alerts.shown().back(), (Alert{"Halomark",
                                                text(Key::aboutMessage) + "\n\nVersion 3.4.5",
                                                AlertStyle::informational,
                                                {"OK"}}));
    // Each dialog was preceded by its own activation.
    EXPECT_EQ(activationsWhileShown, (std::vector<int>{1, 2, 3}));
    workspace.setBundleValue(AppDelegate::versionKey, BundleValue{std::int64_t{2}});
    ASSERT_TRUE(choose({"Language", "日本語"}));
    ASSERT_TRUE(choose({"Halomarkについて"}));
    EXPECT_EQ(sim.alerts.shown().back().title, "Halomark");
    EXPECT_TRUE(sim.alerts.shown().back().message.ends_with("\n\nバージョン 1.2.1"));
}

TEST_F(AppDelegateTest, DisplayChangesRefreshTheHighlightOnlyWhileBothSwitchesAreOn)
{
    launch();
    auto& screens = sim.desktop.screens;
    // Plugs the second display in or out; how many times the window was looked up at once.
    const auto lookups = [&](bool plug) {
        const int before = sim.desktop.windows.listCopyCount();
        plug ? screens.plug(sim::SimScreenList::makeScreen(2, {1440, 0, 800, 600}))
             : screens.unplug(2);
        return sim.desktop.windows.listCopyCount() - before;
    };
    EXPECT_EQ(lookups(true), 1);
    delegate->appModel->setFocusCueEnabled(false);
    EXPECT_EQ(lookups(false), 0);
    delegate->appModel->setFocusCueEnabled(true);
    delegate->appModel->setEnabled(false);
    EXPECT_EQ(lookups(true), 0);
    // After termination the delegate no longer listens, even with both switches on.
    delegate->appModel->setEnabled(true);
    sim.application.terminate();
    EXPECT_EQ(lookups(false), 0);
}

TEST_F(AppDelegateTest, ADesktopTakingSuperIsToldOnceAndTheLocatorKeyIsChosenStoredAndTapped)
{
    const auto tap = [this](KeyCode key, EventFlags flag) {
        sim.input.pressKey(key);
        sim.input.setFlags(flag);
        sim.wait(0.1);
        sim.input.releaseAll();
        sim.wait(0.05);
        return sim.onScreen();
    };
    // No question where the desktop leaves Super alone; an unknown stored key reads as Super.
    sim.settings.setString(AppModel::locatorKeyKey, "leftShift");
    launch();
    sim.wait(0.1);
    sim.desktop.workspace.setDesktopReactingToSuperTap("KDE Plasma");
    sim.alerts.answerWithButton(1);
    launch();
    EXPECT_TRUE(sim.alerts.shown().empty()) << "asked before the status item is up";
    sim.wait(0.01);
    ASSERT_EQ(sim.alerts.shown().size(), 1u);
    EXPECT_TRUE(sim.alerts.shown()[0].message.starts_with("KDE Plasma also reacts when Super"));
    EXPECT_EQ(sim.alerts.shown()[0].buttons, (Strings{"Use Right Ctrl", "Keep Super"}));
    EXPECT_EQ(menuText(5, 6), "Locator Key > *Super, Right Ctrl, Right Alt, None");
    EXPECT_EQ(sim.settings.stringForKey(AppModel::locatorKeyKey), "leftShift");
    // Answered once, never asked again; asked again once forgotten, and Right Ctrl taken.
    launch();
    sim.wait(0.01);
    EXPECT_EQ(sim.alerts.shown().size(), 1u);
    sim.settings.setBool(AppDelegate::locatorKeyConflictAnsweredKey, false);
    sim.alerts.answerWithButton(0);
    launch();
    sim.wait(0.01);
    EXPECT_EQ(sim.alerts.shown().size(), 2u);
    EXPECT_EQ(menuText(5, 6), "Locator Key > Super, *Right Ctrl, Right Alt, None");
    EXPECT_EQ(tap(key_codes::leftCommand, event_flags::command), "veil");
    EXPECT_EQ(tap(key_codes::rightControl, event_flags::control), "ring veil");
    sim.wait(1.0);
    ASSERT_TRUE(choose({"Locator Key", "None"}));
    EXPECT_EQ(sim.settings.stringForKey(AppModel::locatorKeyKey), "none");
    // The command's ring honours the master switch as a tap does.
    delegate->locate();
    sim.wait(0.01);
    EXPECT_EQ(sim.onScreen(), "ring veil");
    sim.wait(1.0);
    delegate->setMonitoring(false);
    delegate->locate();
    sim.wait(0.01);
    EXPECT_EQ(sim.onScreen(), "");
}

TEST_F(AppDelegateTest, FromFirstLaunchThroughCuesMenusAndDialogsToQuit)
{
    // First launch with an empty store: the active window is highlighted as soon as the
    // monitor has looked.
    launch();
    sim.wait(0.1);
    EXPECT_EQ(sim.onScreen(), "veil");

    // The monitors keep polling while a dialog is up: a tap under the dialog shows its ring.
    sim.alerts.setResponder([&](const Alert&) {
        sim.holdCommand();
        sim.wait(0.05);
        return alertFirstButtonReturn;
    });
    ASSERT_TRUE(choose({text(Key::howToUse)}));
    EXPECT_EQ(sim.onScreen(), "ring veil");

    // In Japanese now: the master switch off takes every overlay away, stops both monitors
    // and greys out the switches that depend on it, keeping their marks.
    ASSERT_TRUE(choose({"Language", "日本語"}));
    ASSERT_TRUE(choose({text(Key::rangeSelectionShortcut), "⌥ + ⌘ + " + text(Key::drag)}));
    ASSERT_TRUE(choose({text(Key::enableHalomark)}));
    EXPECT_EQ(sim.onScreen(), "");
    EXPECT_EQ(sim.loop.activeTimerCount(), 0);
    EXPECT_EQ(menuText(0, 8), "Halomarkを有効にする | ~*アクティブウインドウを強調 | "
                              "~スポットライト | ~クリックを表示 | ~範囲選択ショートカット > ⌘ + "
                              "ドラッグ, ⌃ + ⌘ + ドラッグ, "
                              "*⌥ + ⌘ + ドラッグ, 使用しない | ~ロケータキー > *Super, 右Ctrl, "
                              "右Alt, なし | --- | ログイン時に起動");
    EXPECT_FALSE(choose({text(Key::focusCue)})); // a disabled item cannot be chosen

    // Switched on again, then quit with the key equivalent: every monitor stops and every
    // overlay goes away.
    ASSERT_TRUE(choose({text(Key::enableHalomark)}));
    sim.wait(0.2);
    sim.holdCommand();
    sim.wait(0.05);
    ASSERT_EQ(sim.onScreen(), "ring veil");
    ASSERT_TRUE(statusItem().pressKeyEquivalent("q"));
    EXPECT_TRUE(sim.application.isTerminated());
    EXPECT_EQ(sim.loop.activeTimerCount(), 0);
    EXPECT_EQ(sim.onScreen(), "");
}

TEST_F(AppDelegateTest, SpotlightIsOffAtEveryLaunchShowClicksIsStoredAndBothSitAmongTheCues)
{
    launch();
    sim.wait(0.1);
    ASSERT_EQ(sim.onScreen(), "veil");
    sim.settings.clearWrites();
    ASSERT_TRUE(choose({"Spotlight"}));
    ASSERT_TRUE(choose({"Show Clicks"}));
    EXPECT_EQ(menuText(2, 4), "*Spotlight | *Show Clicks");
    EXPECT_EQ(sim.settings.writes(),
              (std::vector<sim::SimSettingsStore::Write>{{AppModel::showClicksEnabledKey, true}}));
    // Above the veil, below the ring of a tap and the pulse of a click.
    sim.holdCommand();
    sim.wait(0.05);
    sim.input.pressButton(0);
    sim.wait(0.02);
    EXPECT_EQ(sim.onScreen(), "pulse ring spotlight veil");
    sim.input.releaseAll();

    // The master switch hides both and greys them out; the next launch has the spotlight off
    // and the pulses on.
    ASSERT_TRUE(choose({"Enable Halomark"}));
    EXPECT_EQ(sim.onScreen(), "");
    EXPECT_EQ(menuText(2, 4), "~*Spotlight | ~*Show Clicks");
    launch();
    EXPECT_EQ(menuText(2, 4), "Spotlight | *Show Clicks");
    EXPECT_EQ(sim.loop.activeTimerCount(), 3) << "the pulses sample while on";
}

TEST_F(AppDelegateTest, TheLoginItemInEachOfItsFourStates)
{
    launch();
    auto& service = sim.loginItems;
    // Chooses the item; what the service was asked and the item's mark afterwards.
    const auto toggle = [&] {
        EXPECT_TRUE(choose({text(Key::launchAtLogin)}));
        return std::to_string(service.registerCount()) + std::to_string(service.unregisterCount()) +
               (items()[7].state == MenuItemState::on ? " on" : " off");
    };
    const auto failure = [](const std::string& description) {
        return Alert{
            "Could not update Launch at Login", description, AlertStyle::informational, {"OK"}};
    };
    // Not registered: choosing registers. Enabled: choosing unregisters; a refusal is shown
    // with the service's own words and the mark stays as the service reports.
    EXPECT_EQ(toggle(), "10 on");
    service.failNextUnregister("The autostart entry could not be removed.");
    EXPECT_EQ(toggle(), "11 on");
    EXPECT_EQ(sim.alerts.shown(),
              std::vector<Alert>{failure("The autostart entry could not be removed.")});
    EXPECT_EQ(toggle(), "12 off");
    // Waiting for approval: no mark, and choosing asks to register again.
    service.setStatus(LoginItemStatus::requiresApproval);
    service.setStatusAfterRegistering(LoginItemStatus::requiresApproval);
    EXPECT_EQ(toggle(), "22 off");
    // Switched off meanwhile, the request is withdrawn.
    EXPECT_EQ(delegate->setLaunchAtLogin(false), std::nullopt);
    EXPECT_EQ(service.unregisterCount(), 3);
    // Not found, and the service refuses.
    service.setStatus(LoginItemStatus::notFound);
    service.failNextRegister("Halomark is not installed where the session can start it.");
    EXPECT_EQ(toggle(), "33 off");
    EXPECT_EQ(sim.alerts.shown().back(),
              failure("Halomark is not installed where the session can start it."));
    // A change made outside shows only after the next rebuild.
    service.setStatus(LoginItemStatus::enabled);
    EXPECT_EQ(items()[7].state, MenuItemState::off);
    ASSERT_TRUE(choose({text(Key::language), "Español"}));
    EXPECT_EQ(menuText(7, 8), "*Abrir al iniciar sesión");
}

// Records what reached it, and empties the menu that held the item, as a rebuild does.
class RecordingTarget final : public MenuActionTarget
{
public:
    explicit RecordingTarget(Menu& menu) : menu(menu) {}
    void performMenuAction(const MenuItem& sender) override
    {
        menu.removeAllItems();
        received += std::string(selectorName(*sender.action)) + " " + sender.title;
    }
    Menu& menu;
    std::string received;
};

TEST(MenuTest, OnlyEnabledItemsWithAnActionAndALiveTargetReachTheTarget)
{
    Menu menu;
    auto target = std::make_shared<RecordingTarget>(menu);
    MenuItem item;
    item.title = "日本語";
    item.action = MenuAction::selectLanguage;
    item.target = target;
    menu.addItem(item);
    // The target empties the menu while it runs; it still sees the whole item.
    EXPECT_TRUE(performAction(menu.items()[0]));
    EXPECT_EQ(target->received, "selectLanguage: 日本語");
    MenuItem disabled = item;
    disabled.enabled = false;
    MenuItem parent = item;
    parent.action.reset();
    for (const MenuItem& refused : {disabled, parent, MenuItem::separator()}) {
        EXPECT_FALSE(performAction(refused));
    }
    target.reset();
    EXPECT_FALSE(performAction(item)); // the target is held weakly
    for (int i = 0; i <= static_cast<int>(MenuAction::quit); ++i) {
        const auto action = static_cast<MenuAction>(i);
        EXPECT_EQ(menuActionFromSelectorName(selectorName(action)), action);
    }
    EXPECT_EQ(menuActionFromSelectorName("toggleMonitoring"), std::nullopt);
}

TEST(BuildInfoTest, ThePagesTheMenuOpensHaveAbsoluteAddressesAndTheVersionIsDotted)
{
    EXPECT_NE(build_info::privacyPolicyAddress(), build_info::supportAddress());
    EXPECT_TRUE(std::regex_match(std::string(build_info::version()),
                                 std::regex("[0-9]+\\.[0-9]+(\\.[0-9]+)?")));
    for (const std::string_view address :
         {build_info::privacyPolicyAddress(), build_info::supportAddress(),
          std::string_view("file:///usr/share/doc/halomark/support.html"),
          std::string_view("HTTP://example.org/a%20b?x=1#top"),
          std::string_view("mailto:someone@example.org")}) {
        EXPECT_TRUE(isAbsoluteURL(address)) << address;
    }
    for (const char* malformed :
         {"", "/usr/share/doc/privacy.html", "https:", "1http://a.org", "ht tp://a.org",
          "file:///My Documents/a", "https://a.org/%2", "https://a.org/%zz",
          "https:///privacy.html", "https://a\"b.org"}) {
        EXPECT_FALSE(isAbsoluteURL(malformed)) << malformed;
    }
}

} // namespace
} // namespace halomark
