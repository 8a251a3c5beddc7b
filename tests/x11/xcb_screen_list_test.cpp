// Screens, their usable areas and scale, and the compositor, followed as the desktop changes.
#include "adapters.h"
#include "x11/xcb_compositor_monitor.h"

#include <gtest/gtest.h>

namespace halomark::x11 {
namespace {

using namespace testing;

const Rect leftFrame{0, 0, 1280, 800};
const Rect rightFrame{1280, 0, 1280, 800};
const Rect leftUsable{0, 30, 1280, 770}; // the panel takes 30 pixels at the bottom

class XcbScreenListTest : public AdaptersTest
{
protected:
    void SetUp() override
    {
        AdaptersTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        screens->setChangeHandler([this] { ++notifications; });
    }

    // The frames and usable frames of the screens in order, or their display identifiers.
    std::vector<Rect> frames(bool usable = false)
    {
        std::vector<Rect> result;
        std::ranges::transform(screens->screens(), std::back_inserter(result),
                               [&](const Screen& s) { return usable ? s.visibleFrame : s.frame; });
        return result;
    }
    std::vector<DisplayIdentifier> identifiers()
    {
        std::vector<DisplayIdentifier> result;
        std::ranges::transform(screens->screens(), std::back_inserter(result),
                               [](const Screen& s) { return displayIdentifier(s); });
        return result;
    }

    // Runs the command and waits for the change handler.
    bool notifiedAfter(const std::string& command)
    {
        const int before = notifications;
        return sh(command) && waitUntil([&] { return notifications > before; });
    }

    int notifications = 0;
};

TEST_F(XcbScreenListTest, StrutsShrinkOnlyTheirMonitorAndTheMainScreenHoldsTheActiveWindow)
{
    EXPECT_EQ(frames(true), (std::vector{leftUsable, rightFrame}));
    const std::string window = desktopVariable("HALOMARK_XTERM_RIGHT");
    const auto cleanup =
        atEnd([=] { sh("xprop -id " + window + " -remove _NET_WM_STRUT_PARTIAL"); });
    // A second list on the same connection, dropped again: its selections go, ours stay.
    std::make_unique<XcbScreenList>(*connection).reset();
    // 40 pixels along the top of the right monitor.
    ASSERT_TRUE(notifiedAfter("xprop -id " + window +
                              " -f _NET_WM_STRUT_PARTIAL 32c -set _NET_WM_STRUT_PARTIAL "
                              "'0, 0, 40, 0, 0, 0, 0, 0, 1280, 2559, 0, 0'"));
    EXPECT_EQ(frames(true), (std::vector{leftUsable, Rect{1280, 0, 1280, 760}}));
    ASSERT_TRUE(notifiedAfter("xprop -id " + window + " -remove _NET_WM_STRUT_PARTIAL"));
    EXPECT_EQ(frames(true), (std::vector{leftUsable, rightFrame}));

    for (const auto& [side, frame] :
         {std::pair{"HALOMARK_XTERM_RIGHT", rightFrame}, {"HALOMARK_XTERM_LEFT", leftFrame}}) {
        ASSERT_TRUE(activate(desktopXterm(side)));
        EXPECT_TRUE(waitUntil([&] { return screens->mainScreen()->frame == frame; })) << side;
    }
}

TEST_F(XcbScreenListTest, ReconfiguredMonitorsKeepTheirIdentifiersAndPointsFollowXftDpi)
{
    const auto restore = atEnd([] {
        sh("xprop -root -remove RESOURCE_MANAGER; xrandr --delmonitor RIGHT >/dev/null 2>&1; "
           "xrandr --setmonitor RIGHT 1280/338x800/211+1280+0 none; xrandr --output screen "
           "--mode 2560x800; xrandr --delmode screen fast; xrandr --rmmode fast");
    });
    const auto before = identifiers();
    ASSERT_NE(before[0], before[1]);
    // Xvfb's own mode tells no rate; a mode with timings does, on each monitor it shows.
    EXPECT_EQ(screens->screens()[0].refreshRate, 0);
    ASSERT_TRUE(sh("xrandr --newmode fast 296 2560 2608 2640 2720 800 803 809 816 && "
                   "xrandr --addmode screen fast") &&
                notifiedAfter("xrandr --output screen --mode fast"));
    for (const Screen& screen : screens->screens()) {
        EXPECT_NEAR(screen.refreshRate, 296e6 / (2720 * 816), 0.01);
    }
    ASSERT_TRUE(notifiedAfter("xrandr --delmonitor RIGHT"));
    EXPECT_TRUE(waitUntil([&] { return identifiers() == std::vector{before[0]}; }));
    // Back, 600 pixels high: top-aligned, so it now starts 200 points up.
    ASSERT_TRUE(notifiedAfter("xrandr --setmonitor RIGHT 1280/338x600/211+1280+0 none"));
    EXPECT_TRUE(waitUntil([&] { return identifiers() == before; }));
    EXPECT_EQ(frames(), (std::vector{leftFrame, Rect{1280, 200, 1280, 600}}));

    ASSERT_TRUE(sh("xdotool mousemove 100 200"));
    ASSERT_TRUE(notifiedAfter("echo 'Xft.dpi: 192' | xrdb -nocpp -merge"));
    EXPECT_EQ(screens->screens()[0].backingScaleFactor, 2.0);
    EXPECT_EQ(frames(), (std::vector{Rect{0, 0, 640, 400}, Rect{640, 100, 640, 300}}));
    EXPECT_EQ(frames(true), (std::vector{Rect{0, 15, 640, 385}, Rect{640, 100, 640, 300}}));
    EXPECT_TRUE(waitUntil([&] { return input->mouseLocation() == Point{50, 300}; }));
}

TEST_F(XcbScreenListTest, TheCompositorIsFollowedAsItStartsAndStops)
{
    const auto cleanup = atEnd([] { desktopScript("compositor-stop"); });
    XcbCompositorMonitor monitor(*connection);
    std::vector<bool> changes;
    monitor.setChangeHandler([&](bool compositing) { changes.push_back(compositing); });
    ASSERT_FALSE(monitor.isCompositing());
    for (const std::string command : {"compositor-start", "compositor-stop", "compositor-start"}) {
        const bool starts = command == "compositor-start";
        ASSERT_TRUE(desktopScript(command));
        EXPECT_TRUE(waitUntil([&] { return !changes.empty() && changes.back() == starts; }))
            << command;
        EXPECT_EQ(monitor.isCompositing(), starts);
    }
    EXPECT_EQ(changes, (std::vector<bool>{true, false, true}));
}

} // namespace
} // namespace halomark::x11
