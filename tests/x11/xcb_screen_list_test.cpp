#include "x11/xcb_screen_list.h"

#include "desktop.h"
#include "sim/sim_main_loop.h"
#include "x11/xcb_input_state.h"

#include <gtest/gtest.h>

namespace halomark::x11 {
namespace {

using namespace testing;

const Rect leftFrame{0, 0, 1280, 800};
const Rect rightFrame{1280, 0, 1280, 800};
const Rect leftUsable{0, 30, 1280, 770}; // the panel takes 30 pixels at the bottom

class XcbScreenListTest : public DesktopTest
{
protected:
    void SetUp() override
    {
        DesktopTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        screens->setChangeHandler([this] { ++notifications; });
        ASSERT_EQ(screens->screens().size(), 2u) << "the desktop should have two monitors";
    }

    std::vector<Rect> frames()
    {
        std::vector<Rect> result;
        for (const Screen& screen : screens->screens()) {
            result.push_back(screen.frame);
        }
        return result;
    }

    std::vector<Rect> usableFrames()
    {
        std::vector<Rect> result;
        for (const Screen& screen : screens->screens()) {
            result.push_back(screen.visibleFrame);
        }
        return result;
    }

    std::vector<DisplayIdentifier> identifiers()
    {
        std::vector<DisplayIdentifier> result;
        for (const Screen& screen : screens->screens()) {
            result.push_back(displayIdentifier(screen));
        }
        return result;
    }

    int notifications = 0;
};

TEST_F(XcbScreenListTest, ThePanelShrinksOnlyTheMonitorItIsOn)
{
    EXPECT_EQ(frames(), (std::vector<Rect>{leftFrame, rightFrame}));
    EXPECT_EQ(usableFrames(), (std::vector<Rect>{leftUsable, rightFrame}));
    const auto all = screens->screens();
    EXPECT_EQ(all[0].backingScaleFactor, 1.0);
    EXPECT_EQ(all[1].backingScaleFactor, 1.0);
    EXPECT_NE(identifiers()[0], identifiers()[1]);
    EXPECT_EQ(screens->coordinates().primary, (PixelRect{0, 0, 1280, 800}));
    EXPECT_EQ(notifications, 0);
}

TEST_F(XcbScreenListTest, AStrutChangeNotifiesAndAffectsOnlyItsMonitor)
{
    const std::string window = desktopVariable("HALOMARK_XTERM_RIGHT");
    ASSERT_FALSE(window.empty());
    struct RemoveStrut
    {
        std::string window;
        ~RemoveStrut() { sh("xprop -id " + window + " -remove _NET_WM_STRUT_PARTIAL"); }
    } cleanup{window};

    // A second list on the same connection, dropped again: its selections go, ours stay.
    std::make_unique<XcbScreenList>(*connection).reset();

    // A 40-pixel reservation along the top of the right monitor.
    ASSERT_TRUE(sh("xprop -id " + window +
                   " -f _NET_WM_STRUT_PARTIAL 32c -set _NET_WM_STRUT_PARTIAL "
                   "'0, 0, 40, 0, 0, 0, 0, 0, 1280, 2559, 0, 0'"));
    ASSERT_TRUE(waitUntil([&] { return notifications > 0; }));
    EXPECT_EQ(usableFrames(), (std::vector<Rect>{leftUsable, Rect{1280, 0, 1280, 760}}));
    EXPECT_EQ(frames(), (std::vector<Rect>{leftFrame, rightFrame}));

    const int before = notifications;
    ASSERT_TRUE(sh("xprop -id " + window + " -remove _NET_WM_STRUT_PARTIAL"));
    ASSERT_TRUE(waitUntil([&] { return notifications > before; }));
    EXPECT_EQ(usableFrames(), (std::vector<Rect>{leftUsable, rightFrame}));
}

TEST_F(XcbScreenListTest, ReconfiguredMonitorsNotifyAndKeepTheirIdentifiers)
{
    struct RestoreMonitors
    {
        ~RestoreMonitors()
        {
            sh("xrandr --delmonitor RIGHT >/dev/null 2>&1; "
               "xrandr --setmonitor RIGHT 1280/338x800/211+1280+0 none");
        }
    } restore;
    const auto before = identifiers();

    ASSERT_TRUE(sh("xrandr --delmonitor RIGHT"));
    ASSERT_TRUE(waitUntil([&] { return screens->screens().size() == 1; }));
    EXPECT_GE(notifications, 1);
    EXPECT_EQ(identifiers(), std::vector<DisplayIdentifier>{before[0]});

    // Back, 600 pixels high: top-aligned, so it now starts 200 points up.
    const int notified = notifications;
    ASSERT_TRUE(sh("xrandr --setmonitor RIGHT 1280/338x600/211+1280+0 none"));
    ASSERT_TRUE(waitUntil([&] { return screens->screens().size() == 2; }));
    EXPECT_GT(notifications, notified);
    EXPECT_EQ(frames(), (std::vector<Rect>{leftFrame, Rect{1280, 200, 1280, 600}}));
    EXPECT_EQ(identifiers(), before);
}

TEST_F(XcbScreenListTest, PointsFollowXftDpi)
{
    struct RestoreResources
    {
        ~RestoreResources() { sh("xprop -root -remove RESOURCE_MANAGER"); }
    } restore;
    sim::SimMainLoop loop;
    XcbInputState input(*connection, *screens, loop);
    ASSERT_TRUE(sh("xdotool mousemove 100 200"));
    ASSERT_TRUE(waitUntil([&] {
        loop.runDue(); // each check a pass of its own
        return input.mouseLocation() == Point{100, 600};
    }));

    ASSERT_TRUE(sh("echo 'Xft.dpi: 192' | xrdb -nocpp -merge"));
    ASSERT_TRUE(waitUntil([&] { return notifications > 0; }));
    const auto all = screens->screens();
    EXPECT_EQ(all[0].backingScaleFactor, 2.0);
    EXPECT_EQ(frames(), (std::vector<Rect>{Rect{0, 0, 640, 400}, Rect{640, 0, 640, 400}}));
    EXPECT_EQ(usableFrames(), (std::vector<Rect>{Rect{0, 15, 640, 385}, Rect{640, 0, 640, 400}}));
    loop.runDue();
    EXPECT_EQ(input.mouseLocation(), (Point{50, 300}));

    const int before = notifications;
    ASSERT_TRUE(sh("xprop -root -remove RESOURCE_MANAGER"));
    ASSERT_TRUE(waitUntil([&] { return notifications > before; }));
    EXPECT_EQ(frames(), (std::vector<Rect>{leftFrame, rightFrame}));
}

TEST_F(XcbScreenListTest, TheMainScreenHoldsTheActiveWindow)
{
    const std::string left = desktopVariable("HALOMARK_XTERM_LEFT");
    const std::string right = desktopVariable("HALOMARK_XTERM_RIGHT");
    ASSERT_TRUE(sh("xdotool windowactivate --sync " + right));
    EXPECT_TRUE(waitUntil([&] { return screens->mainScreen()->frame == rightFrame; }));
    ASSERT_TRUE(sh("xdotool windowactivate --sync " + left));
    EXPECT_TRUE(waitUntil([&] { return screens->mainScreen()->frame == leftFrame; }));
}

} // namespace
} // namespace halomark::x11
