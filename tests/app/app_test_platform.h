// The whole application's platform, simulated: one 1440 x 900 display with an editor and a
// browser window, the settings store, the status bar, alerts, the colour panel, the login
// item service and the application, bundled as the Platform the shell takes. Helpers act as
// a user at the keyboard would, on the virtual clock. ShellTest launches the shell on it and
// works its status menu.
#pragma once

#include "../focus/focus_test_desktop.h"
#include "app/app_delegate.h"
#include "app/platform.h"
#include "sim/sim_alerts.h"
#include "sim/sim_application.h"
#include "sim/sim_color_panel.h"
#include "sim/sim_input_state.h"
#include "sim/sim_login_item_service.h"
#include "sim/sim_main_loop.h"
#include "sim/sim_panel.h"
#include "sim/sim_settings_store.h"
#include "sim/sim_status_bar.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace halomark::app_test {

using focus_test::browserPid;
using focus_test::editorPid;

inline constexpr Rect editorFrame{100, 100, 700, 500};
inline constexpr Rect browserFrame{600, 200, 700, 450};
inline constexpr WindowNumber browserWindow = 31;

struct SimulatedPlatform
{
    SimulatedPlatform()
    {
        desktop.open(editorPid, 21, editorFrame);
        desktop.open(browserPid, browserWindow, browserFrame);
        desktop.activate(editorPid, 21);
        input.movePointer({400, 300});
    }

    void wait(double seconds) { loop.advance(seconds); }

    // A quick tap of the left Command key; with `during`, what happens while it is held.
    void holdCommand(const std::function<void()>& during = [] {})
    {
        input.pressKey(key_codes::leftCommand);
        wait(0.1);
        during();
        input.releaseAll();
    }

    // The kinds of the panels ordered in, the frontmost first, as in "ring veil".
    std::string onScreen() const
    {
        static constexpr const char* names[] = {"ring", "veil", "selection", "spotlight", "pulse"};
        std::string kinds;
        for (const auto& panel : panels.frontToBack()) {
            kinds += (kinds.empty() ? "" : " ");
            kinds += names[static_cast<int>(panel->configuration().kind)];
        }
        return kinds;
    }

    sim::SimMainLoop loop;
    sim::SimInputState input;
    focus_test::TestDesktop desktop;
    sim::SimPanelFactory panels{loop};
    sim::SimSettingsStore settings;
    sim::SimStatusBar statusBar;
    sim::SimAlerts alerts;
    sim::SimColorPanel colorPanel;
    sim::SimLoginItemService loginItems;
    sim::SimApplication application;

    Platform platform{loop,
                      input,
                      desktop.screens,
                      panels,
                      settings,
                      desktop.windows,
                      desktop.accessibility,
                      desktop.workspace,
                      statusBar,
                      alerts,
                      colorPanel,
                      loginItems,
                      application};
};

class ShellTest : public ::testing::Test
{
protected:
    void launch()
    {
        delegate = std::make_shared<AppDelegate>(sim.platform, localization, appearance);
        sim.application.setDelegate(delegate);
        ASSERT_TRUE(sim.application.finishLaunching());
    }

    sim::SimStatusItem& statusItem() { return *sim.statusBar.lastItem(); }
    const std::vector<MenuItem>& items() { return statusItem().menu()->items(); }
    bool choose(const std::vector<std::string>& path) { return statusItem().choose(path); }
    std::string text(Key key) const { return localization->string(key); }
    // The status menu from item `from` on as one line: " | " between items, ", " between
    // submenu entries after " > ", "*" before a checked title, "~" before a disabled one,
    // "^" before a key equivalent.
    std::string menuText(std::size_t from = 0, std::size_t to = 99)
    {
        std::string text;
        const auto render = [](const MenuItem& entry) {
            return std::string(entry.enabled ? "" : "~") +
                   (entry.state == MenuItemState::on ? "*" : "") +
                   (entry.isSeparator ? "---" : entry.title) +
                   (entry.keyEquivalent.empty() ? "" : " ^" + entry.keyEquivalent);
        };
        for (std::size_t i = from; i < std::min(to, items().size()); ++i) {
            text += (i == from ? "" : " | ") + render(items()[i]);
            if (const auto& submenu = items()[i].submenu) {
                for (std::size_t k = 0; k < submenu->items().size(); ++k) {
                    text += (k == 0 ? " > " : ", ") + render(submenu->items()[k]);
                }
            }
        }
        return text;
    }

    SimulatedPlatform sim;
    std::shared_ptr<LocalizationManager> localization = std::make_shared<LocalizationManager>(
        sim.settings, [this] { return sim.desktop.workspace.preferredLanguages(); });
    std::shared_ptr<AppearanceSettings> appearance =
        std::make_shared<AppearanceSettings>(sim.settings);
    std::shared_ptr<AppDelegate> delegate;
};

} // namespace halomark::app_test
