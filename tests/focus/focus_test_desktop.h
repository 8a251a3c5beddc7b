// A simulated desktop for the focus tests: one 1440 x 900 screen, running applications,
// windows and the accessibility interface linked to them. Frames are given in global
// bottom-left coordinates and converted for the window server, which works top-left.
#pragma once

#include "focus/window_list.h"
#include "sim/sim_accessibility.h"
#include "sim/sim_screen_list.h"
#include "sim/sim_window_server.h"
#include "sim/sim_workspace.h"

#include <string>

namespace halomark::focus_test {

inline constexpr ProcessIdentifier ownPid = 700;
inline constexpr ProcessIdentifier editorPid = 501;
inline constexpr ProcessIdentifier browserPid = 502;
inline constexpr ProcessIdentifier finderPid = 503;
inline constexpr ProcessIdentifier previewPid = 504; // a Quick Look panel service

class TestDesktop
{
public:
    static constexpr double screenHeight = 900;

    TestDesktop()
    {
        screens.setScreens({sim::SimScreenList::makeScreen(1, {0, 0, 1440, screenHeight})});
        workspace.launch({ownPid, "org.halomark.Halomark", "Halomark"});
        workspace.launch({editorPid, "org.example.Editor", "Editor"});
        workspace.launch({browserPid, "org.example.Browser", "Browser"});
        workspace.launch({finderPid, "com.apple.finder", "Finder"});
        workspace.launch({previewPid, "com.apple.quicklook.QuickLookUIService", "Preview Panel"});
    }

    ResolverPorts ports() { return {workspace, windows, accessibility, screens}; }

    static Rect topLeft(const Rect& frame)
    {
        return {frame.minX(), screenHeight - frame.maxY(), frame.width(), frame.height()};
    }

    static sim::SimWindow window(ProcessIdentifier pid, WindowNumber number, const Rect& frame,
                                 std::int64_t layer = 0)
    {
        return {.ownerPid = pid,
                .layer = layer,
                .number = number,
                .bounds = topLeft(frame),
                .ownerName = "app " + std::to_string(pid)};
    }

    // Opens a window in front of all others.
    void open(ProcessIdentifier pid, WindowNumber number, const Rect& frame, std::int64_t layer = 0)
    {
        windows.addWindow(window(pid, number, frame, layer));
    }

    // Brings the application to the front with this window raised and focused.
    void activate(ProcessIdentifier pid, WindowNumber number)
    {
        workspace.activate(pid);
        windows.raise(number);
        accessibility.focusWindow(pid, number);
    }

    void move(WindowNumber number, const Rect& frame) { windows.setBounds(number, topLeft(frame)); }

    sim::SimScreenList screens;
    sim::SimWorkspace workspace{ownPid};
    sim::SimWindowServer windows;
    sim::SimAccessibility accessibility{&windows};
};

} // namespace halomark::focus_test
