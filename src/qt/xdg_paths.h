// The XDG base directories as Qt strings, for the parts of the Qt adapter that work in QString.
// The folders come from the xdg folder's BaseDirectories: relative values of the variables are
// invalid and ignored instead of being resolved against the working folder.
#pragma once

#include <QString>
#include <QStringList>

namespace halomark::qt {

// The per-user configuration folder: $XDG_CONFIG_HOME, otherwise ~/.config.
QString xdgConfigHome();

// The data folders in the order they are searched: $XDG_DATA_HOME (otherwise ~/.local/share),
// then each folder of $XDG_DATA_DIRS (otherwise /usr/local/share and /usr/share).
QStringList xdgDataFolders();

} // namespace halomark::qt
