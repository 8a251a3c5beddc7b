// Whether the running desktop reacts to a lone tap of the Super key itself: GNOME's and
// Cinnamon's overlay key (an overview or a menu), KDE Plasma's Meta modifier-only shortcut
// (the launcher), or an Xfce keyboard shortcut on Super_L or Super_R. The desktop is told by
// XDG_CURRENT_DESKTOP; its settings come from its configuration files or its settings tool,
// and a desktop without them is not in conflict.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace halomark::qt {

struct DesktopSettingsSource
{
    // XDG_CURRENT_DESKTOP: names separated by colons ("ubuntu:GNOME", "X-Cinnamon", "KDE").
    std::string currentDesktop;
    // Configuration folders, most important first: $XDG_CONFIG_HOME, then $XDG_CONFIG_DIRS.
    std::vector<std::filesystem::path> configFolders;
    // A GSettings value as `gsettings get SCHEMA KEY` prints it; nothing when it cannot be read.
    std::function<std::optional<std::string>(const std::string& schema, const std::string& key)>
        gsettings;

    // This session's: the environment's folders and the `gsettings` program.
    static DesktopSettingsSource fromEnvironment();
};

// The desktop's name ("GNOME", "Cinnamon", "KDE Plasma", "Xfce") when it reacts to a lone
// Super tap; nothing otherwise.
std::optional<std::string> desktopReactingToSuperTap(const DesktopSettingsSource& source);

} // namespace halomark::qt
