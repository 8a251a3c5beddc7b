// Access to the private desktop that scripts/xvfb-desktop.sh runs for these tests: its
// environment, shell commands against it (xdotool, xrandr, xprop), keys and buttons held for
// the length of a scope, windows and programs that live as long as a scope, and bounded waits
// that keep delivering X events.
#pragma once

#include "platform/process_identifier.h"
#include "x11/xcb_connection.h"
#include "x11/xcb_screen_list.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace halomark::x11::testing {

using namespace std::chrono_literals;

// Loads the desktop's env file into this process's environment (DISPLAY among others).
// Returns the reason when there is no desktop.
std::optional<std::string> loadDesktopEnvironment();

// A value from the desktop's env file, e.g. HALOMARK_XTERM_LEFT.
std::string desktopVariable(const std::string& name);

// Runs a shell command against the desktop; true when it exits with 0.
bool sh(const std::string& command);

// Runs a shell command and gives what it printed, without the last line break.
std::string shOutput(const std::string& command);

// Runs the fixture script with the given arguments.
bool desktopScript(const std::string& arguments);

// Delivers events and tests the condition until it holds or the timeout passes.
bool waitUntil(XcbConnection& connection, const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = 3s);

// Sleeps in real time; used only to hold keys as long as a person would.
void hold(std::chrono::milliseconds duration);

// Keys (keysym names or keycodes) and mouse buttons pressed with xdotool and released, newest
// first, when the scope ends, so a failing test leaves nothing held.
class HeldInput
{
public:
    HeldInput() = default;
    ~HeldInput();
    HeldInput(const HeldInput&) = delete;
    HeldInput& operator=(const HeldInput&) = delete;

    bool pressKey(const std::string& key);
    bool releaseKey(const std::string& key);
    bool pressButton(int button);
    bool releaseButton(int button);
    void releaseAll();

private:
    std::vector<std::string> releases; // xdotool arguments that undo each press
};

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

// The managed windows as the window manager lists them, bottom to top.
std::vector<std::uint32_t> managedWindows(XcbConnection& connection);

// A 32-bit property of a window, read directly; empty when it is not set.
std::vector<std::uint32_t> cardinals(XcbConnection& connection, xcb_window_t window,
                                     const std::string& property);

// A program started with the desktop's environment and stopped (TERM, then waited for) at the
// end of the scope.
class SpawnedProcess
{
public:
    explicit SpawnedProcess(const std::vector<std::string>& arguments);
    ~SpawnedProcess() { stop(); }
    SpawnedProcess(const SpawnedProcess&) = delete;
    SpawnedProcess& operator=(const SpawnedProcess&) = delete;

    ProcessIdentifier pid() const { return processId; }
    void stop();

private:
    ProcessIdentifier processId = 0;
};

// An xterm with the given title at a place on the desktop, and its window once the window
// manager has mapped it (XCB_WINDOW_NONE when it did not appear in time).
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

// Activates a window through the window manager and waits until it is the active one.
bool activate(xcb_window_t window);

// The size of a window's client area, read directly.
std::optional<std::pair<std::uint16_t, std::uint16_t>> clientSize(XcbConnection& connection,
                                                                  xcb_window_t window);

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
        return testing::waitUntil(*connection, condition, timeout);
    }

    std::unique_ptr<XcbConnection> connection;
    std::unique_ptr<XcbScreenList> screens;
};

} // namespace halomark::x11::testing
