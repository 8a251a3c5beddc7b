#include "app/build_info.h"
#include "app_test_platform.h"
#include "locator/ring_animation_view.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace halomark {
namespace {

using app_test::SimulatedPlatform;
using Choice = AppearanceSettings::ColorChoice;

class AppDelegateTest : public app_test::ShellTest
{};

TEST_F(AppDelegateTest, LaunchHidesTheDockEntryPutsUpTheItemAndStartsBothMonitors)
{
    launch();
    EXPECT_EQ(sim.application.calls().front(), "setActivationPolicy 1");
    ASSERT_EQ(sim.statusBar.items().size(), 1u);
    EXPECT_EQ(statusItem().length(), StatusBar::squareLength);
    ASSERT_NE(statusItem().simButton(), nullptr);
    EXPECT_EQ(statusItem().simButton()->symbolName(), "cursorarrow.rays");
    EXPECT_EQ(statusItem().simButton()->accessibilityDescription(), "Halomark");
    EXPECT_EQ(statusItem().simButton()->toolTip(), "Halomark");
    EXPECT_EQ(statusItem().menu(), delegate->statusMenu());
    EXPECT_TRUE(delegate->appModel->monitor->isRunning());
    EXPECT_TRUE(delegate->appModel->focusCueMonitor->isRunning());
    EXPECT_EQ(delegate->privacyPolicyURL, build_info::privacyPolicyAddress());
    EXPECT_EQ(delegate->supportURL, build_info::supportAddress());

    // The English menu, in order, with its actions, marks and the one key equivalent.
    EXPECT_EQ(titles(*statusItem().menu()),
              (std::vector<std::string>{"Enable Halomark", "Highlight Active Window",
                                        "Range Selection", "---", "Launch at Login", "Language",
                                        "Color", "---", "How to Use", "About Halomark",
                                        "Privacy Policy", "Support", "Quit Halomark"}));
    const std::vector<std::optional<MenuAction>> actions{MenuAction::toggleMonitoring,
                                                         MenuAction::toggleFocusCue,
                                                         std::nullopt,
                                                         std::nullopt,
                                                         MenuAction::toggleLaunchAtLogin,
                                                         std::nullopt,
                                                         std::nullopt,
                                                         std::nullopt,
                                                         MenuAction::showHowToUse,
                                                         MenuAction::showAbout,
                                                         MenuAction::showPrivacyPolicy,
                                                         MenuAction::openSupport,
                                                         MenuAction::quit};
    for (std::size_t i = 0; i < actions.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(items()[i].action, actions[i]);
        EXPECT_TRUE(items()[i].enabled);
        // Items with an action go to the delegate; parents of submenus have no target.
        EXPECT_EQ(items()[i].target.lock().get(),
                  actions[i] ? static_cast<MenuActionTarget*>(delegate.get()) : nullptr);
        EXPECT_EQ(items()[i].keyEquivalent, i == 12 ? "q" : "");
        EXPECT_EQ(items()[i].submenu != nullptr, i == 2 || i == 5 || i == 6);
    }
    EXPECT_EQ(items()[0].state, MenuItemState::on);
    EXPECT_EQ(items()[1].state, MenuItemState::on);
    EXPECT_EQ(items()[4].state, MenuItemState::off);

    const Menu& shortcuts = *items()[2].submenu;
    EXPECT_EQ(shortcuts.title(), "Range Selection");
    EXPECT_EQ(titles(shortcuts),
              (std::vector<std::string>{"⌘ + Drag", "⌃ + ⌘ + Drag", "⌥ + ⌘ + Drag", "Off"}));
    std::vector<std::string> represented;
    for (const MenuItem& entry : shortcuts.items()) {
        represented.push_back(entry.representedObject.value_or(""));
        EXPECT_EQ(entry.action, MenuAction::selectRangeSelectionShortcut);
    }
    EXPECT_EQ(represented,
              (std::vector<std::string>{"command", "controlCommand", "optionCommand", "disabled"}));
    EXPECT_EQ(checked(2), std::vector<std::string>{"⌘ + Drag"});

    EXPECT_EQ(
        titles(*items()[5].submenu),
        (std::vector<std::string>{"System Default", "日本語", "English", "简体中文", "繁體中文",
                                  "한국어", "Español", "Français", "Deutsch", "Português"}));
    EXPECT_EQ(checked(5), std::vector<std::string>{"System Default"});
    EXPECT_EQ(items()[5].submenu->items()[3].representedObject, "zh-Hans");

    EXPECT_EQ(titles(*items()[6].submenu),
              (std::vector<std::string>{"Default (White)", "Red", "Orange", "Yellow", "Green",
                                        "Cyan", "Blue", "Purple", "Custom…"}));
    EXPECT_EQ(checked(6), std::vector<std::string>{"Default (White)"});
    EXPECT_EQ(items()[6].submenu->items()[8].representedObject, "custom");
}

TEST_F(AppDelegateTest, AnItemWithoutAButtonStillGetsItsMenu)
{
    sim.statusBar.setItemsHaveButtons(false);
    launch();
    EXPECT_EQ(statusItem().simButton(), nullptr);
    ASSERT_TRUE(statusItem().menu());
    EXPECT_EQ(items().size(), 13u);
}

TEST_F(AppDelegateTest,
       TheMasterSwitchDisablesHighlightAndShortcutItemsKeepingTheirMarksAndQuitStillStops)
{
    launch();
    ASSERT_TRUE(choose({"Range Selection", "⌥ + ⌘ + Drag"}));
    ASSERT_TRUE(choose({"Enable Halomark"}));
    EXPECT_FALSE(delegate->appModel->isEnabled());
    EXPECT_EQ(items()[0].state, MenuItemState::off);
    EXPECT_FALSE(items()[1].enabled);
    EXPECT_EQ(items()[1].state, MenuItemState::on);
    EXPECT_FALSE(items()[2].enabled);
    EXPECT_EQ(checked(2), std::vector<std::string>{"⌥ + ⌘ + Drag"});
    EXPECT_TRUE(items()[4].enabled);
    // A disabled item cannot be chosen.
    EXPECT_FALSE(choose({"Highlight Active Window"}));
    EXPECT_TRUE(delegate->appModel->focusCueEnabled());

    ASSERT_TRUE(choose({"Enable Halomark"}));
    EXPECT_TRUE(items()[1].enabled);
    EXPECT_TRUE(items()[2].enabled);

    // Quitting with its key equivalent while disabled still stops everything.
    ASSERT_TRUE(choose({"Enable Halomark"}));
    ASSERT_TRUE(statusItem().pressKeyEquivalent("q"));
    EXPECT_TRUE(sim.application.isTerminated());
    EXPECT_FALSE(delegate->appModel->monitor->isRunning());
    EXPECT_FALSE(delegate->appModel->focusCueMonitor->isRunning());
    EXPECT_EQ(sim.loop.activeTimerCount(), 0);
    EXPECT_TRUE(sim.panels.frontToBack().empty());
}

TEST_F(AppDelegateTest, ShortcutEntriesRebuildTheMenuOnlyForAKnownShortcut)
{
    launch();
    sim.settings.clearWrites();
    const auto revision = delegate->statusMenu()->revision();

    MenuItem unknown = items()[2].submenu->items()[0];
    unknown.representedObject = "shiftCommand";
    delegate->performMenuAction(unknown);
    unknown.representedObject.reset();
    delegate->performMenuAction(unknown);
    EXPECT_EQ(delegate->statusMenu()->revision(), revision);

    // The entry already checked changes nothing but still rebuilds the menu.
    ASSERT_TRUE(choose({"Range Selection", "⌘ + Drag"}));
    EXPECT_GT(delegate->statusMenu()->revision(), revision);
    EXPECT_TRUE(sim.settings.writes().empty());

    ASSERT_TRUE(choose({"Range Selection", "Off"}));
    EXPECT_EQ(delegate->appModel->rangeSelectionShortcut(), RangeSelectionShortcut::disabled);
    EXPECT_EQ(sim.settings.stringForKey(AppModel::rangeSelectionShortcutKey), "disabled");
    EXPECT_EQ(checked(2), std::vector<std::string>{"Off"});
}

TEST_F(AppDelegateTest, ALanguageChoiceRetitlesTheWholeMenuAndIsStoredOnce)
{
    launch();
    sim.settings.clearWrites();
    ASSERT_TRUE(choose({"Language", "日本語"}));
    EXPECT_EQ(sim.settings.writes(),
              (std::vector<sim::SimSettingsStore::Write>{
                  {LocalizationManager::preferenceKey, SettingValue{std::string("ja")}}}));
    EXPECT_EQ(items()[0].title, "Halomarkを有効にする");
    EXPECT_EQ(titles(*items()[2].submenu),
              (std::vector<std::string>{"⌘ + ドラッグ", "⌃ + ⌘ + ドラッグ", "⌥ + ⌘ + ドラッグ",
                                        "使用しない"}));
    EXPECT_EQ(items()[2].submenu->title(), items()[2].title);
    EXPECT_EQ(checked(5), std::vector<std::string>{"日本語"});

    // Back to the system's language, which the preferred languages say is Spanish.
    sim.desktop.workspace.setPreferredLanguages({"es-MX", "en-US"});
    ASSERT_TRUE(choose({"言語", "システム設定に合わせる"}));
    EXPECT_EQ(checked(5), std::vector<std::string>{"Usar configuración del sistema"});
    EXPECT_EQ(items()[8].title, "Cómo usar Halomark");
    ASSERT_TRUE(choose({"Cómo usar Halomark"}));
    ASSERT_EQ(sim.alerts.shown().size(), 1u);
    EXPECT_EQ(sim.alerts.shown()[0].title, "Cómo usar Halomark");
    EXPECT_EQ(sim.alerts.shown()[0].buttons, std::vector<std::string>{"Aceptar"});
    EXPECT_EQ(sim.alerts.shown()[0].style, AlertStyle::informational);

    // An unknown language code changes nothing.
    const auto revision = delegate->statusMenu()->revision();
    MenuItem unknown = items()[5].submenu->items()[1];
    unknown.representedObject = "it";
    delegate->performMenuAction(unknown);
    EXPECT_EQ(delegate->statusMenu()->revision(), revision);
    EXPECT_EQ(localization->selectedLanguage(), Language::system);
}

TEST_F(AppDelegateTest, SwitchingTheHighlightOnLooksTheWindowUpAgainAfterAMomentWhenStillOn)
{
    launch();
    ASSERT_TRUE(choose({"Highlight Active Window"}));
    EXPECT_FALSE(delegate->appModel->focusCueMonitor->isRunning());
    EXPECT_EQ(sim.visible(PanelKind::veil), 0u);

    // Passes resolve every 0.05 s from the start; the extra lookup lands in between at 0.18 s.
    ASSERT_TRUE(choose({"Highlight Active Window"}));
    const auto& windows = sim.desktop.windows;
    sim.wait(0.17);
    const int beforeRefresh = windows.listCopyCount();
    sim.wait(0.0099);
    EXPECT_EQ(windows.listCopyCount(), beforeRefresh);
    sim.wait(0.0002);
    EXPECT_EQ(windows.listCopyCount(), beforeRefresh + 1);
    EXPECT_EQ(sim.visible(PanelKind::veil), 1u);

    // With the master switch off, switching the highlight on starts nothing, and the lookup
    // 0.18 s later does nothing either.
    ASSERT_TRUE(choose({"Highlight Active Window"}));
    ASSERT_TRUE(choose({"Enable Halomark"}));
    delegate->toggleFocusCue();
    EXPECT_TRUE(delegate->appModel->focusCueEnabled());
    const int stopped = windows.listCopyCount();
    sim.wait(0.5);
    EXPECT_EQ(windows.listCopyCount(), stopped);
    EXPECT_FALSE(delegate->appModel->focusCueMonitor->isRunning());
}

TEST_F(AppDelegateTest, ColourChangesInQuickSuccessionGiveOnePreviewRingAfterTheLast)
{
    sim.settings.seed(AppModel::focusCueEnabledKey, false); // every panel made is a ring
    launch();
    sim.wait(0.01);
    ASSERT_TRUE(choose({"Color", "Red"}));
    sim.wait(0.05);
    ASSERT_TRUE(choose({"Color", "Orange"}));
    sim.wait(0.05);
    ASSERT_TRUE(choose({"Color", "Yellow"}));
    EXPECT_EQ(checked(6), std::vector<std::string>{"Yellow"});
    EXPECT_EQ(sim.settings.stringForKey(AppearanceSettings::colorChoiceKey), "yellow");
    sim.wait(0.1199);
    EXPECT_EQ(sim.panels.createdCount(), 0);
    sim.wait(0.0002);
    ASSERT_EQ(sim.visible(PanelKind::ring), 1u);
    auto view = std::dynamic_pointer_cast<RingAnimationView>(
        sim.visiblePanels(PanelKind::ring)[0]->contentView());
    ASSERT_TRUE(view);
    sim.wait(2.0);
    EXPECT_EQ(sim.panels.createdCount(), 1);
    EXPECT_TRUE(delegate->colorPreviewWorkItem()); // kept after it ran

    // With the master switch off the menu follows the colour but no ring is shown.
    ASSERT_TRUE(choose({"Enable Halomark"}));
    ASSERT_TRUE(choose({"Color", "Blue"}));
    EXPECT_EQ(checked(6), std::vector<std::string>{"Blue"});
    sim.wait(1.0);
    EXPECT_EQ(sim.panels.createdCount(), 1);
}

TEST_F(AppDelegateTest, CustomColourKeepsTheMarkUntilThePanelReportsAColour)
{
    sim.settings.seed(AppModel::focusCueEnabledKey, false); // every panel made is a ring
    launch();
    ASSERT_TRUE(choose({"Color", "Green"}));
    sim.wait(1.0);
    const int ringsBefore = sim.panels.createdCount();

    ASSERT_TRUE(choose({"Color", "Custom…"}));
    EXPECT_EQ(sim.colorPanel.calls(), (std::vector<std::string>{"setContinuous true", "setColor",
                                                                "setTarget", "orderFront"}));
    EXPECT_EQ(sim.colorPanel.color(), appearance->color(Choice::custom));
    EXPECT_EQ(sim.application.calls().back(), "activateIgnoringOtherApps true");
    EXPECT_EQ(checked(6), std::vector<std::string>{"Green"});
    EXPECT_EQ(appearance->selectedChoice(), Choice::green);
    sim.wait(1.0);
    EXPECT_EQ(sim.panels.createdCount(), ringsBefore); // no preview yet

    ASSERT_TRUE(sim.colorPanel.userPicks(Color::deviceRGB(0.2, 0.4, 0.6)));
    EXPECT_EQ(checked(6), std::vector<std::string>{"Custom…"});
    EXPECT_EQ(sim.settings.doubleForKey(AppearanceSettings::customGreenKey), 0.4);
    sim.wait(0.05);
    ASSERT_TRUE(sim.colorPanel.userPicks(Color::deviceRGB(0.3, 0.4, 0.6)));
    sim.wait(0.1199);
    EXPECT_EQ(sim.panels.createdCount(), ringsBefore);
    sim.wait(0.0002);
    EXPECT_EQ(sim.panels.createdCount(), ringsBefore + 1);
}

TEST_F(AppDelegateTest, DialogsComeToTheFrontAndOnlyTheFirstPrivacyButtonOpensThePage)
{
    launch();
    std::vector<int> activationsWhileShown;
    sim.alerts.setResponder([&](const Alert&) {
        activationsWhileShown.push_back(sim.application.activationCount());
        return alertFirstButtonReturn + 1;
    });
    ASSERT_TRUE(choose({"Privacy Policy"}));
    ASSERT_EQ(sim.alerts.shown().size(), 1u);
    const Alert& privacy = sim.alerts.shown()[0];
    EXPECT_EQ(privacy.title, localization->string(Key::privacyPolicyTitle));
    EXPECT_EQ(privacy.message, localization->string(Key::privacyPolicyMessage));
    EXPECT_EQ(privacy.style, AlertStyle::informational);
    EXPECT_EQ(privacy.buttons, (std::vector<std::string>{"Open Web Version", "Close"}));
    EXPECT_TRUE(sim.desktop.workspace.openedURLs().empty());

    sim.alerts.answerWithButton(0);
    ASSERT_TRUE(choose({"Privacy Policy"}));
    EXPECT_EQ(sim.desktop.workspace.openedURLs(),
              std::vector<std::string>{delegate->privacyPolicyURL});

    // The support page opens at once, without a dialog.
    ASSERT_TRUE(choose({"Support"}));
    EXPECT_EQ(sim.alerts.shown().size(), 2u);
    EXPECT_EQ(sim.desktop.workspace.openedURLs().back(), delegate->supportURL);
    // A page that cannot be opened is not reported.
    sim.desktop.workspace.setOpensURLs(false);
    ASSERT_TRUE(choose({"Support"}));
    EXPECT_EQ(sim.alerts.shown().size(), 2u);

    sim.alerts.setResponder([&](const Alert&) {
        activationsWhileShown.push_back(sim.application.activationCount());
        return alertFirstButtonReturn;
    });
    ASSERT_TRUE(choose({"How to Use"}));
    EXPECT_EQ(sim.alerts.shown().back().buttons, std::vector<std::string>{"OK"});
    // Each dialog was preceded by its own activation.
    EXPECT_EQ(activationsWhileShown, (std::vector<int>{1, 3}));
}

TEST_F(AppDelegateTest, TheAboutDialogShowsTheBundleVersionOrTheFixedOneAndKeepsItsTitle)
{
    launch();
    auto& workspace = sim.desktop.workspace;
    workspace.setBundleValue(AppDelegate::versionKey, BundleValue{std::string("3.4.5")});
    ASSERT_TRUE(choose({"About Halomark"}));
    EXPECT_EQ(sim.alerts.shown().back(),
              (Alert{"Halomark",
                     localization->string(Key::aboutMessage) + "\n\nVersion 3.4.5",
                     AlertStyle::informational,
                     {"OK"}}));

    workspace.setBundleValue(AppDelegate::versionKey, std::nullopt);
    ASSERT_TRUE(choose({"About Halomark"}));
    EXPECT_TRUE(sim.alerts.shown().back().message.ends_with("\n\nVersion 1.2.1"));

    workspace.setBundleValue(AppDelegate::versionKey, BundleValue{std::int64_t{2}});
    ASSERT_TRUE(choose({"Language", "日本語"}));
    ASSERT_TRUE(choose({"Halomarkについて"}));
    EXPECT_EQ(sim.alerts.shown().back().title, "Halomark");
    EXPECT_TRUE(sim.alerts.shown().back().message.ends_with("\n\nバージョン 1.2.1"));
    EXPECT_EQ(sim.alerts.shown().back().buttons, std::vector<std::string>{"OK"});
}

TEST_F(AppDelegateTest, DisplayChangesRefreshTheHighlightOnlyWhileBothSwitchesAreOn)
{
    launch();
    const auto& windows = sim.desktop.windows;
    int before = windows.listCopyCount();
    sim.desktop.screens.plug(sim::SimScreenList::makeScreen(2, {1440, 0, 1280, 800}));
    EXPECT_EQ(windows.listCopyCount(), before + 1); // looked up at once

    delegate->appModel->setFocusCueEnabled(false);
    before = windows.listCopyCount();
    sim.desktop.screens.unplug(2);
    EXPECT_EQ(windows.listCopyCount(), before);

    delegate->appModel->setFocusCueEnabled(true);
    delegate->appModel->setEnabled(false);
    before = windows.listCopyCount();
    sim.desktop.screens.plug(sim::SimScreenList::makeScreen(2, {1440, 0, 1280, 800}));
    EXPECT_EQ(windows.listCopyCount(), before);

    // After termination the delegate no longer listens, even with both switches on.
    delegate->appModel->setEnabled(true);
    sim.application.terminate();
    before = windows.listCopyCount();
    sim.desktop.screens.unplug(2);
    EXPECT_EQ(windows.listCopyCount(), before);
}

TEST_F(AppDelegateTest, TheSharedInstancesAreUsedUnlessOthersAreGiven)
{
    // The shared instances outlive this test, so their store must too.
    static SimulatedPlatform shared;
    auto withShared = std::make_shared<AppDelegate>(shared.platform);
    EXPECT_EQ(withShared->localization, LocalizationManager::shared(shared.settings, [] {
                  return std::vector<std::string>{};
              }));
    EXPECT_EQ(withShared->appearanceSettings, AppearanceSettings::shared(shared.settings));
    launch();
    EXPECT_NE(delegate->localization, withShared->localization);
}

} // namespace
} // namespace halomark
