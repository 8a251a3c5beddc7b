#include "halomark_program.h"

#include <algorithm>
#include <map>
#include <regex>
#include <tuple>

namespace halomark::e2e {

std::filesystem::path halomarkExecutable()
{
    return HALOMARK_PROGRAM;
}

HalomarkProgram::HalomarkProgram(DesktopScreen& screen, std::filesystem::path configHome)
    : screen(screen), home(std::move(configHome))
{}

HalomarkProgram::~HalomarkProgram() = default;

void HalomarkProgram::presetSettings(const std::map<std::string, std::string>& settings)
{
    std::string text = "{\n";
    for (auto it = settings.begin(); it != settings.end(); ++it) {
        text += "    \"" + it->first + "\": " + it->second;
        text += std::next(it) == settings.end() ? "\n" : ",\n";
    }
    text += "}\n";
    writeFile(settingsFile(), text);
}

std::map<std::string, std::string> HalomarkProgram::environment() const
{
    return {
        {"XDG_CONFIG_HOME", home.string()},
        {"QT_QPA_PLATFORM", "xcb"},
        // English menus whatever the machine's locale is.
        {"LANG", "en_US.UTF-8"},
        {"LANGUAGE", "en"},
        {"LC_ALL", "en_US.UTF-8"},
        // No session bus: the tray icon docks through the X protocol, as with tint2.
        {"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (home / "no-session-bus").string()},
    };
}

bool HalomarkProgram::start(const std::vector<std::string>& arguments)
{
    std::vector<std::string> command{halomarkExecutable().string()};
    command.insert(command.end(), arguments.begin(), arguments.end());
    std::error_code ignored;
    std::filesystem::create_directories(home, ignored);
    child = std::make_unique<ChildProcess>(command, environment(), home / "halomark.log");
    if (!child->started()) {
        return false;
    }
    return waitUntil([&] { return !child->isRunning() || trayIcon().has_value(); }, 15s) &&
           child->isRunning();
}

std::unique_ptr<ChildProcess>
HalomarkProgram::startAnother(const std::string& name, const std::vector<std::string>& arguments,
                              const std::map<std::string, std::string>& changes) const
{
    std::vector<std::string> command{halomarkExecutable().string()};
    command.insert(command.end(), arguments.begin(), arguments.end());
    auto variables = environment();
    for (const auto& [variable, value] : changes) {
        variables[variable] = value;
    }
    std::error_code ignored;
    std::filesystem::create_directories(home, ignored);
    return std::make_unique<ChildProcess>(command, variables, home / (name + ".out"),
                                          home / (name + ".err"));
}

namespace {

// Every overlay panel covers a whole monitor or a monitor's usable area.
bool hasPanelGeometry(const PixelRect& rect)
{
    return rect == kLeftMonitor || rect == kRightMonitor || rect == kLeftUsableArea;
}

} // namespace

std::vector<TopLevelWindow> HalomarkProgram::windowsOfTheProgram()
{
    std::vector<TopLevelWindow> found;
    if (!child) {
        return found;
    }
    for (const TopLevelWindow& window : screen.topLevelWindows()) {
        if (window.pid == static_cast<std::uint32_t>(child->pid()) && window.viewable &&
            window.overrideRedirect && !window.inputOnly) {
            found.push_back(window);
        }
    }
    return found;
}

std::vector<TopLevelWindow> HalomarkProgram::overlays()
{
    auto found = windowsOfTheProgram();
    std::erase_if(found, [](const TopLevelWindow& window) {
        return window.isMenu || !hasPanelGeometry(window.rect);
    });
    return found;
}

std::vector<TopLevelWindow> HalomarkProgram::monitorPanels()
{
    std::vector<TopLevelWindow> found = overlays();
    std::erase_if(found, [](const TopLevelWindow& window) {
        return window.rect != kLeftMonitor && window.rect != kRightMonitor;
    });
    return found;
}

std::vector<TopLevelWindow> HalomarkProgram::leftVeils()
{
    std::vector<TopLevelWindow> found = overlays();
    std::erase_if(found,
                  [](const TopLevelWindow& window) { return window.rect != kLeftUsableArea; });
    return found;
}

std::vector<TopLevelWindow> HalomarkProgram::menus()
{
    // Popups: neither a panel nor a tooltip, which is a single line of text.
    auto found = windowsOfTheProgram();
    std::erase_if(found, [](const TopLevelWindow& window) {
        return !window.isMenu &&
               (hasPanelGeometry(window.rect) || window.rect.width < 50 || window.rect.height < 50);
    });
    return found;
}

std::optional<PixelRect> HalomarkProgram::trayIcon()
{
    if (!child) {
        return std::nullopt;
    }
    // Docked, the icon's window is a small window of this program inside the panel's tray.
    for (const PixelRect& rect : screen.embeddedWindowsOf(child->pid())) {
        if (rect.width <= 64 && rect.height <= 64 && rect.y >= kLeftUsableArea.bottom() &&
            rect.bottom() <= kLeftMonitor.bottom()) {
            return rect;
        }
    }
    return std::nullopt;
}

namespace {

// The picture of a window once it has stopped changing (a menu paints after it maps).
Image settledPicture(DesktopScreen& screen, const PixelRect& rect)
{
    Image image = screen.grab(rect);
    waitUntil(
        [&] {
            Image again = screen.grab(rect);
            const bool settled = again.differingPixels(image) == 0;
            image = std::move(again);
            return settled;
        },
        1s);
    return image;
}

bool clickAt(int x, int y)
{
    return movePointer(x, y) && xdotool({"click", "1"});
}

} // namespace

std::vector<std::pair<int, int>> menuItemRows(const Image& menu)
{
    const PixelRect& r = menu.area();
    std::map<std::tuple<int, int, int>, int> counts;
    for (int y = r.y; y < r.bottom(); ++y) {
        for (int x = r.x; x < r.right(); ++x) {
            const Rgb c = menu.at(x, y);
            ++counts[{c.red, c.green, c.blue}];
        }
    }
    if (counts.empty()) {
        return {};
    }
    const auto background = std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
                                return a.second < b.second;
                            })->first;
    std::vector<std::pair<int, int>> rows;
    for (int y = r.y + 3; y < r.bottom() - 3; ++y) {
        bool blank = true;
        for (int x = r.x + 3; x < r.right() - 3 && blank; ++x) {
            const Rgb c = menu.at(x, y);
            blank = std::tuple{c.red, c.green, c.blue} == background;
        }
        if (blank) {
            continue;
        }
        if (!rows.empty() && rows.back().first + rows.back().second == y) {
            ++rows.back().second;
        } else {
            rows.emplace_back(y, 1);
        }
    }
    std::erase_if(rows, [](auto& row) { return row.second <= 3; }); // separators
    return rows;
}

bool HalomarkProgram::openMenu()
{
    const auto icon = trayIcon();
    if (!icon || !clickAt(icon->centerX(), icon->centerY())) {
        return false;
    }
    // Mapped, then painted: a menu's first showing takes a moment to draw its items.
    return waitUntil(
        [&] {
            const auto open = menus();
            return !open.empty() &&
                   !menuItemRows(settledPicture(screen, open.front().rect)).empty();
        },
        5s);
}

std::vector<std::pair<TopLevelWindow, Image>> HalomarkProgram::openMenus()
{
    std::vector<std::pair<TopLevelWindow, Image>> found;
    for (const TopLevelWindow& menu : menus()) {
        found.emplace_back(menu, settledPicture(screen, menu.rect));
    }
    return found;
}

bool HalomarkProgram::closeMenus()
{
    // The right monitor's bare desktop is far from the tray's menus.
    clickAt(kRightMonitor.x + 300, kRightMonitor.bottom() - 100);
    return waitUntil([&] { return menus().empty(); }, 3s);
}

bool HalomarkProgram::choose(MenuEntry entry, int submenuPosition)
{
    if (!openMenu()) {
        return false;
    }
    const auto [menu, picture] = openMenus().front();
    const auto rows = menuItemRows(picture);
    const auto index = static_cast<std::size_t>(entry) - 1;
    if (rows.size() <= index) {
        closeMenus();
        return false;
    }
    const int y = rows[index].first + rows[index].second / 2;
    if (!clickAt(menu.rect.x + menu.rect.width / 3, y)) {
        return false;
    }
    if (submenuPosition > 0) {
        std::optional<std::pair<TopLevelWindow, Image>> submenu;
        waitUntil(
            [&] {
                for (auto& open : openMenus()) {
                    if (open.first.id != menu.id && !menuItemRows(open.second).empty()) {
                        submenu = std::move(open);
                    }
                }
                return submenu.has_value();
            },
            5s);
        const auto subrows =
            submenu ? menuItemRows(submenu->second) : std::vector<std::pair<int, int>>{};
        if (subrows.size() < static_cast<std::size_t>(submenuPosition)) {
            closeMenus();
            return false;
        }
        const auto& row = subrows[static_cast<std::size_t>(submenuPosition) - 1];
        // Straight across into the submenu first, then along it, so that the pointer never
        // crosses another item of the parent menu.
        const int x = submenu->first.rect.x + submenu->first.rect.width / 3;
        movePointer(x, y);
        if (!clickAt(x, row.first + row.second / 2)) {
            return false;
        }
    }
    return waitUntil([&] { return menus().empty(); }, 3s);
}

std::optional<std::string> HalomarkProgram::setting(const std::string& key) const
{
    // The file is one flat JSON object; each value here is a string, a number or a literal.
    const std::regex member("\"" + std::regex_replace(key, std::regex(R"([.\\])"), R"(\$&)") +
                            R"("\s*:\s*("(?:[^"\\]|\\.)*"|[^,}\s]+))");
    std::smatch match;
    const std::string text = readFile(settingsFile());
    if (!std::regex_search(text, match, member)) {
        return std::nullopt;
    }
    return match[1].str();
}

} // namespace halomark::e2e
