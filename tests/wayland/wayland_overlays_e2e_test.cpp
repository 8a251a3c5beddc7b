// The halomark program on the private headless sway of scripts/sway-desktop.sh, watched through
// grim screenshots: the veil with its hole at the focused terminal, a click through the veil
// reaching the terminal below it, the hole following the focus to the other output, the ring
// above the veil around the pointer after a lone Super tap bound in sway to `halomark locate`,
// nothing of the program in sway's tree, and a quit that leaves the screen as it was.
#include "sway_desktop.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

using sway_desktop::asDesktopUser;
using sway_desktop::desktopEnvironment;
using sway_desktop::stateFolder;

struct Screenshot
{
    int width = 0;
    int height = 0;
    std::string pixels; // RGB

    // A pixel's red, green and blue; black outside the picture (or without one).
    std::array<int, 3> rgb(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= width || y >= height) {
            return {0, 0, 0};
        }
        const auto* p = reinterpret_cast<const unsigned char*>(pixels.data()) +
                        (static_cast<std::size_t>(y) * width + x) * 3;
        return {p[0], p[1], p[2]};
    }
    // The brightness (mean of the channels) of a pixel.
    int at(int x, int y) const
    {
        const auto [r, g, b] = rgb(x, y);
        return (r + g + b) / 3;
    }
    // The strongly red pixels within 66 pixels of a point: a red ring's, whatever its radius
    // as it shrinks.
    int redRingPixels(int cx, int cy) const
    {
        int count = 0;
        for (int y = cy - 66; y <= cy + 66; ++y) {
            for (int x = cx - 66; x <= cx + 66; ++x) {
                const auto [r, g, b] = rgb(x, y);
                const int d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
                count += d2 <= 66 * 66 && r > 180 && g < 90 && b < 90 ? 1 : 0;
            }
        }
        return count;
    }
};

// The whole layout, or the region given as grim takes it ("X,Y WxH"), which is quicker.
Screenshot screenshot(const std::string& region = "")
{
    const std::string file = stateFolder() + "/home/e2e-screen.ppm";
    std::filesystem::remove(file);
    asDesktopUser("grim -t ppm " + (region.empty() ? "" : "-g '" + region + "' ") + "'" + file +
                  "'");
    std::ifstream in(file, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    Screenshot shot;
    in >> magic >> shot.width >> shot.height >> maxValue;
    in.get();
    shot.pixels.assign(std::istreambuf_iterator<char>(in), {});
    if (magic != "P6" || shot.pixels.size() != static_cast<std::size_t>(shot.width) *
                                                   static_cast<std::size_t>(shot.height) * 3) {
        shot = {};
    }
    return shot;
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 5s)
{
    for (const auto end = std::chrono::steady_clock::now() + timeout;
         std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(50ms)) {
        if (condition()) {
            return true;
        }
    }
    return condition();
}

// The two terminals float side by side on the left output (A at 100,100 and B at 700,100,
// 500 by 400 each), until A goes to the right output (at 1500,100). Sample points: their
// middles, and bare desktop on each output.
constexpr int kMiddleY = 320;
constexpr int kA = 350;
constexpr int kB = 950;
constexpr int kAOnRight = 1750;
constexpr int kDesktopY = 650;
constexpr int kLeftDesktop = 1000;
constexpr int kRightDesktop = 2300;

TEST(WaylandOverlays, VeilFollowsFocusAndClicksPassRingShowsOnTapQuitLeavesNothing)
{
    const auto env = desktopEnvironment();
    ASSERT_FALSE(env.empty()) << "the sway desktop is not running";
    const std::string program = HALOMARK_PROGRAM;
    const std::string a = "[con_id=" + env.at("HALOMARK_FOOT_LEFT") + "] ";
    const std::string b = "[con_id=" + env.at("HALOMARK_FOOT_RIGHT") + "] ";
    asDesktopUser("swaymsg '" + a +
                  "floating enable, resize set 500 400, move absolute position "
                  "100 100' && swaymsg '" +
                  b +
                  "move container to workspace 1, floating enable, "
                  "resize set 500 400, move absolute position 700 100' && swaymsg '" +
                  a + "focus'");
    const Screenshot before = screenshot();
    ASSERT_EQ(before.width, 2560);
    // Whether a pixel is as it was (or as another of the same row was), or lifted by a 50%
    // white veil by about half the way to white.
    const auto clear = [&](const Screenshot& now, int x, int y, int beforeX = -1) {
        return now.at(x, y) == before.at(beforeX < 0 ? x : beforeX, y);
    };
    const auto veiled = [&](const Screenshot& now, int x, int y) {
        return now.at(x, y) > before.at(x, y) + (255 - before.at(x, y)) / 3;
    };

    const std::string config = stateFolder() + "/home/e2e-config";
    const std::string pid = asDesktopUser("rm -rf '" + config + "'; mkdir -p '" + config +
                                          "/halomark' && echo "
                                          "'{\"Halomark.colorChoice\": \"red\"}' >'" +
                                          config +
                                          "/halomark/settings.json' && "
                                          "XDG_CONFIG_HOME='" +
                                          config + "' '" + program + "' >'" + stateFolder() +
                                          "/home/e2e-halomark.log' 2>&1 & echo $!");
    ASSERT_FALSE(pid.empty());
    ASSERT_TRUE(waitUntil(
        [&] { return asDesktopUser("'" + program + "' status >/dev/null && echo up") == "up"; },
        10s))
        << "the program did not start";

    // The tray icon is registered with the bar's tray.
    const std::string trayItems =
        "dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher "
        "/StatusNotifierWatcher org.freedesktop.DBus.Properties.Get "
        "string:org.kde.StatusNotifierWatcher string:RegisteredStatusNotifierItems";
    EXPECT_TRUE(waitUntil([&] {
        return asDesktopUser(trayItems).find("/StatusNotifierItem") != std::string::npos;
    })) << "no tray icon";

    // The veil on the left output with its hole at A; B veiled, the right output bare.
    EXPECT_TRUE(waitUntil([&] {
        const Screenshot shot = screenshot();
        return clear(shot, kA, kMiddleY) && veiled(shot, kB, kMiddleY) &&
               veiled(shot, kLeftDesktop, kDesktopY) && clear(shot, kRightDesktop, kDesktopY);
    })) << "no veil with its hole at A";

    // A click on B through the veil (below the sample point, which the pointer would hide)
    // reaches B: sway focuses it and the hole moves there.
    asDesktopUser("swaymsg 'seat seat0 cursor set " + std::to_string(kB) + " " +
                  std::to_string(kMiddleY + 100) +
                  "' && swaymsg 'seat seat0 cursor press button1' "
                  "&& swaymsg 'seat seat0 cursor release button1'");
    EXPECT_TRUE(waitUntil([&] {
        const Screenshot shot = screenshot();
        return clear(shot, kB, kMiddleY) && veiled(shot, kA, kMiddleY);
    })) << "the click did not reach B through the veil";

    // A gets the focus back, then moves to the right output while focused: no button release
    // can be seen here, so the veil follows it there once it holds still.
    asDesktopUser("swaymsg '" + a + "focus'");
    EXPECT_TRUE(waitUntil([&] {
        const Screenshot shot = screenshot();
        return clear(shot, kA, kMiddleY) && veiled(shot, kB, kMiddleY);
    })) << "the hole did not come back to A";
    asDesktopUser("swaymsg '" + a + "move absolute position 1500 100'");
    EXPECT_TRUE(waitUntil([&] {
        const Screenshot shot = screenshot();
        return clear(shot, kAOnRight, kMiddleY, kA) && veiled(shot, kRightDesktop, kDesktopY) &&
               clear(shot, kB, kMiddleY) && clear(shot, kLeftDesktop, kDesktopY);
    })) << "the veil did not follow A to the right output";

    // The ring, red: a lone Super tap runs the binding, which asks the program to locate. Above
    // the white veil its stroke stays red; beneath it, it would show pink.
    asDesktopUser("swaymsg \"bindsym --release Super_L exec '" + program +
                  "' locate\" && swaymsg 'seat seat0 cursor set 2000 600' && wtype -k Super_L");
    EXPECT_TRUE(
        waitUntil([&] { return screenshot("1934,534 133x133").redRingPixels(66, 66) > 50; }, 4s))
        << "no red ring around the pointer after the tap";

    // Layer surfaces are no windows: nothing of the program is in the tree.
    const std::string tree = asDesktopUser("swaymsg -t get_tree");
    EXPECT_NE(tree.find("halomark-left"), std::string::npos);
    EXPECT_EQ(tree.find("\"pid\": " + pid + ","), std::string::npos);

    // Quitting removes every overlay.
    asDesktopUser("'" + program + "' quit");
    EXPECT_TRUE(waitUntil([&] { return !std::filesystem::exists("/proc/" + pid); }));
    EXPECT_TRUE(waitUntil([&] {
        const Screenshot shot = screenshot();
        return clear(shot, kRightDesktop, kDesktopY) && shot.redRingPixels(2000, 600) == 0;
    })) << "an overlay stayed after the program quit";
    EXPECT_EQ(asDesktopUser(trayItems).find("/StatusNotifierItem"), std::string::npos);

    // The terminals go back to their workspaces, tiled, for the tests that follow.
    asDesktopUser("swaymsg '" + a +
                  "floating disable, move container to workspace 1' && "
                  "swaymsg '" +
                  b +
                  "floating disable, move container to workspace 2' && "
                  "swaymsg 'unbindsym --release Super_L' ; swaymsg '" +
                  a + "focus'");
}

} // namespace
