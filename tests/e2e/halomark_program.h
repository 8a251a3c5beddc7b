// The halomark program as a person runs it on the test desktop: started with a settings folder
// of its own (XDG_CONFIG_HOME in a temporary folder, optionally with settings written before it
// starts), found by its tray icon, driven through its tray menu with the keyboard, and watched
// through its overlay windows, its settings file and its autostart entry.
#pragma once

#include "e2e_desktop.h"

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace halomark::e2e {

// Where the program under test was built.
std::filesystem::path halomarkExecutable();

// The top-level items of the tray menu, counted from the top without the separators.
enum class MenuEntry
{
    enableHalomark = 1,
    highlight = 2,
    rangeSelection = 3,
    launchAtLogin = 4,
    language = 5,
    color = 6,
    howToUse = 7,
    about = 8,
    privacyPolicy = 9,
    support = 10,
    quit = 11,
};

// The rows of a menu's picture that hold an item's text, as (first row, height), top to bottom:
// runs of rows that are not plain background, leaving out the thin separator lines and the
// frame.
std::vector<std::pair<int, int>> menuItemRows(const Image& menu);

class HalomarkProgram
{
public:
    // Settings go to <configHome>/halomark/settings.json, the autostart entry to
    // <configHome>/autostart/halomark.desktop.
    HalomarkProgram(DesktopScreen& screen, std::filesystem::path configHome);
    ~HalomarkProgram();
    HalomarkProgram(const HalomarkProgram&) = delete;
    HalomarkProgram& operator=(const HalomarkProgram&) = delete;

    // Settings written before the program starts: key to JSON value ("\"red\"", "false").
    void presetSettings(const std::map<std::string, std::string>& settings);

    // Starts the program (with the given extra arguments) and waits until its icon has docked
    // in the tray, which it does just before its monitors start.
    bool start(const std::vector<std::string>& arguments = {});
    // Starts one more process of the program in the same environment with these arguments and
    // changes to the environment (an empty value removes a variable), not waiting for anything.
    // Its output goes to <configHome>/<name>.out, its errors to <configHome>/<name>.err.
    std::unique_ptr<ChildProcess>
    startAnother(const std::string& name, const std::vector<std::string>& arguments = {},
                 const std::map<std::string, std::string>& changes = {}) const;

    ChildProcess& process() { return *child; }
    bool isRunning() { return child && child->isRunning(); }
    std::string log() const { return child ? child->log() : std::string(); }

    // Its mapped override-redirect windows that are overlay panels: each covers a whole
    // monitor or a monitor's usable area (which tells them from menus, tooltips and the tray
    // icon before it docks).
    std::vector<TopLevelWindow> overlays();
    // Those over a whole monitor: ring and selection panels (and the right monitor's veil,
    // whose usable area is the whole monitor).
    std::vector<TopLevelWindow> monitorPanels();
    // Those over the left monitor's usable area: its veil.
    std::vector<TopLevelWindow> leftVeils();
    // Its mapped menu popups: its other override-redirect windows, bar tooltips.
    std::vector<TopLevelWindow> menus();
    // Where its icon sits in the tray.
    std::optional<PixelRect> trayIcon();

    // Opens the tray menu with a click on the icon and waits until the popup is painted.
    bool openMenu();
    // The open menus' pictures, the first one opened first.
    std::vector<std::pair<TopLevelWindow, Image>> openMenus();
    // Closes the open menus with a click on the bare desktop beside them.
    bool closeMenus();
    // Opens the menu and clicks the entry, or opens its submenu with a click and clicks the
    // submenu's entry at the given position (1 for the first), as a person does. Waits until
    // every menu has closed. The pointer stays where it clicked.
    bool choose(MenuEntry entry, int submenuPosition = 0);

    std::filesystem::path settingsFile() const { return home / "halomark" / "settings.json"; }
    std::filesystem::path autostartEntry() const { return home / "autostart" / "halomark.desktop"; }
    // A value in the settings file as JSON text ("\"red\"", "true"), or nothing.
    std::optional<std::string> setting(const std::string& key) const;

private:
    std::map<std::string, std::string> environment() const;
    // Its mapped override-redirect windows.
    std::vector<TopLevelWindow> windowsOfTheProgram();

    DesktopScreen& screen;
    std::filesystem::path home;
    std::unique_ptr<ChildProcess> child;
};

} // namespace halomark::e2e
