// The per-user configuration folder of the XDG base directories: $XDG_CONFIG_HOME when it is
// an absolute path, otherwise ~/.config.
#pragma once

#include <QString>

namespace halomark::qt {

QString xdgConfigHome();

} // namespace halomark::qt
