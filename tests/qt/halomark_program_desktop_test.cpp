// The halomark program itself on the private desktop: it docks its icon in the panel's tray,
// shows the veil at the active window, refuses a second start, quits from its menu with Ctrl+Q
// and ends cleanly (status 0, through the application's termination) on SIGTERM and SIGINT.
#include "desktop.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace halomark::x11::testing {
namespace {

using namespace std::chrono_literals;

// The program under test, started with the desktop's environment plus a private settings
// folder, its output in files. Stopped with SIGKILL at the end of the scope if still running,
// so that a failing test leaves nothing behind.
class Program
{
public:
    explicit Program(std::vector<std::string> arguments = {},
                     std::vector<std::string> environmentChanges = {})
    {
        if (!folder.isValid()) {
            return;
        }
        std::vector<std::string> argv{HALOMARK_PROGRAM};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        std::vector<std::string> environment;
        for (char** entry = environ; *entry; ++entry) {
            environment.emplace_back(*entry);
        }
        environment.push_back("XDG_CONFIG_HOME=" + folder.path().toStdString());
        for (const std::string& change : environmentChanges) {
            const std::string name = change.substr(0, change.find('=') + 1);
            std::erase_if(environment, [&](const std::string& e) { return e.starts_with(name); });
            if (change.back() != '=') {
                environment.push_back(change);
            }
        }
        std::vector<char*> rawArgv;
        for (std::string& a : argv) {
            rawArgv.push_back(a.data());
        }
        rawArgv.push_back(nullptr);
        std::vector<char*> rawEnvironment;
        for (std::string& e : environment) {
            rawEnvironment.push_back(e.data());
        }
        rawEnvironment.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const std::string out = outputPath("stdout");
        const std::string err = outputPath("stderr");
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        if (posix_spawn(&processId, rawArgv[0], &actions, nullptr, rawArgv.data(),
                        rawEnvironment.data()) != 0) {
            processId = 0;
        }
        posix_spawn_file_actions_destroy(&actions);
    }

    ~Program()
    {
        if (processId > 0 && !status) {
            ::kill(processId, SIGKILL);
            ::waitpid(processId, nullptr, 0);
        }
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    pid_t pid() const { return processId; }

    // The wait status once the program has ended within the time.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout = 10s)
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (processId > 0 && !status) {
            int value = 0;
            if (::waitpid(processId, &value, WNOHANG) == processId) {
                status = value;
                break;
            }
            if (std::chrono::steady_clock::now() > deadline) {
                break;
            }
            std::this_thread::sleep_for(10ms);
        }
        return status;
    }

    std::string output(const char* stream) const
    {
        QFile file(QString::fromStdString(outputPath(stream)));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
    }

private:
    std::string outputPath(const char* stream) const
    {
        return folder.filePath(QString::fromLatin1(stream) + ".txt").toStdString();
    }

    QTemporaryDir folder;
    pid_t processId = 0;
    std::optional<int> status;
};

bool exitedWith(const std::optional<int>& status, int code)
{
    return status && WIFEXITED(*status) && WEXITSTATUS(*status) == code;
}

struct ProgramWindow
{
    xcb_window_t id = XCB_WINDOW_NONE;
    xcb_window_t parent = XCB_WINDOW_NONE;
    bool viewable = false;
    bool overrideRedirect = false;
    int width = 0;
    int height = 0;
};

class HalomarkProgramTest : public DesktopTest
{
protected:
    // Every window of the process anywhere in the tree, with where it hangs.
    std::vector<ProgramWindow> windowsOf(pid_t pid)
    {
        std::vector<ProgramWindow> found;
        collect(connection->root(), static_cast<std::uint32_t>(pid), found);
        return found;
    }

    // The icon embedded in the tray: a mapped window of the process whose parent is not the
    // root (the tray reparents the icons it docks) and that is icon-sized.
    std::optional<ProgramWindow> dockedIcon(pid_t pid)
    {
        for (const ProgramWindow& window : windowsOf(pid)) {
            if (window.parent != connection->root() && window.viewable && window.width <= 64 &&
                window.height <= 64) {
                return window;
            }
        }
        return std::nullopt;
    }

    bool hasViewableOverlay(pid_t pid)
    {
        for (const ProgramWindow& window : windowsOf(pid)) {
            if (window.overrideRedirect && window.viewable && window.width > 64) {
                return true;
            }
        }
        return false;
    }

    // Where a window's centre is on the root, for clicking it.
    std::pair<int, int> centreOf(xcb_window_t window)
    {
        xcb_connection_t* c = connection->raw();
        XcbReply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
        XcbReply<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(
            c, xcb_translate_coordinates(c, window, connection->root(), 0, 0), nullptr));
        if (!geometry || !origin) {
            return {-1, -1};
        }
        return {origin->dst_x + geometry->width / 2, origin->dst_y + geometry->height / 2};
    }

private:
    void collect(xcb_window_t parent, std::uint32_t pid, std::vector<ProgramWindow>& found)
    {
        xcb_connection_t* c = connection->raw();
        XcbReply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(c, xcb_query_tree(c, parent), nullptr));
        if (!tree) {
            return;
        }
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        const int count = xcb_query_tree_children_length(tree.get());
        for (int i = 0; i < count; ++i) {
            const xcb_window_t child = children[i];
            if (cardinals(*connection, child, "_NET_WM_PID") == std::vector<std::uint32_t>{pid}) {
                ProgramWindow window{child, parent};
                XcbReply<xcb_get_window_attributes_reply_t> attributes(
                    xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, child),
                                                    nullptr));
                XcbReply<xcb_get_geometry_reply_t> geometry(
                    xcb_get_geometry_reply(c, xcb_get_geometry(c, child), nullptr));
                if (attributes && geometry) {
                    window.viewable = attributes->map_state == XCB_MAP_STATE_VIEWABLE;
                    window.overrideRedirect = attributes->override_redirect != 0;
                    window.width = geometry->width;
                    window.height = geometry->height;
                    found.push_back(window);
                }
            }
            collect(child, pid, found);
        }
    }
};

TEST_F(HalomarkProgramTest, DocksInTheTrayVeilsTheActiveWindowAndEndsCleanlyOnSigterm)
{
    ASSERT_TRUE(activate(std::stoul(desktopVariable("HALOMARK_XTERM_LEFT"))));
    Program halomark;
    ASSERT_GT(halomark.pid(), 0);
    ASSERT_TRUE(waitUntil([&] { return dockedIcon(halomark.pid()).has_value(); }, 10s))
        << halomark.output("stderr");
    // The highlight is on at the first start: the veil (or its outline) is up.
    ASSERT_TRUE(sh("xdotool windowactivate --sync " + desktopVariable("HALOMARK_XTERM_RIGHT")));
    ASSERT_TRUE(waitUntil([&] { return hasViewableOverlay(halomark.pid()); }, 5s));

    ::kill(halomark.pid(), SIGTERM);
    const auto status = halomark.waitForExit();
    EXPECT_TRUE(exitedWith(status, 0)) << "a signal handled through the termination, not fatal";
    EXPECT_TRUE(windowsOf(halomark.pid()).empty());
    EXPECT_EQ(halomark.output("stderr").find("rror"), std::string::npos)
        << halomark.output("stderr");
}

TEST_F(HalomarkProgramTest, ASecondStartSaysSoAndFailsWhileTheFirstRunsOn)
{
    Program first;
    ASSERT_TRUE(waitUntil([&] { return dockedIcon(first.pid()).has_value(); }, 10s))
        << first.output("stderr");

    Program second;
    const auto status = second.waitForExit();
    EXPECT_TRUE(exitedWith(status, 1));
    EXPECT_NE(second.output("stderr").find("already running on this display (process " +
                                           std::to_string(first.pid()) + ")"),
              std::string::npos)
        << second.output("stderr");
    EXPECT_TRUE(windowsOf(second.pid()).empty());
    EXPECT_FALSE(first.waitForExit(100ms)) << "the first instance is left alone";

    ::kill(first.pid(), SIGINT);
    EXPECT_TRUE(exitedWith(first.waitForExit(), 0));
}

TEST_F(HalomarkProgramTest, ControlQInTheOpenTrayMenuQuits)
{
    Program halomark;
    std::optional<ProgramWindow> icon;
    ASSERT_TRUE(waitUntil(
        [&] {
            icon = dockedIcon(halomark.pid());
            return icon.has_value();
        },
        10s))
        << halomark.output("stderr");
    const auto [x, y] = centreOf(icon->id);
    ASSERT_GE(x, 0);
    // A left click opens the menu; it is a popup of the process on the root.
    ASSERT_TRUE(
        sh("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1"));
    const auto menuIsOpen = [&] {
        for (const ProgramWindow& window : windowsOf(halomark.pid())) {
            if (window.overrideRedirect && window.viewable && window.height > 150 &&
                window.width < 600) {
                return true;
            }
        }
        return false;
    };
    ASSERT_TRUE(waitUntil(menuIsOpen, 5s));
    ASSERT_TRUE(sh("xdotool key ctrl+q"));
    EXPECT_TRUE(exitedWith(halomark.waitForExit(), 0));
}

TEST_F(HalomarkProgramTest, VersionHelpAndAMissingDisplayNeedNoServer)
{
    Program version({"--version"}, {"DISPLAY="});
    EXPECT_TRUE(exitedWith(version.waitForExit(), 0));
    EXPECT_EQ(version.output("stdout").rfind("halomark ", 0), 0u) << version.output("stdout");

    Program help({"--help"}, {"DISPLAY="});
    EXPECT_TRUE(exitedWith(help.waitForExit(), 0));
    EXPECT_NE(help.output("stdout").find("Usage: "), std::string::npos);

    Program wrong({"--frobnicate"}, {"DISPLAY="});
    EXPECT_TRUE(exitedWith(wrong.waitForExit(), 2));
    EXPECT_NE(wrong.output("stderr").find("unknown option '--frobnicate'"), std::string::npos);

    // A display nobody serves: said plainly, no crash. Its own lock, so the desktop's
    // instances (if any) do not answer first.
    Program nowhere({}, {"DISPLAY=:4711"});
    const auto status = nowhere.waitForExit();
    EXPECT_TRUE(exitedWith(status, 1));
    EXPECT_NE(nowhere.output("stderr").find("cannot connect to the X display ':4711'"),
              std::string::npos)
        << nowhere.output("stderr");
}

} // namespace
} // namespace halomark::x11::testing
