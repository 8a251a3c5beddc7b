// One run of the program on a compositing desktop, walked as a person uses it: the veil follows
// the active window over the monitor that holds it, with a clear hole at the window, and covers
// both monitors for a window across them (the demo's check sees it step aside during a drag); a
// tap of Super alone rings the pointer; the tray menu switches the highlight off and turns the
// cue red; Super and a drag draw a rectangle that fades while clicks already pass through it;
// Quit ends the program cleanly.
#include "end_to_end_test.h"

#include <algorithm>
#include <set>

namespace halomark::e2e {
namespace {

class WithCompositorTest : public EndToEndTest
{
protected:
    Rgb desktopNow(bool left)
    {
        return screen->pixel(left ? kLeftDesktopSampleX : kRightDesktopSampleX, kDesktopSampleY);
    }
    bool monitorVeiled(bool left) { return near(desktopNow(left), veiled(bare[left]), 6); }
    bool monitorClear(bool left) { return near(desktopNow(left), bare[left], 3); }

    // Along the middle row of the terminal the veil stops 3 pixels inside the frame on either
    // side (its two outer columns of blue are veiled) and the terminal's blue shows between.
    bool holeAt(BlueTerminal& terminal)
    {
        const auto frame = terminal.frame();
        const auto client = terminal.clientArea();
        if (!frame || !client) {
            return false;
        }
        const int y = client->y + client->height / 2;
        const Image row = screen->grab({frame->x + 1, y, frame->width - 2, 1});
        bool hole = near(row.at(frame->x + 2, y), veiled(kBlue), 6) &&
                    near(row.at(frame->right() - 3, y), veiled(kBlue), 6);
        for (int x = frame->x + 4; x <= frame->right() - 5; ++x) {
            hole = hole && near(row.at(x, y), kBlue, 2);
        }
        return hole;
    }
    bool highlightOn(BlueTerminal& terminal, bool onLeftMonitor)
    {
        return holeAt(terminal) && monitorVeiled(onLeftMonitor) && monitorClear(!onLeftMonitor);
    }
    std::string picture(BlueTerminal& terminal)
    {
        const auto frame = terminal.frame();
        return "frame " + (frame ? describe(*frame) : "none") + "; desktop " +
               describe(desktopNow(true)) + describe(desktopNow(false));
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

    Rgb bare[2]; // the bare desktop of the right and the left monitor before the program runs
};

TEST_F(WithCompositorTest, HighlightRingMenuAndSelectionFollowWhatAPersonDoes)
{
    ASSERT_NO_FATAL_FAILURE(useCompositor(true));
    BlueTerminal& left = addTerminal("e2e-left", kLeftTerminalX, kTerminalY);
    BlueTerminal& right = addTerminal("e2e-right", kRightTerminalX, kTerminalY);
    ASSERT_TRUE(left.activate());
    bare[1] = desktopNow(true);
    bare[0] = desktopNow(false);
    ASSERT_NE(bare[1], veiled(bare[1])) << "the desktop is white; nothing to see";
    ASSERT_NO_FATAL_FAILURE(launch());

    // One veil, over the left monitor's usable area (the panel along the bottom stays clear).
    ASSERT_TRUE(waitUntil([&] { return highlightOn(left, true); }, 5s)) << picture(left);
    EXPECT_TRUE(leftVeils().size() == 1 && overlays().size() == 1);

    // The hole follows each activation within a fraction of a second.
    double slowest = 0;
    for (BlueTerminal* next : {&right, &left, &right, &left}) {
        xdotool({"windowactivate", std::to_string(next->window())});
        Clock::time_point activated;
        ASSERT_TRUE(waitUntil([&] {
            activated = Clock::now();
            return cardinals(screen->xcb(), screen->xcb().root(), "_NET_ACTIVE_WINDOW") ==
                   std::vector<std::uint32_t>{next->window()};
        }));
        ASSERT_TRUE(waitUntil([&] { return highlightOn(*next, next == &left); })) << picture(*next);
        slowest = std::max(slowest, secondsSince(activated));
    }
    EXPECT_LE(slowest, 0.5) << "the slowest move of the hole";

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

    // A tap of Super alone puts a white ring with a dark outline around the pointer, about
    // 52 pixels at first, that shrinks onto it and goes with its panel.
    ASSERT_NO_FATAL_FAILURE(moveLeftTerminal(kLeftTerminalX));
    ASSERT_TRUE(waitUntil([&] { return highlightOn(left, true); })) << picture(left);
    const PixelRect client = *left.clientArea();
    const int x = client.x + client.width / 2, y = client.y + client.height / 2;
    ASSERT_TRUE(movePointer(x, y));
    const PixelRect square{x - 66, y - 66, 133, 133};
    const Image unringed = screen->grab(square);
    ASSERT_EQ(measureRing(unringed, x, y, isWhiteStroke).cuePixels, 0);
    // While Super is down the selection's capture panel covers the monitor; it goes as the
    // ring's panel comes, so the ring's panel is told apart from it by its window.
    ASSERT_TRUE(input.pressKey("Super_L"));
    ASSERT_TRUE(waitUntil([&] { return monitorPanels().size() == 1; }, 2s));
    const xcb_window_t capturePanel = monitorPanels().front().id;
    hold(80ms);
    ASSERT_TRUE(input.releaseKey("Super_L"));
    const auto released = Clock::now();
    std::vector<RingMeasure> rings;
    std::optional<double> panelShown, panelGone;
    Image fullest;
    waitUntil(
        [&] {
            const auto shown = monitorPanels();
            const bool panel = std::any_of(shown.begin(), shown.end(), [&](const auto& window) {
                return window.id != capturePanel;
            });
            const Image image = screen->grab(square);
            RingMeasure ring = measureRing(image, x, y, isWhiteStroke);
            ring.seconds = secondsSince(released);
            panelShown = panel && !panelShown ? ring.seconds : panelShown;
            panelGone = !panel && panelShown && !panelGone ? ring.seconds : panelGone;
            if (ring.cuePixels >= 40) {
                const bool fuller =
                    ring.cuePixels > measureRing(fullest, x, y, isWhiteStroke).cuePixels;
                fullest = fuller ? image : fullest;
                rings.push_back(ring);
            }
            return panelGone && ring.cuePixels == 0;
        },
        3s);
    ASSERT_FALSE(rings.empty()) << "no ring around the pointer; its panel showed at "
                                << panelShown.value_or(-1) << " s, went at "
                                << panelGone.value_or(-1) << " s";
    EXPECT_LT(rings.front().seconds, 1.0) << "the ring came late";
    double largest = 0;
    for (std::size_t i = 0; i < rings.size(); ++i) {
        EXPECT_TRUE(std::abs(rings[i].centerX - x) <= 2 && std::abs(rings[i].centerY - y) <= 2)
            << "off centre at " << rings[i].seconds << " s";
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
    const int fromX = target.x + 40, fromY = target.y + 40, toX = fromX + 240, toY = fromY + 160;
    const PixelRect area{fromX - 12, fromY - 12, toX - fromX + 25, toY - fromY + 25};
    const Image plain = screen->grab(area);
    const int presses = right.pressesReceived();
    ASSERT_TRUE(movePointer(fromX, fromY));
    ASSERT_TRUE(input.pressKey("Super_L"));
    ASSERT_TRUE(waitUntil([&] { return monitorPanels().size() == 1; }, 2s));
    const TopLevelWindow selectionPanel = monitorPanels().front();
    EXPECT_EQ(selectionPanel.rect, kRightMonitor);
    EXPECT_EQ(screen->grab(area).differingPixels(plain), 0) << "armed, it shows something";
    ASSERT_NO_FATAL_FAILURE(dragTo(toX, toY));
    ASSERT_TRUE(waitUntil([&] { return rectangleDrawn(area, fromX, fromY, toX, toY); }, 2s));
    EXPECT_EQ(right.pressesReceived(), presses) << "the drag reached the terminal";
    ASSERT_TRUE(input.releaseButton(1));
    ASSERT_TRUE(input.releaseKey("Super_L"));
    const auto dropped = Clock::now();
    EXPECT_TRUE(rectangleDrawn(area, fromX, fromY, toX, toY)) << "the rectangle went at once";

    // It keeps its colour a while, then fades, then its panel goes; a click in it during the
    // fade reaches the terminal; no ring follows the release of Super.
    const int midX = (fromX + toX) / 2;
    ASSERT_TRUE(movePointer(midX, (fromY + toY) / 2));
    bool heldItsColour = false, faded = false; // by the red channel at the top side
    std::set<xcb_window_t> panels;
    std::optional<bool> shownAtClick;
    ASSERT_TRUE(waitUntil(
        [&] {
            const auto shown = monitorPanels();
            for (const TopLevelWindow& window : shown) {
                panels.insert(window.id);
            }
            const double now = secondsSince(dropped);
            const int red = screen->pixel(midX, fromY).red;
            heldItsColour = heldItsColour || (now > 0.2 && now < 0.4 && red > 200);
            faded = faded || (now > 0.5 && red > 40 && red < 180);
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
    EXPECT_TRUE(heldItsColour) << "the rectangle faded before 0.45 s";
    EXPECT_TRUE(faded) << "the rectangle vanished without fading";
    EXPECT_TRUE(shownAtClick.value_or(false)) << "the fade was over before the click";
    EXPECT_TRUE(waitUntil([&] { return right.pressesReceived() == presses + 1; }, 2s))
        << "the click did not reach the terminal below the fading rectangle";
    EXPECT_EQ(screen->grab(area).differingPixels(plain), 0);

    ASSERT_TRUE(choose(MenuEntry::quit));
    expectCleanExit("Quit");
}

} // namespace
} // namespace halomark::e2e
