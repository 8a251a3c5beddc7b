#include "e2e_desktop.h"

#include "desktop.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

extern char** environ;

namespace halomark::e2e {

using x11::XcbReply;
using x11::testing::cardinals;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (condition()) {
            return true;
        }
        if (Clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
}

std::string describe(const PixelRect& rect)
{
    return std::to_string(rect.width) + "x" + std::to_string(rect.height) + "+" +
           std::to_string(rect.x) + "+" + std::to_string(rect.y);
}

std::string describe(const Rgb& color)
{
    return "(" + std::to_string(color.red) + "," + std::to_string(color.green) + "," +
           std::to_string(color.blue) + ")";
}

bool near(const Rgb& actual, const Rgb& expected, int tolerance)
{
    return std::abs(actual.red - expected.red) <= tolerance &&
           std::abs(actual.green - expected.green) <= tolerance &&
           std::abs(actual.blue - expected.blue) <= tolerance;
}

Rgb veiled(const Rgb& color)
{
    const auto blend = [](int channel) { return (channel + 255 + 1) / 2; };
    return {blend(color.red), blend(color.green), blend(color.blue)};
}

Image::Image(PixelRect area, std::vector<Rgb> pixels) : rect(area), pixels(std::move(pixels)) {}

Rgb Image::at(int x, int y) const
{
    if (!rect.contains(x, y) || pixels.empty()) {
        return {};
    }
    return pixels[static_cast<std::size_t>((y - rect.y) * rect.width + (x - rect.x))];
}

std::int64_t Image::differingPixels(const Image& other) const
{
    if (other.rect != rect || other.pixels.size() != pixels.size()) {
        return static_cast<std::int64_t>(pixels.size());
    }
    std::int64_t count = 0;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        count += pixels[i] != other.pixels[i];
    }
    return count;
}

DesktopScreen::DesktopScreen() = default;

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
    // A 24-bit visual stored in 32-bit pixels; the server here is little-endian (B, G, R, X).
    const bool leastSignificantFirst =
        xcb_get_setup(c)->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
    const std::uint8_t* data = xcb_get_image_data(reply.get());
    std::vector<Rgb> pixels(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* p = data + 4 * i;
        pixels[i] = leastSignificantFirst ? Rgb{p[2], p[1], p[0]} : Rgb{p[1], p[2], p[3]};
    }
    return Image(area, std::move(pixels));
}

Rgb DesktopScreen::pixel(int x, int y)
{
    return grab({x, y, 1, 1}).at(x, y);
}

std::vector<TopLevelWindow> DesktopScreen::topLevelWindows()
{
    return childrenOf(connection.root());
}

std::vector<TopLevelWindow> DesktopScreen::childrenOf(xcb_window_t parent)
{
    xcb_connection_t* c = connection.raw();
    XcbReply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(c, xcb_query_tree(c, parent), nullptr));
    if (!tree) {
        return {};
    }
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    const xcb_atom_t pidAtom = connection.atom("_NET_WM_PID");
    const xcb_atom_t typeAtom = connection.atom("_NET_WM_WINDOW_TYPE");
    const xcb_atom_t popupMenu = connection.atom("_NET_WM_WINDOW_TYPE_POPUP_MENU");
    const xcb_atom_t dropdownMenu = connection.atom("_NET_WM_WINDOW_TYPE_DROPDOWN_MENU");

    struct Requests
    {
        xcb_get_window_attributes_cookie_t attributes;
        xcb_get_geometry_cookie_t geometry;
        xcb_get_property_cookie_t pid;
        xcb_get_property_cookie_t type;
    };
    std::vector<Requests> requests;
    requests.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        requests.push_back({xcb_get_window_attributes(c, children[i]),
                            xcb_get_geometry(c, children[i]),
                            x11::requestProperty(connection, children[i], pidAtom, 1),
                            x11::requestProperty(connection, children[i], typeAtom, 16)});
    }
    std::vector<TopLevelWindow> windows;
    for (int i = 0; i < count; ++i) {
        const Requests& r = requests[static_cast<std::size_t>(i)];
        XcbReply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(c, r.attributes, nullptr));
        XcbReply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, r.geometry, nullptr));
        XcbReply<xcb_get_property_reply_t> pid(xcb_get_property_reply(c, r.pid, nullptr));
        XcbReply<xcb_get_property_reply_t> type(xcb_get_property_reply(c, r.type, nullptr));
        if (!attributes || !geometry) {
            continue; // gone meanwhile
        }
        TopLevelWindow window;
        window.id = children[i];
        window.rect = {geometry->x, geometry->y, geometry->width, geometry->height};
        window.overrideRedirect = attributes->override_redirect != 0;
        window.viewable = attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        window.inputOnly = attributes->_class == XCB_WINDOW_CLASS_INPUT_ONLY;
        const auto pids = x11::propertyValues32(pid.get());
        window.pid = pids.empty() ? 0 : pids.front();
        for (std::uint32_t atom : x11::propertyValues32(type.get())) {
            window.isMenu = window.isMenu || atom == popupMenu || atom == dropdownMenu;
        }
        windows.push_back(window);
    }
    return windows;
}

std::optional<PixelRect> DesktopScreen::absoluteRect(xcb_window_t window)
{
    xcb_connection_t* c = connection.raw();
    const auto geometryCookie = xcb_get_geometry(c, window);
    const auto translateCookie = xcb_translate_coordinates(c, window, connection.root(), 0, 0);
    XcbReply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, geometryCookie, nullptr));
    XcbReply<xcb_translate_coordinates_reply_t> origin(
        xcb_translate_coordinates_reply(c, translateCookie, nullptr));
    if (!geometry || !origin) {
        return std::nullopt;
    }
    return PixelRect{origin->dst_x, origin->dst_y, geometry->width, geometry->height};
}

std::vector<PixelRect> DesktopScreen::embeddedWindowsOf(pid_t pid, bool viewableOnly)
{
    std::vector<PixelRect> found;
    // Depth first below the root's children, as deep as a tray's icons hang.
    const std::function<void(xcb_window_t, int)> walk = [&](xcb_window_t parent, int depth) {
        for (const TopLevelWindow& window : childrenOf(parent)) {
            if (depth > 0 && window.pid == static_cast<std::uint32_t>(pid) &&
                (window.viewable || !viewableOnly)) {
                if (const auto rect = absoluteRect(window.id)) {
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

std::optional<PixelRect> DesktopScreen::clientAreaOf(xcb_window_t client)
{
    return absoluteRect(client);
}

std::optional<PixelRect> DesktopScreen::frameOf(xcb_window_t client)
{
    const auto area = absoluteRect(client);
    const auto extents =
        cardinals(connection, client, "_NET_FRAME_EXTENTS"); // left, right, top, bottom
    if (!area || extents.size() != 4) {
        return std::nullopt;
    }
    const auto left = static_cast<int>(extents[0]);
    const auto right = static_cast<int>(extents[1]);
    const auto top = static_cast<int>(extents[2]);
    const auto bottom = static_cast<int>(extents[3]);
    return PixelRect{area->x - left, area->y - top, area->width + left + right,
                     area->height + top + bottom};
}

std::optional<xcb_window_t> DesktopScreen::managedWindowOf(pid_t pid)
{
    for (std::uint32_t window : cardinals(connection, connection.root(), "_NET_CLIENT_LIST")) {
        if (cardinals(connection, window, "_NET_WM_PID") ==
            std::vector{static_cast<std::uint32_t>(pid)}) {
            return window;
        }
    }
    return std::nullopt;
}

xcb_window_t DesktopScreen::activeWindow()
{
    const auto values = cardinals(connection, connection.root(), "_NET_ACTIVE_WINDOW");
    return values.empty() ? xcb_window_t{XCB_WINDOW_NONE} : values.front();
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

namespace {

std::vector<char*> argumentVector(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    return argv;
}

} // namespace

bool xdotool(const std::vector<std::string>& arguments)
{
    std::string command = "xdotool";
    for (const std::string& argument : arguments) {
        command += " '" + argument + "'";
    }
    return x11::testing::sh(command + " </dev/null >/dev/null 2>&1");
}

bool movePointer(int x, int y)
{
    if (!xdotool({"mousemove", std::to_string(x), std::to_string(y)})) {
        return false;
    }
    DesktopScreen screen;
    return waitUntil([&] { return screen.pointer() == std::pair{x, y}; }, 2s);
}

ChildProcess::ChildProcess(const std::vector<std::string>& arguments,
                           const std::map<std::string, std::string>& environment,
                           const std::filesystem::path& logFile,
                           const std::filesystem::path& errorFile)
    : logPath(logFile), errorPath(errorFile)
{
    std::vector<std::string> variables;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string variable(*entry);
        const std::string name = variable.substr(0, variable.find('='));
        if (!environment.contains(name)) {
            variables.push_back(variable);
        }
    }
    for (const auto& [name, value] : environment) {
        if (!value.empty()) {
            variables.push_back(name + "=" + value);
        }
    }
    auto envp = argumentVector(variables);
    auto argv = argumentVector(arguments);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    if (errorPath.empty()) {
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
    } else {
        posix_spawn_file_actions_addopen(&actions, 2, errorPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    pid_t pid = 0;
    if (!arguments.empty() &&
        posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0) {
        processId = pid;
    }
    posix_spawn_file_actions_destroy(&actions);
}

ChildProcess::~ChildProcess()
{
    stop();
}

bool ChildProcess::isRunning()
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

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds timeout)
{
    waitUntil([&] { return !isRunning(); }, timeout);
    return status;
}

bool ChildProcess::sendSignal(int signalNumber)
{
    return isRunning() && kill(processId, signalNumber) == 0;
}

void ChildProcess::stop()
{
    if (!isRunning()) {
        return;
    }
    kill(processId, SIGTERM);
    if (!waitForExit(3s)) {
        kill(processId, SIGKILL);
        int waitStatus = 0;
        waitpid(processId, &waitStatus, 0);
        status = waitStatus;
    }
}

std::string ChildProcess::log() const
{
    return readFile(logPath);
}

std::string ChildProcess::errors() const
{
    return errorPath.empty() ? std::string() : readFile(errorPath);
}

bool exitedWith(const std::optional<int>& status, int code)
{
    return status && WIFEXITED(*status) && WEXITSTATUS(*status) == code;
}

TemporaryFolder::TemporaryFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "halomark-e2e-XXXXXX");
    if (mkdtemp(pattern.data()) != nullptr) {
        folder = pattern;
    }
}

TemporaryFolder::~TemporaryFolder()
{
    if (!folder.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
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

namespace {

std::string terminalScript(const std::filesystem::path& record)
{
    // Mouse reports (mode 1000) for presses and releases, copied unchanged into the file.
    return "printf '\\033[?1000h'; stty raw -echo; exec cat > '" + record.string() + "'";
}

} // namespace

BlueTerminal::BlueTerminal(DesktopScreen& screen, const std::filesystem::path& folder,
                           const std::string& title, int x, int y)
    : screen(screen), recordPath(folder / (title + ".clicks")),
      process({"xterm", "-T", title, "-bg", "blue", "-fg", "blue", "-cr", "blue", "-geometry",
               "60x20+" + std::to_string(x) + "+" + std::to_string(y), "-e", "sh", "-c",
               terminalScript(folder / (title + ".clicks"))},
              {}, folder / (title + ".log"))
{}

bool BlueTerminal::waitForWindow()
{
    if (!process.started()) {
        return false;
    }
    return waitUntil(
        [&] {
            if (const auto window = screen.managedWindowOf(process.pid());
                window && screen.frameOf(*window)) {
                windowId = *window;
                return true;
            }
            return false;
        },
        10s);
}

bool BlueTerminal::activate()
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        xdotool({"windowactivate", std::to_string(windowId)});
        if (waitUntil([&] { return screen.activeWindow() == windowId; }, 2s)) {
            return true;
        }
    }
    return false;
}

bool BlueTerminal::moveTo(int x, int y)
{
    xdotool({"windowmove", std::to_string(windowId), std::to_string(x), std::to_string(y)});
    return waitUntil(
        [&] {
            const auto rect = frame();
            return rect && rect->x == x && rect->y == y;
        },
        3s);
}

int BlueTerminal::pressesReceived() const
{
    // Each report is ESC [ M followed by the button byte (32 + button, 35 for a release) and
    // the two coordinate bytes.
    const std::string record = readFile(recordPath);
    int presses = 0;
    for (std::size_t at = record.find("\x1b[M"); at != std::string::npos && at + 3 < record.size();
         at = record.find("\x1b[M", at + 3)) {
        const int button = static_cast<unsigned char>(record[at + 3]) - 32;
        presses += (button & 3) != 3;
    }
    return presses;
}

bool saveScreenshot(const std::filesystem::path& path)
{
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    return x11::testing::sh("import -window root -depth 8 '" + path.string() + "'");
}

} // namespace halomark::e2e
