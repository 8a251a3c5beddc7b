#include "x11/xcb_compositor_monitor.h"

#include "desktop.h"

#include <gtest/gtest.h>

namespace halomark::x11 {
namespace {

using namespace testing;

class XcbCompositorMonitorTest : public DesktopTest
{};

TEST_F(XcbCompositorMonitorTest, FollowsACompositorStartingAndStopping)
{
    struct StopCompositor
    {
        ~StopCompositor() { desktopScript("compositor-stop"); }
    } cleanup;
    XcbCompositorMonitor monitor(*connection);
    std::vector<bool> changes;
    monitor.setChangeHandler([&](bool compositing) { changes.push_back(compositing); });
    ASSERT_FALSE(monitor.isCompositing());

    ASSERT_TRUE(desktopScript("compositor-start"));
    ASSERT_TRUE(waitUntil([&] { return !changes.empty(); }));
    EXPECT_EQ(changes, std::vector<bool>{true});
    EXPECT_TRUE(monitor.isCompositing());

    ASSERT_TRUE(desktopScript("compositor-stop"));
    ASSERT_TRUE(waitUntil([&] { return changes.size() == 2; }));
    EXPECT_EQ(changes, (std::vector<bool>{true, false}));
    EXPECT_FALSE(monitor.isCompositing());

    // A second start is seen again.
    ASSERT_TRUE(desktopScript("compositor-start"));
    ASSERT_TRUE(waitUntil([&] { return changes.size() == 3; }));
    EXPECT_TRUE(monitor.isCompositing());
}

} // namespace
} // namespace halomark::x11
