// The base of every end-to-end test: the real halomark program on the private test desktop,
// started with a settings folder of its own (XDG_CONFIG_HOME in a temporary folder), found by its
// tray icon, driven through its tray menu as a person does, and watched through its overlay
// windows, the screen's pixels, its settings file and its autostart entry. Blue terminals go
// where a test wants them; keys and buttons are released and the compositor is put back
// whatever happens; a failing test leaves a screenshot and the program's output.
#pragma once

#include "desktop.h"

#include <map>

namespace halomark::e2e {

using namespace x11::testing;

inline constexpr Rgb kBlue{0, 0, 255};
// Where the blue terminals go (their frames' top-left corners), clear of the desktop's own
// terminals, and bare desktop on each monitor away from every window the tests place.
inline constexpr int kTerminalY = 300;
inline constexpr int kLeftTerminalX = 700;
inline constexpr int kRightTerminalX = 1980;
inline constexpr int kDesktopSampleY = 700;
inline constexpr int kLeftDesktopSampleX = 300;
inline constexpr int kRightDesktopSampleX = 1580;

// The top-level items of the tray menu, counted from the top without the separators.
enum class MenuEntry
{
    highlight = 2,
    spotlight = 3,
    showClicks = 4,
    locatorKey = 6,
    launchAtLogin = 7,
    language = 8,
    color = 9,
    quit = 14,
};

// Pixels of a cue colour from minRadius to 66 pixels around a centre: how many, the median of
// their distances from the centre (a ring's radius) and their mean position.
struct RingMeasure
{
    double seconds = 0;
    int cuePixels = 0;
    double radius = 0;
    double centerX = 0;
    double centerY = 0;
};
using CueTest = std::function<bool(const Rgb&)>;
RingMeasure measureRing(const Image& image, int centerX, int centerY, const CueTest& isCue,
                        double minRadius = 0);
// The default ring's white stroke over the blue terminal: whiter than a veil over it
// (128, 128, 255), also where the stroke covers a pixel only in part; its dark outline; red.
inline const auto isWhiteStroke = [](const Rgb& c) {
    return c.red > 140 && c.green > 140 && c.blue > 200;
};
inline const auto isDarkOutline = [](const Rgb& c) {
    return c.red < 90 && c.green < 90 && c.blue < 200;
};
inline const auto isRedStroke = [](const Rgb& c) {
    return c.red > 180 && c.red - c.green > 90 && c.red - c.blue > 90;
};

class EndToEndTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts or stops the compositor and waits for a settled screen; TearDown puts it back.
    void useCompositor(bool on)
    {
        if (screen->isCompositing() != on) {
            ASSERT_TRUE(desktopScript(on ? "compositor-start" : "compositor-stop"));
            ASSERT_TRUE(waitUntil([&] { return screen->isCompositing() == on; }, 5s));
        }
        waitForSettledScreen();
    }
    // Waits until the area (the whole screen) has stopped changing and gives its picture.
    Image waitForSettledScreen(std::optional<PixelRect> area = {});
    BlueTerminal& addTerminal(const std::string& title, int x, int y)
    {
        terminals.push_back(std::make_unique<BlueTerminal>(*screen, folder, title, x, y));
        EXPECT_TRUE(terminals.back()->frame()) << "the terminal " << title << " is missing";
        waitForSettledScreen();
        return *terminals.back();
    }

    // Writes the settings (key to JSON value) and starts the program, waiting until its icon
    // has docked in the tray, which it does just before its monitors start.
    void launch(const std::map<std::string, std::string>& settings = {});
    // Variables that launch() gives the program on top of the usual ones.
    std::map<std::string, std::string> launchEnvironment;
    // A process of the program with its own settings folder, these arguments and environment
    // changes (an empty value removes a variable); its output and errors go to files named
    // after it.
    std::unique_ptr<SpawnedProcess>
    startAnother(const std::string& name, const std::vector<std::string>& arguments = {},
                 const std::map<std::string, std::string>& changes = {}) const;
    // Waits for the program to end after `how` and checks that it exited with 0 without an
    // error and that no window of it is left: no overlay, no menu, no tray icon.
    void expectCleanExit(const std::string& how);

    // Its mapped override-redirect windows that cover a whole monitor or the left monitor's
    // usable area: its overlay panels; those over a whole monitor (rings, selections, the
    // right monitor's veil); those over the left usable area (the left veil); the rest, bar
    // tooltips: its menus.
    std::vector<TopLevelWindow> overlays() { return windowsOfTheProgram(Kind::overlay); }
    std::vector<TopLevelWindow> monitorPanels() { return windowsOfTheProgram(Kind::monitor); }
    std::vector<TopLevelWindow> leftVeils() { return windowsOfTheProgram(Kind::leftVeil); }
    std::vector<TopLevelWindow> menus() { return windowsOfTheProgram(Kind::menu); }
    std::optional<PixelRect> trayIcon()
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

    // Opens the tray menu with a click on the icon and waits until it is painted.
    bool openMenu();
    // Opens the tray menu and chooses the entry, or the entry at the given position (from 1) of
    // its submenu, with the keys, and waits until every menu has closed.
    bool choose(MenuEntry entry, int submenuPosition = 0);

    std::filesystem::path settingsFile() const { return config() / "halomark" / "settings.json"; }
    std::filesystem::path autostartEntry() const
    {
        return config() / "autostart" / "halomark.desktop";
    }
    // A value in the settings file as JSON text ("\"red\"", "true"), or nothing.
    std::optional<std::string> setting(const std::string& key) const;

    void tapSuper(std::chrono::milliseconds duration = 80ms)
    {
        ASSERT_TRUE(input.pressKey("Super_L"));
        hold(duration);
        ASSERT_TRUE(input.releaseKey("Super_L"));
    }
    // With Super held, presses the left button at the pointer and drags it to (x, y).
    void dragTo(int x, int y, int steps = 6);
    // Whether a ring (cue pixels 30 to 66 pixels from the point) shows within the time.
    bool ringAppears(int x, int y, const CueTest& isCue, std::chrono::milliseconds within);
    void saveArtifact(const std::string& suffix);

    std::filesystem::path config() const { return folder / "config"; }

    std::unique_ptr<DesktopScreen> screen;
    std::filesystem::path folder; // a fresh temporary folder, removed with everything in it
    std::vector<std::unique_ptr<BlueTerminal>> terminals;
    std::unique_ptr<SpawnedProcess> halomark;
    HeldInput input;

private:
    enum class Kind
    {
        overlay,
        monitor,
        leftVeil,
        menu
    };
    std::vector<TopLevelWindow> windowsOfTheProgram(Kind kind);
    std::optional<bool> compositorAtStart;
};

} // namespace halomark::e2e
