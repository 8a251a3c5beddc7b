// The program's workspace, joined from two halves: the running applications, the frontmost
// one, this process and the system's version come from the system adapter; the preferred
// languages (QLocale's UI languages), the values this program's bundle declares and the
// opening of addresses (QDesktopServices) come from Qt. The program runs on a Linux desktop, so
// it speaks that desktop's words: the Super, Ctrl and Alt keys, the tray, the task bar.
#pragma once

#include "platform/workspace.h"

#include <QLocale>

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace halomark::qt {

// Qt's half.
class QtDesktopServices
{
public:
    using Bundle = std::map<std::string, BundleValue>;

    // The values of this program: its version under "CFBundleShortVersionString".
    static Bundle programBundle();

    explicit QtDesktopServices(Bundle bundle = programBundle(), QLocale locale = QLocale::system());

    // The locale's UI languages, most preferred first, as BCP 47 tags ("de-CH", "zh-Hant-TW").
    // The C and POSIX locales name no language and are left out.
    std::vector<std::string> preferredLanguages() const;
    std::optional<BundleValue> bundleValue(const std::string& key) const;
    // False for a text that is not an absolute address, or when no handler took it.
    bool openURL(const std::string& url) const;

private:
    Bundle bundle;
    QLocale locale;
};

// The whole workspace over any system half that answers the four system questions with the
// port's signatures (the X11 adapter's XcbWorkspace in the program).
template <typename System> class QtWorkspace final : public Workspace
{
public:
    QtWorkspace(System& system, QtDesktopServices desktop)
        : system(system), desktop(std::move(desktop))
    {}

    std::optional<RunningApplication> frontmostApplication() override
    {
        return system.frontmostApplication();
    }
    std::optional<RunningApplication> runningApplication(ProcessIdentifier pid) override
    {
        return system.runningApplication(pid);
    }
    ProcessIdentifier ownProcessIdentifier() override { return system.ownProcessIdentifier(); }
    int operatingSystemMajorVersion() override { return system.operatingSystemMajorVersion(); }

    std::vector<std::string> preferredLanguages() override { return desktop.preferredLanguages(); }
    std::optional<BundleValue> bundleValue(const std::string& key) override
    {
        return desktop.bundleValue(key);
    }
    bool openURL(const std::string& url) override { return desktop.openURL(url); }
    TextFamily textFamily() override { return TextFamily::linuxDesktop; }

private:
    System& system;
    QtDesktopServices desktop;
};

} // namespace halomark::qt
