// The sway window source and the ports over it, against the private headless sway of
// scripts/sway-desktop.sh: after each change made with swaymsg, the answers equal what sway's
// own client reads from the tree. And the IPC framing and tree reading given broken input.
#include "qt/qt_event_source_pump.h"
#include "sway_desktop.h"
#include "wayland/sway_tree.h"
#include "wayland/sway_window_source.h"
#include "wayland/wayland_accessibility.h"
#include "wayland/wayland_window_server.h"
#include "wayland/wayland_workspace.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <sstream>

namespace halomark::wayland {
namespace {

using namespace std::chrono_literals;

using sway_desktop::asDesktopUser;
using sway_desktop::desktopEnvironment;
using sway_desktop::stateFolder;

bool swaymsg(const std::string& command)
{
    return asDesktopUser("swaymsg \"" + command + "\" >/dev/null && echo ok") == "ok";
}

// The focused window as swaymsg reads it: "id x y width height", the frame with the title
// bar, in the layout (whose first output sits at 0,0), or "" when no window has the focus.
std::string focusedInTree()
{
    return asDesktopUser(
        "swaymsg -r -t get_tree | jq -r \"first(.. | objects | select(.focused? == true and "
        ".pid? != null)) | (if .border == \\\"normal\\\" then .deco_rect.height else 0 end) as "
        "\\$t | \\\"\\(.id) \\(.rect.x) \\(.rect.y - \\$t) \\(.rect.width) \\(.rect.height + "
        "\\$t)\\\"\"");
}

std::string describe(std::uint64_t id, const Rect& frame)
{
    std::ostringstream text;
    text << id << ' ' << frame.minX() << ' ' << frame.minY() << ' ' << frame.width() << ' '
         << frame.height();
    return text.str();
}

struct Ports
{
    // A read lives for an hour: every answer that changes does so because an event said so.
    explicit Ports(const std::string& socket) : source(socket, {250ms, 1h, 1000ms}) {}

    // The focused window as the accessibility port reads it for the frontmost application,
    // in the same form as focusedInTree; "" when there is none.
    std::string focused()
    {
        const auto frontmost = workspace.frontmostApplication();
        if (!frontmost) {
            return "";
        }
        const auto window = accessibility.copyAttributeValue(
            accessibility.applicationElement(frontmost->processIdentifier),
            accessibility_attributes::focusedWindow);
        const auto* element =
            window.value ? std::get_if<AccessibilityElement>(&*window.value) : nullptr;
        if (!element) {
            return "no element";
        }
        const auto position =
            accessibility.copyAttributeValue(*element, accessibility_attributes::position);
        const auto size =
            accessibility.copyAttributeValue(*element, accessibility_attributes::size);
        if (!position.value || !size.value) {
            return "no frame";
        }
        return describe(accessibility.hash(*element),
                        Rect{std::get<Point>(*position.value), std::get<Size>(*size.value)});
    }

    // Runs the event loop for a while, the events connection pumped as the program pumps it.
    void settle()
    {
        QEventLoop loop;
        QTimer::singleShot(300ms, &loop, &QEventLoop::quit);
        loop.exec();
    }

    SwayWindowSource source;
    WaylandWorkspace workspace{source};
    WaylandAccessibility accessibility{source};
    WaylandWindowServer windowServer{source, static_cast<ProcessIdentifier>(::getpid())};
    qt::QtEventSourcePump pump{source.eventFileDescriptor(),
                               [this] { return source.processEvents(); },
                               [this] { return source.processQueuedEvents(); }};
};

TEST(SwayWindowSource, FollowsFocusNewClosedAndMovedWindowsAsTheTreeDoes)
{
    int argc = 0;
    QCoreApplication application(argc, nullptr);
    auto env = desktopEnvironment();
    ASSERT_FALSE(env["SWAYSOCK"].empty()) << "no sway desktop in " << stateFolder();
    Ports ports(env["SWAYSOCK"]);
    ASSERT_TRUE(ports.source.isConnected()) << ports.source.errorDescription();
    int changes = 0;
    ports.source.setChangeHandler([&changes] { ++changes; });
    const std::string left = env["HALOMARK_FOOT_LEFT"];
    const std::string right = env["HALOMARK_FOOT_RIGHT"];

    // After each step: the frontmost application, its focused window and that window's frame
    // agree with the tree, and the window list shows the same window first with that frame.
    const auto expectAsTree = [&](const std::string& step, const std::string& expectedId) {
        ports.settle();
        const std::string tree = focusedInTree();
        SCOPED_TRACE(step + ": the tree says '" + tree + "'");
        EXPECT_EQ(tree.substr(0, tree.find(' ')), expectedId);
        EXPECT_EQ(ports.focused(), tree);
        const auto list = ports.windowServer.copyWindowList(window_list_options::onScreenOnly, 0);
        ASSERT_TRUE(list && !list->empty());
        const auto& bounds = std::get<RecordBounds>(*list->front().bounds);
        EXPECT_EQ(describe(std::get<RecordNumber>(*list->front().number).integerValue(),
                           Rect{*bounds.x, *bounds.y, *bounds.width, *bounds.height}),
                  tree);
        // Named by a desktop entry of foot's (found by its executable: the app_id names none).
        EXPECT_TRUE(ports.workspace.frontmostApplication()->bundleIdentifier->starts_with("foot"));
    };

    ASSERT_TRUE(swaymsg("[con_id=" + right + "] focus"));
    expectAsTree("the right terminal focused", right);
    ASSERT_TRUE(swaymsg("[con_id=" + left + "] focus"));
    expectAsTree("the left terminal focused", left);

    // A new window splits the left output with the left terminal, and has the focus.
    ASSERT_TRUE(swaymsg("exec foot --app-id=halomark-new sleep 60"));
    std::string added;
    for (int tries = 0; tries < 100 && (added.empty() || added == left); ++tries) {
        ports.settle();
        const std::string tree = focusedInTree();
        added = tree.substr(0, tree.find(' '));
    }
    expectAsTree("a new window", added);
    const auto split = ports.windowServer.windowDescription(std::stoul(left));
    ASSERT_TRUE(split);
    EXPECT_LT(*std::get<RecordBounds>(*split->bounds).width, 1280);
    // Floating, it is listed first, in the layer kept above the tiled windows.
    ASSERT_TRUE(swaymsg("[con_id=" + added + "] floating enable, resize set 600 400"));
    expectAsTree("the new window floating", added);
    const auto list = ports.windowServer.copyWindowList(window_list_options::onScreenOnly, 0);
    EXPECT_EQ(std::get<RecordNumber>(*list->front().layer).integerValue(), 3);

    ASSERT_TRUE(swaymsg("[con_id=" + added + "] kill"));
    for (int tries = 0; tries < 100 && ports.windowServer.windowDescription(std::stoul(added));
         ++tries) {
        ports.settle();
    }
    expectAsTree("the new window closed", left);

    // Moved to the other output, the left terminal shares it with the right one.
    ASSERT_TRUE(swaymsg("[con_id=" + left + "] move container to output HEADLESS-2, focus"));
    expectAsTree("the left terminal on the right output", left);
    EXPECT_GE(std::get<Point>(
                  *ports.accessibility
                       .copyAttributeValue(AccessibilityElement{(2ull << 56) | std::stoull(left)},
                                           accessibility_attributes::position)
                       .value)
                  .x,
              1280);
    ASSERT_TRUE(swaymsg("[con_id=" + left + "] move container to workspace 1, focus"));
    expectAsTree("the left terminal back", left);
    EXPECT_GT(changes, 0); // announced through the pump
    EXPECT_TRUE(ports.pump.isWatching());
}

TEST(SwayWindowSource, BrokenInputGivesNoWindowsNeverACrash)
{
    // A socket that is not there: no windows, no focused window, no frontmost application.
    Ports gone("/nonexistent/sway-ipc.sock");
    EXPECT_FALSE(gone.source.isConnected());
    EXPECT_EQ(gone.source.windows(), nullptr);
    EXPECT_EQ(gone.windowServer.copyWindowList(0, 0), std::nullopt);
    EXPECT_EQ(gone.accessibility
                  .copyAttributeValue(gone.accessibility.applicationElement(1),
                                      accessibility_attributes::focusedWindow)
                  .error,
              accessibility_errors::cannotComplete);
    EXPECT_EQ(gone.workspace.frontmostApplication(), std::nullopt);

    for (const char* text : {"", "{", "[]", "null", R"({"type":"root","nodes":7})",
                             R"({"type":"root","focus":"x","nodes":[{"type":"output","nodes":[
                                 {"id":-1,"type":"con","pid":"x","rect":[]},{"id":1e99}]}]})"}) {
        const auto snapshot = parseSwayTree(text);
        EXPECT_TRUE(!snapshot || snapshot->frontToBack.empty()) << text;
    }

    // A message split over reads is whole once its last byte arrives; a wrong magic or an
    // impossible length breaks the stream for good.
    SwayIpcDecoder decoder;
    const std::string message = encodeSwayIpcMessage(sway_ipc::eventFlag | 3, R"({"change":"x"})");
    decoder.append(message.substr(0, 20));
    EXPECT_EQ(decoder.next(), std::nullopt);
    decoder.append(message.substr(20));
    EXPECT_EQ(decoder.next(), (SwayIpcMessage{sway_ipc::eventFlag | 3, R"({"change":"x"})"}));
    decoder.append("i3-ipX" + message.substr(6));
    EXPECT_EQ(decoder.next(), std::nullopt);
    EXPECT_TRUE(decoder.isBroken());
    SwayIpcDecoder huge;
    huge.append(encodeSwayIpcMessage(0, "").replace(6, 4, "\xff\xff\xff\x7f"));
    EXPECT_EQ(huge.next(), std::nullopt);
    EXPECT_TRUE(huge.isBroken());
}

} // namespace
} // namespace halomark::wayland
