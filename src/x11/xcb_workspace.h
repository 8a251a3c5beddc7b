// The running applications as the X desktop shows them, for the program's workspace. The
// frontmost application is the process that owns the window manager's active window (its
// _NET_WM_PID, or the X server's record of its client; a client on another machine gets an
// identity that is no local process, so it is never taken for this program or for a local
// process); its bundle identifier is the id of its desktop entry, or its window class
// when no entry claims it, and its name is the entry's Name in the user's language, or the
// window class. A running application is any living process in /proc, named the same way
// from the window last seen for it or else from its executable. The system's major version is
// the kernel's, from uname.
//
// This is not the Workspace port itself: the program joins it with the toolkit's answers
// (preferred languages, bundle values, opening addresses) into one. The methods have the
// port's signatures.
#pragma once

#include "platform/workspace.h"
#include "x11/xcb_window_reader.h"
#include "xdg/desktop_applications.h"
#include "xdg/processes.h"

#include <filesystem>
#include <unordered_map>

namespace halomark::x11 {

class XcbWorkspace
{
public:
    // Reads through the reader shared with the other adapters.
    explicit XcbWorkspace(
        XcbWindowReader& reader,
        xdg::DesktopApplications entries = xdg::DesktopApplications::forThisUser(),
        std::filesystem::path proc = "/proc");

    // Nothing while no window is active, when the active window names no owner, or when no
    // window manager publishes the active window.
    std::optional<RunningApplication> frontmostApplication();
    std::optional<RunningApplication> runningApplication(ProcessIdentifier pid);
    ProcessIdentifier ownProcessIdentifier();
    // The kernel release's leading number (6 for "6.1.0-18-amd64"). The kernel's is the one
    // version every Linux system has in the same form; distribution numbers (os-release's
    // VERSION_ID) run on unrelated scales and are missing in many containers.
    int operatingSystemMajorVersion();

private:
    struct Known
    {
        xdg::ApplicationHints hints;
        std::uint64_t startTime = 0; // of the process the hints were seen for
        RunningApplication application;
    };

    RunningApplication applicationFor(ProcessIdentifier pid, xdg::ApplicationHints hints,
                                      const std::optional<xdg::ProcessStatus>& status);
    void forgetExitedProcesses();

    XcbWindowReader& reader;
    xdg::DesktopApplications entries;
    std::filesystem::path proc;
    // What each process's window said about it, and what that made of it: the frontmost
    // application is asked for up to 60 times a second, and it rarely changes.
    std::unordered_map<ProcessIdentifier, Known> known;
};

} // namespace halomark::x11
