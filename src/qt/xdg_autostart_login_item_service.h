// The login item as an XDG autostart entry, by default
// $XDG_CONFIG_HOME/autostart/halomark.desktop. No entry: not registered. An entry that runs this
// program: enabled. An entry the desktop has switched off (Hidden=true,
// X-GNOME-Autostart-enabled=false): requires approval, since the user has to allow it again. This
// program's own path unknown: not found. An entry that runs another program counts as not
// registered; registering replaces it.
//
// Registering copies the installed desktop entry of the program, org.halomark.Halomark.desktop,
// with its name, comment, icon and translations, and only its Exec pointing at this program.
// With none installed (a program run from its build folder) a minimal entry is written instead.
//
// The entry names a program that will still be there, unchanged, at the next login: the running
// one when its path is neither temporary (/tmp, removable media, a mounted bundle) nor open to
// other users' writes, otherwise the installed halomark; with neither, registering is refused
// with the reason.
#pragma once

#include "platform/login_item_service.h"
#include "xdg/durable_program.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace halomark::qt {

class XdgAutostartLoginItemService final : public LoginItemService
{
public:
    // The program an entry runs, or why there is none to run.
    struct PinnedProgram
    {
        std::optional<QString> path;
        std::optional<std::string> refusal;
    };

    // The entry for the running program in the user's autostart folder.
    XdgAutostartLoginItemService();
    // The entry in the given folder for the program at the given absolute path; nothing when
    // the program's path is unknown. The installed desktop entry is looked for in the given
    // "applications" folders, in order.
    XdgAutostartLoginItemService(QString autostartFolder, std::optional<QString> programPath,
                                 QStringList applicationFolders = {});
    XdgAutostartLoginItemService(QString autostartFolder, PinnedProgram program,
                                 QStringList applicationFolders = {});

    // The running program when its path is durable, otherwise the first installed candidate
    // whose path is; with neither, why the running program cannot be used.
    static PinnedProgram programToPin(const std::optional<QString>& running,
                                      const xdg::ProgramSearch& search);

    static QString defaultAutostartFolder();
    // Where the installed desktop entry may be: the "applications" folder of each XDG data
    // folder, then the one of the prefix the program runs from (<prefix>/bin/halomark).
    static QStringList defaultApplicationFolders(const std::optional<QString>& programPath);
    // The absolute path of the running program's executable, when it can be told.
    static std::optional<QString> runningProgramPath();

    QString entryPath() const;

    LoginItemStatus status() const override;
    std::optional<std::string> registerItem() override;
    std::optional<std::string> unregisterItem() override;

private:
    QString folder;
    std::optional<QString> programPath;
    std::optional<std::string> refusal;
    QStringList applicationFolders;
};

} // namespace halomark::qt
