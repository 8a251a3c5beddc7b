#include "desktop.h"

#include <cstdlib>
#include <fstream>
#include <thread>

namespace halomark::x11::testing {

namespace {

std::string stateFolder()
{
    const char* state = std::getenv("HALOMARK_DESKTOP_STATE");
    return state != nullptr ? state : std::string(HALOMARK_DEFAULT_DESKTOP_STATE);
}

} // namespace

std::optional<std::string> loadDesktopEnvironment()
{
    const std::string path = stateFolder() + "/env";
    std::ifstream env(path);
    if (!env) {
        return "no desktop is running (" + path + " is missing); start scripts/xvfb-desktop.sh";
    }
    std::string line;
    while (std::getline(env, line)) {
        const auto equals = line.find('=');
        if (equals != std::string::npos) {
            setenv(line.substr(0, equals).c_str(), line.substr(equals + 1).c_str(), 1);
        }
    }
    return std::nullopt;
}

std::string desktopVariable(const std::string& name)
{
    const char* value = std::getenv(name.c_str());
    return value != nullptr ? value : std::string();
}

bool sh(const std::string& command)
{
    return std::system(command.c_str()) == 0;
}

bool desktopScript(const std::string& arguments)
{
    return sh(std::string(HALOMARK_DESKTOP_SCRIPT) + " " + arguments);
}

bool waitUntil(XcbConnection& connection, const std::function<bool()>& condition,
               std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        connection.processPendingEvents();
        if (condition()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(5ms);
    }
}

void hold(std::chrono::milliseconds duration)
{
    std::this_thread::sleep_for(duration);
}

HeldInput::~HeldInput()
{
    releaseAll();
}

bool HeldInput::pressKey(const std::string& key)
{
    releases.push_back("keyup " + key);
    return sh("xdotool keydown " + key);
}

bool HeldInput::releaseKey(const std::string& key)
{
    std::erase(releases, "keyup " + key);
    return sh("xdotool keyup " + key);
}

bool HeldInput::pressButton(int button)
{
    releases.push_back("mouseup " + std::to_string(button));
    return sh("xdotool mousedown " + std::to_string(button));
}

bool HeldInput::releaseButton(int button)
{
    std::erase(releases, "mouseup " + std::to_string(button));
    return sh("xdotool mouseup " + std::to_string(button));
}

void HeldInput::releaseAll()
{
    while (!releases.empty()) {
        sh("xdotool " + releases.back());
        releases.pop_back();
    }
}

} // namespace halomark::x11::testing
