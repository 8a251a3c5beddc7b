// What the end-to-end tests see and do on the private X desktop of scripts/xvfb-desktop.sh:
// programs started and stopped by pid, commands such as xdotool run to their end, the screen's
// pixels read straight from the X server, the top-level windows with the attributes that tell
// an overlay from a managed window, and bounded waits that poll every 10 ms.
#pragma once

#include "x11/xcb_connection.h"

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace halomark::e2e {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Seconds from the given moment to now.
double secondsSince(Clock::time_point start);

// Polls the condition every 10 ms until it holds or the timeout passes; true when it held.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

// A rectangle of pixels in X coordinates (origin at the top-left of the root window).
struct PixelRect
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    int right() const { return x + width; } // one past the last column
    int bottom() const { return y + height; }
    int centerX() const { return x + width / 2; }
    int centerY() const { return y + height / 2; }
    bool contains(int px, int py) const
    {
        return px >= x && px < right() && py >= y && py < bottom();
    }
    bool operator==(const PixelRect&) const = default;
};

std::string describe(const PixelRect& rect);

// The fixture's two monitors side by side and the tint2 panel along the bottom of the left one
// (see scripts/xvfb-desktop.sh).
inline constexpr PixelRect kLeftMonitor{0, 0, 1280, 800};
inline constexpr PixelRect kRightMonitor{1280, 0, 1280, 800};
inline constexpr int kPanelHeight = 30;
inline constexpr PixelRect kLeftUsableArea{0, 0, 1280, 800 - kPanelHeight};

struct Rgb
{
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const Rgb&) const = default;
};

std::string describe(const Rgb& color);

// Each channel within the tolerance.
bool near(const Rgb& actual, const Rgb& expected, int tolerance);

// What a 50% white veil makes of a colour when a compositor blends it.
Rgb veiled(const Rgb& color);

// Pixels read from the screen.
class Image
{
public:
    Image() = default;
    Image(PixelRect area, std::vector<Rgb> pixels);

    const PixelRect& area() const { return rect; }
    bool empty() const { return pixels.empty(); }
    // A pixel by its screen coordinates; black outside the area.
    Rgb at(int x, int y) const;
    // Pixels that differ from the same place in the other image, which has the same area.
    std::int64_t differingPixels(const Image& other) const;

private:
    PixelRect rect;
    std::vector<Rgb> pixels;
};

// A window directly below the root, as the X server knows it.
struct TopLevelWindow
{
    xcb_window_t id = XCB_WINDOW_NONE;
    PixelRect rect;
    bool overrideRedirect = false; // placed by its program, bypassing the window manager
    bool viewable = false;
    bool inputOnly = false;
    std::uint32_t pid = 0; // _NET_WM_PID, 0 when not set
    bool isMenu = false;   // _NET_WM_WINDOW_TYPE is a popup or drop-down menu
};

// A private connection to the desktop for looking at it.
class DesktopScreen
{
public:
    DesktopScreen();

    bool isConnected() { return connection.isConnected(); }
    x11::XcbConnection& xcb() { return connection; }

    Image grab(const PixelRect& area);
    Rgb pixel(int x, int y);

    // The root's children, bottom to top.
    std::vector<TopLevelWindow> topLevelWindows();
    // Every window below the root at any depth whose _NET_WM_PID is the given one (only the
    // viewable ones unless told otherwise), with its rectangle in root coordinates, excluding
    // the root's own children.
    std::vector<PixelRect> embeddedWindowsOf(pid_t pid, bool viewableOnly = true);

    // The frame of a managed window (the client plus the decorations the window manager adds)
    // and its client area, in root coordinates.
    std::optional<PixelRect> frameOf(xcb_window_t client);
    std::optional<PixelRect> clientAreaOf(xcb_window_t client);
    // The window that the window manager manages for a process, once it has mapped it.
    std::optional<xcb_window_t> managedWindowOf(pid_t pid);
    xcb_window_t activeWindow();
    // Where the pointer is.
    std::pair<int, int> pointer();
    // Whether a compositing manager owns _NET_WM_CM_S0.
    bool isCompositing();

private:
    // A window's children with their attributes, bottom to top, placed relative to it.
    std::vector<TopLevelWindow> childrenOf(xcb_window_t parent);
    std::optional<PixelRect> absoluteRect(xcb_window_t window);

    x11::XcbConnection connection;
};

// xdotool with the given arguments; true when it succeeded.
bool xdotool(const std::vector<std::string>& arguments);

// Moves the pointer and waits until the server has it there.
bool movePointer(int x, int y);

// A program started with posix_spawn, with this process's environment plus the given
// NAME=value overrides (an empty value removes the variable), its output in a log file (its
// errors too, unless they have a file of their own), stopped by its pid (TERM, then KILL) when
// the object goes.
class ChildProcess
{
public:
    ChildProcess(const std::vector<std::string>& arguments,
                 const std::map<std::string, std::string>& environment,
                 const std::filesystem::path& logFile, const std::filesystem::path& errorFile = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return processId; }
    bool started() const { return processId > 0; }
    // False once it has ended (the end is collected here).
    bool isRunning();
    // Waits for it to end; its wait status, or nothing when it still runs at the timeout.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);
    bool sendSignal(int signalNumber);
    // TERM, up to three seconds for it to end, then KILL.
    void stop();
    std::string log() const;
    std::string errors() const; // what went to the error file

private:
    pid_t processId = 0;
    std::optional<int> status;
    std::filesystem::path logPath;
    std::filesystem::path errorPath;
};

// Whether the wait status is that of an exit with the given code.
bool exitedWith(const std::optional<int>& status, int code);

// A fresh folder that is removed with everything in it when the object goes.
class TemporaryFolder
{
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& path() const { return folder; }

private:
    std::filesystem::path folder;
};

std::string readFile(const std::filesystem::path& path);
bool writeFile(const std::filesystem::path& path, const std::string& text);

// An xterm painted all blue (background, text and cursor), so a veil over it reads 128,128,255
// and a hole in the veil reads 0,0,255. It asks the terminal for mouse reports and records
// them in a file, so a test can tell whether a click reached it.
class BlueTerminal
{
public:
    BlueTerminal(DesktopScreen& screen, const std::filesystem::path& folder,
                 const std::string& title, int x, int y);

    // Waits until the window manager has mapped it; false when it did not come up in time.
    bool waitForWindow();
    xcb_window_t window() const { return windowId; }

    std::optional<PixelRect> frame() { return screen.frameOf(windowId); }
    std::optional<PixelRect> clientArea() { return screen.clientAreaOf(windowId); }
    // Makes it the active window through the window manager and waits until it is.
    bool activate();
    // Asks the window manager to put its frame's top-left corner there and waits until it is.
    bool moveTo(int x, int y);
    // Button presses it has reported, and every mouse report as it came.
    int pressesReceived() const;
    std::string reports() const { return readFile(recordPath); }

private:
    DesktopScreen& screen;
    std::filesystem::path recordPath;
    ChildProcess process;
    xcb_window_t windowId = XCB_WINDOW_NONE;
};

// Saves the whole screen as an 8-bit PNG (import writes 16-bit PPM data otherwise).
bool saveScreenshot(const std::filesystem::path& path);

} // namespace halomark::e2e
