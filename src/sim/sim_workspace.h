// Running applications for tests: the test launches and quits applications and chooses the
// frontmost one; the sim counts the frontmost queries made of it.
#pragma once

#include "platform/workspace.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace halomark::sim {

class SimWorkspace final : public Workspace
{
public:
    explicit SimWorkspace(ProcessIdentifier own = 700) : own(own) {}

    // Control surface. Quitting the frontmost application leaves no frontmost application.
    void launch(RunningApplication application)
    {
        quit(application.processIdentifier);
        applications.push_back(std::move(application));
    }
    void quit(ProcessIdentifier pid)
    {
        std::erase_if(applications, [&](const auto& a) { return a.processIdentifier == pid; });
        if (frontmost == pid) {
            frontmost.reset();
        }
    }
    // Makes a running application frontmost; nothing (or a pid that is not running) leaves no
    // frontmost application.
    void activate(std::optional<ProcessIdentifier> pid) { frontmost = pid; }

    int frontmostQueryCount() const { return frontmostQueries; }
    int runningApplicationQueryCount() const { return runningQueries; }

    // Workspace.
    std::optional<RunningApplication> frontmostApplication() override
    {
        ++frontmostQueries;
        return frontmost ? find(*frontmost) : std::nullopt;
    }
    std::optional<RunningApplication> runningApplication(ProcessIdentifier pid) override
    {
        ++runningQueries;
        return find(pid);
    }
    ProcessIdentifier ownProcessIdentifier() override { return own; }

private:
    std::optional<RunningApplication> find(ProcessIdentifier pid) const
    {
        const auto found = std::find_if(applications.begin(), applications.end(),
                                        [&](const auto& a) { return a.processIdentifier == pid; });
        if (found == applications.end()) {
            return std::nullopt;
        }
        return *found;
    }

    ProcessIdentifier own;
    std::vector<RunningApplication> applications;
    std::optional<ProcessIdentifier> frontmost;
    int frontmostQueries = 0;
    int runningQueries = 0;
};

} // namespace halomark::sim
