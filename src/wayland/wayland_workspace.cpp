#include "wayland/wayland_workspace.h"

#include "xdg/processes.h"

#include <sys/utsname.h>
#include <unistd.h>

namespace halomark::wayland {

namespace {

// Processes remembered before the ones that have exited are dropped.
constexpr std::size_t knownProcessLimit = 64;

} // namespace

WaylandWorkspace::WaylandWorkspace(WaylandWindowSource& source, xdg::DesktopApplications entries,
                                   std::filesystem::path proc)
    : source(source), entries(std::move(entries)), proc(std::move(proc))
{}

std::optional<RunningApplication> WaylandWorkspace::frontmostApplication()
{
    const auto snapshot = source.windows();
    const WaylandWindow* focused = snapshot ? snapshot->focused() : nullptr;
    if (!focused || !focused->pid) {
        return std::nullopt;
    }
    const ProcessIdentifier pid = *focused->pid;
    const auto status = xdg::readProcessStatus(pid, proc);
    const std::uint64_t startTime = status ? status->startTime : 0;
    // The start time tells a later process with the same pid from this one.
    if (const auto found = known.find(pid); found != known.end() &&
                                            found->second.appId == focused->appId &&
                                            found->second.startTime == startTime) {
        return found->second.application;
    }
    if (known.size() >= knownProcessLimit) {
        std::erase_if(known, [&](const auto& item) {
            const auto other = xdg::readProcessStatus(item.first, proc);
            return !other || !other->isAlive() || other->startTime != item.second.startTime;
        });
    }
    RunningApplication application =
        applicationFor(pid, focused->appId, status ? std::optional{status->command} : std::nullopt);
    known.insert_or_assign(pid, Known{focused->appId, startTime, application});
    return application;
}

std::optional<RunningApplication> WaylandWorkspace::runningApplication(ProcessIdentifier pid)
{
    const auto status = xdg::readProcessStatus(pid, proc);
    if (!status || !status->isAlive()) {
        return std::nullopt;
    }
    if (const auto found = known.find(pid);
        found != known.end() && found->second.startTime == status->startTime) {
        return found->second.application;
    }
    return applicationFor(pid, std::nullopt, status->command);
}

ProcessIdentifier WaylandWorkspace::ownProcessIdentifier()
{
    return static_cast<ProcessIdentifier>(getpid());
}

int WaylandWorkspace::operatingSystemMajorVersion()
{
    utsname names{};
    if (uname(&names) != 0) {
        return 0;
    }
    return xdg::majorVersionOf(names.release);
}

RunningApplication WaylandWorkspace::applicationFor(ProcessIdentifier pid,
                                                    const std::optional<std::string>& appId,
                                                    const std::optional<std::string>& command)
{
    RunningApplication application;
    application.processIdentifier = pid;
    std::optional<std::string> executable;
    // A Wayland app_id is meant to be the desktop entry's id.
    std::optional<xdg::DesktopApplication> entry;
    if (appId) {
        entry = entries.find(xdg::ApplicationHints{appId, std::nullopt, std::nullopt});
    }
    if (!entry) {
        executable = xdg::readExecutableName(pid, proc);
        if (executable) {
            entry = entries.find(xdg::ApplicationHints{std::nullopt, std::nullopt, executable});
        }
    }
    application.bundleIdentifier = entry ? std::optional{entry->id} : appId;
    if (entry && entry->name) {
        application.localizedName = entry->name;
    } else if (appId) {
        application.localizedName = appId;
    } else if (executable) {
        application.localizedName = executable;
    } else {
        application.localizedName = command;
    }
    return application;
}

} // namespace halomark::wayland
