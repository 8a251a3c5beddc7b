// The whole application's platform, simulated: one 1440 x 900 display with an editor and a
// browser window, the settings store, the status bar, alerts, the colour panel, the login
// item service and the application, bundled as the Platform the shell takes. Helpers act as
// a user at the keyboard and mouse would, on the virtual clock. ShellTest launches the shell
// on it and works its status menu.
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

#include <string>
#include <vector>

namespace halomark::app_test {

using focus_test::browserPid;
using focus_test::editorPid;

inline constexpr Rect editorFrame{100, 100, 700, 500};
inline constexpr Rect browserFrame{600, 200, 700, 450};
inline constexpr WindowNumber editorWindow = 21;
inline constexpr WindowNumber browserWindow = 31;

struct SimulatedPlatform
{
    SimulatedPlatform()
    {
        desktop.open(editorPid, editorWindow, editorFrame);
        desktop.open(browserPid, browserWindow, browserFrame);
        desktop.activate(editorPid, editorWindow);
        input.movePointer({400, 300});
    }

    // Lets the main loop run for the given seconds.
    void wait(double seconds) { loop.advance(seconds); }

    // Presses and releases the left Command key on its own, as a quick tap does.
    void tapCommand(double held = 0.1)
    {
        input.pressKey(key_codes::leftCommand);
        input.setFlags(event_flags::command);
        wait(held);
        input.releaseKey(key_codes::leftCommand);
        input.setFlags(0);
    }

    // Command+Tab to another application's window: Tab is pressed and released while Command
    // stays down, the other window comes to the front, then Command is let go.
    void commandTab(ProcessIdentifier pid, WindowNumber window)
    {
        input.pressKey(key_codes::leftCommand);
        input.setFlags(event_flags::command);
        wait(0.1);
        input.pressKey(key_codes::tab);
        input.setNonModifierKeyDown(true);
        wait(0.1);
        input.releaseKey(key_codes::tab);
        input.setNonModifierKeyDown(false);
        desktop.activate(pid, window);
        wait(0.1);
        input.releaseKey(key_codes::leftCommand);
        input.setFlags(0);
    }

    // Holds Command, drags with the left button from one point to another, releases the
    // button, then Command. The mouse events go to the frontmost panel that takes the mouse,
    // in its view's coordinates, as the window system routes them; false when no such panel
    // was there at the press.
    bool commandDrag(Point from, Point to)
    {
        input.movePointer(from);
        input.pressKey(key_codes::leftCommand);
        input.setFlags(event_flags::command);
        wait(0.1);
        auto target = panelTakingTheMouse();
        input.pressButton(0);
        if (target) {
            target->contentView()->mouseDown(inPanel(*target, from));
        }
        wait(0.05);
        input.movePointer(to);
        if (target) {
            target->contentView()->mouseDragged(inPanel(*target, to));
        }
        wait(0.05);
        input.releaseButton(0);
        if (target) {
            target->contentView()->mouseUp(inPanel(*target, to));
        }
        wait(0.05);
        input.releaseKey(key_codes::leftCommand);
        input.setFlags(0);
        return target != nullptr;
    }

    std::shared_ptr<sim::SimPanel> panelTakingTheMouse() const
    {
        for (const auto& panel : panels.frontToBack()) {
            if (panel->ignoresMouseEvents() == false && panel->contentView()) {
                return panel;
            }
        }
        return nullptr;
    }

    static Point inPanel(const sim::SimPanel& panel, Point global)
    {
        return {global.x - panel.frame().minX(), global.y - panel.frame().minY()};
    }

    // The panels of the kind that are ordered in, the frontmost first.
    std::vector<std::shared_ptr<sim::SimPanel>> visiblePanels(PanelKind kind) const
    {
        std::vector<std::shared_ptr<sim::SimPanel>> found;
        for (const auto& panel : panels.frontToBack()) {
            if (panel->configuration().kind == kind) {
                found.push_back(panel);
            }
        }
        return found;
    }
    std::size_t visible(PanelKind kind) const { return visiblePanels(kind).size(); }

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
    static std::vector<std::string> titles(const Menu& menu)
    {
        std::vector<std::string> result;
        for (const MenuItem& entry : menu.items()) {
            result.push_back(entry.isSeparator ? "---" : entry.title);
        }
        return result;
    }
    // The titles of the entries of a submenu that carry the check mark.
    std::vector<std::string> checked(std::size_t index)
    {
        std::vector<std::string> result;
        for (const MenuItem& entry : items().at(index).submenu->items()) {
            if (entry.state == MenuItemState::on) {
                result.push_back(entry.title);
            }
        }
        return result;
    }

    SimulatedPlatform sim;
    std::shared_ptr<LocalizationManager> localization = std::make_shared<LocalizationManager>(
        sim.settings, [this] { return sim.desktop.workspace.preferredLanguages(); });
    std::shared_ptr<AppearanceSettings> appearance =
        std::make_shared<AppearanceSettings>(sim.settings);
    std::shared_ptr<AppDelegate> delegate;
};

} // namespace halomark::app_test
