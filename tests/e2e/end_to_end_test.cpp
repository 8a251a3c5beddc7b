#include "end_to_end_test.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <regex>
#include <set>
#include <tuple>

namespace halomark::e2e {

namespace {

// Every overlay panel covers a whole monitor or a monitor's usable area.
bool hasPanelGeometry(const PixelRect& rect)
{
    return rect == kLeftMonitor || rect == kRightMonitor || rect == kLeftUsableArea;
}

bool clickAt(int x, int y)
{
    return movePointer(x, y) && xdotool({"click", "1"});
}

// The picture of a window once it has stopped changing (a menu paints after it maps).
Image settledPicture(DesktopScreen& screen, const PixelRect& rect)
{
    Image image = screen.grab(rect);
    waitUntil(
        [&] {
            Image again = screen.grab(rect);
            std::swap(image, again);
            return again.differingPixels(image) == 0;
        },
        1s);
    return image;
}

// A menu is painted once it shows more colours than its frame and background: its text.
bool painted(const Image& menu)
{
    std::set<std::tuple<int, int, int>> colours;
    for (int y = menu.area().y; y < menu.area().bottom(); ++y) {
        for (int x = menu.area().x; x < menu.area().right(); ++x) {
            const Rgb c = menu.at(x, y);
            colours.insert({c.red, c.green, c.blue});
        }
    }
    return colours.size() > 4;
}

} // namespace

void EndToEndTest::SetUp()
{
    if (const auto problem = loadDesktopEnvironment()) {
        GTEST_FAIL() << *problem;
    }
    ASSERT_TRUE(std::filesystem::exists(HALOMARK_PROGRAM)) << "build the desktop preset first";
    screen = std::make_unique<DesktopScreen>();
    ASSERT_TRUE(screen->isConnected()) << screen->xcb().errorDescription();
    folder = std::make_unique<TemporaryFolder>();
    ASSERT_FALSE(folder->path().empty());
    compositorAtStart = screen->isCompositing();
}

void EndToEndTest::TearDown()
{
    input.releaseAll();
    if (HasFailure() && screen) {
        saveArtifact("failure");
        std::cerr << "halomark's output:\n" << (halomark ? halomark->errors() : "") << "\n";
    }
    halomark.reset();
    terminals.clear();
    if (compositorAtStart && screen && screen->isCompositing() != *compositorAtStart) {
        desktopScript(*compositorAtStart ? "compositor-start" : "compositor-stop");
    }
    folder.reset();
}

void EndToEndTest::useCompositor(bool on)
{
    if (screen->isCompositing() != on) {
        ASSERT_TRUE(desktopScript(on ? "compositor-start" : "compositor-stop"));
        ASSERT_TRUE(waitUntil([&] { return screen->isCompositing() == on; }, 5s));
    }
    waitForSettledScreen();
}

void EndToEndTest::waitForSettledScreen()
{
    const PixelRect all{0, 0, kRightMonitor.right(), kRightMonitor.bottom()};
    Image last = screen->grab(all);
    EXPECT_TRUE(waitUntil(
        [&] {
            Image now = screen->grab(all);
            std::swap(now, last);
            return now.differingPixels(last) == 0;
        },
        3s))
        << "the screen kept changing";
}

BlueTerminal& EndToEndTest::addTerminal(const std::string& title, int x, int y)
{
    terminals.push_back(std::make_unique<BlueTerminal>(*screen, folder->path(), title, x, y));
    EXPECT_TRUE(terminals.back()->waitForWindow()) << "the terminal " << title << " is missing";
    waitForSettledScreen();
    return *terminals.back();
}

void EndToEndTest::launch(const std::map<std::string, std::string>& settings)
{
    if (!settings.empty()) {
        std::string text = "{";
        for (const auto& [key, value] : settings) {
            text += (text.size() > 1 ? ",\n\"" : "\n\"") + key + "\": " + value;
        }
        ASSERT_TRUE(writeFile(settingsFile(), text + "\n}\n"));
    }
    halomark = startAnother("halomark");
    ASSERT_TRUE(waitUntil([&] { return !halomark->isRunning() || trayIcon(); }, 15s) &&
                halomark->isRunning())
        << "halomark did not start:\n"
        << halomark->errors();
}

std::unique_ptr<SpawnedProcess>
EndToEndTest::startAnother(const std::string& name, const std::vector<std::string>& arguments,
                           const std::map<std::string, std::string>& changes) const
{
    std::map<std::string, std::string> variables{
        {"XDG_CONFIG_HOME", config().string()},
        {"QT_QPA_PLATFORM", "xcb"},
        // English menus whatever the machine's locale is.
        {"LANG", "en_US.UTF-8"},
        {"LANGUAGE", "en"},
        {"LC_ALL", "en_US.UTF-8"},
    };
    for (const auto& [variable, value] : changes) {
        variables[variable] = value;
    }
    std::vector<std::string> command{"env"};
    // env takes the variables to remove before those to set.
    for (const auto& [variable, value] : variables) {
        command.insert(value.empty() ? command.begin() + 1 : command.end(),
                       value.empty() ? "-u" + variable : variable + "=" + value);
    }
    command.push_back(HALOMARK_PROGRAM);
    command.insert(command.end(), arguments.begin(), arguments.end());
    std::filesystem::create_directories(config());
    return std::make_unique<SpawnedProcess>(command, config() / (name + ".out"),
                                            config() / (name + ".err"));
}

void EndToEndTest::expectCleanExit(const std::string& how)
{
    const auto pid = static_cast<std::uint32_t>(halomark->pid());
    const auto status = halomark->waitForExit(10s);
    ASSERT_TRUE(status) << "the program still runs after " << how;
    EXPECT_TRUE(exitedWith(status, 0)) << how << ": wait status " << *status;
    const auto windowsLeft = [&] {
        std::string left;
        for (const TopLevelWindow& window : screen->topLevelWindows()) {
            left += window.pid == pid ? " " + describe(window.rect) : "";
        }
        for (const PixelRect& rect : screen->embeddedWindowsOf(pid, false)) {
            left += " embedded " + describe(rect);
        }
        return left;
    };
    // The server lets go of the windows of a closed connection a moment after the exit.
    EXPECT_TRUE(waitUntil([&] { return windowsLeft().empty(); }, 2s))
        << how << ": windows left:" << windowsLeft();
    const std::string output = halomark->log() + halomark->errors();
    EXPECT_EQ(output.find("rror"), std::string::npos) << how << ": " << output;
}

std::vector<TopLevelWindow> EndToEndTest::windowsOfTheProgram()
{
    std::vector<TopLevelWindow> found;
    for (const TopLevelWindow& window : screen->topLevelWindows()) {
        if (halomark && window.pid == static_cast<std::uint32_t>(halomark->pid()) &&
            window.viewable && window.overrideRedirect && !window.inputOnly) {
            found.push_back(window);
        }
    }
    return found;
}

std::vector<TopLevelWindow> EndToEndTest::overlays()
{
    auto found = windowsOfTheProgram();
    std::erase_if(found, [](auto& w) { return w.isMenu || !hasPanelGeometry(w.rect); });
    return found;
}

std::vector<TopLevelWindow> EndToEndTest::monitorPanels()
{
    auto found = overlays();
    std::erase_if(found, [](auto& w) { return w.rect == kLeftUsableArea; });
    return found;
}

std::vector<TopLevelWindow> EndToEndTest::leftVeils()
{
    auto found = overlays();
    std::erase_if(found, [](auto& w) { return w.rect != kLeftUsableArea; });
    return found;
}

std::vector<TopLevelWindow> EndToEndTest::menus()
{
    // Neither a panel nor a tooltip, which is a single line of text.
    auto found = windowsOfTheProgram();
    std::erase_if(found, [](auto& w) {
        return !w.isMenu && (hasPanelGeometry(w.rect) || w.rect.width < 50 || w.rect.height < 50);
    });
    return found;
}

std::optional<PixelRect> EndToEndTest::trayIcon()
{
    // Docked, the icon is a small window of the program inside the panel's tray.
    for (const PixelRect& rect :
         halomark ? screen->embeddedWindowsOf(halomark->pid()) : std::vector<PixelRect>{}) {
        if (rect.width <= 64 && rect.height <= 64 && rect.y >= kLeftUsableArea.bottom() &&
            rect.bottom() <= kLeftMonitor.bottom()) {
            return rect;
        }
    }
    return std::nullopt;
}

bool EndToEndTest::openMenu()
{
    const auto icon = trayIcon();
    if (!icon || !clickAt(icon->x + icon->width / 2, icon->y + icon->height / 2)) {
        return false;
    }
    // Mapped, then painted: a menu's first showing takes a moment to draw its items.
    return waitUntil(
        [&] {
            const auto open = openMenus();
            return !open.empty() && painted(open.front().second);
        },
        5s);
}

std::vector<std::pair<TopLevelWindow, Image>> EndToEndTest::openMenus()
{
    std::vector<std::pair<TopLevelWindow, Image>> found;
    for (const TopLevelWindow& menu : menus()) {
        found.emplace_back(menu, settledPicture(*screen, menu.rect));
    }
    return found;
}

bool EndToEndTest::closeMenus()
{
    // The right monitor's bare desktop is far from the tray's menus.
    clickAt(kRightMonitor.x + 300, kRightMonitor.bottom() - 100);
    return waitUntil([&] { return menus().empty(); });
}

Image EndToEndTest::menuPicture()
{
    EXPECT_TRUE(openMenu()) << "no menu opened on a click on the tray icon";
    const auto open = openMenus();
    EXPECT_TRUE(closeMenus());
    return open.empty() ? Image() : open.front().second;
}

bool EndToEndTest::choose(MenuEntry entry, int submenuPosition)
{
    // The pointer goes away from the menu so as not to choose an item itself, to bare desktop
    // on the right monitor.
    if (!openMenu() || !movePointer(kRightMonitor.x + 300, 400)) {
        return false;
    }
    // Down from nothing chosen goes to the first item; Right opens a submenu at its first.
    std::vector<std::string> keys(static_cast<std::size_t>(entry), "Down");
    if (submenuPosition > 0) {
        keys.push_back("Right");
        keys.insert(keys.end(), static_cast<std::size_t>(submenuPosition - 1), "Down");
    }
    keys.push_back("Return");
    for (const std::string& key : keys) {
        if (!xdotool({"key", key})) {
            return false;
        }
        hold(50ms);
    }
    return waitUntil([&] { return menus().empty(); });
}

std::optional<std::string> EndToEndTest::setting(const std::string& key) const
{
    // One flat JSON object; each value here is a string, a number or a literal.
    const std::regex member("\"" + std::regex_replace(key, std::regex(R"([.\\])"), R"(\$&)") +
                            R"("\s*:\s*("(?:[^"\\]|\\.)*"|[^,}\s]+))");
    std::smatch match;
    const std::string text = readFile(settingsFile());
    if (!std::regex_search(text, match, member)) {
        return std::nullopt;
    }
    return match[1].str();
}

void EndToEndTest::tapSuper(std::chrono::milliseconds duration)
{
    ASSERT_TRUE(input.pressKey("Super_L"));
    hold(duration);
    ASSERT_TRUE(input.releaseKey("Super_L"));
}

bool EndToEndTest::ringAppears(int x, int y, const CueTest& isCue, std::chrono::milliseconds within)
{
    const PixelRect square{x - 62, y - 62, 125, 125};
    return waitUntil(
        [&] {
            const Image image = screen->grab(square);
            int count = 0;
            for (int py = square.y; py < square.bottom(); ++py) {
                for (int px = square.x; px < square.right(); ++px) {
                    const double distance = std::hypot(px - x, py - y);
                    count += distance >= 30 && distance <= 62 && isCue(image.at(px, py));
                }
            }
            // A ring's stroke around a 9-point circle still has this many pixels.
            return count >= 40;
        },
        within);
}

void EndToEndTest::saveArtifact(const std::string& suffix)
{
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const auto path =
        std::filesystem::path(HALOMARK_E2E_ARTIFACTS) /
        (std::string(test->test_suite_name()) + "." + test->name() + "." + suffix + ".png");
    saveScreenshot(path);
    std::cerr << "screenshot: " << path.string() << "\n";
}

RingMeasure measureRing(const Image& image, int centerX, int centerY, const CueTest& isCue)
{
    RingMeasure measure;
    std::vector<double> distances;
    const PixelRect& area = image.area();
    for (int y = area.y; y < area.bottom(); ++y) {
        for (int x = area.x; x < area.right(); ++x) {
            if (isCue(image.at(x, y))) {
                distances.push_back(std::hypot(x - centerX, y - centerY));
                measure.centerX += x;
                measure.centerY += y;
            }
        }
    }
    measure.cuePixels = static_cast<int>(distances.size());
    if (!distances.empty()) {
        auto middle = distances.begin() + static_cast<std::ptrdiff_t>(distances.size() / 2);
        std::nth_element(distances.begin(), middle, distances.end());
        measure.radius = *middle;
        measure.centerX /= static_cast<double>(distances.size());
        measure.centerY /= static_cast<double>(distances.size());
    }
    return measure;
}

bool isWhiteStroke(const Rgb& c)
{
    // Whiter than a veil over the blue terminal (128, 128, 255), also where the stroke covers
    // a pixel only in part.
    return c.red > 140 && c.green > 140 && c.blue > 200;
}

bool isDarkOutline(const Rgb& c)
{
    return c.red < 90 && c.green < 90 && c.blue < 200;
}

bool isRedStroke(const Rgb& c)
{
    return c.red > 180 && c.red - c.green > 90 && c.red - c.blue > 90;
}

} // namespace halomark::e2e
