#include "x11/xcb_workspace.h"

#include <sys/utsname.h>
#include <unistd.h>

namespace halomark::x11 {

namespace {

// Processes remembered before the ones that have exited are dropped.
constexpr std::size_t knownProcessLimit = 64;

std::optional<std::string> classNameOf(const xdg::ApplicationHints& hints)
{
    if (!hints.windowClass) {
        return std::nullopt;
    }
    const XcbWindowClass& windowClass = *hints.windowClass;
    return windowClass.className.empty() ? windowClass.instance : windowClass.className;
}

} // namespace

XcbWorkspace::XcbWorkspace(XcbWindowReader& reader, xdg::DesktopApplications entries,
                           std::filesystem::path proc)
    : reader(reader), entries(std::move(entries)), proc(std::move(proc))
{}

std::optional<RunningApplication> XcbWorkspace::frontmostApplication()
{
    const std::optional<xcb_window_t> active = reader.activeWindow();
    if (!active || *active == XCB_WINDOW_NONE) {
        return std::nullopt;
    }
    namespace d = window_details;
    const auto facts = reader.read(*active, d::owner | d::windowClass | d::applicationId);
    if (!facts || !facts->pid) {
        return std::nullopt;
    }
    const ProcessIdentifier pid = *facts->pid;
    xdg::ApplicationHints hints{facts->applicationId, facts->windowClass, std::nullopt};
    if (const auto found = known.find(pid); found != known.end() && found->second.hints == hints) {
        return found->second.application;
    }
    // A new process, or another window of it: the process's start time goes with the hints,
    // so that a later process with the same pid is not taken for this one.
    const auto status = xdg::readProcessStatus(pid, proc);
    if (known.size() >= knownProcessLimit) {
        forgetExitedProcesses();
    }
    RunningApplication application = applicationFor(pid, hints, status);
    known.insert_or_assign(pid,
                           Known{std::move(hints), status ? status->startTime : 0, application});
    return application;
}

std::optional<RunningApplication> XcbWorkspace::runningApplication(ProcessIdentifier pid)
{
    const auto status = xdg::readProcessStatus(pid, proc);
    if (!status || !status->isAlive()) {
        return std::nullopt;
    }
    if (const auto found = known.find(pid);
        found != known.end() && found->second.startTime == status->startTime) {
        return found->second.application;
    }
    return applicationFor(pid, {}, status);
}

ProcessIdentifier XcbWorkspace::ownProcessIdentifier()
{
    return static_cast<ProcessIdentifier>(getpid());
}

int XcbWorkspace::operatingSystemMajorVersion()
{
    utsname names{};
    if (uname(&names) != 0) {
        return 0;
    }
    return xdg::majorVersionOf(names.release);
}

RunningApplication XcbWorkspace::applicationFor(ProcessIdentifier pid, xdg::ApplicationHints hints,
                                                const std::optional<xdg::ProcessStatus>& status)
{
    RunningApplication application;
    application.processIdentifier = pid;
    std::optional<xdg::DesktopApplication> entry = entries.find(hints);
    if (!entry) {
        // The executable is read only when the window's own hints found nothing.
        hints.executable = xdg::readExecutableName(pid, proc);
        if (hints.executable) {
            entry =
                entries.find(xdg::ApplicationHints{std::nullopt, std::nullopt, hints.executable});
        }
    }
    const std::optional<std::string> className = classNameOf(hints);
    application.bundleIdentifier = entry ? std::optional{entry->id} : className;
    if (entry && entry->name) {
        application.localizedName = entry->name;
    } else if (className) {
        application.localizedName = className;
    } else if (hints.executable) {
        application.localizedName = hints.executable;
    } else if (status) {
        application.localizedName = status->command;
    }
    return application;
}

void XcbWorkspace::forgetExitedProcesses()
{
    std::erase_if(known, [&](const auto& item) {
        const auto status = xdg::readProcessStatus(item.first, proc);
        return !status || !status->isAlive() || status->startTime != item.second.startTime;
    });
}

} // namespace halomark::x11
