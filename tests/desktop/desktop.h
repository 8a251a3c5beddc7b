// The harness of every test on the private desktop of scripts/xvfb-desktop.sh (two monitors,
// openbox, a tint2 panel with a tray, picom on demand): its environment, shell commands against
// it (xdotool, xrandr, xprop), keys and buttons held for a scope, windows and programs that live
// as long as a scope, the screen's pixels and top-level windows read straight from the server,
// and bounded waits.
#pragma once

#include "platform/process_identifier.h"
#include "x11/xcb_connection.h"
#include "x11/xcb_screen_list.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace halomark::x11::testing {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Loads the desktop's env file into this process's environment (DISPLAY among others).
// Returns the reason when there is no desktop.
std::optional<std::string> loadDesktopEnvironment();
// A value from the desktop's env file, e.g. HALOMARK_XTERM_LEFT.
std::string desktopVariable(const std::string& name);
// Runs a shell command; true when it exits with 0.
bool sh(const std::string& command);
// Runs a shell command and gives what it printed, without the last line break.
std::string shOutput(const std::string& command);
// Runs the fixture script with the given arguments (compositor-start, compositor-stop).
bool desktopScript(const std::string& arguments);
// xdotool with the given arguments, quietly; true when it succeeded.
bool xdotool(const std::vector<std::string>& arguments);

// Tests the condition every 5 ms (delivering the connection's events first, if given) until it
// holds or the timeout passes; true when it held.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 3s,
               XcbConnection* events = nullptr);
// Sleeps in real time; used only to hold keys as long as a person would.
void hold(std::chrono::milliseconds duration);
double secondsSince(Clock::time_point start);

// Keys (keysym names or keycodes) and mouse buttons pressed with xdotool and released, newest
// first, when the scope ends, so a failing test leaves nothing held.
class HeldInput
{
public:
    HeldInput() = default;
    ~HeldInput() { releaseAll(); }
    HeldInput(const HeldInput&) = delete;
    HeldInput& operator=(const HeldInput&) = delete;

    bool pressKey(const std::string& key) { return press("key", key); }
    bool releaseKey(const std::string& key) { return release("key", key); }
    bool pressButton(int button) { return press("mouse", std::to_string(button)); }
    bool releaseButton(int button) { return release("mouse", std::to_string(button)); }
    void releaseAll()
    {
        for (; !releases.empty(); releases.pop_back()) {
            sh("xdotool " + releases.back());
        }
    }

private:
    bool press(const std::string& device, const std::string& which)
    {
        releases.push_back(device + "up " + which);
        return sh("xdotool " + device + "down " + which);
    }
    bool release(const std::string& device, const std::string& which)
    {
        std::erase(releases, device + "up " + which);
        return sh("xdotool " + device + "up " + which);
    }
    std::vector<std::string> releases; // xdotool arguments that undo each press
};

// Rectangles of pixels in X coordinates (origin at the top-left of the root window).
using x11::PixelRect;

// The desktop's two monitors side by side and the tint2 panel along the bottom of the left one.
inline constexpr PixelRect kLeftMonitor{0, 0, 1280, 800};
inline constexpr PixelRect kRightMonitor{1280, 0, 1280, 800};
inline constexpr PixelRect kLeftUsableArea{0, 0, 1280, 800 - 30}; // above the panel

struct Rgb
{
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const Rgb&) const = default;
};

std::string describe(const PixelRect& rect);
std::string describe(const Rgb& color);
// Each channel within the tolerance.
bool near(const Rgb& actual, const Rgb& expected, int tolerance);
// What a 50% white veil makes of a colour when a compositor blends it.
Rgb veiled(const Rgb& color);

// Pixels read from the screen, row by row; empty when the server did not give them.
struct Image
{
    PixelRect area;
    std::vector<Rgb> pixels;

    bool empty() const { return pixels.empty(); }
    // A pixel by its screen coordinates; black outside the area.
    Rgb at(int x, int y) const;
    // Pixels that differ from the same place in the other image, which has the same area.
    std::int64_t differingPixels(const Image& other) const;
};

// A window below the root, as the X server knows it.
struct TopLevelWindow
{
    xcb_window_t id = XCB_WINDOW_NONE;
    PixelRect rect;                // relative to its parent
    bool overrideRedirect = false; // placed by its program, bypassing the window manager
    bool viewable = false;
    bool inputOnly = false;
    std::uint32_t pid = 0; // _NET_WM_PID, 0 when not set
};

// A 32-bit property of a window, read directly; empty when it is not set.
std::vector<std::uint32_t> cardinals(XcbConnection& connection, xcb_window_t window,
                                     const std::string& property);
// The managed windows as the window manager lists them, bottom to top.
std::vector<std::uint32_t> managedWindows(XcbConnection& connection);
// The size of a window's client area, read directly.
std::optional<std::pair<std::uint16_t, std::uint16_t>> clientSize(XcbConnection& connection,
                                                                  xcb_window_t window);
// Activates a window through the window manager and waits until it is the active one.
bool activate(xcb_window_t window);

// A private connection to the desktop for looking at it.
class DesktopScreen
{
public:
    bool isConnected() { return connection.isConnected(); }
    XcbConnection& xcb() { return connection; }

    Image grab(const PixelRect& area);
    Rgb pixel(int x, int y) { return grab({x, y, 1, 1}).at(x, y); }
    // The root's children, bottom to top.
    std::vector<TopLevelWindow> topLevelWindows() { return childrenOf(connection.root()); }
    // The windows of a process below the root's children, at any depth (a tray's icons hang
    // deep), in root coordinates; only the viewable ones unless told otherwise.
    std::vector<PixelRect> embeddedWindowsOf(ProcessIdentifier pid, bool viewableOnly = true);
    // A managed window's client area, and its frame with the window manager's decorations.
    std::optional<PixelRect> clientAreaOf(xcb_window_t client);
    std::optional<PixelRect> frameOf(xcb_window_t client);
    std::pair<int, int> pointer();
    // Whether a compositing manager owns _NET_WM_CM_S0.
    bool isCompositing();

private:
    std::vector<TopLevelWindow> childrenOf(xcb_window_t parent);
    XcbConnection connection;
};

// Moves the pointer and waits until the server has it there.
bool movePointer(int x, int y);

// A top-level window made by a test, as another client would make it: placed where asked
// (the window manager puts the top-left corner of its frame there), with the properties a
// program sets. Destroyed at the end of the scope, or earlier with destroy().
struct TestWindowSpec
{
    std::int32_t x = 0; // where the frame's top-left corner goes
    std::int32_t y = 0;
    std::uint16_t width = 300; // the client area
    std::uint16_t height = 200;
    std::optional<std::uint32_t> pid{};
    std::string instance = "halomark-test";
    std::string className = "HalomarkTest";
    std::vector<std::string> types{};  // _NET_WM_WINDOW_TYPE atom names
    std::vector<std::string> states{}; // _NET_WM_STATE atom names it is mapped with
    std::optional<std::uint32_t> opacity{};
    bool overrideRedirect = false; // bypasses the window manager, as overlays do
};

class TestWindow
{
public:
    TestWindow(XcbConnection& connection, const TestWindowSpec& spec);
    ~TestWindow() { destroy(); }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    xcb_window_t id() const { return window; }
    void destroy();

private:
    XcbConnection& connection;
    xcb_window_t window = XCB_WINDOW_NONE;
};

// A program started with this process's environment, its output in a log file or thrown away,
// its errors in a file of their own or with its output; stopped by its pid (TERM, then KILL)
// with the scope.
class SpawnedProcess
{
public:
    explicit SpawnedProcess(const std::vector<std::string>& arguments,
                            const std::filesystem::path& logFile = {},
                            const std::filesystem::path& errorFile = {});
    ~SpawnedProcess() { stop(); }
    SpawnedProcess(const SpawnedProcess&) = delete;
    SpawnedProcess& operator=(const SpawnedProcess&) = delete;

    ProcessIdentifier pid() const { return processId; }
    bool started() const { return processId > 0; }
    // False once it has ended (the end is collected here).
    bool isRunning();
    // Waits for it to end; its wait status, or nothing when it still runs at the timeout.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);
    bool sendSignal(int signalNumber);
    // TERM, up to three seconds for it to end, then KILL.
    void stop();
    std::string log() const;
    std::string errors() const;

private:
    ProcessIdentifier processId = 0;
    std::optional<int> status;
    std::filesystem::path logPath;
    std::filesystem::path errorPath;
};

// Whether the wait status is that of an exit with the given code.
bool exitedWith(const std::optional<int>& status, int code);

// An xterm with the given title whose frame's top-left corner is at (x, y), and its window
// once the window manager has mapped it (XCB_WINDOW_NONE when it did not appear in time).
class SpawnedXterm
{
public:
    SpawnedXterm(XcbConnection& connection, const std::string& title, int x, int y);

    ProcessIdentifier pid() const { return process.pid(); }
    xcb_window_t window() const { return windowId; }
    void stop() { process.stop(); }

private:
    SpawnedProcess process;
    xcb_window_t windowId = XCB_WINDOW_NONE;
};

std::string readFile(const std::filesystem::path& path);
bool writeFile(const std::filesystem::path& path, const std::string& text);

// An xterm painted all blue (background, text and cursor), so a veil over it reads 128,128,255
// and a hole in the veil reads 0,0,255. It asks the terminal for mouse reports and records
// them in a file, so a test can tell whether a click reached it.
class BlueTerminal
{
public:
    // Waits until the window manager has mapped it (window() is XCB_WINDOW_NONE when it did not
    // come up in time).
    BlueTerminal(DesktopScreen& screen, const std::filesystem::path& folder,
                 const std::string& title, int x, int y);

    xcb_window_t window() const { return windowId; }
    std::optional<PixelRect> frame() { return screen.frameOf(windowId); }
    std::optional<PixelRect> clientArea() { return screen.clientAreaOf(windowId); }
    bool activate() { return testing::activate(windowId); }
    // Asks the window manager to put its frame's top-left corner there and waits until it is.
    bool moveTo(int x, int y);
    // Button presses it has reported.
    int pressesReceived() const;

private:
    DesktopScreen& screen;
    std::filesystem::path recordPath;
    SpawnedProcess process;
    xcb_window_t windowId = XCB_WINDOW_NONE;
};

// A test on the desktop with its own connection to it.
class DesktopTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (const auto problem = loadDesktopEnvironment()) {
            FAIL() << *problem;
        }
        connection = std::make_unique<XcbConnection>();
        ASSERT_TRUE(connection->isConnected()) << connection->errorDescription();
        screens = std::make_unique<XcbScreenList>(*connection);
    }

    bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 3s)
    {
        return testing::waitUntil(condition, timeout, connection.get());
    }

    std::unique_ptr<XcbConnection> connection;
    std::unique_ptr<XcbScreenList> screens;
};

} // namespace halomark::x11::testing
