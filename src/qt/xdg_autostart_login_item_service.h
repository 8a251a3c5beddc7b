// The login item as an XDG autostart entry, by default
// $XDG_CONFIG_HOME/autostart/halomark.desktop. No entry: not registered. An entry that runs this
// program: enabled. An entry the desktop has switched off (Hidden=true,
// X-GNOME-Autostart-enabled=false): requires approval, since the user has to allow it again. This
// program's own path unknown: not found. An entry that runs another program counts as not
// registered; registering replaces it.
#pragma once

#include "platform/login_item_service.h"

#include <QString>

#include <optional>

namespace halomark::qt {

class XdgAutostartLoginItemService final : public LoginItemService
{
public:
    // The entry for the running program in the user's autostart folder.
    XdgAutostartLoginItemService();
    // The entry in the given folder for the program at the given absolute path; nothing when
    // the program's path is unknown.
    XdgAutostartLoginItemService(QString autostartFolder, std::optional<QString> programPath);

    static QString defaultAutostartFolder();
    // The absolute path of the running program's executable, when it can be told.
    static std::optional<QString> runningProgramPath();

    QString entryPath() const;

    LoginItemStatus status() const override;
    std::optional<std::string> registerItem() override;
    std::optional<std::string> unregisterItem() override;

private:
    QString folder;
    std::optional<QString> programPath;
};

} // namespace halomark::qt
