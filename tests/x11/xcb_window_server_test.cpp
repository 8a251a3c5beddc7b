#include "x11/xcb_window_server.h"

#include "desktop.h"
#include "sim/sim_main_loop.h"
#include "x11/xcb_polling_round.h"
#include "x11/xcb_window_reader.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <thread>

namespace halomark::x11 {
namespace {

using namespace testing;
namespace o = window_list_options;

constexpr WindowListOptions onScreenList = o::onScreenOnly | o::excludeDesktopElements;

std::optional<std::int64_t> integer(const std::optional<RecordValue>& value)
{
    if (!value) {
        return std::nullopt;
    }
    const auto* number = std::get_if<RecordNumber>(&*value);
    return number ? std::optional{number->integerValue()} : std::nullopt;
}

std::optional<Rect> boundsOf(const WindowRecord& record)
{
    const auto* bounds = record.bounds ? std::get_if<RecordBounds>(&*record.bounds) : nullptr;
    if (!bounds || !bounds->x || !bounds->y || !bounds->width || !bounds->height) {
        return std::nullopt;
    }
    return Rect{*bounds->x, *bounds->y, *bounds->width, *bounds->height};
}

class XcbWindowServerTest : public DesktopTest
{
protected:
    void SetUp() override
    {
        DesktopTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        clients = std::make_unique<XcbConnection>();
        ASSERT_TRUE(clients->isConnected());
        server = std::make_unique<XcbWindowServer>(*connection, *screens, getpid());
    }

    // A window of another program, once the window manager has framed it.
    std::unique_ptr<TestWindow> managedWindow(TestWindowSpec spec)
    {
        auto window = std::make_unique<TestWindow>(*clients, spec);
        const xcb_window_t id = window->id();
        EXPECT_TRUE(waitUntil([&] {
            const auto managed = managedWindows(*connection);
            return std::find(managed.begin(), managed.end(), id) != managed.end() &&
                   cardinals(*connection, id, "_NET_FRAME_EXTENTS").size() == 4;
        })) << "window "
            << id << " was not managed";
        return window;
    }

    std::vector<WindowRecord> list(WindowListOptions options = onScreenList)
    {
        auto records = server->copyWindowList(options, nullWindow);
        EXPECT_TRUE(records.has_value());
        return records.value_or(std::vector<WindowRecord>{});
    }

    // The numbers of the listed windows that are among the given ones, in list order.
    std::vector<xcb_window_t> orderOf(const std::vector<xcb_window_t>& windows,
                                      WindowListOptions options = onScreenList)
    {
        std::vector<xcb_window_t> order;
        for (const WindowRecord& record : list(options)) {
            const auto number = integer(record.number);
            if (number && std::find(windows.begin(), windows.end(), *number) != windows.end()) {
                order.push_back(static_cast<xcb_window_t>(*number));
            }
        }
        return order;
    }

    std::optional<WindowRecord> listed(xcb_window_t window,
                                       WindowListOptions options = onScreenList)
    {
        for (WindowRecord& record : list(options)) {
            if (integer(record.number) == window) {
                return record;
            }
        }
        return std::nullopt;
    }

    // Where the test asked the frame to go, as large as the client plus the decorations the
    // window manager reports for it.
    Rect expectedFrame(const TestWindowSpec& spec, xcb_window_t window)
    {
        const auto extents = cardinals(*connection, window, "_NET_FRAME_EXTENTS");
        EXPECT_EQ(extents.size(), 4u);
        if (extents.size() != 4) {
            return {};
        }
        return Rect{static_cast<double>(spec.x), static_cast<double>(spec.y),
                    static_cast<double>(spec.width + extents[0] + extents[1]),
                    static_cast<double>(spec.height + extents[2] + extents[3])};
    }

    std::unique_ptr<XcbConnection> clients; // the other programs' connection
    std::unique_ptr<XcbWindowServer> server;
};

TEST_F(XcbWindowServerTest, ListsWindowsFrontToBackWithFramesOwnersAndClasses)
{
    TestWindowSpec a{.x = 200, .y = 150, .width = 300, .height = 200, .pid = 40001};
    TestWindowSpec b{.x = 420, .y = 260, .width = 320, .height = 180, .pid = 40002};
    TestWindowSpec c{.x = 1500, .y = 300, .width = 250, .height = 150, .pid = 40003};
    c.instance = "other";
    c.className = "OtherApp";
    const auto windowA = managedWindow(a);
    const auto windowB = managedWindow(b);
    const auto windowC = managedWindow(c);
    const std::vector<xcb_window_t> ours{windowA->id(), windowB->id(), windowC->id()};

    // Each new window opens on top.
    EXPECT_EQ(orderOf(ours), (std::vector{windowC->id(), windowB->id(), windowA->id()}));

    for (const auto& [spec, window] :
         {std::pair{a, windowA->id()}, std::pair{b, windowB->id()}, std::pair{c, windowC->id()}}) {
        const auto record = listed(window);
        ASSERT_TRUE(record) << window;
        EXPECT_EQ(integer(record->ownerPID), spec.pid);
        EXPECT_EQ(integer(record->layer), 0);
        EXPECT_EQ(integer(record->isOnscreen), 1);
        EXPECT_FALSE(record->alpha) << "no opacity was set";
        EXPECT_EQ(record->ownerName, RecordValue{spec.className});
        const Rect frame = expectedFrame(spec, window);
        EXPECT_EQ(boundsOf(*record), frame);
        EXPECT_GT(frame.height(), spec.height) << "a decorated frame is taller than its client";
        EXPECT_EQ(server->windowDescription(window), record);
    }

    // The panel is a dock, listed at the dock layer with its place on the left monitor.
    bool sawPanel = false;
    for (const WindowRecord& record : list()) {
        if (record.ownerName == RecordValue{std::string("Tint2")}) {
            sawPanel = true;
            EXPECT_EQ(integer(record.layer), 20);
            EXPECT_EQ(boundsOf(record), (Rect{0, 770, 1280, 30}));
        }
    }
    EXPECT_TRUE(sawPanel);

    ASSERT_TRUE(sh("xdotool windowactivate --sync " + std::to_string(windowA->id())));
    EXPECT_TRUE(waitUntil([&] {
        return orderOf(ours) == std::vector{windowA->id(), windowC->id(), windowB->id()};
    }));

    // Moved: the window manager puts the frame's corner where the move asked, and the record
    // follows.
    ASSERT_TRUE(sh("xdotool windowmove --sync " + std::to_string(windowB->id()) + " 700 400"));
    EXPECT_TRUE(waitUntil([&] {
        const auto record = server->windowDescription(windowB->id());
        return record &&
               boundsOf(*record) == Rect{Point{700, 400}, expectedFrame(b, windowB->id()).size};
    }));
}

TEST_F(XcbWindowServerTest, LayersVisibilityAndOpacityFollowTypeAndState)
{
    TestWindowSpec above{.x = 100, .y = 100, .pid = 40011};
    above.states = {"_NET_WM_STATE_ABOVE"};
    TestWindowSpec utility{.x = 150, .y = 150, .pid = 40012};
    utility.types = {"_NET_WM_WINDOW_TYPE_UTILITY"};
    TestWindowSpec dialog{.x = 200, .y = 200, .pid = 40013};
    dialog.types = {"_NET_WM_WINDOW_TYPE_DIALOG"};
    TestWindowSpec translucent{.x = 250, .y = 250, .pid = 40014, .opacity = 0x7fffffffu};
    TestWindowSpec opaque{.x = 300, .y = 300, .pid = 40015, .opacity = 0xffffffffu};
    // Types are in order of preference: an unknown first one gives way to the next.
    TestWindowSpec preferred{.x = 350, .y = 350, .pid = 40016};
    preferred.types = {"_EXAMPLE_WM_WINDOW_TYPE_UNKNOWN", "_NET_WM_WINDOW_TYPE_TOOLBAR"};
    TestWindowSpec desktop{.x = 0, .y = 0, .width = 400, .height = 300, .pid = 40017};
    desktop.types = {"_NET_WM_WINDOW_TYPE_DESKTOP"};

    std::vector<std::unique_ptr<TestWindow>> windows;
    for (const auto& spec : {above, utility, dialog, translucent, opaque, preferred, desktop}) {
        windows.push_back(managedWindow(spec));
    }
    const auto layerOf = [&](std::size_t index) {
        const auto record = server->windowDescription(windows[index]->id());
        return record ? integer(record->layer) : std::nullopt;
    };
    EXPECT_EQ(layerOf(0), 3);
    EXPECT_EQ(layerOf(1), 19);
    EXPECT_EQ(layerOf(2), 0);
    EXPECT_EQ(layerOf(5), 3);
    EXPECT_EQ(layerOf(6), -2147483623);

    const auto alphaOf = [&](std::size_t index) -> std::optional<double> {
        const auto record = server->windowDescription(windows[index]->id());
        if (!record || !record->alpha) {
            return std::nullopt;
        }
        return std::get<RecordNumber>(*record->alpha).doubleValue();
    };
    EXPECT_NEAR(alphaOf(3).value_or(-1), 0.5, 1e-6);
    EXPECT_EQ(alphaOf(4), 1.0);

    // Desktop elements are left out only when asked.
    EXPECT_FALSE(listed(windows[6]->id()));
    EXPECT_TRUE(listed(windows[6]->id(), o::onScreenOnly));

    // A minimised window is off screen: left out of the on-screen list, listed as such
    // otherwise.
    const xcb_window_t minimised = windows[2]->id();
    ASSERT_TRUE(sh("xdotool windowminimize --sync " + std::to_string(minimised)));
    EXPECT_TRUE(waitUntil([&] { return !listed(minimised); }));
    const auto record = listed(minimised, 0);
    ASSERT_TRUE(record);
    EXPECT_EQ(integer(record->isOnscreen), 0);
    EXPECT_EQ(integer(server->windowDescription(minimised)->isOnscreen), 0);
    ASSERT_TRUE(sh("xdotool windowactivate --sync " + std::to_string(minimised)));
    EXPECT_TRUE(waitUntil([&] { return listed(minimised).has_value(); }));

    // On another desktop it is off screen too.
    struct RestoreDesktops
    {
        ~RestoreDesktops() { sh("xdotool set_desktop 0 && xdotool set_num_desktops 1"); }
    } restore;
    ASSERT_TRUE(sh("xdotool set_num_desktops 2"));
    const xcb_window_t moved = windows[1]->id();
    ASSERT_TRUE(sh("xdotool set_desktop_for_window " + std::to_string(moved) + " 1"));
    EXPECT_TRUE(waitUntil([&] { return !listed(moved) && listed(moved, 0).has_value(); }));
    EXPECT_TRUE(listed(windows[0]->id()));
}

TEST_F(XcbWindowServerTest, OwnWindowsAndWindowsBypassingTheManagerNeverAppear)
{
    // One window of this very process, managed like any other.
    const auto own =
        managedWindow({.x = 500, .y = 300, .pid = static_cast<std::uint32_t>(getpid())});
    // One that bypasses the window manager, as the overlays do: mapped and visible, never
    // managed.
    TestWindow overlay(
        *clients,
        {.x = 0, .y = 0, .width = 1280, .height = 800, .pid = 40021, .overrideRedirect = true});
    const auto other = managedWindow({.x = 600, .y = 350, .pid = 40022});
    ASSERT_TRUE(waitUntil([&] {
        xcb_connection_t* c = connection->raw();
        XcbReply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
            c, xcb_get_window_attributes(c, overlay.id()), nullptr));
        return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    }));

    EXPECT_TRUE(listed(other->id()));
    for (const WindowRecord& record : list(0)) {
        EXPECT_NE(integer(record.ownerPID), getpid());
        EXPECT_NE(integer(record.number), own->id());
        EXPECT_NE(integer(record.number), overlay.id());
    }
    EXPECT_FALSE(server->windowDescription(own->id()));
    EXPECT_FALSE(server->windowDescription(overlay.id()));
    EXPECT_FALSE(server->windowDescription(0x7fffffu)) << "no such window";
}

TEST_F(XcbWindowServerTest, AWindowGoneBetweenTheListAndItsRepliesIsSkipped)
{
    const auto a = managedWindow({.x = 200, .y = 150, .pid = 40031});
    const auto b = managedWindow({.x = 250, .y = 200, .pid = 40032});
    const auto c = managedWindow({.x = 300, .y = 250, .pid = 40033});
    const std::vector<xcb_window_t> stacking{c->id(), b->id(), a->id()};
    const xcb_window_t gone = b->id();
    b->destroy();
    // A round trip on the other connection: the server has destroyed it by the time it answers.
    xcb_connection_t* other = clients->raw();
    std::free(xcb_get_input_focus_reply(other, xcb_get_input_focus(other), nullptr));

    // The stacking order as read before the window went: its requests fail, the rest answer.
    const auto records = server->recordsOf(stacking, onScreenList, std::nullopt);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(integer(records[0].number), c->id());
    EXPECT_EQ(integer(records[1].number), a->id());
    EXPECT_FALSE(server->windowDescription(gone));
    // The errors were taken with the replies; none waits among the events.
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection->raw())) {
        EXPECT_NE(event->response_type, 0) << "error " << int(event->pad0);
        std::free(event);
    }
    EXPECT_TRUE(connection->isConnected());
}

TEST_F(XcbWindowServerTest, ASharedReaderAnswersOnceATurnAndForgetsWindowsThatAreGone)
{
    namespace d = window_details;
    const auto window = managedWindow({.x = 400, .y = 300, .pid = 40041});
    const xcb_window_t id = window->id();
    sim::SimMainLoop loop;
    XcbPollingRound round(*connection, loop);
    XcbWindowReader shared(round);
    XcbWindowReader fresh(*connection);
    const auto roundTripCount = [&] { return round.roundCount() + shared.roundTripCount(); };

    // One turn: the list, the window and the same window again cost two round trips.
    loop.runDue();
    int roundTrips = roundTripCount();
    ASSERT_TRUE(shared.stacking());
    const auto first = shared.read(id, d::all);
    ASSERT_TRUE(first);
    EXPECT_EQ(shared.read(id, d::frame | d::owner), first);
    EXPECT_EQ(roundTripCount() - roundTrips, 2);

    // The next turn reads afresh: a moved window is seen at once. Its owner and class are
    // kept, so asking only for those costs the listing alone.
    const std::uint32_t place[] = {600, 350};
    xcb_configure_window(clients->raw(), id, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, place);
    clients->flush();
    ASSERT_TRUE(waitUntil([&] {
        const auto now = fresh.read(id, d::frame);
        return now && now->frame.x != first->frame.x;
    }));
    loop.runDue();
    EXPECT_EQ(shared.read(id, d::frame)->frame, fresh.read(id, d::frame)->frame);
    loop.runDue();
    roundTrips = roundTripCount();
    const auto identity = shared.read(id, d::identity);
    ASSERT_TRUE(identity);
    EXPECT_EQ(identity->pid, 40041);
    EXPECT_EQ(identity->windowClass, first->windowClass);
    EXPECT_EQ(roundTripCount() - roundTrips, 1);

    // Gone: no longer listed, so its kept owner is dropped and the window reads as gone.
    window->destroy();
    ASSERT_TRUE(waitUntil([&] {
        const auto managed = managedWindows(*connection);
        return std::find(managed.begin(), managed.end(), id) == managed.end();
    }));
    loop.runDue();
    EXPECT_FALSE(shared.read(id, d::identity));
    EXPECT_TRUE(shared.read(std::vector<xcb_window_t>{id}, d::owner).empty());
}

TEST_F(XcbWindowServerTest, ListsStayWholeWhileWindowsComeAndGo)
{
    // Another program maps and destroys managed windows as fast as it can while the list is
    // read again and again: every list must come back, with every record complete.
    std::atomic<bool> stop{false};
    std::atomic<int> created{0};
    std::thread churn([&] {
        XcbConnection program;
        while (!stop) {
            TestWindow window(program, {.x = 50 + created % 500, .y = 80, .pid = 40041});
            if (created % 2 == 0) {
                // Every other one lives until the window manager has listed it, and a moment
                // more; the rest go before the manager has even framed them.
                const auto until = std::chrono::steady_clock::now() + 200ms;
                while (!stop && std::chrono::steady_clock::now() < until) {
                    const auto managed = managedWindows(program);
                    if (std::find(managed.begin(), managed.end(), window.id()) != managed.end()) {
                        break;
                    }
                    std::this_thread::sleep_for(1ms);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(created % 3));
            }
            ++created;
        }
    });
    int lists = 0;
    int churnRecords = 0;
    const auto deadline = std::chrono::steady_clock::now() + 1500ms;
    while (std::chrono::steady_clock::now() < deadline) {
        const auto records = server->copyWindowList(0, nullWindow);
        ASSERT_TRUE(records.has_value());
        ++lists;
        for (const WindowRecord& record : *records) {
            ASSERT_TRUE(integer(record.number) && integer(record.layer) && boundsOf(record) &&
                        integer(record.isOnscreen));
            churnRecords += integer(record.ownerPID) == 40041 ? 1 : 0;
        }
    }
    stop = true;
    churn.join();
    RecordProperty("lists", lists);
    RecordProperty("windowsCreated", created.load());
    RecordProperty("churnRecords", churnRecords);
    EXPECT_GT(created.load(), 10);
    EXPECT_GT(churnRecords, 0) << "the churning windows were never seen";
    EXPECT_TRUE(connection->isConnected());
}

TEST_F(XcbWindowServerTest, TheClientListStandsInForAMissingStackingList)
{
    const auto window = managedWindow({.x = 200, .y = 150, .pid = 40051});
    struct RestoreStacking
    {
        std::string window;
        // Any restacking makes the window manager publish the list again.
        ~RestoreStacking() { sh("xdotool windowraise " + window); }
    } restore{std::to_string(window->id())};
    ASSERT_TRUE(sh("xprop -root -remove _NET_CLIENT_LIST_STACKING"));
    ASSERT_TRUE(waitUntil([&] { return managedWindows(*connection).empty(); }));
    EXPECT_TRUE(listed(window->id()));
    EXPECT_TRUE(
        listed(static_cast<xcb_window_t>(std::stoul(desktopVariable("HALOMARK_XTERM_LEFT")))));
}

} // namespace
} // namespace halomark::x11
