// The whole application on the simulated platform, used as a person would use it: launched
// with an empty settings store, driven with the keyboard, the mouse and the status menu, and
// quit from the menu. Everything below the shell is the real code.
#include "app_test_platform.h"

namespace halomark {
namespace {

class ApplicationSessionTest : public app_test::ShellTest
{};

TEST_F(ApplicationSessionTest, FromFirstLaunchThroughCuesMenusAndDialogsToQuit)
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
    EXPECT_EQ(menuText(0, 6), "Halomarkを有効にする | ~*アクティブウインドウを強調 | "
                              "~範囲選択ショートカット > ⌘ + ドラッグ, ⌃ + ⌘ + ドラッグ, "
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

TEST_F(ApplicationSessionTest, TheLoginItemInEachOfItsFourStates)
{
    launch();
    auto& service = sim.loginItems;
    // Chooses the item; what the service was asked and the item's mark afterwards.
    const auto toggle = [&] {
        EXPECT_TRUE(choose({text(Key::launchAtLogin)}));
        return std::to_string(service.registerCount()) + std::to_string(service.unregisterCount()) +
               (items()[5].state == MenuItemState::on ? " on" : " off");
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
    EXPECT_EQ(items()[5].state, MenuItemState::off);
    ASSERT_TRUE(choose({text(Key::language), "Español"}));
    EXPECT_EQ(menuText(5, 6), "*Abrir al iniciar sesión");
}

} // namespace
} // namespace halomark
