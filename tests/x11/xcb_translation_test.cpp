// What the adapters make of what the system tells them, without asking it again: usable areas
// from struts, keycodes from the keyboard mapping, records from the facts of a window,
// applications from desktop entries and processes from /proc.
#include "x11/xcb_keyboard_map.h"
#include "x11/xcb_struts.h"
#include "x11/xcb_window_reader.h"
#include "xdg/desktop_applications.h"
#include "xdg/processes.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <thread>

namespace halomark::x11 {
namespace {

using Values = std::vector<std::uint32_t>;
namespace fs = std::filesystem;

TEST(XcbStruts, EachPanelReservesOnlyOnTheMonitorsItLiesOn)
{
    // 1280x800 on the left, 1920x1080 on the right: the root is 3200x1080 and the left
    // monitor does not reach its bottom. Struts of 4 values are _NET_WM_STRUT (whole edges),
    // of 12 _NET_WM_STRUT_PARTIAL, where a range of 0 to 0 is the whole edge too.
    const PixelRect left{0, 0, 1280, 800};
    const PixelRect right{1280, 0, 1920, 1080};
    const Values bottomLeft{0, 0, 0, 280 + 30, 0, 0, 0, 0, 0, 0, 0, 1279};
    // At the left edge of the right monitor: measured from the root's left edge it reserves
    // all of the left monitor too, but does not lie on it.
    const Values inner{1280 + 40, 0, 0, 0, 0, 1079, 0, 0, 0, 0, 0, 0};
    const Values rangeFromZero{0, 0, 24, 0, 0, 0, 0, 0, 0, 99, 0, 0};
    const Values topOfRight{0, 0, 24, 0, 0, 0, 0, 0, 1280, 3199, 0, 0};
    // The panels' struts, the monitor, its usable area.
    using Case = std::tuple<std::vector<Values>, PixelRect, PixelRect>;
    for (const auto& [values, monitor, usable] : std::vector<Case>{
             {{bottomLeft}, left, {0, 0, 1280, 770}},
             {{bottomLeft}, right, right},
             {{bottomLeft, topOfRight}, right, {1280, 24, 1920, 1056}},
             {{inner}, left, left},
             {{inner}, right, {1320, 0, 1880, 1080}},
             {{{0, 64, 0, 0, 0, 0, 100, 900, 0, 0, 0, 0}}, right, {1280, 0, 1856, 1080}},
             // Of panels on one edge the thickest wins; an empty range reserves nothing.
             {{{0, 0, 0, 40, 0, 0, 0, 0, 0, 0, 1280, 3199},
               {0, 0, 0, 60, 0, 0, 0, 0, 0, 0, 2000, 2100},
               {0, 0, 0, 30, 0, 0, 0, 0, 0, 0, 500, 100}},
              right,
              {1280, 0, 1920, 1020}},
             {{{0, 0, 24, 0}}, left, {0, 24, 1280, 776}},
             {{{0, 0, 24, 0, 0, 0, 0, 0, 0, 0, 0, 0}}, right, {1280, 24, 1920, 1056}},
             {{rangeFromZero}, right, right},
             {{rangeFromZero}, left, {0, 24, 1280, 776}},
         }) {
        std::vector<Strut> struts;
        for (const Values& v : values) {
            struts.push_back(
                (v.size() == 4 ? strutFromFull(v, 3200, 1080) : strutFromPartial(v, 3200, 1080))
                    .value());
        }
        EXPECT_EQ(usableArea(monitor, struts, 3200, 1080), usable)
            << ::testing::PrintToString(values) << " on the monitor at " << monitor.x;
    }
    EXPECT_FALSE(strutFromPartial(Values(11, 0), 3200, 1080));
    EXPECT_FALSE(strutFromFull(Values(3, 0), 3200, 1080));
}

TEST(XcbKeyboardMap, KeysAreFoundByKeysymOrPositionAndModifiersByMappingOrKeysym)
{
    // Two keysyms per keycode from keycode 8 on, by keycode: Meta on the left Windows key, AltGr
    // on the right Alt key, nothing on the grave and left bracket keys.
    std::vector<xcb_keysym_t> keysyms(248 * 2, 0);
    for (const auto& [keycode, first, second] : std::vector<std::tuple<int, int, int>>{
             {133, 0xffe7, 0},     // Meta_L on the left Windows key
             {134, 0xffec, 0},     // Super_R
             {64, 0xffe9, 0xffe7}, // Alt_L, Meta_L: an Alt key
             {204, 0xffe7, 0},     // Meta_L first, but bound to Mod1 below: an Alt key too
             {206, 0, 0xffeb},     // Super_L on a shifted level only: no key of its own
             {108, 0xfe03, 0},     // AltGr: right Option and a level shift
             {23, 0xff09, 0xfe20}, // Tab, ISO_Left_Tab
             {35, 0x5b, 0},        // a left bracket elsewhere is not the key
             {50, 0xffe1, 0},      // Shift_L
             {100, 0x61, 0}}) {    // a letter, but bound to a modifier below
        keysyms[(keycode - 8) * 2] = first;
        keysyms[(keycode - 8) * 2 + 1] = second;
    }
    const std::vector<xcb_keycode_t> modifierMapping{0, 0, 100, 204, 0, 0, 0, 0};
    const XcbKeyboardMap map(8, 2, keysyms, modifierMapping);
    namespace k = key_codes;
    EXPECT_EQ(map.keycodesFor(k::leftCommand), KeycodeSet().set(133));
    EXPECT_EQ(map.keycodesFor(k::rightCommand), KeycodeSet().set(134));
    EXPECT_EQ(map.keycodesFor(k::rightOption), KeycodeSet().set(108));
    EXPECT_EQ(map.levelShiftKeycodes(), KeycodeSet().set(108));
    EXPECT_EQ(map.keycodesFor(k::tab), KeycodeSet().set(23));
    EXPECT_EQ(map.keycodesFor(k::grave), KeycodeSet().set(49)); // found by position
    EXPECT_EQ(map.keycodesFor(k::leftBracket), KeycodeSet().set(34));
    EXPECT_EQ(map.keycodesFor(8), KeycodeSet()); // the C key has no translation
    EXPECT_EQ(map.commandKeycodes(), KeycodeSet().set(133).set(134));
    EXPECT_EQ(map.modifierKeycodes(),
              KeycodeSet().set(50).set(64).set(100).set(108).set(133).set(134).set(204).set(206));
}

TEST(XcbWindowReader, RecordsAreInPointsWithoutWhatTheWindowDoesNotSay)
{
    // A primary monitor away from the root's origin, at 2 pixels a point.
    const XcbCoordinates space{PixelRect{200, 50, 1280, 800}, 2.0};
    EXPECT_EQ(space.toPoints(200, 50), (Point{0, 400}));
    EXPECT_EQ(space.toPoints(PixelRect{0, 100, 200, 400}), (Rect{-100, 175, 100, 200}));
    // No owner, no opacity, a class without its second string.
    XcbWindowFacts facts;
    facts.frame = PixelRect{1380, 100, 486, 341};
    facts.windowClass = parseWindowClass(std::string_view("tool", 5));
    const WindowRecord record = windowRecord(facts, false, space);
    EXPECT_EQ(record.bounds, RecordValue{(RecordBounds{590, 25, 243, 170.5})});
    EXPECT_FALSE(record.ownerPID || record.alpha);
    EXPECT_EQ(record.ownerName, RecordValue{std::string("tool")});
    EXPECT_EQ(record.isOnscreen, RecordValue{RecordNumber{std::int64_t{0}}});

    // Window managers may keep minimised windows and those of other desktops mapped.
    using Desktop = std::optional<std::uint32_t>;
    for (const auto& [viewable, hidden, desktop, current, onscreen] :
         std::vector<std::tuple<bool, bool, Desktop, Desktop, bool>>{
             {true, false, {}, 0, true},
             {true, false, 1, {}, true},
             {true, true, {}, 0, false},
             {false, false, {}, 0, false},
             {true, false, 1, 0, false},
             {true, false, 1, 1, true},
             {true, false, allDesktops, 3, true}}) {
        facts.isViewable = viewable;
        facts.isHidden = hidden;
        facts.desktop = desktop;
        EXPECT_EQ(isOnscreen(facts, current), onscreen)
            << viewable << hidden << desktop.value_or(9);
    }
}

TEST(DesktopApplications, HintsFindTheirEntryInOrderOfStrength)
{
    // The user's folder first, taking precedence over the system's.
    const fs::path root =
        fs::temp_directory_path() / ("halomark-entries-" + std::to_string(getpid()));
    const fs::path user = root / "user";
    const fs::path system = root / "system";
    const std::shared_ptr<void> remove(nullptr, [&](void*) { fs::remove_all(root); });
    const auto write = [](const fs::path& path, const std::string& body) {
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "[Desktop Entry]\n" << body;
    };
    write(system / "org.example.Editor.desktop", "Type=Application\nName=Editor\n"
                                                 "Name[de]=Bearbeiter\nExec=editor %F\n");
    write(system / "terminal.desktop", "Type=Application\nName=Terminal\nStartupWMClass=XTerm\n");
    write(system / "vendor" / "tool.desktop", "Type=Application\nName=Vendor\\sTool\n"
                                              "Exec=\"/opt/Vendor Tool/bin/vtool\" --x\n");
    write(system / "link.desktop", "Type=Link\nName=Link\nURL=x\n");
    write(system / "gone.desktop", "Type=Application\nName=Gone\nExec=gone\n");
    // The user's gone.desktop deletes the system's; the user's terminal.desktop overrides it.
    write(user / "gone.desktop", "Type=Application\nHidden=true\n");
    write(user / "terminal.desktop", "Type=Application\nName=My Terminal\nStartupWMClass=XTerm\n"
                                     "Exec=xterm\n[Desktop Action new]\nName=New Window\n");
    xdg::DesktopApplications entries({user, system}, "de_DE.UTF-8");
    const xdg::DesktopApplication editor{"org.example.Editor", "Bearbeiter"};
    const xdg::DesktopApplication terminal{"terminal", "My Terminal"};
    const xdg::DesktopApplication tool{"vendor-tool", "Vendor Tool"};
    for (const auto& [hints, found] :
         std::vector<std::pair<xdg::ApplicationHints, std::optional<xdg::DesktopApplication>>>{
             {{.applicationId = "org.example.Editor"}, editor},
             {{.applicationId = "ORG.EXAMPLE.EDITOR"}, editor},
             {{.windowClass = XcbWindowClass{"xterm", "XTerm"}}, terminal},
             {{.windowClass = XcbWindowClass{"editor", "Editor"}}, editor}, // an id's last part
             {{.executable = "vtool"}, tool},
             {{.windowClass = XcbWindowClass{"vendor-tool", ""}}, tool},
             {{.applicationId = "gone"}, std::nullopt},
             {{.applicationId = "link"}, std::nullopt},
             {{.windowClass = XcbWindowClass{"unknown", "Unknown"}}, std::nullopt},
             // The strongest hint decides even when a weaker one points elsewhere.
             {{.applicationId = "org.example.Editor",
             .windowClass = XcbWindowClass{"xterm", "XTerm"}},
              editor},
         }) {
        EXPECT_EQ(entries.find(hints), found)
            << hints.applicationId.value_or("-") << " " << hints.executable.value_or("-");
    }
    // A new entry is found once its folder has changed.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    write(user / "late.desktop", "Type=Application\nName=Late\nExec=late\n");
    EXPECT_EQ(entries.find({.executable = "late"}), (xdg::DesktopApplication{"late", "Late"}));
}

// The locale's Name and the Exec quoting are the xdg folder's (tested there).
TEST(DesktopApplications, ProgramsAreFirstWordsPastEnvAndProcessesParse)
{
    EXPECT_EQ(xdg::executableOfCommand("/usr/bin/gedit %U"), "gedit");
    EXPECT_EQ(xdg::executableOfCommand("env LANG=C GDK_BACKEND=x11 firefox -new-window"),
              "firefox");
    EXPECT_FALSE(xdg::executableOfCommand("env FOO=1"));

    // A process's status: its command stands in parentheses and may hold some itself; fields
    // 4 to 21, then the start time (22), then more follow., then the start time (22), then more.
    const std::string fields = " 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 424242 99 100";
    EXPECT_EQ(xdg::parseProcessStatus("1234 (my (odd) prog) S" + fields),
              (xdg::ProcessStatus{"my (odd) prog", 'S', 424242}));
    EXPECT_FALSE(xdg::parseProcessStatus("1234 (x) Z" + fields)->isAlive());
    EXPECT_FALSE(xdg::parseProcessStatus("1234 (x) S 1 2 3"));
    EXPECT_EQ(xdg::readProcessStatus(getpid())->state, 'R');
    EXPECT_FALSE(xdg::readProcessStatus(-1));
}

} // namespace
} // namespace halomark::x11
