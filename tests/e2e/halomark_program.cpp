#include "halomark_program.h"

#include <cctype>

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
    child = std::make_unique<ChildProcess>(command, environment(), home / "halomark.log");
    if (!child->started()) {
        return false;
    }
    return waitUntil([&] { return !child->isRunning() || trayIcon().has_value(); }, 15s) &&
           child->isRunning();
}

std::unique_ptr<ChildProcess>
HalomarkProgram::startAnother(const std::filesystem::path& logFile) const
{
    return std::make_unique<ChildProcess>(std::vector<std::string>{halomarkExecutable().string()},
                                          environment(), logFile);
}

std::vector<TopLevelWindow> HalomarkProgram::overlays()
{
    std::vector<TopLevelWindow> found;
    if (!child) {
        return found;
    }
    for (const TopLevelWindow& window : screen.topLevelWindows()) {
        if (window.pid == static_cast<std::uint32_t>(child->pid()) && window.viewable &&
            window.overrideRedirect && !window.isMenu && !window.inputOnly &&
            window.rect.width >= 200 && window.rect.height >= 200) {
            found.push_back(window);
        }
    }
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
    std::vector<TopLevelWindow> found;
    if (!child) {
        return found;
    }
    for (const TopLevelWindow& window : screen.topLevelWindows()) {
        if (window.pid == static_cast<std::uint32_t>(child->pid()) && window.viewable &&
            window.isMenu) {
            found.push_back(window);
        }
    }
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

bool HalomarkProgram::openMenu()
{
    const auto icon = trayIcon();
    if (!icon || !movePointer(icon->centerX(), icon->centerY())) {
        return false;
    }
    xdotool({"click", "1"});
    if (!waitUntil([&] { return !menus().empty(); }, 3s)) {
        return false;
    }
    if (pointerRest) {
        return movePointer(pointerRest->first, pointerRest->second);
    }
    const TopLevelWindow menu = menus().front();
    return movePointer(menu.rect.right() + 200, menu.rect.y);
}

bool HalomarkProgram::choose(MenuEntry entry, int submenuPosition)
{
    if (!openMenu()) {
        return false;
    }
    std::vector<std::string> keys{"key", "--delay", "60"};
    for (int i = 0; i < static_cast<int>(entry); ++i) {
        keys.push_back("Down");
    }
    if (submenuPosition > 0) {
        keys.push_back("Right");
        for (int i = 1; i < submenuPosition; ++i) {
            keys.push_back("Down");
        }
    }
    keys.push_back("Return");
    return xdotool(keys) && waitUntil([&] { return menus().empty(); }, 3s);
}

std::optional<std::string> HalomarkProgram::setting(const std::string& key) const
{
    // The file is one flat JSON object; each value here is a string, a number or a literal.
    const std::string text = readFile(settingsFile());
    const std::string quotedKey = "\"" + key + "\"";
    std::size_t at = text.find(quotedKey);
    if (at == std::string::npos) {
        return std::nullopt;
    }
    at += quotedKey.size();
    while (at < text.size() && (std::isspace(static_cast<unsigned char>(text[at])) != 0)) {
        ++at;
    }
    if (at >= text.size() || text[at] != ':') {
        return std::nullopt;
    }
    ++at;
    while (at < text.size() && (std::isspace(static_cast<unsigned char>(text[at])) != 0)) {
        ++at;
    }
    std::size_t end = at;
    if (end < text.size() && text[end] == '"') {
        for (++end; end < text.size() && text[end] != '"'; ++end) {
            end += text[end] == '\\';
        }
        ++end;
    } else {
        while (end < text.size() && text[end] != ',' && text[end] != '}' &&
               std::isspace(static_cast<unsigned char>(text[end])) == 0) {
            ++end;
        }
    }
    if (end > text.size() || end == at) {
        return std::nullopt;
    }
    return text.substr(at, end - at);
}

} // namespace halomark::e2e
