// The running applications as a Wayland compositor shows them, for the program's workspace.
// The frontmost application is the process that owns the compositor's focused window; its
// bundle identifier is the id of the desktop entry its app_id (or else its executable) points
// at, or the app_id itself, and its name is the entry's Name in the user's language, or the
// app_id, or the executable. A running application is any living process in /proc. The
// desktop entries and /proc are read as the X11 adapter reads them.
//
// Like the X11 adapter's, this is the system half of the workspace: the program joins it with
// the toolkit's half (QtWorkspace). The methods have the port's signatures.
#pragma once

#include "platform/workspace.h"
#include "wayland/wayland_window_source.h"
#include "xdg/desktop_applications.h"

#include <filesystem>
#include <unordered_map>

namespace halomark::wayland {

class WaylandWorkspace
{
public:
    explicit WaylandWorkspace(
        WaylandWindowSource& source,
        xdg::DesktopApplications entries = xdg::DesktopApplications::forThisUser(),
        std::filesystem::path proc = "/proc");

    // Nothing while no window has the focus, when the focused window names no process, or when
    // the compositor does not answer.
    std::optional<RunningApplication> frontmostApplication();
    std::optional<RunningApplication> runningApplication(ProcessIdentifier pid);
    ProcessIdentifier ownProcessIdentifier();
    int operatingSystemMajorVersion();

private:
    struct Known
    {
        std::optional<std::string> appId;
        std::uint64_t startTime = 0; // of the process the app_id was seen for
        RunningApplication application;
    };

    RunningApplication applicationFor(ProcessIdentifier pid,
                                      const std::optional<std::string>& appId,
                                      const std::optional<std::string>& command);

    WaylandWindowSource& source;
    xdg::DesktopApplications entries;
    std::filesystem::path proc;
    // The frontmost application is asked for many times a second, and rarely changes.
    std::unordered_map<ProcessIdentifier, Known> known;
};

} // namespace halomark::wayland
