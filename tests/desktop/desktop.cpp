#include "desktop.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <numeric>
#include <thread>

extern char** environ;

namespace halomark::x11::testing {

std::optional<std::string> loadDesktopEnvironment()
{
    const char* state = std::getenv("HALOMARK_DESKTOP_STATE");
    const std::string path =
        (state != nullptr ? std::string(state) : HALOMARK_DEFAULT_DESKTOP_STATE) + "/env";
    std::ifstream env(path);
    if (!env) {
        return "no desktop is running (" + path + " is missing); start scripts/xvfb-desktop.sh";
    }
    std::string line;
    while (std::getline(env, line)) {
        if (const auto equals = line.find('='); equals != std::string::npos) {
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
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
            output.append(buffer, n);
        }
        pclose(pipe);
    }
    if (!output.empty() && output.back() == '\n') {
        output.pop_back();
    }
    return output;
}

bool desktopScript(const std::string& arguments)
{
    return sh(std::string(HALOMARK_DESKTOP_SCRIPT) + " " + arguments);
}

bool xdotool(const std::vector<std::string>& arguments)
{
    std::string command = "xdotool";
    for (const std::string& argument : arguments) {
        command += " '" + argument + "'";
    }
    return sh(command + " </dev/null >/dev/null 2>&1");
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout,
               XcbConnection* events)
{
    for (const auto deadline = Clock::now() + timeout;; std::this_thread::sleep_for(5ms)) {
        if (events != nullptr) {
            events->processPendingEvents();
        }
        if (condition()) {
            return true;
        }
        if (Clock::now() >= deadline) {
            return false;
        }
    }
}

void hold(std::chrono::milliseconds duration)
{
    std::this_thread::sleep_for(duration);
}

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string describe(const PixelRect& r)
{
    return std::to_string(r.width) + "x" + std::to_string(r.height) + "+" + std::to_string(r.x) +
           "+" + std::to_string(r.y);
}

std::string describe(const Rgb& c)
{
    return "(" + std::to_string(c.red) + "," + std::to_string(c.green) + "," +
           std::to_string(c.blue) + ")";
}

bool near(const Rgb& actual, const Rgb& expected, int tolerance)
{
    return std::abs(actual.red - expected.red) <= tolerance &&
           std::abs(actual.green - expected.green) <= tolerance &&
           std::abs(actual.blue - expected.blue) <= tolerance;
}

Rgb veiled(const Rgb& color)
{
    const auto blend = [](int channel) { return (channel + 256) / 2; };
    return {blend(color.red), blend(color.green), blend(color.blue)};
}

Rgb Image::at(int x, int y) const
{
    if (x < area.x || x >= area.right() || y < area.y || y >= area.bottom() || pixels.empty()) {
        return {};
    }
    return pixels[static_cast<std::size_t>((y - area.y) * area.width + (x - area.x))];
}

std::int64_t Image::differingPixels(const Image& other) const
{
    if (other.area != area || other.pixels.size() != pixels.size()) {
        return static_cast<std::int64_t>(pixels.size());
    }
    return std::transform_reduce(pixels.begin(), pixels.end(), other.pixels.begin(),
                                 std::int64_t{0}, std::plus<>(), std::not_equal_to<>());
}

std::vector<std::uint32_t> cardinals(XcbConnection& connection, xcb_window_t window,
                                     const std::string& property)
{
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection.raw(), requestProperty(connection, window, connection.atom(property)), nullptr));
    return propertyValues32(reply.get());
}

std::vector<std::uint32_t> managedWindows(XcbConnection& connection)
{
    return cardinals(connection, connection.root(), "_NET_CLIENT_LIST_STACKING");
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

bool activate(xcb_window_t window)
{
    // The window manager may pass over a request made while it is busy: ask again.
    XcbConnection connection;
    for (int attempt = 0; attempt < 3; ++attempt) {
        xdotool({"windowactivate", std::to_string(window)});
        if (waitUntil(
                [&] {
                    return cardinals(connection, connection.root(), "_NET_ACTIVE_WINDOW") ==
                           std::vector<std::uint32_t>{window};
                },
                2s)) {
            return true;
        }
    }
    return false;
}

Image DesktopScreen::grab(const PixelRect& area)
{
    xcb_connection_t* c = connection.raw();
    XcbReply<xcb_get_image_reply_t> reply(xcb_get_image_reply(
        c,
        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, connection.root(),
                      static_cast<std::int16_t>(area.x), static_cast<std::int16_t>(area.y),
                      static_cast<std::uint16_t>(area.width),
                      static_cast<std::uint16_t>(area.height), ~0u),
        nullptr));
    const auto count = static_cast<std::size_t>(area.width) * static_cast<std::size_t>(area.height);
    if (!reply || static_cast<std::size_t>(xcb_get_image_data_length(reply.get())) != count * 4) {
        return {};
    }
    // A 24-bit visual stored in 32-bit pixels: B, G, R, X when least significant first.
    const bool lsbFirst = xcb_get_setup(c)->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
    const std::uint8_t* data = xcb_get_image_data(reply.get());
    std::vector<Rgb> pixels(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* p = data + 4 * i;
        pixels[i] = lsbFirst ? Rgb{p[2], p[1], p[0]} : Rgb{p[1], p[2], p[3]};
    }
    return Image{area, std::move(pixels)};
}

std::vector<TopLevelWindow> DesktopScreen::childrenOf(xcb_window_t parent)
{
    xcb_connection_t* c = connection.raw();
    XcbReply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(c, xcb_query_tree(c, parent), nullptr));
    const int count = tree ? xcb_query_tree_children_length(tree.get()) : 0;
    std::vector<TopLevelWindow> windows;
    for (int i = 0; i < count; ++i) {
        const xcb_window_t id = xcb_query_tree_children(tree.get())[i];
        const auto attributesCookie = xcb_get_window_attributes(c, id);
        const auto geometryCookie = xcb_get_geometry(c, id);
        XcbReply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(c, attributesCookie, nullptr));
        XcbReply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(c, geometryCookie, nullptr));
        if (!attributes || !geometry) {
            continue; // gone meanwhile
        }
        const auto pids = cardinals(connection, id, "_NET_WM_PID");
        windows.push_back({id,
                           {geometry->x, geometry->y, geometry->width, geometry->height},
                           attributes->override_redirect != 0,
                           attributes->map_state == XCB_MAP_STATE_VIEWABLE,
                           attributes->_class == XCB_WINDOW_CLASS_INPUT_ONLY,
                           pids.empty() ? 0 : pids.front()});
    }
    return windows;
}

std::vector<PixelRect> DesktopScreen::embeddedWindowsOf(ProcessIdentifier pid, bool viewableOnly)
{
    std::vector<PixelRect> found;
    const std::function<void(xcb_window_t, int)> walk = [&](xcb_window_t parent, int depth) {
        for (const TopLevelWindow& window : childrenOf(parent)) {
            if (depth > 0 && window.pid == static_cast<std::uint32_t>(pid) &&
                (window.viewable || !viewableOnly)) {
                if (const auto rect = clientAreaOf(window.id)) {
                    found.push_back(*rect);
                }
            }
            if (depth < 8) {
                walk(window.id, depth + 1);
            }
        }
    };
    walk(connection.root(), 0);
    return found;
}

std::optional<PixelRect> DesktopScreen::clientAreaOf(xcb_window_t window)
{
    xcb_connection_t* c = connection.raw();
    const auto geometryCookie = xcb_get_geometry(c, window);
    const auto originCookie = xcb_translate_coordinates(c, window, connection.root(), 0, 0);
    XcbReply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, geometryCookie, nullptr));
    XcbReply<xcb_translate_coordinates_reply_t> origin(
        xcb_translate_coordinates_reply(c, originCookie, nullptr));
    if (!geometry || !origin) {
        return std::nullopt;
    }
    return PixelRect{origin->dst_x, origin->dst_y, geometry->width, geometry->height};
}

std::optional<PixelRect> DesktopScreen::frameOf(xcb_window_t client)
{
    const auto area = clientAreaOf(client);
    // Left, right, top and bottom.
    const auto e = cardinals(connection, client, "_NET_FRAME_EXTENTS");
    if (!area || e.size() != 4) {
        return std::nullopt;
    }
    return PixelRect{area->x - std::int32_t(e[0]), area->y - std::int32_t(e[2]),
                     area->width + std::int32_t(e[0] + e[1]),
                     area->height + std::int32_t(e[2] + e[3])};
}

std::pair<int, int> DesktopScreen::pointer()
{
    xcb_connection_t* c = connection.raw();
    XcbReply<xcb_query_pointer_reply_t> reply(
        xcb_query_pointer_reply(c, xcb_query_pointer(c, connection.root()), nullptr));
    return reply ? std::pair<int, int>{reply->root_x, reply->root_y} : std::pair<int, int>{-1, -1};
}

bool DesktopScreen::isCompositing()
{
    xcb_connection_t* c = connection.raw();
    XcbReply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
        c, xcb_get_selection_owner(c, connection.atom("_NET_WM_CM_S0")), nullptr));
    return owner && owner->owner != XCB_WINDOW_NONE;
}

bool movePointer(int x, int y)
{
    DesktopScreen screen;
    return xdotool({"mousemove", std::to_string(x), std::to_string(y)}) &&
           waitUntil(
               [&] {
                   return screen.pointer() == std::pair{x, y};
               },
               2s);
}

namespace {

// The window that the window manager manages for a process, once it has mapped it.
std::optional<xcb_window_t> managedWindowOf(XcbConnection& connection, ProcessIdentifier pid)
{
    for (std::uint32_t window : managedWindows(connection)) {
        if (cardinals(connection, window, "_NET_WM_PID") ==
            std::vector{static_cast<std::uint32_t>(pid)}) {
            return window;
        }
    }
    return std::nullopt;
}

void setAtoms(XcbConnection& connection, xcb_window_t window, const std::string& property,
              const std::vector<std::string>& names)
{
    std::vector<xcb_atom_t> atoms;
    for (const std::string& name : names) {
        atoms.push_back(connection.atom(name));
    }
    xcb_change_property(connection.raw(), XCB_PROP_MODE_REPLACE, window, connection.atom(property),
                        XCB_ATOM_ATOM, 32, static_cast<std::uint32_t>(atoms.size()), atoms.data());
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
    // A user-given position and size (USPosition | USSize), so the window manager places it
    // as asked.
    std::uint32_t hints[18] = {1u | 2u, static_cast<std::uint32_t>(spec.x),
                               static_cast<std::uint32_t>(spec.y), spec.width, spec.height};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NORMAL_HINTS,
                        XCB_ATOM_WM_SIZE_HINTS, 32, 18, hints);
    const std::string windowClass = spec.instance + '\0' + spec.className + '\0';
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(windowClass.size()), windowClass.data());
    const std::string title = "halomark-test-window";
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(title.size()), title.data());
    if (spec.pid) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, connection.atom("_NET_WM_PID"),
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
                            connection.atom("_NET_WM_WINDOW_OPACITY"), XCB_ATOM_CARDINAL, 32, 1,
                            &*spec.opacity);
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

SpawnedProcess::SpawnedProcess(const std::vector<std::string>& arguments,
                               const std::filesystem::path& logFile,
                               const std::filesystem::path& errorFile)
    : logPath(logFile), errorPath(errorFile)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, logPath.empty() ? "/dev/null" : logPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (errorPath.empty()) {
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
    } else {
        posix_spawn_file_actions_addopen(&actions, 2, errorPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    pid_t pid = 0;
    if (!arguments.empty() &&
        posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        processId = pid;
    }
    posix_spawn_file_actions_destroy(&actions);
}

bool SpawnedProcess::isRunning()
{
    if (processId <= 0 || status) {
        return false;
    }
    int waitStatus = 0;
    if (waitpid(processId, &waitStatus, WNOHANG) == processId) {
        status = waitStatus;
        return false;
    }
    return true;
}

std::optional<int> SpawnedProcess::waitForExit(std::chrono::milliseconds timeout)
{
    waitUntil([&] { return !isRunning(); }, timeout);
    return status;
}

bool SpawnedProcess::sendSignal(int signalNumber)
{
    return isRunning() && kill(processId, signalNumber) == 0;
}

void SpawnedProcess::stop()
{
    if (sendSignal(SIGTERM) && !waitForExit(3s)) {
        kill(processId, SIGKILL);
        int waitStatus = 0;
        waitpid(processId, &waitStatus, 0);
        status = waitStatus;
    }
}

std::string SpawnedProcess::log() const
{
    return logPath.empty() ? std::string() : readFile(logPath);
}

std::string SpawnedProcess::errors() const
{
    return errorPath.empty() ? std::string() : readFile(errorPath);
}

bool exitedWith(const std::optional<int>& status, int code)
{
    return status && WIFEXITED(*status) && WEXITSTATUS(*status) == code;
}

SpawnedXterm::SpawnedXterm(XcbConnection& connection, const std::string& title, int x, int y)
    : process({"xterm", "-T", title, "-geometry",
               "80x24+" + std::to_string(x) + "+" + std::to_string(y), "-e", "sleep", "600"})
{
    const auto mapped = [&] {
        windowId = managedWindowOf(connection, process.pid()).value_or(XCB_WINDOW_NONE);
        return windowId != XCB_WINDOW_NONE || !process.started();
    };
    waitUntil(mapped, 10s, &connection);
}

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

bool writeFile(const std::filesystem::path& path, const std::string& text)
{
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    return static_cast<bool>(file);
}

BlueTerminal::BlueTerminal(DesktopScreen& screen, const std::filesystem::path& folder,
                           const std::string& title, int x, int y)
    : screen(screen), recordPath(folder / (title + ".clicks")),
      // Mouse reports (mode 1000) for presses and releases, copied unchanged into the file.
      process({"xterm", "-T", title, "-bg", "blue", "-fg", "blue", "-cr", "blue", "-geometry",
               "60x20+" + std::to_string(x) + "+" + std::to_string(y), "-e", "sh", "-c",
               "printf '\\033[?1000h'; stty raw -echo; exec cat > '" + recordPath.string() + "'"},
              folder / (title + ".log"))
{
    waitUntil(
        [&] {
            windowId = managedWindowOf(screen.xcb(), process.pid()).value_or(XCB_WINDOW_NONE);
            return (windowId != XCB_WINDOW_NONE && frame()) || !process.started();
        },
        10s);
}

bool BlueTerminal::moveTo(int x, int y)
{
    xdotool({"windowmove", std::to_string(windowId), std::to_string(x), std::to_string(y)});
    return waitUntil([&] { return frame() && frame()->x == x && frame()->y == y; });
}

int BlueTerminal::pressesReceived() const
{
    // Each report is ESC [ M, the button byte (32 + button, 35 for a release) and two
    // coordinate bytes.
    const std::string record = readFile(recordPath);
    int presses = 0;
    for (auto at = record.find("\x1b[M"); at != std::string::npos && at + 3 < record.size();
         at = record.find("\x1b[M", at + 3)) {
        presses += ((static_cast<unsigned char>(record[at + 3]) - 32) & 3) != 3;
    }
    return presses;
}

} // namespace halomark::x11::testing
