// The workspace port: the running applications as the desktop sees them, and what this
// application learns from its surroundings: the user's preferred languages, the system's
// major version, the values its own bundle declares, and the default handler of web
// addresses. The frontmost application is the one that owns the active window; an
// application may lack a bundle identifier or a display name.
#pragma once

#include "platform/process_identifier.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace halomark {

struct RunningApplication
{
    ProcessIdentifier processIdentifier = 0;
    std::optional<std::string> bundleIdentifier;
    std::optional<std::string> localizedName;

    friend bool operator==(const RunningApplication&, const RunningApplication&) = default;
};

// A value of the application's bundle information ("CFBundleShortVersionString" is a text).
using BundleValue = std::variant<std::string, std::int64_t, double, bool>;

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

    // The user's preferred language identifiers, most preferred first ("en-US", "zh-Hant-TW").
    virtual std::vector<std::string> preferredLanguages() = 0;

    // The major version of the operating system.
    virtual int operatingSystemMajorVersion() = 0;

    // The value this application's bundle declares under the key, if any.
    virtual std::optional<BundleValue> bundleValue(const std::string& key) = 0;

    // Opens the address with the user's default handler (a web browser for web pages). False
    // when no handler took it.
    virtual bool openURL(const std::string& url) = 0;

    // The desktop's name when it reacts to a lone tap of the Command (Super) key itself, as
    // desktops that open an overview or a launcher on it do; nothing when it does not.
    virtual std::optional<std::string> desktopReactingToSuperTap() = 0;
};

} // namespace halomark
