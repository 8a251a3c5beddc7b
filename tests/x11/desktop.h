// Access to the private desktop that scripts/xvfb-desktop.sh runs for these tests: its
// environment, shell commands against it (xdotool, xrandr, xprop), keys and buttons held for
// the length of a scope, and bounded waits that keep delivering X events.
#pragma once

#include "x11/xcb_connection.h"

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
    }

    bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 3s)
    {
        return testing::waitUntil(*connection, condition, timeout);
    }

    std::unique_ptr<XcbConnection> connection;
};

} // namespace halomark::x11::testing
