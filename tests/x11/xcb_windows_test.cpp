// The window list, the focused window and the frontmost application on the real desktop,
// read through the one window reader the program shares between them.
#include "adapters.h"
#include "focus/frontmost_window_resolver.h"

#include <gtest/gtest.h>

#include <csignal>
#include <ostream>
#include <utility>

namespace halomark::x11 {

// Failures show the facts, not their bytes.
void PrintTo(const XcbWindowFacts& f, std::ostream* out)
{
    *out << f.window << ": " << f.frame.width << "x" << f.frame.height << "+" << f.frame.x << "+"
         << f.frame.y << " pid " << f.pid.value_or(0) << " class "
         << (f.windowClass ? f.windowClass->className : "-") << " id "
         << f.applicationId.value_or("-") << " viewable " << f.isViewable << " type " << int(f.type)
         << " above " << f.isAbove << " hidden " << f.isHidden << " desktop "
         << f.desktop.value_or(0) << " opacity " << f.opacity.value_or(0) << "\n";
}

namespace {

using namespace testing;
namespace o = window_list_options;
namespace e = accessibility_errors;
namespace a = accessibility_attributes;

std::optional<std::int64_t> integer(const std::optional<RecordValue>& value)
{
    const auto* number = value ? std::get_if<RecordNumber>(&*value) : nullptr;
    return number ? std::optional{number->integerValue()} : std::nullopt;
}

TEST(XcbPropertyDecodingTest, ARemoteClientIsNeverKnownByTheProcessIdItPublishes)
{
    // The owner: a client's word on this host, else the server's record, else its identity.
    const std::uint32_t base = 0x00600000;
    for (const auto& [clues, owner] : std::vector<std::pair<OwnerClues, std::optional<int>>>{
             {{50, "vm", 77, base}, 50},
             {{50, "VM.example.org", std::nullopt, base}, 50},
             {{std::nullopt, "", 77, base}, 77},
             {{50, "far.example.org", 77, base}, 77},
             {{50, "far.example.org", std::nullopt, base}, -0x00600000},
             {{50, "vm", 77, 0}, std::nullopt}}) {
        EXPECT_EQ(decodeOwner(clues, "vm"), owner) << clues.clientMachine;
    }
}

class XcbWindowsTest : public AdaptersTest
{
protected:
    // The listed windows among the given ones, in list order, read in a turn of their own.
    std::vector<xcb_window_t> listed(const std::vector<xcb_window_t>& windows,
                                     WindowListOptions options = o::onScreenOnly |
                                                                 o::excludeDesktopElements)
    {
        loop.runDue();
        std::vector<xcb_window_t> order;
        for (const WindowRecord& record : windowServer->copyWindowList(options, nullWindow)
                                              .value_or(std::vector<WindowRecord>{})) {
            const auto number = static_cast<xcb_window_t>(integer(record.number).value_or(0));
            if (std::ranges::count(windows, number) != 0) {
                order.push_back(number);
            }
        }
        return order;
    }

    AccessibilityAttributeResult focusedWindowOf(ProcessIdentifier pid)
    {
        return accessibility->copyAttributeValue(accessibility->applicationElement(pid),
                                                 a::focusedWindow);
    }
};

TEST_F(XcbWindowsTest, ListsWindowsFrontToBackWithTheirFramesOwnersLayersAndOpacity)
{
    // A window, its layer and its opacity.
    const std::vector<std::tuple<TestWindowSpec, std::int64_t, std::optional<double>>> cases{
        {{.x = 200, .y = 150, .pid = 40001}, 0, {}},
        {{.x = 100, .y = 100, .pid = 40003, .states = {"_NET_WM_STATE_ABOVE"}}, 3, 1.0},
        {{.x = 150, .y = 150, .pid = 40004, .types = {"_NET_WM_WINDOW_TYPE_UTILITY"}}, 19, {}},
        {{.x = 250, .y = 250, .pid = 40005}, 0, 0.5},
        // Types are in order of preference: an unknown first one gives way to the next.
        {{.x = 350,
          .y = 350,
          .pid = 40006,
          .types = {"_EXAMPLE_WM_WINDOW_TYPE_UNKNOWN", "_NET_WM_WINDOW_TYPE_TOOLBAR"}},
         3,
         {}},
    };
    std::vector<std::unique_ptr<TestWindow>> windows;
    std::vector<xcb_window_t> frontToBack;
    for (auto [spec, layer, alpha] : cases) {
        spec.opacity = alpha ? std::optional{std::uint32_t(*alpha * 0xffffffffu)} : std::nullopt;
        windows.push_back(managedWindow(spec));
        if (layer == 0) { // new ones open on top of the others of their layer
            frontToBack.insert(frontToBack.begin(), windows.back()->id());
        }
    }
    ASSERT_TRUE(waitUntil([&] { return listed(frontToBack) == frontToBack; }));
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto& [spec, layer, alpha] = cases[i];
        const xcb_window_t id = windows[i]->id();
        const WindowRecord record = windowServer->windowDescription(id).value_or(WindowRecord{});
        const double a = record.alpha ? std::get<RecordNumber>(*record.alpha).doubleValue() : -1;
        // Decorated, in top-left points (on this desktop a point is a pixel): where the test
        // put it, its client area grown by the decorations the window manager reports for it.
        const auto size = clientSize(*connection, id).value_or(std::pair{0, 0});
        auto e = cardinals(*connection, id, "_NET_FRAME_EXTENTS");
        e.resize(4);
        const RecordBounds frame{1.0 * spec.x, 1.0 * spec.y, 1.0 * (size.first + e[0] + e[1]),
                                 1.0 * (size.second + e[2] + e[3])};
        EXPECT_EQ(std::tuple(integer(record.ownerPID), integer(record.layer),
                             integer(record.isOnscreen), std::lround(a * 1e6), record.ownerName,
                             record.bounds),
                  std::tuple(std::optional<std::int64_t>(spec.pid), std::optional(layer),
                             std::optional<std::int64_t>(1), std::lround(alpha.value_or(-1) * 1e6),
                             std::optional(RecordValue{spec.className}),
                             std::optional(RecordValue{frame})))
            << i;
    }
}

TEST_F(XcbWindowsTest, WindowsOffScreenOwnOrBypassingTheManagerAreLeftOutAsTheyShouldBe)
{
    const auto desktop =
        managedWindow({.x = 0, .y = 0, .pid = 40011, .types = {"_NET_WM_WINDOW_TYPE_DESKTOP"}});
    const auto minimised = managedWindow({.x = 200, .y = 200, .pid = 40012});
    const auto elsewhere = managedWindow({.x = 300, .y = 300, .pid = 40013});
    const auto shown = managedWindow({.x = 400, .y = 300, .pid = 40014});
    const auto own = managedWindow({.x = 500, .y = 300, .pid = std::uint32_t(getpid())});
    TestWindow overlay(*clients, {.pid = 40015, .overrideRedirect = true});
    EXPECT_EQ(listed({desktop->id()}, o::onScreenOnly).size(), 1u);
    EXPECT_TRUE(listed({desktop->id()}).empty());
    const auto restore = atEnd([] { sh("xdotool set_desktop 0 && xdotool set_num_desktops 1"); });
    ASSERT_TRUE(sh("xdotool windowminimize --sync " + std::to_string(minimised->id())));
    ASSERT_TRUE(sh("xdotool set_num_desktops 2 && xdotool set_desktop_for_window " +
                   std::to_string(elsewhere->id()) + " 1"));
    for (const xcb_window_t away : {minimised->id(), elsewhere->id()}) {
        EXPECT_TRUE(waitUntil([&] { return listed({away}).empty() && !listed({away}, 0).empty(); }))
            << away;
    }
    for (const xcb_window_t never : {own->id(), overlay.id(), xcb_window_t{0x7fffffu}}) {
        EXPECT_TRUE(listed({never}, 0).empty()) << never;
        EXPECT_FALSE(windowServer->windowDescription(never)) << never;
    }

    // The stacking as read before a window went: its requests fail, the rest answer, and the
    // errors go with the replies, none among the events.
    const std::vector<xcb_window_t> stacking{shown->id(), minimised->id(), elsewhere->id()};
    elsewhere->destroy();
    std::free(
        xcb_get_input_focus_reply(clients->raw(), xcb_get_input_focus(clients->raw()), nullptr));
    loop.runDue();
    const auto facts = reader->read(stacking, window_details::all);
    ASSERT_EQ(facts.size(), 2u);
    EXPECT_EQ(facts[1].window, minimised->id());
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection->raw())) {
        EXPECT_NE(event->response_type, 0) << "error " << int(event->pad0);
        std::free(event);
    }

    // A manager that publishes only the client list.
    const auto republish =
        atEnd([id = shown->id()] { sh("xdotool windowraise " + std::to_string(id)); });
    ASSERT_TRUE(sh("xprop -root -remove _NET_CLIENT_LIST_STACKING"));
    ASSERT_TRUE(DesktopTest::waitUntil([&] { return managedWindows(*connection).empty(); }));
    EXPECT_EQ(listed({shown->id(), desktopXterm("HALOMARK_XTERM_LEFT")}).size(), 2u);
}

TEST_F(XcbWindowsTest, KeptFactsFollowEveryChangeBehindTheReadersBackAsAFreshReadSeesIt)
{
    const auto a = managedWindow({.x = 200, .y = 150, .pid = 40021});
    const auto b = managedWindow({.x = 300, .y = 250, .pid = 40022});
    // The stacking, the current desktop and every listed window's facts, as read by a reader
    // that keeps nothing yet (on a connection of its own) or by the one under test.
    XcbConnection freshConnection;
    const auto everything = [&](XcbWindowReader& from) {
        const auto stacking = from.stacking().value_or(XcbWindowReader::Stacking{});
        return std::tuple(stacking.frontToBack, stacking.currentDesktop,
                          from.read(stacking.frontToBack, window_details::all));
    };
    const auto fresh = [&] {
        XcbPollingRound freshRound(freshConnection, loop, std::chrono::hours(1));
        XcbWindowReader freshReader(freshRound);
        return everything(freshReader);
    };
    const auto kept = [&] {
        loop.runDue();
        return everything(*reader);
    };
    ASSERT_EQ(kept(), fresh());

    const auto restore = atEnd([] { sh("xdotool set_desktop 0 && xdotool set_num_desktops 1"); });
    const std::string idA = std::to_string(a->id()), idB = std::to_string(b->id());
    const auto setProperty = [](const std::string& id, const std::string& nameFormatValue) {
        return "xprop -id " + id + " -f " + nameFormatValue;
    };
    for (const std::string& change : std::vector<std::string>{
             "xdotool windowmove " + idA + " 420 260",
             "xdotool windowsize " + idA + " 333 222",
             "xdotool windowraise " + idA,
             "xdotool windowunmap --sync " + idA,
             "xdotool windowmap --sync " + idA,
             "xdotool set_num_desktops 2 && xdotool set_desktop_for_window " + idB + " 1",
             "xdotool set_desktop 1",
             "xdotool set_desktop 0",
             setProperty(idA, "_NET_FRAME_EXTENTS 32c -set _NET_FRAME_EXTENTS 7,8,9,10"),
             setProperty(idA, "_GTK_FRAME_EXTENTS 32c -set _GTK_FRAME_EXTENTS 1,2,3,4"),
             setProperty(idA, "_NET_WM_WINDOW_OPACITY 32c -set _NET_WM_WINDOW_OPACITY 1234"),
             setProperty(idA, "_GTK_APPLICATION_ID 8u -set _GTK_APPLICATION_ID org.example.App"),
             setProperty(idA, "_NET_WM_PID 32c -set _NET_WM_PID 40023"),
             "xdotool windowminimize --sync " + idA,
             "xdotool windowactivate --sync " + idA,
             "@frame",
             "destroy",
         }) {
        const auto before = fresh();
        if (change == "@frame") {
            // The frame hidden by another client, which tells the window nothing.
            xcb_connection_t* c = clients->raw();
            const XcbReply<xcb_query_tree_reply_t> tree(
                xcb_query_tree_reply(c, xcb_query_tree(c, a->id()), nullptr));
            ASSERT_TRUE(tree);
            xcb_unmap_window(c, tree->parent);
            clients->flush();
        } else if (change == "destroy") {
            a->destroy();
        } else {
            ASSERT_TRUE(sh(change + " >/dev/null 2>&1")) << change;
        }
        // Once the window manager has done all it does about the change.
        auto settled = fresh();
        ASSERT_TRUE(testing::waitUntil([&] {
            hold(150ms);
            const auto now = fresh();
            return std::exchange(settled, now) == now && now != before;
        })) << change;
        EXPECT_EQ(kept(), settled) << change;
    }
}

TEST_F(XcbWindowsTest, TheFocusedWindowAndTheFrontmostApplicationFollowTheActiveWindow)
{
    SpawnedXterm first(*connection, "halomark-windows-first", 300, 200);
    SpawnedXterm second(*connection, "halomark-windows-second", 1500, 250);
    ASSERT_TRUE(first.window() && second.window());
    ASSERT_TRUE(activate(first.window()));
    ASSERT_TRUE(waitUntil([&] { return focusedWindowOf(first.pid()).error == e::success; }));
    const auto element = std::get<AccessibilityElement>(*focusedWindowOf(first.pid()).value);
    EXPECT_EQ(accessibility->hash(element), first.window());
    EXPECT_EQ(focusedWindowOf(second.pid()), (AccessibilityAttributeResult{e::noValue, {}}));
    // Named by the entry that claims its class, in the user's language; by the class without.
    const RunningApplication terminal{first.pid(), "org.example.Terminal", "Konsole"};
    EXPECT_EQ(workspace->frontmostApplication(), terminal);
    EXPECT_EQ(workspace->runningApplication(first.pid()), terminal);
    XcbWorkspace bare(*reader, xdg::DesktopApplications({}, ""));
    EXPECT_EQ(bare.frontmostApplication(), (RunningApplication{first.pid(), "XTerm", "XTerm"}));

    ASSERT_TRUE(activate(second.window()));
    ASSERT_TRUE(waitUntil([&] { return focusedWindowOf(second.pid()).error == e::success; }));
    EXPECT_EQ(focusedWindowOf(first.pid()).error, e::noValue);
    const ProcessIdentifier gone = first.pid();
    first.stop();
    EXPECT_TRUE(waitUntil([&] {
        return accessibility->copyAttributeValue(element, a::position).error == e::invalidElement;
    }));
    EXPECT_FALSE(workspace->runningApplication(gone));

    // A process without windows is named by its program; once exited, even if not yet
    // reaped, it is no running application.
    SpawnedProcess sleeper({"sleep", "600"});
    EXPECT_TRUE(waitUntil([&] {
        return bare.runningApplication(sleeper.pid()) ==
               RunningApplication{sleeper.pid(), std::nullopt, "sleep"};
    }));
    ASSERT_EQ(kill(sleeper.pid(), SIGKILL), 0);
    EXPECT_TRUE(waitUntil([&] { return !workspace->runningApplication(sleeper.pid()); }));
    EXPECT_EQ(workspace->operatingSystemMajorVersion(),
              std::stoi(shOutput("uname -r | cut -d. -f1")));

    // A client that publishes no process id is known by the X server's record of it; one that
    // says it runs on another machine is not taken at its word, even naming this program.
    const auto restore = atEnd([] { activate(desktopXterm("HALOMARK_XTERM_LEFT")); });
    SpawnedProcess message({"xmessage", "-name", "halomark-no-pid", "-geometry", "+300+300", "."});
    const std::string id =
        shOutput("timeout 5 xdotool search --sync --classname halomark-no-pid | head -1");
    ASSERT_FALSE(id.empty());
    const auto unnamed = static_cast<xcb_window_t>(std::stoul(id));
    ASSERT_TRUE(activate(unnamed));
    const RunningApplication xmessage{message.pid(), "Xmessage", "Xmessage"};
    const auto ownedByMessage = [&] {
        const auto record = windowServer->windowDescription(unnamed);
        return bare.frontmostApplication() == xmessage &&
               focusedWindowOf(message.pid()).error == e::success && record &&
               integer(record->ownerPID) == message.pid();
    };
    EXPECT_TRUE(waitUntil(ownedByMessage));
    ASSERT_TRUE(
        sh("xprop -id " + id + " -f _NET_WM_PID 32c -set _NET_WM_PID " + std::to_string(getpid())));
    EXPECT_TRUE(waitUntil([&] { // on this machine its word stands
        return !windowServer->windowDescription(unnamed) &&
               bare.frontmostApplication().value_or(RunningApplication{}).processIdentifier ==
                   getpid();
    }));
    ASSERT_TRUE(
        sh("xprop -id " + id + " -f WM_CLIENT_MACHINE 8s -set WM_CLIENT_MACHINE far.example"));
    EXPECT_TRUE(waitUntil(ownedByMessage));

    // The desktop that a file manager draws is no target, though its owner is in front.
    const auto backdrop =
        managedWindow({.x = 0, .y = 0, .pid = 40031, .types = {"_NET_WM_WINDOW_TYPE_DESKTOP"}});
    ASSERT_TRUE(activate(backdrop->id()));
    ASSERT_TRUE(waitUntil([&] {
        const auto front = workspace->frontmostApplication();
        return front && front->processIdentifier == 40031;
    }));
    EXPECT_EQ(focusedWindowOf(40031).error, e::noValue);
    const ResolverPorts ports{*workspace, *windowServer, *accessibility, *screens};
    EXPECT_FALSE(FrontmostWindowResolver::resolve(ports, getpid()));

    for (const auto& [command, error] :
         {std::pair{"-f _NET_ACTIVE_WINDOW 32x -set _NET_ACTIVE_WINDOW 0", e::noValue},
          std::pair{"-remove _NET_ACTIVE_WINDOW", e::cannotComplete}}) {
        ASSERT_TRUE(sh(std::string("xprop -root ") + command));
        EXPECT_TRUE(waitUntil([&] { return focusedWindowOf(second.pid()).error == error; }))
            << command;
        EXPECT_FALSE(workspace->frontmostApplication()) << command;
    }
}

} // namespace
} // namespace halomark::x11
