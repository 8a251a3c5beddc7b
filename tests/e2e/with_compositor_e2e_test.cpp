// One run of the program on a compositing desktop, walked as a person uses it: the veil follows
// the active window over the monitor that holds it, with a clear hole at the window, steps aside
// during a drag and covers both monitors for a window across them; a tap of Super alone rings
// the pointer on the right monitor and Super with anything else does not; the tray menu
// switches the highlight off and turns the cue red; Super and a drag draw a rectangle that
// fades while clicks already pass through it, and nothing once the shortcut is switched off;
// Quit ends the program cleanly.
#include "end_to_end_test.h"

#include <algorithm>
#include <set>

namespace halomark::e2e {
namespace {

class WithCompositorTest : public EndToEndTest
{
protected:
    bool monitorVeiled(bool leftMonitor)
    {
        return near(desktopNow(leftMonitor), veiled(bare(leftMonitor)), 6);
    }
    bool monitorClear(bool leftMonitor)
    {
        return near(desktopNow(leftMonitor), bare(leftMonitor), 3);
    }
    Rgb desktopNow(bool leftMonitor)
    {
        return screen->pixel(leftMonitor ? kLeftDesktopSampleX : kRightDesktopSampleX,
                             kDesktopSampleY);
    }

    // Along the middle row of the terminal the veil stops 3 pixels inside the frame on either
    // side (its two outer columns of blue are veiled) and the terminal's blue shows between.
    bool holeAt(BlueTerminal& terminal, std::string* why = nullptr)
    {
        const auto frame = terminal.frame();
        const auto client = terminal.clientArea();
        if (!frame || !client) {
            return false;
        }
        const int y = client->y + client->height / 2;
        const Image row = screen->grab({frame->x + 1, y, frame->width - 2, 1});
        const auto at = [&](int x) { return row.at(x, y); };
        bool hole = near(at(frame->x + 2), veiled(kBlue), 6) &&
                    near(at(frame->right() - 3), veiled(kBlue), 6);
        for (int x = frame->x + 4; x <= frame->right() - 5; ++x) {
            hole = hole && near(at(x), kBlue, 2);
        }
        if (why != nullptr) {
            *why = "frame " + describe(*frame) + ": edges " + describe(at(frame->x + 2)) +
                   describe(at(frame->x + 4)) + describe(at(frame->right() - 5)) +
                   describe(at(frame->right() - 3)) + "; desktop " + describe(desktopNow(true)) +
                   describe(desktopNow(false));
        }
        return hole;
    }
    bool highlightOn(BlueTerminal& terminal, bool onLeftMonitor)
    {
        return holeAt(terminal) && monitorVeiled(onLeftMonitor) && monitorClear(!onLeftMonitor);
    }
    std::string picture(BlueTerminal& terminal)
    {
        std::string why;
        holeAt(terminal, &why);
        return why;
    }

    // The red stroke across the middle of each side of the rectangle from `from` to `to`, the
    // terminal's blue inside and outside.
    bool rectangleDrawn(const PixelRect& area, int fromX, int fromY, int toX, int toY)
    {
        const Image image = screen->grab(area);
        const int midX = (fromX + toX) / 2;
        const int midY = (fromY + toY) / 2;
        const auto redNear = [&](int x, int y, int dx, int dy) {
            return isRedStroke(image.at(x - dx, y - dy)) || isRedStroke(image.at(x, y)) ||
                   isRedStroke(image.at(x + dx, y + dy));
        };
        return image.at(midX, midY) == kBlue && image.at(fromX - 10, midY) == kBlue &&
               redNear(midX, fromY, 0, 1) && redNear(midX, toY, 0, 1) &&
               redNear(fromX, midY, 1, 0) && redNear(toX, midY, 1, 0);
    }

    Rgb bare(bool leftMonitor) const { return leftMonitor ? leftDesktop : rightDesktop; }

    Rgb leftDesktop; // the bare desktop of each monitor before the program runs
    Rgb rightDesktop;
};

TEST_F(WithCompositorTest, HighlightRingMenuAndSelectionFollowWhatAPersonDoes)
{
    ASSERT_NO_FATAL_FAILURE(useCompositor(true));
    BlueTerminal& left = addTerminal("e2e-left", kLeftTerminalX, kTerminalY);
    BlueTerminal& right = addTerminal("e2e-right", kRightTerminalX, kTerminalY);
    ASSERT_TRUE(left.activate());
    leftDesktop = desktopNow(true);
    rightDesktop = desktopNow(false);
    ASSERT_NE(leftDesktop, veiled(leftDesktop)) << "the desktop is white; nothing to see";
    ASSERT_NO_FATAL_FAILURE(launch());

    // One veil, over the left monitor's usable area (the panel along the bottom stays clear).
    ASSERT_TRUE(waitUntil([&] { return highlightOn(left, true); }, 5s)) << picture(left);
    EXPECT_EQ(leftVeils().size(), 1u);
    EXPECT_EQ(overlays().size(), 1u);

    // The hole follows each activation within a fraction of a second.
    std::vector<double> latencies;
    for (BlueTerminal* next : {&right, &left, &right, &left}) {
        xdotool({"windowactivate", std::to_string(next->window())});
        Clock::time_point activated;
        ASSERT_TRUE(waitUntil([&] {
            activated = Clock::now();
            return screen->activeWindow() == next->window();
        }));
        ASSERT_TRUE(waitUntil([&] { return highlightOn(*next, next == &left); })) << picture(*next);
        latencies.push_back(secondsSince(activated));
    }
    std::sort(latencies.begin(), latencies.end());
    EXPECT_LE(latencies[1], 0.15) << "the second fastest move of the hole";
    EXPECT_LE(latencies.back(), 0.5) << "the slowest move of the hole";

    // Dragging the active window by its title bar withdraws the veil until the release.
    const PixelRect before = *left.frame();
    ASSERT_TRUE(movePointer(before.x + 120, before.y + 10));
    ASSERT_TRUE(input.pressButton(1));
    for (int step = 0; step < 10; ++step) {
        xdotool({"mousemove_relative", "--", "20", "12"});
    }
    ASSERT_TRUE(waitUntil([&] { return left.frame() && left.frame()->x > before.x + 100; }))
        << "the window did not follow the drag";
    EXPECT_TRUE(waitUntil([&] { return monitorClear(true) && overlays().empty(); }, 2s))
        << "the veil stayed during the drag: " << picture(left);
    ASSERT_TRUE(input.releaseButton(1));
    ASSERT_TRUE(waitUntil([&] { return highlightOn(left, true); })) << picture(left);
    EXPECT_NE(*left.frame(), before);

    // A window across both monitors veils both, with the hole across the seam.
    const auto moveLeftTerminal = [&](int x) {
        ASSERT_TRUE(right.activate());
        ASSERT_TRUE(waitUntil([&] { return highlightOn(right, false); })) << picture(right);
        ASSERT_TRUE(left.moveTo(x, kTerminalY));
        ASSERT_TRUE(left.activate());
    };
    ASSERT_NO_FATAL_FAILURE(moveLeftTerminal(kLeftMonitor.right() - 180));
    ASSERT_TRUE(waitUntil([&] { return holeAt(left) && monitorVeiled(true); })) << picture(left);
    EXPECT_TRUE(monitorVeiled(false)) << picture(left);
    EXPECT_EQ(overlays().size(), 2u);
    saveArtifact("across-both");

    // A tap of Super alone puts a white ring with a dark outline around the pointer, about
    // 52 pixels at first, that shrinks onto it and goes with its panel.
    ASSERT_NO_FATAL_FAILURE(moveLeftTerminal(kLeftTerminalX));
    ASSERT_TRUE(waitUntil([&] { return highlightOn(left, true); })) << picture(left);
    const int x = left.clientArea()->x + left.clientArea()->width / 2;
    const int y = left.clientArea()->y + left.clientArea()->height / 2;
    ASSERT_TRUE(movePointer(x, y));
    const PixelRect square{x - 66, y - 66, 133, 133};
    const Image unringed = screen->grab(square);
    ASSERT_EQ(measureRing(unringed, x, y, isWhiteStroke).cuePixels, 0);
    ASSERT_NO_FATAL_FAILURE(tapSuper());
    const auto released = Clock::now();
    std::vector<RingMeasure> rings;
    std::optional<double> panelShown;
    std::optional<double> panelGone;
    Image fullest;
    waitUntil(
        [&] {
            const bool panel = !monitorPanels().empty();
            const Image image = screen->grab(square);
            RingMeasure ring = measureRing(image, x, y, isWhiteStroke);
            ring.seconds = secondsSince(released);
            panelShown = panel && !panelShown ? ring.seconds : panelShown;
            panelGone = !panel && panelShown && !panelGone ? ring.seconds : panelGone;
            if (ring.cuePixels >= 40) {
                if (rings.empty() ||
                    ring.cuePixels > measureRing(fullest, x, y, isWhiteStroke).cuePixels) {
                    fullest = image;
                }
                rings.push_back(ring);
            }
            return panelGone && ring.cuePixels == 0;
        },
        3s);
    ASSERT_FALSE(rings.empty()) << "no ring around the pointer";
    EXPECT_LT(rings.front().seconds, 1.0) << "the ring came late";
    double largest = 0;
    for (std::size_t i = 0; i < rings.size(); ++i) {
        EXPECT_NEAR(rings[i].centerX, x, 2) << "at " << rings[i].seconds << " s";
        EXPECT_NEAR(rings[i].centerY, y, 2) << "at " << rings[i].seconds << " s";
        EXPECT_LE(rings[i].radius, (i > 0 ? rings[i - 1].radius : 55.0) + 1.5)
            << "the ring grew at " << rings[i].seconds << " s";
        largest = std::max(largest, rings[i].radius);
    }
    EXPECT_GT(largest, 40) << "the ring was never near its full size";
    EXPECT_LT(rings.back().radius, 0.6 * largest) << "the ring did not shrink";
    const RingMeasure outline = measureRing(fullest, x, y, isDarkOutline);
    EXPECT_GE(outline.cuePixels, 100) << "no dark outline around the white ring";
    EXPECT_NEAR(outline.radius, measureRing(fullest, x, y, isWhiteStroke).radius, 3);
    ASSERT_TRUE(panelShown && panelGone) << "the ring's panel did not come and go";
    EXPECT_GT(*panelGone - *panelShown, 0.6) << "the ring's panel left early";
    EXPECT_LT(*panelGone, 1.6) << "the ring stayed too long after the release";
    EXPECT_EQ(screen->grab(square).differingPixels(unringed), 0);

    // Super with another modifier, a focus-switch key, a letter (a shortcut such as Super+C)
    // or a click is no tap; a plain tap afterwards still rings.
    for (const std::string other : {"Shift_L", "Tab", "grave", "c", "click"}) {
        ASSERT_TRUE(input.pressKey("Super_L"));
        hold(80ms);
        ASSERT_TRUE(other == "click" ? input.pressButton(1) : input.pressKey(other));
        hold(80ms);
        ASSERT_TRUE(other == "click" ? input.releaseButton(1) : input.releaseKey(other));
        hold(80ms);
        ASSERT_TRUE(input.releaseKey("Super_L"));
        EXPECT_FALSE(ringAppears(x, y, isWhiteStroke, 600ms)) << "Super with " << other;
    }
    // The selection panel of the click fades first.
    ASSERT_TRUE(waitUntil([&] { return monitorPanels().empty(); }));
    ASSERT_NO_FATAL_FAILURE(tapSuper());
    EXPECT_TRUE(ringAppears(x, y, isWhiteStroke, 1s)) << "no ring after the other presses";
    ASSERT_TRUE(waitUntil([&] { return monitorPanels().empty(); }));

    // The menu's highlight switch takes the veil away at once and is stored.
    ASSERT_TRUE(choose(MenuEntry::highlight));
    EXPECT_TRUE(waitUntil([&] { return overlays().empty() && monitorClear(false); }, 2s))
        << "the veil stayed";
    EXPECT_EQ(setting("Halomark.focusCueEnabled"), "false");
    // Red is the second colour: a preview ring shows at once where the pointer is.
    EXPECT_EQ(setting("Halomark.colorChoice"), std::nullopt);
    ASSERT_TRUE(choose(MenuEntry::color, 2));
    const auto [px, py] = screen->pointer();
    EXPECT_TRUE(ringAppears(px, py, isRedStroke, 2s)) << "no red preview ring at the pointer";
    EXPECT_EQ(setting("Halomark.colorChoice"), "\"red\"");
    ASSERT_TRUE(waitUntil([&] { return monitorPanels().empty(); }));

    // Super held and a drag on the right terminal draw a red rectangle on a panel over the
    // right monitor; the terminal gets nothing of the drag.
    const auto target = *right.clientArea();
    const int fromX = target.x + 40;
    const int fromY = target.y + 40;
    const int toX = target.x + 280;
    const int toY = target.y + 200;
    const PixelRect area{fromX - 12, fromY - 12, toX - fromX + 25, toY - fromY + 25};
    const Image plain = screen->grab(area);
    const int presses = right.pressesReceived();
    ASSERT_TRUE(movePointer(fromX, fromY));
    ASSERT_TRUE(input.pressKey("Super_L"));
    ASSERT_TRUE(waitUntil([&] { return monitorPanels().size() == 1; }, 2s));
    const TopLevelWindow selectionPanel = monitorPanels().front();
    EXPECT_EQ(selectionPanel.rect, kRightMonitor);
    EXPECT_EQ(screen->grab(area).differingPixels(plain), 0) << "armed, it shows something";
    const auto drag = [&](int steps) {
        ASSERT_TRUE(input.pressButton(1));
        for (int step = 1; step <= steps; ++step) {
            xdotool({"mousemove", std::to_string(fromX + (toX - fromX) * step / steps),
                     std::to_string(fromY + (toY - fromY) * step / steps)});
        }
    };
    ASSERT_NO_FATAL_FAILURE(drag(6));
    ASSERT_TRUE(waitUntil([&] { return rectangleDrawn(area, fromX, fromY, toX, toY); }, 2s));
    saveArtifact("selection");
    EXPECT_EQ(right.pressesReceived(), presses) << "the drag reached the terminal";
    ASSERT_TRUE(input.releaseButton(1));
    ASSERT_TRUE(input.releaseKey("Super_L"));
    const auto dropped = Clock::now();
    EXPECT_TRUE(rectangleDrawn(area, fromX, fromY, toX, toY)) << "the rectangle went at once";

    // It keeps its colour a while, then fades, then its panel goes; a click in it during the
    // fade reaches the terminal; no ring follows the release of Super.
    const int midX = (fromX + toX) / 2;
    ASSERT_TRUE(movePointer(midX, (fromY + toY) / 2));
    std::vector<std::pair<double, int>> reds; // seconds, red channel at the top side
    std::set<xcb_window_t> panels;
    std::optional<bool> shownAtClick;
    ASSERT_TRUE(waitUntil(
        [&] {
            const auto shown = monitorPanels();
            for (const TopLevelWindow& window : shown) {
                panels.insert(window.id);
            }
            const double now = secondsSince(dropped);
            reds.emplace_back(now, screen->pixel(midX, fromY).red);
            if (!shownAtClick && now > 0.6) {
                shownAtClick = !shown.empty();
                xdotool({"click", "1"});
            }
            return shownAtClick && shown.empty();
        },
        4s));
    const double gone = secondsSince(dropped);
    EXPECT_EQ(panels, std::set<xcb_window_t>{selectionPanel.id});
    EXPECT_GT(gone, 1.1) << "the rectangle should wait 0.45 s and fade over 0.85 s";
    EXPECT_LT(gone, 2.2);
    EXPECT_TRUE(std::any_of(reds.begin(), reds.end(), [](auto& r) {
        return r.first > 0.2 && r.first < 0.4 && r.second > 200;
    })) << "the rectangle faded before 0.45 s";
    EXPECT_TRUE(std::any_of(reds.begin(), reds.end(), [](auto& r) {
        return r.first > 0.5 && r.second > 40 && r.second < 180;
    })) << "the rectangle vanished without fading";
    EXPECT_TRUE(shownAtClick.value_or(false)) << "the fade was over before the click";
    EXPECT_TRUE(waitUntil([&] { return right.pressesReceived() == presses + 1; }, 2s))
        << "the click did not reach the terminal below the fading rectangle";
    EXPECT_EQ(screen->grab(area).differingPixels(plain), 0);

    // With the shortcut switched off (the fourth entry) the same drag shows nothing and
    // reaches the terminal.
    ASSERT_TRUE(choose(MenuEntry::rangeSelection, 4));
    EXPECT_EQ(setting("Halomark.rangeSelectionShortcut"), "\"disabled\"");
    ASSERT_TRUE(movePointer(fromX, fromY));
    ASSERT_TRUE(input.pressKey("Super_L"));
    hold(80ms);
    ASSERT_NO_FATAL_FAILURE(drag(6));
    ASSERT_TRUE(input.releaseButton(1));
    ASSERT_TRUE(input.releaseKey("Super_L"));
    bool shown = false;
    waitUntil(
        [&] {
            shown =
                shown || !monitorPanels().empty() || screen->grab(area).differingPixels(plain) != 0;
            return false;
        },
        600ms);
    EXPECT_FALSE(shown) << "a disabled shortcut drew something";
    EXPECT_EQ(right.pressesReceived(), presses + 2) << "the press did not reach the terminal";

    ASSERT_TRUE(choose(MenuEntry::quit));
    expectCleanExit("Quit");
}

} // namespace
} // namespace halomark::e2e
