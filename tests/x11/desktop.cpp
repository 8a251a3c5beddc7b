#include "desktop.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

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

std::string shOutput(const std::string& command)
{
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return output;
    }
    char buffer[4096];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        output.append(buffer, count);
    }
    pclose(pipe);
    if (!output.empty() && output.back() == '\n') {
        output.pop_back();
    }
    return output;
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

namespace {

xcb_atom_t atomNamed(XcbConnection& connection, const std::string& name)
{
    return connection.atom(name);
}

void setAtoms(XcbConnection& connection, xcb_window_t window, const std::string& property,
              const std::vector<std::string>& names)
{
    std::vector<xcb_atom_t> atoms;
    for (const std::string& name : names) {
        atoms.push_back(atomNamed(connection, name));
    }
    xcb_change_property(connection.raw(), XCB_PROP_MODE_REPLACE, window,
                        atomNamed(connection, property), XCB_ATOM_ATOM, 32,
                        static_cast<std::uint32_t>(atoms.size()), atoms.data());
}

} // namespace

TestWindow::TestWindow(XcbConnection& connection, const TestWindowSpec& spec)
    : connection(connection)
{
    xcb_connection_t* c = connection.raw();
    window = xcb_generate_id(c);
    const std::uint32_t values[] = {0xffffffu, spec.overrideRedirect ? 1u : 0u};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, connection.root(),
                      static_cast<std::int16_t>(spec.x), static_cast<std::int16_t>(spec.y),
                      spec.width, spec.height, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
    // A user-given position and size, so the window manager places it as asked.
    std::uint32_t hints[18] = {};
    hints[0] = 1u | 2u; // USPosition | USSize
    hints[1] = static_cast<std::uint32_t>(spec.x);
    hints[2] = static_cast<std::uint32_t>(spec.y);
    hints[3] = spec.width;
    hints[4] = spec.height;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NORMAL_HINTS,
                        XCB_ATOM_WM_SIZE_HINTS, 32, 18, hints);
    const std::string windowClass = spec.instance + '\0' + spec.className + '\0';
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(windowClass.size()), windowClass.data());
    const std::string title = "halomark-test-window";
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(title.size()), title.data());
    if (spec.pid) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, atomNamed(connection, "_NET_WM_PID"),
                            XCB_ATOM_CARDINAL, 32, 1, &*spec.pid);
    }
    if (!spec.types.empty()) {
        setAtoms(connection, window, "_NET_WM_WINDOW_TYPE", spec.types);
    }
    if (!spec.states.empty()) {
        setAtoms(connection, window, "_NET_WM_STATE", spec.states);
    }
    if (spec.opacity) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window,
                            atomNamed(connection, "_NET_WM_WINDOW_OPACITY"), XCB_ATOM_CARDINAL, 32,
                            1, &*spec.opacity);
    }
    xcb_map_window(c, window);
    connection.flush();
}

void TestWindow::destroy()
{
    if (window != XCB_WINDOW_NONE) {
        xcb_destroy_window(connection.raw(), window);
        connection.flush();
        window = XCB_WINDOW_NONE;
    }
}

std::vector<std::uint32_t> cardinals(XcbConnection& connection, xcb_window_t window,
                                     const std::string& property)
{
    xcb_connection_t* c = connection.raw();
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c, requestProperty(connection, window, connection.atom(property)), nullptr));
    return propertyValues32(reply.get());
}

std::vector<std::uint32_t> managedWindows(XcbConnection& connection)
{
    return cardinals(connection, connection.root(), "_NET_CLIENT_LIST_STACKING");
}

bool activate(xcb_window_t window)
{
    return sh("xdotool windowactivate --sync " + std::to_string(window));
}

std::optional<std::pair<std::uint16_t, std::uint16_t>> clientSize(XcbConnection& connection,
                                                                  xcb_window_t window)
{
    xcb_connection_t* c = connection.raw();
    XcbReply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    if (!geometry) {
        return std::nullopt;
    }
    return std::pair{geometry->width, geometry->height};
}

SpawnedProcess::SpawnedProcess(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        processId = pid;
    }
    posix_spawn_file_actions_destroy(&actions);
}

void SpawnedProcess::stop()
{
    if (processId <= 0) {
        return;
    }
    kill(processId, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    int status = 0;
    while (waitpid(processId, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(processId, SIGKILL);
            waitpid(processId, &status, 0);
            break;
        }
        std::this_thread::sleep_for(5ms);
    }
    processId = 0;
}

SpawnedXterm::SpawnedXterm(XcbConnection& connection, const std::string& title, int x, int y)
    : process({"xterm", "-T", title, "-geometry",
               "80x24+" + std::to_string(x) + "+" + std::to_string(y), "-e", "sleep", "600"})
{
    if (process.pid() <= 0) {
        return;
    }
    const auto pid = static_cast<std::uint32_t>(process.pid());
    testing::waitUntil(
        connection,
        [&] {
            for (std::uint32_t window : managedWindows(connection)) {
                if (cardinals(connection, window, "_NET_WM_PID") == std::vector{pid}) {
                    windowId = window;
                    return true;
                }
            }
            return false;
        },
        10s);
}

} // namespace halomark::x11::testing
