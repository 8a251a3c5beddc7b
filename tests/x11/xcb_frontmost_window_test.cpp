// The core's resolver and focus monitor on the real adapters: what they make of a desktop
// where xterms are activated through the window manager.
#include "desktop.h"
#include "focus/focus_cue_monitor.h"
#include "focus/frontmost_window_resolver.h"
#include "forwarding_workspace.h"
#include "sim/sim_main_loop.h"
#include "x11/xcb_accessibility.h"
#include "x11/xcb_input_state.h"
#include "x11/xcb_polling_round.h"
#include "x11/xcb_window_reader.h"
#include "x11/xcb_window_server.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace halomark::x11 {
namespace {

using namespace testing;

class XcbFrontmostWindowTest : public DesktopTest
{
protected:
    void SetUp() override
    {
        DesktopTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        windowServer = std::make_unique<XcbWindowServer>(*connection, *screens, getpid());
        accessibility = std::make_unique<XcbAccessibility>(*connection, *screens);
        xcbWorkspace = std::make_unique<XcbWorkspace>(*connection);
        workspace = std::make_unique<ForwardingWorkspace>(*xcbWorkspace);
    }

    ResolverPorts ports() { return {*workspace, *windowServer, *accessibility, *screens}; }

    std::optional<FocusCueTarget> resolve()
    {
        return FrontmostWindowResolver::resolve(ports(), getpid());
    }

    // The window's frame in global bottom-left points, from the place the test gave it (the
    // top-left corner of its frame, in pixels of the primary monitor, which is 800 high) and
    // its decorated size.
    Rect expectedFrame(xcb_window_t window, int x, int y)
    {
        const auto size = clientSize(*connection, window);
        const auto extents = cardinals(*connection, window, "_NET_FRAME_EXTENTS");
        if (!size || extents.size() != 4) {
            ADD_FAILURE() << "no geometry for " << window;
            return {};
        }
        const double width = size->first + extents[0] + extents[1];
        const double height = size->second + extents[2] + extents[3];
        return Rect{static_cast<double>(x), 800 - y - height, width, height};
    }

    std::unique_ptr<XcbWindowServer> windowServer;
    std::unique_ptr<XcbAccessibility> accessibility;
    std::unique_ptr<XcbWorkspace> xcbWorkspace;
    std::unique_ptr<ForwardingWorkspace> workspace;
};

TEST_F(XcbFrontmostWindowTest, TheResolverFindsTheActivatedXtermWithItsFrameInBottomLeftPoints)
{
    SpawnedXterm xterm(*connection, "halomark-resolve", 700, 200);
    ASSERT_NE(xterm.window(), XCB_WINDOW_NONE);
    ASSERT_TRUE(activate(xterm.window()));
    ASSERT_TRUE(waitUntil([&] {
        const auto target = resolve();
        return target && target->processIdentifier == xterm.pid();
    }));
    const FocusCueTarget expected{xterm.pid(), "cg:" + std::to_string(xterm.window()),
                                  xterm.window(), expectedFrame(xterm.window(), 700, 200)};
    EXPECT_EQ(resolve(), expected);
    // The focused window matched the listed one exactly: both read the same frame.
    const auto focused = FrontmostWindowResolver::focusedWindow(ports(), xterm.pid());
    ASSERT_TRUE(focused);
    EXPECT_EQ(focused->elementHash, xterm.window());
    EXPECT_EQ(focused->frame, expected.frame);

    // The desktop's xterm on the right monitor, 1280 points to the right.
    const auto right =
        static_cast<xcb_window_t>(std::stoul(desktopVariable("HALOMARK_XTERM_RIGHT")));
    const auto rightPid = cardinals(*connection, right, "_NET_WM_PID");
    ASSERT_EQ(rightPid.size(), 1u);
    ASSERT_TRUE(activate(right));
    ASSERT_TRUE(waitUntil([&] {
        const auto target = resolve();
        return target && target->windowNumber == right;
    }));
    EXPECT_EQ(resolve(), (FocusCueTarget{static_cast<ProcessIdentifier>(rightPid[0]),
                                         "cg:" + std::to_string(right), right,
                                         expectedFrame(right, 1380, 100)}));

    // This process in front: nothing, whatever its windows.
    XcbConnection other;
    TestWindow own(other, {.x = 300, .y = 300, .pid = static_cast<std::uint32_t>(getpid())});
    ASSERT_TRUE(waitUntil(
        [&] { return cardinals(*connection, own.id(), "_NET_FRAME_EXTENTS").size() == 4; }));
    ASSERT_TRUE(activate(own.id()));
    EXPECT_TRUE(waitUntil([&] {
        const auto frontmost = workspace->frontmostApplication();
        return frontmost && frontmost->processIdentifier == getpid();
    }));
    EXPECT_FALSE(resolve());
}

// As the program runs it: the adapters share one reader that keeps answers for a turn.
TEST_F(XcbFrontmostWindowTest, TheMonitorFollowsActivationOnTheRealDesktop)
{
    SpawnedXterm first(*connection, "halomark-monitor-first", 200, 150);
    SpawnedXterm second(*connection, "halomark-monitor-second", 1600, 300);
    ASSERT_NE(first.window(), XCB_WINDOW_NONE);
    ASSERT_NE(second.window(), XCB_WINDOW_NONE);
    ASSERT_TRUE(activate(first.window()));

    sim::SimMainLoop loop;
    XcbPollingRound round(*connection, loop);
    XcbInputState input(round, *screens);
    XcbWindowReader reader(round);
    XcbWorkspace sharedXcbWorkspace(reader);
    ForwardingWorkspace sharedWorkspace(sharedXcbWorkspace);
    XcbWindowServer sharedWindowServer(reader, *screens, getpid());
    XcbAccessibility sharedAccessibility(reader, *screens);
    const ResolverPorts sharedPorts{sharedWorkspace, sharedWindowServer, sharedAccessibility,
                                    *screens};
    auto monitor = std::make_shared<FocusCueMonitor>(loop, input, sharedPorts);
    std::vector<FocusCueTarget> reported;
    monitor->onFocusCue = [&](const FocusCueEvent& event) { reported.push_back(event.target); };
    monitor->start();
    // Each check is one tick of the monitor's timer.
    const auto tickUntil = [&](const std::function<bool()>& condition) {
        return waitUntil([&] {
            loop.advance(FocusCueMonitor::pollInterval);
            return condition();
        });
    };
    const auto lastIs = [&](xcb_window_t window) {
        return !reported.empty() && reported.back().windowNumber == window;
    };
    ASSERT_TRUE(tickUntil([&] { return lastIs(first.window()); }));
    EXPECT_EQ(reported.back().frame, expectedFrame(first.window(), 200, 150));

    // Three passes, one of them resolving: each pass reads the input, the active window and
    // the stacking in one round trip (the owner is known by now), and the resolving pass
    // reads the listed windows in one more; the focused window's owner and frame come from
    // those. Every pass reads the input once, which counts the passes.
    const int roundsBefore = round.roundCount();
    const int windowReadsBefore = reader.roundTripCount();
    const int snapshotsBefore = input.snapshotCount();
    while (input.snapshotCount() - snapshotsBefore < 3) {
        loop.advance(FocusCueMonitor::pollInterval / 4);
    }
    EXPECT_EQ(input.snapshotCount() - snapshotsBefore, 3);
    EXPECT_EQ(round.roundCount() - roundsBefore, 3);
    EXPECT_EQ(reader.roundTripCount() - windowReadsBefore, 1);
    // Still the same answer as adapters that share nothing.
    EXPECT_EQ(FrontmostWindowResolver::resolve(sharedPorts, getpid()), resolve());

    ASSERT_TRUE(activate(second.window()));
    ASSERT_TRUE(tickUntil([&] { return lastIs(second.window()); }));
    EXPECT_EQ(reported.back().processIdentifier, second.pid());
    EXPECT_EQ(reported.back().frame, expectedFrame(second.window(), 1600, 300));
    monitor->stop();
}

} // namespace
} // namespace halomark::x11
