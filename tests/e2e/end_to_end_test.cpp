#include "end_to_end_test.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
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

// A menu is painted once it shows more colours than its frame and background: its text.
bool painted(const Image& menu)
{
    std::set<std::tuple<int, int, int>> colours;
    for (const Rgb& c : menu.pixels) {
        colours.insert({c.red, c.green, c.blue});
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
    std::string pattern = std::filesystem::temp_directory_path() / "halomark-e2e-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder = pattern;
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
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

Image EndToEndTest::waitForSettledScreen(std::optional<PixelRect> area)
{
    const PixelRect rect = area.value_or(PixelRect{0, 0, kRightMonitor.right(), 800});
    Image last = screen->grab(rect);
    EXPECT_TRUE(waitUntil([&] {
        Image now = screen->grab(rect);
        std::swap(now, last);
        return now.differingPixels(last) == 0;
    })) << "the screen kept changing";
    return last;
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
    halomark = startAnother("halomark", {}, launchEnvironment);
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

std::vector<TopLevelWindow> EndToEndTest::windowsOfTheProgram(Kind kind)
{
    std::vector<TopLevelWindow> found;
    for (const TopLevelWindow& w : screen->topLevelWindows()) {
        if (!halomark || w.pid != static_cast<std::uint32_t>(halomark->pid()) || !w.viewable ||
            !w.overrideRedirect || w.inputOnly) {
            continue;
        }
        const bool panel = hasPanelGeometry(w.rect);
        // A menu is neither a panel nor a tooltip, which is a single line of text.
        const bool menu = !panel && w.rect.width >= 50 && w.rect.height >= 50;
        if (kind == Kind::menu
                ? menu
                : panel && (kind == Kind::overlay ||
                            (kind == Kind::leftVeil) == (w.rect == kLeftUsableArea))) {
            found.push_back(w);
        }
    }
    return found;
}

bool EndToEndTest::openMenu()
{
    const auto icon = trayIcon();
    // Mapped, then painted: a menu's first showing takes a moment to draw its items.
    return icon && movePointer(icon->x + icon->width / 2, icon->y + icon->height / 2) &&
           xdotool({"click", "1"}) &&
           waitUntil(
               [&] {
                   const auto open = menus();
                   return !open.empty() && painted(screen->grab(open[0].rect));
               },
               5s);
}

bool EndToEndTest::choose(MenuEntry entry, int submenuPosition)
{
    // The pointer goes away from the menu so as not to choose an item itself, to bare desktop
    // on the right monitor.
    if (!openMenu() || !movePointer(kRightMonitor.x + 300, 400)) {
        return false;
    }
    // Down from nothing chosen goes to the first item; Right opens a submenu at its first.
    std::vector<std::string> keys{"key", "--delay", "50"};
    keys.insert(keys.end(), static_cast<std::size_t>(entry), "Down");
    if (submenuPosition > 0) {
        keys.push_back("Right");
        keys.insert(keys.end(), static_cast<std::size_t>(submenuPosition - 1), "Down");
    }
    keys.push_back("Return");
    return xdotool(keys) && waitUntil([&] { return menus().empty(); });
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

void EndToEndTest::dragTo(int x, int y, int steps)
{
    const auto [fromX, fromY] = screen->pointer();
    ASSERT_TRUE(input.pressButton(1));
    for (int step = 1; step <= steps; ++step) {
        xdotool({"mousemove", std::to_string(fromX + (x - fromX) * step / steps),
                 std::to_string(fromY + (y - fromY) * step / steps)});
    }
}

bool EndToEndTest::ringAppears(int x, int y, const CueTest& isCue, std::chrono::milliseconds within)
{
    // A ring's stroke around a 9-point circle still has this many pixels.
    return waitUntil(
        [&] {
            return measureRing(screen->grab({x - 66, y - 66, 133, 133}), x, y, isCue, 30)
                       .cuePixels >= 40;
        },
        within);
}

void EndToEndTest::saveArtifact(const std::string& suffix)
{
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const auto path =
        std::filesystem::path(HALOMARK_E2E_ARTIFACTS) /
        (std::string(test->test_suite_name()) + "." + test->name() + "." + suffix + ".png");
    std::filesystem::create_directories(path.parent_path());
    // -depth 8: import writes 16-bit data otherwise.
    sh("import -window root -depth 8 '" + path.string() + "'");
    std::cerr << "screenshot: " << path.string() << "\n";
}

RingMeasure measureRing(const Image& image, int centerX, int centerY, const CueTest& isCue,
                        double minRadius)
{
    RingMeasure measure;
    std::vector<double> distances;
    for (int y = image.area.y; y < image.area.bottom(); ++y) {
        for (int x = image.area.x; x < image.area.right(); ++x) {
            const double distance = std::hypot(x - centerX, y - centerY);
            if (distance >= minRadius && distance <= 66 && isCue(image.at(x, y))) {
                distances.push_back(distance);
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

} // namespace halomark::e2e
