#include "qt/xdg_paths.h"

#include <QDir>
#include <QtGlobal>

namespace halomark::qt {

QString xdgConfigHome()
{
    // A relative value is invalid and must be ignored, not resolved against the working folder.
    const QString configured = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!configured.isEmpty() && QDir::isAbsolutePath(configured)) {
        return QDir::cleanPath(configured);
    }
    return QDir::homePath() + QStringLiteral("/.config");
}

} // namespace halomark::qt
