#include "x11/xcb_workspace.h"

#include "desktop.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <unistd.h>

namespace halomark::x11 {
namespace {

using namespace testing;
namespace fs = std::filesystem;

class XcbWorkspaceTest : public DesktopTest
{
protected:
    void SetUp() override
    {
        DesktopTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        entriesFolder =
            fs::temp_directory_path() / ("halomark-workspace-" + std::to_string(getpid()));
        fs::remove_all(entriesFolder);
        fs::create_directories(entriesFolder);
        std::ofstream(entriesFolder / "org.example.Terminal.desktop")
            << "[Desktop Entry]\nType=Application\nName=Terminal\nName[de]=Konsole\n"
               "StartupWMClass=XTerm\nExec=xterm\n";
        std::ofstream(entriesFolder / "sleeper.desktop")
            << "[Desktop Entry]\nType=Application\nName=Sleeper\nExec=/bin/sleep 1\n";
        workspace = std::make_unique<XcbWorkspace>(
            *connection, XcbDesktopEntries({entriesFolder}, "de_DE.UTF-8"));
    }
    void TearDown() override { fs::remove_all(entriesFolder); }

    fs::path entriesFolder;
    std::unique_ptr<XcbWorkspace> workspace;
};

TEST_F(XcbWorkspaceTest, TheFrontmostApplicationOwnsTheActiveWindow)
{
    SpawnedXterm xterm(*connection, "halomark-workspace", 400, 300);
    ASSERT_NE(xterm.window(), XCB_WINDOW_NONE);
    ASSERT_TRUE(activate(xterm.window()));
    ASSERT_TRUE(waitUntil([&] {
        const auto frontmost = workspace->frontmostApplication();
        return frontmost && frontmost->processIdentifier == xterm.pid();
    }));
    const RunningApplication expected{xterm.pid(), "org.example.Terminal", "Konsole"};
    EXPECT_EQ(workspace->frontmostApplication(), expected);
    EXPECT_EQ(workspace->runningApplication(xterm.pid()), expected);

    // Without an entry that claims it, the window class stands in for both.
    XcbWorkspace bare(*connection, XcbDesktopEntries({}, ""));
    EXPECT_EQ(bare.frontmostApplication(), (RunningApplication{xterm.pid(), "XTerm", "XTerm"}));
    // This user's own entries: whatever they hold, the owner is the same process.
    XcbWorkspace users(*connection);
    ASSERT_TRUE(users.frontmostApplication());
    EXPECT_EQ(users.frontmostApplication()->processIdentifier, xterm.pid());

    // Another window active, another application.
    const auto left = static_cast<xcb_window_t>(std::stoul(desktopVariable("HALOMARK_XTERM_LEFT")));
    const auto leftPid = cardinals(*connection, left, "_NET_WM_PID");
    ASSERT_EQ(leftPid.size(), 1u);
    ASSERT_TRUE(activate(left));
    EXPECT_TRUE(waitUntil([&] {
        const auto frontmost = workspace->frontmostApplication();
        return frontmost &&
               frontmost->processIdentifier == static_cast<ProcessIdentifier>(leftPid[0]);
    }));

    // Once its process is gone, it is no running application.
    const ProcessIdentifier pid = xterm.pid();
    xterm.stop();
    EXPECT_FALSE(workspace->runningApplication(pid));
}

TEST_F(XcbWorkspaceTest, NoFrontmostApplicationWithoutAnOwnedActiveWindow)
{
    const auto left = static_cast<xcb_window_t>(std::stoul(desktopVariable("HALOMARK_XTERM_LEFT")));
    struct Restore
    {
        xcb_window_t window;
        ~Restore() { activate(window); }
    } restore{left};
    ASSERT_TRUE(activate(left));
    ASSERT_TRUE(workspace->frontmostApplication());

    // A window that names no owner process.
    XcbConnection other;
    TestWindow anonymous(other, {.x = 300, .y = 300});
    ASSERT_TRUE(waitUntil(
        [&] { return cardinals(*connection, anonymous.id(), "_NET_FRAME_EXTENTS").size() == 4; }));
    ASSERT_TRUE(activate(anonymous.id()));
    EXPECT_TRUE(waitUntil([&] { return !workspace->frontmostApplication(); }));

    ASSERT_TRUE(activate(left));
    ASSERT_TRUE(waitUntil([&] { return workspace->frontmostApplication().has_value(); }));
    ASSERT_TRUE(sh("xprop -root -f _NET_ACTIVE_WINDOW 32x -set _NET_ACTIVE_WINDOW 0"));
    EXPECT_TRUE(waitUntil([&] { return !workspace->frontmostApplication(); }));
    ASSERT_TRUE(sh("xprop -root -remove _NET_ACTIVE_WINDOW"));
    EXPECT_FALSE(workspace->frontmostApplication());
}

TEST_F(XcbWorkspaceTest, RunningApplicationsAreTheLivingProcesses)
{
    SpawnedProcess sleeper({"sleep", "600"});
    ASSERT_GT(sleeper.pid(), 0);
    // Named by the entry whose program it runs; without one, by its program.
    EXPECT_TRUE(waitUntil([&] {
        return workspace->runningApplication(sleeper.pid()) ==
               RunningApplication{sleeper.pid(), "sleeper", "Sleeper"};
    }));
    XcbWorkspace bare(*connection, XcbDesktopEntries({}, ""));
    EXPECT_EQ(bare.runningApplication(sleeper.pid()),
              (RunningApplication{sleeper.pid(), std::nullopt, "sleep"}));

    // Exited but not yet reaped: no longer running.
    ASSERT_EQ(kill(sleeper.pid(), SIGKILL), 0);
    EXPECT_TRUE(waitUntil([&] { return !workspace->runningApplication(sleeper.pid()); }));
    EXPECT_EQ(readProcessStatus(sleeper.pid())->state, 'Z');
    sleeper.stop();
    EXPECT_FALSE(workspace->runningApplication(sleeper.pid()));
    EXPECT_FALSE(workspace->runningApplication(0));
    EXPECT_FALSE(workspace->runningApplication(-5));

    EXPECT_EQ(workspace->ownProcessIdentifier(), getpid());
    EXPECT_EQ(workspace->runningApplication(getpid()),
              (RunningApplication{getpid(), std::nullopt, "halomark_x11_tests"}));
    EXPECT_EQ(workspace->operatingSystemMajorVersion(),
              std::stoi(shOutput("uname -r | cut -d. -f1")));
}

} // namespace
} // namespace halomark::x11
