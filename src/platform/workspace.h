// The workspace port: the running applications as the desktop sees them. The frontmost
// application is the one that owns the active window; an application may lack a bundle
// identifier or a display name.
#pragma once

#include "platform/process_identifier.h"

#include <optional>
#include <string>

namespace halomark {

struct RunningApplication
{
    ProcessIdentifier processIdentifier = 0;
    std::optional<std::string> bundleIdentifier;
    std::optional<std::string> localizedName;

    friend bool operator==(const RunningApplication&, const RunningApplication&) = default;
};

class Workspace
{
public:
    virtual ~Workspace() = default;

    // The application that owns the active window, or nothing when no application does.
    virtual std::optional<RunningApplication> frontmostApplication() = 0;

    // The running application with this process identifier, if there is one.
    virtual std::optional<RunningApplication> runningApplication(ProcessIdentifier pid) = 0;

    // This application's own process.
    virtual ProcessIdentifier ownProcessIdentifier() = 0;
};

} // namespace halomark
