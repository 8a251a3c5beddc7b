// The input state on the real server: X keys, modifiers and buttons as the core's key codes,
// flags and button numbers, on other layouts, with the Windows keys' options and remapped.
// The polling round: one round trip per pass of a monitor for everything the pass asks of the
// server, and a window reader that keeps only what stays true, answers for a turn of the loop
// and owners while their window is listed.
#include "adapters.h"
#include "focus/focus_cue_monitor.h"

#include <gtest/gtest.h>

namespace halomark::x11 {
namespace {

using namespace testing;
namespace f = event_flags;
namespace d = window_details;

// The keys down in the order of translatedKeyCodes (right and left Command, Tab, grave, left
// bracket, left and right Control, left and right Option), the flags, whether another key is down,
// and the buttons 0 to 3 down.
using Held = std::tuple<std::string, EventFlags, bool, std::string>;
const Held nothing{"000000000", 0, false, "0000"};

class XcbInputStateTest : public AdaptersTest
{
protected:
    void SetUp() override
    {
        AdaptersTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        // Over the left xterm, where clicks open no menu of the window manager.
        ASSERT_TRUE(sh("xdotool mousemove 300 250"));
        ASSERT_TRUE(waitUntil([&] {
            return held() == nothing && input->mouseLocation() == Point{300, 550};
        }));
    }

    Held held()
    {
        std::string keys;
        for (KeyCode code : translatedKeyCodes) {
            keys += input->keyState(code) ? '1' : '0';
        }
        std::string buttons;
        for (MouseButton button = 0; button < 4; ++button) {
            buttons += input->buttonState(button) ? '1' : '0';
        }
        return {keys, input->flagsState(), input->isNonModifierKeyDown(), buttons};
    }

    HeldInput pressed;
};

TEST_F(XcbInputStateTest, KeysModifiersAndButtonsAnswerAsTheCoreNamesThemOnEveryKeyboard)
{
    // Each change of the keyboard comes as MappingNotify; the desktop's layout comes back at
    // the end.
    std::string layout = shOutput("setxkbmap -query | sed -n 's/^layout: *//p'");
    layout.erase(layout.find_last_not_of(" \n") + 1);
    const auto restore = atEnd([&] { sh("setxkbmap -option '' " + layout); });
    // The keyboard (setxkbmap's arguments, then any other command), the keys (by name or
    // keycode) or buttons pressed together, and what they give.
    using Case = std::tuple<std::string, std::vector<std::string>, Held>;
    std::string keyboard;
    for (const auto& [setting, presses, expected] : std::vector<Case>{
             {"us", {"134"}, {"100000000", f::command, false, "0000"}}, // Super_R (and Super_L)
             {"us", {"Super_L"}, {"010000000", f::command, false, "0000"}},
             {"us", {"Tab"}, {"001000000", 0, true, "0000"}},
             {"us", {"grave"}, {"000100000", 0, true, "0000"}},
             {"us", {"bracketleft"}, {"000010000", 0, true, "0000"}},
             {"us", {"c"}, {"000000000", 0, true, "0000"}}, // another key, none the core names
             {"us", {"Shift_L"}, {"000000000", f::shift, false, "0000"}},
             {"us", {"Control_L"}, {"000001000", f::control, false, "0000"}},
             {"us", {"105"}, {"000000100", f::control, false, "0000"}}, // Control_R
             {"us", {"Alt_L"}, {"000000010", f::option, false, "0000"}},
             {"us", {"108"}, {"000000001", f::option, false, "0000"}}, // Alt_R
             {"us",
              {"button 1"},
              {"000000000", 0, false, "1000"}}, // left, right, centre: X 1, 3, 2
             {"us", {"button 3"}, {"000000000", 0, false, "0100"}},
             {"us", {"button 2"}, {"000000000", 0, false, "0010"}},
             // The keys left of 1 and right of P type a dead key and a letter here, yet are the
             // focus-switch keys; AltGr is the right Option key and spoils a Super tap.
             {"de", {"49"}, {"000100000", 0, true, "0000"}},
             {"de", {"34"}, {"000010000", 0, true, "0000"}},
             {"fr", {"34"}, {"000010000", 0, true, "0000"}},
             {"fr", {"133", "108"}, {"010000001", f::command | f::option, false, "0000"}},
             // A Windows key that types Meta or Hyper is a Command key; one typing Alt is not,
             // and then no key gives Command.
             {"-option altwin:meta_win us", {"133"}, {"010000000", f::command, false, "0000"}},
             {"-option altwin:hyper_win us", {"134"}, {"100000000", f::command, false, "0000"}},
             {"-option altwin:alt_win us", {"133"}, {"000000010", f::option, false, "0000"}},
             // Super_L moved from keycode 133 to Menu (135), as a remapping tool does.
             {"us && xmodmap -e 'keycode 133 = Menu' -e 'keycode 135 = Super_L'",
              {"135"},
              {"010000000", f::command, false, "0000"}},
         }) {
        if (setting != keyboard) {
            ASSERT_TRUE(sh("setxkbmap -option '' " + setting)) << setting;
            keyboard = setting;
        }
        for (const std::string& press : presses) {
            ASSERT_TRUE(press.starts_with("button") ? pressed.pressButton(press.back() - '0')
                                                    : pressed.pressKey(press));
        }
        EXPECT_TRUE(waitUntil([&] { return held() == expected; }))
            << setting << " " << presses.back() << ": " << ::testing::PrintToString(held());
        EXPECT_EQ(input->keyboardProblem().has_value(), setting.ends_with("alt_win us"));
        pressed.releaseAll();
        ASSERT_TRUE(waitUntil([&] { return held() == nothing; })) << presses.back();
    }
}

TEST_F(AdaptersTest, EachPassReadsTheServerOnceAndTheReaderKeepsOnlyWhatStaysTrue)
{
    // The focus monitor's pass reads the input, the active window and the stacking in one
    // round trip; on a desktop where nothing changes a resolving pass costs no more, the
    // listed windows' facts (owner and frame of the focused one among them) being kept.
    SpawnedXterm xterm(*connection, "halomark-round", 200, 150);
    ASSERT_TRUE(xterm.window() && activate(xterm.window()));
    const ResolverPorts ports{*workspace, *windowServer, *accessibility, *screens};
    auto monitor = std::make_shared<FocusCueMonitor>(loop, *input, ports);
    std::optional<WindowNumber> reported;
    monitor->onFocusCue = [&](const FocusCueEvent& event) { reported = event.target.windowNumber; };
    monitor->start();
    ASSERT_TRUE(DesktopTest::waitUntil([&] {
        loop.advance(FocusCueMonitor::pollInterval);
        return reported == xterm.window();
    }));
    // Snapshots of the input, rounds, and the reader's round trips of its own.
    const auto trips = [&] {
        return std::array{input->snapshotCount(), round->roundCount(), reader->roundTripCount()};
    };
    const auto atStart = trips();
    for (int quarter = 0; quarter < 40 && trips()[0] - atStart[0] < 3; ++quarter) {
        loop.advance(FocusCueMonitor::pollInterval / 4);
    }
    EXPECT_EQ(trips(), (std::array{atStart[0] + 3, atStart[1] + 3, atStart[2]}));
    monitor->stop();

    // The program's round: answers left by a turn that never ends live no longer than 15 ms.
    XcbPollingRound programRound(*connection, loop);
    XcbInputState shortLived(programRound, *screens);
    shortLived.keyState(key_codes::tab);
    shortLived.keyState(key_codes::grave);
    EXPECT_EQ(shortLived.snapshotCount(), 1);
    hold(20ms);
    shortLived.keyState(key_codes::tab);
    EXPECT_EQ(shortLived.snapshotCount(), 2);

    // In one turn a window is read once, whatever is asked again; how kept facts follow
    // changes across turns is the window tests' scenario.
    const auto window = managedWindow({.x = 400, .y = 300, .pid = 40041});
    const xcb_window_t id = window->id();
    ASSERT_TRUE(waitUntil([&] { return reader->read(id, d::all).has_value(); }));
    loop.runDue();
    const auto first = reader->read(id, d::all);
    const auto read = trips();
    ASSERT_TRUE(sh("xdotool windowmove --sync " + std::to_string(id) + " 600 350"));
    EXPECT_EQ(reader->read(id, d::frame | d::owner), first);
    EXPECT_EQ(trips(), read);
}

} // namespace
} // namespace halomark::x11
