// The XCB adapters wired as the program wires them: one polling round for the input and the
// window reader, and that one reader shared by the workspace, the window server and the
// accessibility adapter. Their answers last for a turn of the loop, so every check made
// through waitUntil turns it first.
#pragma once

#include "desktop.h"
#include "qt/qt_workspace.h"
#include "sim/sim_main_loop.h"
#include "x11/xcb_accessibility.h"
#include "x11/xcb_input_state.h"
#include "x11/xcb_polling_round.h"
#include "x11/xcb_window_reader.h"
#include "x11/xcb_window_server.h"
#include "x11/xcb_workspace.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace halomark::x11::testing {

// Runs the function when the last copy goes, to put the desktop back however a test ends.
inline std::shared_ptr<void> atEnd(std::function<void()> function)
{
    return {nullptr, [function](void*) { function(); }};
}

class AdaptersTest : public DesktopTest
{
protected:
    void SetUp() override
    {
        DesktopTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        clients = std::make_unique<XcbConnection>();
        ASSERT_TRUE(clients->isConnected());
        entries =
            std::filesystem::temp_directory_path() / ("halomark-x11-" + std::to_string(getpid()));
        std::filesystem::create_directories(entries);
        std::ofstream(entries / "org.example.Terminal.desktop")
            << "[Desktop Entry]\nType=Application\nName=Terminal\nName[de]=Konsole\n"
               "StartupWMClass=XTerm\nExec=xterm\n";
        // Only the turns of the loop end a round's answers here, however slow the machine;
        // the program's round also ends them after 15 ms, as a test checks on a round of its own.
        round = std::make_unique<XcbPollingRound>(*connection, loop, std::chrono::hours(1));
        input = std::make_unique<XcbInputState>(*round, *screens);
        reader = std::make_unique<XcbWindowReader>(*round);
        xcbWorkspace = std::make_unique<XcbWorkspace>(
            *reader, xdg::DesktopApplications({entries}, "de_DE.UTF-8"));
        workspace =
            std::make_unique<qt::QtWorkspace<XcbWorkspace>>(*xcbWorkspace, qt::QtDesktopServices());
        windowServer = std::make_unique<XcbWindowServer>(*reader, *screens, getpid());
        accessibility = std::make_unique<XcbAccessibility>(*reader, *screens);
    }
    void TearDown() override { std::filesystem::remove_all(entries); }

    bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 3s)
    {
        return DesktopTest::waitUntil(
            [&] {
                loop.runDue();
                return condition();
            },
            timeout);
    }

    // A window of another program, once the window manager has framed it.
    std::unique_ptr<TestWindow> managedWindow(const TestWindowSpec& spec)
    {
        auto window = std::make_unique<TestWindow>(*clients, spec);
        const xcb_window_t id = window->id();
        EXPECT_TRUE(DesktopTest::waitUntil([&] {
            return cardinals(*connection, id, "_NET_FRAME_EXTENTS").size() == 4;
        })) << "not managed: "
            << id;
        return window;
    }

    static xcb_window_t desktopXterm(const char* side)
    {
        return static_cast<xcb_window_t>(std::stoul(desktopVariable(side)));
    }

    std::filesystem::path entries;          // the desktop entries the workspace knows
    std::unique_ptr<XcbConnection> clients; // the other programs' connection
    sim::SimMainLoop loop;
    std::unique_ptr<XcbPollingRound> round;
    std::unique_ptr<XcbInputState> input;
    std::unique_ptr<XcbWindowReader> reader;
    std::unique_ptr<XcbWorkspace> xcbWorkspace;
    std::unique_ptr<qt::QtWorkspace<XcbWorkspace>> workspace;
    std::unique_ptr<XcbWindowServer> windowServer;
    std::unique_ptr<XcbAccessibility> accessibility;
};

} // namespace halomark::x11::testing
