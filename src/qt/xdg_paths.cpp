#include "qt/xdg_paths.h"

#include <QDir>
#include <QtGlobal>

namespace halomark::qt {
namespace {

QString absoluteOr(const char* variable, const QString& fallback)
{
    const QString configured = qEnvironmentVariable(variable);
    if (!configured.isEmpty() && QDir::isAbsolutePath(configured)) {
        return QDir::cleanPath(configured);
    }
    return fallback;
}

} // namespace

QString xdgConfigHome()
{
    return absoluteOr("XDG_CONFIG_HOME", QDir::homePath() + QStringLiteral("/.config"));
}

QStringList xdgDataFolders()
{
    QStringList folders{
        absoluteOr("XDG_DATA_HOME", QDir::homePath() + QStringLiteral("/.local/share"))};
    QStringList system;
    for (const QString& folder :
         qEnvironmentVariable("XDG_DATA_DIRS").split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (QDir::isAbsolutePath(folder)) {
            system += QDir::cleanPath(folder);
        }
    }
    if (system.isEmpty()) {
        system = QStringList{QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")};
    }
    return folders + system;
}

} // namespace halomark::qt
