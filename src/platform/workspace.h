// The workspace port: the running applications as the desktop sees them, and what this
// application learns from its surroundings: the user's preferred languages, the system's
// major version, the values its own bundle declares, the default handler of web addresses, and
// the words its users know: the family of texts they expect and the names of their modifier
// keys. The frontmost application is the one that owns the active window; an
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

// Which family of texts the system's users expect: the words of a Mac (the Command key, the
// menu bar, the Dock) or those of a Linux desktop (the Super key, the tray, the task bar).
enum class TextFamily
{
    macOS,
    linuxDesktop
};

// The modifier keys as shortcut titles name them ("⌘ + Drag", "Super + Drag").
struct ModifierKeyNames
{
    std::string command;
    std::string control;
    std::string option;

    friend bool operator==(const ModifierKeyNames&, const ModifierKeyNames&) = default;
};

// The names each family's keyboards and menus use: the Mac's symbols, and on Linux the key
// caps, where Command is Super, Control is Ctrl and Option is Alt.
inline ModifierKeyNames standardModifierKeyNames(TextFamily family)
{
    if (family == TextFamily::linuxDesktop) {
        return {"Super", "Ctrl", "Alt"};
    }
    return {"\u2318", "\u2303", "\u2325"};
}

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

    // The family of texts the system's users expect. A workspace that does not say speaks the
    // words the texts were first written in, the Mac's.
    virtual TextFamily textFamily() { return TextFamily::macOS; }

    // The modifier keys as shortcut titles name them: those of the family unless told otherwise.
    virtual ModifierKeyNames modifierKeyNames() { return standardModifierKeyNames(textFamily()); }
};

} // namespace halomark
