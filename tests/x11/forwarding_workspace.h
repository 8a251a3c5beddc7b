// The workspace port answered by XcbWorkspace alone, as the program answers it together with
// the toolkit: enough for the core's resolver and monitor in tests.
#pragma once

#include "platform/workspace.h"
#include "x11/xcb_workspace.h"

namespace halomark::x11::testing {

class ForwardingWorkspace final : public Workspace
{
public:
    explicit ForwardingWorkspace(XcbWorkspace& workspace) : workspace(workspace) {}

    std::optional<RunningApplication> frontmostApplication() override
    {
        return workspace.frontmostApplication();
    }
    std::optional<RunningApplication> runningApplication(ProcessIdentifier pid) override
    {
        return workspace.runningApplication(pid);
    }
    ProcessIdentifier ownProcessIdentifier() override { return workspace.ownProcessIdentifier(); }
    int operatingSystemMajorVersion() override { return workspace.operatingSystemMajorVersion(); }

    // The toolkit answers these in the program; the system adapter's tests need none of them.
    std::vector<std::string> preferredLanguages() override { return {}; }
    std::optional<BundleValue> bundleValue(const std::string&) override { return std::nullopt; }
    bool openURL(const std::string&) override { return false; }

private:
    XcbWorkspace& workspace;
};

} // namespace halomark::x11::testing
